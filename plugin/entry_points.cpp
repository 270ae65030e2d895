// The seven functions the host calls. No C++ exception may cross this boundary: the host is not prepared for
// one and would go down with it, so every entry point catches at the edge and answers 0 (or does nothing);
// the invoke entry point answers 1 when the stopped run had already changed the document.
#include <algorithm>
#include <cstring>

#include "host/host_api.h"
#include "host/host_version.h"
#include "plugin/entry_points.h"
#include "plugin/invocation.h"
#include "plugin/module_state.h"
#include "support/bytes.h"
#include "support/utf16le.h"

#if defined(_WIN32)
#define MIREL_EXPORT  // exported by name through plugin/mirelinstrumentchange.def
#else
#define MIREL_EXPORT __attribute__((visibility("default")))
#endif

namespace {

const char kMenuText[] = "Mirel Instrument Change...";
const char kMenuDescription[] = "Creates expressions at each instrument change in the region.";
const char kMenuThirdText[] = "Instrument Change";

constexpr std::size_t kNarrowField = 64;
constexpr std::size_t kWideFieldUnits = 128;
constexpr std::size_t kWideCopiedUnits = 63;

template <typename Result, typename Body>
Result Guarded(Result onFailure, Body body) noexcept {
    try {
        return body();
    } catch (...) {
        return onFailure;
    }
}

// A bounded copy of at most 64 bytes that fills the rest of the field with zero bytes.
void CopyNarrowField(unsigned char* field, const char* text) {
    std::strncpy(reinterpret_cast<char*>(field), text, kNarrowField);
}

// At most 63 units of the text, then one zero unit; the units behind it stay as the host gave them.
void CopyWideField(unsigned char* field, const char* text) {
    FCString wide(text);
    const auto count = static_cast<uint32_t>(std::min<std::size_t>(wide.Length(), kWideCopiedUnits));
    if (count > 0) utf16le::Encode(wide.WideBuffer(), count, field);
    field[2 * count] = 0;
    field[2 * count + 1] = 0;
}

}  // namespace

extern "C" {

MIREL_EXPORT uint32_t FX_CALL FinaleExtensionVersion(uint32_t hostVersion) {
    gHostVersion = hostVersion;
    return MIREL_EXTENSION_VERSION;
}

MIREL_EXPORT uint32_t FX_CALL FinaleExtensionInit(uint32_t /*ignored*/, uint32_t* flags) {
    return Guarded<uint32_t>(0, [&] {
        if (flags != nullptr) *flags |= 1u;
        ResetPluginSettings();
        return 1u;
    });
}

MIREL_EXPORT uint32_t FX_CALL FinaleExtensionEnumerate(uint32_t /*ignored*/, int32_t index,
                                                       void* menuRecord) {
    // The index counts as its low 16 bits, signed: 0 and every negative index give the one command.
    if (static_cast<int16_t>(index) >= 1 || menuRecord == nullptr) return 0;
    auto* record = static_cast<unsigned char*>(menuRecord);
    CopyNarrowField(record, kMenuText);
    CopyNarrowField(record + kNarrowField, kMenuDescription);
    CopyNarrowField(record + 2 * kNarrowField, kMenuThirdText);
    bytes::WriteU32(record, MIREL_MENU_RECORD_SIZE, 3 * kNarrowField, 1);
    return 1;
}

MIREL_EXPORT int16_t FX_CALL FinaleExtensionEnumerate_UTF16(uint32_t /*ignored*/, int32_t index,
                                                            void* menuRecordUtf16) {
    if (static_cast<int16_t>(index) != 0 || menuRecordUtf16 == nullptr) return 0;
    return Guarded<int16_t>(0, [&] {
        auto* record = static_cast<unsigned char*>(menuRecordUtf16);
        const std::size_t fieldBytes = 2 * kWideFieldUnits;
        CopyWideField(record, kMenuText);
        CopyWideField(record + fieldBytes, kMenuDescription);
        CopyWideField(record + 2 * fieldBytes, kMenuThirdText);
        bytes::WriteU32(record, MIREL_MENU_RECORD_UTF16_SIZE, 3 * fieldBytes, 1);
        return static_cast<int16_t>(1);
    });
}

MIREL_EXPORT uint32_t FX_CALL FinaleExtensionInvoke(HWND parent, uint32_t /*ignored*/, const void* region20,
                                                    uint32_t /*ignored2*/) {
    // A run stopped part way (out of memory, say) may already have changed the document; the host must hear
    // so, or it takes the document for unchanged.
    const uint32_t writesBefore = host::AcceptedWrites();
    try {
        return RunInstrumentChangeCommand(parent, region20) ? 1u : 0u;
    } catch (...) {
        return host::AcceptedWrites() != writesBefore ? 1u : 0u;
    }
}

MIREL_EXPORT uint32_t FX_CALL FinaleExtensionGetMenuStatus(uint32_t /*ignored*/) {
    return 1;
}

MIREL_EXPORT void FX_CALL FinaleExtensionTerminate(uint32_t /*ignored*/) {}

}  // extern "C"
