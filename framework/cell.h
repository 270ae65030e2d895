#ifndef MIREL_FRAMEWORK_CELL_H
#define MIREL_FRAMEWORK_CELL_H

#include <cstdint>

#include "framework/fc_base.h"

// One measure on one staff (the staff by its instrument id). Made where it is needed, owns nothing.
class FCCell : public __FCBase {
  public:
    FCCell(int32_t measureNumber, int32_t staffNumber) : measure(measureNumber), staff(staffNumber) {}

    const char* ClassName() const override;

    int32_t GetMeasure() const { return measure; }
    int32_t GetStaff() const { return staff; }

    // Both hold 16-bit numbers.
    int32_t measure;
    int32_t staff;
};

#endif
