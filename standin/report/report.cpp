#include "standin/report/report.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>
#include <tuple>
#include <vector>

namespace standin {

namespace {

// ---- Geometry of the picture (pixels) ----
constexpr int kMargin = 12;
constexpr int kMeasureWidth = 11;
constexpr int kHeaderHeight = 30;  // measure numbers above the rows
constexpr int kRowHeight = 40;
constexpr int kLaneHeight = 12;  // two lanes of expression labels at the top of a row
constexpr int kBarTop = 26;      // the style bar in the lower part of a row
constexpr int kBarHeight = 11;
constexpr double kLabelCharWidth = 5.2;  // average advance of the 10 px label font

// ---- Colours ----
const char* const kAddedColour = "#1a9641";
const char* const kRewrittenColour = "#e66101";
const char* const kRemovedColour = "#d7191c";
const char* const kUnchangedColour = "#444444";
const char* const kInstrumentChangeColour = "#5e3c99";
const char* const kOtherStyleColour = "#9e9e9e";
const char* const kSelectionColour = "#9ecae1";

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    std::string s = text;
    if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.erase(s.size() - 2);
    return s;
}

enum class LabelState { Unchanged, Added, Rewritten, Removed };

// How a label in each state is named and drawn.
struct LabelLook {
    const char* name;
    const char* colour;  // frame and text
    const char* fill;
};

const LabelLook& LookOf(LabelState state) {
    static const LabelLook kLooks[] = {{"unchanged", kUnchangedColour, "#f2f2f2"},
                                       {"added", kAddedColour, "#e3f4e8"},
                                       {"rewritten", kRewrittenColour, "#fdebdc"},
                                       {"removed", kRemovedColour, "#fbe0e0"}};
    return kLooks[static_cast<std::size_t>(state)];
}

struct Label {
    int16_t measure = 0;
    int slot = 0;
    std::string text;
    LabelState state = LabelState::Unchanged;
};

class Picture {
  public:
    Picture(const Score& score, int nameWidth) : score_(score), nameWidth_(nameWidth) {}

    int Width() const { return kMargin * 2 + nameWidth_ + score_.measures * kMeasureWidth; }
    int Height() const {
        return kMargin * 2 + kHeaderHeight + static_cast<int>(score_.staves.size()) * kRowHeight;
    }
    // The left edge of a measure and the top of a slot's row.
    int X(int measure) const { return kMargin + nameWidth_ + (measure - 1) * kMeasureWidth; }
    int Y(int slot) const { return kMargin + kHeaderHeight + (slot - 1) * kRowHeight; }
    // The grid's right edge, top and bottom.
    int Right() const { return X(score_.measures + 1); }
    int Top() const { return Y(1); }
    int Bottom() const { return Y(static_cast<int>(score_.staves.size()) + 1); }

