#include "records/staff.h"

#include "records/full_name.h"
#include "records/record_copy.h"
#include "records/record_layout.h"

const char* FCStaff::ClassName() const {
    return "FCStaff";
}

const FCStaff::Layout& FCStaff::LayoutInForce() {
    return kLayouts[records::LayoutIndexInForce(kLayouts)];
}

uint8_t* FCStaff::AllocateDataArea() {
    uint8_t* const buffers[] = {buffer2012_, buffer2011_, bufferOld_};
    return buffers[records::LayoutIndexInForce(kLayouts)];
}

__FCBaseData* FCStaff::CreateInstance() const {
    return new FCStaff();
}

uint32_t FCStaff::Tag() const {
    return kTag;
}

uint32_t FCStaff::RecordVersion() const {
    return LayoutInForce().recordVersion;
}

int32_t FCStaff::DataSize() {
    return LayoutInForce().size;
}

void FCStaff::CopyDataFrom(const __FCBaseData* other) {
    data_ = AllocateDataArea();
    loadedSize_ = records::CopyLoadedBytes(data_, DataSize(), other);
}

bool FCStaff::LoadFirst() {
    SetKeyField(0, 0);
    SetKeyField(1, 0);
    return LoadNext();
}

uint16_t FCStaff::GetFullNameID() const {
    return ReadU16(kFullNameIDOffset);
}

FCString* FCStaff::GetFullName() const {
    return records::CreateFullNameFromTextBlock(GetFullNameID());
}
