// Score files: reading and checking JSON, building the document, reading it back, writing files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "standin/host/host.h"
#include "standin/report/change_summary.h"
#include "standin/score/document_builder.h"
#include "standin/score/score_file.h"
#include "tests/e2e/program_fixture.h"
#include "tests/support/standin_fixture.h"

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using standin::Host;
using standin::Score;

constexpr uint32_t SODY = 0x534F4459;

using testsupport::ExamplePath;

json ReadJson(const std::string& path) {
    std::ifstream in(path);
    return json::parse(in);
}

// A small score with every kind of item, in texts that also survive the 8-bit layouts.
json SmallScore() {
    return json::parse(R"({
      "hostVersion": "0x12050000",
      "measures": 12,
      "fonts": [{"number": 0, "name": "Times New Roman"}, {"number": 3, "name": "Arial"}],
      "staves": [{"id": 4, "name": "^fontTxt(Times New Roman,4096)^size(12)^nfx(0)Flöte"},
                 {"id": 2, "name": "Piano"}, {"id": 3, "name": "Piano"}],
      "staffStyles": [{"id": 1, "name": "Piccolo", "changesInstrument": false},
                      {"id": 2, "name": "Slashes", "changesInstrument": false}],
      "styleAssignments": [{"staff": 4, "style": 2, "start": {"measure": 7, "position": 0},
                            "end": {"measure": 8, "position": 1024}},
                           {"staff": 2, "style": 1, "start": {"measure": 2, "position": 512},
                            "end": {"measure": 3, "position": 0}},
                           {"staff": 4, "style": 1, "start": {"measure": 3, "position": 0},
                            "end": {"measure": 5, "position": 3072}}],
      "multiStaffInstruments": [{"id": 1, "staves": [2, 3], "group": 5}],
      "groups": [{"id": 5, "top": 2, "bottom": 3, "startMeasure": 1, "name": "Piano"}],
      "categories": [{"id": 9, "name": "Technique Text", "font": {"number": 3, "size": 11, "effects": 2}},
                     {"id": 2, "name": "Dynamics", "font": {"number": 0, "size": 24, "effects": 0}}],
      "textExpressions": [{"id": 7, "text": "^font(Arial)^size(11)^nfx(2)pizz.", "description": "pizz.", "category": 9},
                          {"id": 3, "text": "ff", "description": "", "category": 0}],
      "expressions": [{"measure": 9, "staff": 3, "definition": 7, "shape": false},
                      {"measure": 2, "staff": 4, "definition": 3, "shape": false},
                      {"measure": 9, "staff": 4, "definition": 12, "shape": true},
                      {"measure": 2, "staff": 2, "definition": 7, "shape": false}],
      "selection": {"startSlot": 1, "endSlot": 2, "startMeasure": 2, "endMeasure": 11,
                    "startPosition": 0, "endPosition": 2147483647}
    })");
}

// The score built into the document and read back, as JSON.
json RoundTrip(const json& input, uint32_t hostVersion) {
    Score score = standin::ScoreFromJson(input);
    standin::CheckForHostVersion(score, hostVersion);
    standin::BuildDocument(score, hostVersion);
    score.hostVersion = hostVersion;
    return json(standin::ScoreToJson(standin::ReadDocument(hostVersion, score)));
}

class ScoreFileTest : public testsupport::StandinTest {};

// ---- Round trips ----

TEST_F(ScoreFileTest, ExamplesComeBackAsTheSameJsonValue) {
    for (const char* name : {"orchestra.json", "chamber.json"}) {
        SCOPED_TRACE(name);
        const json input = ReadJson(ExamplePath(name));
        const Score score = standin::ReadScoreFile(ExamplePath(name));
        EXPECT_EQ(RoundTrip(input, score.hostVersion), input);
    }
}