  private:
    const Score& score_;
    int nameWidth_;
};

// Room for the longest staff name, its slot number and a margin.
int NameColumnWidth(const Score& score) {
    std::size_t longestName = 4;
    for (const ScoreStaff& staff : score.staves)
        longestName = std::max(longestName, TextWidth(PlainText(staff.name)));
    return static_cast<int>(static_cast<double>(longestName) * 7.0) + 40;
}

// Rows: alternate shading and the staff names.
void DrawRows(std::ostream& svg, const Score& score, const Picture& picture) {
    for (std::size_t i = 0; i < score.staves.size(); ++i) {
        const int slot = static_cast<int>(i) + 1;
        const int y = picture.Y(slot);
        if (slot % 2 == 0) {
            svg << "<rect x=\"" << kMargin << "\" y=\"" << y << "\" width=\"" << picture.Right() - kMargin
                << "\" height=\"" << kRowHeight << "\" fill=\"#f7f7f7\"/>\n";
        }
        svg << "<text class=\"staff\" x=\"" << kMargin + 4 << "\" y=\"" << y + kRowHeight / 2 + 4
            << "\" font-size=\"12\" fill=\"#222\">" << slot << ". "
            << EscapeMarkup(PlainText(score.staves[i].name)) << "</text>\n";
    }
}

// The selection, under everything else in the grid.
void DrawSelection(std::ostream& svg, const ScoreSelection& sel, const Picture& picture) {
    if (sel.startSlot < 1 || sel.endSlot < sel.startSlot || sel.startMeasure < 1 ||
        sel.endMeasure < sel.startMeasure) {
        return;
    }
    const int x = picture.X(sel.startMeasure);
    const int y = picture.Y(sel.startSlot);
    svg << "<rect class=\"selection\" x=\"" << x << "\" y=\"" << y << "\" width=\""
        << picture.X(sel.endMeasure + 1) - x << "\" height=\"" << picture.Y(sel.endSlot + 1) - y
        << "\" fill=\"" << kSelectionColour
        << "\" fill-opacity=\"0.28\" stroke=\"#3182bd\" stroke-width=\"1.5\""
        << " stroke-dasharray=\"6 3\"/>\n";
}

// Measure lines and numbers, and the lines between the rows.
void DrawGrid(std::ostream& svg, const Score& score, const Picture& picture) {
    for (int m = 1; m <= score.measures + 1; ++m) {
        const bool major = (m - 1) % 10 == 0 || m == score.measures + 1;
        svg << "<line x1=\"" << picture.X(m) << "\" y1=\"" << picture.Top() << "\" x2=\"" << picture.X(m)
            << "\" y2=\"" << picture.Bottom() << "\" stroke=\"" << (major ? "#b0b0b0" : "#e6e6e6")
            << "\" stroke-width=\"1\"/>\n";
    }
    for (int m = 1; m <= score.measures; ++m) {
        if (m == 1 || m % 10 == 0) {
            svg << "<text x=\"" << picture.X(m) + kMeasureWidth / 2 << "\" y=\"" << picture.Top() - 8
                << "\" font-size=\"10\" text-anchor=\"middle\" fill=\"#555\">" << m << "</text>\n";
        }
    }
    for (std::size_t i = 0; i <= score.staves.size(); ++i) {
        const int y = picture.Y(static_cast<int>(i) + 1);
        svg << "<line x1=\"" << kMargin << "\" y1=\"" << y << "\" x2=\"" << picture.Right() << "\" y2=\"" << y
            << "\" stroke=\"#d0d0d0\" stroke-width=\"1\"/>\n";
    }
}

// Style assignments as bars in their staff's row: an instrument change filled, another style hatched.
void DrawStyleBars(std::ostream& svg, const Score& score, const ScoreIndex& index, const Picture& picture) {
    for (const ScoreStyleAssignment& a : score.styleAssignments) {
        const int slot = index.SlotOf(a.staff);
        if (slot == 0) continue;
        const ScoreStaffStyle* style = index.StaffStyle(a.style);
        const bool change = style != nullptr && style->changesInstrument;
        const std::string name =
            style != nullptr ? PlainText(style->name) : "style " + std::to_string(a.style);
        const int x = picture.X(a.start.measure);
        const int barWidth = std::max(picture.X(a.end.measure + 1) - x, kMeasureWidth);
        const int y = picture.Y(slot) + kBarTop;
        svg << "<g class=\"" << (change ? "instrument-change" : "staff-style") << "\"><title>"
            << EscapeMarkup(name + (change ? " (instrument change)" : " (staff style)") + ", m. " +
                            std::to_string(a.start.measure) + " to m. " + std::to_string(a.end.measure))
            << "</title>";
        svg << "<rect x=\"" << x << "\" y=\"" << y << "\" width=\"" << barWidth << "\" height=\""
            << kBarHeight << "\" rx=\"3\" fill=\"";
        if (change) {
            svg << kInstrumentChangeColour << "\"/>";
        } else {
            svg << "url(#hatch)\" stroke=\"" << kOtherStyleColour << "\"/>";
        }
        svg << "<text x=\"" << x + 3 << "\" y=\"" << y + kBarHeight - 2 << "\" font-size=\"9\" fill=\""
            << (change ? "#ffffff\""
                       : "#222222\" stroke=\"#ffffff\" stroke-width=\"3\" paint-order=\"stroke\"")
            << ">" << EscapeMarkup(name) << "</text></g>\n";
    }
}

// The expression labels: what stands after the run (unchanged, rewritten or added) and what was removed, by
// slot and measure, the removed ones first.
std::vector<Label> CollectLabels(const ReportInput& input, const ScoreIndex& index) {
    std::map<std::tuple<int16_t, int16_t, int16_t>, LabelState> states;
    for (const ExpressionChange& c : input.changes.changes) {
        if (c.kind == ChangeKind::Added) states[{c.measure, c.inci, c.staff}] = LabelState::Added;
        if (c.kind == ChangeKind::Rewritten) states[{c.measure, c.inci, c.staff}] = LabelState::Rewritten;
    }
    std::vector<Label> labels;
    for (const ScoreExpression& e : input.after.expressions) {
        Label label;
        label.measure = e.measure;
        label.slot = index.SlotOf(e.staff);
        label.text = e.shape ? "shape " + std::to_string(e.definition) : ExpressionShownText(index, e);
        auto state = states.find({e.measure, e.inci, e.staff});
        label.state = state == states.end() ? LabelState::Unchanged : state->second;
        labels.push_back(label);
    }
    for (const ExpressionChange& c : input.changes.changes) {
        if (c.kind != ChangeKind::Removed) continue;
        Label label;
        label.measure = c.measure;
        label.slot = index.SlotOf(c.staff);
        label.text = c.shape ? "shape " + std::to_string(c.definition) : c.ShownText();
        label.state = LabelState::Removed;
        labels.push_back(label);
    }
    std::stable_sort(labels.begin(), labels.end(), [](const Label& a, const Label& b) {
        return std::make_tuple(a.slot, a.measure, a.state == LabelState::Removed ? 0 : 1) <
               std::make_tuple(b.slot, b.measure, b.state == LabelState::Removed ? 0 : 1);
    });
    return labels;
}

// One label, its box at (x, y).
void DrawLabel(std::ostream& svg, const Label& label, double x, double y, double width) {
    const LabelLook& look = LookOf(label.state);
    svg << "<g class=\"expression " << look.name << "\"><title>"
        << EscapeMarkup(std::string(look.name) + ": m. " + std::to_string(label.measure) + ", " +
                        (label.text.empty() ? std::string("(no text)") : "\"" + label.text + "\""))
        << "</title>";
    svg << "<rect x=\"" << Number(x) << "\" y=\"" << Number(y) << "\" width=\"" << Number(width)
        << "\" height=\"" << kLaneHeight - 1 << "\" rx=\"2\" fill=\"" << look.fill << "\" stroke=\""
        << look.colour << "\" stroke-width=\"1\"/>";
    svg << "<text x=\"" << Number(x + 4) << "\" y=\"" << Number(y + kLaneHeight - 3)
        << "\" font-size=\"9.5\" fill=\"" << look.colour << "\""
        << (label.state == LabelState::Removed ? " text-decoration=\"line-through\"" : "") << ">"
        << EscapeMarkup(label.text) << "</text></g>\n";
}

// The labels in two lanes at the top of their row: each in the first lane free at its measure, else in the
// lane that frees first.
void DrawLabels(std::ostream& svg, const std::vector<Label>& labels, const Picture& picture) {
    std::map<int, std::vector<double>> laneEnds;  // per slot: where each lane is free again
    for (const Label& label : labels) {
        if (label.slot == 0) continue;
        const double x = picture.X(label.measure) + 1;
        const double labelWidth = static_cast<double>(TextWidth(label.text)) * kLabelCharWidth + 8;
        std::vector<double>& ends = laneEnds[label.slot];
        if (ends.empty()) ends.assign(2, 0.0);
        std::size_t lane = 0;
        while (lane < ends.size() && ends[lane] > x) ++lane;
        if (lane == ends.size())
            lane = static_cast<std::size_t>(std::min_element(ends.begin(), ends.end()) - ends.begin());
        ends[lane] = x + labelWidth + 2;
        DrawLabel(svg, label, x, picture.Y(label.slot) + 1 + static_cast<double>(lane) * kLaneHeight,
                  labelWidth);
    }
}

// The picture of the score after the run.
std::string RenderPicture(const ReportInput& input) {
    const Score& score = input.after;
    const ScoreIndex index(score);
    const Picture picture(score, NameColumnWidth(score));
    const int width = picture.Width();
    const int height = picture.Height();
    std::ostringstream svg;
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
        << "\" viewBox=\"0 0 " << width << " " << height
        << "\" font-family=\"DejaVu Sans, Arial, sans-serif\">\n";
    svg << "<rect x=\"0\" y=\"0\" width=\"" << width << "\" height=\"" << height << "\" fill=\"#ffffff\"/>\n";
    DrawRows(svg, score, picture);
    DrawSelection(svg, input.selection, picture);
    DrawGrid(svg, score, picture);
    DrawStyleBars(svg, score, index, picture);
    DrawLabels(svg, CollectLabels(input, index), picture);
    svg << "<defs><pattern id=\"hatch\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\" "
           "patternTransform=\"rotate(45)\"><rect width=\"6\" height=\"6\" fill=\"#eeeeee\"/>"
           "<line x1=\"0\" y1=\"0\" x2=\"0\" y2=\"6\" stroke=\""
        << kOtherStyleColour << "\" stroke-width=\"2\"/></pattern></defs>\n";
    svg << "</svg>\n";
    return svg.str();
}

void WritePageHead(std::ostream& html, const std::string& title) {
    html << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>"
         << EscapeMarkup("Mirel Instrument Change: " + title) << "</title>\n<style>\n"
         << "body{font-family:'DejaVu Sans',Arial,sans-serif;margin:16px;color:#222;background:#fff}\n"
         << "h1{font-size:20px;margin:0 0 4px}\n.sub{color:#555;margin:0 0 10px;font-size:13px}\n"
         << ".legend{display:flex;flex-wrap:wrap;gap:14px;font-size:12px;margin:6px 0 10px}\n"
         << ".legend span{display:inline-flex;align-items:center;gap:5px}\n"
         << ".sw{display:inline-block;width:22px;height:11px;border-radius:2px;border:1px solid #888}\n"
         << "table{border-collapse:collapse;font-size:12px;margin-top:14px}\n"
         << "td,th{border:1px solid #ccc;padding:3px 8px;text-align:left}\nth{background:#f0f0f0}\n"
         << ".added{color:" << kAddedColour << "}.rewritten{color:" << kRewrittenColour
         << "}.removed{color:" << kRemovedColour << "}\n"
         << "</style>\n</head>\n<body>\n";
}

void WriteLegend(std::ostream& html) {
    const auto swatch = [&](LabelState state, const char* meaning) {
        html << "<span><i class=\"sw\" style=\"background:" << LookOf(state).fill
             << ";border-color:" << LookOf(state).colour << "\"></i>" << meaning << "</span>";
    };
    html << "<div class=\"legend\">";
    swatch(LabelState::Added, "added by this run");
    swatch(LabelState::Rewritten, "rewritten by this run");
    swatch(LabelState::Removed, "removed by this run (struck through)");
    swatch(LabelState::Unchanged, "expression left as it was");
    html << "<span><i class=\"sw\" style=\"background:" << kInstrumentChangeColour
         << "\"></i>staff style that changes the instrument</span>"
         << "<span><i class=\"sw\" style=\"background:repeating-linear-gradient(45deg,#eee 0 3px,"
         << kOtherStyleColour << " 3px 5px)\"></i>other staff style</span>"
         << "<span><i class=\"sw\" style=\"background:" << kSelectionColour
         << ";border:1px dashed #3182bd\"></i>selection</span></div>\n";
}

// The change list: one row a change, with its role, whether it was placed anew and what a rewritten one was.
void WriteChangeTable(std::ostream& html, const ChangeSummary& changes) {
    html << "<table>\n<tr><th>Change</th><th>Measure</th><th>Staff</th><th>Text</th><th>Note</th></tr>\n";
    for (const ExpressionChange& c : changes.changes) {
        const char* kind = KindName(c.kind);
        std::string note = c.roleText;
        if (c.placedAnew) note += std::string(note.empty() ? "" : "; ") + "placed anew";
        if (c.kind == ChangeKind::Rewritten && c.previousText != c.ShownText()) {
            note += std::string(note.empty() ? "" : "; ") + "was \"" + c.previousText + "\"";
        }
        html << "<tr class=\"" << kind << "\"><td>" << kind << "</td><td>" << c.measure << "</td><td>"
             << EscapeMarkup(c.staffName + " (staff " + std::to_string(c.staff) + ")") << "</td><td>"
             << EscapeMarkup(c.ShownText()) << "</td><td>" << EscapeMarkup(note) << "</td></tr>\n";
    }
    if (changes.changes.empty())
        html << "<tr><td colspan=\"5\">No expression was added, rewritten or removed.</td></tr>\n";
    html << "</table>\n";
}

}  // namespace

std::string EscapeMarkup(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string RenderReport(const ReportInput& input) {
    std::ostringstream html;
    const ChangeSummary& changes = input.changes;
    WritePageHead(html, input.title);
    html << "<h1>" << EscapeMarkup("Mirel Instrument Change on " + input.title) << "</h1>\n";
    html << "<p class=\"sub\">" << EscapeMarkup(input.subtitle) << "</p>\n";
    html << "<p class=\"counts\"><b class=\"added\">" << changes.added
         << " added</b>, <b class=\"rewritten\">" << changes.rewritten
         << " rewritten</b>, <b class=\"removed\">" << changes.removed << " removed</b>; "
         << changes.expressionsAfter << " expressions in the score now.</p>\n";
    WriteLegend(html);
    html << RenderPicture(input);
    WriteChangeTable(html, changes);
    html << "</body>\n</html>\n";
    return html.str();
}

}  // namespace standin
