#include "standin/report/change_summary.h"

#include <fmt/compile.h>
#include <fmt/format.h>

#include <algorithm>
#include <iterator>
#include <string_view>
#include <tuple>

namespace standin {

namespace {

int KindOrder(ChangeKind kind) {
    switch (kind) {
        case ChangeKind::Removed:
            return 0;
        case ChangeKind::Rewritten:
            return 1;
        case ChangeKind::Added:
            return 2;
    }
    return 3;
}

std::string Plural(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The position of an item in its list, for the facts kept by position beside a score's lists.
template <typename T>
std::size_t PositionIn(const std::vector<T>& list, const T* item) {
    return static_cast<std::size_t>(item - list.data());
}

// Why an instrument-change mark may stand at (staff, measure): the first instrument change of that staff, in
// the order of its assignments, that starts in the measure or ended in the measure before.
struct MarkReason {
    MarkRole role = MarkRole::None;
    const ScoreStyleAssignment* assignment = nullptr;
    std::size_t style = 0;  // the style's position in the score's staff styles
};

class MarkReasons {
  public:
    explicit MarkReasons(const Score& score, const ScoreIndex& index) {
        styleNames_.reserve(score.staffStyles.size());
        for (const ScoreStaffStyle& style : score.staffStyles) styleNames_.push_back(PlainText(style.name));
        reasons_.reserve(2 * score.styleAssignments.size());
        for (const ScoreStyleAssignment& a : score.styleAssignments) {
            const ScoreStaffStyle* style = index.StaffStyle(a.style);
            if (style == nullptr || !style->changesInstrument) continue;
            const std::size_t position = PositionIn(score.staffStyles, style);
            reasons_.emplace_back(Place{a.staff, a.start.measure}, MarkReason{MarkRole::Start, &a, position});
            reasons_.emplace_back(Place{a.staff, a.end.measure + 1}, MarkReason{MarkRole::End, &a, position});
        }
        // In place order, the first reason of each place kept: a sorted list searched, not a map. Assignments
        // listed by staff and measure (the usual case) give them in order already.
        const auto placeBefore = [](const auto& a, const auto& b) { return a.first < b.first; };
        if (!std::is_sorted(reasons_.begin(), reasons_.end(), placeBefore))
            std::stable_sort(reasons_.begin(), reasons_.end(), placeBefore);
        reasons_.erase(std::unique(reasons_.begin(), reasons_.end(),
                                   [](const auto& a, const auto& b) { return a.first == b.first; }),
                       reasons_.end());
    }

    // Sets the change's role and its text ("start of Piccolo, m. 20-45"); nothing when no change explains it.
    void Explain(ExpressionChange& change) const {
        const Place place{change.staff, change.measure};
        auto it = std::lower_bound(reasons_.begin(), reasons_.end(), place,
                                   [](const auto& entry, const Place& key) { return entry.first < key; });
        if (it == reasons_.end() || it->first != place) return;
        const MarkReason& reason = it->second;
        change.role = reason.role;
        change.roleText = fmt::format(
            FMT_COMPILE("{}{}, m. {}-{}"), reason.role == MarkRole::Start ? "start of " : "end of ",
            styleNames_[reason.style], reason.assignment->start.measure, reason.assignment->end.measure);
    }

  private:
    using Place = std::pair<int16_t, int>;  // (staff, measure)

    std::vector<std::string> styleNames_;  // as they read, by position in the score's staff styles
    std::vector<std::pair<Place, MarkReason>> reasons_;
};

// What a definition shows and whether the module wrote it, made once however many expressions show it.
struct DefinitionFacts {
    const ScoreTextExpression* definition = nullptr;
    std::string shownText;  // as it reads
    bool plugin = false;    // the description carries the marker
};

// What the summary looks up in one of the two scores, with the texts it shows made once per staff and
// definition.
class SummarySide {
  public:
    explicit SummarySide(const Score& score) : score_(score), index_(score), reasons_(score, index_) {
        staffNames_.reserve(score.staves.size());
        for (const ScoreStaff& staff : score.staves) staffNames_.push_back(PlainText(staff.name));
        definitions_.reserve(score.textExpressions.size());
        for (const ScoreTextExpression& t : score.textExpressions) {
            definitions_.push_back(DefinitionFacts{&t, PlainText(t.text),
                                                   t.description.find(kPluginMarker) != std::string::npos});
        }
    }

    const ScoreIndex& Index() const { return index_; }
    const MarkReasons& Reasons() const { return reasons_; }
    // The staff's name as it reads; null when the score has no such staff.
    const std::string* StaffName(int16_t id) const {
        const ScoreStaff* staff = index_.Staff(id);
        return staff == nullptr ? nullptr : &staffNames_[PositionIn(score_.staves, staff)];
    }
    // The facts of the definition an expression shows; null for a shape or a missing definition.
    const DefinitionFacts* Definition(const ScoreExpression& e) const {
        if (e.shape) return nullptr;
        const ScoreTextExpression* definition = index_.TextExpression(static_cast<int16_t>(e.definition));
        return definition == nullptr ? nullptr
                                     : &definitions_[PositionIn(score_.textExpressions, definition)];
    }
    // ExpressionChange::ShownText() of the change that describes `e`.
    std::string_view ChangeShownText(const ScoreExpression& e) const {
        if (e.shape) return "(shape)";
        const DefinitionFacts* facts = Definition(e);
        return facts == nullptr ? std::string_view() : std::string_view(facts->shownText);
    }

  private:
    const Score& score_;
    ScoreIndex index_;
    MarkReasons reasons_;
    std::vector<std::string> staffNames_;       // by position in the score's staves
    std::vector<DefinitionFacts> definitions_;  // by position in the score's definitions
};

// A change found, before it is described: what the changes are paired and ordered by. The changes themselves
// are made once, in their final order, in a list sized for them.
struct FoundChange {
    ChangeKind kind = ChangeKind::Added;
    const SummarySide* side = nullptr;
    const ScoreExpression* expression = nullptr;
    const std::string* previousText = nullptr;  // rewritten: the text before the run, as it read
    std::string_view shown;                     // ExpressionChange::ShownText() of the change
    bool placedAnew = false;
};

void Describe(ExpressionChange& change, const FoundChange& found) {
    const SummarySide& side = *found.side;
    const ScoreExpression& e = *found.expression;
    change.kind = found.kind;
    change.measure = e.measure;
    change.inci = e.inci;
    change.staff = e.staff;
    change.slot = side.Index().SlotOf(e.staff);
    if (const std::string* name = side.StaffName(e.staff)) change.staffName = *name;
    change.definition = e.definition;
    change.shape = e.shape;
    if (const DefinitionFacts* facts = side.Definition(e)) {
        change.text = facts->shownText;
        change.plugin = facts->plugin;
    }
    if (found.previousText != nullptr) change.previousText = *found.previousText;
    if (change.plugin) side.Reasons().Explain(change);
    change.placedAnew = found.placedAnew;
}

// (measure, staff, text as it reads) of every expression: what a reader of the score sees, sorted, so that
// two readings compare in one pass.
using Sighting = std::tuple<int16_t, int16_t, std::string>;
std::vector<Sighting> Visible(const Score& score, const SummarySide& side) {
    std::vector<Sighting> seen;
    seen.reserve(score.expressions.size());
    for (const ScoreExpression& e : score.expressions) {
        std::string text;
        if (e.shape) {
            text = "(shape " + std::to_string(e.definition) + ")";
        } else if (const DefinitionFacts* facts = side.Definition(e)) {
            text = facts->shownText;
        }
        seen.emplace_back(e.measure, e.staff, std::move(text));
    }
    std::sort(seen.begin(), seen.end());
    return seen;
}

// Pairs each removed expression with the first added one, in the order of the changes, at the same measure
// and staff with the same text that no earlier removed one took: placed anew.
int PairPlacedAnew(std::vector<FoundChange>& changes) {
    // The added ones sorted by (measure, staff, text), in change order within each; each removed one takes
    // the next of its run that is not taken yet (`taken`, kept at the run's first entry).
    using Place = std::tuple<int16_t, int16_t, std::string_view>;
    const auto placeOf = [&](std::size_t i) {
        return Place{changes[i].expression->measure, changes[i].expression->staff, changes[i].shown};
    };
    std::vector<std::pair<Place, std::size_t>> added;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        if (changes[i].kind == ChangeKind::Added) added.emplace_back(placeOf(i), i);
    }
    std::sort(added.begin(), added.end());
    std::vector<std::size_t> taken(added.size(), 0);
    int pairs = 0;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        if (changes[i].kind != ChangeKind::Removed) continue;
        const Place place = placeOf(i);
        auto run = std::lower_bound(added.begin(), added.end(), place,
                                    [](const auto& entry, const Place& key) { return entry.first < key; });
        if (run == added.end() || run->first != place) continue;
        const auto first = static_cast<std::size_t>(run - added.begin());
        const std::size_t next = first + taken[first];
        if (next == added.size() || added[next].first != place) continue;
        ++taken[first];
        changes[i].placedAnew = changes[added[next].second].placedAnew = true;
        ++pairs;
    }
    return pairs;
}

// The changes by measure, then slot, removed before rewritten before added, then incident; equal ones in the
// order they were found.
std::vector<std::size_t> ChangeOrder(const std::vector<FoundChange>& changes) {
    std::vector<std::tuple<int16_t, int, int, int16_t, std::size_t>> keys;
    keys.reserve(changes.size());
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const ScoreExpression& e = *changes[i].expression;
        keys.emplace_back(e.measure, changes[i].side->Index().SlotOf(e.staff), KindOrder(changes[i].kind),
                          e.inci, i);
    }
    std::sort(keys.begin(), keys.end());
    std::vector<std::size_t> order;
    order.reserve(keys.size());
    for (const auto& key : keys) order.push_back(std::get<4>(key));
    return order;
}

