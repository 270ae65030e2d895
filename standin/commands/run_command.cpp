#include "standin/commands/run_command.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <istream>
#include <ostream>
#include <sstream>

#include "standin/commands/command_text.h"
#include "standin/dialog/ui_model.h"
#include "standin/host/host.h"
#include "standin/report/report.h"
#include "standin/score/document_builder.h"

namespace standin {

namespace {

// ---- The headless window model ----

DialogView ViewOf(const UiWindow& window) {
    DialogView view;
    view.caption = Utf16ToUtf8(window.caption);
    if (const UiItem* list = window.FindItem(kDialogCategoryID)) {
        for (const std::u16string& entry : list->entries) view.entries.push_back(Utf16ToUtf8(entry));
        if (list->selection >= 0 && static_cast<std::size_t>(list->selection) < list->entries.size()) {
            view.selectedEntry = list->selection + 1;
        }
    }
    if (const UiItem* prefix = window.FindItem(kDialogPrefixID)) view.prefix = Utf16ToUtf8(prefix->text);
    if (const UiItem* suffix = window.FindItem(kDialogSuffixID)) view.suffix = Utf16ToUtf8(suffix->text);
    return view;
}

// How a run of the dialog ended: the close box, else the last button command the dialog received.
DialogOutcome OutcomeOf(const DialogRun& run) {
    if (!run.ended) return DialogOutcome::GivenUp;
    DialogOutcome outcome = DialogOutcome::Ended;
    for (const DialogMessage& m : run.messages) {
        if (m.message == WM_CLOSE) return DialogOutcome::CloseBox;
        if (m.message == WM_COMMAND && (m.wParam >> 16) == BN_CLICKED) {
            if ((m.wParam & 0xFFFF) == static_cast<uintptr_t>(kDialogOkID)) outcome = DialogOutcome::Ok;
            if ((m.wParam & 0xFFFF) == static_cast<uintptr_t>(kDialogCancelID))
                outcome = DialogOutcome::Cancel;
        }
    }
    return outcome;
}

class ModelPlatform : public RunPlatform {
  public:
    ModelPlatform(const DialogAnswers& answers, bool interactive, std::istream& in, std::ostream& out)
        : answers_(answers), interactive_(interactive), in_(in), out_(out) {}

    void Prepare() override {
        Ui().Reset();
        if (interactive_) Ui().SetUser(std::make_shared<TerminalDialogUser>(in_, out_));
    }

    void BeforeInvoke(int) override {
        if (!interactive_) Ui().SetUser(std::make_shared<ScriptedDialogUser>(answers_));
        runsBefore_ = Ui().dialogRuns.size();
        boxesBefore_ = Ui().messageBoxes.size();
    }

    void AfterInvoke(int, std::vector<DialogSighting>& dialogs,
                     std::vector<MessageSighting>& boxes) override {
        for (std::size_t i = runsBefore_; i < Ui().dialogRuns.size(); ++i) {
            const DialogRun& run = Ui().dialogRuns[i];
            DialogSighting sighting;
            sighting.opened = ViewOf(run.shown);
            sighting.closing = ViewOf(run.final);
            sighting.outcome = OutcomeOf(run);
            sighting.notes = run.notes;
            dialogs.push_back(sighting);
        }
        for (std::size_t i = boxesBefore_; i < Ui().messageBoxes.size(); ++i) {
            const MessageBoxRecord& box = Ui().messageBoxes[i];
            boxes.push_back(MessageSighting{Utf16ToUtf8(box.caption), Utf16ToUtf8(box.text)});
        }
        // What has been told is not kept a second time in the window model: over many invocations, the
        // dialogs' windows would pile up there.
        if (Ui().currentRun == nullptr) {
            Ui().dialogRuns.erase(Ui().dialogRuns.begin() + static_cast<std::ptrdiff_t>(runsBefore_),
                                  Ui().dialogRuns.end());
            Ui().messageBoxes.erase(Ui().messageBoxes.begin() + static_cast<std::ptrdiff_t>(boxesBefore_),
                                    Ui().messageBoxes.end());
        }
    }

