// The run command: the built module run on score files through its exports, as the application runs it, and
// the mirel-standin program itself (exit statuses, what it prints, what it writes and what it does not). What
// one invocation answers and whether it shows a message box is InvocationTest's; the dialog is
// CategoryDialogTest's.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "standin/commands/command_error.h"
#include "standin/commands/run_command.h"
#include "standin/host/host.h"
#include "standin/score/document_builder.h"
#include "tests/e2e/module_fixture.h"
#include "tests/e2e/program_fixture.h"

namespace {

namespace fs = std::filesystem;
using standin::ChangeKind;
using standin::Score;

using testsupport::ExamplePath;
using testsupport::Slurp;

// (measure, staff, text as it reads)
using Mark = std::tuple<int, int, std::string>;

std::vector<Mark> MarksOf(const standin::ChangeSummary& summary, ChangeKind kind) {
    std::vector<Mark> marks;
    for (const auto& c : summary.changes) {
        if (c.kind == kind) marks.emplace_back(c.measure, c.staff, c.ShownText());
    }
    return marks;
}

std::multiset<Mark> Standing(const Score& score) {
    const standin::ScoreIndex index(score);
    std::multiset<Mark> marks;
    for (const auto& e : score.expressions) marks.emplace(e.measure, e.staff, ExpressionShownText(index, e));
    return marks;
}

// What the orchestral example implies with the default answers: a mark where each instrument change starts,
// and one in the measure after it ends unless it lasts to the end of the piece. The two-staff piano gets its
// marks on its top staff only, named after the groups.
const std::vector<Mark> kStartMarks = {{20, 2, "To Piccolo:"},       {30, 6, "To Bass Clarinet in B♭:"},
                                       {40, 21, "To Glockenspiel:"}, {50, 4, "To English Horn:"},
                                       {60, 24, "To Celesta:"},      {70, 21, "To Xylophone:"},
                                       {90, 8, "To Contrabassoon:"}};
const std::vector<Mark> kEndMarks = {{46, 2, "To Flute 2:"},          {56, 21, "To Percussion 1:"},
                                     {61, 6, "To Clarinet in B♭ 2:"}, {76, 24, "To Piano:"},
                                     {81, 4, "To Oboe 2:"},           {86, 21, "To Percussion 1:"}};

// Marks in the order of the summary: by measure (each measure here holds one mark).
std::vector<Mark> Merged(std::vector<Mark> a, const std::vector<Mark>& b) {
    a.insert(a.end(), b.begin(), b.end());
    std::sort(a.begin(), a.end());
    return a;
}
const std::vector<Mark> kOrchestraMarks = Merged(kStartMarks, kEndMarks);

class RunCommandTest : public ModuleTest {
  protected:
    // Runs the example; at the score file's host version unless `hostVersion` names another.
    standin::RunResult Run(const std::string& example, const standin::DialogAnswers& answers = {},
                           int repeat = 1, const std::optional<std::string>& select = std::nullopt,
                           uint32_t hostVersion = 0) {
        score_ = standin::ReadScoreFile(ExamplePath(example));
        if (hostVersion != 0) standin::CheckForHostVersion(score_, hostVersion);
        standin::RunSettings settings;
        settings.hostVersion = hostVersion != 0 ? hostVersion : score_.hostVersion;
        settings.selection = score_.SelectionOrWholeScore();
        if (select) {
            EXPECT_NO_THROW(settings.selection = standin::ParseSelection(*select, score_));
        }
        settings.repeat = repeat;
        standingAfter_.clear();
        settings.onInvocation = [this](const standin::Invocation&, const Score& after) {
            standingAfter_.push_back(Standing(after));
        };
        std::istringstream in;
        std::ostringstream out;
        auto platform = standin::MakeModelPlatform(answers, false, in, out);
        return standin::RunScore(Exports(), score_, settings, *platform);
    }

