// The module through its exports against a host that refuses one data call at a time, and against memory that
// runs out at one allocation at a time, with the record layouts of each host version range. Whatever fails,
// the document stays sound: every expression names a definition that exists and whose text block and raw text
// exist, the records the plug-in does not own are byte-identical, no mark names nothing (a name whose read
// was refused), no mark outside the selection that a clean run leaves alone changes, and a clean run
// afterwards leaves the marks of a clean run, no fewer and no more (but see SeenAsAbsence).
#include <algorithm>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "standin/commands/run_command.h"
#include "standin/dialog/dialog_user.h"
#include "standin/dialog/ui_model.h"
#include "standin/host/host.h"
#include "standin/score/document_builder.h"
#include "standin/score/score_file.h"
#include "standin/store/layouts.h"
#include "standin/store/record_bytes.h"
#include "tests/e2e/module_fixture.h"
#include "tests/unit/allocation_failure.h"

namespace {

namespace layout = standin::layout;
using standin::Bytes;
using standin::Document;
using standin::Host;
using standin::RecordKey;

const char kMarker[] = "[Mirel Instrument Change]";
using testsupport::kNameTags;

// ---- Scenarios ----

struct Scenario {
    std::string name;
    std::string json;
    bool markedBefore;  // a clean run over the whole score has marked it; the run under test rewrites marks
    uint32_t hostVersion;
};

void PrintTo(const Scenario& s, std::ostream* os) {
    *os << s.name;
}

std::string Named(const std::string& name) {
    return kNameTags + name;
}

// A score's opening: its measures, its one font, and its staves (id and untagged name) in score order.
std::string Opening(int measures, const std::vector<std::pair<int, const char*>>& staves) {
    std::string json = R"({"measures": )" + std::to_string(measures) +
                       R"(, "fonts": [{"number": 0, "name": "Times New Roman"}], "staves": [)";
    for (const auto& [id, name] : staves)
        json += R"({"id": )" + std::to_string(id) + R"(, "name": ")" + Named(name) + R"("},)";
    json.back() = ']';
    return json + ",";
}

// Woodwinds: single staves with several changes, two of them back to back (the end mark of the first falls
// in the measure where the second starts), a style that is no instrument change, stale plug-in marks (one
// outside the selection), a foreign expression in a measure that receives a mark, and a shape expression.
// The selection leaves out the first and the last two measures; end marks fall into measure 11.
std::string Woodwinds() {
    return Opening(12, {{1, "Flute"}, {2, "Oboe"}, {3, "Clarinet"}}) + R"(
      "staffStyles": [{"id": 1, "name": ")" +
           Named("Piccolo") + R"(", "changesInstrument": true},
                      {"id": 2, "name": ")" +
           Named("Alto Flute") + R"(", "changesInstrument": true},
                      {"id": 3, "name": ")" +
           Named("English Horn") + R"(", "changesInstrument": true},
                      {"id": 4, "name": "Slash", "changesInstrument": false}],
      "styleAssignments": [
        {"staff": 1, "style": 1, "start": {"measure": 2, "position": 0}, "end": {"measure": 3, "position": 2048}},
        {"staff": 1, "style": 2, "start": {"measure": 6, "position": 0}, "end": {"measure": 7, "position": 3072}},
        {"staff": 1, "style": 1, "start": {"measure": 8, "position": 0}, "end": {"measure": 9, "position": 0}},
        {"staff": 2, "style": 3, "start": {"measure": 4, "position": 0}, "end": {"measure": 10, "position": 0}},
        {"staff": 3, "style": 4, "start": {"measure": 2, "position": 0}, "end": {"measure": 10, "position": 0}}],
      "categories": [{"id": 1, "name": "Dynamics", "font": {"number": 0, "size": 24, "effects": 0}},
                     {"id": 2, "name": "Technique Text", "font": {"number": 0, "size": 12, "effects": 0}}],
      "textExpressions": [
        {"id": 1, "text": "^font(Times New Roman)^size(12)^nfx(0)To Oboe d'amore:",
         "description": "Change to Oboe d'amore [Mirel Instrument Change]", "category": 2},
        {"id": 2, "text": "^font(Times New Roman)^size(12)^nfx(2)dolce", "description": "dolce", "category": 1},
        {"id": 3, "text": "^font(Times New Roman)^size(12)^nfx(0)To Bassoon:",
         "description": "Change to Bassoon [Mirel Instrument Change]", "category": 2}],
      "expressions": [{"measure": 2, "staff": 1, "definition": 2, "shape": false},
                      {"measure": 5, "staff": 3, "definition": 1, "shape": false},
                      {"measure": 7, "staff": 2, "definition": 3, "shape": false},
                      {"measure": 12, "staff": 2, "definition": 3, "shape": false},
                      {"measure": 6, "staff": 1, "definition": 9, "shape": true}],
      "selection": {"startSlot": 1, "endSlot": 3, "startMeasure": 2, "endMeasure": 10,
                    "startPosition": 0, "endPosition": 2147483647}})";
}

