// The command line of `run`, `show` and `menu`, shared by the stand-in programs (mirel-standin on POSIX,
// FINALE.EXE on Windows) so that both take the same options with the same help. Header-only: only the
// programs use CLI11.
#ifndef MIREL_STANDIN_RUN_CLI_H
#define MIREL_STANDIN_RUN_CLI_H

#include <CLI/CLI.hpp>

#include <optional>
#include <ostream>
#include <string>
#include <utility>

#include "standin/commands/menu_command.h"
#include "standin/commands/run_command.h"

namespace standin {

// The options of `run`, bound to the command line: CLI11 checks every rule it can express (the range of
// --repeat, the options --interactive and --command exclude), the run checks the rest against the score file.
class RunCommandLine {
  public:
    // `defaultPlugins`: the plug-ins folder `--command` looks in when --plugins is not given.
    explicit RunCommandLine(std::string defaultPlugins) {
        options_.pluginsFolder = std::move(defaultPlugins);
    }

    // Adds the `run` subcommand to `app`; `defaultModule` is the module loaded when --module is not given,
    // `interactiveHelp` says who answers the dialog with --interactive on this platform.
    CLI::App* Add(CLI::App& app, const std::string& defaultModule,
                  const char* interactiveHelp =
                      "Show the dialog in the terminal and read the answers from the "
                      "keyboard") {
        options_.modulePath = defaultModule;
        CLI::App* run = app.add_subcommand("run",
                                           "Run the module's command on a score file, as the application "
                                           "runs it: build the document, load the "
                                           "module, answer its dialog, invoke the command, print what the "
                                           "user saw and what changed, write the "
                                           "outputs asked for. Exit status 2 (and nothing written) when the "
                                           "score file or an option is wrong.");
        run->add_option("SCORE", options_.scorePath, "The score file (JSON)")->required();
        run->add_option(
            "--select", options_.select,
            "The selection to run on, SLOTS:MEASURES. Each part is a number, a range A-B (inclusive) or * "
            "for "
            "all; slots count the staves from the top of the score, from 1. Examples: 1-8:1-120, 3:*, "
            "*:40-60. "
            "Whole measures are selected. Default: the score file's selection, or the whole score");
        run->add_option("--host-version", options_.hostVersion,
                        "The application version the host reports and builds the records for, "
                        "e.g. 0x11000000. Default: the score file's hostVersion (0x12050000 when "
                        "it has none)");
        AddDialogOptions(*run, interactiveHelp);
        run->add_option("--repeat", options_.repeat,
                        "Invoke the command N times with the module staying loaded (its settings carry over)")
            ->check(CLI::Range(1, 1000))
            ->capture_default_str();
        AddOutputOptions(*run);
        AddModuleOptions(*run);
        return run;
    }

    // Runs as parsed: the module given by --module, or the one offering the --command entry.
    int Run(const RunPlatformFactory& platforms, std::ostream& out, std::ostream& err) const {
        return RunCommand(options_, platforms, out, err);
    }

  private:
    // Who answers the dialog, and how.
    void AddDialogOptions(CLI::App& run, const char* interactiveHelp) {
        CLI::Option* category = run.add_option("--category", options_.category,
                                               "The expression category to pick in the dialog: its name, or "
                                               "its entry number from 1");
        CLI::Option* prefix = run.add_option(
            "--prefix", options_.prefix, "The prefix to type into the dialog (may be empty: --prefix \"\")");
        CLI::Option* suffix =
            run.add_option("--suffix", options_.suffix, "The suffix to type into the dialog");
        CLI::Option* cancel =
            run.add_flag("--cancel", options_.cancel, "Cancel the dialog instead of pressing OK");
        // The person at the terminal answers every question of the dialog: none is answered beforehand.
        run.add_flag("--interactive", options_.interactive, interactiveHelp)
            ->excludes(category)
            ->excludes(prefix)
            ->excludes(suffix)
            ->excludes(cancel);
    }

    void AddOutputOptions(CLI::App& run) {
        run.add_option("--out", options_.outPath, "Write the resulting score to this JSON file");
        run.add_option("--report", options_.reportPath,
                       "Write an HTML report with a picture of the score to this file");
        run.add_flag("--in-place", options_.inPlace, "Write the resulting score back into SCORE");
        run.add_flag("--stats", options_.stats,
                     "After each invocation, count the host calls the module made (by function, loads "
                     "also by tag), the calls per mark placed (marks added or rewritten), the loads that "
                     "fetched a record again with nothing written in between, and split the "
                     "invocation's wall time into time inside host functions and time in the module "
                     "between them (the two clock reads that time each call included)");
    }

    // Which module runs: --module, or the one of the plug-ins folder that offers --command.
    void AddModuleOptions(CLI::App& run) {
        CLI::Option* module = run.add_option("--module", options_.modulePath, "The plug-in module to load")
                                  ->capture_default_str();
        run.add_option("--command", options_.command,
                       "Run the module whose Plug-ins menu entry is this text (e.g. \"Mirel "
                       "Instrument Change...\"), found in the plug-ins folder, instead of --module")
            ->excludes(module);
        run.add_option("--plugins", options_.pluginsFolder, "The plug-ins folder --command looks in")
            ->capture_default_str();
    }

    RunCommandOptions options_;
};

// Adds the `show` subcommand; `path` receives the score file.
inline CLI::App* AddShowCommand(CLI::App& app, std::string& path) {
    CLI::App* show = app.add_subcommand(
        "show",
        "Show a score file as a table: staves, instrument changes, multi-staff instruments, expressions");
    show->add_option("SCORE", path, "The score file (JSON)")->required();
    return show;
}

// The options of `menu`.
class MenuCommandLine {
  public:
    explicit MenuCommandLine(std::string defaultPlugins) : folder_(std::move(defaultPlugins)) {}

    CLI::App* Add(CLI::App& app) {
        CLI::App* menu = app.add_subcommand(
            "menu",
            "Load every .fxt module of the plug-ins folder and its subfolders as the application does at "
            "start-up and print the Plug-ins menu: one entry per command a module offers, subfolders as "
            "submenus, in name order; modules that do not load or refuse the host are listed as left out");
        menu->add_option("--plugins", folder_, "The plug-ins folder")->capture_default_str();
        menu->add_option("--host-version", hostVersion_,
                         "The application version the host reports (default 0x12050000)");
        return menu;
    }

    int Run(std::ostream& out, std::ostream& err) const {
        return PluginMenuCommand(folder_, hostVersion_, out, err);
    }

  private:
    std::string folder_;
    std::optional<std::string> hostVersion_;
};

}  // namespace standin

#endif
