#include "engine/stale_removal.h"

#include "engine/plugin_marker.h"
#include "framework/cell.h"
#include "framework/music_region.h"
#include "records/expression.h"
#include "records/staff_style.h"

namespace {

// An expression in measure m is justified when some assignment of the staff that starts in m uses a style
// that changes the instrument. Only the start measure counts. A style that does not load justifies nothing,
// as the sweep marks no change for it either (MarkChange).
bool ChangeBeginsIn(const FCStaffStyleAssigns* assignments, int16_t measure) {
    bool justified = false;
    for (int32_t i = 0; i < assignments->Count(); ++i) {
        const FCStaffStyleAssign* assignment = assignments->GetAssignAt(i);
        if (assignment == nullptr || assignment->GetStartMeasure() != measure) continue;
        FCStaffStyleDef style;
        if (style.Load(assignment->GetStyleID()) && style.ChangesInstrument()) justified = true;
    }
    return justified;
}

}  // namespace

bool RemoveStaleChangeExpressions(const FCStaffStyleAssigns* assignments, const FCMusicRegion& region,
                                  int16_t staff) {
    bool deleted = false;
    for (int32_t m = region.GetStartMeasure(); m <= region.GetEndMeasure(); ++m) {
        const int16_t measure = static_cast<int16_t>(m);
        FCCell cell(measure, staff);
        FCExpressions expressions;
        expressions.LoadAllForCell(&cell);
        for (int32_t i = 0; i < expressions.Count(); ++i) {
            FCExpression* expression = expressions.GetExpressionAt(i);
            if (expression == nullptr || !IsInstrumentChangeExpression(expression)) continue;
            if (ChangeBeginsIn(assignments, measure)) continue;
            if (expression->DeleteRecord()) deleted = true;
            // CONTRACT: one deletion per measure and run; the rest of the measure waits for the next run.
            // Pinned by StaleTest.TwoInOneMeasureTakeTwoRuns and
            // StaleTest.StaffWithoutAssignmentsLosesFirstPluginExpressionOfEveryMeasure.
            break;
        }
    }
    return deleted;
}
