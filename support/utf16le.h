#ifndef MIREL_SUPPORT_UTF16LE_H
#define MIREL_SUPPORT_UTF16LE_H

#include <cstddef>
#include <cstdint>

// The one UTF-16LE codec: UTF-16 units to and from little-endian byte pairs. Every text that crosses the
// boundary in a byte buffer (record texts, the menu record) goes through here. The bytes need not be aligned
// for 16-bit access, so units are put together and taken apart byte by byte. Neither function adds or looks
// for a terminator.
namespace utf16le {

// Decodes `count` units from the 2 * count bytes at `bytes` into `units`.
inline void Decode(const uint8_t* bytes, std::size_t count, char16_t* units) {
    for (std::size_t i = 0; i < count; ++i) {
        units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
}

// Encodes `count` units into the 2 * count bytes at `bytes`.
inline void Encode(const char16_t* units, std::size_t count, uint8_t* bytes) {
    for (std::size_t i = 0; i < count; ++i) {
        bytes[2 * i] = static_cast<uint8_t>(units[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<uint8_t>(units[i] >> 8);
    }
}

}  // namespace utf16le

#endif
