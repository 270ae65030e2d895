#include "standin/commands/run_command.h"

#include <algorithm>
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
    return MirelWindowFromValue(Host().mainWindow);
}

std::unique_ptr<RunPlatform> MakeModelPlatform(const DialogAnswers& answers, bool interactive,
                                               std::istream& in, std::ostream& out) {
    return std::make_unique<ModelPlatform>(answers, interactive, in, out);
}

// ---- A run ------------------------------------------------------------------------------------------------

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

    RegionSpec region;
    region.startSlot = settings.selection.startSlot;
    region.endSlot = settings.selection.endSlot;
    region.startMeasure = settings.selection.startMeasure;
    region.endMeasure = settings.selection.endMeasure;
    region.startPosition = settings.selection.startPosition;
    region.endPosition = settings.selection.endPosition;
    const auto regionRecord = MakeRegionRecord(region);

    // Only the latest reading of the document is kept: each invocation is compared with the one before it,
    // and what it reports (dialogs, message boxes, changes) is all that stays of it.
    std::optional<Score> latest;
    bool terminated = false;
    result.invocations.reserve(static_cast<std::size_t>(std::max(settings.repeat, 0)));
    for (int run = 1; run <= settings.repeat; ++run) {
        Invocation invocation;
        invocation.run = run;
        platform.BeforeInvoke(run);
        Host().stats.Restart(settings.stats);
        const auto started = std::chrono::steady_clock::now();
        invocation.result = exports.invoke(platform.ParentWindow(), 0, regionRecord.data(), 0);
        const auto ended = std::chrono::steady_clock::now();
        if (settings.stats) {
            invocation.stats = Host().stats.Stats();
            invocation.stats.invocation = ended - started;
            Host().stats.Restart(false);
        }
        platform.AfterInvoke(run, invocation.dialogs, invocation.messageBoxes);
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

// Why the file at `path` could not be written, or empty: its folder must exist.
std::string OutputFolderProblem(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty() || std::filesystem::is_directory(folder, ec)) return {};
    return "the folder " + folder.string() + " does not exist";
}

}  // namespace