// For each of two lists of match keys, which keys the other list holds too: both sorted with their positions
// and walked together once. Keys are unique within a list (n tells apart those with equal first four).
class SharedKeys {
  public:
    SharedKeys(const std::vector<ExpressionMatchKey>& first, const std::vector<ExpressionMatchKey>& second)
        : heldBySecond_(first.size(), false), heldByFirst_(second.size(), false) {
        const std::vector<Positioned> a = SortedWithPositions(first);
        const std::vector<Positioned> b = SortedWithPositions(second);
        for (std::size_t i = 0, j = 0; i < a.size() && j < b.size();) {
            if (a[i].first < b[j].first) {
                ++i;
            } else if (b[j].first < a[i].first) {
                ++j;
            } else {
                heldBySecond_[a[i++].second] = true;
                heldByFirst_[b[j++].second] = true;
            }
        }
    }

    // Whether the second list holds the first list's key at `position`, and the other way round.
    bool SecondHolds(std::size_t position) const { return heldBySecond_[position]; }
    bool FirstHolds(std::size_t position) const { return heldByFirst_[position]; }

  private:
    using Positioned = std::pair<ExpressionMatchKey, std::size_t>;

    static std::vector<Positioned> SortedWithPositions(const std::vector<ExpressionMatchKey>& keys) {
        std::vector<Positioned> positioned;
        positioned.reserve(keys.size());
        for (std::size_t i = 0; i < keys.size(); ++i) positioned.emplace_back(keys[i], i);
        std::sort(positioned.begin(), positioned.end());
        return positioned;
    }

