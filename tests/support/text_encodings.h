// Texts go to the host as 8-bit strings before one host version and as UTF-16 from it on: the versions on
// either side of that change, the record layouts that change with it, and a string's units to compare.
#ifndef MIREL_TESTS_TEXT_ENCODINGS_H
#define MIREL_TESTS_TEXT_ENCODINGS_H

#include <cstdint>
#include <string>
#include <vector>

#include "text/fc_string.h"

namespace testsupport {

// The host versions on either side of the change to UTF-16 texts: the last with 8-bit texts, the first with
// UTF-16 ones.
constexpr uint32_t kNarrowHost = 0x10FFFFFF;
constexpr uint32_t kWideHost = 0x11000000;

// A record's layout at one host version: its size and the record version it goes to the host with.
struct LayoutCase {
    uint32_t hostVersion;
    int32_t size;
    uint32_t recordVersion;
};

// A layout that changes with the text encoding: tried on both sides of the change and at both ends.
inline std::vector<LayoutCase> LayoutsByText(int32_t narrowSize, uint32_t narrowVersion, int32_t wideSize,
                                             uint32_t wideVersion) {
    return {{0x0FFFFFFF, narrowSize, narrowVersion},
            {kNarrowHost, narrowSize, narrowVersion},
            {kWideHost, wideSize, wideVersion},
            {0x11FFFFFF, wideSize, wideVersion},
            {0x12000000, wideSize, wideVersion}};
}

// A string's UTF-16 units, to compare with a u"" literal; none for a string without a buffer.
inline std::u16string Units(const FCString& s) {
    return s.WideBuffer() == nullptr ? std::u16string() : std::u16string(s.WideBuffer(), s.Length());
}

}  // namespace testsupport

#endif
