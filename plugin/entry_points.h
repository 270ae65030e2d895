#ifndef MIREL_PLUGIN_ENTRY_POINTS_H
#define MIREL_PLUGIN_ENTRY_POINTS_H

#include "contract/mirel_contract.h"

// The seven exports of the module (see contract/mirel_contract.h for what each does).
extern "C" {
uint32_t FX_CALL FinaleExtensionVersion(uint32_t hostVersion);
uint32_t FX_CALL FinaleExtensionInit(uint32_t ignored, uint32_t* flags);
uint32_t FX_CALL FinaleExtensionEnumerate(uint32_t ignored, int32_t index, void* menuRecord);
int16_t FX_CALL FinaleExtensionEnumerate_UTF16(uint32_t ignored, int32_t index, void* menuRecordUtf16);
uint32_t FX_CALL FinaleExtensionInvoke(HWND parent, uint32_t ignored, const void* region20,
                                       uint32_t ignored2);
uint32_t FX_CALL FinaleExtensionGetMenuStatus(uint32_t ignored);
void FX_CALL FinaleExtensionTerminate(uint32_t ignored);
}

#endif
