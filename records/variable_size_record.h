#ifndef MIREL_RECORDS_VARIABLE_SIZE_RECORD_H
#define MIREL_RECORDS_VARIABLE_SIZE_RECORD_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "framework/base_data.h"
#include "support/small_buffer.h"

namespace records {

// The common part of every record class without a fixed size (raw texts, text expression definitions): the
// storage of its bytes, an area of the size the host reports for the record, released and provided anew
// before every load. The area is at least Derived::MinimumSize() bytes (the size of the record with nothing in
// its variable part; 0 when there is no such minimum), and it lives inside the object while it is short.
//
// A record class writes new bytes through ReplaceBytes and CopyBytesFrom, which replace the area and set how
// many of its bytes the record holds; fields it reads and writes through the field helpers.
template <typename Derived, typename KeyShape>
class VariableSizeRecord : public KeyShape {
  public:
    VariableSizeRecord() = default;

    // An area of the size the host reports for the record at the current key; none (null) when the host has
    // no such record.
    uint8_t* AllocateDataArea() override {
        const int32_t size = QuerySize();
        area_.Reset(static_cast<std::size_t>(size));
        uint8_t* area = size > 0 ? area_.Data() : nullptr;
        HoldBytes(area, 0);
        return area;
    }
    void ReleaseDataArea() override {
        area_.Reset(0);
        HoldBytes(nullptr, 0);
    }
    bool IsVariableSize() const override { return true; }
    // The size the host reports for the record at the current key (at least the minimum; 0 when it has
    // none). Once an area is provided, the host is not offered more than it holds, even when the record grew
    // between the two questions.
    int32_t DataSize() override {
        const int32_t size = QuerySize();
        return this->Data() != nullptr && size > AreaSize() ? AreaSize() : size;
    }

  protected:
    // The byte count of the area; the bytes in hand never exceed it.
    int32_t AreaSize() const { return static_cast<int32_t>(area_.Size()); }
    // Replaces the area with `size` zero bytes (at least the minimum), of which the first `held` are the
    // record's from now on, and answers where to write them.
    uint8_t* ReplaceBytes(int32_t size, int32_t held) {
        const int32_t minimum = Derived::MinimumSize();
        area_.Reset(static_cast<std::size_t>(std::max(size, minimum)));
        HoldBytes(area_.Data(), held);
        return area_.Data();
    }
    // Replaces the area with a copy of `count` bytes, which the record holds from now on.
    void CopyBytesFrom(const uint8_t* bytes, int32_t count) {
        std::memcpy(ReplaceBytes(count, count), bytes, static_cast<std::size_t>(count));
    }

  private:
    // The record classes below reach their bytes through ReplaceBytes, CopyBytesFrom and the field helpers.
    using KeyShape::HoldBytes;

    // The size the host reports, at least the minimum; 0 when it has none.
    int32_t QuerySize() {
        const std::optional<int32_t> size = this->QueryRecordSize();
        if (!size) return 0;
        const int32_t minimum = Derived::MinimumSize();
        return std::max(*size, minimum);
    }

    // Instrument names, expression texts and a definition head with a description of some fifty characters
    // fit inside the object.
    static constexpr std::size_t kInlineBytes = 160;
    SmallBuffer<uint8_t, kInlineBytes> area_;
};

}  // namespace records

#endif
