#include "records/staff_style.h"

#include <cstring>

#include "records/full_name.h"
#include "records/record_copy.h"
#include "records/record_layout.h"

// ---- FCStaffStyleDef --------------------------------------------------------------------------------------

FCStaffStyleDef::FCStaffStyleDef() {
    AttachLoaded(AllocateDataArea(), DataSize());
}

const char* FCStaffStyleDef::ClassName() const {
    return "FCStaffStyleDef";
}

const FCStaffStyleDef::Layout& FCStaffStyleDef::LayoutInForce() {
    return kLayouts[records::LayoutIndexInForce(kLayouts)];
}

uint8_t* FCStaffStyleDef::AllocateDataArea() {
    uint8_t* const buffers[] = {buffer2012_, buffer2011_, bufferOld_};
    return buffers[records::LayoutIndexInForce(kLayouts)];
}

__FCBaseData* FCStaffStyleDef::CreateInstance() const {
    return new FCStaffStyleDef();
}

uint32_t FCStaffStyleDef::Tag() const {
    return kTag;
}

uint32_t FCStaffStyleDef::RecordVersion() const {
    return LayoutInForce().recordVersion;
}

int32_t FCStaffStyleDef::DataSize() {
    return LayoutInForce().size;
}

void FCStaffStyleDef::CopyDataFrom(const __FCBaseData* other) {
    data_ = AllocateDataArea();
    loadedSize_ = records::CopyLoadedBytes(data_, DataSize(), other);
}

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

// The flag words exist only in the newer layouts, and only when the record in hand was loaded with one of
// them.
bool FCStaffStyleDef::HoldsFlagWords() const {
    return LayoutInForce().hasFlagWords && data_ != bufferOld_;
}

bool FCStaffStyleDef::ChangesInstrument() const {
    if (!HoldsFlagWords()) return false;
    return (GetStyleFlags1() & kChangeBits1) == kChangeBits1 &&
           (GetStyleFlags2() & kChangeBits2) == kChangeBits2 && (GetStyleFlags3() & kChangeBit3) != 0;
}

FCString* FCStaffStyleDef::GetFullName() const {
    return records::CreateFullNameFromTextBlock(GetFullNameID());
}

// ---- FCStaffStyleAssign -----------------------------------------------------------------------------------

FCStaffStyleAssign::FCStaffStyleAssign() {
    AttachLoaded(buffer_, kSize);
    WriteI32(kEndPositionOffset, kNewEndPosition);
}

const char* FCStaffStyleAssign::ClassName() const {
    return "FCStaffStyleAssign";
}

uint8_t* FCStaffStyleAssign::AllocateDataArea() {
    return buffer_;
}

__FCBaseData* FCStaffStyleAssign::CreateInstance() const {
    return new FCStaffStyleAssign();
}

uint32_t FCStaffStyleAssign::Tag() const {
    return kTag;
}

int32_t FCStaffStyleAssign::DataSize() {
    return kSize;
}

void FCStaffStyleAssign::CopyDataFrom(const __FCBaseData* other) {
    data_ = buffer_;
    loadedSize_ = records::CopyLoadedBytes(buffer_, kSize, other);
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

// ---- FCStaffStyleAssigns ----------------------------------------------------------------------------------

const char* FCStaffStyleAssigns::ClassName() const {
    return "FCStaffStyleAssigns";
}

__FCBaseData* FCStaffStyleAssigns::CreateElement() {
    return new FCStaffStyleAssign();
}
