#include "standin/score/score_index.h"

namespace standin {

ScoreIndex::ScoreIndex(const Score& score) {
    for (std::size_t i = 0; i < score.staves.size(); ++i) {
        const ScoreStaff& staff = score.staves[i];
        staves_.emplace(staff.id, &staff);
        slots_.emplace(staff.id, static_cast<int>(i) + 1);
    }
    for (const ScoreStaffStyle& style : score.staffStyles) styles_.emplace(style.id, &style);
    definitions_.reserve(score.textExpressions.size());
    for (const ScoreTextExpression& definition : score.textExpressions)
        definitions_.emplace(definition.id, &definition);
    for (const ScoreStyleAssignment& a : score.styleAssignments) assignments_[a.staff].push_back(&a);
}

int ScoreIndex::SlotOf(int16_t staffID) const {
    auto it = slots_.find(staffID);
    return it == slots_.end() ? 0 : it->second;
}

const std::vector<const ScoreStyleAssignment*>& ScoreIndex::AssignmentsOf(int16_t staffID) const {
    static const std::vector<const ScoreStyleAssignment*> kNone;
    auto it = assignments_.find(staffID);
    return it == assignments_.end() ? kNone : it->second;
}

}  // namespace standin
