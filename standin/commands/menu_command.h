// The `menu` command and `run --command` of the stand-in hosts: the Plug-ins menu built from a plug-ins
// folder, and a run of the module that offers a given menu command.
#ifndef MIREL_STANDIN_MENU_COMMAND_H
#define MIREL_STANDIN_MENU_COMMAND_H

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "standin/commands/plugin_folder.h"

namespace standin {

// The menu as text: one line per entry, a submenu as its name and " >" with its entries indented below it,
// each command followed by the module file that offers it; then the modules left out and why.
std::string FormatPluginMenu(const std::vector<MenuNode>& menu, const std::vector<PluginModule>& modules);

// `menu`: reads every module of `folder` for the host version (`hostVersion` as typed; default 0x12050000)
// and prints the menu. Exit status 2 when the folder does not exist or the host version is malformed; a
// module left out does not change the status.
int PluginMenuCommand(const std::string& folder, const std::optional<std::string>& hostVersion,
                      std::ostream& out, std::ostream& err);

// The module that `run --command TEXT` runs: the one of `folder` whose menu entry is TEXT (the first in menu
// order when several offer it), the menu read for `hostVersion` as typed (the default when it is not given
// or malformed: the run refuses that itself). Throws CommandError, with the menu's commands, when no module
// offers TEXT.
std::string ModuleOfCommand(const std::string& command, const std::string& folder,
                            const std::optional<std::string>& hostVersion);

}  // namespace standin

#endif