  private:
    DialogAnswers answers_;
    bool interactive_;
    std::istream& in_;
    std::ostream& out_;
    std::size_t runsBefore_ = 0;
    std::size_t boxesBefore_ = 0;
};

// ---- Text of an invocation ----

std::string EntryText(const DialogView& view, int entry) {
    if (entry < 1 || static_cast<std::size_t>(entry) > view.entries.size()) return "none";
    return std::to_string(entry) + " " + Quote(view.entries[static_cast<std::size_t>(entry) - 1]);
}

// How the dialog ended, and with which choices when it was confirmed.
std::string DescribeEnding(const DialogSighting& dialog) {
    const DialogView& c = dialog.closing;
    const std::string chosen = "category " + EntryText(c, c.selectedEntry) + ", prefix " + Quote(c.prefix) +
                               ", suffix " + Quote(c.suffix);
    switch (dialog.outcome) {
        case DialogOutcome::Ok:
            return "Ended with OK: " + chosen + ".";
        case DialogOutcome::Cancel:
            return "Ended with Cancel.";
        case DialogOutcome::CloseBox:
            return "Closed with the close box.";
        case DialogOutcome::Ended:
            return "Ended by the module without a button: " + chosen + ".";
        case DialogOutcome::GivenUp:
            break;
    }
    return "The dialog was left open and the host gave it up.";
}

void WriteDialog(std::ostream& out, const DialogSighting& dialog) {
    const DialogView& v = dialog.opened;
    out << "Dialog " << Quote(v.caption) << " as it opened:\n";
    out << "  Category:\n";
    if (v.entries.empty()) out << "        (no entries)\n";
    for (std::size_t i = 0; i < v.entries.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        out << (number == v.selectedEntry ? "    > " : "      ") << number << "  " << v.entries[i] << "\n";
    }
    out << "  Prefix: " << Quote(v.prefix) << "\n";
    out << "  Suffix: " << Quote(v.suffix) << "\n";
    for (const std::string& note : dialog.notes) out << "The user could not act as told: " << note << ".\n";
    out << DescribeEnding(dialog) << "\n";
}

// ---- Checking the command line against the score ----

bool ParseRange(const std::string& text, int limit, const char* what, int& first, int& last,
                std::string& error) {
    if (text == "*") {
        first = 1;
        last = limit;
        return true;
    }
    const std::size_t dash = text.find('-');
    const std::string a = text.substr(0, dash);
    const std::string b = dash == std::string::npos ? a : text.substr(dash + 1);
    const auto number = [](const std::string& digits, int& value) {
        if (digits.empty() || digits.size() > 5 ||
            digits.find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        value = std::stoi(digits);
        return true;
    };
    if (!number(a, first) || !number(b, last)) {
        error =
            "expected a " + std::string(what) + " number, a range such as 1-8, or *, found \"" + text + "\"";
        return false;
    }
    for (int value : {first, last}) {
        if (value < 1 || value > limit) {
            error = std::string(what) + " " + std::to_string(value) + " is out of range (the score has " +
                    std::to_string(limit) + " " + what + "s)";
            return false;
        }
    }
    if (first > last) {
        error = "the " + std::string(what) + " range " + text + " runs backwards";
        return false;
    }
    return true;
}

bool SamePath(const std::string& a, const std::string& b) {
    std::error_code ec;
    const auto pa = std::filesystem::u8path(a);
    const auto pb = std::filesystem::u8path(b);
    if (std::filesystem::exists(pa, ec) && std::filesystem::exists(pb, ec)) {
        return std::filesystem::equivalent(pa, pb, ec);
    }
    return std::filesystem::weakly_canonical(pa, ec) == std::filesystem::weakly_canonical(pb, ec);
}

// How the dialog was answered, for the report: the last dialog's ending.
std::string DescribeAnswers(const RunResult& result) {
    for (auto it = result.invocations.rbegin(); it != result.invocations.rend(); ++it) {
        if (!it->dialogs.empty()) return "dialog: " + DescribeEnding(it->dialogs.back());
    }
    return "no dialog was shown";
}

}  // namespace

HWND RunPlatform::ParentWindow() {
    return MirelWindowFromValue(Host().MainWindow());
}

std::unique_ptr<RunPlatform> MakeModelPlatform(const DialogAnswers& answers, bool interactive,
                                               std::istream& in, std::ostream& out) {
    return std::make_unique<ModelPlatform>(answers, interactive, in, out);
}

// ---- A run ------------------------------------------------------------------------------------------------

std::array<uint8_t, MIREL_REGION_RECORD_SIZE> RegionRecordOf(const ScoreSelection& selection) {
    RegionSpec region;
    region.startSlot = selection.startSlot;
    region.endSlot = selection.endSlot;
    region.startMeasure = selection.startMeasure;
    region.endMeasure = selection.endMeasure;
    region.startPosition = selection.startPosition;
    region.endPosition = selection.endPosition;
    return MakeRegionRecord(region);
}

namespace {

// One call of the invoke entry point: its answer, what the user saw and, with `stats`, the host calls it made.
Invocation InvokeOnce(const ModuleExports& exports, const uint8_t* regionRecord, RunPlatform& platform,
                      int run, bool stats) {
    Invocation invocation;
    invocation.run = run;
    platform.BeforeInvoke(run);
    Host().RestartCallStats(stats);
    const auto started = std::chrono::steady_clock::now();
    invocation.result = exports.invoke(platform.ParentWindow(), 0, regionRecord, 0);
    const auto ended = std::chrono::steady_clock::now();
    if (stats) {
        invocation.stats = Host().CallStats();
        invocation.stats.invocation = ended - started;
        Host().RestartCallStats(false);
    }
    platform.AfterInvoke(run, invocation.dialogs, invocation.messageBoxes);
    return invocation;
}

}  // namespace

RunResult RunScore(const ModuleExports& exports, const Score& score, const RunSettings& settings,
                   RunPlatform& platform) {
    Host().Reset();
    BuildDocument(score, settings.hostVersion);
    platform.Prepare();

    // The score read back keeps the file's order of items, its selection and spelling (ReadDocument takes
    // the host version apart).
    RunResult result;
    result.before = ReadDocument(settings.hostVersion, score);

    // What the application does when it loads a plug-in: tell it the version, then initialise it.
    exports.version(settings.hostVersion);
    uint32_t initFlags = 0;
    exports.init(0, &initFlags);
    const auto regionRecord = RegionRecordOf(settings.selection);

    // Only the latest reading of the document is kept: each invocation is compared with the one before it,
    // and what it reports (dialogs, message boxes, changes) is all that stays of it.
    std::optional<Score> latest;
    bool terminated = false;
    result.invocations.reserve(static_cast<std::size_t>(std::max(settings.repeat, 0)));
    for (int run = 1; run <= settings.repeat; ++run) {
        Invocation invocation = InvokeOnce(exports, regionRecord.data(), platform, run, settings.stats);
        // The last reading is the result and holds every definition; the others serve the comparison.
        Score after = ReadDocument(settings.hostVersion, score,
                                   run == settings.repeat ? DefinitionsRead::All : DefinitionsRead::Shown);
        if (run == settings.repeat) {
            // The document's last reading: the module is done with it and what follows works from the
            // readings alone, so its records (the most memory the run holds) go before the summary is made.
            exports.terminate(0);
            terminated = true;
            Host().NewDocument();
        }
        invocation.changes = SummarizeChanges(latest ? *latest : result.before, after);
        result.invocations.push_back(std::move(invocation));
        if (settings.onInvocation) settings.onInvocation(result.invocations.back(), after);
        latest = std::move(after);
    }
    if (!terminated) exports.terminate(0);

    result.after = latest ? std::move(*latest) : result.before;
    // With one invocation, the run's changes are that invocation's: the same two scores compared.
    result.changes = result.invocations.size() == 1 ? result.invocations.front().changes
                                                    : SummarizeChanges(result.before, result.after);
    return result;
}

std::string FormatInvocation(const Invocation& invocation, int repeat) {
    std::ostringstream out;
    out << "--- Run " << invocation.run << " of " << repeat << " ---\n";
    if (invocation.dialogs.empty()) out << "No dialog was shown.\n";
    for (const DialogSighting& dialog : invocation.dialogs) WriteDialog(out, dialog);
    if (invocation.messageBoxes.empty()) out << "No message box.\n";
    for (const MessageSighting& box : invocation.messageBoxes) {
        out << "Message box " << Quote(box.caption) << ":\n";
        std::istringstream lines(box.text);
        for (std::string line; std::getline(lines, line);) out << "  " << line << "\n";
    }
    out << "FinaleExtensionInvoke answered " << invocation.result
        << (invocation.result != 0 ? ": the document was changed.\n" : ": no change reported.\n");
    // The summary, a line for each change, is appended to the text as it is, not passed through the stream.
    std::string text = out.str();
    text += FormatChangeSummary(invocation.changes);
    return text;
}

bool ParseSelection(const std::string& text, const Score& score, ScoreSelection& selection,
                    std::string& error) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || text.find(':', colon + 1) != std::string::npos) {
        error = "expected SLOTS:MEASURES such as 1-8:1-120, found \"" + text + "\"";
        return false;
    }
    int firstSlot = 0;
    int lastSlot = 0;
    int firstMeasure = 0;
    int lastMeasure = 0;
    if (!ParseRange(text.substr(0, colon), static_cast<int>(score.staves.size()), "slot", firstSlot, lastSlot,
                    error) ||
        !ParseRange(text.substr(colon + 1), score.measures, "measure", firstMeasure, lastMeasure, error)) {
        return false;
    }
    selection.startSlot = static_cast<int16_t>(firstSlot);
    selection.endSlot = static_cast<int16_t>(lastSlot);
    selection.startMeasure = static_cast<int16_t>(firstMeasure);
    selection.endMeasure = static_cast<int16_t>(lastMeasure);
    selection.startPosition = 0;
    selection.endPosition = kEndOfMeasure;
    return true;
}