    std::vector<bool> heldBySecond_;  // by position in the first list
    std::vector<bool> heldByFirst_;   // by position in the second list
};

// The summary's place cell: the staff's name, when it has one, and its id.
std::string PlaceCell(const ExpressionChange& c) {
    if (c.staffName.empty()) return fmt::format(FMT_COMPILE("staff {}"), c.staff);
    return fmt::format(FMT_COMPILE("{} (staff {})"), c.staffName, c.staff);
}

// The summary's text cell: the text shown, quoted, and for a rewritten expression what it was.
std::string TextCell(const ExpressionChange& c) {
    const std::string shown = "\"" + c.ShownText() + "\"";
    if (c.kind != ChangeKind::Rewritten) return shown;
    if (c.previousText == c.ShownText()) return shown + " (same text)";
    return "\"" + c.previousText + "\" -> " + shown;
}

}  // namespace

std::size_t ColumnWidth(std::string_view utf8) {
    // Padded to twice its length, more than any text takes, a text gains as many spaces as it falls short.
    const std::size_t room = 2 * utf8.size();
    return room - (fmt::formatted_size(FMT_COMPILE("{:{}}"), utf8, room) - utf8.size());
}

std::size_t TextWidth(std::string_view utf8) {
    std::size_t width = 0;
    for (char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++width;
    }
    return width;
}

