// Tag removal on any UTF-16 text, run under AddressSanitizer: the result is never longer than the input and
// stays terminated, whatever tags, doubled carets and unclosed tags the text holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "text/fc_string.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::vector<char16_t> units;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    units.push_back(0);

    FCString fontsOnly;
    fontsOnly.AssignWide(units.data());
    const uint32_t original = fontsOnly.Length();
    FCString everything;
    everything.Assign(&fontsOnly);

    fontsOnly.StripFontTags();
    everything.StripTags();
    if (fontsOnly.Length() > original || everything.Length() > original) std::abort();
    if (fontsOnly.WideBuffer()[fontsOnly.Length()] != 0 ||
        everything.WideBuffer()[everything.Length()] != 0) {
        std::abort();
    }
    return 0;
}
