#include "framework/music_region.h"

#include "contract/mirel_contract.h"
#include "host/host_api.h"
#include "support/bytes.h"

namespace {

// Byte offsets in the host's region record.
constexpr std::size_t kStaffListIDOffset = 0;
constexpr std::size_t kStartSlotOffset = 2;
constexpr std::size_t kStartMeasureOffset = 4;
constexpr std::size_t kStartPositionOffset = 6;
constexpr std::size_t kEndStaffListIDOffset = 10;
constexpr std::size_t kEndSlotOffset = 12;
constexpr std::size_t kEndMeasureOffset = 14;
constexpr std::size_t kEndPositionOffset = 16;
constexpr std::size_t kRegionSize = MIREL_REGION_RECORD_SIZE;

}  // namespace

int16_t StaffAtSlot(int16_t slot, int16_t staffListID) {
    return static_cast<int16_t>(host::FX_SlotToInst(slot, staffListID));
}

int16_t SlotOfStaff(int16_t staff) {
    return static_cast<int16_t>(host::FX_InstToSlot(staff));
}

FCMusicRegion::FCMusicRegion(const void* region20) {
    if (region20 == nullptr) return;
    const auto* record = static_cast<const uint8_t*>(region20);
    staffListID = bytes::ReadI16(record, kRegionSize, kStaffListIDOffset);
    startSlot = bytes::ReadI16(record, kRegionSize, kStartSlotOffset);
    startMeasure = bytes::ReadI16(record, kRegionSize, kStartMeasureOffset);
    startPosition = bytes::ReadI32(record, kRegionSize, kStartPositionOffset);
    endStaffListID = bytes::ReadI16(record, kRegionSize, kEndStaffListIDOffset);
    endSlot = bytes::ReadI16(record, kRegionSize, kEndSlotOffset);
    endMeasure = bytes::ReadI16(record, kRegionSize, kEndMeasureOffset);
    endPosition = bytes::ReadI32(record, kRegionSize, kEndPositionOffset);
    documentID = static_cast<int16_t>(host::FX_GetCurrentEnigmaDocument());
}

const char* FCMusicRegion::ClassName() const {
    return "FCMusicRegion";
}

bool FCMusicRegion::IsEqualTo(const FCMusicRegion* other) const {
    if (other == nullptr) return false;
    if (other->staffListID != staffListID) return false;
    // The other region's staff is asked for before this one's. The two calls are kept in separate statements:
    // the operands of one comparison may be evaluated in either order.
    const int16_t otherStartStaff = StaffAtSlot(other->startSlot, other->staffListID);
    const int16_t startStaff = StaffAtSlot(startSlot, staffListID);
    if (otherStartStaff != startStaff) return false;
    const int16_t otherEndStaff = StaffAtSlot(other->endSlot, other->endStaffListID);
    const int16_t endStaff = StaffAtSlot(endSlot, endStaffListID);
    if (otherEndStaff != endStaff) return false;
    if (other->startMeasure != startMeasure) return false;
    if (other->endMeasure != endMeasure) return false;
    if (other->startPosition != startPosition) return false;
    return other->endPosition == endPosition;
}