// A two-staff piano with its group changing to celesta (both staves, as the application's utility makes it;
// the name comes from the group that starts with the change), and a violin; stale plug-in marks inside and
// outside the selection, which holds the piano in measures 2 to 6 (its end mark falls into measure 7).
std::string PianoToCelesta() {
    return Opening(10, {{7, "Piano"}, {8, "Piano"}, {9, "Violin"}}) + R"(
      "staffStyles": [{"id": 5, "name": ")" +
           Named("Celesta") + R"(", "changesInstrument": true}],
      "styleAssignments": [
        {"staff": 7, "style": 5, "start": {"measure": 3, "position": 0}, "end": {"measure": 6, "position": 1024}},
        {"staff": 8, "style": 5, "start": {"measure": 3, "position": 0}, "end": {"measure": 6, "position": 1024}}],
      "multiStaffInstruments": [{"id": 1, "staves": [7, 8], "group": 1}],
      "groups": [{"id": 1, "top": 7, "bottom": 8, "startMeasure": 1, "name": ")" +
           Named("Piano") + R"("},
                 {"id": 2, "top": 7, "bottom": 8, "startMeasure": 3, "name": ")" +
           Named("Celesta") + R"("}],
      "categories": [{"id": 1, "name": "Technique Text", "font": {"number": 0, "size": 12, "effects": 0}}],
      "textExpressions": [{"id": 1, "text": "^font(Times New Roman)^size(12)^nfx(2)pizz.", "description": "pizz.",
                           "category": 1},
                          {"id": 2, "text": "^font(Times New Roman)^size(12)^nfx(0)To Harp:",
                           "description": "Change to Harp [Mirel Instrument Change]", "category": 1}],
      "expressions": [{"measure": 3, "staff": 9, "definition": 1, "shape": false},
                      {"measure": 4, "staff": 7, "definition": 2, "shape": false},
                      {"measure": 4, "staff": 9, "definition": 2, "shape": false}],
      "selection": {"startSlot": 1, "endSlot": 2, "startMeasure": 2, "endMeasure": 6,
                    "startPosition": 0, "endPosition": 2147483647}})";
}

// Each scenario with the layouts of each host version range. Before 0x11000000 no style changes the
// instrument, so there are no marks to rewrite.
std::vector<Scenario> Scenarios() {
    std::vector<Scenario> scenarios;
    for (const auto& [range, version] : {std::pair{"Before2010", 0x0F000000u}, std::pair{"2010", 0x10000000u},
                                         std::pair{"2011", 0x11000000u}, std::pair{"2012", 0x12000000u}}) {
        for (const auto& [name, json] :
             {std::pair{"Woodwinds", Woodwinds()}, {"PianoToCelesta", PianoToCelesta()}}) {
            scenarios.push_back({std::string(name) + range, json, false, version});
            if (version >= 0x11000000u)
                scenarios.push_back({std::string(name) + "Rewritten" + range, json, true, version});
        }
    }
    return scenarios;
}

// ---- Reading a document ----

const Bytes* Record(const Document& doc, uint32_t tag, int16_t item) {
    return doc.Find(tag, RecordKey::Other(item));
}

