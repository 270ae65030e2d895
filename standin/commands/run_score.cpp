// A run of the module's command on a score: the document built, the module told the host version and
// initialised, the command invoked on the selection as often as asked, each invocation's changes summarised.
#include <algorithm>
#include <chrono>

#include "standin/commands/run_command.h"
#include "standin/host/host.h"
#include "standin/score/document_builder.h"

namespace standin {

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

HWND RunPlatform::ParentWindow() {
    return MirelWindowFromValue(Host().MainWindow());
}

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
    const auto regionRecord = MakeRegionRecord({settings.selection});

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

}  // namespace standin
