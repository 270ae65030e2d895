#ifndef MIREL_HOST_BINDING_CACHE_H
#define MIREL_HOST_BINDING_CACHE_H

#include "contract/mirel_contract.h"

// What the binding has found in the host's executable: the module handle and the address of each FX_
// function, each looked up at most once per process and kept also when nothing was found. The binding
// (host_api.cpp) reads and fills it; a program that plays several hosts in one process starts each afresh by
// putting a new value in its place.
namespace host {

// The host's functions, each once: the binding's table, its indices and the names the host exports them
// under (case as written) are all made from this list. Each name's type is the contract's <name>Fn.
// clang-format off
#define MIREL_HOST_FUNCTIONS(X) \
    X(FX_LoadEData) \
    X(FX_SaveEData) \
    X(FX_CreateEData) \
    X(FX_DeleteEData) \
    X(FX_NextEData) \
    X(FX_Dialog) \
    X(FX_EndDialog) \
    X(FX_EnableDlgItem) \
    X(FX_GetDlgItemVal) \
    X(FX_SetDlgItemVal) \
    X(FX_GetDlgString) \
    X(FX_GetDlgString_UTF16) \
    X(FX_SetDlgString) \
    X(FX_SetDlgString_UTF16) \
    X(FX_GetCurrentWindow) \
    X(FX_GetCurrentWindowInfo) \
    X(FX_GetCurrentEnigmaDocument) \
    X(FX_SlotToInst) \
    X(FX_InstToSlot) \
    X(FX_FontNumToName)
// clang-format on

enum HostFunction : int {
#define MIREL_HOST_FUNCTION_INDEX(name) k##name,
    MIREL_HOST_FUNCTIONS(MIREL_HOST_FUNCTION_INDEX)
#undef MIREL_HOST_FUNCTION_INDEX
        kHostFunctionCount
};

struct FunctionLookup {
    bool lookedUp = false;
    FARPROC address = nullptr;
};

struct BindingCache {
    bool moduleLookedUp = false;
    HMODULE module = nullptr;
    FunctionLookup functions[kHostFunctionCount];  // indexed by HostFunction
};

// The module's one cache, empty at load.
extern BindingCache gBindingCache;

}  // namespace host

#endif