TEST_F(ScoreFileTest, SmallScoreComesBackAtEveryRecordLayout) {
    // UTF-16 texts from 0x11000000 on, 8-bit below; staff, style and category layouts change at 0x11000000
    // and 0x12000000. The host version the file spells stays as spelled when it is the one used.
    for (const char* version : {"0x12050000", "0x12000000", "0x11000000", "0x10000000", "0x0F000000"}) {
        SCOPED_TRACE(version);
        json input = SmallScore();
        input["hostVersion"] = version;
        uint32_t value = 0;
        ASSERT_TRUE(standin::ParseHostVersion(version, value));
        EXPECT_EQ(RoundTrip(input, value), input);
    }
}

TEST_F(ScoreFileTest, WhatTheFileLeavesOutStaysOut) {
    const json input =
        json::parse(R"({"measures": 3, "staves": [{"id": 1, "name": "Flute"}], "expressions": []})");
    EXPECT_EQ(RoundTrip(input, standin::kDefaultHostVersion), input);
    const Score score = standin::ScoreFromJson(input);
    EXPECT_EQ(score.hostVersion, 0x12050000u);
    const standin::ScoreSelection whole = score.SelectionOrWholeScore();
    EXPECT_EQ(whole.startSlot, 1);
    EXPECT_EQ(whole.endSlot, 1);
    EXPECT_EQ(whole.startMeasure, 1);
    EXPECT_EQ(whole.endMeasure, 3);
    EXPECT_EQ(whole.startPosition, 0);
    EXPECT_EQ(whole.endPosition, 2147483647);
}

TEST_F(ScoreFileTest, ItemsTheDocumentGainsFollowTheFileOrderAndLostOnesDrop) {
    const json input = SmallScore();
    Score score = standin::ScoreFromJson(input);
    standin::BuildDocument(score, score.hostVersion);
    standin::DocumentBuilder builder(Host().Doc(), score.hostVersion);
    builder.AddTextExpression(20, "^size(10)To Flute:", "Change to Flute [Mirel Instrument Change]", 9);
    builder.AddExpression(1, 4, 20);
    ASSERT_TRUE(
        Host().Doc().Erase(SODY, standin::RecordKey::Other(9, 0)));  // the first expression of the file

    const json out = standin::ScoreToJson(standin::ReadDocument(score.hostVersion, score));
    json expected = input;
    expected["expressions"].erase(0);
    expected["expressions"].push_back({{"measure", 1}, {"staff", 4}, {"definition", 20}, {"shape", false}});
    expected["textExpressions"].push_back({{"id", 20},
                                           {"text", "^size(10)To Flute:"},
                                           {"description", "Change to Flute [Mirel Instrument Change]"},
                                           {"category", 9}});
    EXPECT_EQ(out, expected);
}

// Deleting an expression moves the later ones of its measure down one incident. The expressions that stay
// keep their place in the file, and the change summary does not take them for removed and added.
TEST_F(ScoreFileTest, DeletionThatShiftsIncidentsKeepsOrderAndIsTheOnlyChange) {
    const json input = SmallScore();
    Score score = standin::ScoreFromJson(input);
    standin::BuildDocument(score, score.hostVersion);
    const Score before = standin::ReadDocument(score.hostVersion, score);
    // The second expression of the file: measure 2's first; measure 2's second (staff 2) moves down.
    ASSERT_TRUE(Host().Doc().EraseIncident(SODY, standin::RecordKey::Other(2, 0), 1));
    const Score after = standin::ReadDocument(score.hostVersion, score);

    json expected = input;
    expected["expressions"].erase(1);
    EXPECT_EQ(json(standin::ScoreToJson(after)), expected);

    const standin::ChangeSummary summary = standin::SummarizeChanges(before, after);
    EXPECT_EQ(summary.added, 0);
    EXPECT_EQ(summary.rewritten, 0);
    EXPECT_EQ(summary.removed, 1);
    EXPECT_EQ(summary.placedAnew, 0);
    ASSERT_EQ(summary.changes.size(), 1u);
    EXPECT_EQ(summary.changes[0].measure, 2);
    EXPECT_EQ(summary.changes[0].staff, 4);
}

// ---- Writing ----

