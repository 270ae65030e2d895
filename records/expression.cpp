#include "records/expression.h"

#include <memory>

#include "records/measure.h"
#include "records/text_expression_def.h"

// ---- FCExpression -----------------------------------------------------------------------------------------

uint16_t FCExpression::GetDefinitionID() const {
    return ReadU16(kDefinitionIDOffset);
}
void FCExpression::SetDefinitionID(uint16_t definitionID) {
    WriteU16(kDefinitionIDOffset, definitionID);
}
int16_t FCExpression::GetStaff() const {
    return ReadI16(kStaffOffset);
}
void FCExpression::SetStaff(int16_t staff) {
    WriteI16(kStaffOffset, staff);
}
uint16_t FCExpression::GetExpressionFlags() const {
    return ReadU16(kFlagsOffset);
}
void FCExpression::SetExpressionFlags(uint16_t flags) {
    WriteU16(kFlagsOffset, flags);
}

std::unique_ptr<FCTextExpressionDef> FCExpression::CreateTextExpressionDef() const {
    if (IsShape()) return nullptr;
    auto definition = std::make_unique<FCTextExpressionDef>();
    definition->Load(static_cast<int16_t>(GetDefinitionID()));
    return definition;
}

bool FCExpression::SaveNewToCell(const FCCell* cell) {
    if (cell == nullptr) return false;
    const int16_t measure = static_cast<int16_t>(cell->measure);
    if (measure == 0) return false;
    if (!records::MarkMeasureHoldsExpressions(measure)) return false;
    WriteU16(kAttachWordOffset, 0);
    SetStaff(static_cast<int16_t>(cell->staff));
    return SaveNew(measure);
}

// ---- FCExpressions ----------------------------------------------------------------------------------------

int32_t FCExpressions::LoadAllForCell(const FCCell* cell) {
    ClearAll();
    if (cell == nullptr) return 0;
    const int16_t measure = static_cast<int16_t>(cell->measure);
    const int16_t staff = static_cast<int16_t>(cell->staff);
    // The working element lives on the stack: this walk runs for every cell of a region, and its record fits
    // in the object, so a walk that takes no copy allocates nothing.
    FCExpression working;
    working.SetCustomTag(CustomTag());
    // Indices are 16-bit: a host that answered every index must not make the walk run on for ever.
    for (int32_t inci = 0; inci <= INT16_MAX; ++inci) {
        if (!working.Load(measure, static_cast<int16_t>(inci))) break;
        if (working.GetStaff() == staff) TakeCopy(&working);
    }
    return Count();
}
