#include "framework/cell.h"

const char* FCCell::ClassName() const {
    return "FCCell";
}
