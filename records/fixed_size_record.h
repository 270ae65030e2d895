#ifndef MIREL_RECORDS_FIXED_SIZE_RECORD_H
#define MIREL_RECORDS_FIXED_SIZE_RECORD_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <type_traits>

#include "contract/mirel_contract.h"
#include "framework/base_data.h"
#include "records/record_copy.h"
#include "records/record_layout.h"

namespace records {

// The layout row of a fixed-size record that has no field moving between layouts. Classes whose fields move
// use a row type of their own with the same three members first.
struct FixedLayout {
    uint32_t fromHostVersion;
    int32_t size;
    uint32_t recordVersion;
};

// Rows of equal size share one area; this is the first row of its size.
template <typename Layout, std::size_t N>
constexpr bool FirstOfItsSize(const Layout (&rows)[N], std::size_t row) {
    for (std::size_t i = 0; i < row; ++i) {
        if (rows[i].size == rows[row].size) return false;
    }
    return true;
}

// Where the area of `row` begins among the areas of a table: one area for each size, in table order.
template <typename Layout, std::size_t N>
constexpr std::size_t AreaOffset(const Layout (&rows)[N], std::size_t row) {
    std::size_t offset = 0;
    for (std::size_t i = 0; i < N; ++i) {
        if (!FirstOfItsSize(rows, i)) continue;
        if (rows[i].size == rows[row].size) return offset;
        offset += static_cast<std::size_t>(rows[i].size);
    }
    return offset;
}

template <typename Layout, std::size_t N>
constexpr std::array<std::size_t, N> AreaOffsets(const Layout (&rows)[N]) {
    std::array<std::size_t, N> offsets{};
    for (std::size_t i = 0; i < N; ++i) offsets[i] = AreaOffset(rows, i);
    return offsets;
}

// The bytes all areas of a table take together.
template <typename Layout, std::size_t N>
constexpr std::size_t AreaBytes(const Layout (&rows)[N]) {
    std::size_t total = 0;
    for (std::size_t i = 0; i < N; ++i) {
        if (FirstOfItsSize(rows, i)) total += static_cast<std::size_t>(rows[i].size);
    }
    return total;
}

// True when every row has a size and its area lies inside the areas' bytes.
template <typename Layout, std::size_t N>
constexpr bool EveryRowHasItsArea(const Layout (&rows)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (rows[i].size <= 0) return false;
        if (AreaOffset(rows, i) + static_cast<std::size_t>(rows[i].size) > AreaBytes(rows)) return false;
    }
    return true;
}

// True when a field of `width` bytes at `offset` lies inside the record in every layout of the table.
template <typename Layout, std::size_t N>
constexpr bool FieldFitsEveryLayout(const Layout (&rows)[N], int32_t offset, int32_t width) {
    for (std::size_t i = 0; i < N; ++i) {
        if (offset < 0 || offset + width > rows[i].size) return false;
    }
    return true;
}

// The common part of every record class of fixed size: its tag, its layouts by host version (kTable, newest
// first, see record_layout.h) and one embedded area for each size in the table. The record class states its
// name (kClassName), its fields and what it does beyond loading, copying and saving its bytes.
//
// Loading hands the host the area of the layout in force, so a load allocates nothing; a load after the host
// version changed lands in an area of the size it asks the host for.
template <typename Derived, typename KeyShape, uint32_t TagValue, const auto& kTable>
class FixedSizeRecord : public KeyShape {
  public:
    using Layout = std::remove_cv_t<std::remove_reference_t<decltype(kTable[0])>>;
    static constexpr uint32_t kTag = TagValue;

    const char* ClassName() const override { return Derived::kClassName; }
    uint8_t* AllocateDataArea() override { return AreaInForce(); }
    __FCBaseData* CreateInstance() const override { return new Derived(); }
    uint32_t Tag() const override { return TagValue; }
    uint32_t RecordVersion() const override { return LayoutInForce().recordVersion; }
    int32_t DataSize() override { return LayoutInForce().size; }
    // The other object's loaded bytes, at most the size in force, into the area in force (record_copy.h).
    void CopyDataFrom(const __FCBaseData* other) override {
        this->data_ = AreaInForce();
        this->loadedSize_ = CopyLoadedBytes(this->data_, LayoutInForce().size, other);
    }

  protected:
    // Whether a new object counts as loaded: then it holds the zeroed record of the layout in force and can be
    // created in the document without a load.
    enum class NewObject { kNotLoaded, kLoaded };

    explicit FixedSizeRecord(NewObject state) {
        if (state == NewObject::kLoaded) this->AttachLoaded(AreaInForce(), LayoutInForce().size);
    }

    static const Layout& LayoutInForce() { return kTable[LayoutIndexInForce(kTable)]; }
    uint8_t* AreaInForce() { return areas_ + kAreaOffsets[LayoutIndexInForce(kTable)]; }
    const uint8_t* AreaInForce() const { return areas_ + kAreaOffsets[LayoutIndexInForce(kTable)]; }
    // For records whose bytes are copied whole: the other object's area in force, loaded or not, becomes this
    // object's, which counts as loaded with the full size.
    void CopyWholeRecordFrom(const FixedSizeRecord& other) {
        std::memcpy(AreaInForce(), other.AreaInForce(), static_cast<std::size_t>(LayoutInForce().size));
        this->AttachLoaded(AreaInForce(), LayoutInForce().size);
    }
    // The layout of the bytes in hand: the row whose area holds them, the last row when there are none.
    const Layout& LayoutOfData() const {
        for (std::size_t row = 0; row < kRows; ++row) {
            if (this->data_ == areas_ + kAreaOffsets[row]) return kTable[row];
        }
        return kTable[kRows - 1];
    }

  private:
    static constexpr std::size_t kRows = std::size(kTable);
    static_assert(kRows > 0, "a record class has at least one layout");
    static_assert(EveryRowHasItsArea(kTable), "every layout row has an area of its size");

    static constexpr std::array<std::size_t, kRows> kAreaOffsets = AreaOffsets(kTable);

    uint8_t areas_[AreaBytes(kTable)] = {};
};

// The one layout of a record class whose layout does not depend on the host version.
template <int32_t Size>
inline constexpr FixedLayout kSingleLayout[] = {{0, Size, MIREL_INTERFACE_VERSION}};

}  // namespace records

#endif
