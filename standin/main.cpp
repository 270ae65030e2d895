// mirel-standin: plays the host application for the Mirel Instrument Change module.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>

#include "standin/menu_listing.h"
#include "standin/module_loader.h"
#include "standin/program_paths.h"

int main(int argc, char** argv) {
    CLI::App app{"mirel-standin: loads the Mirel Instrument Change module as the host application would"};
    app.require_subcommand(1);

    std::string modulePath = standin::DefaultModulePath(argv[0]);
    CLI::App* info = app.add_subcommand("info", "Load the module, list the command it offers, unload it");
    info->add_option("--module", modulePath, "The plug-in module to load")->capture_default_str();

    CLI11_PARSE(app, argc, argv);

    if (info->parsed()) {
        std::string error;
        auto module = standin::LoadedModule::Load(modulePath, error);
        if (!module) {
            std::fprintf(stderr, "mirel-standin: %s\n", error.c_str());
            return 1;
        }
        std::fputs(standin::DescribeModuleMenu(module->Exports(), modulePath).c_str(), stdout);
    }
    return 0;
}