    Score score_;
    std::vector<std::multiset<Mark>> standingAfter_;  // the marks standing after each invocation of Run
};

TEST_F(RunCommandTest, OrchestraWithDefaultAnswersMarksEveryInstrumentChange) {
    const standin::RunResult result = Run("orchestra.json");
    ASSERT_EQ(result.invocations.size(), 1u);
    const standin::ChangeSummary& changes = result.invocations[0].changes;
    EXPECT_EQ(changes.added, 13);
    EXPECT_EQ(changes.rewritten, 0);
    EXPECT_EQ(changes.removed, 1);
    EXPECT_EQ(MarksOf(changes, ChangeKind::Added), kOrchestraMarks);
    EXPECT_EQ(MarksOf(changes, ChangeKind::Removed), (std::vector<Mark>{{10, 1, "To Piccolo:"}}));

    // The new definitions: the category's font tags, the text, the description with the marker, the category.
    for (const auto& c : changes.changes) {
        if (c.kind != ChangeKind::Added) continue;
        const standin::ScoreTextExpression* definition =
            result.after.TextExpression(static_cast<int16_t>(c.definition));
        ASSERT_NE(definition, nullptr);
        const std::string name = c.ShownText().substr(3, c.ShownText().size() - 4);
        EXPECT_EQ(definition->description, "Change to " + name + " [Mirel Instrument Change]");
        EXPECT_EQ(definition->category, 5);
        EXPECT_EQ(definition->text.rfind("^font(Times New Roman)^size(12)^nfx(0)To ", 0), 0u)
            << definition->text;
        EXPECT_TRUE(c.plugin);
    }
    // What was not the plug-in's stays: the dolce text and the shape expression.
    EXPECT_EQ(Standing(result.after).count(Mark{5, 3, "dolce"}), 1u);
    EXPECT_EQ(result.after.expressions.size(), 15u);
    EXPECT_EQ(result.changes.added, 13);
    EXPECT_EQ(result.changes.removed, 1);
}

// --stats: each invocation's counts are those of the call log of that invocation alone (by function, loads by
// tag), the marks placed are the marks added or rewritten, and the time inside host functions is part of the
// invocation's.
TEST_F(RunCommandTest, StatsCountWhatTheCallLogHoldsPerInvocation) {
    // The model platform answers the dialog; around it, the log is turned on and emptied before each
    // invocation, and checked against the invocation's stats once it is over.
    class LoggedPlatform : public standin::RunPlatform {
      public:
        explicit LoggedPlatform(std::unique_ptr<standin::RunPlatform> inner) : inner_(std::move(inner)) {}
        void Prepare() override {
            inner_->Prepare();
            standin::Host().LogCalls(true);
        }
        void BeforeInvoke(int run) override {
            inner_->BeforeInvoke(run);
            standin::Host().ClearCalls();
        }
        void AfterInvoke(int run, std::vector<standin::DialogSighting>& dialogs,
                         std::vector<standin::MessageSighting>& boxes) override {
            inner_->AfterInvoke(run, dialogs, boxes);
            logs.push_back(standin::Host().Calls());
        }
        std::vector<std::vector<standin::HostCall>> logs;

      private:
        std::unique_ptr<standin::RunPlatform> inner_;
    };

    score_ = standin::ReadScoreFile(ExamplePath("orchestra.json"));
    standin::RunSettings settings;
    settings.hostVersion = score_.hostVersion;
    settings.selection = score_.SelectionOrWholeScore();
    settings.repeat = 2;
    settings.stats = true;
    std::istringstream in;
    std::ostringstream out;
    LoggedPlatform platform(standin::MakeModelPlatform({}, false, in, out));
    const standin::RunResult result = standin::RunScore(Exports(), score_, settings, platform);

    ASSERT_EQ(platform.logs.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const standin::HostCallStats& stats = result.invocations[i].stats;
        std::map<std::string, long, std::less<>> byFunction;
        std::map<uint32_t, long> loadsByTag;
        for (const standin::HostCall& call : platform.logs[i]) {
            if (call.function.rfind("FX_", 0) != 0) continue;  // kernel and window calls are not the host's
            ++byFunction[call.function];
            if (call.function == "FX_LoadEData") ++loadsByTag[static_cast<uint32_t>(call.args.at(0))];
        }
        EXPECT_EQ(stats.byFunction, byFunction) << "invocation " << i + 1;
        EXPECT_EQ(stats.loadsByTag, loadsByTag) << "invocation " << i + 1;
        long total = 0;
        for (const auto& entry : byFunction) total += entry.second;
        EXPECT_EQ(stats.total, total);
        EXPECT_EQ(byFunction.count("FX_Dialog"), 1u);
        EXPECT_LE(stats.insideHost, stats.invocation);
        EXPECT_GT(stats.insideHost.count(), 0);
    }
    // The second run loads each plug-in definition's text size twice in a row (once to make room, once to
    // load): repeats the account shows.
    EXPECT_GT(result.invocations[1].stats.repeatedSizeQueries, 0);

    const standin::Invocation& first = result.invocations[0];
    const std::string text =
        standin::FormatCallStats(first.stats, first.changes.added + first.changes.rewritten);
    EXPECT_NE(text.find("Host calls: " + std::to_string(first.stats.total) + " in all, "), std::string::npos)
        << text;
    EXPECT_NE(text.find(" per mark placed (13 marks)"), std::string::npos) << text;
    EXPECT_NE(text.find("    SODY "), std::string::npos) << text;
}

TEST_F(RunCommandTest, SecondRunLeavesTheSameMarksAndSaysHow) {
    const standin::RunResult result = Run("orchestra.json", {}, 2);
    ASSERT_EQ(result.invocations.size(), 2u);
    const standin::Invocation& second = result.invocations[1];
    EXPECT_EQ(second.result, 1u);

    // Start marks stand where a change begins: kept and rewritten. End marks stand where none begins: removed
    // first, then placed anew by the same run, in the same measure with the same text.
    const standin::ChangeSummary& changes = second.changes;
    EXPECT_EQ(MarksOf(changes, ChangeKind::Rewritten), kStartMarks);
    EXPECT_EQ(MarksOf(changes, ChangeKind::Removed), kEndMarks);
    EXPECT_EQ(MarksOf(changes, ChangeKind::Added), kEndMarks);
    EXPECT_EQ(changes.rewrittenWithSameText, 7);
    EXPECT_EQ(changes.placedAnew, 6);
    EXPECT_TRUE(changes.sameExpressionsAfter);
    ASSERT_EQ(standingAfter_.size(), 2u);
    EXPECT_EQ(standingAfter_[1], standingAfter_[0]);

    const std::string text = standin::FormatChangeSummary(changes);
    EXPECT_NE(text.find("7 expressions were rewritten in place with the same texts (start marks)"),
              std::string::npos)
        << text;
    EXPECT_NE(
        text.find("6 expressions were removed and placed anew in the same measure and staff with the same "
                  "text (end marks)"),
        std::string::npos)
        << text;
    EXPECT_NE(
        text.find(
            "The score shows the same 15 expressions in the same places with the same texts as before."),
        std::string::npos)
        << text;

    // Against the score file, two runs did what one did.
    EXPECT_EQ(MarksOf(result.changes, ChangeKind::Added), kOrchestraMarks);
    EXPECT_EQ(result.changes.rewritten, 0);
}

TEST_F(RunCommandTest, PartialSelectionsPlaceOnlyTheMarksWhosePointsLieInside) {
    struct Case {
        const char* select;
        std::vector<Mark> added;
        std::vector<Mark> removed;
    };
    const Case cases[] = {
        // Flute 2 alone, up to m. 30: the change starts inside and ends outside.
        {"2:1-30", {{20, 2, "To Piccolo:"}}, {}},
        // Flute 2 from m. 40: only the end point lies inside; the mark goes to the measure after it.
        {"2:40-45", {{46, 2, "To Flute 2:"}}, {}},
        // Flute 1 over m. 10: only the stale mark, removed.
        {"1:5-15", {}, {{10, 1, "To Piccolo:"}}},
        // The lower piano staff alone: its top staff is not swept, nothing is placed.
        {"25:*", {}, {}},
        // Both piano staves: the marks on the top staff, named after the groups.
        {"24-25:*", {{60, 24, "To Celesta:"}, {76, 24, "To Piano:"}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.select);
        standin::Host().Reset();
        const standin::RunResult result = Run("orchestra.json", {}, 1, std::string(c.select));
        EXPECT_EQ(MarksOf(result.changes, ChangeKind::Added), c.added);
        EXPECT_EQ(MarksOf(result.changes, ChangeKind::Removed), c.removed);
    }
}

// The answers shape the marks. With --repeat the module stays loaded between the invocations, so the second
// dialog opens with what the first one accepted.
TEST_F(RunCommandTest, AnswersShapeTheMarksAndCarryOverToTheRepeat) {
    standin::DialogAnswers answers;
    answers.SetCategory("Expressive Text");
    answers.prefix = "Now ";
    answers.suffix = "";
    const standin::RunResult result = Run("chamber.json", answers, 2);
    EXPECT_EQ(MarksOf(result.changes, ChangeKind::Added), (std::vector<Mark>{{9, 1, "Now Alto Flute"},
                                                                             {17, 1, "Now Flute"},
                                                                             {25, 2, "Now Clarinet in A"},
                                                                             {33, 2, "Now Clarinet in B♭"}}));
    for (const auto& c : result.changes.changes) {
        EXPECT_EQ(result.after.TextExpression(static_cast<int16_t>(c.definition))->category, 1);
    }
    const standin::DialogView& closing = result.invocations.at(0).dialogs.at(0).closing;
    const standin::DialogView& reopened = result.invocations.at(1).dialogs.at(0).opened;
    for (const standin::DialogView* view : {&closing, &reopened}) {
        EXPECT_EQ(view->selectedEntry, 1);
        EXPECT_EQ(view->prefix, "Now ");
        EXPECT_EQ(view->suffix, "");
    }
}

TEST_F(RunCommandTest, OlderHostVersionsGiveTheSameMarks) {
    // Texts are UTF-16 from 0x11000000 on: the same marks come back at 0x11000000 as at 0x12050000.
    const standin::RunResult result = Run("orchestra.json", {}, 1, std::nullopt, 0x11000000);
    EXPECT_EQ(MarksOf(result.changes, ChangeKind::Added), kOrchestraMarks);
}

TEST(SelectionOptionTest, ParsesRangesAndRefusesWhatLiesOutside) {
    Score score;
    score.measures = 120;
    score.staves.resize(30);
    struct Case {
        const char* text;
        bool ok;
        int startSlot, endSlot, startMeasure, endMeasure;
        const char* error;
    };
    const Case cases[] = {
        {"1-8:1-120", true, 1, 8, 1, 120, ""},
        {"3:*", true, 3, 3, 1, 120, ""},
        {"*:40-60", true, 1, 30, 40, 60, ""},
        {"5:7", true, 5, 5, 7, 7, ""},
        {"0-3:1-2", false, 0, 0, 0, 0, "slot 0 is out of range (the score has 30 slots)"},
        {"1-31:1-2", false, 0, 0, 0, 0, "slot 31 is out of range"},
        {"1:1-121", false, 0, 0, 0, 0, "measure 121 is out of range (the score has 120 measures)"},
        {"8-1:1-2", false, 0, 0, 0, 0, "the slot range 8-1 runs backwards"},
        {"1-8", false, 0, 0, 0, 0, "expected SLOTS:MEASURES such as 1-8:1-120"},
        {"a:1", false, 0, 0, 0, 0, "expected a slot number, a range such as 1-8, or *"},
        {"1:2:3", false, 0, 0, 0, 0, "expected SLOTS:MEASURES"},
        {"1-:3", false, 0, 0, 0, 0, "expected a slot number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            const standin::ScoreSelection selection = standin::ParseSelection(c.text, score);
            ASSERT_TRUE(c.ok);
            EXPECT_EQ(selection.startSlot, c.startSlot);
            EXPECT_EQ(selection.endSlot, c.endSlot);
            EXPECT_EQ(selection.startMeasure, c.startMeasure);
            EXPECT_EQ(selection.endMeasure, c.endMeasure);
            EXPECT_EQ(selection.startPosition, 0);
            EXPECT_EQ(selection.endPosition, 2147483647);
        } catch (const standin::CommandError& e) {
            ASSERT_FALSE(c.ok) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
        }
    }
}

// ---- The program ----

class ProgramTest : public testsupport::ProgramFolderTest {
  protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        fs::copy_file(ExamplePath("orchestra.json"), dir_ / "score.json");
    }
    // The files in the folder besides the score.
    std::set<std::string> Files() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) names.insert(entry.path().filename().string());
        return names;
    }
    void WriteScore(const std::string& name, const std::string& content) {
        std::ofstream(dir_ / name, std::ios::binary) << content;
    }
};

