#include "standin/report/change_summary.h"

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
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

std::string Pad(const std::string& text, std::size_t width) {
    const std::size_t shown = TextWidth(text);
    return shown >= width ? text : text + std::string(width - shown, ' ');
}

std::string Plural(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Why an instrument-change mark may stand at (staff, measure): the first instrument change of that staff, in
// the order of its assignments, that starts in the measure or ended in the measure before.
struct MarkReason {
    MarkRole role = MarkRole::None;
    const ScoreStyleAssignment* assignment = nullptr;
    const ScoreStaffStyle* style = nullptr;
};

class MarkReasons {
  public:
    explicit MarkReasons(const Score& score, const ScoreIndex& index) {
        for (const ScoreStyleAssignment& a : score.styleAssignments) {
            const ScoreStaffStyle* style = index.StaffStyle(a.style);
            if (style == nullptr || !style->changesInstrument) continue;
            reasons_.emplace(std::make_pair(a.staff, int{a.start.measure}),
                             MarkReason{MarkRole::Start, &a, style});
            reasons_.emplace(std::make_pair(a.staff, a.end.measure + 1),
                             MarkReason{MarkRole::End, &a, style});
        }
    }

    // Sets the change's role and its text ("start of Piccolo, m. 20-45"); nothing when no change explains it.
    void Explain(ExpressionChange& change) const {
        auto it = reasons_.find({change.staff, int{change.measure}});
        if (it == reasons_.end()) return;
        const MarkReason& reason = it->second;
        const std::string span = PlainText(reason.style->name) + ", m. " +
                                 std::to_string(reason.assignment->start.measure) + "-" +
                                 std::to_string(reason.assignment->end.measure);
        change.role = reason.role;
        change.roleText = (reason.role == MarkRole::Start ? "start of " : "end of ") + span;
    }

  private:
    std::map<std::pair<int16_t, int>, MarkReason> reasons_;
};

// What the summary looks up in one of the two scores.
struct SummarySide {
    explicit SummarySide(const Score& score) : index(score), reasons(score, index) {}
    ScoreIndex index;
    MarkReasons reasons;
};

ExpressionChange Describe(ChangeKind kind, const SummarySide& side, const ScoreExpression& e) {
    const ScoreIndex& index = side.index;
    ExpressionChange change;
    change.kind = kind;
    change.measure = e.measure;
    change.inci = e.inci;
    change.staff = e.staff;
    change.slot = index.SlotOf(e.staff);
    if (const ScoreStaff* staff = index.Staff(e.staff)) change.staffName = PlainText(staff->name);
    change.definition = e.definition;
    change.shape = e.shape;
    if (!e.shape) {
        if (const ScoreTextExpression* definition =
                index.TextExpression(static_cast<int16_t>(e.definition))) {
            change.text = definition->text;
            change.plugin = definition->description.find(kPluginMarker) != std::string::npos;
        }
    }
    if (change.plugin) side.reasons.Explain(change);
    return change;
}

// (measure, staff, text as it reads) of every expression: what a reader of the score sees.
// Sorted, so that two readings compare in one pass.
std::vector<std::tuple<int16_t, int16_t, std::string>> Visible(const Score& score, const ScoreIndex& index) {
    std::vector<std::tuple<int16_t, int16_t, std::string>> seen;
    seen.reserve(score.expressions.size());
    for (const ScoreExpression& e : score.expressions) {
        seen.emplace_back(e.measure, e.staff,
                          e.shape ? std::string("(shape ") + std::to_string(e.definition) + ")"
                                  : ExpressionShownText(index, e));
    }
    std::sort(seen.begin(), seen.end());
    return seen;
}

// Pairs each removed expression with the first added one, in the order of the changes, at the same measure
// and staff with the same text that no earlier removed one took: placed anew.
int PairPlacedAnew(std::vector<ExpressionChange>& changes) {
    // The added ones at each place, in order, and how many of them are taken (a vector and a count: a deque
    // per place would cost its first block for every one of thousands of places).
    struct Waiting {
        std::vector<std::size_t> added;
        std::size_t taken = 0;
    };
    std::map<std::tuple<int16_t, int16_t, std::string>, Waiting> added;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const ExpressionChange& c = changes[i];
        if (c.kind == ChangeKind::Added) added[{c.measure, c.staff, c.ShownText()}].added.push_back(i);
    }
    int pairs = 0;
    for (ExpressionChange& gone : changes) {
        if (gone.kind != ChangeKind::Removed) continue;
        auto come = added.find({gone.measure, gone.staff, gone.ShownText()});
        if (come == added.end() || come->second.taken == come->second.added.size()) continue;
        Waiting& waiting = come->second;
        gone.placedAnew = changes[waiting.added[waiting.taken++]].placedAnew = true;
        ++pairs;
    }
    return pairs;
}

}  // namespace

std::size_t TextWidth(const std::string& utf8) {
    std::size_t width = 0;
    for (char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++width;
    }
    return width;
}

std::string ExpressionShownText(const Score& score, const ScoreExpression& expression) {
    if (expression.shape) return std::string();
    const ScoreTextExpression* definition = score.TextExpression(static_cast<int16_t>(expression.definition));
    return definition == nullptr ? std::string() : PlainText(definition->text);
}

std::string ExpressionShownText(const ScoreIndex& index, const ScoreExpression& expression) {
    if (expression.shape) return std::string();
    const ScoreTextExpression* definition = index.TextExpression(static_cast<int16_t>(expression.definition));
    return definition == nullptr ? std::string() : PlainText(definition->text);
}

