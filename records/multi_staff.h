#ifndef MIREL_RECORDS_MULTI_STAFF_H
#define MIREL_RECORDS_MULTI_STAFF_H

#include <cstdint>
#include <memory>

#include "framework/base_data.h"
#include "framework/collection.h"
#include "host/host_version.h"
#include "records/fixed_size_record.h"
#include "records/record_collection.h"
#include "text/fc_string.h"

// An instrument written on more than one staff: key (instrument number, 0). It lists up to three member
// staves by instrument id and names the staff group (by itemNo2) that carries the instrument's name.
// A new object is zero and not loaded.
class FCMultiStaffInstrument
    : public records::FixedSizeRecord<FCMultiStaffInstrument, __FCNoInciOther, 0x6F744D47,  // otMG
                                      records::kSingleLayout<12>> {
  public:
    static constexpr char kClassName[] = "FCMultiStaffInstrument";
    static constexpr int32_t kStaffID1Offset = 0;
    static constexpr int32_t kStaffID2Offset = 2;
    static constexpr int32_t kStaffID3Offset = 4;
    static constexpr int32_t kGroupIDOffset = 6;

    FCMultiStaffInstrument() : FixedSizeRecord(NewObject::kNotLoaded) {}

    uint16_t GetStaffID1() const;
    uint16_t GetStaffID2() const;
    uint16_t GetStaffID3() const;
    uint16_t GetGroupID() const;
    // True when `staff` is one of the three members.
    bool HasStaff(int16_t staff) const;
};

class FCMultiStaffInstruments
    : public records::RecordCollection<FCMultiStaffInstruments, __FCCollectionNoInciOther,
                                       FCMultiStaffInstrument> {
  public:
    static constexpr char kClassName[] = "FCMultiStaffInstruments";

    FCMultiStaffInstrument* GetInstrumentAt(int32_t index) const { return ElementAt(index); }
};

namespace records {
// Newest first: one size, two record versions.
inline constexpr FixedLayout kGroupLayouts[] = {
    {kHostVersion2010, 36, 0x12050000},
    {0, 36, 0x09000000},
};
}  // namespace records

// A staff group: a detail record, key (itemNo, itemNo2, 0); the system uses groups with itemNo 0. The record
// version is 0x09000000 while the host version is below 0x10000000. A new group is a zeroed 36-byte record
// and counts as loaded.
class FCGroup : public records::FixedSizeRecord<FCGroup, __FCNoInciDetail, 0x53444E47,  // SDNG
                                                records::kGroupLayouts> {
  public:
    static constexpr char kClassName[] = "FCGroup";
    static constexpr int32_t kTopStaffOffset = 0;
    static constexpr int32_t kBottomStaffOffset = 2;
    static constexpr int32_t kFullNameIDOffset = 4;
    static constexpr int32_t kStartMeasureOffset = 32;

    FCGroup() : FixedSizeRecord(NewObject::kLoaded) {}

    // Key all zeros, then the host's next group: a walk begins at the first group the host holds.
    bool LoadFirst() override;

    int16_t GetTopStaff() const;
    int16_t GetBottomStaff() const;
    uint16_t GetFullNameID() const;
    int16_t GetStartMeasure() const;
    // The group's name without font, size and effect tags; the caller owns it.
    std::unique_ptr<FCString> GetFullName() const;
};

class FCGroups : public records::RecordCollection<FCGroups, __FCCollectionNoInciDetail, FCGroup> {
  public:
    static constexpr char kClassName[] = "FCGroups";

    FCGroup* GetGroupAt(int32_t index) const { return ElementAt(index); }
    // The first group, in collection order, with this top staff, bottom staff and start measure; null when
    // none matches. The collection keeps ownership.
    FCGroup* FindGroup(int16_t topStaff, int16_t bottomStaff, int16_t startMeasure) const;
};

#endif