// `value` with `text` appended to each of its strings, the host version's aside.
void AppendToTexts(json& value, const std::string& text) {
    if (value.is_string()) {
        value = value.get<std::string>() + text;
    } else if (value.is_structured()) {
        for (auto& [key, member] : value.items()) {
            if (key != "hostVersion") AppendToTexts(member, text);
        }
    }
}

// The text written reads back as the score file it came from, laid out as the library lays out the whole
// document (dump(2) and a line end): the same indentation and empty lists, every text escaped the same way.
TEST(ScoreFileText, IsTheLibraryLayoutOfTheScore) {
    std::vector<json> inputs = {
        json::parse(R"({"measures": 3, "staves": [{"id": 1, "name": "Flute"}], "expressions": []})")};
    // Appended to every text: nothing, characters the library escapes, the last byte below 0x80 it leaves as
    // it is, and UTF-8 sequences of two to four bytes.
    for (const char* text : {"", "\"", "\\", "\x01", "\n", "\x1f", "\x7f", "ö", "♩", "🎻"}) {
        inputs.push_back(SmallScore());
        AppendToTexts(inputs.back(), text);
    }
    for (const json& input : inputs) {
        SCOPED_TRACE(input.dump());
        const std::string written = standin::ScoreToJsonText(standin::ScoreFromJson(input));
        EXPECT_EQ(json::parse(written), input);
        EXPECT_EQ(written, nlohmann::ordered_json::parse(written).dump(2, ' ', false) + "\n");
    }
}

// Reading a file or a document gives UTF-8 texts only; a text that is not UTF-8 is refused as the library
// refuses it, not written.
TEST(ScoreFileText, RefusesTextThatIsNotUtf8) {
    // Latin-1, a lone continuation byte, a sequence cut short, an encoded surrogate.
    for (const char* text : {"Fl\xF6te", "\x80", "Fl\xC3", "\xED\xA0\x80"}) {
        SCOPED_TRACE(text);
        Score score = standin::ScoreFromJson(SmallScore());
        score.staves[0].name = text;
        EXPECT_THROW(standin::ScoreToJsonText(score), json::type_error);
    }
}

// ---- The document the stand-in builds, read with the builder's own readers ----

TEST_F(ScoreFileTest, BuiltDocumentHoldsTheScoreRecords) {
    const Score score = standin::ReadScoreFile(ExamplePath("orchestra.json"));
    standin::BuildDocument(score, score.hostVersion);
    standin::DocumentBuilder reader(Host().Doc(), score.hostVersion);

    ASSERT_EQ(Host().StaffOrder().size(), 30u);
    EXPECT_EQ(Host().StaffOrder().front(), 1);
    EXPECT_EQ(Host().SlotToInst(24), 24);
    EXPECT_EQ(Host().Fonts().at(2), "Maestro");
    EXPECT_TRUE(reader.HasMeasure(120));
    EXPECT_FALSE(reader.HasMeasure(121));

    const auto atTen = reader.ReadExpressions(10);
    ASSERT_EQ(atTen.size(), 1u);
    EXPECT_EQ(atTen[0].inci, 0);
    EXPECT_EQ(atTen[0].staff, 1);
    EXPECT_EQ(atTen[0].definitionID, 2);
    EXPECT_EQ(atTen[0].flags & 0x2000, 0);
    const auto atOne = reader.ReadExpressions(1);
    ASSERT_EQ(atOne.size(), 1u);
    EXPECT_EQ(atOne[0].flags & 0x2000, 0x2000);

    const standin::TextExpressionInfo stale = reader.ReadTextExpression(2);
    EXPECT_EQ(stale.text, "^font(Times New Roman)^size(12)^nfx(0)To Piccolo:");
    EXPECT_EQ(stale.description, "Change to Piccolo [Mirel Instrument Change]");
    EXPECT_EQ(stale.categoryID, 5);

    // A measure that holds expressions says so; others do not.
    EXPECT_EQ(reader.MeasureFlags(10) & 0x4000, 0x4000);
    EXPECT_EQ(reader.MeasureFlags(11) & 0x4000, 0);
}

// ---- Faults ----