bool IsShape(const Bytes& expression) {
    return (standin::Get16(expression, layout::kExpressionFlags) & layout::kExpressionIsShape) != 0;
}

bool IsPluginDefinition(Document& doc, uint32_t version, uint16_t id) {
    if (Record(doc, layout::kTextExpressionTag, static_cast<int16_t>(id)) == nullptr) return false;
    const standin::DocumentBuilder reader(doc, version);
    return reader.ReadTextExpression(static_cast<int16_t>(id)).description.find(kMarker) != std::string::npos;
}

bool IsPluginExpression(Document& doc, uint32_t version, const Bytes& expression) {
    return !IsShape(expression) &&
           IsPluginDefinition(doc, version, standin::Get16(expression, layout::kExpressionDefinitionID));
}

// What is wrong with the expressions' texts: an expression naming a definition that does not exist, or a
// definition whose text block or raw text does not exist. Empty when nothing is.
std::string DanglingTexts(const Document& doc) {
    for (const auto& [key, expression] : doc.All(layout::kExpressionTag)) {
        if (IsShape(expression)) continue;
        const auto where = "expression at measure " + std::to_string(key.fields[0]) + " inci " +
                           std::to_string(key.fields[1]);
        const uint16_t id = standin::Get16(expression, layout::kExpressionDefinitionID);
        const Bytes* definition = Record(doc, layout::kTextExpressionTag, static_cast<int16_t>(id));
        if (definition == nullptr) return where + ": definition " + std::to_string(id) + " is missing";
        const uint16_t blockID = standin::Get16(*definition, layout::kDefinitionTextBlockID);
        const Bytes* block = Record(doc, layout::kTextBlockTag, static_cast<int16_t>(blockID));
        if (block == nullptr) return where + ": text block " + std::to_string(blockID) + " is missing";
        const uint32_t rawTag = layout::kRawTextTagBase | standin::Get16(*block, layout::kTextBlockKind);
        const uint16_t rawID = standin::Get16(*block, layout::kTextBlockRawTextID);
        if (Record(doc, rawTag, static_cast<int16_t>(rawID)) == nullptr)
            return where + ": raw text " + std::to_string(rawID) + " is missing";
    }
    return {};
}

// The expressions the plug-in does not own, per measure in incident order (deleting one of the plug-in's
// moves the later incidents of its measure, so keys are not compared).
std::map<int16_t, std::vector<Bytes>> ForeignExpressions(Document& doc, uint32_t version) {
    std::map<int16_t, std::vector<Bytes>> foreign;
    for (const auto& [key, expression] : doc.All(layout::kExpressionTag)) {
        if (!IsPluginExpression(doc, version, expression)) foreign[key.fields[0]].push_back(expression);
    }
    return foreign;
}

// Records of `before` the plug-in does not own that `after` lost or changed; empty when none. The plug-in
// owns its definitions and expressions, and the "has expressions" flag of measures.
std::string ChangedForeignRecords(Document& before, Document& after, uint32_t version) {
    if (ForeignExpressions(before, version) != ForeignExpressions(after, version))
        return "a foreign expression changed";
    const std::size_t measureFlags = layout::MeasureFlagsOffset(version);
    for (uint32_t tag : before.Tags()) {
        if (tag == layout::kExpressionTag) continue;
        for (const auto& [key, bytes] : before.All(tag)) {
            if (tag == layout::kTextExpressionTag &&
                IsPluginDefinition(before, version, static_cast<uint16_t>(key.fields[0])))
                continue;
            const Bytes* now = after.Find(tag, key);
            Bytes expected = bytes;
            if (now != nullptr && tag == layout::kMeasureTag && now->size() == bytes.size()) {
                standin::Set16(expected, measureFlags,
                               static_cast<uint16_t>(
                                   (standin::Get16(bytes, measureFlags) & ~layout::kMeasureHasExpressions) |
                                   (standin::Get16(*now, measureFlags) & layout::kMeasureHasExpressions)));
            }
            if (now == nullptr || *now != expected)
                return "record " + std::to_string(tag) + " item " + std::to_string(key.fields[0]) +
                       " changed";
        }
    }
    return {};
}

