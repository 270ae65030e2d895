// mirel-standin: plays the host application for the Mirel Instrument Change module.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <iostream>
#include <string>

#include "standin/commands/menu_listing.h"
#include "standin/commands/run_cli.h"
#include "standin/commands/run_command.h"
#include "standin/commands/show_command.h"
#include "standin/host/module_loader.h"
#include "standin/posix/program_paths.h"

int main(int argc, char** argv) {
    CLI::App app{"mirel-standin: loads the Mirel Instrument Change module as the host application would"};
    app.require_subcommand(1);

    std::string modulePath = standin::DefaultModulePath(argv[0]);
    CLI::App* info = app.add_subcommand("info", "Load the module, list the command it offers, unload it");
    info->add_option("--module", modulePath, "The plug-in module to load")->capture_default_str();

    const std::string pluginsFolder = standin::DefaultPluginsFolder(argv[0]);
    standin::RunCommandLine runLine(pluginsFolder);
    CLI::App* run = runLine.Add(app, modulePath);
    std::string showPath;
    CLI::App* show = standin::AddShowCommand(app, showPath);
    standin::MenuCommandLine menuLine(pluginsFolder);
    CLI::App* menu = menuLine.Add(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Help answers 0; a command line that cannot be parsed is bad input.
        return app.exit(e) == 0 ? 0 : standin::kExitBadInput;
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
    if (run->parsed()) {
        const auto platforms = [](const standin::DialogAnswers& answers, bool interactive) {
            return standin::MakeModelPlatform(answers, interactive, std::cin, std::cout);
        };
        return runLine.Run(platforms, std::cout, std::cerr);
    }
    if (menu->parsed()) return menuLine.Run(std::cout, std::cerr);
    return 0;
}