TEST_F(ProgramTest, RunPrintsTheDialogAndTheSummaryAndWritesTheOutputs) {
    ASSERT_EQ(Program("run score.json --out result.json --report report.html"), 0) << stderr_;
    EXPECT_NE(stdout_.find("Dialog \"Mirel Instrument Change\" as it opened:"), std::string::npos) << stdout_;
    EXPECT_NE(stdout_.find("    > 5  Technique Text\n"), std::string::npos) << stdout_;
    EXPECT_NE(stdout_.find("Prefix: \"To \"\n"), std::string::npos) << stdout_;
    EXPECT_NE(stdout_.find("FinaleExtensionInvoke answered 1"), std::string::npos) << stdout_;
    EXPECT_NE(stdout_.find("Changes: 13 added, 0 rewritten, 1 removed."), std::string::npos) << stdout_;
    EXPECT_EQ(Files(), (std::set<std::string>{"score.json", "result.json", "report.html"}));
    EXPECT_EQ(Slurp(dir_ / "score.json"), Slurp(ExamplePath("orchestra.json")));

    const nlohmann::json result = nlohmann::json::parse(Slurp(dir_ / "result.json"));
    EXPECT_EQ(result["expressions"].size(), 15u);
    // The result is a score file again, and running on it changes what a second run changes.
    ASSERT_EQ(Program("run result.json --out again.json"), 0) << stderr_;
    EXPECT_NE(stdout_.find("Changes: 6 added, 7 rewritten, 6 removed."), std::string::npos) << stdout_;
}

