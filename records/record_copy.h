#ifndef MIREL_RECORDS_RECORD_COPY_H
#define MIREL_RECORDS_RECORD_COPY_H

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "framework/base_data.h"

namespace records {

// Copies another record object's loaded bytes into a fixed-size buffer of `capacity` bytes and answers the
// loaded size the copy takes.
//
// Only the bytes the host delivered to the other object are copied, at most `capacity`; the rest of the
// buffer becomes zero, so a record the host handed over short reads its missing fields as zero in the copy
// too, and the copy keeps the short size when it is saved. A copy of an object without loaded bytes is the
// class's zeroed record of full size.
inline int32_t CopyLoadedBytes(uint8_t* buffer, int32_t capacity, const __FCBaseData* other) {
    if (other != nullptr && other->Data() == buffer && other->LoadedSize() > 0) {
        // A record copied onto itself keeps its bytes.
        return std::min(other->LoadedSize(), capacity);
    }
    std::memset(buffer, 0, static_cast<std::size_t>(capacity));
    if (other == nullptr || other->Data() == nullptr || other->LoadedSize() <= 0) return capacity;
    const int32_t count = std::min(other->LoadedSize(), capacity);
    std::memcpy(buffer, other->Data(), static_cast<std::size_t>(count));
    return count;
}

}  // namespace records

#endif
