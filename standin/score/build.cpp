// Building a checked score into the host's document, by the records of the host version's layouts.
#include "standin/host/host.h"
#include "standin/score/document_builder.h"
#include "standin/score/score_file.h"
#include "standin/store/layouts.h"

namespace standin {

namespace L = layout;

void BuildDocument(const Score& score, uint32_t hostVersion) {
    StandinHost& host = Host();
    host.NewDocument();
    host.SetStaffOrder({});
    host.SetFonts({});
    for (const ScoreFont& font : score.fonts) host.AddFont(font.number, font.name);

    DocumentBuilder builder(host.Doc(), hostVersion);
    builder.AddMeasures(score.measures);
    for (const ScoreStaff& staff : score.staves) builder.AddStaff(staff.id, staff.name);
    for (const ScoreStaffStyle& style : score.staffStyles) {
        builder.AddStaffStyle(style.id, style.name, style.changesInstrument);
    }
    for (const ScoreStyleAssignment& a : score.styleAssignments) {
        builder.AddStyleAssignment(a.staff, a.style, a.start, a.end);
    }
    for (const ScoreMultiStaffInstrument& m : score.multiStaffInstruments) {
        builder.AddMultiStaffInstrument(m.id, m.staves, m.group);
    }
    for (const ScoreGroup& g : score.groups) builder.AddGroup(g.id, g.top, g.bottom, g.startMeasure, g.name);
    for (const ScoreCategory& c : score.categories) {
        builder.AddCategory({c.id, c.id, c.name, c.font.number, c.font.size, c.font.effects});
    }
    for (const ScoreTextExpression& t : score.textExpressions) {
        builder.AddTextExpression(t.id, t.text, t.description, t.category);
    }
    for (const ScoreExpression& e : score.expressions) {
        builder.AddExpression(e.measure, e.staff, e.definition, e.shape);
        // As in the application, a measure that holds expressions says so in its flag word.
        builder.SetMeasureFlags(e.measure, builder.MeasureFlags(e.measure) | L::kMeasureHasExpressions);
    }
}

}  // namespace standin
