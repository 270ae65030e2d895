#include "standin/commands/run_plan.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "standin/commands/command_error.h"
#include "standin/commands/command_text.h"

namespace standin {

namespace {

// A number of a --select part: one to five digits.
int SelectedNumber(const std::string& digits, const std::string& part, const std::string& what) {
    if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) {
        throw CommandError("expected a " + what + " number, a range such as 1-8, or *, found \"" + part +
                           "\"");
    }
    return std::stoi(digits);
}

// One part of SLOTS:MEASURES, of the `limit` slots or measures (`what`): first and last.
std::pair<int, int> ParseRange(const std::string& text, int limit, const std::string& what) {
    if (text == "*") return {1, limit};
    const std::size_t dash = text.find('-');
    const std::string a = text.substr(0, dash);
    const int first = SelectedNumber(a, text, what);
    const int last = dash == std::string::npos ? first : SelectedNumber(text.substr(dash + 1), text, what);
    for (int value : {first, last}) {
        if (value < 1 || value > limit) {
            throw CommandError(what + " " + std::to_string(value) + " is out of range (the score has " +
                               std::to_string(limit) + " " + what + "s)");
        }
    }
    if (first > last) throw CommandError("the " + what + " range " + text + " runs backwards");
    return {first, last};
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

// Reads the score file and takes the host version from the command line, when it gives one.
void ReadScore(const RunCommandOptions& options, RunPlan& plan) {
    plan.score = ReadCommandScore(options.scorePath);
    plan.hostVersion = plan.score.hostVersion;
    if (!options.hostVersion) return;
    plan.hostVersion = HostVersionOption(*options.hostVersion);
    plan.score.hostVersion = plan.hostVersion;
    plan.score.hostVersionText = *options.hostVersion;
    try {
        CheckForHostVersion(plan.score, plan.hostVersion);
    } catch (const ScoreError& e) {
        throw CommandError(options.scorePath + ": at " + e.Pointer() + ": " + e.what() + " (--host-version " +
                           *options.hostVersion + ")");
    }
}

// A --category the dialog does not list is refused.
void CheckCategory(const std::string& category, const DialogAnswers& answers, const Score& score) {
    const std::vector<ScoreCategory>& categories = score.categories;
    if (answers.categoryEntry) {
        if (*answers.categoryEntry >= 1 &&
            static_cast<std::size_t>(*answers.categoryEntry) <= categories.size())
            return;
        throw CommandError("there is no entry " + category + " (the dialog lists " +
                           std::to_string(categories.size()) + " categories)");
    }
    if (std::any_of(categories.begin(), categories.end(),
                    [&](const ScoreCategory& c) { return c.name == category; })) {
        return;
    }
    std::string names;
    for (const ScoreCategory& c : categories) names += (names.empty() ? "" : ", ") + Quote(c.name);
    throw CommandError("the score has no category named " + Quote(category) + " (it has " +
                       (names.empty() ? std::string("none") : names) + ")");
}

// The selection and the dialog's answers.
void PlanInvocations(const RunCommandOptions& options, RunPlan& plan) {
    plan.selection = plan.score.SelectionOrWholeScore();
    if (options.select) {
        plan.selection = ForOption("--select", [&] { return ParseSelection(*options.select, plan.score); });
    }
    if (options.category) {
        plan.answers.SetCategory(*options.category);
        ForOption("--category", [&] { CheckCategory(*options.category, plan.answers, plan.score); });
    }
    plan.answers.prefix = options.prefix;
    plan.answers.suffix = options.suffix;
    plan.answers.ending = options.cancel ? DialogEnding::Cancel : DialogEnding::Ok;
}

// An output at `path` (of `option`) is refused unless its folder exists.
void CheckOutputFolder(const char* option, const std::optional<std::string>& path) {
    if (!path) return;
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::path(*path).parent_path();
    if (folder.empty() || std::filesystem::is_directory(folder, ec)) return;
    throw CommandError(std::string(option) + " " + *path + ": the folder " + folder.string() +
                       " does not exist");
}

// The outputs: never the score file itself unless asked to, never both in one file, each in a folder that
// exists, so that a run never writes one output and fails on the other.
void PlanOutputs(const RunCommandOptions& options, RunPlan& plan) {
    plan.outPath = options.outPath;
    if (options.inPlace) {
        // Checked here, not by CLI11's "excludes", whose message would not say what to do instead.
        if (plan.outPath)
            throw CommandError("--in-place writes the result into the score file; leave out --out");
        plan.outPath = options.scorePath;
    } else if (plan.outPath && SamePath(*plan.outPath, options.scorePath)) {
        throw CommandError("--out " + *plan.outPath +
                           " is the score file itself; give --in-place to overwrite it");
    }
    const std::optional<std::string>& report = options.reportPath;
    if (report && SamePath(*report, options.scorePath))
        throw CommandError("--report " + *report + " is the score file itself");
    if (report && plan.outPath && SamePath(*report, *plan.outPath))
        throw CommandError("--report and the result score name the same file " + *plan.outPath);
    CheckOutputFolder("--out", plan.outPath);
    CheckOutputFolder("--report", report);
}

}  // namespace

ScoreSelection ParseSelection(const std::string& text, const Score& score) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || text.find(':', colon + 1) != std::string::npos) {
        throw CommandError("expected SLOTS:MEASURES such as 1-8:1-120, found \"" + text + "\"");
    }
    const auto [firstSlot, lastSlot] =
        ParseRange(text.substr(0, colon), static_cast<int>(score.staves.size()), "slot");
    const auto [firstMeasure, lastMeasure] = ParseRange(text.substr(colon + 1), score.measures, "measure");
    ScoreSelection selection;
    selection.startSlot = static_cast<int16_t>(firstSlot);
    selection.endSlot = static_cast<int16_t>(lastSlot);
    selection.startMeasure = static_cast<int16_t>(firstMeasure);
    selection.endMeasure = static_cast<int16_t>(lastMeasure);
    selection.startPosition = 0;
    selection.endPosition = kEndOfMeasure;
    return selection;
}

RunPlan PlanRun(const RunCommandOptions& options) {
    RunPlan plan;
    ReadScore(options, plan);
    PlanInvocations(options, plan);
    PlanOutputs(options, plan);
    return plan;
}

}  // namespace standin
