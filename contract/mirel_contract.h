/*
 * The binary contract between the Mirel Instrument Change module and its host.
 *
 * This is the only header that the module and the hosts (the real application, the stand-in host and the
 * tests) share. It declares:
 *   - the seven functions the module exports, which the host calls;
 *   - the twenty FX_ functions the host exports, which the module finds at run time by name
 *     (GetModuleHandleA("FINALE.EXE") or "FINDEMO.EXE", then GetProcAddress);
 *   - the fixed record sizes that cross the boundary.
 *
 * Calling convention: __stdcall on 32-bit Windows (the callee removes its arguments), the plain C convention
 * elsewhere. All multi-byte values inside records are little-endian. Text is 8-bit or UTF-16 (char16_t) as
 * each function says; UTF-16 buffers are zero-terminated.
 */
#ifndef MIREL_CONTRACT_H
#define MIREL_CONTRACT_H

#include <stdint.h>

#include "platform/win32_subset.h"

#ifndef __cplusplus
#include <uchar.h>
#endif

#if defined(_WIN32) && !defined(_WIN64)
#define FX_CALL __stdcall
#else
#define FX_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The version the module passes as the last argument of every host call that is not a record data call. */
#define MIREL_INTERFACE_VERSION 0x12050000u

/* The value FinaleExtensionVersion answers. */
#define MIREL_EXTENSION_VERSION 0x11000000u

/* Sizes of the records that cross the boundary, in bytes. */
#define MIREL_MENU_RECORD_SIZE 196       /* three 64-byte 8-bit texts, then a 32-bit value */
#define MIREL_MENU_RECORD_UTF16_SIZE 772 /* three 128-unit UTF-16 texts, then a 32-bit value */
#define MIREL_REGION_RECORD_SIZE 20      /* the selection passed to FinaleExtensionInvoke */
#define MIREL_RECORD_KEY_SIZE 8          /* the record key of every data call */
#define MIREL_WINDOW_INFO_SIZE 524       /* FX_GetCurrentWindowInfo; the window is the 32-bit value at 520 */
#define MIREL_WINDOW_INFO_HANDLE_OFFSET 520

/* Dialog text buffers that the module hands to FX_GetDlgString(_UTF16), in bytes or units. */
#define MIREL_DIALOG_TEXT_CAPACITY 5000

/*
 * These sizes are the 32-bit application's and stay the same in a 64-bit build: every record that crosses the
 * boundary is made of fixed-width fields, and a window travels in records as a 32-bit value (window handles
 * fit in 32 bits on 64-bit Windows too). A build whose types would change them does not compile.
 */
#ifdef __cplusplus
#define MIREL_CONTRACT_ASSERT(condition, why) static_assert(condition, why)
#else
#define MIREL_CONTRACT_ASSERT(condition, why) _Static_assert(condition, why)
#endif
MIREL_CONTRACT_ASSERT(MIREL_MENU_RECORD_SIZE == 3 * 64 + sizeof(uint32_t),
                      "menu record: 3 x 64 bytes + 32 bits");
MIREL_CONTRACT_ASSERT(MIREL_MENU_RECORD_UTF16_SIZE == 3 * 128 * sizeof(char16_t) + sizeof(uint32_t),
                      "UTF-16 menu record: 3 x 128 units + 32 bits");
MIREL_CONTRACT_ASSERT(MIREL_WINDOW_INFO_HANDLE_OFFSET + sizeof(uint32_t) == MIREL_WINDOW_INFO_SIZE,
                      "window-info record: the window is the last 32 bits");

/*
 * The dialog procedure the module hands to FX_Dialog. The host calls it for every message of the dialog,
 * starting with WM_INITDIALOG, passing back the user pointer given to FX_Dialog as the fifth argument.
 */
typedef intptr_t(FX_CALL* FXDialogProc)(HWND window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                                        void* user);

/* ---- Exports of the module ----------------------------------------------------------------------------- */

/* Stores the host's version number; answers MIREL_EXTENSION_VERSION. */
typedef uint32_t(FX_CALL* FinaleExtensionVersionFn)(uint32_t hostVersion);
/* Sets bit 0 of *flags (other bits kept) and the default settings; answers 1. */
typedef uint32_t(FX_CALL* FinaleExtensionInitFn)(uint32_t ignored, uint32_t* flags);
/* Fills a MIREL_MENU_RECORD_SIZE record for command `index` (low 16 bits, signed); 1 when filled. */
typedef uint32_t(FX_CALL* FinaleExtensionEnumerateFn)(uint32_t ignored, int32_t index, void* menuRecord);
/* Fills a MIREL_MENU_RECORD_UTF16_SIZE record for command 0; 1 when filled. */
typedef int16_t(FX_CALL* FinaleExtensionEnumerate_UTF16Fn)(uint32_t ignored, int32_t index,
                                                           void* menuRecordUtf16);
/* Runs the command on the region record (MIREL_REGION_RECORD_SIZE bytes, may be null); 1 when changed. */
typedef uint32_t(FX_CALL* FinaleExtensionInvokeFn)(HWND parent, uint32_t ignored, const void* region20,
                                                   uint32_t ignored2);