// How the command tells a run that changed nothing: how the dialog ended, the message box line by line, the
// entry point's answer and the empty summary.
TEST_F(ProgramTest, RunPrintsHowARunWithoutChangesEnded) {
    using testsupport::kNoChangesLines;
    const std::string nothing =
        "FinaleExtensionInvoke answered 0: no change reported.\n"
        "Changes: none. No expression was added, rewritten or removed.\n\n";
    const std::string box = "Message box \"" + testsupport::kNoChangesCaption + "\":\n  " +
                            kNoChangesLines[0] + "\n  " + kNoChangesLines[1] + "\n";
    const std::pair<const char*, std::string> cases[] = {
        {"--cancel", "Ended with Cancel.\nNo message box.\n" + nothing},
        {"--select '9-12:*'",
         "Ended with OK: category 5 \"Technique Text\", prefix \"To \", suffix \":\".\n" + box + nothing},
    };
    for (const auto& [options, ending] : cases) {
        SCOPED_TRACE(options);
        ASSERT_EQ(Program("run score.json " + std::string(options)), 0) << stderr_;
        const std::size_t at = stdout_.find("Ended with ");
        ASSERT_NE(at, std::string::npos) << stdout_;
        EXPECT_EQ(stdout_.substr(at), ending);
        EXPECT_EQ(Files(), std::set<std::string>{"score.json"});
    }
}

