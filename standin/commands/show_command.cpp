#include "standin/commands/show_command.h"

#include <algorithm>
#include <ostream>
#include <sstream>

#include "standin/commands/command_text.h"
#include "standin/commands/exit_status.h"
#include "standin/report/change_summary.h"
#include "standin/score/score_index.h"

namespace standin {

std::string DescribeScore(const Score& score, const std::string& title) {
    std::ostringstream out;
    const auto pad = [](const std::string& text, std::size_t width) {
        const std::size_t shown = TextWidth(text);
        return shown >= width ? text + " " : text + std::string(width - shown, ' ');
    };
    out << title << ": " << score.measures << " measures, " << score.staves.size() << " staves, host version "
        << FormatHostVersion(score.hostVersion) << "\n";
    out << "Selection: " << RegionText(score.SelectionOrWholeScore())
        << (score.selection ? "" : " (none given: the whole score)") << "\n\n";

    const ScoreIndex index(score);
    std::size_t nameWidth = 4;
    for (const ScoreStaff& s : score.staves) nameWidth = std::max(nameWidth, TextWidth(PlainText(s.name)));
    nameWidth += 2;
    out << "Slot  Staff  " << pad("Name", nameWidth) << "Staff styles\n";
    for (std::size_t i = 0; i < score.staves.size(); ++i) {
        const ScoreStaff& staff = score.staves[i];
        std::ostringstream head;
        head << pad(std::to_string(i + 1), 6) << pad(std::to_string(staff.id), 7)
             << pad(PlainText(staff.name), nameWidth);
        const std::string lead = head.str();
        bool first = true;
        for (const ScoreStyleAssignment* a : index.AssignmentsOf(staff.id)) {
            const ScoreStaffStyle* style = index.StaffStyle(a->style);
            out << (first ? lead : std::string(TextWidth(lead), ' '))
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

    out << "\nMulti-staff instruments:";
    if (score.multiStaffInstruments.empty()) out << " none";
    out << "\n";
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
    out << "Groups:";
    if (score.groups.empty()) out << " none";
    out << "\n";
    for (const ScoreGroup& g : score.groups) {
        out << "  " << g.id << " " << Quote(PlainText(g.name)) << ": staves " << g.top << " to " << g.bottom
            << ", from m. " << g.startMeasure << "\n";
    }
    out << "Expression categories:";
    if (score.categories.empty()) out << " none";
    out << "\n";
    for (const ScoreCategory& c : score.categories) {
        auto font = std::find_if(score.fonts.begin(), score.fonts.end(),
                                 [&](const ScoreFont& f) { return f.number == c.font.number; });
        out << "  " << c.id << " " << Quote(c.name) << ": "
            << (font != score.fonts.end() ? font->name : "font " + std::to_string(c.font.number)) << " "
            << c.font.size << ", effects " << c.font.effects << "\n";
    }

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
        out << "  " << pad("m. " + std::to_string(e->measure), 8) << pad(where, nameWidth + 12);
        if (e->shape) {
            out << "shape expression " << e->definition << "\n";
            continue;
        }
        const ScoreTextExpression* t = index.TextExpression(static_cast<int16_t>(e->definition));
        if (t == nullptr) {
            out << "definition " << e->definition << " (missing)\n";
            continue;
        }
        out << Quote(PlainText(t->text));
        if (const ScoreCategory* c = score.Category(t->category)) out << ", " << c->name;
        if (t->description.find(kPluginMarker) != std::string::npos)
            out << ", placed by Mirel Instrument Change";
        out << "\n";
    }
    return out.str();
}

int ShowCommand(const std::string& scorePath, std::ostream& out, std::ostream& err) {
    try {
        const Score score = ReadScoreFile(scorePath);
        out << DescribeScore(score, scorePath);
        return kExitOk;
    } catch (const ScoreFileError& e) {
        err << "mirel-standin show: " << e.what() << "\n";
        return kExitBadInput;
    }
}

}  // namespace standin
