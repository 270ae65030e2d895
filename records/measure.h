#ifndef MIREL_RECORDS_MEASURE_H
#define MIREL_RECORDS_MEASURE_H

#include <cstddef>
#include <cstdint>

#include "framework/base_data.h"
#include "host/host_version.h"

// One measure of the document: key (measure number, 0), measure numbers counting from 1.
//
// The record comes in two layouts chosen by the host version at the moment of use (kLayouts): 30 bytes from
// 0x12000000 on, 26 bytes below. One flag word is interpreted; every other byte is written back as loaded. Loading a
// measure is also how the system learns whether a measure with that number exists.
class FCMeasure : public __FCNoInciOther {
  public:
    static constexpr uint32_t kTag = 0x534F4D53;  // SOMS

    struct Layout {
        uint32_t fromHostVersion;
        int32_t size;
        uint32_t recordVersion;
        int32_t flagsOffset;  // the flag word
    };
    // Newest first; one embedded buffer per row.
    static constexpr Layout kLayouts[] = {
        {kHostVersion2012, 30, 0x12000000, 14},
        {0, 26, 0x0A000000, 10},
    };
    // Flag bit of a measure that holds expressions.
    static constexpr uint16_t kHoldsExpressions = 0x4000;

    FCMeasure() = default;

    const char* ClassName() const override;
    uint8_t* AllocateDataArea() override;
    __FCBaseData* CreateInstance() const override;
    uint32_t Tag() const override;
    uint32_t RecordVersion() const override;
    int32_t DataSize() override;
    void CopyDataFrom(const __FCBaseData* other) override;

    // Measure 0 does not exist: refused at once, without asking the host.
    bool Load(int16_t itemNo) override;

    // The flag word of the layout the record was loaded with; 0 when nothing is loaded.
    uint16_t GetMeasureFlags() const;
    void SetMeasureFlags(uint16_t flags);
    // Sets the flag bit of a measure that holds expressions.
    void SetExpressionFlag();

  private:
    static std::size_t LayoutIndex();
    // The layout of the record in hand: the one it was loaded or copied with.
    const Layout& LayoutOfData() const;

    uint8_t buffer_[kLayouts[0].size] = {};
    uint8_t oldBuffer_[kLayouts[1].size] = {};
};

namespace records {

// Marks measure `measure` as holding expressions: loads it and, when it loads, sets the flag bit and saves it
// (the save's result is not looked at). Answers whether the measure loaded.
bool MarkMeasureHoldsExpressions(int16_t measure);

}  // namespace records

#endif
