#include "host/host_api.h"

#include "host/preference_translation.h"

// The host's functions are not imported when the module is loaded: each is found by name in the host's
// executable the first time it is needed. The module handle is looked up once for all functions; each
// function is looked up once on its own. Both results are kept also when nothing was found, so a host that
// lacks a function is never asked again and that function's operation returns 0 (or does nothing) for the
// rest of the process.
namespace host {
namespace {

constexpr uint32_t kInterfaceVersion = MIREL_INTERFACE_VERSION;

// The executables the host may run as, in the order they are tried.
const char kHostExecutable[] = "FINALE.EXE";
const char kDemoExecutable[] = "FINDEMO.EXE";

enum Function : int {
    kLoadEData,
    kSaveEData,
    kCreateEData,
    kDeleteEData,
    kNextEData,
    kDialog,
    kEndDialog,
    kEnableDlgItem,
    kGetDlgItemVal,
    kSetDlgItemVal,
    kGetDlgString,
    kGetDlgStringUtf16,
    kSetDlgString,
    kSetDlgStringUtf16,
    kGetCurrentWindow,
    kGetCurrentWindowInfo,
    kGetCurrentEnigmaDocument,
    kSlotToInst,
    kInstToSlot,
    kFontNumToName,
    kFunctionCount
};

struct Entry {
    const char* name;
    bool lookedUp;
    FARPROC address;
};

// Indexed by Function; the names are the host's exports, case as written.
Entry gEntries[kFunctionCount] = {
    {"FX_LoadEData", false, nullptr},
    {"FX_SaveEData", false, nullptr},
    {"FX_CreateEData", false, nullptr},
    {"FX_DeleteEData", false, nullptr},
    {"FX_NextEData", false, nullptr},
    {"FX_Dialog", false, nullptr},
    {"FX_EndDialog", false, nullptr},
    {"FX_EnableDlgItem", false, nullptr},
    {"FX_GetDlgItemVal", false, nullptr},
    {"FX_SetDlgItemVal", false, nullptr},
    {"FX_GetDlgString", false, nullptr},
    {"FX_GetDlgString_UTF16", false, nullptr},
    {"FX_SetDlgString", false, nullptr},
    {"FX_SetDlgString_UTF16", false, nullptr},
    {"FX_GetCurrentWindow", false, nullptr},
    {"FX_GetCurrentWindowInfo", false, nullptr},
    {"FX_GetCurrentEnigmaDocument", false, nullptr},
    {"FX_SlotToInst", false, nullptr},
    {"FX_InstToSlot", false, nullptr},
    {"FX_FontNumToName", false, nullptr},
};

bool gModuleLookedUp = false;
HMODULE gHostModule = nullptr;

HMODULE HostModule() {
    if (!gModuleLookedUp) {
        gModuleLookedUp = true;
        gHostModule = GetModuleHandleA(kHostExecutable);
        if (gHostModule == nullptr) gHostModule = GetModuleHandleA(kDemoExecutable);
    }
    return gHostModule;
}

// The entry point of `function` as the contract's type, or null when the host does not offer it.
template <typename Fn>
Fn Bind(Function function) {
    Entry& entry = gEntries[function];
    if (!entry.lookedUp) {
        entry.lookedUp = true;
        HMODULE module = HostModule();
        entry.address = module != nullptr ? GetProcAddress(module, entry.name) : nullptr;
    }
    if (entry.address == nullptr) return nullptr;
    // Through the generic function pointer type: the address is the contract's function, called as such.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(entry.address));
}

// Results that the host gives as 16-bit numbers or flags: only the low 16 bits count, sign-extended.
int32_t Low16(int32_t result) {
    return static_cast<int16_t>(static_cast<uint16_t>(result & 0xFFFF));
}

uint32_t gAcceptedWrites = 0;

// The result of a write call, counted when the host accepted it.
int32_t CountedWrite(int32_t result) {
    if (result != 0) ++gAcceptedWrites;
    return result;
}

}  // namespace

// ---- Record data calls
// ----------------------------------------------------------------------------------------

int32_t RawLoadEData(uint32_t tag, void* key8, void* buffer, uint32_t* size, uint32_t version) {
    auto fn = Bind<FX_LoadEDataFn>(kLoadEData);
    return fn != nullptr ? Low16(fn(tag, key8, buffer, size, version)) : 0;
}

int32_t RawSaveEData(uint32_t tag, void* key8, const void* buffer, uint32_t size, uint32_t version) {
    auto fn = Bind<FX_SaveEDataFn>(kSaveEData);
    return fn != nullptr ? CountedWrite(Low16(fn(tag, key8, buffer, size, version))) : 0;
}

int32_t FX_LoadEData(uint32_t tag, void* key8, void* buffer, uint32_t* size, uint32_t version) {
    return TranslatedLoadEData(tag, key8, buffer, size, version);
}

int32_t FX_SaveEData(uint32_t tag, void* key8, const void* buffer, uint32_t size, uint32_t version) {
    return TranslatedSaveEData(tag, key8, buffer, size, version);
}

int32_t FX_CreateEData(uint32_t tag, void* key8, const void* buffer, uint32_t size, uint32_t version) {
    auto fn = Bind<FX_CreateEDataFn>(kCreateEData);
    return fn != nullptr ? CountedWrite(Low16(fn(tag, key8, buffer, size, version))) : 0;
}

int32_t FX_DeleteEData(uint32_t tag, void* key8, uint32_t version) {
    auto fn = Bind<FX_DeleteEDataFn>(kDeleteEData);
    return fn != nullptr ? CountedWrite(Low16(fn(tag, key8, version))) : 0;
}

int32_t FX_NextEData(uint32_t tag, void* key8, uint32_t version) {
    auto fn = Bind<FX_NextEDataFn>(kNextEData);
    return fn != nullptr ? Low16(fn(tag, key8, nullptr, nullptr, version)) : 0;
}

uint32_t AcceptedWrites() {
    return gAcceptedWrites;
}

// ---- Dialogs
// --------------------------------------------------------------------------------------------------

int32_t FX_Dialog(int16_t resourceID, FXDialogProc proc, HWND parent, void* user) {
    auto fn = Bind<FX_DialogFn>(kDialog);
    return fn != nullptr ? fn(resourceID, proc, parent, 1, user, kInterfaceVersion) : 0;
}

void FX_EndDialog(HWND window) {
    auto fn = Bind<FX_EndDialogFn>(kEndDialog);
    if (fn != nullptr) fn(window, kInterfaceVersion);
}

int32_t FX_EnableDlgItem(HWND window, int16_t item, bool enable) {
    auto fn = Bind<FX_EnableDlgItemFn>(kEnableDlgItem);
    return fn != nullptr ? fn(window, item, enable ? 1 : 0, kInterfaceVersion) : 0;
}

int32_t FX_GetDlgItemVal(HWND window, int16_t item, int32_t kind) {
    auto fn = Bind<FX_GetDlgItemValFn>(kGetDlgItemVal);
    return fn != nullptr ? fn(window, item, kind, kInterfaceVersion) : 0;
}

int32_t FX_SetDlgItemVal(HWND window, int16_t item, int32_t kind, int32_t value) {
    auto fn = Bind<FX_SetDlgItemValFn>(kSetDlgItemVal);
    return fn != nullptr ? fn(window, item, kind, value, kInterfaceVersion) : 0;
}

// The text operations leave the buffer terminated whatever the host does: empty when it writes nothing (or
// is absent), cut at the last unit when it writes no terminator.
void FX_GetDlgString(HWND window, int16_t item, char* buffer, int32_t capacity) {
    if (buffer == nullptr || capacity <= 0) return;
    buffer[0] = 0;
    auto fn = Bind<FX_GetDlgStringFn>(kGetDlgString);
    if (fn != nullptr) fn(window, item, buffer, capacity, kInterfaceVersion);
    buffer[capacity - 1] = 0;
}

void FX_GetDlgString_UTF16(HWND window, int16_t item, char16_t* buffer, int32_t capacity) {
    if (buffer == nullptr || capacity <= 0) return;
    buffer[0] = 0;
    auto fn = Bind<FX_GetDlgString_UTF16Fn>(kGetDlgStringUtf16);
    if (fn != nullptr) fn(window, item, buffer, capacity, kInterfaceVersion);
    buffer[capacity - 1] = 0;
}

int32_t FX_SetDlgString(HWND window, int16_t item, const char* text) {
    auto fn = Bind<FX_SetDlgStringFn>(kSetDlgString);
    return fn != nullptr ? fn(window, item, text, kInterfaceVersion) : 0;
}

int32_t FX_SetDlgString_UTF16(HWND window, int16_t item, const char16_t* text) {
    auto fn = Bind<FX_SetDlgString_UTF16Fn>(kSetDlgStringUtf16);
    return fn != nullptr ? fn(window, item, text, kInterfaceVersion) : 0;
}

// ---- Windows, document, staves, fonts
// -------------------------------------------------------------------------

HWND FX_GetCurrentWindow() {
    auto fn = Bind<FX_GetCurrentWindowFn>(kGetCurrentWindow);
    return fn != nullptr ? fn(kInterfaceVersion) : nullptr;
}

int32_t FX_GetCurrentWindowInfo(void* info524) {
    auto fn = Bind<FX_GetCurrentWindowInfoFn>(kGetCurrentWindowInfo);
    return fn != nullptr ? Low16(fn(info524, kInterfaceVersion)) : 0;
}

int32_t FX_GetCurrentEnigmaDocument() {
    auto fn = Bind<FX_GetCurrentEnigmaDocumentFn>(kGetCurrentEnigmaDocument);
    return fn != nullptr ? Low16(fn(kInterfaceVersion)) : 0;
}

int32_t FX_SlotToInst(int16_t slot, int16_t staffListID) {
    auto fn = Bind<FX_SlotToInstFn>(kSlotToInst);
    return fn != nullptr ? Low16(fn(slot, staffListID, kInterfaceVersion)) : 0;
}

int32_t FX_InstToSlot(int16_t staff) {
    auto fn = Bind<FX_InstToSlotFn>(kInstToSlot);
    return fn != nullptr ? Low16(fn(staff, 0, kInterfaceVersion)) : 0;
}

int32_t FX_FontNumToName(uint16_t fontNumber, char* buffer256) {
    auto fn = Bind<FX_FontNumToNameFn>(kFontNumToName);
    if (fn == nullptr) return 0;
    const int32_t named = Low16(fn(fontNumber, buffer256, kInterfaceVersion));
    // The name is read up to its terminator: a host that fills all 256 bytes must not lead the reader on.
    if (buffer256 != nullptr) buffer256[255] = 0;
    return named;
}

// ---- Tests
// ----------------------------------------------------------------------------------------------------

void ResetBindingForTesting() {
    gModuleLookedUp = false;
    gHostModule = nullptr;
    for (Entry& entry : gEntries) {
        entry.lookedUp = false;
        entry.address = nullptr;
    }
}

}  // namespace host
