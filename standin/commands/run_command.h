// The `run` command of the stand-in host: a score file is built into a document, the module's
// command is run on it as the application runs it, and what the user saw and what changed are told.
//
// Nothing here depends on the platform. What does (the windows, who answers the dialog and how a message box
// is seen) sits behind RunPlatform: the headless window model of the POSIX program (MakeModelPlatform) or the
// real windows of FINALE.EXE on Windows.
#ifndef MIREL_STANDIN_RUN_COMMAND_H
#define MIREL_STANDIN_RUN_COMMAND_H

#include <array>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32_subset.h"
#include "standin/commands/exit_status.h"
#include "standin/dialog/dialog_user.h"
#include "standin/host/call_stats.h"
#include "standin/host/module_loader.h"
#include "standin/report/change_summary.h"
#include "standin/score/score_file.h"

namespace standin {

// ---- What the user saw ----

// The category dialog at one moment.
struct DialogView {
    std::string caption;
    std::vector<std::string> entries;  // the category list
    int selectedEntry = 0;             // counted from 1; 0: none
    std::string prefix;
    std::string suffix;
};

enum class DialogOutcome {
    Ok,        // the OK button
    Cancel,    // the Cancel button
    CloseBox,  // the close box
    Ended,     // the module ended it without a button
    GivenUp,   // the module did not end it; the host gave it up
};

struct DialogSighting {
    DialogView opened;   // as it first showed
    DialogView closing;  // as it was when it ended
    DialogOutcome outcome = DialogOutcome::GivenUp;
    std::vector<std::string> notes;  // what the user wanted and could not do
};

struct MessageSighting {
    std::string caption;
    std::string text;
};

// One call of the invoke entry point.
struct Invocation {
    int run = 0;  // from 1
    uint32_t result = 0;
    std::vector<DialogSighting> dialogs;
    std::vector<MessageSighting> messageBoxes;
    ChangeSummary changes;  // against the score before this invocation
    HostCallStats stats;    // with RunSettings::stats: the host calls the module made, where the time went
};

// ---- The platform's part of a run ----

class RunPlatform {
  public:
    virtual ~RunPlatform() = default;
    // The host has been reset and the document built: set up the windows and whoever answers the dialog.
    virtual void Prepare() {}
    // The window handed to the invoke entry point as its parent.
    virtual HWND ParentWindow();
    // Before and after invocation `run` (from 1); AfterInvoke tells what the user saw.
    virtual void BeforeInvoke(int run) = 0;
    virtual void AfterInvoke(int run, std::vector<DialogSighting>& dialogs,
                             std::vector<MessageSighting>& messageBoxes) = 0;
};

// The headless window model: the dialog answered by `answers` each time, or, with `interactive`, by a person
// at the terminal (`in`, `out`).
std::unique_ptr<RunPlatform> MakeModelPlatform(const DialogAnswers& answers, bool interactive,
                                               std::istream& in, std::ostream& out);

// ---- A run ----

struct RunSettings {
    uint32_t hostVersion = kDefaultHostVersion;
    ScoreSelection selection;
    int repeat = 1;
    bool stats = false;  // keep each invocation's HostCallStats
    // Called after each invocation, while the next has not begun, with the score the document holds then
    // (the run keeps only the latest such score, not one per invocation). Before the last invocation, the
    // score's text expressions are only those its expressions show.
    std::function<void(const Invocation&, const Score& after)> onInvocation;
};

struct RunResult {
    Score before;  // the document as built, read back
    std::vector<Invocation> invocations;
    Score after;            // the document after the last invocation, in the score file's order
    ChangeSummary changes;  // all invocations together
};

// Resets the host, builds the score, tells the module the host version and initialises it, then invokes the
// command `repeat` times on the selection, the module staying loaded in between. The score must have been
// checked for the host version.
RunResult RunScore(const ModuleExports& exports, const Score& score, const RunSettings& settings,
                   RunPlatform& platform);

// One invocation as text: the dialog as it opened and how it ended, the message box, the entry point's answer
// and what changed.
std::string FormatInvocation(const Invocation& invocation, int repeat);
// How the dialog of a run was answered, for its report: the last dialog's ending.
std::string DescribeAnswers(const RunResult& result);

// The selection of a --select option: SLOTS:MEASURES, each a number, a range "A-B" or "*" for all
// ("1-8:1-120", "3:*"). Whole measures: from position 0 of the first to the end of the last. Throws
// CommandError when the text is malformed or outside the score.
ScoreSelection ParseSelection(const std::string& text, const Score& score);

// ---- The commands ----

struct RunCommandOptions {
    std::string scorePath;
    std::optional<std::string> select;
    std::optional<std::string> hostVersion;
    std::optional<std::string> category;
    std::optional<std::string> prefix;
    std::optional<std::string> suffix;
    bool cancel = false;
    bool interactive = false;
    int repeat = 1;
    std::optional<std::string> outPath;
    std::optional<std::string> reportPath;
    bool inPlace = false;
    bool stats = false;  // print the host calls and the time split of each invocation
    std::string modulePath;
    std::optional<std::string> command;  // run the module of `pluginsFolder` that offers this menu command
    std::string pluginsFolder;
};

using RunPlatformFactory =
    std::function<std::unique_ptr<RunPlatform>(const DialogAnswers& answers, bool interactive)>;

// `run`: checks the score file and the options, loads the module (with `command`, the one of the plug-ins
// folder that offers it), runs, prints, writes the outputs asked for (each atomically; the score file itself
// only with --in-place).
int RunCommand(const RunCommandOptions& options, const RunPlatformFactory& platforms, std::ostream& out,
               std::ostream& err);

}  // namespace standin

#endif