struct BadCase {
    const char* name;
    const char* patch;  // a JSON merge patch applied to the small score
    const char* pointer;
    const char* message;  // part of the message
};

void PrintTo(const BadCase& c, std::ostream* os) {
    *os << c.name;
}

class BadScoreTest : public ScoreFileTest, public ::testing::WithParamInterface<BadCase> {};

TEST_P(BadScoreTest, NamesTheLocationAndTheFault) {
    json input = SmallScore();
    input.merge_patch(json::parse(GetParam().patch));
    try {
        standin::ScoreFromJson(input);
        FAIL() << "accepted";
    } catch (const standin::ScoreError& e) {
        EXPECT_EQ(e.Pointer(), GetParam().pointer);
        EXPECT_NE(std::string(e.what()).find(GetParam().message), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadScoreTest,
    ::testing::Values(
        BadCase{"UnknownStaffInAssignment",
                R"({"styleAssignments": [{"staff": 44, "style": 1, "start": {"measure": 1, "position": 0},
                    "end": {"measure": 2, "position": 0}}]})",
                "/styleAssignments/0/staff", "unknown staff id 44"},
        BadCase{"StyleThatDoesNotExist",
                R"({"styleAssignments": [{"staff": 4, "style": 8, "start": {"measure": 1, "position": 0},
                    "end": {"measure": 2, "position": 0}}]})",
                "/styleAssignments/0/style", "unknown style id 8"},
        BadCase{"AssignmentMeasureOutOfRange",
                R"({"styleAssignments": [{"staff": 4, "style": 1, "start": {"measure": 1, "position": 0},
                    "end": {"measure": 13, "position": 0}}]})",
                "/styleAssignments/0/end/measure", "measure 13 is out of range (the score has 12 measures)"},
        BadCase{"MeasureZero",
                R"({"expressions": [{"measure": 0, "staff": 4, "definition": 3, "shape": false}]})",
                "/expressions/0/measure", "measure 0 is out of range"},
        BadCase{"SelectionMeasureOutOfRange",
                R"({"selection": {"startSlot": 1, "endSlot": 2, "startMeasure": 1, "endMeasure": 99,
                    "startPosition": 0, "endPosition": 0}})",
                "/selection/endMeasure", "measure 99 is out of range"},
        BadCase{"SelectionSlotOutOfRange",
                R"({"selection": {"startSlot": 1, "endSlot": 4, "startMeasure": 1, "endMeasure": 2,
                    "startPosition": 0, "endPosition": 0}})",
                "/selection/endSlot", "endSlot 4 is out of range (1 to 3)"},
        BadCase{"DuplicateStaffId", R"({"staves": [{"id": 4, "name": "A"}, {"id": 4, "name": "B"}]})",
                "/staves/1/id", "duplicate staff id 4 (first at /staves/0/id)"},
        BadCase{"DuplicateStyleId",
                R"({"staffStyles": [{"id": 1, "name": "A", "changesInstrument": true},
                                    {"id": 1, "name": "B", "changesInstrument": false}]})",
                "/staffStyles/1/id", "duplicate style id 1"},
        BadCase{"DuplicateDefinitionId",
                R"({"textExpressions": [{"id": 3, "text": "a", "description": "", "category": 0},
                                        {"id": 3, "text": "b", "description": "", "category": 0}]})",
                "/textExpressions/1/id", "duplicate text expression id 3"},
        BadCase{"MalformedHostVersionDigits", R"({"hostVersion": "12050000"})", "/hostVersion",
                "malformed host version \"12050000\""},
        BadCase{"MalformedHostVersionLetters", R"({"hostVersion": "0x12G50000"})", "/hostVersion",
                "malformed host version"},
        BadCase{"MalformedHostVersionTooLong", R"({"hostVersion": "0x123456789"})", "/hostVersion",
                "malformed host version"},
        BadCase{"HostVersionAsNumber", R"({"hostVersion": 302317568})", "/hostVersion",
                "malformed host version"},
        BadCase{"MissingField", R"({"staves": [{"id": 4}]})", "/staves/0", "missing field \"name\""},
        BadCase{"UnknownField", R"({"staves": [{"id": 4, "name": "A", "colour": "red"}]})",
                "/staves/0/colour", "unknown field \"colour\""},
        BadCase{"WrongType", R"({"measures": "12"})", "/measures", "expected a whole number, found a string"},
        BadCase{"FractionalId", R"({"staves": [{"id": 1.5, "name": "A"}]})", "/staves/0/id",
                "expected a whole number"},
        BadCase{"EndsBeforeItStarts",
                R"({"styleAssignments": [{"staff": 4, "style": 1, "start": {"measure": 5, "position": 10},
                    "end": {"measure": 5, "position": 9}}]})",
                "/styleAssignments/0/end", "ends before it starts"},
        BadCase{"ExpressionOnUnknownDefinition",
                R"({"expressions": [{"measure": 1, "staff": 4, "definition": 99, "shape": false}]})",
                "/expressions/0/definition", "unknown text expression id 99"},
        BadCase{"ExpressionOnUnknownStaff",
                R"({"expressions": [{"measure": 1, "staff": 9, "definition": 3, "shape": false}]})",
                "/expressions/0/staff", "unknown staff id 9"},
        BadCase{
            "CategoryWithUnknownFont",
            R"({"categories": [{"id": 1, "name": "X", "font": {"number": 7, "size": 12, "effects": 0}}]})",
            "/categories/0/font/number", "unknown font number 7"},
        BadCase{"DefinitionWithUnknownCategory",
                R"({"textExpressions": [{"id": 3, "text": "a", "description": "", "category": 4}]})",
                "/textExpressions/0/category", "unknown category id 4"},
        BadCase{"MultiStaffInstrumentWithUnknownGroup",
                R"({"multiStaffInstruments": [{"id": 1, "staves": [2, 3], "group": 6}]})",
                "/multiStaffInstruments/0/group", "unknown group id 6"},
        BadCase{"StaffInTwoInstruments",
                R"({"multiStaffInstruments": [{"id": 1, "staves": [2, 3], "group": 5},
                                              {"id": 2, "staves": [4, 3], "group": 0}]})",
                "/multiStaffInstruments/1/staves/1",
                "staff 3 is already a member at /multiStaffInstruments/0/staves/1"},
        BadCase{"GroupOnUnknownStaff",
                R"({"groups": [{"id": 5, "top": 2, "bottom": 30, "startMeasure": 1, "name": "Piano"}]})",
                "/groups/0/bottom", "unknown staff id 30"},
        BadCase{
            "InstrumentChangeBeforeItsLayout",
            R"({"hostVersion": "0x10000000", "staffStyles": [{"id": 1, "name": "A", "changesInstrument": true},
                    {"id": 2, "name": "B", "changesInstrument": false}]})",
            "/staffStyles/0/changesInstrument", "no instrument-change flags before 0x11000000"},
        BadCase{"CategoryNameTooLongForTheOldLayout",
                R"({"hostVersion": "0x10000000", "categories": [{"id": 9,
                    "name": "0123456789012345678901234567890123456789012345678901234567890123456789",
                    "font": {"number": 3, "size": 11, "effects": 2}}, {"id": 2, "name": "Dynamics",
                    "font": {"number": 0, "size": 24, "effects": 0}}]})",
                "/categories/0/name", "at most 65 characters, it has 70"},
        BadCase{"TextTheEightBitLayoutsCannotHold",
                R"({"hostVersion": "0x10000000", "textExpressions": [{"id": 7, "text": "pizz.",
                    "description": "pizz.", "category": 9}, {"id": 3, "text": "Fagott \u266d",
                    "description": "", "category": 0}]})",
                "/textExpressions/1/text", "8-bit"},
        BadCase{"TextWithANulCharacter",
                R"({"staves": [{"id": 4, "name": "Fl\u0000te"}, {"id": 2, "name": "Piano"},
                               {"id": 3, "name": "Piano"}]})",
                "/staves/0/name", "zero character"},
        BadCase{"ListThatIsNoList", R"({"fonts": {"number": 0}})", "/fonts",
                "expected an array, found an object"},
        BadCase{"TopLevelUnknownField", R"({"tempo": 120})", "/tempo", "unknown field \"tempo\""}),
    [](const ::testing::TestParamInfo<BadCase>& info) { return info.param.name; });

