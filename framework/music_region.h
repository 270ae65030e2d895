#ifndef MIREL_FRAMEWORK_MUSIC_REGION_H
#define MIREL_FRAMEWORK_MUSIC_REGION_H

#include <cstdint>

#include "framework/fc_base.h"

// The selection the host hands to the command: staves as slots (positions in score order, each counted in its
// staff list), measures and positions inside the first and last measure, all bounds inclusive.
//
// Built from a copy of the host's 20-byte little-endian region record, read byte by byte:
//   0 staffListID (16)   2 startSlot (16)   4 startMeasure (16)   6 startPosition (32)
//  10 endStaffListID (16) 12 endSlot (16)   14 endMeasure (16)    16 endPosition (32)
// and the document that was current when it was made. Nothing changes a region after construction.
class FCMusicRegion : public __FCBase {
  public:
    // From the host's region record; a null record gives an empty region (all zero) without asking the host.
    explicit FCMusicRegion(const void* region20 = nullptr);

    const char* ClassName() const override;

    // Same staff lists, same staves at the start and end slots (as the host translates them), same measures
    // and positions. The document is not compared; the host is asked only once the staff lists agree.
    virtual bool IsEqualTo(const FCMusicRegion* other) const;

    int16_t GetStartMeasure() const { return startMeasure; }
    int16_t GetEndMeasure() const { return endMeasure; }

    // The region record's fields, in its order.
    int16_t staffListID = 0;
    int16_t startSlot = 0;
    int16_t startMeasure = 0;
    int32_t startPosition = 0;
    int16_t endStaffListID = 0;
    int16_t endSlot = 0;
    int16_t endMeasure = 0;
    int32_t endPosition = 0;
    // The document that was current when the region was made.
    int16_t documentID = 0;
};

// The staff the host shows at `slot` of the staff list, as a 16-bit staff number (0: none).
int16_t StaffAtSlot(int16_t slot, int16_t staffListID);
// The slot at which the host shows `staff`, as a 16-bit number (0: the staff is not in the score).
int16_t SlotOfStaff(int16_t staff);

#endif