// ---- run --------------------------------------------------------------------------------------------------

namespace {

// What the command line asks for, checked against the score.
struct RunPlan {
    Score score;
    uint32_t hostVersion = 0;
    ScoreSelection selection;
    DialogAnswers answers;
    std::optional<std::string> outPath;  // the result score
};

// Reads the score file and takes the host version from the command line, when it gives one. Each check here
// answers what is wrong, or nothing.
std::string ReadScore(const RunCommandOptions& options, RunPlan& plan) {
    try {
        plan.score = ReadScoreFile(options.scorePath);
    } catch (const ScoreFileError& e) {
        return e.what();
    }
    plan.hostVersion = plan.score.hostVersion;
    if (!options.hostVersion) return {};
    if (!ParseHostVersion(*options.hostVersion, plan.hostVersion)) {
        return "--host-version: malformed host version \"" + *options.hostVersion +
               "\": expected \"0x\" and one to eight hexadecimal digits, as in 0x12050000";
    }
    plan.score.hostVersion = plan.hostVersion;
    plan.score.hostVersionText = *options.hostVersion;
    try {
        CheckForHostVersion(plan.score, plan.hostVersion);
    } catch (const ScoreError& e) {
        return options.scorePath + ": at " + e.Pointer() + ": " + e.what() + " (--host-version " +
               *options.hostVersion + ")";
    }
    return {};
}

// A --category the dialog does not list.
std::string CategoryProblem(const std::string& category, const DialogAnswers& answers, const Score& score) {
    if (answers.categoryEntry) {
        if (*answers.categoryEntry >= 1 &&
            static_cast<std::size_t>(*answers.categoryEntry) <= score.categories.size())
            return {};
        return "--category: there is no entry " + category + " (the dialog lists " +
               std::to_string(score.categories.size()) + " categories)";
    }
    if (std::any_of(score.categories.begin(), score.categories.end(),
                    [&](const ScoreCategory& c) { return c.name == category; })) {
        return {};
    }
    std::string names;
    for (const ScoreCategory& c : score.categories) names += (names.empty() ? "" : ", ") + Quote(c.name);
    return "--category: the score has no category named " + Quote(category) + " (it has " +
           (names.empty() ? std::string("none") : names) + ")";
}

// The selection, the number of invocations and the dialog's answers.
std::string PlanInvocations(const RunCommandOptions& options, RunPlan& plan) {
    plan.selection = plan.score.SelectionOrWholeScore();
    std::string error;
    if (options.select && !ParseSelection(*options.select, plan.score, plan.selection, error))
        return "--select: " + error;
    if (options.repeat < 1) return "--repeat must be 1 or more";
    if (options.interactive && (options.category || options.prefix || options.suffix || options.cancel)) {
        return "--interactive asks the dialog's questions at the terminal; it cannot be combined with "
               "--category, --prefix, --suffix or --cancel";
    }
    if (options.category) {
        plan.answers.SetCategory(*options.category);
        error = CategoryProblem(*options.category, plan.answers, plan.score);
        if (!error.empty()) return error;
    }
    plan.answers.prefix = options.prefix;
    plan.answers.suffix = options.suffix;
    plan.answers.ending = options.cancel ? DialogEnding::Cancel : DialogEnding::Ok;
    return {};
}

// Why the file at `path` could not be written, or empty: its folder must exist.
std::string OutputFolderProblem(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty() || std::filesystem::is_directory(folder, ec)) return {};
    return "the folder " + folder.string() + " does not exist";
}

