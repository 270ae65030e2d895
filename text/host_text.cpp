#include "text/host_text.h"

#include "host/host_version.h"
#include "support/utf16le.h"

namespace {

// The number of units of an 8-bit text: those before the first unit whose low byte is zero.
std::size_t NarrowCount(const FCString& text) {
    const char16_t* units = text.WideBuffer();
    std::size_t count = 0;
    while (count < text.Length() && (units[count] & 0xFF) != 0) ++count;
    return count;
}

}  // namespace

void ReadHostText(const uint8_t* bytes, std::size_t count, FCString& text) {
    if (count == 0) {
        text.AssignNarrow("");
    } else if (HostUsesWideText()) {
        text.AssignWideBytesBounded(bytes, static_cast<uint32_t>(count / 2));
    } else {
        text.AssignNarrowBounded(reinterpret_cast<const char*>(bytes), static_cast<uint32_t>(count));
    }
}

std::size_t HostTextSize(const FCString& text) {
    if (HostUsesWideText()) return (static_cast<std::size_t>(text.Length()) + 1) * 2;
    return NarrowCount(text) + 1;
}

void WriteHostText(const FCString& text, uint8_t* out) {
    if (HostUsesWideText()) {
        const std::size_t length = text.Length();
        utf16le::Encode(text.WideBuffer(), length, out);
        out[2 * length] = 0;
        out[2 * length + 1] = 0;
        return;
    }
    const std::size_t count = NarrowCount(text);
    const char16_t* units = text.WideBuffer();
    for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<uint8_t>(units[i] & 0xFF);
    out[count] = 0;
}
