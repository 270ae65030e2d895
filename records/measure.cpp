#include "records/measure.h"

#include "host/host_version.h"
#include "records/record_copy.h"

const char* FCMeasure::ClassName() const {
    return "FCMeasure";
}

bool FCMeasure::UsesNewLayout() const {
    return HostVersion() >= kHostVersion2012;
}

uint8_t* FCMeasure::AllocateDataArea() {
    return UsesNewLayout() ? buffer_ : oldBuffer_;
}

__FCBaseData* FCMeasure::CreateInstance() const {
    return new FCMeasure();
}

uint32_t FCMeasure::Tag() const {
    return kTag;
}

uint32_t FCMeasure::RecordVersion() const {
    return UsesNewLayout() ? kVersion : kOldVersion;
}

int32_t FCMeasure::DataSize() {
    return UsesNewLayout() ? kSize : kOldSize;
}

void FCMeasure::CopyDataFrom(const __FCBaseData* other) {
    data_ = AllocateDataArea();
    loadedSize_ = records::CopyLoadedBytes(data_, DataSize(), other);
}

bool FCMeasure::Load(int16_t itemNo) {
    if (itemNo == 0) return false;
    return __FCNoInciOther::Load(itemNo);
}

uint16_t FCMeasure::GetMeasureFlags() const {
    return ReadU16(data_ == buffer_ ? kFlagsOffset : kOldFlagsOffset);
}

void FCMeasure::SetMeasureFlags(uint16_t flags) {
    WriteU16(data_ == buffer_ ? kFlagsOffset : kOldFlagsOffset, flags);
}

void FCMeasure::SetExpressionFlag() {
    SetMeasureFlags(static_cast<uint16_t>(GetMeasureFlags() | kHoldsExpressions));
}

namespace records {

bool MarkMeasureHoldsExpressions(int16_t measure) {
    FCMeasure record;
    if (!record.Load(measure)) return false;
    record.SetExpressionFlag();
    record.Save();
    return true;
}

}  // namespace records
