#include "standin/commands/command_text.h"

namespace standin {

std::string Quote(const std::string& text) {
    return "\"" + text + "\"";
}

std::string RegionText(const ScoreSelection& s) {
    const auto span = [](int first, int last) {
        return first == last ? std::to_string(first) : std::to_string(first) + "-" + std::to_string(last);
    };
    std::string text = (s.startSlot == s.endSlot ? "slot " : "slots ") + span(s.startSlot, s.endSlot) +
                       ", m. " + span(s.startMeasure, s.endMeasure);
    if (s.startPosition != 0 || s.endPosition != kEndOfMeasure) {
        text +=
            " (positions " + std::to_string(s.startPosition) + " to " + std::to_string(s.endPosition) + ")";
    }
    return text;
}

}  // namespace standin
