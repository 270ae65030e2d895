#include "standin/commands/show_command.h"

#include <fmt/format.h>

#include <algorithm>
#include <ostream>
#include <sstream>

#include "standin/commands/command_error.h"
#include "standin/commands/command_text.h"
#include "standin/report/change_summary.h"
#include "standin/score/score_index.h"

namespace standin {

namespace {

// The text, then spaces up to `width` columns; one space when it is that wide already.
std::string Padded(const std::string& text, std::size_t width) {
    return fmt::format("{:<{}} ", text, width - 1);
}

// A list's heading, " none" after it when the list is empty.
void WriteHeading(std::ostream& out, const char* heading, bool empty) {
    out << heading << ":" << (empty ? " none" : "") << "\n";
}

// One line a style assignment, in the row of its staff; "-" for a staff without one.
void WriteStaves(std::ostream& out, const Score& score, const ScoreIndex& index, std::size_t nameWidth) {
    out << "Slot  Staff  " << Padded("Name", nameWidth) << "Staff styles\n";
    for (std::size_t i = 0; i < score.staves.size(); ++i) {
        const ScoreStaff& staff = score.staves[i];
        const std::string lead = Padded(std::to_string(i + 1), 6) + Padded(std::to_string(staff.id), 7) +
                                 Padded(PlainText(staff.name), nameWidth);
        bool first = true;
        for (const ScoreStyleAssignment* a : index.AssignmentsOf(staff.id)) {
            const ScoreStaffStyle* style = index.StaffStyle(a->style);
            out << (first ? lead : std::string(ColumnWidth(lead), ' '))
                << (style != nullptr ? PlainText(style->name) : "style " + std::to_string(a->style))
                << ", m. " << a->start.measure << " (" << a->start.position << ") to m. " << a->end.measure
                << " (" << a->end.position << "), "
                << (style != nullptr && style->changesInstrument ? "changes the instrument"
                                                                 : "no instrument change")
                << "\n";
            first = false;
        }
        if (first) out << lead << "-\n";
    }
}

void WriteInstrumentsAndGroups(std::ostream& out, const Score& score, const ScoreIndex& index) {
    WriteHeading(out, "Multi-staff instruments", score.multiStaffInstruments.empty());
    for (const ScoreMultiStaffInstrument& m : score.multiStaffInstruments) {
        out << "  " << m.id << ": staves";
        for (int16_t id : m.staves) out << " " << id << " (slot " << index.SlotOf(id) << ")";
        if (const ScoreGroup* g = score.Group(m.group)) {
            out << "; group " << g->id << " " << Quote(PlainText(g->name));
        } else {
            out << "; no group";
        }
        out << "\n";
    }
    WriteHeading(out, "Groups", score.groups.empty());
    for (const ScoreGroup& g : score.groups) {
        out << "  " << g.id << " " << Quote(PlainText(g.name)) << ": staves " << g.top << " to " << g.bottom
            << ", from m. " << g.startMeasure << "\n";
    }
}

void WriteCategories(std::ostream& out, const Score& score) {
    WriteHeading(out, "Expression categories", score.categories.empty());
    for (const ScoreCategory& c : score.categories) {
        auto font = std::find_if(score.fonts.begin(), score.fonts.end(),
                                 [&](const ScoreFont& f) { return f.number == c.font.number; });
        out << "  " << c.id << " " << Quote(c.name) << ": "
            << (font != score.fonts.end() ? font->name : "font " + std::to_string(c.font.number)) << " "
            << c.font.size << ", effects " << c.font.effects << "\n";
    }
}

// What an expression shows: its definition's text, category and whether the module placed it.
void WriteShown(std::ostream& out, const Score& score, const ScoreIndex& index, const ScoreExpression& e) {
    if (e.shape) {
        out << "shape expression " << e.definition << "\n";
        return;
    }
    const ScoreTextExpression* t = index.TextExpression(static_cast<int16_t>(e.definition));
    if (t == nullptr) {
        out << "definition " << e.definition << " (missing)\n";
        return;
    }
    out << Quote(PlainText(t->text));
    if (const ScoreCategory* c = score.Category(t->category)) out << ", " << c->name;
    if (t->description.find(kPluginMarker) != std::string::npos) out << ", placed by Mirel Instrument Change";
    out << "\n";
}

// The expressions by measure, then slot.
void WriteExpressions(std::ostream& out, const Score& score, const ScoreIndex& index, std::size_t nameWidth) {
    out << "\nExpressions (" << score.expressions.size() << "):\n";
    std::vector<const ScoreExpression*> expressions;
    for (const ScoreExpression& e : score.expressions) expressions.push_back(&e);
    std::stable_sort(expressions.begin(), expressions.end(),
                     [&](const ScoreExpression* a, const ScoreExpression* b) {
                         return std::make_pair(a->measure, index.SlotOf(a->staff)) <
                                std::make_pair(b->measure, index.SlotOf(b->staff));
                     });
    for (const ScoreExpression* e : expressions) {
        const ScoreStaff* staff = index.Staff(e->staff);
        std::string where = (staff != nullptr ? PlainText(staff->name) : std::string("?")) + " (staff " +
                            std::to_string(e->staff) + ")";
        out << "  " << Padded("m. " + std::to_string(e->measure), 8) << Padded(where, nameWidth + 12);
        WriteShown(out, score, index, *e);
    }
}

}  // namespace

std::string DescribeScore(const Score& score, const std::string& title) {
    std::ostringstream out;
    out << title << ": " << score.measures << " measures, " << score.staves.size() << " staves, host version "
        << FormatHostVersion(score.hostVersion) << "\n";
    out << "Selection: " << RegionText(score.SelectionOrWholeScore())
        << (score.selection ? "" : " (none given: the whole score)") << "\n\n";

    const ScoreIndex index(score);
    std::size_t nameWidth = 4;
    for (const ScoreStaff& s : score.staves) nameWidth = std::max(nameWidth, ColumnWidth(PlainText(s.name)));
    nameWidth += 2;
    WriteStaves(out, score, index, nameWidth);
    out << "\n";
    WriteInstrumentsAndGroups(out, score, index);
    WriteCategories(out, score);
    WriteExpressions(out, score, index, nameWidth);
    return out.str();
}

int ShowCommand(const std::string& scorePath, std::ostream& out, std::ostream& err) {
    return CommandEdge("show", err, nullptr, [&] {
        out << DescribeScore(ReadCommandScore(scorePath), scorePath);
        return kExitOk;
    });
}

}  // namespace standin
