// `run`: the plan checked, the module loaded, the run told invocation by invocation, the outputs written.
#include "standin/commands/run_command.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "standin/commands/command_error.h"
#include "standin/commands/command_text.h"
#include "standin/commands/menu_command.h"
#include "standin/commands/run_plan.h"
#include "standin/report/report.h"

namespace standin {

namespace {

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

// Writes one output with `write` (what WriteFileAtomically takes) and tells it; a failure is told and fails
// the command, and the other output is still written.
template <typename Write>
int WriteOutput(const std::string& path, const char* what, const Write& write, std::ostream& out,
                std::ostream& err) {
    return CommandEdge("run", err, nullptr, [&] {
        std::string error;
        if (!WriteFileAtomically(path, write, error)) throw CommandError(error, kExitFailure);
        out << "Wrote " << what << " to " << path << "\n";
        return kExitOk;
    });
}

// Writes the result score and the report asked for.
int WriteOutputs(const RunCommandOptions& options, const RunPlan& plan, RunResult& result, std::ostream& out,
                 std::ostream& err) {
    int status = kExitOk;
    if (plan.outPath) {
        const auto writeScore = [&](std::ostream& file) { WriteScoreJson(file, result.after); };
        status = WriteOutput(*plan.outPath, "the result score", writeScore, out, err);
    }
    if (options.reportPath) {
        const std::string html = RenderReport(ReportOf(options, plan.selection, result));
        status = std::max(status, WriteOutput(*options.reportPath, "the report", html, out, err));
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

void WriteHeading(std::ostream& out, const RunCommandOptions& options, const RunPlan& plan,
                  const std::string& modulePath) {
    const Score& score = plan.score;
    out << "Score: " << options.scorePath << " (" << score.staves.size() << " staves, " << score.measures
        << " measures, host version " << FormatHostVersion(plan.hostVersion) << ")\n";
    out << "Selection: " << RegionText(plan.selection)
        << (options.select || score.selection ? "" : " (whole score)") << "\n";
    out << "Module: " << modulePath << "\n\n";
}

}  // namespace

int RunCommand(const RunCommandOptions& options, const RunPlatformFactory& platforms, std::ostream& out,
               std::ostream& err) {
    return CommandEdge("run", err, "Nothing was written.", [&] {
        const std::string modulePath =
            options.command ? ModuleOfCommand(*options.command, options.pluginsFolder, options.hostVersion)
                            : options.modulePath;
        const RunPlan plan = PlanRun(options);
        std::unique_ptr<LoadedModule> module = LoadCommandModule(modulePath);
        WriteHeading(out, options, plan, modulePath);
        RunResult result = RunPlanned(options, plan, *module, platforms, out);
        module.reset();
        if (options.repeat > 1) {
            out << "--- All " << options.repeat << " runs together, against the score file ---\n"
                << FormatChangeSummary(result.changes) << "\n";
        }
        return WriteOutputs(options, plan, result, out, err);
    });
}

}  // namespace standin
