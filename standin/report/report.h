// The report of a run: one self-contained HTML page with an SVG picture of the score. Staves are rows in
// score order, measures are columns; the selection is shaded; each style assignment is a bar with its style's
// name (instrument changes apart from other styles); each expression is a label at its measure, coloured by
// what the run did to it; a legend explains the colours, and the change list follows the picture.
#ifndef MIREL_STANDIN_REPORT_H
#define MIREL_STANDIN_REPORT_H

#include <string>

#include "standin/report/change_summary.h"
#include "standin/score/score_file.h"

namespace standin {

struct ReportInput {
    std::string title;     // the score file's name
    std::string subtitle;  // how it was run (answers, repeat)
    Score before;          // the document as built
    Score after;           // the document after the run
    ChangeSummary changes;
    ScoreSelection selection;
};

std::string RenderReport(const ReportInput& input);

// Text made safe for HTML and XML content and attribute values.
std::string EscapeMarkup(const std::string& text);

}  // namespace standin

#endif
