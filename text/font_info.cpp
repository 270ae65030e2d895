#include "text/font_info.h"

#include <cstring>

#include "host/host_api.h"

namespace {

constexpr const char* kDefaultFontName = "Times New Roman";

}  // namespace

FCFontInfo::FCFontInfo() {
    SetName(kDefaultFontName);
}

void FCFontInfo::SetName(const char* name) {
    std::memset(name_, 0, sizeof name_);
    if (name == nullptr) return;
    for (int i = 0; i < kNameCapacity - 1 && name[i] != 0; ++i) name_[i] = name[i];
}

void FCFontInfo::SetNameFromFontNumber(uint16_t fontNumber) {
    char buffer[kNameCapacity] = {};
    if (host::FX_FontNumToName(fontNumber, buffer) == 0) {
        SetName(kDefaultFontName);
        return;
    }
    // A name the host did not terminate inside the buffer ends at its last byte.
    buffer[kNameCapacity - 1] = 0;
    SetName(buffer);
}

void AssignFontTags(FCString& text, const FCFontInfo& font) {
    text.AssignNarrow("^font(");
    text.AppendNarrow(font.GetName());
    text.AppendNarrow(")");
    text.AppendNarrow("^size(");
    text.AppendNumber(static_cast<int32_t>(font.GetSize()));
    text.AppendNarrow(")^nfx(");
    text.AppendNumber(static_cast<int32_t>(font.GetEffects()));
    text.AppendNarrow(")");
}
