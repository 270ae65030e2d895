// Tag removal on the host's tagged text.
//
// A tag begins with a caret that is not part of a doubled caret and ends at the first closing parenthesis
// after it; everything in between, carets included, belongs to the tag. A doubled caret outside a tag stands
// for one literal caret. Font tags are told by how their text begins, compared on the 8-bit copy.

#include <cstring>

#include "text/fc_string.h"

namespace {

constexpr char16_t kCaret = u'^';
constexpr char16_t kClose = u')';

// The tag's units compared by their low bytes, as StartsWithNarrow compares the 8-bit copy, but without
// building that copy: names are stripped of their font tags for every mark placed.
bool StartsWithLowBytes(const char16_t* units, uint32_t length, const char* prefix) {
    uint32_t i = 0;
    for (; prefix[i] != 0; ++i) {
        if (i >= length || static_cast<char>(units[i] & 0xFF) != prefix[i]) return false;
    }
    return true;
}

// Every tag begins with its caret; the letter after it tells which font tag start it could have.
bool IsFontTag(const char16_t* units, uint32_t length) {
    if (length < 2) return false;
    switch (static_cast<char>(units[1] & 0xFF)) {
        case 'f':
            return StartsWithLowBytes(units, length, "^font");
        case 'F':
            return StartsWithLowBytes(units, length, "^Font");
        case 'n':
            return StartsWithLowBytes(units, length, "^nfx");
        case 's':
            return StartsWithLowBytes(units, length, "^size");
        default:
            return false;
    }
}

}  // namespace

// The text is rewritten in place: what is kept never lies behind where it is written, so no second string is
// needed (names are stripped of their font tags for every mark placed).
bool FCString::StripFontTags() {
    if (units_.empty()) {
        // As a copy of the (empty) result would: a terminated buffer of ten units.
        AssignNarrow("");
        return false;
    }
    bool removed = false;
    uint32_t w = 0;
    const uint32_t n = length_;
    char16_t* units = Units();
    for (uint32_t i = 0; i < n; ++i) {
        const char16_t unit = units[i];
        if (unit != kCaret) {
            units[w++] = unit;
        } else if (i + 1 < n && units[i + 1] == kCaret) {
            units[w++] = kCaret;
            ++i;
        } else {
            uint32_t close = i + 1;
            while (close < n && units[close] != kClose) ++close;
            // A tag still open at the end is dropped with everything after its caret.
            if (close == n) break;
            const uint32_t tagLength = close - i + 1;
            if (IsFontTag(units + i, tagLength)) {
                removed = true;
            } else {
                std::memmove(units + w, units + i, tagLength * sizeof(char16_t));
                w += tagLength;
            }
            i = close;
        }
    }
    // The capacity ends as assigning the result from a string of its own would leave it.
    if (w > 0) Reserve(w + 1);
    SetLength(w);
    return removed;
}

bool FCString::StripTags() {
    bool inTag = false;
    bool found = false;
    uint32_t w = 0;
    const uint32_t n = length_;
    char16_t* units = Units();
    for (uint32_t i = 0; i < n; ++i) {
        const char16_t unit = units[i];
        if (inTag) {
            if (unit == kClose) inTag = false;
        } else if (unit == kCaret && i + 1 < n && units[i + 1] == kCaret) {
            units[w++] = kCaret;
            ++i;
        } else if (unit == kCaret) {
            inTag = true;
            found = true;
        } else {
            units[w++] = unit;
        }
    }
    if (!units_.empty()) SetLength(w);
    return found;
}
