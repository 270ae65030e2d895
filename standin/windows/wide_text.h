#ifndef MIREL_STANDIN_WINDOWS_WIDE_TEXT_H
#define MIREL_STANDIN_WINDOWS_WIDE_TEXT_H

#include <windows.h>

#include <string>

// The stand-in keeps its texts in UTF-8; Windows wants UTF-16. Conversions at that edge.
namespace standin::windows {

inline std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return {};
    const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), units);
    return out;
}

inline std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), bytes, nullptr,
                        nullptr);
    return out;
}

}  // namespace standin::windows

#endif
