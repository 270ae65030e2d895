// Look-ups by id over a score, each a read from a table where Score's own look-ups walk their lists: for the
// steps that look up something for every item of a large score (the change summary, the report, `show`).
#ifndef MIREL_STANDIN_SCORE_INDEX_H
#define MIREL_STANDIN_SCORE_INDEX_H

#include <cstddef>
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

    const ScoreStaff* Staff(int16_t id) const { return Find(score_.staves, staves_, id); }
    const ScoreStaffStyle* StaffStyle(int16_t id) const { return Find(score_.staffStyles, styles_, id); }
    const ScoreTextExpression* TextExpression(int16_t id) const {
        return Find(score_.textExpressions, definitions_, id);
    }
    // The slot of a staff (from 1), 0 when it is not in the score.
    int SlotOf(int16_t staffID) const;
    // The style assignments of a staff, in list order.
    const std::vector<const ScoreStyleAssignment*>& AssignmentsOf(int16_t staffID) const;

  private:
    // The first position of each id in a list, in a table over the ids from the lowest to the highest: a
    // look-up is one read, and the table is made with one allocation where a hash map makes one per item. Ids
    // are 16-bit, so the table never has more than 65,536 entries.
    struct Positions {
        static constexpr uint32_t kNone = UINT32_MAX;
        int lowest = 0;
        std::vector<uint32_t> first;  // by id - lowest
    };

    template <typename T>
    static Positions PositionsOf(const std::vector<T>& items);
    template <typename T>
    static const T* Find(const std::vector<T>& items, const Positions& positions, int16_t id) {
        const uint32_t at = FirstPosition(positions, id);
        return at == Positions::kNone ? nullptr : &items[at];
    }
    static uint32_t FirstPosition(const Positions& positions, int16_t id) {
        const auto at = static_cast<std::size_t>(id - positions.lowest);  // wraps around below the lowest
        return at < positions.first.size() ? positions.first[at] : Positions::kNone;
    }

    const Score& score_;
    Positions staves_;
    Positions styles_;
    Positions definitions_;
    std::unordered_map<int16_t, std::vector<const ScoreStyleAssignment*>> assignments_;
};

}  // namespace standin

#endif
