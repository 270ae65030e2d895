#include "standin/report/change_summary.h"

#include <algorithm>
#include <charconv>
#include <cstring>
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

// Pads the ASCII text `out` holds from `start` with spaces to `width` characters, when it is shorter.
void PadFrom(std::string& out, std::size_t start, std::size_t width) {
    const std::size_t shown = out.size() - start;
    if (shown < width) out.append(width - shown, ' ');
}

std::string Plural(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Appends the number in decimal without a string of its own.
void AppendNumber(std::string& out, long long number) {
    char digits[24];
    const auto written = std::to_chars(digits, digits + sizeof digits, number);
    out.append(digits, written.ptr);
}

// A field as an unsigned number that orders as the signed one does.
uint64_t Ordered(int16_t field) {
    return uint64_t{static_cast<uint16_t>(field)} ^ 0x8000;
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
            reasons_.emplace_back(At(a.staff, a.start.measure), MarkReason{MarkRole::Start, &a, position});
            reasons_.emplace_back(At(a.staff, a.end.measure + 1), MarkReason{MarkRole::End, &a, position});
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
        const uint64_t place = At(change.staff, change.measure);
        auto it = std::lower_bound(reasons_.begin(), reasons_.end(), place,
                                   [](const auto& entry, uint64_t key) { return entry.first < key; });
        if (it == reasons_.end() || it->first != place) return;
        const MarkReason& reason = it->second;
        change.role = reason.role;
        std::string& text = change.roleText;
        const char* opening = reason.role == MarkRole::Start ? "start of " : "end of ";
        // The measures ("20-45") are written first, so that the text is sized once and appended to in a few
        // pieces.
        char span[24];  // two 16-bit numbers and a dash
        char* end = std::to_chars(span, span + 12, reason.assignment->start.measure).ptr;
        *end++ = '-';
        end = std::to_chars(end, span + sizeof span, reason.assignment->end.measure).ptr;
        const std::string& name = styleNames_[reason.style];
        text.reserve(std::strlen(opening) + name.size() + 5 + static_cast<std::size_t>(end - span));
        text = opening;
        text += name;
        text += ", m. ";
        text.append(span, end);
    }

  private:
    // (staff, measure) as one number.
    static uint64_t At(int16_t staff, int measure) {
        return uint64_t{static_cast<uint16_t>(staff)} << 32 | static_cast<uint32_t>(measure);
    }

    std::vector<std::string> styleNames_;  // as they read, by position in the score's staff styles
    std::vector<std::pair<uint64_t, MarkReason>> reasons_;
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

// (measure, staff, text as it reads) of every expression: what a reader of the score sees. Sorted, so that
// two readings compare in one pass, with measure and staff packed into one number. The texts are views of the
// side's texts and of the shape labels kept here.
struct Visible {
    Visible(const Score& score, const SummarySide& side) {
        std::size_t shapes = 0;
        for (const ScoreExpression& e : score.expressions) shapes += e.shape ? 1 : 0;
        shapeLabels.reserve(shapes);  // never grows, so that the views of its strings stay valid
        seen.reserve(score.expressions.size());
        for (const ScoreExpression& e : score.expressions) {
            std::string_view text;
            if (e.shape) {
                shapeLabels.push_back("(shape " + std::to_string(e.definition) + ")");
                text = shapeLabels.back();
            } else if (const DefinitionFacts* facts = side.Definition(e)) {
                text = facts->shownText;
            }
            seen.emplace_back(Ordered(e.measure) << 16 | Ordered(e.staff), text);
        }
        std::sort(seen.begin(), seen.end());
    }
    Visible(const Visible&) = delete;
    Visible& operator=(const Visible&) = delete;

    std::vector<std::string> shapeLabels;
    std::vector<std::pair<uint64_t, std::string_view>> seen;
};

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
// order they were found. Indices are sorted by keys packed into two numbers, the index in the low 32 bits.
std::vector<std::size_t> ChangeOrder(const std::vector<FoundChange>& changes) {
    std::vector<std::pair<uint64_t, uint64_t>> keys;
    keys.reserve(changes.size());
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const ScoreExpression& e = *changes[i].expression;
        const auto slot = static_cast<uint32_t>(changes[i].side->Index().SlotOf(e.staff));
        keys.emplace_back(Ordered(e.measure) << 32 | slot,
                          uint64_t(KindOrder(changes[i].kind)) << 48 | Ordered(e.inci) << 32 | i);
    }
    std::sort(keys.begin(), keys.end());
    std::vector<std::size_t> order;
    order.reserve(keys.size());
    for (const auto& key : keys) order.push_back(static_cast<std::size_t>(key.second & 0xFFFFFFFF));
    return order;
}

// For each of two lists of match keys, which keys the other list holds too: both packed, (measure, staff,
// definition, shape) into one number, sorted with their positions and walked together once. Keys are unique
// within a list (n tells apart those with equal first four).
class SharedKeys {
  public:
    SharedKeys(const std::vector<ExpressionMatchKey>& first, const std::vector<ExpressionMatchKey>& second)
        : heldBySecond_(first.size(), false), heldByFirst_(second.size(), false) {
        const std::vector<Packed> a = SortedPacked(first);
        const std::vector<Packed> b = SortedPacked(second);
        for (std::size_t i = 0, j = 0; i < a.size() && j < b.size();) {
            if (a[i].key < b[j].key) {
                ++i;
            } else if (b[j].key < a[i].key) {
                ++j;
            } else {
                heldBySecond_[a[i++].position] = true;
                heldByFirst_[b[j++].position] = true;
            }
        }
    }

