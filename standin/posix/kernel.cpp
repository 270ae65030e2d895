// The two kernel calls through which a module finds the application's functions, answered by the stand-in on
// POSIX. GetModuleHandleA knows the executable names in Host().ModuleNames(); GetProcAddress answers, for the
// handle it gave out, the stand-in's own FX_ functions by name, except those in Host().HiddenFunctions().
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <type_traits>

#include "platform/win32_subset.h"
#include "standin/host/call_record.h"
#include "standin/host/host.h"
#include "standin/host/host_functions.h"

using standin::Host;

namespace {

// Every executable name of the stand-in stands for the one application, so one handle serves them all.
char gApplicationImage;
HMODULE ApplicationHandle() {
    return reinterpret_cast<HMODULE>(&gApplicationImage);
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

struct Entry {
    const char* name;
    FARPROC address;
};

// Through the generic function pointer type, as the kernel hands out every address.
template <typename Fn>
FARPROC Address(Fn function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

// Each function is checked against the contract's type for it, so that a signature that drifts from the
// contract does not compile.
#define MIREL_ENTRY(name)                                                                         \
    static_assert(std::is_same_v<decltype(&name), name##Fn>, #name " differs from the contract"); \
    entries[count++] = Entry{#name, Address(&name)};

struct Table {
    Entry entries[20];
    std::size_t count = 0;
    Table() {
        MIREL_ENTRY(FX_LoadEData)
        MIREL_ENTRY(FX_SaveEData)
        MIREL_ENTRY(FX_CreateEData)
        MIREL_ENTRY(FX_DeleteEData)
        MIREL_ENTRY(FX_NextEData)
        MIREL_ENTRY(FX_Dialog)
        MIREL_ENTRY(FX_EndDialog)
        MIREL_ENTRY(FX_EnableDlgItem)
        MIREL_ENTRY(FX_GetDlgItemVal)
        MIREL_ENTRY(FX_SetDlgItemVal)
        MIREL_ENTRY(FX_GetDlgString)
        MIREL_ENTRY(FX_GetDlgString_UTF16)
        MIREL_ENTRY(FX_SetDlgString)
        MIREL_ENTRY(FX_SetDlgString_UTF16)
        MIREL_ENTRY(FX_GetCurrentWindow)
        MIREL_ENTRY(FX_GetCurrentWindowInfo)
        MIREL_ENTRY(FX_GetCurrentEnigmaDocument)
        MIREL_ENTRY(FX_SlotToInst)
        MIREL_ENTRY(FX_InstToSlot)
        MIREL_ENTRY(FX_FontNumToName)
    }
};

#undef MIREL_ENTRY

const Table& Functions() {
    static const Table table;
    return table;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) HMODULE GetModuleHandleA(const char* moduleName) {
    auto& host = Host();
    standin::CallRecord call("GetModuleHandleA", {}, moduleName != nullptr ? moduleName : "");
    HMODULE handle = nullptr;
    if (moduleName != nullptr) {
        const std::string wanted = Upper(moduleName);
        for (const std::string& name : host.ModuleNames()) {
            if (Upper(name) == wanted) handle = ApplicationHandle();
        }
    }
    call.Return(handle != nullptr ? 1 : 0);
    return handle;
}

__attribute__((visibility("default"))) FARPROC GetProcAddress(HMODULE module, const char* procName) {
    auto& host = Host();
    const std::string name = procName != nullptr ? procName : "";
    host.NoteProcAddressRequest(name);
    const bool known = module != nullptr && module == ApplicationHandle();
    standin::CallRecord call("GetProcAddress", {known ? 1 : 0}, name);
    FARPROC address = nullptr;
    if (known && procName != nullptr && !host.Hides(name)) {
        const Table& table = Functions();
        for (std::size_t i = 0; i < table.count; ++i) {
            if (std::strcmp(table.entries[i].name, procName) == 0) address = table.entries[i].address;
        }
    }
    call.Return(address != nullptr ? 1 : 0);
    return address;
}

}  // extern "C"