TEST_F(ProgramTest, EveryCommandHasHelp) {
    for (const char* command : {"--help", "info --help", "run --help", "show --help"}) {
        SCOPED_TRACE(command);
        EXPECT_EQ(Program(command), 0) << stderr_;
        EXPECT_NE(stdout_.find("Usage"), std::string::npos) << stdout_;
    }
    Program("run --help");
    EXPECT_NE(stdout_.find("SLOTS:MEASURES"), std::string::npos);
    for (const char* option : {"--select", "--host-version", "--category", "--prefix", "--suffix", "--cancel",
                               "--interactive", "--repeat", "--out", "--report", "--module", "--in-place"}) {
        EXPECT_NE(stdout_.find(option), std::string::npos) << option;
    }
}

TEST_F(ProgramTest, BadInputExitsWithTwoAndWritesNothing) {
    WriteScore("unknown-staff.json",
               R"({"measures": 4, "staves": [{"id": 1, "name": "A"}], "staffStyles": [{"id": 1, "name": "B",
               "changesInstrument": true}], "styleAssignments": [{"staff": 2, "style": 1,
               "start": {"measure": 1, "position": 0}, "end": {"measure": 2, "position": 0}}]})");
    WriteScore("broken.json", "{\"measures\": ");
    struct Case {
        const char* arguments;
        const char* message;
    };
    const Case cases[] = {
        {"run unknown-staff.json --out r.json --report r.html",
         "unknown-staff.json: at /styleAssignments/0/staff: unknown staff id 2"},
        {"run broken.json --out r.json", "broken.json: not valid JSON"},
        {"run missing.json --out r.json", "missing.json: cannot open the score file"},
        {"run score.json --out r.json --select 1-40:1-2", "--select: slot 40 is out of range"},
        {"run score.json --out r.json --host-version 12", "--host-version: malformed host version \"12\""},
        {"run score.json --out r.json --host-version 0x10000000",
         "at /staffStyles/0/changesInstrument: a staff style cannot change the instrument"},
        {"run score.json --out r.json --category Bogus",
         "--category: the score has no category named \"Bogus\""},
        {"run score.json --out r.json --category 9", "--category: there is no entry 9"},
        {"run score.json --out score.json", "is the score file itself; give --in-place"},
        {"run score.json --report ./score.json", "is the score file itself"},
        {"run score.json --in-place --out r.json", "leave out --out"},
        {"run score.json --out r.json --interactive --prefix x", "--interactive"},
        {"run score.json --out r.json --repeat 0", "--repeat"},
        {"run score.json --out r.json --bogus", "bogus"},
        {"run score.json --out r.json --report nowhere/r.html",
         "--report nowhere/r.html: the folder nowhere"},
        {"run score.json --out nowhere/r.json --report r.html", "--out nowhere/r.json: the folder nowhere"},
        {"show broken.json", "broken.json: not valid JSON"},
    };
    const std::set<std::string> before = Files();
    const std::string score = Slurp(dir_ / "score.json");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        EXPECT_EQ(Program(c.arguments), 2) << stdout_ << stderr_;
        EXPECT_NE(stderr_.find(c.message), std::string::npos) << stderr_;
        EXPECT_EQ(Files(), before);
        EXPECT_EQ(Slurp(dir_ / "score.json"), score);
    }
}