class ScoreFileOnDisk : public ScoreFileTest {
  protected:
    void SetUp() override {
        ScoreFileTest::SetUp();
        dir_ = testsupport::MakeTestFolder();
    }
    void TearDown() override {
        fs::remove_all(dir_);
        ScoreFileTest::TearDown();
    }
    std::string Write(const std::string& name, const std::string& content) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }
    static std::string ErrorOf(const std::string& path) {
        try {
            standin::ReadScoreFile(path);
        } catch (const standin::ScoreFileError& e) {
            return e.what();
        }
        return "accepted";
    }
    fs::path dir_;
};

TEST_F(ScoreFileOnDisk, MessagesNameTheFileAndTheLocation) {
    json bad = SmallScore();
    bad["styleAssignments"][1]["staff"] = 17;
    const std::string path = Write("bad.json", bad.dump());
    EXPECT_EQ(ErrorOf(path), path + ": at /styleAssignments/1/staff: unknown staff id 17 (not in /staves)");

    const std::string broken = Write("broken.json", "{\"measures\": 3,\n \"staves\": [}\n");
    const std::string message = ErrorOf(broken);
    EXPECT_EQ(message.rfind(broken + ": not valid JSON: ", 0), 0u) << message;
    EXPECT_NE(message.find("line 2"), std::string::npos) << message;
    // A number beyond a double's range is refused like a syntax error (found by the score-file fuzzer).
    const std::string huge = Write("huge.json", "{\"measures\": 1e400000}");
    EXPECT_EQ(ErrorOf(huge), huge + ": not valid JSON: number overflow parsing '1e400000'");

    const std::string twice =
        Write("twice.json", R"({"measures": 3, "staves": [{"id": 1, "name": "A", "id": 2}]})");
    EXPECT_EQ(ErrorOf(twice), twice + ": at /staves/0/id: duplicate key \"id\"");

    EXPECT_EQ(ErrorOf((dir_ / "missing.json").string()),
              (dir_ / "missing.json").string() + ": cannot open the score file");
}

