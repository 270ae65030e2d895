// Loading a plug-in module on Windows, as the application does: LoadLibraryW, then the seven entry points by
// name with GetProcAddress.
#include "standin/host/module_loader.h"

#include <windows.h>

#include "standin/windows/wide_text.h"

namespace standin {

namespace {

std::string LastErrorText() {
    const DWORD code = GetLastError();
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = length > 0 ? windows::ToUtf8(std::wstring(text, length)) : std::string();
    if (text != nullptr) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
        message.pop_back();
    }
    return "error " + std::to_string(code) + (message.empty() ? "" : " (" + message + ")");
}

// A copy of the module under a fresh temporary name, so that the loader maps it as a module of its own.
std::wstring MakePrivateCopy(const std::wstring& path, std::string& error) {
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t name[MAX_PATH + 1] = {};
    if (GetTempPathW(MAX_PATH, folder) == 0 || GetTempFileNameW(folder, L"mic", 0, name) == 0) {
        error = "cannot create a temporary copy of " + windows::ToUtf8(path) + ": " + LastErrorText();
        return {};
    }
    if (!CopyFileW(path.c_str(), name, FALSE)) {
        error = "cannot copy " + windows::ToUtf8(path) + ": " + LastErrorText();
        DeleteFileW(name);
        return {};
    }
    return name;
}

}  // namespace

std::unique_ptr<LoadedModule> LoadedModule::Load(const std::string& path, std::string& error,
                                                 bool privateCopy) {
    std::unique_ptr<LoadedModule> module(new LoadedModule());
    module->path_ = path;
    std::wstring loadPath = windows::FromUtf8(path);
    if (privateCopy) {
        loadPath = MakePrivateCopy(loadPath, error);
        if (loadPath.empty()) return nullptr;
        module->copyPath_ = windows::ToUtf8(loadPath);
    }
    HMODULE handle = LoadLibraryW(loadPath.c_str());
    if (handle == nullptr) {
        error = "cannot load " + path + ": " + LastErrorText();
        return nullptr;
    }
    module->handle_ = handle;
    const auto find = [handle](const char* name) {
        return reinterpret_cast<void*>(GetProcAddress(handle, name));
    };
    return BindExports(module->exports_, find, error) ? std::move(module) : nullptr;
}

LoadedModule::~LoadedModule() {
    if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
    if (!copyPath_.empty()) DeleteFileW(windows::FromUtf8(copyPath_).c_str());
}

}  // namespace standin
