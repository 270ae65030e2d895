// The twenty functions the stand-in application offers to a plug-in module, under the names the module asks
// GetProcAddress for, with the signatures of the contract's typedefs. The dialog functions live in
// dialog_functions.cpp; the document, window, staff and font functions in host_functions.cpp.
#ifndef MIREL_STANDIN_HOST_FUNCTIONS_H
#define MIREL_STANDIN_HOST_FUNCTIONS_H

#include <stdint.h>

#include "contract/mirel_contract.h"

#ifdef _WIN32
#define MIREL_STANDIN_EXPORT __declspec(dllexport)
#else
#define MIREL_STANDIN_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Record data. */
MIREL_STANDIN_EXPORT int32_t FX_CALL FX_LoadEData(uint32_t tag, void* key8, void* buffer, uint32_t* size,
                                                  uint32_t version);
MIREL_STANDIN_EXPORT int32_t FX_CALL FX_SaveEData(uint32_t tag, void* key8, const void* buffer, uint32_t size,
                                                  uint32_t version);
MIREL_STANDIN_EXPORT int32_t FX_CALL FX_CreateEData(uint32_t tag, void* key8, const void* buffer,
                                                    uint32_t size, uint32_t version);
MIREL_STANDIN_EXPORT int32_t FX_CALL FX_DeleteEData(uint32_t tag, void* key8, uint32_t version);
MIREL_STANDIN_EXPORT int32_t FX_CALL FX_NextEData(uint32_t tag, void* key8, void* reserved1, void* reserved2,
                                                  uint32_t version);

/* Dialogs (dialog_functions.cpp). */
MIREL_STANDIN_EXPORT int32_t FX_CALL FX_Dialog(int32_t resourceID, FXDialogProc proc, HWND parent,
                                               int32_t one, void* user, uint32_t version);
MIREL_STANDIN_EXPORT int32_t FX_CALL FX_EndDialog(HWND window, uint32_t version);
MIREL_STANDIN_EXPORT int32_t FX_CALL FX_EnableDlgItem(HWND window, int32_t item, int32_t enable,
                                                      uint32_t version);
MIREL_STANDIN_EXPORT int32_t FX_CALL FX_GetDlgItemVal(HWND window, int32_t item, int32_t kind,
                                                      uint32_t version);
MIREL_STANDIN_EXPORT int32_t FX_CALL FX_SetDlgItemVal(HWND window, int32_t item, int32_t kind, int32_t value,
                                                      uint32_t version);
MIREL_STANDIN_EXPORT int32_t FX_CALL FX_GetDlgString(HWND window, int32_t item, char* buffer,
                                                     int32_t capacity, uint32_t version);
MIREL_STANDIN_EXPORT int32_t FX_CALL FX_GetDlgString_UTF16(HWND window, int32_t item, char16_t* buffer,
                                                           int32_t capacity, uint32_t version);
MIREL_STANDIN_EXPORT int32_t FX_CALL FX_SetDlgString(HWND window, int32_t item, const char* text,
                                                     uint32_t version);
MIREL_STANDIN_EXPORT int32_t FX_CALL FX_SetDlgString_UTF16(HWND window, int32_t item, const char16_t* text,
                                                           uint32_t version);

/* Window, document, staves, fonts. */
MIREL_STANDIN_EXPORT HWND FX_CALL FX_GetCurrentWindow(uint32_t version);
MIREL_STANDIN_EXPORT int32_t FX_CALL FX_GetCurrentWindowInfo(void* info524, uint32_t version);
MIREL_STANDIN_EXPORT int32_t FX_CALL FX_GetCurrentEnigmaDocument(uint32_t version);
MIREL_STANDIN_EXPORT int32_t FX_CALL FX_SlotToInst(int32_t slot, int32_t staffListID, uint32_t version);
MIREL_STANDIN_EXPORT int32_t FX_CALL FX_InstToSlot(int32_t staff, int32_t zero, uint32_t version);
MIREL_STANDIN_EXPORT int32_t FX_CALL FX_FontNumToName(uint32_t fontNumber, char* buffer256, uint32_t version);

#ifdef __cplusplus
}
#endif

#endif