int RunCommand(const RunCommandOptions& options, const RunPlatformFactory& platforms, std::ostream& out,
               std::ostream& err) {
    const auto badInput = [&](const std::string& message) {
        err << "mirel-standin run: " << message << "\nNothing was written.\n";
        return kExitBadInput;
    };

    Score score;
    try {
        score = ReadScoreFile(options.scorePath);
    } catch (const ScoreFileError& e) {
        return badInput(e.what());
    }

    uint32_t hostVersion = score.hostVersion;
    if (options.hostVersion) {
        if (!ParseHostVersion(*options.hostVersion, hostVersion)) {
            return badInput("--host-version: malformed host version \"" + *options.hostVersion +
                            "\": expected \"0x\" and one to eight hexadecimal digits, as in 0x12050000");
        }
        score.hostVersion = hostVersion;
        score.hostVersionText = *options.hostVersion;
        try {
            CheckForHostVersion(score, hostVersion);
        } catch (const ScoreError& e) {
            return badInput(options.scorePath + ": at " + e.Pointer() + ": " + e.what() +
                            " (--host-version " + *options.hostVersion + ")");
        }
    }

    ScoreSelection selection = score.SelectionOrWholeScore();
    if (options.select) {
        std::string error;
        if (!ParseSelection(*options.select, score, selection, error)) return badInput("--select: " + error);
    }

    if (options.repeat < 1) return badInput("--repeat must be 1 or more");
    DialogAnswers answers;
    if (options.interactive && (options.category || options.prefix || options.suffix || options.cancel)) {
        return badInput(
            "--interactive asks the dialog's questions at the terminal; it cannot be combined with "
            "--category, --prefix, --suffix or --cancel");
    }
    if (options.category) {
        answers.SetCategory(*options.category);
        if (answers.categoryEntry) {
            if (*answers.categoryEntry < 1 ||
                static_cast<std::size_t>(*answers.categoryEntry) > score.categories.size()) {
                return badInput("--category: there is no entry " + *options.category + " (the dialog lists " +
                                std::to_string(score.categories.size()) + " categories)");
            }
        } else if (std::none_of(score.categories.begin(), score.categories.end(),
                                [&](const ScoreCategory& c) { return c.name == *options.category; })) {
            std::string names;
            for (const ScoreCategory& c : score.categories)
                names += (names.empty() ? "" : ", ") + Quote(c.name);
            return badInput("--category: the score has no category named " + Quote(*options.category) +
                            " (it has " + (names.empty() ? std::string("none") : names) + ")");
        }
    }
    answers.prefix = options.prefix;
    answers.suffix = options.suffix;
    answers.ending = options.cancel ? DialogEnding::Cancel : DialogEnding::Ok;

    // Outputs: never the score file itself unless asked to.
    std::optional<std::string> outPath = options.outPath;
    if (options.inPlace) {
        if (outPath) return badInput("--in-place writes the result into the score file; leave out --out");
        outPath = options.scorePath;
    } else if (outPath && SamePath(*outPath, options.scorePath)) {
        return badInput("--out " + *outPath + " is the score file itself; give --in-place to overwrite it");
    }
    if (options.reportPath && SamePath(*options.reportPath, options.scorePath)) {
        return badInput("--report " + *options.reportPath + " is the score file itself");
    }
    if (options.reportPath && outPath && SamePath(*options.reportPath, *outPath)) {
        return badInput("--report and the result score name the same file " + *outPath);
    }
    // An output that cannot be written is found before the run, so that a run never writes one output and
    // fails on the other.
    for (const auto& [option, path] :
         {std::pair{"--out", outPath}, std::pair{"--report", options.reportPath}}) {
        if (!path) continue;
        const std::string problem = OutputFolderProblem(*path);
        if (!problem.empty()) return badInput(std::string(option) + " " + *path + ": " + problem);
    }

    std::string error;
    auto module = LoadedModule::Load(options.modulePath, error);
    if (!module) {
        err << "mirel-standin run: " << error << "\n";
        return kExitFailure;
    }

    out << "Score: " << options.scorePath << " (" << score.staves.size() << " staves, " << score.measures
        << " measures, host version " << FormatHostVersion(hostVersion) << ")\n";
    out << "Selection: " << RegionText(selection)
        << (options.select || score.selection ? "" : " (whole score)") << "\n";
    out << "Module: " << options.modulePath << "\n\n";

    RunSettings settings;
    settings.hostVersion = hostVersion;
    settings.selection = selection;
    settings.repeat = options.repeat;
    settings.stats = options.stats;
    settings.onInvocation = [&](const Invocation& invocation, const Score&) {
        out << FormatInvocation(invocation, options.repeat);
        if (options.stats) {
            out << FormatCallStats(invocation.stats, invocation.changes.added + invocation.changes.rewritten);
        }
        out << "\n" << std::flush;
    };
    std::unique_ptr<RunPlatform> platform = platforms(answers, options.interactive);
    RunResult result = RunScore(module->Exports(), score, settings, *platform);
    module.reset();

    if (options.repeat > 1) {
        out << "--- All " << options.repeat << " runs together, against the score file ---\n"
            << FormatChangeSummary(result.changes) << "\n";
    }

    int status = kExitOk;
    if (outPath) {
        const auto writeScore = [&](std::ostream& file) { WriteScoreJson(file, result.after); };
        if (WriteFileAtomically(*outPath, writeScore, error)) {
            out << "Wrote the result score to " << *outPath << "\n";
        } else {
            err << "mirel-standin run: " << error << "\n";
            status = kExitFailure;
        }
    }
    if (options.reportPath) {
        ReportInput report;
        report.title = std::filesystem::u8path(options.scorePath).filename().u8string();
        report.subtitle = "Selection: " + RegionText(selection) + "; " + DescribeAnswers(result) +
                          (options.repeat > 1 ? "; " + std::to_string(options.repeat) + " runs" : "");
        // The run's scores are not needed after the report: moved, not copied.
        report.before = std::move(result.before);
        report.after = std::move(result.after);
        report.changes = std::move(result.changes);
        report.selection = selection;
        if (WriteFileAtomically(*options.reportPath, RenderReport(report), error)) {
            out << "Wrote the report to " << *options.reportPath << "\n";
        } else {
            err << "mirel-standin run: " << error << "\n";
            status = kExitFailure;
        }
    }
    return status;
}

}  // namespace standin
