#include "standin/score/score_index.h"

#include <algorithm>

namespace standin {

template <typename T>
ScoreIndex::Positions ScoreIndex::PositionsOf(const std::vector<T>& items) {
    Positions positions;
    if (items.empty()) return positions;
    const auto [lowest, highest] =
        std::minmax_element(items.begin(), items.end(), [](const T& a, const T& b) { return a.id < b.id; });
    positions.lowest = lowest->id;
    positions.first.assign(static_cast<std::size_t>(highest->id - lowest->id) + 1, Positions::kNone);
    // From the last to the first, so that the first of an id is the one that stays.
    for (std::size_t i = items.size(); i-- > 0;) {
        positions.first[static_cast<std::size_t>(items[i].id - positions.lowest)] = static_cast<uint32_t>(i);
    }
    return positions;
}

ScoreIndex::ScoreIndex(const Score& score)
    : score_(score),
      staves_(PositionsOf(score.staves)),
      styles_(PositionsOf(score.staffStyles)),
      definitions_(PositionsOf(score.textExpressions)) {
    for (const ScoreStyleAssignment& a : score.styleAssignments) assignments_[a.staff].push_back(&a);
}

int ScoreIndex::SlotOf(int16_t staffID) const {
    const uint32_t at = FirstPosition(staves_, staffID);
    return at == Positions::kNone ? 0 : static_cast<int>(at) + 1;
}

const std::vector<const ScoreStyleAssignment*>& ScoreIndex::AssignmentsOf(int16_t staffID) const {
    static const std::vector<const ScoreStyleAssignment*> kNone;
    auto it = assignments_.find(staffID);
    return it == assignments_.end() ? kNone : it->second;
}

}  // namespace standin
