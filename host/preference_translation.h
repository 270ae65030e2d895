#ifndef MIREL_HOST_PREFERENCE_TRANSLATION_H
#define MIREL_HOST_PREFERENCE_TRANSLATION_H

#include <cstdint>

#include "host/preference_tables.h"

// Preference records (tags beginning "pf") are not stored by the host as such: they are assembled from, and
// written back to, small 12-byte records under "ot" tags at the document-wide item number -2. The binding's
// FX_LoadEData and FX_SaveEData operations go through these two functions; every other tag passes through to
// the host unchanged, with the caller's key, buffer, size and version.
namespace host {

// A 108-byte host record that the host may fill in part while reporting failure; its loads go through the
// translation too (see preference_translation.cpp).
constexpr uint32_t kPartlyFilledTag = 0x4F096649;

// True when the translation has anything to do with a load of `tag`; the binding hands every other load to
// the host directly (a large score makes over a million of them).
inline bool LoadIsTranslated(uint32_t tag) {
    return prefs::IsPreferenceTag(tag) || tag == kPartlyFilledTag;
}
// True when the translation has anything to do with a save of `tag`.
inline bool SaveIsTranslated(uint32_t tag) {
    return prefs::IsPreferenceTag(tag);
}

int32_t TranslatedLoadEData(uint32_t tag, void* key8, void* buffer, uint32_t* size, uint32_t version);
int32_t TranslatedSaveEData(uint32_t tag, void* key8, const void* buffer, uint32_t size, uint32_t version);

}  // namespace host

#endif