// The plug-in's marks, sorted (a run that deletes a mark and places one anew changes their incident order):
// measure and staff, text, description, and with `asWritten` the text block that the definition names (each
// run that writes a mark names a new one).
using Cell = std::pair<int16_t, int16_t>;
using PluginMark = std::tuple<Cell, std::string, std::string, uint16_t>;
using Marks = std::vector<PluginMark>;

Marks MarksOf(Document& doc, uint32_t version, bool asWritten = false) {
    Marks marks;
    const standin::DocumentBuilder reader(doc, version);
    for (const auto& [key, expression] : doc.All(layout::kExpressionTag)) {
        if (!IsPluginExpression(doc, version, expression)) continue;
        const auto staff = static_cast<int16_t>(standin::Get16(expression, layout::kExpressionStaff));
        const auto id = static_cast<int16_t>(standin::Get16(expression, layout::kExpressionDefinitionID));
        const auto definition = reader.ReadTextExpression(id);
        marks.emplace_back(Cell{key.fields[0], staff}, definition.text, definition.description,
                           asWritten ? definition.textBlockID : 0);
    }
    std::sort(marks.begin(), marks.end());
    return marks;
}

std::string Text(const PluginMark& mark) {
    const Cell& cell = std::get<0>(mark);
    return "measure " + std::to_string(cell.first) + " staff " + std::to_string(cell.second) + " \"" +
           std::get<1>(mark) + "\"";
}

// A mark of `reference` that `marks` lack, or one more in `marks` unless `surplus` allows it; as text, empty
// when there is none.
std::string DifferentMarks(const Marks& reference, const Marks& marks, bool surplus = false) {
    Marks missing;
    Marks more;
    std::set_difference(reference.begin(), reference.end(), marks.begin(), marks.end(),
                        std::back_inserter(missing));
    std::set_difference(marks.begin(), marks.end(), reference.begin(), reference.end(),
                        std::back_inserter(more));
    if (!missing.empty()) return Text(missing.front()) + " is missing";
    return more.empty() || surplus ? "" : Text(more.front()) + " is one more";
}

// A mark whose name a refused read left empty (every instrument of the scenarios has a name), as text.
std::string MarkNamingNothing(const Marks& marks) {
    for (const PluginMark& mark : marks)
        if (std::get<2>(mark) == std::string("Change to  ") + kMarker) return Text(mark) + " names nothing";
    return {};
}

// ---- Running the command ----

struct Outcome {
    bool threw = false;
    uint32_t answer = 0;
    long allocations = 0;  // the module's, during the entry point
    bool allocationFailed = false;
};

constexpr long kNoAllocationFails = -1;

class FaultSweepTest : public ModuleTest, public ::testing::WithParamInterface<Scenario> {
  protected:
    void SetUp() override {
        ModuleTest::SetUp();
        version_ = GetParam().hostVersion;
        Exports().version(version_);
        uint32_t flags = 0;
        Exports().init(0, &flags);
        score_ = standin::ScoreFromJson(nlohmann::json::parse(GetParam().json));
        for (auto& style : score_.staffStyles) style.changesInstrument &= version_ >= 0x11000000u;
        standin::CheckForHostVersion(score_, version_);
        standin::BuildDocument(score_, version_);
        if (GetParam().markedBefore) {
            const auto selection = score_.selection;
            score_.selection.reset();
            Invoke();
            score_.selection = selection;
        }
        original_ = Host().Doc();
        const Marks originalWritten = MarksOf(original_, version_, true);
        cleanAnswer_ = Invoke().answer;
        clean_ = Host().Doc();
        cleanMarks_ = MarksOf(clean_, version_);
        const Marks cleanWritten = MarksOf(clean_, version_, true);
        Marks written;
        std::set_symmetric_difference(originalWritten.begin(), originalWritten.end(), cleanWritten.begin(),
                                      cleanWritten.end(), std::back_inserter(written));
        for (const PluginMark& mark : written) writtenCells_.insert(std::get<0>(mark));
        leftAlone_ = LeftAlone(originalWritten);
        EXPECT_EQ(cleanAnswer_, 1u);
        EXPECT_EQ(DanglingTexts(clean_), "");
        EXPECT_EQ(MarkNamingNothing(cleanMarks_), "");
    }

