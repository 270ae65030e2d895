#include "host/host_api.h"

#include "host/binding_cache.h"
#include "host/preference_translation.h"

// The host's functions are not imported when the module is loaded: each is found by name in the host's
// executable the first time it is needed. The module handle is looked up once for all functions; each
// function is looked up once on its own. Both results are kept also when nothing was found, so a host that
// lacks a function is never asked again and that function's operation returns 0 (or does nothing) for the
// rest of the process.
namespace host {

BindingCache gBindingCache;

namespace {

constexpr uint32_t kInterfaceVersion = MIREL_INTERFACE_VERSION;

// The executables the host may run as, in the order they are tried.
const char kHostExecutable[] = "FINALE.EXE";
const char kDemoExecutable[] = "FINDEMO.EXE";

// The names the host exports its functions under, indexed by HostFunction.
const char* const kFunctionNames[kHostFunctionCount] = {
#define MIREL_HOST_FUNCTION_NAME(name) #name,
    MIREL_HOST_FUNCTIONS(MIREL_HOST_FUNCTION_NAME)
#undef MIREL_HOST_FUNCTION_NAME
};

HMODULE HostModule() {
    BindingCache& cache = gBindingCache;
    if (!cache.moduleLookedUp) {
        cache.moduleLookedUp = true;
        cache.module = GetModuleHandleA(kHostExecutable);
        if (cache.module == nullptr) cache.module = GetModuleHandleA(kDemoExecutable);
    }
    return cache.module;
}

// Looks `function` up in the host's executable, once, and keeps what it found.
FARPROC LookUp(HostFunction function) {
    FunctionLookup& entry = gBindingCache.functions[function];
    entry.lookedUp = true;
    HMODULE module = HostModule();
    entry.address = module != nullptr ? GetProcAddress(module, kFunctionNames[function]) : nullptr;
    return entry.address;
}

// The entry point of `function` as the contract's type, or null when the host does not offer it. Every host
// call passes here; only the first of each function looks anything up.
template <typename Fn>
inline Fn Bind(HostFunction function) {
    const FunctionLookup& entry = gBindingCache.functions[function];
    const FARPROC address = entry.lookedUp ? entry.address : LookUp(function);
    if (address == nullptr) return nullptr;
    // Through the generic function pointer type: the address is the contract's function, called as such.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(address));
}

// Results that the host gives as 16-bit numbers or flags: only the low 16 bits count, sign-extended.
int32_t Low16(int32_t result) {
    return static_cast<int16_t>(static_cast<uint16_t>(result & 0xFFFF));
}

// The entry point of one of the host's functions, as its contract type.
#define MIREL_BIND(name) Bind<name##Fn>(k##name)

uint32_t gAcceptedWrites = 0;

// The result of a write call, counted when the host accepted it.
int32_t CountedWrite(int32_t result) {
    if (result != 0) ++gAcceptedWrites;
    return result;
}

// A dialog item's text through `function` (FX_GetDlgString or FX_GetDlgString_UTF16, of type Fn). The buffer is
// left terminated whatever the host does: empty when it writes nothing (or is absent), cut at the last unit
// when it writes no terminator.
template <typename Fn, typename Unit>
void GetTerminatedDlgString(HostFunction function, HWND window, int16_t item, Unit* buffer,
                            int32_t capacity) {
    if (buffer == nullptr || capacity <= 0) return;
    buffer[0] = 0;
    auto fn = Bind<Fn>(function);
    if (fn != nullptr) fn(window, item, buffer, capacity, kInterfaceVersion);
    buffer[capacity - 1] = 0;
}

}  // namespace

// ---- Record data calls ------------------------------------------------------------------------------------

int32_t RawLoadEData(uint32_t tag, void* key8, void* buffer, uint32_t* size, uint32_t version) {
    auto fn = MIREL_BIND(FX_LoadEData);
    return fn != nullptr ? Low16(fn(tag, key8, buffer, size, version)) : 0;
}

int32_t RawSaveEData(uint32_t tag, void* key8, const void* buffer, uint32_t size, uint32_t version) {
    auto fn = MIREL_BIND(FX_SaveEData);
    return fn != nullptr ? CountedWrite(Low16(fn(tag, key8, buffer, size, version))) : 0;
}

int32_t FX_LoadEData(uint32_t tag, void* key8, void* buffer, uint32_t* size, uint32_t version) {
    if (!LoadIsTranslated(tag)) return RawLoadEData(tag, key8, buffer, size, version);
    return TranslatedLoadEData(tag, key8, buffer, size, version);
}

int32_t FX_SaveEData(uint32_t tag, void* key8, const void* buffer, uint32_t size, uint32_t version) {
    if (!SaveIsTranslated(tag)) return RawSaveEData(tag, key8, buffer, size, version);
    return TranslatedSaveEData(tag, key8, buffer, size, version);
}

int32_t FX_CreateEData(uint32_t tag, void* key8, const void* buffer, uint32_t size, uint32_t version) {
    auto fn = MIREL_BIND(FX_CreateEData);
    return fn != nullptr ? CountedWrite(Low16(fn(tag, key8, buffer, size, version))) : 0;
}

int32_t FX_DeleteEData(uint32_t tag, void* key8, uint32_t version) {
    auto fn = MIREL_BIND(FX_DeleteEData);
    return fn != nullptr ? CountedWrite(Low16(fn(tag, key8, version))) : 0;
}

int32_t FX_NextEData(uint32_t tag, void* key8, uint32_t version) {
    auto fn = MIREL_BIND(FX_NextEData);
    return fn != nullptr ? Low16(fn(tag, key8, nullptr, nullptr, version)) : 0;
}

uint32_t AcceptedWrites() {
    return gAcceptedWrites;
}

// ---- Dialogs ----------------------------------------------------------------------------------------------

int32_t FX_Dialog(int16_t resourceID, FXDialogProc proc, HWND parent, void* user) {
    auto fn = MIREL_BIND(FX_Dialog);
    return fn != nullptr ? fn(resourceID, proc, parent, 1, user, kInterfaceVersion) : 0;
}

void FX_EndDialog(HWND window) {
    auto fn = MIREL_BIND(FX_EndDialog);
    if (fn != nullptr) fn(window, kInterfaceVersion);
}

int32_t FX_EnableDlgItem(HWND window, int16_t item, bool enable) {
    auto fn = MIREL_BIND(FX_EnableDlgItem);
    return fn != nullptr ? fn(window, item, enable ? 1 : 0, kInterfaceVersion) : 0;
}

int32_t FX_GetDlgItemVal(HWND window, int16_t item, int32_t kind) {
    auto fn = MIREL_BIND(FX_GetDlgItemVal);
    return fn != nullptr ? fn(window, item, kind, kInterfaceVersion) : 0;
}

int32_t FX_SetDlgItemVal(HWND window, int16_t item, int32_t kind, int32_t value) {
    auto fn = MIREL_BIND(FX_SetDlgItemVal);
    return fn != nullptr ? fn(window, item, kind, value, kInterfaceVersion) : 0;
}

void FX_GetDlgString(HWND window, int16_t item, char* buffer, int32_t capacity) {
    GetTerminatedDlgString<FX_GetDlgStringFn>(kFX_GetDlgString, window, item, buffer, capacity);
}

void FX_GetDlgString_UTF16(HWND window, int16_t item, char16_t* buffer, int32_t capacity) {
    GetTerminatedDlgString<FX_GetDlgString_UTF16Fn>(kFX_GetDlgString_UTF16, window, item, buffer, capacity);
}

int32_t FX_SetDlgString(HWND window, int16_t item, const char* text) {
    auto fn = MIREL_BIND(FX_SetDlgString);
    return fn != nullptr ? fn(window, item, text, kInterfaceVersion) : 0;
}

int32_t FX_SetDlgString_UTF16(HWND window, int16_t item, const char16_t* text) {
    auto fn = MIREL_BIND(FX_SetDlgString_UTF16);
    return fn != nullptr ? fn(window, item, text, kInterfaceVersion) : 0;
}

// ---- Windows, document, staves, fonts ---------------------------------------------------------------------

HWND FX_GetCurrentWindow() {
    auto fn = MIREL_BIND(FX_GetCurrentWindow);
    return fn != nullptr ? fn(kInterfaceVersion) : nullptr;
}

int32_t FX_GetCurrentWindowInfo(void* info524) {
    auto fn = MIREL_BIND(FX_GetCurrentWindowInfo);
    return fn != nullptr ? Low16(fn(info524, kInterfaceVersion)) : 0;
}

int32_t FX_GetCurrentEnigmaDocument() {
    auto fn = MIREL_BIND(FX_GetCurrentEnigmaDocument);
    return fn != nullptr ? Low16(fn(kInterfaceVersion)) : 0;
}

int32_t FX_SlotToInst(int16_t slot, int16_t staffListID) {
    auto fn = MIREL_BIND(FX_SlotToInst);
    return fn != nullptr ? Low16(fn(slot, staffListID, kInterfaceVersion)) : 0;
}

int32_t FX_InstToSlot(int16_t staff) {
    auto fn = MIREL_BIND(FX_InstToSlot);
    return fn != nullptr ? Low16(fn(staff, 0, kInterfaceVersion)) : 0;
}

int32_t FX_FontNumToName(uint16_t fontNumber, char* buffer256) {
    auto fn = MIREL_BIND(FX_FontNumToName);
    if (fn == nullptr) return 0;
    const int32_t named = Low16(fn(fontNumber, buffer256, kInterfaceVersion));
    // The name is read up to its terminator: a host that fills all 256 bytes must not lead the reader on.
    if (buffer256 != nullptr) buffer256[255] = 0;
    return named;
}

}  // namespace host
