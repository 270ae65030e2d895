// Look-ups by id over a score, each a hash look-up where Score's own look-ups walk their lists: for the steps
// that look up something for every item of a large score (the change summary, the report, `show`).
#ifndef MIREL_STANDIN_SCORE_INDEX_H
#define MIREL_STANDIN_SCORE_INDEX_H

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "standin/score/score_file.h"

namespace standin {

// The score must outlive the index and stay as it is while the index is used. Where a list holds an id twice,
// the first wins, as with Score's look-ups.
class ScoreIndex {
  public:
    explicit ScoreIndex(const Score& score);

    const ScoreStaff* Staff(int16_t id) const { return Find(staves_, id); }
    const ScoreStaffStyle* StaffStyle(int16_t id) const { return Find(styles_, id); }
    const ScoreTextExpression* TextExpression(int16_t id) const { return Find(definitions_, id); }
    // The slot of a staff (from 1), 0 when it is not in the score.
    int SlotOf(int16_t staffID) const;
    // The style assignments of a staff, in list order.
    const std::vector<const ScoreStyleAssignment*>& AssignmentsOf(int16_t staffID) const;

  private:
    template <typename T>
    static const T* Find(const std::unordered_map<int16_t, const T*>& map, int16_t id) {
        auto it = map.find(id);
        return it == map.end() ? nullptr : it->second;
    }

    std::unordered_map<int16_t, const ScoreStaff*> staves_;
    std::unordered_map<int16_t, int> slots_;
    std::unordered_map<int16_t, const ScoreStaffStyle*> styles_;
    std::unordered_map<int16_t, const ScoreTextExpression*> definitions_;
    std::unordered_map<int16_t, std::vector<const ScoreStyleAssignment*>> assignments_;
};

}  // namespace standin

#endif