    // The marks outside the selection, in cells where a clean run writes none.
    Marks LeftAlone(Marks marks) const {
        const standin::ScoreSelection s = *score_.selection;
        const auto dropped = [&](const PluginMark& mark) {
            const auto [measure, staff] = std::get<0>(mark);
            const int slot = score_.SlotOf(staff);
            return (measure >= s.startMeasure && measure <= s.endMeasure && slot >= s.startSlot &&
                    slot <= s.endSlot) ||
                   writtenCells_.count(std::get<0>(mark)) != 0;
        };
        marks.erase(std::remove_if(marks.begin(), marks.end(), dropped), marks.end());
        return marks;
    }

    // Invokes the command. With `failingAllocation` at 0 the module's allocations during the entry point are
    // counted; at N >= 1 allocation number N fails.
    Outcome Invoke(long failingAllocation = kNoAllocationFails) {
        // The same choices every time: settings a failed run stored must not change what a clean run writes.
        const auto answers = testsupport::Answers(standin::DialogEnding::Ok, "Technique Text", "To ", ":");
        standin::Ui().SetUser(std::make_shared<standin::ScriptedDialogUser>(answers));
        const auto region = standin::MakeRegionRecord({score_.SelectionOrWholeScore()});
        const HWND parent = MirelWindowFromValue(Host().MainWindow());
        Outcome outcome;
        const bool counting = failingAllocation != kNoAllocationFails;
        try {
            if (counting) {
                const ModuleAllocationPlan armed(failingAllocation);
                outcome.answer = Exports().invoke(parent, 0, region.data(), 0);
                outcome.allocations = armed.Counted();
                outcome.allocationFailed = armed.Injected();
            } else {
                outcome.answer = Exports().invoke(parent, 0, region.data(), 0);
            }
        } catch (...) {
            outcome.threw = true;
        }
        return outcome;
    }

    // The module's allocations during a clean run from the original document.
    long CleanRunAllocations() {
        Host().Doc() = original_;
        const long allocations = Invoke(0).allocations;
        Host().Doc() = original_;
        return allocations;
    }

    // The checks after a run that something made fail; empty when all hold. The document is put back to the
    // original afterwards. With `surplus` a mark more is no fault (see SeenAsAbsence).
    std::string CheckFailedRun(const Outcome& outcome, bool mustAnswerChange, bool surplus = false) {
        Document after = Host().Doc();
        std::string fault;
        if (outcome.threw)
            fault = "an exception left the entry point";
        else if (outcome.answer > 1)
            fault = "answer " + std::to_string(outcome.answer);
        else if (mustAnswerChange && outcome.answer != 1 && !(after == original_))
            fault = "changed the document, answered 0";
        else
            fault = DanglingTexts(after);
        if (fault.empty()) fault = ChangedForeignRecords(original_, after, version_);
        if (fault.empty()) {
            const Marks written = MarksOf(after, version_, true);
            fault = MarkNamingNothing(written);
            if (fault.empty()) fault = DifferentMarks(leftAlone_, LeftAlone(written), surplus);
        }
        if (fault.empty()) {
            Host().PlanFaults(standin::FaultPlan{});
            const Outcome again = Invoke();
            Document repaired = Host().Doc();
            if (again.threw) fault = "the clean run after it threw";
            if (fault.empty()) fault = DanglingTexts(repaired);
            if (fault.empty()) fault = ChangedForeignRecords(original_, repaired, version_);
            if (fault.empty()) fault = DifferentMarks(cleanMarks_, MarksOf(repaired, version_), surplus);
        }
        Host().Doc() = original_;
        return fault;
    }

    uint32_t version_ = 0;
    standin::Score score_;
    Document original_;
    Document clean_;
    Marks cleanMarks_;
    std::set<Cell> writtenCells_;  // where a clean run writes marks
    Marks leftAlone_;
    uint32_t cleanAnswer_ = 0;
};

