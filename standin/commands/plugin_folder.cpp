#include "standin/commands/plugin_folder.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <tuple>

#include "contract/mirel_contract.h"
#include "standin/commands/command_error.h"
#include "standin/score/score_file.h"

namespace standin {

namespace fs = std::filesystem;

namespace {

// Enumeration stops here even if a broken module keeps answering 1.
constexpr int32_t kMaxCommandsPerModule = 100;
// From this host version on, texts (and so the menu texts the host reads) are UTF-16.
constexpr uint32_t kFirstUtf16HostVersion = 0x11000000;

std::string LowerAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Name order: ASCII case ignored, then the exact bytes so that the order is total.
bool NameLess(const std::string& a, const std::string& b) {
    return std::forward_as_tuple(LowerAscii(a), a) < std::forward_as_tuple(LowerAscii(b), b);
}

bool IsModuleFile(const fs::directory_entry& entry) {
    std::error_code ec;
    return entry.is_regular_file(ec) && LowerAscii(entry.path().extension().u8string()) == ".fxt";
}

std::vector<PluginCommand> EnumerateCommands(const ModuleExports& exports, uint32_t hostVersion) {
    std::vector<PluginCommand> commands;
    for (int32_t index = 0; index < kMaxCommandsPerModule; ++index) {
        const auto command = EnumerateMenuCommand(exports, hostVersion >= kFirstUtf16HostVersion, index);
        if (!command) break;
        PluginCommand entry;
        entry.command = *command;
        entry.index = index;
        entry.enabled = exports.getMenuStatus(static_cast<uint32_t>(index)) != 0;
        commands.push_back(entry);
    }
    return commands;
}

MenuNode& SubmenuOf(std::vector<MenuNode>& level, const std::string& name) {
    for (MenuNode& node : level) {
        if (node.module == nullptr && node.name == name) return node;
    }
    MenuNode submenu;
    submenu.name = name;
    level.push_back(submenu);
    return level.back();
}

void SortMenu(std::vector<MenuNode>& level) {
    std::stable_sort(level.begin(), level.end(),
                     [](const MenuNode& a, const MenuNode& b) { return NameLess(a.name, b.name); });
    for (MenuNode& node : level) SortMenu(node.children);
}

}  // namespace

std::vector<PluginModule> FindPluginModules(const fs::path& folder) {
    std::vector<PluginModule> modules;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        if (!IsModuleFile(*it)) continue;
        PluginModule module;
        module.path = it->path();
        const fs::path relative = it->path().lexically_relative(folder);
        module.relativePath = relative.generic_u8string();
        for (const fs::path& part : relative.parent_path()) module.folders.push_back(part.u8string());
        modules.push_back(module);
    }
    std::sort(modules.begin(), modules.end(), [](const PluginModule& a, const PluginModule& b) {
        return NameLess(a.relativePath, b.relativePath);
    });
    return modules;
}

void ReadPluginModule(PluginModule& module, uint32_t hostVersion) {
    std::unique_ptr<LoadedModule> loaded;
    try {
        loaded = LoadCommandModule(module.path.u8string());
    } catch (const CommandError& e) {
        module.skipReason = e.what();  // a module that does not load is left out of the menu
        return;
    }
    const ModuleExports& exports = loaded->Exports();
    if (exports.version(hostVersion) == 0) {
        module.skipReason = "it refuses host version " + FormatHostVersion(hostVersion) +
                            " (FinaleExtensionVersion answered 0)";
        return;
    }
    uint32_t flags = 0;
    if (exports.init(0, &flags) == 0) {
        module.skipReason = "FinaleExtensionInit answered 0";
        return;
    }
    module.commands = EnumerateCommands(exports, hostVersion);
    exports.terminate(0);
    if (module.commands.empty()) module.skipReason = "it offers no command";
}

std::vector<MenuNode> BuildPluginMenu(const std::vector<PluginModule>& modules) {
    std::vector<MenuNode> menu;
    for (const PluginModule& module : modules) {
        if (!module.skipReason.empty()) continue;
        std::vector<MenuNode>* level = &menu;
        for (const std::string& folder : module.folders) level = &SubmenuOf(*level, folder).children;
        for (const PluginCommand& command : module.commands) {
            MenuNode node;
            node.name = command.command.text;
            node.module = &module;
            node.command = &command;
            level->push_back(node);
        }
    }
    SortMenu(menu);
    return menu;
}

}  // namespace standin