TEST_F(ScoreFileOnDisk, AtomicWriteReplacesWholeAndLeavesNoTemporaryFile) {
    const std::string path = Write("out.json", "old content");
    std::string error;
    ASSERT_TRUE(standin::WriteFileAtomically(path, "new content\n", error)) << error;
    EXPECT_EQ(testsupport::Slurp(path), "new content\n");
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir_)) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 1);

    // A folder that does not exist: nothing is written anywhere, and the reason is given.
    EXPECT_FALSE(standin::WriteFileAtomically((dir_ / "nowhere" / "out.json").string(), "x", error));
    EXPECT_NE(error.find("nowhere"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(dir_ / "nowhere"));
    // A folder in the way of the target: the rename fails and the temporary file is cleaned up.
    fs::create_directories(dir_ / "taken");
    fs::create_directories(dir_ / "taken" / "inner");
    EXPECT_FALSE(standin::WriteFileAtomically((dir_ / "taken").string(), "x", error));
    files = 0;
    for (const auto& entry : fs::directory_iterator(dir_)) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 2);
}

TEST(PlainTextTest, RemovesTagsAndUndoublesCarets) {
    const std::pair<const char*, const char*> cases[] = {
        {"^fontTxt(Times New Roman,4096)^size(12)^nfx(0)Flute 2", "Flute 2"},
        {"^font(Arial)To Piccolo:", "To Piccolo:"},
        {"a ^^ b", "a ^ b"},
        {"Clarinet in B♭", "Clarinet in B♭"},
        {"open ^size(12", "open ^size(12"},
        {"", ""},
    };
    for (const auto& [tagged, plain] : cases) EXPECT_EQ(standin::PlainText(tagged), plain) << tagged;
}

}  // namespace
