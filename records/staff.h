#ifndef MIREL_RECORDS_STAFF_H
#define MIREL_RECORDS_STAFF_H

#include <cstdint>
#include <memory>

#include "framework/base_data.h"
#include "host/host_version.h"
#include "records/fixed_size_record.h"
#include "text/fc_string.h"

namespace records {
// Newest first.
inline constexpr FixedLayout kStaffLayouts[] = {
    {kHostVersion2012, 136, 0x12000000},
    {kHostVersion2011, 132, 0x11000000},
    {0, 114, 0x0F000000},
};
}  // namespace records

// One staff of the document: key (instrument id, 0), the id FX_SlotToInst gives for the staff's slot.
//
// Three layouts by host version at the moment of use (kStaffLayouts): 136 bytes from 0x12000000 on, 132 bytes from
// 0x11000000 on, 114 bytes below. The staff's full name is reached through the text block at offset 30 in all
// three.
class FCStaff : public records::FixedSizeRecord<FCStaff, __FCNoInciOther, 0x534F4953,  // SOIS
                                                records::kStaffLayouts> {
  public:
    static constexpr char kClassName[] = "FCStaff";
    static constexpr int32_t kFullNameIDOffset = 30;
    static_assert(records::FieldFitsEveryLayout(records::kStaffLayouts, kFullNameIDOffset, 2));

    FCStaff() : FixedSizeRecord(NewObject::kNotLoaded) {}

    // Key (0, 0), then the host's next staff: a walk begins at the first staff the host holds.
    bool LoadFirst() override;

    // Item number of the text block with the staff's full name; 0 when nothing is loaded.
    uint16_t GetFullNameID() const;
    // The staff's instrument name without font, size and effect tags; the caller owns it.
    std::unique_ptr<FCString> GetFullName() const;
};

#endif
