// What a run changed in a score: the expressions added, rewritten and removed, compared between the score
// read from the document before and after.
//
// An expression is the same in both when it stands in the same measure on the same staff and shows the same
// definition (the n-th such in incident order in both; see ExpressionMatchKey). It was rewritten when its
// definition now names another text block or holds another text; added and removed are the ones found on one
// side only. A removed expression whose measure and staff receive an added one with the same text was placed
// anew.
#ifndef MIREL_STANDIN_CHANGE_SUMMARY_H
#define MIREL_STANDIN_CHANGE_SUMMARY_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "standin/score/score_file.h"
#include "standin/score/score_index.h"

namespace standin {

// The marker the module writes into the description of each of its definitions.
constexpr const char* kPluginMarker = "[Mirel Instrument Change]";

enum class ChangeKind : uint8_t { Added, Rewritten, Removed };

// Where an instrument-change mark stands, as the score's assignments explain it.
enum class MarkRole : uint8_t { None, Start, End };

// One change as it is reported. The texts are kept as they read, not with their tags: a run of many
// invocations keeps every invocation's changes, and they are what it reports. Texts first and the small
// fields together, so that no padding goes between them.
struct ExpressionChange {
    std::string staffName;     // without text tags
    std::string text;          // the definition's text as it reads (before the run for a removed expression)
    std::string previousText;  // rewritten: the text before the run, as it read
    std::string roleText;      // "start of Piccolo, m. 20-45"
    int slot = 0;              // 0 when the staff is not in the score
    int16_t measure = 0;
    int16_t inci = 0;
    int16_t staff = 0;
    uint16_t definition = 0;
    ChangeKind kind = ChangeKind::Added;
    MarkRole role = MarkRole::None;
    bool shape = false;
    bool plugin = false;  // the definition's description carries the marker
    bool placedAnew = false;

    std::string ShownText() const;  // the text as it reads ("To Piccolo:"); "(shape)" for a shape expression
};

struct ChangeSummary {
    std::vector<ExpressionChange> changes;  // by measure, then slot, removed before rewritten before added
    int added = 0;
    int rewritten = 0;
    int removed = 0;
    int rewrittenWithSameText = 0;
    int placedAnew = 0;  // pairs of a removed and an added expression
    std::size_t expressionsBefore = 0;
    std::size_t expressionsAfter = 0;
    // The same expressions (measure, staff and text) stand in the score after as before.
    bool sameExpressionsAfter = false;

    bool Empty() const { return changes.empty(); }
};

ChangeSummary SummarizeChanges(const Score& before, const Score& after);

// The summary as text: the counts, one line per change, and what it comes to in plain words.
std::string FormatChangeSummary(const ChangeSummary& summary);

// The text of the definition an expression shows, as it reads; empty for a shape or a missing definition.
std::string ExpressionShownText(const ScoreIndex& index, const ScoreExpression& expression);

// "added", "rewritten" or "removed".
const char* KindName(ChangeKind kind);

// How many characters a UTF-8 text shows (code points).
std::size_t TextWidth(std::string_view utf8);
// How many columns a UTF-8 text takes in a terminal, as fmt measures it when it pads: two for a wide East
// Asian character or an emoji, one for any other character.
std::size_t ColumnWidth(std::string_view utf8);

}  // namespace standin

#endif
