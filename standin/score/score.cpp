// The score's look-ups and the spelling of host versions, which reading, writing and the commands share.
#include <cstdio>

#include "standin/score/score_fields.h"
#include "standin/score/score_file.h"

namespace standin {

namespace {

// The item of `items` with the id, by the field the items' table marks as the id; null when there is none.
template <typename T>
const T* WithId(const std::vector<T>& items, int16_t id) {
    for (const T& item : items) {
        if (fields::IdOf(item) == id) return &item;
    }
    return nullptr;
}

}  // namespace

const ScoreStaff* Score::Staff(int16_t id) const {
    return WithId(staves, id);
}

const ScoreStaffStyle* Score::StaffStyle(int16_t id) const {
    return WithId(staffStyles, id);
}

const ScoreGroup* Score::Group(int16_t id) const {
    return WithId(groups, id);
}

const ScoreCategory* Score::Category(int16_t id) const {
    return WithId(categories, id);
}

const ScoreTextExpression* Score::TextExpression(int16_t id) const {
    return WithId(textExpressions, id);
}

int Score::SlotOf(int16_t staffID) const {
    for (std::size_t i = 0; i < staves.size(); ++i) {
        if (staves[i].id == staffID) return static_cast<int>(i) + 1;
    }
    return 0;
}

ScoreSelection Score::SelectionOrWholeScore() const {
    if (selection) return *selection;
    ScoreSelection whole;
    whole.startSlot = 1;
    whole.endSlot = static_cast<int16_t>(staves.size());
    whole.startMeasure = 1;
    whole.endMeasure = measures;
    whole.startPosition = 0;
    whole.endPosition = kEndOfMeasure;
    return whole;
}

bool ParseHostVersion(const std::string& text, uint32_t& version) {
    if (text.size() < 3 || text.size() > 10 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return false;
    uint32_t value = 0;
    for (std::size_t i = 2; i < text.size(); ++i) {
        const char c = text[i];
        uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<uint32_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<uint32_t>(c - 'A' + 10);
        } else {
            return false;
        }
        value = (value << 4) | digit;
    }
    version = value;
    return true;
}

std::string FormatHostVersion(uint32_t version) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(version));
    return text;
}

}  // namespace standin
