#include "text/font_info.h"

#include <charconv>
#include <cstddef>
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

namespace {

// Copies the zero-terminated `text` to `out` and answers where it ends.
char* Put(char* out, const char* text) {
    while (*text != 0) *out++ = *text++;
    return out;
}

}  // namespace

void AssignFontTags(FCString& text, const FCFontInfo& font) {
    // Built as 8-bit text first and assigned in one step; the capacity is the one appending piece by piece
    // would reach (growth to the next multiple of ten depends only on the final length).
    constexpr std::size_t kNumberSpace = 12;  // "-2147483648" and room to spare
    char tags[FCFontInfo::kNameCapacity + 32 + 2 * kNumberSpace];
    char* p = Put(tags, "^font(");
    p = Put(p, font.GetName());
    p = Put(p, ")^size(");
    p = std::to_chars(p, p + kNumberSpace, static_cast<int32_t>(font.GetSize())).ptr;
    p = Put(p, ")^nfx(");
    p = std::to_chars(p, p + kNumberSpace, static_cast<int32_t>(font.GetEffects())).ptr;
    p = Put(p, ")");
    *p = 0;
    text.AssignNarrow(tags);
}
