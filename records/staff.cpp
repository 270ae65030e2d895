#include "records/staff.h"

#include "host/host_version.h"
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
    if (HostVersion() >= kHostVersion2012) return kSize2012;
    if (HostVersion() >= kHostVersion2011) return kSize2011;
    return kSizeOld;
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
