#include "standin/commands/menu_listing.h"

#include <cstring>
#include <sstream>
#include <vector>

#include "standin/score/document_builder.h"

namespace standin {

namespace {

std::string NarrowField(const unsigned char* field, std::size_t size) {
    std::size_t n = 0;
    while (n < size && field[n] != 0) ++n;
    return std::string(reinterpret_cast<const char*>(field), n);
}

// UTF-16 field as UTF-8, for printing.
std::string WideField(const unsigned char* field, std::size_t units) {
    std::u16string text;
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t unit = static_cast<char16_t>(field[2 * i] | (field[2 * i + 1] << 8));
        if (unit == 0) break;
        text += unit;
    }
    return Utf16ToUtf8(text);
}

uint32_t LE32(const unsigned char* at) {
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
           (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

}  // namespace

MenuCommand DecodeMenuRecord(const unsigned char* record) {
    return {NarrowField(record, 64), NarrowField(record + 64, 64), NarrowField(record + 128, 64),
            LE32(record + 192)};
}

MenuCommand DecodeMenuRecordUtf16(const unsigned char* record) {
    return {WideField(record, 128), WideField(record + 256, 128), WideField(record + 512, 128),
            LE32(record + 768)};
}

std::optional<MenuCommand> EnumerateMenuCommand(const ModuleExports& exports, bool utf16, int32_t index) {
    std::vector<unsigned char> record(utf16 ? MIREL_MENU_RECORD_UTF16_SIZE : MIREL_MENU_RECORD_SIZE);
    const bool listed = utf16 ? exports.enumerateUtf16(0, index, record.data()) != 0
                              : exports.enumerate(0, index, record.data()) != 0;
    if (!listed) return std::nullopt;
    return utf16 ? DecodeMenuRecordUtf16(record.data()) : DecodeMenuRecord(record.data());
}

std::string DescribeModuleMenu(const ModuleExports& exports, const std::string& path, uint32_t hostVersion) {
    std::ostringstream out;
    out << "Module: " << path << "\n";
    const uint32_t answered = exports.version(hostVersion);
    out << "FinaleExtensionVersion(0x" << std::hex << hostVersion << ") answered 0x" << answered << std::dec
        << "\n";
    uint32_t flags = 0;
    out << "FinaleExtensionInit answered " << exports.init(0, &flags) << ", flag word " << flags << "\n";

    for (const bool utf16 : {false, true}) {
        for (int32_t index = 0; const auto command = EnumerateMenuCommand(exports, utf16, index); ++index) {
            out << "Command " << index << (utf16 ? " (UTF-16): \"" : " (8-bit):  \"") << command->text
                << "\" - " << command->description << " [" << command->thirdText << "]\n";
            if (index > 100) break;
        }
    }
    out << "FinaleExtensionGetMenuStatus answered " << exports.getMenuStatus(0) << "\n";
    exports.terminate(0);
    out << "FinaleExtensionTerminate called\n";
    return out.str();
}

}  // namespace standin
