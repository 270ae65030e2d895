#ifndef MIREL_RECORDS_MEASURE_H
#define MIREL_RECORDS_MEASURE_H

#include <cstddef>
#include <cstdint>

#include "framework/base_data.h"
#include "host/host_version.h"
#include "records/fixed_size_record.h"

namespace records {
struct MeasureLayout {
    uint32_t fromHostVersion;
    int32_t size;
    uint32_t recordVersion;
    int32_t flagsOffset;  // the flag word
};
// Newest first.
inline constexpr MeasureLayout kMeasureLayouts[] = {
    {kHostVersion2012, 30, 0x12000000, 14},
    {0, 26, 0x0A000000, 10},
};
}  // namespace records

// One measure of the document: key (measure number, 0), measure numbers counting from 1.
//
// The record comes in two layouts chosen by the host version at the moment of use (kMeasureLayouts): 30 bytes from
// 0x12000000 on, 26 bytes below. One flag word is interpreted; every other byte is written back as loaded. Loading a
// measure is also how the system learns whether a measure with that number exists.
class FCMeasure : public records::FixedSizeRecord<FCMeasure, __FCNoInciOther, 0x534F4D53,  // SOMS
                                                  records::kMeasureLayouts> {
  public:
    static constexpr char kClassName[] = "FCMeasure";
    // Flag bit of a measure that holds expressions.
    static constexpr uint16_t kHoldsExpressions = 0x4000;

    FCMeasure() : FixedSizeRecord(NewObject::kNotLoaded) {}

    // Measure 0 does not exist: refused at once, without asking the host.
    bool Load(int16_t itemNo) override;

    // The flag word of the layout the record was loaded with; 0 when nothing is loaded.
    uint16_t GetMeasureFlags() const;
    void SetMeasureFlags(uint16_t flags);
    // Sets the flag bit of a measure that holds expressions.
    void SetExpressionFlag();
};

namespace records {

// Marks measure `measure` as holding expressions: loads it and, when it loads, sets the flag bit and saves it
// (the save's result is not looked at). Answers whether the measure loaded.
bool MarkMeasureHoldsExpressions(int16_t measure);

}  // namespace records

#endif