// The outputs: never the score file itself unless asked to, never both in one file, each in a folder that
// exists, so that a run never writes one output and fails on the other.
std::string PlanOutputs(const RunCommandOptions& options, RunPlan& plan) {
    plan.outPath = options.outPath;
    if (options.inPlace) {
        if (plan.outPath) return "--in-place writes the result into the score file; leave out --out";
        plan.outPath = options.scorePath;
    } else if (plan.outPath && SamePath(*plan.outPath, options.scorePath)) {
        return "--out " + *plan.outPath + " is the score file itself; give --in-place to overwrite it";
    }
    if (options.reportPath && SamePath(*options.reportPath, options.scorePath))
        return "--report " + *options.reportPath + " is the score file itself";
    if (options.reportPath && plan.outPath && SamePath(*options.reportPath, *plan.outPath))
        return "--report and the result score name the same file " + *plan.outPath;
    for (const auto& [option, path] :
         {std::pair{"--out", plan.outPath}, std::pair{"--report", options.reportPath}}) {
        if (!path) continue;
        const std::string problem = OutputFolderProblem(*path);
        if (!problem.empty()) return std::string(option) + " " + *path + ": " + problem;
    }
    return {};
}

// The report of the run. The run's scores are not needed after it: moved, not copied.
ReportInput ReportOf(const RunCommandOptions& options, const ScoreSelection& selection, RunResult& result) {
    ReportInput report;
    report.title = std::filesystem::u8path(options.scorePath).filename().u8string();
    report.subtitle = "Selection: " + RegionText(selection) + "; " + DescribeAnswers(result) +
                      (options.repeat > 1 ? "; " + std::to_string(options.repeat) + " runs" : "");
    report.before = std::move(result.before);
    report.after = std::move(result.after);
    report.changes = std::move(result.changes);
    report.selection = selection;
    return report;
}

