// The plug-ins folder as the application reads it at start-up: every .fxt file in the folder and its
// subfolders is loaded through its seven entry points, asked for the commands it offers, and unloaded again.
// The commands make the Plug-ins menu, each subfolder a submenu. A module that does not load, or that refuses
// the host, is reported and left out; the others still make the menu.
#ifndef MIREL_STANDIN_PLUGIN_FOLDER_H
#define MIREL_STANDIN_PLUGIN_FOLDER_H

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "standin/commands/menu_listing.h"

namespace standin {

// One command of a module, as the menu shows it.
struct PluginCommand {
    MenuCommand command;
    int index = 0;        // the index the module enumerated it under
    bool enabled = true;  // what FinaleExtensionGetMenuStatus answered
};

// One .fxt file of the folder.
struct PluginModule {
    std::filesystem::path path;        // as found (folder + relative path)
    std::vector<std::string> folders;  // the subfolders it lies in, outermost first
    std::string relativePath;          // from the plug-ins folder, '/'-separated on every platform
    std::vector<PluginCommand> commands;
    std::string skipReason;  // empty: loaded and listed
};

// The .fxt files of `folder` and its subfolders (the extension in any case), ordered by relative path.
std::vector<PluginModule> FindPluginModules(const std::filesystem::path& folder);

// Loads `module`, tells it `hostVersion`, initialises it and enumerates its commands (the UTF-16 enumeration
// from host version 0x11000000 on, the 8-bit one below, as texts are), then terminates and unloads it. Sets
// `skipReason` when it does not load, refuses the host (FinaleExtensionVersion answers 0), fails to
// initialise or offers no command.
void ReadPluginModule(PluginModule& module, uint32_t hostVersion);

// A menu entry: a command, or a submenu made from a subfolder.
struct MenuNode {
    std::string name;
    const PluginModule* module = nullptr;  // null: a submenu
    const PluginCommand* command = nullptr;
    std::vector<MenuNode> children;  // of a submenu, in name order
};

// The Plug-ins menu made from the modules that loaded: commands and submenus of each level in name order
// (ignoring ASCII case, as Windows compares file names), subfolders without a command left out.
std::vector<MenuNode> BuildPluginMenu(const std::vector<PluginModule>& modules);

}  // namespace standin

#endif
