#ifndef MIREL_RECORDS_FIXED_SIZE_RECORD_H
#define MIREL_RECORDS_FIXED_SIZE_RECORD_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <type_traits>

#include "contract/mirel_contract.h"
#include "framework/base_data.h"
#include "records/record_copy.h"
#include "records/record_layout.h"
#include "support/bytes.h"

namespace records {

// The layout row of a fixed-size record that has no field moving between layouts. Classes whose fields move
// use a row type of their own with the same three members first.
struct FixedLayout {
    uint32_t fromHostVersion;
    int32_t size;
    uint32_t recordVersion;
};

// The largest size in a table: the one area of a record class holds the record in every layout.
template <typename Layout, std::size_t N>
constexpr int32_t LargestSize(const Layout (&rows)[N]) {
    int32_t largest = 0;
    for (std::size_t i = 0; i < N; ++i) largest = rows[i].size > largest ? rows[i].size : largest;
    return largest;
}

// True when every row has a size.
template <typename Layout, std::size_t N>
constexpr bool EveryRowHasASize(const Layout (&rows)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (rows[i].size <= 0) return false;
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
// first, see record_layout.h) and the storage of its bytes, one embedded area of the largest size in the table,
// which the record holds from construction on: a load allocates nothing. The record class states its name
// (kClassName), its fields and what it does beyond loading, copying and saving its bytes.
//
// The layout is the one in force at the moment of use: loads ask for its size and record version, and fields
// that move between layouts are read at its offsets.
template <typename Derived, typename KeyShape, uint32_t TagValue, const auto& kTable>
class FixedSizeRecord : public KeyShape {
  public:
    using Layout = std::remove_cv_t<std::remove_reference_t<decltype(kTable[0])>>;
    static constexpr uint32_t kTag = TagValue;

    const char* ClassName() const override { return Derived::kClassName; }
    uint8_t* AllocateDataArea() override { return area_; }
    std::unique_ptr<__FCBaseData> CreateInstance() const override { return std::make_unique<Derived>(); }
    uint32_t Tag() const override { return TagValue; }
    uint32_t RecordVersion() const override { return LayoutInForce().recordVersion; }
    int32_t DataSize() override { return LayoutInForce().size; }
    // The other object's loaded bytes, at most the size in force (record_copy.h).
    void CopyDataFrom(const __FCBaseData* other) override {
        HoldBytes(area_, CopyLoadedBytes(area_, LayoutInForce().size, other));
    }

  protected:
    // Whether a new object counts as loaded: then it holds the zeroed record of the layout in force and can be
    // created in the document without a load.
    enum class NewObject { kNotLoaded, kLoaded };

    explicit FixedSizeRecord(NewObject state) {
        HoldBytes(area_, state == NewObject::kLoaded ? LayoutInForce().size : 0);
    }

    static const Layout& LayoutInForce() { return kTable[LayoutIndexInForce(kTable)]; }
    // For records whose bytes are copied whole: the other object's record, loaded or not, becomes this
    // object's, which counts as loaded with the full size.
    void CopyWholeRecordFrom(const FixedSizeRecord& other) {
        const int32_t size = LayoutInForce().size;
        std::memcpy(area_, other.area_, static_cast<std::size_t>(size));
        HoldBytes(area_, size);
    }
    // A field of the record read and written whether a load succeeded or not: inside the loaded bytes when
    // there are any, inside the layout in force otherwise. For records whose fields keep their values when a
    // load fails.
    uint16_t AreaU16(int32_t offset) const {
        return bytes::ReadU16(area_, AreaBound(), static_cast<std::size_t>(offset));
    }
    void SetAreaU16(int32_t offset, uint16_t value) {
        bytes::WriteU16(area_, AreaBound(), static_cast<std::size_t>(offset), value);
    }

  private:
    // The record classes below reach their bytes through the field helpers only.
    using KeyShape::HoldBytes;

    std::size_t AreaBound() const {
        const int32_t size = LayoutInForce().size;
        return static_cast<std::size_t>(this->IsLoaded() && this->HeldSize() < size ? this->HeldSize()
                                                                                    : size);
    }

    static_assert(std::size(kTable) > 0, "a record class has at least one layout");
    static_assert(EveryRowHasASize(kTable), "every layout row has a size");

    uint8_t area_[LargestSize(kTable)] = {};
};

// The one layout of a record class whose layout does not depend on the host version.
template <int32_t Size>
inline constexpr FixedLayout kSingleLayout[] = {{0, Size, MIREL_INTERFACE_VERSION}};

}  // namespace records

#endif
