#ifndef MIREL_RECORDS_STAFF_STYLE_H
#define MIREL_RECORDS_STAFF_STYLE_H

#include <cstdint>
#include <memory>

#include "framework/base_data.h"
#include "framework/collection.h"
#include "host/host_version.h"
#include "records/fixed_size_record.h"
#include "records/record_collection.h"
#include "text/fc_string.h"

namespace records {
struct StaffStyleLayout {
    uint32_t fromHostVersion;
    int32_t size;
    uint32_t recordVersion;
    bool hasFlagWords;
};
// Newest first.
inline constexpr StaffStyleLayout kStaffStyleLayouts[] = {
    {kHostVersion2012, 296, 0x12000000, true},
    {kHostVersion2011, 292, 0x11000000, true},
    {0, 144, 0x0F000000, false},
};
}  // namespace records

// A staff style definition: key (style number, 0). Reached only by number, through an assignment's styleID.
//
// Three layouts by host version at the moment of use (kStaffStyleLayouts): 296 bytes from 0x12000000 on, 292 from
// 0x11000000 on, 144 below. The host's instrument-change utility marks a style that changes the instrument with a
// combination of bits in three flag words that only the two newer layouts carry. A new object is a zeroed
// record of the layout in force and counts as loaded.
class FCStaffStyleDef : public records::FixedSizeRecord<FCStaffStyleDef, __FCNoInciOther, 0x534F5359,  // SOSY
                                                        records::kStaffStyleLayouts> {
  public:
    static constexpr char kClassName[] = "FCStaffStyleDef";
    static constexpr int32_t kFullNameIDOffset = 30;
    static constexpr int32_t kStyleFlags1Offset = 74;
    static constexpr int32_t kStyleFlags2Offset = 76;
    static constexpr int32_t kStyleFlags3Offset = 78;
    // The bits an instrument-changing style has set in each flag word (all of them in the first two words,
    // the one bit in the third).
    static constexpr uint16_t kChangeBits1 = 0x01C4;
    static constexpr uint16_t kChangeBits2 = 0x0003;
    static constexpr uint16_t kChangeBit3 = 0x0020;
    static_assert(records::FieldFitsEveryLayout(records::kStaffStyleLayouts, kFullNameIDOffset, 2));

    FCStaffStyleDef() : FixedSizeRecord(NewObject::kLoaded) {}

    // Style definitions are not walked.
    bool LoadFirst() override;
    bool LoadNext() override;

    uint16_t GetFullNameID() const;
    uint16_t GetStyleFlags1() const;
    uint16_t GetStyleFlags2() const;
    uint16_t GetStyleFlags3() const;

    // True when the style changes the staff's instrument. Only the 292- and 296-byte layouts carry the flag
    // words; with the 144-byte layout no style changes the instrument. The bytes are read as they stand.
    bool ChangesInstrument() const;
    // The style's instrument name without font, size and effect tags; the caller owns it.
    std::unique_ptr<FCString> GetFullName() const;

  private:
    bool HoldsFlagWords() const;
};

// One assignment of a style to a stretch of one staff: key (instrument id, index on the staff from 0).
// Positions are in the host's time units inside their measures. A new assignment is zero except endPosition,
// which is 0x7FFFFFFF (the end of its measure).
class FCStaffStyleAssign : public records::FixedSizeRecord<FCStaffStyleAssign, __FCInciOther, 0x4F025379,
                                                           records::kSingleLayout<24>> {
  public:
    static constexpr char kClassName[] = "FCStaffStyleAssign";
    static constexpr int32_t kStyleIDOffset = 0;
    static constexpr int32_t kStartMeasureOffset = 12;
    static constexpr int32_t kStartPositionOffset = 14;
    static constexpr int32_t kEndMeasureOffset = 18;
    static constexpr int32_t kEndPositionOffset = 20;
    static constexpr int32_t kNewEndPosition = 0x7FFFFFFF;

    FCStaffStyleAssign();

    int16_t GetStyleID() const;
    int16_t GetStartMeasure() const;
    int32_t GetStartPosition() const;
    int16_t GetEndMeasure() const;
    int32_t GetEndPosition() const;
};

// All style assignments of one staff, in index order (LoadAllForItem with the staff's instrument id).
class FCStaffStyleAssigns
    : public records::RecordCollection<FCStaffStyleAssigns, __FCCollectionInciOther, FCStaffStyleAssign> {
  public:
    static constexpr char kClassName[] = "FCStaffStyleAssigns";

    FCStaffStyleAssign* GetAssignAt(int32_t index) const { return ElementAt(index); }
};

#endif
