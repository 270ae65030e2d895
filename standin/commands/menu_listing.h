#ifndef MIREL_STANDIN_MENU_LISTING_H
#define MIREL_STANDIN_MENU_LISTING_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "standin/host/module_loader.h"

namespace standin {

// One command as the module enumerates it.
struct MenuCommand {
    std::string text;
    std::string description;
    std::string thirdText;
    uint32_t trailingValue = 0;
};

// Decodes the 8-bit and the UTF-16 menu record (as filled by the module) into a command.
MenuCommand DecodeMenuRecord(const unsigned char* record196);
MenuCommand DecodeMenuRecordUtf16(const unsigned char* record772);

// Command `index` as the module's enumerate entry point for 8-bit or, with `utf16`, UTF-16 menu records gives
// it; none when the module has no such command.
std::optional<MenuCommand> EnumerateMenuCommand(const ModuleExports& exports, bool utf16, int32_t index);

// Runs the start-up sequence the application runs (Version, Init, both enumerations until they answer 0,
// GetMenuStatus, Terminate) and describes what the module offers, one line per fact.
std::string DescribeModuleMenu(const ModuleExports& exports, const std::string& path,
                               uint32_t hostVersion = 0x12050000u);

}  // namespace standin

#endif