TEST_F(ProgramTest, InPlaceRewritesTheScoreFile) {
    ASSERT_EQ(Program("run score.json --in-place --select 2:*"), 0) << stderr_;
    EXPECT_EQ(Files(), (std::set<std::string>{"score.json"}));
    const nlohmann::json result = nlohmann::json::parse(Slurp(dir_ / "score.json"));
    EXPECT_EQ(result["expressions"].size(), 5u);  // three as before and two marks on Flute 2
}

TEST_F(ProgramTest, ShowListsStavesChangesAndExpressions) {
    ASSERT_EQ(Program("show score.json"), 0) << stderr_;
    EXPECT_NE(
        stdout_.find(
            "2     2      Flute 2           Piccolo, m. 20 (0) to m. 45 (3072), changes the instrument"),
        std::string::npos)
        << stdout_;
    EXPECT_NE(stdout_.find("Slash Notation, m. 100 (0) to m. 104 (3072), no instrument change"),
              std::string::npos);
    EXPECT_NE(stdout_.find("1: staves 24 (slot 24) 25 (slot 25); group 1 \"Piano\""), std::string::npos);
    EXPECT_NE(stdout_.find("\"To Piccolo:\", Technique Text, placed by Mirel Instrument Change"),
              std::string::npos);
    EXPECT_NE(stdout_.find("shape expression 3"), std::string::npos);
}

TEST_F(ProgramTest, InteractiveRunReadsTheAnswersFromTheTerminal) {
    // Category 4, prefix kept, suffix " -", then OK.
    std::ofstream(dir_ / "answers.txt") << "4\n\n\" -\"\nok\n";
    ASSERT_EQ(Program("run score.json --interactive --select 2:*", "answers.txt"), 0);
    EXPECT_NE(stdout_.find("Ended with OK: category 4 \"Expressive Text\", prefix \"To \", suffix \" -\"."),
              std::string::npos)
        << stdout_;
    EXPECT_NE(stdout_.find("\"To Piccolo -\""), std::string::npos) << stdout_;
}

}  // namespace