const char* const kDataCalls[] = {"FX_LoadEData", "FX_SaveEData", "FX_CreateEData", "FX_DeleteEData",
                                  "FX_NextEData"};

// Refused reads the module cannot tell from a record that is not there, after which it may write a mark more
// that the clean run after it keeps: the end of a measure's expressions (a mark not seen, another placed beside
// it) or of the instruments (a lower staff marked as one of its own), or the definition an expression names
// (an expression without one is not the plug-in's).
bool SeenAsAbsence(const standin::FaultPlan& plan) {
    const uint32_t t = plan.firstInjectedTag;
    return plan.function == "FX_LoadEData" &&
           (t == layout::kExpressionTag || t == layout::kMultiStaffTag || t == layout::kTextExpressionTag);
}

// Every data call of one invocation refused in turn, alone and with every later call of its kind.
TEST_P(FaultSweepTest, RefusedDataCallsLeaveTheDocumentSound) {
    // How many calls of each kind a clean run makes, from the original document.
    std::map<std::string, int> counts;
    Host().Doc() = original_;
    const auto before = Host().Counts().ByName();
    Invoke();
    for (const char* function : kDataCalls) {
        auto was = before.find(function);
        counts[function] = Host().Counts().Of(function) - (was == before.end() ? 0 : was->second);
    }
    Host().Doc() = original_;

    long total = 0;
    for (const auto& entry : counts) total += entry.second;
    int injected = 0;
    int survived = 0;
    for (const char* function : kDataCalls) {
        for (int n = 1; n <= counts[function]; ++n) {
            for (bool fromThereOn : {false, true}) {
                Host().PlanFaults(standin::FaultPlan{function, 0, n, fromThereOn, 10 * total + 1000});
                const Outcome outcome = Invoke();
                const standin::FaultPlan plan = Host().Faults();
                if (plan.injected == 0 && !plan.overran) continue;  // this run took another path
                std::string fault = plan.overran ? "the module kept calling a refusing host" : "";
                ++injected;
                if (fault.empty()) fault = CheckFailedRun(outcome, false, SeenAsAbsence(plan));
                Host().Doc() = original_;
                if (fault.empty()) {
                    ++survived;
                } else {
                    ADD_FAILURE() << function << " call " << n << (fromThereOn ? " and on" : "") << ": "
                                  << fault;
                }
            }
        }
    }
    std::cout << GetParam().name << ": " << injected << " faults injected, " << survived << " survived\n";
    EXPECT_GT(injected, 0);
    EXPECT_EQ(survived, injected);
}

// Every allocation the module makes during one invocation failing in turn. A run stopped part way answers 1
// whenever it had changed the document.
TEST_P(FaultSweepTest, FailedAllocationsLeaveTheDocumentSound) {
    const long allocations = CleanRunAllocations();
    int injected = 0;
    int survived = 0;
    for (long n = 1; n <= allocations; ++n) {
        const Outcome outcome = Invoke(n);
        if (!outcome.allocationFailed) continue;  // this run took another path and never got there
        ++injected;
        const std::string fault = CheckFailedRun(outcome, true);
        if (fault.empty()) {
            ++survived;
        } else {
            ADD_FAILURE() << "allocation " << n << " of " << allocations << ": " << fault;
        }
    }
    std::cout << GetParam().name << ": " << injected << " allocation failures injected, " << survived
              << " survived\n";
    EXPECT_GT(injected, 0);
    EXPECT_EQ(survived, injected);
}

// Memory running out after the run has written: the answer says the document changed.
TEST_P(FaultSweepTest, RunStoppedAfterWritingAnswersOne) {
    const Outcome outcome = Invoke(CleanRunAllocations() - 1);
    ASSERT_TRUE(outcome.allocationFailed);
    ASSERT_FALSE(Host().Doc() == original_);  // the run had written before it stopped
    EXPECT_FALSE(outcome.threw);
    EXPECT_EQ(outcome.answer, 1u);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, FaultSweepTest, ::testing::ValuesIn(Scenarios()),
                         [](const ::testing::TestParamInfo<Scenario>& info) { return info.param.name; });

}  // namespace
