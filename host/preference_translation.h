#ifndef MIREL_HOST_PREFERENCE_TRANSLATION_H
#define MIREL_HOST_PREFERENCE_TRANSLATION_H

#include <cstdint>

// Preference records (tags beginning "pf") are not stored by the host as such: they are assembled from, and
// written back to, small 12-byte records under "ot" tags at the document-wide item number -2. The binding's
// FX_LoadEData and FX_SaveEData operations go through these two functions; every other tag passes through to
// the host unchanged, with the caller's key, buffer, size and version.
namespace host {

int32_t TranslatedLoadEData(uint32_t tag, void* key8, void* buffer, uint32_t* size, uint32_t version);
int32_t TranslatedSaveEData(uint32_t tag, void* key8, const void* buffer, uint32_t size, uint32_t version);

}  // namespace host

#endif