// Writes the result score and the report asked for; a failure is told and makes the status a failure.
int WriteOutputs(const RunCommandOptions& options, const RunPlan& plan, RunResult& result, std::ostream& out,
                 std::ostream& err) {
    int status = kExitOk;
    std::string error;
    const auto tell = [&](bool written, const char* what, const std::string& path) {
        if (written) {
            out << "Wrote " << what << " to " << path << "\n";
            return;
        }
        err << "mirel-standin run: " << error << "\n";
        status = kExitFailure;
    };
    if (plan.outPath) {
        const auto writeScore = [&](std::ostream& file) { WriteScoreJson(file, result.after); };
        tell(WriteFileAtomically(*plan.outPath, writeScore, error), "the result score", *plan.outPath);
    }
    if (options.reportPath) {
        const std::string html = RenderReport(ReportOf(options, plan.selection, result));
        tell(WriteFileAtomically(*options.reportPath, html, error), "the report", *options.reportPath);
    }
    return status;
}

// Runs the plan with the module, telling each invocation as it ends.
RunResult RunPlanned(const RunCommandOptions& options, const RunPlan& plan, const LoadedModule& module,
                     const RunPlatformFactory& platforms, std::ostream& out) {
    RunSettings settings;
    settings.hostVersion = plan.hostVersion;
    settings.selection = plan.selection;
    settings.repeat = options.repeat;
    settings.stats = options.stats;
    settings.onInvocation = [&](const Invocation& invocation, const Score&) {
        out << FormatInvocation(invocation, options.repeat);
        if (options.stats) {
            out << FormatCallStats(invocation.stats, invocation.changes.added + invocation.changes.rewritten);
        }
        out << "\n" << std::flush;
    };
    std::unique_ptr<RunPlatform> platform = platforms(plan.answers, options.interactive);
    return RunScore(module.Exports(), plan.score, settings, *platform);
}

}  // namespace

int RunCommand(const RunCommandOptions& options, const RunPlatformFactory& platforms, std::ostream& out,
               std::ostream& err) {
    RunPlan plan;
    std::string problem = ReadScore(options, plan);
    if (problem.empty()) problem = PlanInvocations(options, plan);
    if (problem.empty()) problem = PlanOutputs(options, plan);
    if (!problem.empty()) {
        err << "mirel-standin run: " << problem << "\nNothing was written.\n";
        return kExitBadInput;
    }

    std::string error;
    auto module = LoadedModule::Load(options.modulePath, error);
    if (!module) {
        err << "mirel-standin run: " << error << "\n";
        return kExitFailure;
    }
    const Score& score = plan.score;
    out << "Score: " << options.scorePath << " (" << score.staves.size() << " staves, " << score.measures
        << " measures, host version " << FormatHostVersion(plan.hostVersion) << ")\n";
    out << "Selection: " << RegionText(plan.selection)
        << (options.select || score.selection ? "" : " (whole score)") << "\n";
    out << "Module: " << options.modulePath << "\n\n";

    RunResult result = RunPlanned(options, plan, *module, platforms, out);
    module.reset();
    if (options.repeat > 1) {
        out << "--- All " << options.repeat << " runs together, against the score file ---\n"
            << FormatChangeSummary(result.changes) << "\n";
    }
    return WriteOutputs(options, plan, result, out, err);
}

}  // namespace standin
