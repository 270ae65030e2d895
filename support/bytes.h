#ifndef MIREL_SUPPORT_BYTES_H
#define MIREL_SUPPORT_BYTES_H

#include <cstddef>
#include <cstdint>

// Little-endian reads and writes on a byte block of known size.
//
// Every host record is a little-endian wire format; record classes name their fields by offset and go through
// these helpers, never by casting a struct over the buffer. A field that does not lie wholly inside the block
// (a short record, a missing buffer) reads as zero and is not written.
namespace bytes {

inline bool Fits(std::size_t size, std::size_t offset, std::size_t width) {
    return offset <= size && width <= size - offset;
}

inline uint16_t ReadU16(const uint8_t* data, std::size_t size, std::size_t offset) {
    if (data == nullptr || !Fits(size, offset, 2)) return 0;
    return static_cast<uint16_t>(data[offset] | (data[offset + 1] << 8));
}

inline int16_t ReadI16(const uint8_t* data, std::size_t size, std::size_t offset) {
    return static_cast<int16_t>(ReadU16(data, size, offset));
}

inline uint32_t ReadU32(const uint8_t* data, std::size_t size, std::size_t offset) {
    if (data == nullptr || !Fits(size, offset, 4)) return 0;
    return static_cast<uint32_t>(data[offset]) | (static_cast<uint32_t>(data[offset + 1]) << 8) |
           (static_cast<uint32_t>(data[offset + 2]) << 16) | (static_cast<uint32_t>(data[offset + 3]) << 24);
}

inline int32_t ReadI32(const uint8_t* data, std::size_t size, std::size_t offset) {
    return static_cast<int32_t>(ReadU32(data, size, offset));
}

inline void WriteU16(uint8_t* data, std::size_t size, std::size_t offset, uint16_t value) {
    if (data == nullptr || !Fits(size, offset, 2)) return;
    data[offset] = static_cast<uint8_t>(value & 0xFF);
    data[offset + 1] = static_cast<uint8_t>(value >> 8);
}

inline void WriteI16(uint8_t* data, std::size_t size, std::size_t offset, int16_t value) {
    WriteU16(data, size, offset, static_cast<uint16_t>(value));
}

inline void WriteU32(uint8_t* data, std::size_t size, std::size_t offset, uint32_t value) {
    if (data == nullptr || !Fits(size, offset, 4)) return;
    for (std::size_t i = 0; i < 4; ++i) data[offset + i] = static_cast<uint8_t>((value >> (8 * i)) & 0xFF);
}

inline void WriteI32(uint8_t* data, std::size_t size, std::size_t offset, int32_t value) {
    WriteU32(data, size, offset, static_cast<uint32_t>(value));
}

}  // namespace bytes

#endif