std::string ExpressionChange::ShownText() const {
    return shape ? std::string("(shape)") : PlainText(text);
}

ChangeSummary SummarizeChanges(const Score& before, const Score& after) {
    ChangeSummary summary;
    summary.expressionsBefore = before.expressions.size();
    summary.expressionsAfter = after.expressions.size();

    // An expression found in both readings by its match key (not by its incident, which moves down when an
    // earlier expression of its measure is deleted).
    const std::vector<ExpressionMatchKey> beforeKeys = ExpressionMatchKeys(before.expressions);
    const std::vector<ExpressionMatchKey> afterKeys = ExpressionMatchKeys(after.expressions);
    const std::set<ExpressionMatchKey> previous(beforeKeys.begin(), beforeKeys.end());
    const std::set<ExpressionMatchKey> current(afterKeys.begin(), afterKeys.end());
    const SummarySide previousSide(before);
    const SummarySide currentSide(after);
    const ScoreIndex& beforeIndex = previousSide.index;
    const ScoreIndex& afterIndex = currentSide.index;

    for (std::size_t i = 0; i < after.expressions.size(); ++i) {
        const ScoreExpression& e = after.expressions[i];
        if (previous.count(afterKeys[i]) == 0) {
            summary.changes.push_back(Describe(ChangeKind::Added, currentSide, e));
            continue;
        }
        if (e.shape) continue;
        const ScoreTextExpression* was = beforeIndex.TextExpression(static_cast<int16_t>(e.definition));
        const ScoreTextExpression* now = afterIndex.TextExpression(static_cast<int16_t>(e.definition));
        if (was == nullptr || now == nullptr) continue;
        if (was->textBlock != now->textBlock || was->text != now->text ||
            was->description != now->description) {
            ExpressionChange change = Describe(ChangeKind::Rewritten, currentSide, e);
            change.previousText = was->text;
            summary.changes.push_back(change);
        }
    }
    for (std::size_t i = 0; i < before.expressions.size(); ++i) {
        if (current.count(beforeKeys[i]) == 0)
            summary.changes.push_back(Describe(ChangeKind::Removed, previousSide, before.expressions[i]));
    }

    // A removed expression and an added one at the same measure and staff with the same text: placed anew.
    summary.placedAnew = PairPlacedAnew(summary.changes);

    std::stable_sort(summary.changes.begin(), summary.changes.end(),
                     [](const ExpressionChange& a, const ExpressionChange& b) {
                         return std::make_tuple(a.measure, a.slot, KindOrder(a.kind), a.inci) <
                                std::make_tuple(b.measure, b.slot, KindOrder(b.kind), b.inci);
                     });
    for (const ExpressionChange& c : summary.changes) {
        if (c.kind == ChangeKind::Added) ++summary.added;
        if (c.kind == ChangeKind::Removed) ++summary.removed;
        if (c.kind == ChangeKind::Rewritten) {
            ++summary.rewritten;
            if (PlainText(c.previousText) == c.ShownText()) ++summary.rewrittenWithSameText;
        }
    }
    summary.sameExpressionsAfter = Visible(before, beforeIndex) == Visible(after, afterIndex);
    summary.changes.shrink_to_fit();  // summaries are kept, one per invocation of a long run
    return summary;
}

std::string FormatChangeSummary(const ChangeSummary& summary) {
    std::ostringstream out;
    if (summary.Empty()) {
        out << "Changes: none. No expression was added, rewritten or removed.\n";
        return out.str();
    }
    out << "Changes: " << summary.added << " added, " << summary.rewritten << " rewritten, "
        << summary.removed << " removed.\n";

    std::vector<std::string> places;
    std::size_t placeWidth = 0;
    std::vector<std::string> texts;
    std::size_t textWidth = 0;
    for (const ExpressionChange& c : summary.changes) {
        std::string place = c.staffName.empty() ? "staff " + std::to_string(c.staff)
                                                : c.staffName + " (staff " + std::to_string(c.staff) + ")";
        places.push_back(place);
        placeWidth = std::max(placeWidth, TextWidth(place));
        std::string text = "\"" + c.ShownText() + "\"";
        if (c.kind == ChangeKind::Rewritten) {
            text = PlainText(c.previousText) == c.ShownText()
                       ? text + " (same text)"
                       : "\"" + PlainText(c.previousText) + "\" -> " + text;
        }
        texts.push_back(text);
        textWidth = std::max(textWidth, TextWidth(text));
    }
    for (std::size_t i = 0; i < summary.changes.size(); ++i) {
        const ExpressionChange& c = summary.changes[i];
        std::string note = c.roleText;
        if (c.placedAnew) note += std::string(note.empty() ? "" : "; ") + "placed anew";
        std::string line = "  " + Pad(KindName(c.kind), 10) + Pad("m. " + std::to_string(c.measure), 8) +
                           Pad(places[i], placeWidth + 2) + Pad(texts[i], textWidth + 2) + note;
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out << line << "\n";
    }

    // What it comes to, in plain words.
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
    out << "In short: ";
    for (std::size_t i = 0; i < facts.size(); ++i) out << (i == 0 ? "" : "; ") << facts[i];
    out << ".\n";
    if (summary.sameExpressionsAfter) {
        out << "The score shows the same "
            << Plural(static_cast<int>(summary.expressionsAfter), "expression", "expressions")
            << " in the same places with the same texts as before.\n";
    } else {
        out << "The score had " << summary.expressionsBefore << " expressions and has "
            << summary.expressionsAfter << " now.\n";
    }
    return out.str();
}

}  // namespace standin
