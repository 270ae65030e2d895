#include "records/staff.h"

#include "plugin/module_state.h"
#include "records/full_name.h"
#include "records/record_copy.h"

const char* FCStaff::ClassName() const {
    return "FCStaff";
}

uint8_t* FCStaff::AllocateDataArea() {
    if (HostVersion() >= kHostVersion2012) return buffer2012_;
    if (HostVersion() >= kHostVersion2011) return buffer2011_;
    return bufferOld_;
}

__FCBaseData* FCStaff::CreateInstance() const {
    return new FCStaff();
}

uint32_t FCStaff::Tag() const {
    return kTag;
}

uint32_t FCStaff::RecordVersion() const {
    if (HostVersion() >= kHostVersion2012) return kVersion2012;
    if (HostVersion() >= kHostVersion2011) return kVersion2011;
    return kVersionOld;
}

int32_t FCStaff::DataSize() {
    // The load that asks for the size lands in the buffer of the same layout, also when it was started at
    // the key directly after the host version moved on.
    SelectLayoutBuffer();
    if (HostVersion() >= kHostVersion2012) return kSize2012;
    if (HostVersion() >= kHostVersion2011) return kSize2011;
    return kSizeOld;
}

void FCStaff::SelectLayoutBuffer() {
    uint8_t* buffer = AllocateDataArea();
    if (data_ != buffer) {
        data_ = buffer;
        loadedSize_ = 0;
    }
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

bool FCStaff::LoadNext() {
    SelectLayoutBuffer();
    return __FCNoInciOther::LoadNext();
}

bool FCStaff::Load(int16_t itemNo) {
    SelectLayoutBuffer();
    return __FCNoInciOther::Load(itemNo);
}

uint16_t FCStaff::GetFullNameID() const {
    return ReadU16(kFullNameIDOffset);
}

FCString* FCStaff::GetFullName() const {
    return records::CreateFullNameFromTextBlock(GetFullNameID());
}
