// The places of a score that the score file and the region record share: a point (measure and position) and
// a selection of slots and measures. Apart from the score file, so that the record builders take them without
// the JSON library.
#ifndef MIREL_STANDIN_SCORE_REGION_H
#define MIREL_STANDIN_SCORE_REGION_H

#include <cstdint>

namespace standin {

// The end position of a selection that runs to the end of its last measure.
constexpr int32_t kEndOfMeasure = 2147483647;

// A point of the score: a measure and a position inside it.
struct ScorePoint {
    int16_t measure = 0;
    int32_t position = 0;
};

// A selection: slots (counted from 1 in score order) from start to end, measures and positions likewise.
struct ScoreSelection {
    int16_t startSlot = 0;
    int16_t endSlot = 0;
    int16_t startMeasure = 0;
    int16_t endMeasure = 0;
    int32_t startPosition = 0;
    int32_t endPosition = kEndOfMeasure;
};

}  // namespace standin

#endif
