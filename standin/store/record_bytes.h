#ifndef MIREL_STANDIN_RECORD_BYTES_H
#define MIREL_STANDIN_RECORD_BYTES_H

#include <cstddef>
#include <cstdint>

#include "standin/store/document.h"

// Little-endian fields of a stand-in record: a field that does not lie inside the record reads 0 and is not
// written.
namespace standin {

inline uint16_t Get16(const Bytes& data, std::size_t offset) {
    if (offset + 2 > data.size()) return 0;
    return static_cast<uint16_t>(data[offset] | (data[offset + 1] << 8));
}

inline int32_t Get32(const Bytes& data, std::size_t offset) {
    if (offset + 4 > data.size()) return 0;
    uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(data[offset + i]) << (8 * i);
    return static_cast<int32_t>(value);
}

inline void Set16(Bytes& data, std::size_t offset, uint16_t value) {
    if (offset + 2 > data.size()) return;
    data[offset] = static_cast<uint8_t>(value & 0xFF);
    data[offset + 1] = static_cast<uint8_t>(value >> 8);
}

inline void Set32(Bytes& data, std::size_t offset, uint32_t value) {
    if (offset + 4 > data.size()) return;
    for (std::size_t i = 0; i < 4; ++i) data[offset + i] = static_cast<uint8_t>((value >> (8 * i)) & 0xFF);
}

}  // namespace standin

#endif
