// The fields of a score file, one table per item type: each JSON member in the file's order, the member of
// the item it fills and the rule its value follows. Reading, checking and writing a score file all walk these
// tables, so that a field's name, order and range are stated in this one place.
#ifndef MIREL_STANDIN_SCORE_FIELDS_H
#define MIREL_STANDIN_SCORE_FIELDS_H

#include <cstddef>
#include <cstdint>
#include <limits>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "standin/score/score_file.h"
#include "standin/store/layouts.h"

namespace standin::fields {

constexpr int64_t kInt16Max = std::numeric_limits<int16_t>::max();
constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t kUint16Max = std::numeric_limits<uint16_t>::max();
// Definitions keep a category id in 14 bits.
constexpr int64_t kCategoryIDMax = layout::kDefinitionCategoryMask;

// ---- Rules: what a field's value must be ----

// A whole number from min to max.
struct Whole {
    int64_t min;
    int64_t max;
};
// The item's id: a whole number from min to max, given once in its list; `what` names it in messages.
struct Id {
    int64_t min;
    int64_t max;
    const char* what;
};
// The id of an item of type Item, which its list must have (0 stands for none where `zeroMeansNone`).
template <typename Item>
struct Ref {
    int64_t min;
    int64_t max;
    bool zeroMeansNone;
};
// The id of an item of type Item, which its list must have unless the flag `unless` of the same item is set.
template <typename Item, typename Owner>
struct RefUnless {
    int64_t min;
    int64_t max;
    bool Owner::*unless;
};
// A measure of the score.
struct MeasureNumber {};
// A slot of the score (from 1 to the number of staves).
struct Slot {};
// A text; `whenEmpty` is the fault of an empty one where it needs one. A record text is kept in the document's
// records, in their encoding; other texts (font names) are the host's.
struct Text {
    const char* whenEmpty;
    bool recordText;
};
struct Flag {};
// An object of a type with its own table.
struct Object {};
// A point of the score (an object) not before the point `start` of the same item.
template <typename Owner>
struct EndPoint {
    ScorePoint Owner::*start;
};
// The staves of a multi-staff instrument: one to three staff ids, each staff in one instrument at most.
struct StaffMembers {};
// The host version, spelled as a string; the score keeps both the number and the spelling.
struct HostVersion {};
// An optional list of items of a type with its own table. A late list is read after the others: its items
// refer to items of lists that may follow it in the file.
struct List {
    bool late;
};
// An optional object of a type with its own table, read after the lists.
struct OptionalObject {};

// Whether a field must be there.
template <typename Rule>
constexpr bool Required(const Rule& /*rule*/) {
    return true;
}
constexpr bool Required(const HostVersion& /*rule*/) {
    return false;
}
constexpr bool Required(const List& /*rule*/) {
    return false;
}
constexpr bool Required(const OptionalObject& /*rule*/) {
    return false;
}

// Whether a field is read after the others of its object.
template <typename Rule>
constexpr bool IsLate(const Rule& /*rule*/) {
    return false;
}
constexpr bool IsLate(const List& rule) {
    return rule.late;
}
constexpr bool IsLate(const OptionalObject& /*rule*/) {
    return true;
}

// The rules several fields share.
constexpr Text kRecordText{nullptr, true};
constexpr Ref<ScoreStaff> kStaffRef{1, kInt16Max, false};
constexpr Whole kPosition{kInt32Min, kInt32Max};
constexpr List kList{false};
constexpr List kLateList{true};

// ---- Tables ----

// A field of T: its JSON name, the member it fills and its rule.
template <typename T, typename M, typename Rule>
struct Field {
    using Member = M;
    const char* name;
    M T::*member;
    Rule rule;
};

template <typename T, typename M, typename Rule>
constexpr Field<T, M, Rule> F(const char* name, M T::*member, Rule rule) {
    return {name, member, rule};
}

// The fields of an item type, in the file's order: `fields`, a tuple of Field.
template <typename T>
struct Table;

template <>
struct Table<ScorePoint> {
    static constexpr auto fields = std::make_tuple(F("measure", &ScorePoint::measure, MeasureNumber{}),
                                                   F("position", &ScorePoint::position, kPosition));
};

template <>
struct Table<ScoreFontSpec> {
    static constexpr auto fields =
        std::make_tuple(F("number", &ScoreFontSpec::number, Ref<ScoreFont>{0, kUint16Max, false}),
                        F("size", &ScoreFontSpec::size, Whole{1, kInt16Max}),
                        F("effects", &ScoreFontSpec::effects, Whole{0, kUint16Max}));
};

template <>
struct Table<ScoreFont> {
    static constexpr auto fields =
        std::make_tuple(F("number", &ScoreFont::number, Id{0, kUint16Max, "font number"}),
                        F("name", &ScoreFont::name, Text{"a font needs a name", false}));
};

template <>
struct Table<ScoreStaff> {
    static constexpr auto fields = std::make_tuple(F("id", &ScoreStaff::id, Id{1, kInt16Max, "staff id"}),
                                                   F("name", &ScoreStaff::name, kRecordText));
};

template <>
struct Table<ScoreStaffStyle> {
    static constexpr auto fields =
        std::make_tuple(F("id", &ScoreStaffStyle::id, Id{1, kInt16Max, "style id"}),
                        F("name", &ScoreStaffStyle::name, kRecordText),
                        F("changesInstrument", &ScoreStaffStyle::changesInstrument, Flag{}));
};

template <>
struct Table<ScoreStyleAssignment> {
    using A = ScoreStyleAssignment;
    static constexpr auto fields = std::make_tuple(
        F("staff", &A::staff, kStaffRef), F("style", &A::style, Ref<ScoreStaffStyle>{1, kInt16Max, false}),
        F("start", &A::start, Object{}), F("end", &A::end, EndPoint<A>{&A::start}));
};

template <>
struct Table<ScoreMultiStaffInstrument> {
    using M = ScoreMultiStaffInstrument;
    static constexpr auto fields = std::make_tuple(
        F("id", &M::id, Id{1, kInt16Max, "multi-staff instrument id"}),
        F("staves", &M::staves, StaffMembers{}), F("group", &M::group, Ref<ScoreGroup>{0, kInt16Max, true}));
};

template <>
struct Table<ScoreGroup> {
    static constexpr auto fields =
        std::make_tuple(F("id", &ScoreGroup::id, Id{1, kInt16Max, "group id"}),
                        F("top", &ScoreGroup::top, kStaffRef), F("bottom", &ScoreGroup::bottom, kStaffRef),
                        F("startMeasure", &ScoreGroup::startMeasure, MeasureNumber{}),
                        F("name", &ScoreGroup::name, kRecordText));
};

template <>
struct Table<ScoreCategory> {
    static constexpr auto fields = std::make_tuple(
        F("id", &ScoreCategory::id, Id{1, kCategoryIDMax, "category id"}),
        F("name", &ScoreCategory::name, kRecordText), F("font", &ScoreCategory::font, Object{}));
};

template <>
struct Table<ScoreTextExpression> {
    using T = ScoreTextExpression;
    static constexpr auto fields =
        std::make_tuple(F("id", &T::id, Id{1, kInt16Max, "text expression id"}),
                        F("text", &T::text, kRecordText), F("description", &T::description, kRecordText),
                        F("category", &T::category, Ref<ScoreCategory>{0, kCategoryIDMax, true}));
};

template <>
struct Table<ScoreExpression> {
    using E = ScoreExpression;
    static constexpr auto fields = std::make_tuple(
        F("measure", &E::measure, MeasureNumber{}), F("staff", &E::staff, kStaffRef),
        F("definition", &E::definition, RefUnless<ScoreTextExpression, E>{0, kUint16Max, &E::shape}),
        F("shape", &E::shape, Flag{}));
};

template <>
struct Table<ScoreSelection> {
    using S = ScoreSelection;
    static constexpr auto fields = std::make_tuple(
        F("startSlot", &S::startSlot, Slot{}), F("endSlot", &S::endSlot, Slot{}),
        F("startMeasure", &S::startMeasure, MeasureNumber{}),
        F("endMeasure", &S::endMeasure, MeasureNumber{}), F("startPosition", &S::startPosition, kPosition),
        F("endPosition", &S::endPosition, kPosition));
};

// The lists refer to the lists before them, except the late ones, which are read after all others.
template <>
struct Table<Score> {
    static constexpr auto fields = std::make_tuple(
        F("hostVersion", &Score::hostVersionText, HostVersion{}),
        F("measures", &Score::measures, Whole{1, kInt16Max}), F("fonts", &Score::fonts, kList),
        F("staves", &Score::staves, kList), F("staffStyles", &Score::staffStyles, kList),
        F("styleAssignments", &Score::styleAssignments, kLateList),
        F("multiStaffInstruments", &Score::multiStaffInstruments, kLateList),
        F("groups", &Score::groups, kList), F("categories", &Score::categories, kList),
        F("textExpressions", &Score::textExpressions, kList),
        F("expressions", &Score::expressions, kLateList),
        F("selection", &Score::selection, OptionalObject{}));
};

// ---- Walking the tables ----

// Calls `visit` with each field of T's table, in the file's order.
template <typename T, typename Visit>
void ForEachField(Visit&& visit) {
    std::apply([&](const auto&... field) { (visit(field), ...); }, Table<T>::fields);
}

// The name of the field that fills `member`.
template <typename T, typename M>
const char* NameOf(M T::*member) {
    const char* name = nullptr;
    ForEachField<T>([&](const auto& field) {
        if constexpr (std::is_same_v<typename std::decay_t<decltype(field)>::Member, M>) {
            if (field.member == member) name = field.name;
        }
    });
    return name;
}

// The place in the score's table of the list of items of type Item.
template <typename Item, std::size_t I = 0>
constexpr std::size_t ListIndex() {
    using Fields = std::decay_t<decltype(Table<Score>::fields)>;
    static_assert(I < std::tuple_size_v<Fields>, "the score has no list of these items");
    if constexpr (std::is_same_v<typename std::tuple_element_t<I, Fields>::Member, std::vector<Item>>) {
        return I;
    } else {
        return ListIndex<Item, I + 1>();
    }
}

template <typename Item>
const char* ListName() {
    return std::get<ListIndex<Item>()>(Table<Score>::fields).name;
}

// What the id of an Item is called in messages ("staff id").
template <typename Item>
const char* IdName() {
    const char* what = nullptr;
    ForEachField<Item>([&](const auto& field) {
        if constexpr (std::is_same_v<std::decay_t<decltype(field.rule)>, Id>) what = field.rule.what;
    });
    return what;
}

// The id of an item, from the field its table marks as the id.
template <typename Item>
int16_t IdOf(const Item& item) {
    int16_t id = 0;
    ForEachField<Item>([&](const auto& field) {
        if constexpr (std::is_same_v<std::decay_t<decltype(field.rule)>, Id>)
            id = static_cast<int16_t>(item.*field.member);
    });
    return id;
}

constexpr std::size_t kScoreFieldCount = std::tuple_size_v<std::decay_t<decltype(Table<Score>::fields)>>;

}  // namespace standin::fields

#endif
