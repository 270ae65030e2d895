#include "standin/commands/menu_command.h"

#include <filesystem>
#include <ostream>
#include <sstream>

#include "standin/commands/command_error.h"
#include "standin/score/score_file.h"

namespace standin {

namespace fs = std::filesystem;

namespace {

void WriteMenuLevel(std::ostream& out, const std::vector<MenuNode>& level, int depth) {
    const std::string indent(2 * static_cast<std::size_t>(depth + 1), ' ');
    for (const MenuNode& node : level) {
        if (node.module == nullptr) {
            out << indent << node.name << " >\n";
            WriteMenuLevel(out, node.children, depth + 1);
            continue;
        }
        out << indent << node.name << "  [" << node.module->relativePath
            << (node.command->enabled ? "" : ", disabled") << "]\n";
    }
}

// The first command named `text` in menu order (depth first, as the menu reads from the top).
const MenuNode* FindCommand(const std::vector<MenuNode>& level, const std::string& text) {
    for (const MenuNode& node : level) {
        if (node.module != nullptr && node.name == text) return &node;
        if (node.module == nullptr) {
            if (const MenuNode* found = FindCommand(node.children, text)) return found;
        }
    }
    return nullptr;
}

void CollectCommandNames(const std::vector<MenuNode>& level, std::string& names) {
    for (const MenuNode& node : level) {
        if (node.module == nullptr) {
            CollectCommandNames(node.children, names);
        } else {
            names += (names.empty() ? "\"" : ", \"") + node.name + "\"";
        }
    }
}

bool IsFolder(const std::string& folder) {
    std::error_code ec;
    return fs::is_directory(fs::u8path(folder), ec);
}

std::vector<PluginModule> ReadPluginFolder(const std::string& folder, uint32_t hostVersion) {
    std::vector<PluginModule> modules = FindPluginModules(fs::u8path(folder));
    for (PluginModule& module : modules) ReadPluginModule(module, hostVersion);
    return modules;
}

}  // namespace

std::string FormatPluginMenu(const std::vector<MenuNode>& menu, const std::vector<PluginModule>& modules) {
    std::ostringstream out;
    out << "Plug-ins menu:\n";
    if (menu.empty()) out << "  (empty)\n";
    WriteMenuLevel(out, menu, 0);
    for (const PluginModule& module : modules) {
        if (!module.skipReason.empty()) {
            out << "Left out " << module.relativePath << ": " << module.skipReason << "\n";
        }
    }
    return out.str();
}

int PluginMenuCommand(const std::string& folder, const std::optional<std::string>& hostVersionText,
                      std::ostream& out, std::ostream& err) {
    return CommandEdge("menu", err, nullptr, [&] {
        const uint32_t hostVersion =
            hostVersionText ? HostVersionOption(*hostVersionText) : kDefaultHostVersion;
        if (!IsFolder(folder)) throw CommandError("the plug-ins folder " + folder + " does not exist");
        const std::vector<PluginModule> modules = ReadPluginFolder(folder, hostVersion);
        out << "Plug-ins folder: " << folder << " (host version " << FormatHostVersion(hostVersion) << ")\n"
            << FormatPluginMenu(BuildPluginMenu(modules), modules);
        return kExitOk;
    });
}

std::string ModuleOfCommand(const std::string& command, const std::string& folder,
                            const std::optional<std::string>& hostVersionText) {
    if (!IsFolder(folder)) throw CommandError("--plugins: the plug-ins folder " + folder + " does not exist");
    uint32_t hostVersion = kDefaultHostVersion;
    if (hostVersionText) ParseHostVersion(*hostVersionText, hostVersion);
    const std::vector<PluginModule> modules = ReadPluginFolder(folder, hostVersion);
    const std::vector<MenuNode> menu = BuildPluginMenu(modules);
    const MenuNode* entry = FindCommand(menu, command);
    if (entry == nullptr) {
        std::string names;
        CollectCommandNames(menu, names);
        throw CommandError("--command: the Plug-ins menu of " + folder + " has no command \"" + command +
                           "\" (it has " + (names.empty() ? std::string("none") : names) + ")");
    }
    return entry->module->path.u8string();
}

}  // namespace standin