/* Answers 1: the command is always available. */
typedef uint32_t(FX_CALL* FinaleExtensionGetMenuStatusFn)(uint32_t ignored);
/* Does nothing. */
typedef void(FX_CALL* FinaleExtensionTerminateFn)(uint32_t ignored);

/* ---- Functions of the host, bound by name at run time -------------------------------------------------- */

/*
 * Record data calls. `key8` points to the 8-byte record key (itemNo, inci or itemNo, itemNo2, inci as signed
 * 16-bit values); the host may write it (create, next). `version` is the record class's version.
 * The caller owns every buffer; the host copies in or out and keeps no pointer.
 *
 * FX_LoadEData: *size is the capacity on entry and the record's size on return. A null buffer only reports
 * the size. Non-zero: loaded. FX_SaveEData: overwrites the record at the key with `size` bytes. Non-zero:
 * written. FX_CreateEData: creates a record; key (-1, -1) asks for a new item, (itemNo, -1) for a new
 * incident. The new key is written back. Non-zero: created. FX_DeleteEData: deletes the record at the key.
 * Non-zero: deleted. FX_NextEData: moves the key to the next existing record of the tag (a zero key finds the
 * first). Non-zero: moved; zero: no further record.
 */
typedef int32_t(FX_CALL* FX_LoadEDataFn)(uint32_t tag, void* key8, void* buffer, uint32_t* size,
                                         uint32_t version);
typedef int32_t(FX_CALL* FX_SaveEDataFn)(uint32_t tag, void* key8, const void* buffer, uint32_t size,
                                         uint32_t version);
typedef int32_t(FX_CALL* FX_CreateEDataFn)(uint32_t tag, void* key8, const void* buffer, uint32_t size,
                                           uint32_t version);
typedef int32_t(FX_CALL* FX_DeleteEDataFn)(uint32_t tag, void* key8, uint32_t version);
typedef int32_t(FX_CALL* FX_NextEDataFn)(uint32_t tag, void* key8, void* reserved1, void* reserved2,
                                         uint32_t version);

/*
 * Dialogs. FX_Dialog runs the dialog resource `resourceID` of the calling module modally, with `proc` and the
 * user pointer; it returns when the dialog has ended (the module calls FX_EndDialog). `one` is always 1.
 * Item values: kind 0 is a popup's selected entry counted from 1 (0 or less: none), kind 1 a check state,
 * kind 3 a numeric edit field.
 * FX_GetDlgString(_UTF16) fill the caller's buffer of `capacity` bytes (units) with the item text,
 * zero-terminated; FX_SetDlgString(_UTF16) set it from a zero-terminated text the caller keeps.
 */
typedef int32_t(FX_CALL* FX_DialogFn)(int32_t resourceID, FXDialogProc proc, HWND parent, int32_t one,
                                      void* user, uint32_t version);
typedef int32_t(FX_CALL* FX_EndDialogFn)(HWND window, uint32_t version);
typedef int32_t(FX_CALL* FX_EnableDlgItemFn)(HWND window, int32_t item, int32_t enable, uint32_t version);
typedef int32_t(FX_CALL* FX_GetDlgItemValFn)(HWND window, int32_t item, int32_t kind, uint32_t version);
typedef int32_t(FX_CALL* FX_SetDlgItemValFn)(HWND window, int32_t item, int32_t kind, int32_t value,
                                             uint32_t version);
typedef int32_t(FX_CALL* FX_GetDlgStringFn)(HWND window, int32_t item, char* buffer, int32_t capacity,
                                            uint32_t version);
typedef int32_t(FX_CALL* FX_GetDlgString_UTF16Fn)(HWND window, int32_t item, char16_t* buffer,
                                                  int32_t capacity, uint32_t version);
typedef int32_t(FX_CALL* FX_SetDlgStringFn)(HWND window, int32_t item, const char* text, uint32_t version);
typedef int32_t(FX_CALL* FX_SetDlgString_UTF16Fn)(HWND window, int32_t item, const char16_t* text,
                                                  uint32_t version);

/* The host's current window; FX_GetCurrentWindowInfo fills a MIREL_WINDOW_INFO_SIZE record (non-zero:
 * filled). */
typedef HWND(FX_CALL* FX_GetCurrentWindowFn)(uint32_t version);
typedef int32_t(FX_CALL* FX_GetCurrentWindowInfoFn)(void* info524, uint32_t version);

/* The 16-bit identifier of the current document. */
typedef int32_t(FX_CALL* FX_GetCurrentEnigmaDocumentFn)(uint32_t version);

/* Staff numbers and slots: slot 0 means none; FX_InstToSlot is given 0 as its second argument. */
typedef int32_t(FX_CALL* FX_SlotToInstFn)(int32_t slot, int32_t staffListID, uint32_t version);
typedef int32_t(FX_CALL* FX_InstToSlotFn)(int32_t staff, int32_t zero, uint32_t version);

/* Writes the font's name, 8-bit and zero-terminated, into a 256-byte buffer. Non-zero: named. */
typedef int32_t(FX_CALL* FX_FontNumToNameFn)(uint32_t fontNumber, char* buffer256, uint32_t version);

#ifdef __cplusplus
}
#endif

#endif /* MIREL_CONTRACT_H */
