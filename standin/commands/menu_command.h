// The `menu` command and `run --command` of the stand-in hosts: the Plug-ins menu built from a plug-ins
// folder, and a run of the module that offers a given menu command.
#ifndef MIREL_STANDIN_MENU_COMMAND_H
#define MIREL_STANDIN_MENU_COMMAND_H

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "standin/commands/plugin_folder.h"
#include "standin/commands/run_command.h"

namespace standin {

// The menu as text: one line per entry, a submenu as its name and " >" with its entries indented below it,
// each command followed by the module file that offers it; then the modules left out and why.
std::string FormatPluginMenu(const std::vector<MenuNode>& menu, const std::vector<PluginModule>& modules);

// `menu`: reads every module of `folder` for the host version (`hostVersion` as typed; default 0x12050000)
// and prints the menu. Exit status 2 when the folder does not exist or the host version is malformed; a
// module left out does not change the status.
int PluginMenuCommand(const std::string& folder, const std::optional<std::string>& hostVersion,
                      std::ostream& out, std::ostream& err);

// `run --command TEXT`: the module of `folder` whose menu entry is TEXT (the first in menu order when several
// offer it) is the one run, as by `run --module`. Exit status 2, with the menu's commands, when no module
// offers TEXT.
int RunPluginCommand(RunCommandOptions options, const std::string& command, const std::string& folder,
                     const RunPlatformFactory& platforms, std::ostream& out, std::ostream& err);

}  // namespace standin

#endif
