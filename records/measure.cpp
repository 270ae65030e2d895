#include "records/measure.h"

bool FCMeasure::Load(int16_t itemNo) {
    if (itemNo == 0) return false;
    return __FCNoInciOther::Load(itemNo);
}

uint16_t FCMeasure::GetMeasureFlags() const {
    return ReadU16(LayoutInForce().flagsOffset);
}

void FCMeasure::SetMeasureFlags(uint16_t flags) {
    WriteU16(LayoutInForce().flagsOffset, flags);
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
