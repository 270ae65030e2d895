#ifndef MIREL_SUPPORT_UTF16LE_H
#define MIREL_SUPPORT_UTF16LE_H

#include <cstddef>
#include <cstdint>
#include <cstring>

// The one UTF-16LE codec: UTF-16 units to and from little-endian byte pairs. Every text that crosses the
// boundary in a byte buffer (record texts, the menu record) goes through here. The bytes need not be aligned
// for 16-bit access: a unit is put together and taken apart byte by byte, or, where the processor itself
// stores 16-bit numbers little-endian, copied as it stands. No function adds a terminator.
namespace utf16le {

#if defined(__BYTE_ORDER__) && defined(__ORDER_LITTLE_ENDIAN__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr bool kUnitsAreLittleEndian = true;
#else
constexpr bool kUnitsAreLittleEndian = false;
#endif

// The unit at `bytes`.
inline char16_t UnitAt(const uint8_t* bytes) {
    if constexpr (kUnitsAreLittleEndian) {
        char16_t unit;
        std::memcpy(&unit, bytes, sizeof unit);
        return unit;
    } else {
        return static_cast<char16_t>(bytes[0] | (bytes[1] << 8));
    }
}

// The number of units before the first zero unit among the `count` units at `bytes`; `count` when there is
// none.
inline std::size_t UnitsBeforeZero(const uint8_t* bytes, std::size_t count) {
    std::size_t n = 0;
    while (n < count && UnitAt(bytes + 2 * n) != 0) ++n;
    return n;
}

// Decodes `count` units from the 2 * count bytes at `bytes` into `units`.
inline void Decode(const uint8_t* bytes, std::size_t count, char16_t* units) {
    if constexpr (kUnitsAreLittleEndian) {
        if (count > 0) std::memcpy(units, bytes, 2 * count);
    } else {
        for (std::size_t i = 0; i < count; ++i) units[i] = UnitAt(bytes + 2 * i);
    }
}

// Encodes `count` units into the 2 * count bytes at `bytes`.
inline void Encode(const char16_t* units, std::size_t count, uint8_t* bytes) {
    if constexpr (kUnitsAreLittleEndian) {
        if (count > 0) std::memcpy(bytes, units, 2 * count);
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            bytes[2 * i] = static_cast<uint8_t>(units[i] & 0xFF);
            bytes[2 * i + 1] = static_cast<uint8_t>(units[i] >> 8);
        }
    }
}

}  // namespace utf16le

#endif
