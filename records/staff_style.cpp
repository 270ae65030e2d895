#include "records/staff_style.h"

#include "records/full_name.h"

// ---- FCStaffStyleDef --------------------------------------------------------------------------------------

bool FCStaffStyleDef::LoadFirst() {
    return false;
}

bool FCStaffStyleDef::LoadNext() {
    return false;
}

uint16_t FCStaffStyleDef::GetFullNameID() const {
    return ReadU16(kFullNameIDOffset);
}
uint16_t FCStaffStyleDef::GetStyleFlags1() const {
    return HoldsFlagWords() ? ReadU16(kStyleFlags1Offset) : 0;
}
uint16_t FCStaffStyleDef::GetStyleFlags2() const {
    return HoldsFlagWords() ? ReadU16(kStyleFlags2Offset) : 0;
}
uint16_t FCStaffStyleDef::GetStyleFlags3() const {
    return HoldsFlagWords() ? ReadU16(kStyleFlags3Offset) : 0;
}

// The flag words exist only in the newer layouts.
bool FCStaffStyleDef::HoldsFlagWords() const {
    return LayoutInForce().hasFlagWords;
}

bool FCStaffStyleDef::ChangesInstrument() const {
    if (!HoldsFlagWords()) return false;
    return (GetStyleFlags1() & kChangeBits1) == kChangeBits1 &&
           (GetStyleFlags2() & kChangeBits2) == kChangeBits2 && (GetStyleFlags3() & kChangeBit3) != 0;
}

std::unique_ptr<FCString> FCStaffStyleDef::GetFullName() const {
    return records::CreateFullNameFromTextBlock(GetFullNameID());
}

// ---- FCStaffStyleAssign -----------------------------------------------------------------------------------

FCStaffStyleAssign::FCStaffStyleAssign() : FixedSizeRecord(NewObject::kLoaded) {
    WriteI32(kEndPositionOffset, kNewEndPosition);
}

int16_t FCStaffStyleAssign::GetStyleID() const {
    return ReadI16(kStyleIDOffset);
}
int16_t FCStaffStyleAssign::GetStartMeasure() const {
    return ReadI16(kStartMeasureOffset);
}
int32_t FCStaffStyleAssign::GetStartPosition() const {
    return ReadI32(kStartPositionOffset);
}
int16_t FCStaffStyleAssign::GetEndMeasure() const {
    return ReadI16(kEndMeasureOffset);
}
int32_t FCStaffStyleAssign::GetEndPosition() const {
    return ReadI32(kEndPositionOffset);
}
