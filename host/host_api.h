#ifndef MIREL_HOST_HOST_API_H
#define MIREL_HOST_HOST_API_H

#include <cstdint>

#include "contract/mirel_contract.h"

// The module's one way to the host: an operation per FX_ function, under the function's name.
//
// Each operation finds its function on first use (GetModuleHandleA("FINALE.EXE"), else "FINDEMO.EXE", then
// GetProcAddress under the exact name), keeps what it found, also when nothing was found, and never looks
// again. An absent function makes its operation return 0 (or do nothing). Every call that is not a record
// data call appends the interface version 0x12050000; the data calls take the record version from their
// caller. Results of the data calls, the slot and font functions, the document and the window-info call count
// as their low 16 bits, sign-extended.
namespace host {

int32_t FX_LoadEData(uint32_t tag, void* key8, void* buffer, uint32_t* size, uint32_t version);
int32_t FX_SaveEData(uint32_t tag, void* key8, const void* buffer, uint32_t size, uint32_t version);
int32_t FX_CreateEData(uint32_t tag, void* key8, const void* buffer, uint32_t size, uint32_t version);
int32_t FX_DeleteEData(uint32_t tag, void* key8, uint32_t version);
int32_t FX_NextEData(uint32_t tag, void* key8, uint32_t version);

int32_t FX_Dialog(int16_t resourceID, FXDialogProc proc, HWND parent, void* user);
void FX_EndDialog(HWND window);
int32_t FX_EnableDlgItem(HWND window, int16_t item, bool enable);
int32_t FX_GetDlgItemVal(HWND window, int16_t item, int32_t kind);
int32_t FX_SetDlgItemVal(HWND window, int16_t item, int32_t kind, int32_t value);
void FX_GetDlgString(HWND window, int16_t item, char* buffer, int32_t capacity);
void FX_GetDlgString_UTF16(HWND window, int16_t item, char16_t* buffer, int32_t capacity);
int32_t FX_SetDlgString(HWND window, int16_t item, const char* text);
int32_t FX_SetDlgString_UTF16(HWND window, int16_t item, const char16_t* text);
HWND FX_GetCurrentWindow();
int32_t FX_GetCurrentWindowInfo(void* info524);
int32_t FX_GetCurrentEnigmaDocument();
int32_t FX_SlotToInst(int16_t slot, int16_t staffListID);
int32_t FX_InstToSlot(int16_t staff);
int32_t FX_FontNumToName(uint16_t fontNumber, char* buffer256);

// The host's own FX_LoadEData and FX_SaveEData, without the preference-record translation in front of them.
// The translation layer reaches the host through these.
int32_t RawLoadEData(uint32_t tag, void* key8, void* buffer, uint32_t* size, uint32_t version);
int32_t RawSaveEData(uint32_t tag, void* key8, const void* buffer, uint32_t size, uint32_t version);

// How many record writes (saves, creates, deletes) the host has accepted since the module was loaded. An
// invocation compares it before and after to know whether it changed the document, also when it was stopped
// part way.
uint32_t AcceptedWrites();

}  // namespace host

#endif
