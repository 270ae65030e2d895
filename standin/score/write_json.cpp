// Writing a score file: the JSON in the file's field order, put together item by item so that a large score
// is never held as a JSON value whole.
#include <sstream>
#include <utility>

#include "standin/score/score_file.h"

namespace standin {

namespace {

// The lists a score file may hold, in the order the file writes them.
const char* const kLists[] = {
    "fonts",  "staves",     "staffStyles",     "styleAssignments", "multiStaffInstruments",
    "groups", "categories", "textExpressions", "expressions"};

using ojson = nlohmann::ordered_json;

// Calls `each` with the JSON of every item of the list `name`, in the score's order.
template <typename Each>
void ForEachListItem(const Score& score, const std::string& name, Each each) {
    if (name == "fonts") {
        for (const ScoreFont& f : score.fonts) each(ojson{{"number", f.number}, {"name", f.name}});
    } else if (name == "staves") {
        for (const ScoreStaff& s : score.staves) each(ojson{{"id", s.id}, {"name", s.name}});
    } else if (name == "staffStyles") {
        for (const ScoreStaffStyle& s : score.staffStyles)
            each(ojson{{"id", s.id}, {"name", s.name}, {"changesInstrument", s.changesInstrument}});
    } else if (name == "styleAssignments") {
        for (const ScoreStyleAssignment& a : score.styleAssignments) {
            each(ojson{{"staff", a.staff},
                       {"style", a.style},
                       {"start", {{"measure", a.start.measure}, {"position", a.start.position}}},
                       {"end", {{"measure", a.end.measure}, {"position", a.end.position}}}});
        }
    } else if (name == "multiStaffInstruments") {
        for (const ScoreMultiStaffInstrument& m : score.multiStaffInstruments)
            each(ojson{{"id", m.id}, {"staves", m.staves}, {"group", m.group}});
    } else if (name == "groups") {
        for (const ScoreGroup& g : score.groups) {
            each(ojson{{"id", g.id},
                       {"top", g.top},
                       {"bottom", g.bottom},
                       {"startMeasure", g.startMeasure},
                       {"name", g.name}});
        }
    } else if (name == "categories") {
        for (const ScoreCategory& c : score.categories) {
            each(ojson{
                {"id", c.id},
                {"name", c.name},
                {"font", {{"number", c.font.number}, {"size", c.font.size}, {"effects", c.font.effects}}}});
        }
    } else if (name == "textExpressions") {
        for (const ScoreTextExpression& t : score.textExpressions)
            each(ojson{
                {"id", t.id}, {"text", t.text}, {"description", t.description}, {"category", t.category}});
    } else if (name == "expressions") {
        for (const ScoreExpression& e : score.expressions) {
            each(ojson{{"measure", e.measure},
                       {"staff", e.staff},
                       {"definition", e.definition},
                       {"shape", e.shape}});
        }
    }
}

// The score's members other than its lists, in the file's order: the host version (as the file spelled it
// when that still holds), the measures; the selection follows the lists.
ojson HeadOf(const Score& score) {
    ojson head = ojson::object();
    uint32_t spelled = 0;
    if (score.hostVersionText && ParseHostVersion(*score.hostVersionText, spelled) &&
        spelled == score.hostVersion) {
        head["hostVersion"] = *score.hostVersionText;
    } else if (score.hostVersionText || score.hostVersion != kDefaultHostVersion) {
        head["hostVersion"] = FormatHostVersion(score.hostVersion);
    }
    head["measures"] = score.measures;
    return head;
}

std::optional<ojson> SelectionOf(const Score& score) {
    if (!score.selection) return std::nullopt;
    const ScoreSelection& s = *score.selection;
    return ojson{{"startSlot", s.startSlot},         {"endSlot", s.endSlot},
                 {"startMeasure", s.startMeasure},   {"endMeasure", s.endMeasure},
                 {"startPosition", s.startPosition}, {"endPosition", s.endPosition}};
}

// A value's text as it stands `depth` levels deep in a document dumped with an indent of 2.
// Appends `value` to `text` as dump(2) shows it, every line after the first indented by `depth` more levels.
void AppendNested(std::string& text, const ojson& value, int depth) {
    const std::string dumped = value.dump(2, ' ', false);
    std::size_t from = 0;
    while (true) {
        const std::size_t newline = dumped.find('\n', from);
        text.append(dumped, from, newline == std::string::npos ? std::string::npos : newline + 1 - from);
        if (newline == std::string::npos) break;
        text.append(static_cast<std::size_t>(2 * depth), ' ');
        from = newline + 1;
    }
}

}  // namespace

nlohmann::ordered_json ScoreToJson(const Score& score) {
    ojson out = HeadOf(score);
    for (const char* name : kLists) {
        ojson list = ojson::array();
        ForEachListItem(score, name, [&](ojson item) { list.push_back(std::move(item)); });
        if (!list.empty() || score.listsGiven.count(name) != 0) out[name] = std::move(list);
    }
    if (auto selection = SelectionOf(score)) out["selection"] = std::move(*selection);
    return out;
}

void WriteScoreJson(std::ostream& out, const Score& score) {
    // The text goes out in pieces of about this size: a large score's text runs to megabytes.
    constexpr std::size_t kPiece = 64 * 1024;
    std::string text = "{";
    const auto flush = [&] {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        text.clear();
    };
    const char* separator = "\n";
    const auto member = [&](const std::string& key) {
        text += separator;
        text += "  ";
        text += ojson(key).dump();
        text += ": ";
        separator = ",\n";
    };
    const ojson head = HeadOf(score);
    for (auto it = head.begin(); it != head.end(); ++it) {
        member(it.key());
        AppendNested(text, it.value(), 1);
    }
    for (const char* name : kLists) {
        std::size_t count = 0;
        ForEachListItem(score, name, [&](const ojson& item) {
            if (count++ == 0) {
                member(name);
                text += "[\n    ";
            } else {
                text += ",\n    ";
            }
            AppendNested(text, item, 2);
            if (text.size() >= kPiece) flush();
        });
        if (count != 0) {
            text += "\n  ]";
        } else if (score.listsGiven.count(name) != 0) {
            member(name);
            text += "[]";
        }
    }
    if (auto selection = SelectionOf(score)) {
        member("selection");
        AppendNested(text, *selection, 1);
    }
    text += "\n}\n";
    flush();
}

std::string ScoreToJsonText(const Score& score) {
    std::ostringstream out;
    WriteScoreJson(out, score);
    return out.str();
}

}  // namespace standin