    // Whether the second list holds the first list's key at `position`, and the other way round.
    bool SecondHolds(std::size_t position) const { return heldBySecond_[position]; }
    bool FirstHolds(std::size_t position) const { return heldByFirst_[position]; }

  private:
    struct Packed {
        std::pair<uint64_t, int> key;
        std::size_t position;
    };

    static std::vector<Packed> SortedPacked(const std::vector<ExpressionMatchKey>& keys) {
        std::vector<Packed> packed;
        packed.reserve(keys.size());
        for (std::size_t i = 0; i < keys.size(); ++i) {
            const auto& [measure, staff, definition, shape, n] = keys[i];
            const uint64_t group =
                Ordered(measure) << 33 | Ordered(staff) << 17 | uint64_t{definition} << 1 | uint64_t{shape};
            packed.push_back(Packed{{group, n}, i});
        }
        std::sort(packed.begin(), packed.end(),
                  [](const Packed& x, const Packed& y) { return x.key < y.key; });
        return packed;
    }

    std::vector<bool> heldBySecond_;  // by position in the first list
    std::vector<bool> heldByFirst_;   // by position in the second list
};

// The summary's place cell: the staff's name, when it has one, and its id.
void AppendPlace(std::string& out, const ExpressionChange& c) {
    if (c.staffName.empty()) {
        out += "staff ";
        AppendNumber(out, c.staff);
        return;
    }
    out += c.staffName;
    out += " (staff ";
    AppendNumber(out, c.staff);
    out += ')';
}

// The summary's text cell: the text shown, quoted, and for a rewritten expression what it was.
void AppendText(std::string& out, const ExpressionChange& c) {
    const std::size_t start = out.size();
    out += '"';
    if (c.shape) {
        out += "(shape)";
    } else {
        out += c.text;
    }
    out += '"';
    if (c.kind != ChangeKind::Rewritten) return;
    if (c.previousText == c.ShownText()) {
        out += " (same text)";
    } else {
        out.insert(start, "\"" + c.previousText + "\" -> ");
    }
}

// A column of the summary: its cells end to end in one string, with where each ends and how wide it shows.
class Column {
  public:
    explicit Column(std::size_t cells) {
        ends_.reserve(cells);
        widths_.reserve(cells);
    }

    // Adds a cell, appended by `write` to the string it is given.
    template <typename Write>
    void Add(Write write) {
        const std::size_t start = text_.size();
        write(text_);
        ends_.push_back(text_.size());
        widths_.push_back(TextWidth(std::string_view(text_).substr(start)));
        widest_ = std::max(widest_, widths_.back());
    }

    // Appends cell `i` to `out`, and spaces up to `width` characters when it shows fewer.
    void AppendPadded(std::string& out, std::size_t i, std::size_t width) const {
        const std::size_t start = i == 0 ? 0 : ends_[i - 1];
        out.append(text_, start, ends_[i] - start);
        if (widths_[i] < width) out.append(width - widths_[i], ' ');
    }

    std::size_t Widest() const { return widest_; }

  private:
    std::string text_;
    std::vector<std::size_t> ends_;
    std::vector<std::size_t> widths_;
    std::size_t widest_ = 0;
};

}  // namespace

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
                                   Visible(before, previousSide).seen == Visible(after, currentSide).seen;
    return summary;
}

namespace {

// The change lines: kind, measure, place and text in columns, then the role and whether it was placed anew.
void AppendChangeLines(std::string& out, const ChangeSummary& summary) {
    Column places(summary.changes.size());
    Column texts(summary.changes.size());
    for (const ExpressionChange& c : summary.changes) {
        places.Add([&](std::string& cells) { AppendPlace(cells, c); });
        texts.Add([&](std::string& cells) { AppendText(cells, c); });
    }
    for (std::size_t i = 0; i < summary.changes.size(); ++i) {
        const ExpressionChange& c = summary.changes[i];
        const std::size_t lineStart = out.size();
        out += "  ";
        // The kind and the measure are ASCII: each shows as many characters as it has bytes.
        std::size_t cell = out.size();
        out += KindName(c.kind);
        PadFrom(out, cell, 10);
        cell = out.size();
        out += "m. ";
        AppendNumber(out, c.measure);
        PadFrom(out, cell, 8);
        places.AppendPadded(out, i, places.Widest() + 2);
        const bool noted = !c.roleText.empty() || c.placedAnew;
        // The text's padding would only be trimmed again when nothing follows it.
        texts.AppendPadded(out, i, noted ? texts.Widest() + 2 : 0);
        out += c.roleText;
        if (c.placedAnew) out += c.roleText.empty() ? "placed anew" : "; placed anew";
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
    out += "The score had ";
    AppendNumber(out, static_cast<long long>(summary.expressionsBefore));
    out += " expressions and has ";
    AppendNumber(out, static_cast<long long>(summary.expressionsAfter));
    out += " now.\n";
}

}  // namespace

std::string FormatChangeSummary(const ChangeSummary& summary) {
    if (summary.Empty()) return "Changes: none. No expression was added, rewritten or removed.\n";
    // One string is appended to throughout: no stream, and no string of its own for each line.
    std::string out = "Changes: ";
    AppendNumber(out, summary.added);
    out += " added, ";
    AppendNumber(out, summary.rewritten);
    out += " rewritten, ";
    AppendNumber(out, summary.removed);
    out += " removed.\n";
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
