#include "records/measure.h"

#include "records/record_copy.h"
#include "records/record_layout.h"

const char* FCMeasure::ClassName() const {
    return "FCMeasure";
}

std::size_t FCMeasure::LayoutIndex() {
    return records::LayoutIndexInForce(kLayouts);
}

const FCMeasure::Layout& FCMeasure::LayoutOfData() const {
    return data_ == buffer_ ? kLayouts[0] : kLayouts[1];
}

uint8_t* FCMeasure::AllocateDataArea() {
    uint8_t* const buffers[] = {buffer_, oldBuffer_};
    return buffers[LayoutIndex()];
}

__FCBaseData* FCMeasure::CreateInstance() const {
    return new FCMeasure();
}

uint32_t FCMeasure::Tag() const {
    return kTag;
}

uint32_t FCMeasure::RecordVersion() const {
    return kLayouts[LayoutIndex()].recordVersion;
}

int32_t FCMeasure::DataSize() {
    return kLayouts[LayoutIndex()].size;
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
    return ReadU16(LayoutOfData().flagsOffset);
}

void FCMeasure::SetMeasureFlags(uint16_t flags) {
    WriteU16(LayoutOfData().flagsOffset, flags);
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