const char* KindName(ChangeKind kind) {
    switch (kind) {
        case ChangeKind::Added:
            return "added";
        case ChangeKind::Rewritten:
            return "rewritten";
        case ChangeKind::Removed:
            return "removed";
    }
    return "";
}

std::string ExpressionShownText(const ScoreIndex& index, const ScoreExpression& expression) {
    if (expression.shape) return std::string();
    const ScoreTextExpression* definition = index.TextExpression(static_cast<int16_t>(expression.definition));
    return definition == nullptr ? std::string() : PlainText(definition->text);
}

std::string ExpressionChange::ShownText() const {
    return shape ? std::string("(shape)") : text;
}

ChangeSummary SummarizeChanges(const Score& before, const Score& after) {
    ChangeSummary summary;
    summary.expressionsBefore = before.expressions.size();
    summary.expressionsAfter = after.expressions.size();

    // An expression found in both readings by its match key (not by its incident, which moves down when an
    // earlier expression of its measure is deleted).
    const std::vector<ExpressionMatchKey> beforeKeys = ExpressionMatchKeys(before.expressions);
    const std::vector<ExpressionMatchKey> afterKeys = ExpressionMatchKeys(after.expressions);
    const SharedKeys shared(beforeKeys, afterKeys);
    const SummarySide previousSide(before);
    const SummarySide currentSide(after);
    const ScoreIndex& beforeIndex = previousSide.Index();
    const ScoreIndex& afterIndex = currentSide.Index();

    std::vector<FoundChange> found;
    const auto find = [&](ChangeKind kind, const SummarySide& side,
                          const ScoreExpression& e) -> FoundChange& {
        return found.emplace_back(FoundChange{kind, &side, &e, nullptr, side.ChangeShownText(e)});
    };
    for (std::size_t i = 0; i < after.expressions.size(); ++i) {
        const ScoreExpression& e = after.expressions[i];
        if (!shared.FirstHolds(i)) {
            find(ChangeKind::Added, currentSide, e);
            continue;
        }
        if (e.shape) continue;
        const ScoreTextExpression* was = beforeIndex.TextExpression(static_cast<int16_t>(e.definition));
        const ScoreTextExpression* now = afterIndex.TextExpression(static_cast<int16_t>(e.definition));
        if (was == nullptr || now == nullptr) continue;
        if (was->textBlock != now->textBlock || was->text != now->text ||
            was->description != now->description) {
            find(ChangeKind::Rewritten, currentSide, e).previousText = &previousSide.Definition(e)->shownText;
        }
    }
    for (std::size_t i = 0; i < before.expressions.size(); ++i) {
        if (!shared.SecondHolds(i)) find(ChangeKind::Removed, previousSide, before.expressions[i]);
    }

    // A removed expression and an added one at the same measure and staff with the same text: placed anew.
    summary.placedAnew = PairPlacedAnew(found);

    for (const FoundChange& f : found) {
        if (f.kind == ChangeKind::Added) ++summary.added;
        if (f.kind == ChangeKind::Removed) ++summary.removed;
        if (f.kind == ChangeKind::Rewritten) {
            ++summary.rewritten;
            if (*f.previousText == f.shown) ++summary.rewrittenWithSameText;
        }
    }
    // Sized exactly: summaries are kept, one per invocation of a long run.
    summary.changes.reserve(found.size());
    for (const std::size_t i : ChangeOrder(found)) Describe(summary.changes.emplace_back(), found[i]);
    // Readings with different numbers of expressions cannot show the same ones: no need to list them.
    summary.sameExpressionsAfter = before.expressions.size() == after.expressions.size() &&
                                   Visible(before, previousSide) == Visible(after, currentSide);
    return summary;
}

