// mirel-standin: plays the host application for the Mirel Instrument Change module.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <string>

#include "standin/menu_listing.h"
#include "standin/module_loader.h"
#include "standin/program_paths.h"
#include "standin/run_command.h"

namespace {

constexpr const char* kRunDescription =
    "Run the module's command on a score file, as the application runs it: build the document, load the module, "
    "answer its dialog, invoke the command, print what the user saw and what changed, write the outputs asked "
    "for. Exit status 2 (and nothing written) when the score file or an option is wrong.";

constexpr const char* kSelectHelp =
    "The selection to run on, SLOTS:MEASURES. Each part is a number, a range A-B (inclusive) or * for all; "
    "slots count the staves from the top of the score, from 1. Examples: 1-8:1-120, 3:*, *:40-60. Whole "
    "measures are selected. Default: the score file's selection, or the whole score";

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"mirel-standin: loads the Mirel Instrument Change module as the host application would"};
    app.require_subcommand(1);

    std::string modulePath = standin::DefaultModulePath(argv[0]);
    CLI::App* info = app.add_subcommand("info", "Load the module, list the command it offers, unload it");
    info->add_option("--module", modulePath, "The plug-in module to load")->capture_default_str();

    standin::RunCommandOptions run;
    run.modulePath = modulePath;
    std::string select, hostVersion, category, prefix, suffix, outPath, reportPath;
    CLI::App* runApp = app.add_subcommand("run", kRunDescription);
    runApp->add_option("SCORE", run.scorePath, "The score file (JSON)")->required();
    CLI::Option* selectOption = runApp->add_option("--select", select, kSelectHelp);
    CLI::Option* hostVersionOption = runApp->add_option(
        "--host-version", hostVersion,
        "The application version the host reports and builds the records for, e.g. 0x11000000. Default: the "
        "score file's hostVersion (0x12050000 when it has none)");
    CLI::Option* categoryOption = runApp->add_option(
        "--category", category, "The expression category to pick in the dialog: its name, or its entry number from 1");
    CLI::Option* prefixOption =
        runApp->add_option("--prefix", prefix, "The prefix to type into the dialog (may be empty: --prefix \"\")");
    CLI::Option* suffixOption = runApp->add_option("--suffix", suffix, "The suffix to type into the dialog");
    runApp->add_flag("--cancel", run.cancel, "Cancel the dialog instead of pressing OK");
    runApp->add_flag("--interactive", run.interactive,
                     "Show the dialog in the terminal and read the answers from the keyboard");
    runApp->add_option("--repeat", run.repeat,
                       "Invoke the command N times with the module staying loaded (its settings carry over)")
        ->check(CLI::Range(1, 1000))
        ->capture_default_str();
    CLI::Option* outOption = runApp->add_option("--out", outPath, "Write the resulting score to this JSON file");
    CLI::Option* reportOption =
        runApp->add_option("--report", reportPath, "Write an HTML report with a picture of the score to this file");
    runApp->add_flag("--in-place", run.inPlace, "Write the resulting score back into SCORE");
    runApp->add_option("--module", run.modulePath, "The plug-in module to load")->capture_default_str();

    std::string showPath;
    CLI::App* show = app.add_subcommand(
        "show", "Show a score file as a table: staves, instrument changes, multi-staff instruments, expressions");
    show->add_option("SCORE", showPath, "The score file (JSON)")->required();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int status = app.exit(e);
        return status == 0 ? 0 : standin::kExitBadInput;
    }

    if (info->parsed()) {
        std::string error;
        auto module = standin::LoadedModule::Load(modulePath, error);
        if (!module) {
            std::fprintf(stderr, "mirel-standin: %s\n", error.c_str());
            return 1;
        }
        std::fputs(standin::DescribeModuleMenu(module->Exports(), modulePath).c_str(), stdout);
        return 0;
    }
    if (show->parsed()) return standin::ShowCommand(showPath, std::cout, std::cerr);

    if (selectOption->count() > 0) run.select = select;
    if (hostVersionOption->count() > 0) run.hostVersion = hostVersion;
    if (categoryOption->count() > 0) run.category = category;
    if (prefixOption->count() > 0) run.prefix = prefix;
    if (suffixOption->count() > 0) run.suffix = suffix;
    if (outOption->count() > 0) run.outPath = outPath;
    if (reportOption->count() > 0) run.reportPath = reportPath;
    const auto platforms = [](const standin::DialogAnswers& answers, bool interactive) {
        return standin::MakeModelPlatform(answers, interactive, std::cin, std::cout);
    };
    return standin::RunCommand(run, platforms, std::cout, std::cerr);
}