namespace {

// The change lines: kind, measure, place and text in columns, then the role and whether it was placed anew.
void AppendChangeLines(std::string& out, const ChangeSummary& summary) {
    std::vector<std::string> places;
    std::vector<std::string> texts;
    std::size_t placeWidth = 0;
    std::size_t textWidth = 0;
    for (const ExpressionChange& c : summary.changes) {
        placeWidth = std::max(placeWidth, ColumnWidth(places.emplace_back(PlaceCell(c))));
        textWidth = std::max(textWidth, ColumnWidth(texts.emplace_back(TextCell(c))));
    }
    for (std::size_t i = 0; i < summary.changes.size(); ++i) {
        const ExpressionChange& c = summary.changes[i];
        std::string note = c.roleText;
        if (c.placedAnew) note += c.roleText.empty() ? "placed anew" : "; placed anew";
        // The text's padding would only be trimmed again when nothing follows it.
        const std::size_t lineStart = out.size();
        fmt::format_to(std::back_inserter(out), FMT_COMPILE("  {:<10}{:<8}{:<{}}{:<{}}{}"), KindName(c.kind),
                       fmt::format(FMT_COMPILE("m. {}"), c.measure), places[i], placeWidth + 2, texts[i],
                       note.empty() ? 0 : textWidth + 2, note);
        while (out.size() > lineStart && out.back() == ' ') out.pop_back();
        out += '\n';
    }
}

// What the changes come to, in plain words: the rewritten ones, the ones placed anew, the new ones and the
// ones removed for good.
std::vector<std::string> PlainFacts(const ChangeSummary& summary) {
    int startsRewritten = 0;
    int endsAnew = 0;
    for (const ExpressionChange& c : summary.changes) {
        if (c.kind == ChangeKind::Rewritten && c.role == MarkRole::Start) ++startsRewritten;
        if (c.kind == ChangeKind::Removed && c.placedAnew && c.role == MarkRole::End) ++endsAnew;
    }
    std::vector<std::string> facts;
    if (summary.rewritten > 0) {
        std::string fact =
            Plural(summary.rewritten, "expression was", "expressions were") + " rewritten in place";
        if (summary.rewrittenWithSameText == summary.rewritten) {
            fact += summary.rewritten == 1 ? " with the same text" : " with the same texts";
        }
        if (startsRewritten == summary.rewritten)
            fact += summary.rewritten == 1 ? " (a start mark)" : " (start marks)";
        facts.push_back(fact);
    }
    if (summary.placedAnew > 0) {
        std::string fact = Plural(summary.placedAnew, "expression was", "expressions were") +
                           " removed and placed anew in the same measure and staff with the same text";
        if (endsAnew == summary.placedAnew)
            fact += summary.placedAnew == 1 ? " (an end mark)" : " (end marks)";
        facts.push_back(fact);
    }
    const int newOnes = summary.added - summary.placedAnew;
    const int goneOnes = summary.removed - summary.placedAnew;
    if (newOnes > 0)
        facts.push_back(Plural(newOnes, "new expression was", "new expressions were") + " placed");
    if (goneOnes > 0)
        facts.push_back(Plural(goneOnes, "expression was", "expressions were") + " removed for good");
    return facts;
}

// How the score's expressions compare as a whole, before and after.
void AppendTotals(std::string& out, const ChangeSummary& summary) {
    if (summary.sameExpressionsAfter) {
        out += "The score shows the same ";
        out += Plural(static_cast<int>(summary.expressionsAfter), "expression", "expressions");
        out += " in the same places with the same texts as before.\n";
        return;
    }
    fmt::format_to(std::back_inserter(out), "The score had {} expressions and has {} now.\n",
                   summary.expressionsBefore, summary.expressionsAfter);
}

}  // namespace

std::string FormatChangeSummary(const ChangeSummary& summary) {
    if (summary.Empty()) return "Changes: none. No expression was added, rewritten or removed.\n";
    // One string is appended to throughout: no stream, and no string of its own for each line.
    std::string out = fmt::format("Changes: {} added, {} rewritten, {} removed.\n", summary.added,
                                  summary.rewritten, summary.removed);
    AppendChangeLines(out, summary);
    const std::vector<std::string> facts = PlainFacts(summary);
    out += "In short: ";
    for (std::size_t i = 0; i < facts.size(); ++i) {
        if (i > 0) out += "; ";
        out += facts[i];
    }
    out += ".\n";
    AppendTotals(out, summary);
    return out;
}

}  // namespace standin
