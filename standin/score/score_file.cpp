#include "standin/score/score_file.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <map>
#include <random>
#include <sstream>
#include <utility>

#include "standin/host/host.h"
#include "standin/score/document_builder.h"
#include "standin/store/layouts.h"
#include "standin/store/record_bytes.h"

namespace standin {

namespace {

namespace L = layout;
using json = nlohmann::json;

constexpr int64_t kInt16Max = std::numeric_limits<int16_t>::max();
constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t kUint16Max = std::numeric_limits<uint16_t>::max();
constexpr int64_t kCategoryIDMax = L::kDefinitionCategoryMask;  // definitions keep a category id in 14 bits

// The lists a score file may hold, in the order the file writes them.
const char* const kLists[] = {
    "fonts",  "staves",     "staffStyles",     "styleAssignments", "multiStaffInstruments",
    "groups", "categories", "textExpressions", "expressions"};

// ---- JSON locations ----

// A reference token of a JSON pointer: '~' and '/' escaped.
std::string Token(const std::string& key) {
    std::string token;
    for (char c : key) {
        if (c == '~') {
            token += "~0";
        } else if (c == '/') {
            token += "~1";
        } else {
            token += c;
        }
    }
    return token;
}

std::string At(const std::string& pointer, const std::string& key) {
    return pointer + "/" + Token(key);
}
std::string At(const std::string& pointer, std::size_t index) {
    return pointer + "/" + std::to_string(index);
}

[[noreturn]] void Fail(const std::string& pointer, const std::string& message) {
    throw ScoreError(pointer, message);
}

const char* TypeName(const json& value) {
    switch (value.type()) {
        case json::value_t::null:
            return "null";
        case json::value_t::object:
            return "an object";
        case json::value_t::array:
            return "an array";
        case json::value_t::string:
            return "a string";
        case json::value_t::boolean:
            return "a boolean";
        case json::value_t::number_float:
            return "a fractional number";
        default:
            return "a number";
    }
}

// An object with exactly the allowed fields, of which `required` must be there.
void CheckObject(const json& value, const std::string& pointer, std::initializer_list<const char*> required,
                 std::initializer_list<const char*> optional = {}) {
    if (!value.is_object()) Fail(pointer, std::string("expected an object, found ") + TypeName(value));
    for (const char* name : required) {
        if (!value.contains(name)) Fail(pointer, std::string("missing field \"") + name + "\"");
    }
    for (auto it = value.begin(); it != value.end(); ++it) {
        bool known = false;
        for (const char* name : required) known = known || it.key() == name;
        for (const char* name : optional) known = known || it.key() == name;
        if (!known) Fail(At(pointer, it.key()), "unknown field \"" + it.key() + "\"");
    }
}

int64_t Integer(const json& object, const std::string& pointer, const char* name, int64_t min, int64_t max) {
    const json& value = object.at(name);
    const std::string where = At(pointer, name);
    int64_t number = 0;
    if (value.is_number_unsigned()) {
        const uint64_t u = value.get<uint64_t>();
        number = u > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())
                     ? std::numeric_limits<int64_t>::max()
                     : static_cast<int64_t>(u);
    } else if (value.is_number_integer()) {
        number = value.get<int64_t>();
    } else {
        Fail(where, std::string("expected a whole number, found ") + TypeName(value));
    }
    if (number < min || number > max) {
        Fail(where, std::string(name) + " " + std::to_string(number) + " is out of range (" +
                        std::to_string(min) + " to " + std::to_string(max) + ")");
    }
    return number;
}

std::string String(const json& object, const std::string& pointer, const char* name) {
    const json& value = object.at(name);
    if (!value.is_string())
        Fail(At(pointer, name), std::string("expected a string, found ") + TypeName(value));
    std::string text = value.get<std::string>();
    // The records keep texts up to a terminating zero: a zero inside would cut the text short.
    if (text.find('\0') != std::string::npos)
        Fail(At(pointer, name), "a text cannot hold a zero character (\\u0000)");
    return text;
}

bool Boolean(const json& object, const std::string& pointer, const char* name) {
    const json& value = object.at(name);
    if (!value.is_boolean())
        Fail(At(pointer, name), std::string("expected true or false, found ") + TypeName(value));
    return value.get<bool>();
}

// The list `name` of the document (empty when it is not there); every element passes through `each`.
template <typename Each>
void ForEachIn(const json& document, const char* name, std::set<std::string>& given, Each each) {
    if (!document.contains(name)) return;
    given.insert(name);
    const json& list = document.at(name);
    const std::string pointer = At("", name);
    if (!list.is_array()) Fail(pointer, std::string("expected an array, found ") + TypeName(list));
    for (std::size_t i = 0; i < list.size(); ++i) each(list[i], At(pointer, i));
}

// Remembers where each id was first seen, to report duplicates.
class IdRegister {
  public:
    explicit IdRegister(const char* what) : what_(what) {}
    void Add(int64_t id, const std::string& pointer) {
        auto [it, added] = seen_.emplace(id, pointer);
        if (!added)
            Fail(pointer, "duplicate " + what_ + " " + std::to_string(id) + " (first at " + it->second + ")");
    }
    bool Has(int64_t id) const { return seen_.count(id) != 0; }

  private:
    std::string what_;
    std::map<int64_t, std::string> seen_;
};

int16_t Measure(const json& object, const std::string& pointer, const char* name, int16_t measures) {
    const json& value = object.at(name);
    if (!value.is_number_integer()) {
        Fail(At(pointer, name), std::string("expected a measure number, found ") + TypeName(value));
    }
    const int64_t number =
        value.is_number_unsigned() && value.get<uint64_t>() > static_cast<uint64_t>(kInt32Max)
            ? kInt32Max
            : value.get<int64_t>();
    if (number < 1 || number > measures) {
        Fail(At(pointer, name), "measure " + value.dump() + " is out of range (the score has " +
                                    std::to_string(measures) + " measures)");
    }
    return static_cast<int16_t>(number);
}

int16_t KnownStaff(const json& object, const std::string& pointer, const char* name,
                   const IdRegister& staves) {
    const int64_t id = Integer(object, pointer, name, 1, kInt16Max);
    if (!staves.Has(id))
        Fail(At(pointer, name), "unknown staff id " + std::to_string(id) + " (not in /staves)");
    return static_cast<int16_t>(id);
}

ScorePoint Point(const json& object, const std::string& pointer, const char* name, int16_t measures) {
    const json& value = object.at(name);
    const std::string where = At(pointer, name);
    CheckObject(value, where, {"measure", "position"});
    ScorePoint point;
    point.measure = Measure(value, where, "measure", measures);
    point.position = static_cast<int32_t>(Integer(value, where, "position", kInt32Min, kInt32Max));
    return point;
}

// Checks the text of a record for the record's encoding: the application's 8-bit texts hold one byte per
// character.
void CheckTextFits(const std::string& text, std::size_t room, bool wide, const std::string& pointer,
                   const std::string& what) {
    const std::size_t size = EncodeText(text, wide).size();
    if (size > room) {
        const std::size_t unit = wide ? 2 : 1;
        Fail(pointer, what + " is too long for its record: at most " + std::to_string(room / unit - 1) +
                          (wide ? " UTF-16 units" : " characters") + ", it has " +
                          std::to_string(size / unit - 1));
    }
}

// ---- Parsing with duplicate keys refused ----

// Follows the parser through the document to refuse an object key given twice (the JSON library would keep
// the last one silently).
class DuplicateKeyCheck {
  public:
    bool operator()(int depth, json::parse_event_t event, json& parsed) {
        (void)depth;
        switch (event) {
            case json::parse_event_t::object_start:
                frames_.push_back(Frame{true, {}, {}, 0});
                break;
            case json::parse_event_t::array_start:
                frames_.push_back(Frame{false, {}, {}, 0});
                break;
            case json::parse_event_t::key: {
                Frame& frame = frames_.back();
                const std::string key = parsed.get<std::string>();
                if (!frame.keys.insert(key).second)
                    Fail(At(Container(), key), "duplicate key \"" + key + "\"");
                frame.key = key;
                break;
            }
            case json::parse_event_t::object_end:
            case json::parse_event_t::array_end:
                frames_.pop_back();
                ElementDone();
                break;
            case json::parse_event_t::value:
                ElementDone();
                break;
        }
        return true;
    }

  private:
    struct Frame {
        bool object;
        std::set<std::string> keys;
        std::string key;
        std::size_t index;
    };

    void ElementDone() {
        if (!frames_.empty() && !frames_.back().object) ++frames_.back().index;
    }

    // The pointer of the innermost open object or array.
    std::string Container() const {
        std::string pointer;
        for (std::size_t i = 0; i + 1 < frames_.size(); ++i) {
            pointer = frames_[i].object ? At(pointer, frames_[i].key) : At(pointer, frames_[i].index);
        }
        return pointer;
    }

    std::vector<Frame> frames_;
};

// ---- Document keys of the items of a score, to keep a reference score's order ----

// (staff, inci) of each assignment: as read, or the next incident of its staff in list order.
std::vector<std::pair<int16_t, int16_t>> AssignmentKeys(const Score& score) {
    std::map<int16_t, int16_t> next;
    std::vector<std::pair<int16_t, int16_t>> keys;
    for (const ScoreStyleAssignment& a : score.styleAssignments) {
        keys.emplace_back(a.staff, a.inci >= 0 ? a.inci : next[a.staff]++);
    }
    return keys;
}

// Puts `found` (in document order, with their keys) into the reference's order: items whose key the reference
// has come first, in the reference's order; the others follow in document order.
template <typename T, typename Key>
std::vector<T> InReferenceOrder(std::vector<std::pair<Key, T>> found, const std::vector<Key>& referenceKeys) {
    std::map<Key, std::size_t> place;
    for (std::size_t i = 0; i < referenceKeys.size(); ++i) place.emplace(referenceKeys[i], i);
    // Each item's place is looked up once, not at every comparison of the sort.
    std::vector<std::pair<std::size_t, std::size_t>> order;  // (place, index in found)
    order.reserve(found.size());
    for (std::size_t i = 0; i < found.size(); ++i) {
        auto p = place.find(found[i].first);
        order.emplace_back(p == place.end() ? referenceKeys.size() : p->second, i);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<T> ordered;
    ordered.reserve(found.size());
    for (const auto& [rank, i] : order) ordered.push_back(std::move(found[i].second));
    return ordered;
}

template <typename T, typename IdOf>
std::vector<int16_t> Ids(const std::vector<T>& items, IdOf id) {
    std::vector<int16_t> ids;
    for (const T& item : items) ids.push_back(static_cast<int16_t>(id(item)));
    return ids;
}

}  // namespace

// ---- Score
// ---------------------------------------------------------------------------------------------------

const ScoreStaff* Score::Staff(int16_t id) const {
    for (const ScoreStaff& s : staves) {
        if (s.id == id) return &s;
    }
    return nullptr;
}

const ScoreStaffStyle* Score::StaffStyle(int16_t id) const {
    for (const ScoreStaffStyle& s : staffStyles) {
        if (s.id == id) return &s;
    }
    return nullptr;
}

const ScoreGroup* Score::Group(int16_t id) const {
    for (const ScoreGroup& g : groups) {
        if (g.id == id) return &g;
    }
    return nullptr;
}

const ScoreCategory* Score::Category(int16_t id) const {
    for (const ScoreCategory& c : categories) {
        if (c.id == id) return &c;
    }
    return nullptr;
}

const ScoreTextExpression* Score::TextExpression(int16_t id) const {
    for (const ScoreTextExpression& t : textExpressions) {
        if (t.id == id) return &t;
    }
    return nullptr;
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

// ---- Host versions
// -----------------------------------------------------------------------------------------------

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

// ---- Reading
// ---------------------------------------------------------------------------------------------------

Score ScoreFromJson(const json& document) {
    CheckObject(document, "", {"measures"},
                {"hostVersion", "fonts", "staves", "staffStyles", "styleAssignments", "multiStaffInstruments",
                 "groups", "categories", "textExpressions", "expressions", "selection"});
    Score score;

    if (document.contains("hostVersion")) {
        const json& value = document.at("hostVersion");
        if (!value.is_string() || !ParseHostVersion(value.get<std::string>(), score.hostVersion)) {
            Fail("/hostVersion",
                 "malformed host version " + value.dump() +
                     ": expected \"0x\" and one to eight hexadecimal digits, as in \"0x12050000\"");
        }
        score.hostVersionText = value.get<std::string>();
    }

    score.measures = static_cast<int16_t>(Integer(document, "", "measures", 1, kInt16Max));
    const int16_t measures = score.measures;

    IdRegister fonts("font number");
    ForEachIn(document, "fonts", score.listsGiven, [&](const json& item, const std::string& at) {
        CheckObject(item, at, {"number", "name"});
        ScoreFont font;
        font.number = static_cast<uint16_t>(Integer(item, at, "number", 0, kUint16Max));
        fonts.Add(font.number, At(at, "number"));
        font.name = String(item, at, "name");
        if (font.name.empty()) Fail(At(at, "name"), "a font needs a name");
        score.fonts.push_back(font);
    });

    IdRegister staves("staff id");
    ForEachIn(document, "staves", score.listsGiven, [&](const json& item, const std::string& at) {
        CheckObject(item, at, {"id", "name"});
        ScoreStaff staff;
        staff.id = static_cast<int16_t>(Integer(item, at, "id", 1, kInt16Max));
        staves.Add(staff.id, At(at, "id"));
        staff.name = String(item, at, "name");
        score.staves.push_back(staff);
    });

    IdRegister styles("style id");
    ForEachIn(document, "staffStyles", score.listsGiven, [&](const json& item, const std::string& at) {
        CheckObject(item, at, {"id", "name", "changesInstrument"});
        ScoreStaffStyle style;
        style.id = static_cast<int16_t>(Integer(item, at, "id", 1, kInt16Max));
        styles.Add(style.id, At(at, "id"));
        style.name = String(item, at, "name");
        style.changesInstrument = Boolean(item, at, "changesInstrument");
        score.staffStyles.push_back(style);
    });

    IdRegister groups("group id");
    ForEachIn(document, "groups", score.listsGiven, [&](const json& item, const std::string& at) {
        CheckObject(item, at, {"id", "top", "bottom", "startMeasure", "name"});
        ScoreGroup group;
        group.id = static_cast<int16_t>(Integer(item, at, "id", 1, kInt16Max));
        groups.Add(group.id, At(at, "id"));
        group.top = KnownStaff(item, at, "top", staves);
        group.bottom = KnownStaff(item, at, "bottom", staves);
        group.startMeasure = Measure(item, at, "startMeasure", measures);
        group.name = String(item, at, "name");
        score.groups.push_back(group);
    });

    IdRegister categories("category id");
    ForEachIn(document, "categories", score.listsGiven, [&](const json& item, const std::string& at) {
        CheckObject(item, at, {"id", "name", "font"});
        ScoreCategory category;
        category.id = static_cast<int16_t>(Integer(item, at, "id", 1, kCategoryIDMax));
        categories.Add(category.id, At(at, "id"));
        category.name = String(item, at, "name");
        const std::string fontAt = At(at, "font");
        const json& font = item.at("font");
        CheckObject(font, fontAt, {"number", "size", "effects"});
        category.font.number = static_cast<uint16_t>(Integer(font, fontAt, "number", 0, kUint16Max));
        if (!fonts.Has(category.font.number)) {
            Fail(At(fontAt, "number"),
                 "unknown font number " + std::to_string(category.font.number) + " (not in /fonts)");
        }
        category.font.size = static_cast<int16_t>(Integer(font, fontAt, "size", 1, kInt16Max));
        category.font.effects = static_cast<uint16_t>(Integer(font, fontAt, "effects", 0, kUint16Max));
        score.categories.push_back(category);
    });

    IdRegister definitions("text expression id");
    ForEachIn(document, "textExpressions", score.listsGiven, [&](const json& item, const std::string& at) {
        CheckObject(item, at, {"id", "text", "description", "category"});
        ScoreTextExpression definition;
        definition.id = static_cast<int16_t>(Integer(item, at, "id", 1, kInt16Max));
        definitions.Add(definition.id, At(at, "id"));
        definition.text = String(item, at, "text");
        definition.description = String(item, at, "description");
        definition.category = static_cast<int16_t>(Integer(item, at, "category", 0, kCategoryIDMax));
        if (definition.category != 0 && !categories.Has(definition.category)) {
            Fail(At(at, "category"), "unknown category id " + std::to_string(definition.category) +
                                         " (not in /categories; 0 means none)");
        }
        score.textExpressions.push_back(definition);
    });

    ForEachIn(document, "styleAssignments", score.listsGiven, [&](const json& item, const std::string& at) {
        CheckObject(item, at, {"staff", "style", "start", "end"});
        ScoreStyleAssignment assignment;
        assignment.staff = KnownStaff(item, at, "staff", staves);
        assignment.style = static_cast<int16_t>(Integer(item, at, "style", 1, kInt16Max));
        if (!styles.Has(assignment.style)) {
            Fail(At(at, "style"),
                 "unknown style id " + std::to_string(assignment.style) + " (not in /staffStyles)");
        }
        assignment.start = Point(item, at, "start", measures);
        assignment.end = Point(item, at, "end", measures);
        if (std::make_pair(assignment.end.measure, assignment.end.position) <
            std::make_pair(assignment.start.measure, assignment.start.position)) {
            Fail(At(at, "end"), "the assignment ends before it starts");
        }
        score.styleAssignments.push_back(assignment);
    });

    IdRegister instruments("multi-staff instrument id");
    std::map<int16_t, std::string> memberOf;
    ForEachIn(
        document, "multiStaffInstruments", score.listsGiven, [&](const json& item, const std::string& at) {
            CheckObject(item, at, {"id", "staves", "group"});
            ScoreMultiStaffInstrument instrument;
            instrument.id = static_cast<int16_t>(Integer(item, at, "id", 1, kInt16Max));
            instruments.Add(instrument.id, At(at, "id"));
            const json& members = item.at("staves");
            const std::string membersAt = At(at, "staves");
            if (!members.is_array() || members.empty() || members.size() > 3) {
                Fail(membersAt, "expected an array of one to three staff ids");
            }
            for (std::size_t i = 0; i < members.size(); ++i) {
                const std::string memberAt = At(membersAt, i);
                if (!members[i].is_number_integer()) Fail(memberAt, "expected a staff id");
                const int64_t id = members[i].get<int64_t>();
                if (id < 1 || id > kInt16Max || !staves.Has(id)) {
                    Fail(memberAt, "unknown staff id " + std::to_string(id) + " (not in /staves)");
                }
                auto [it, added] = memberOf.emplace(static_cast<int16_t>(id), memberAt);
                if (!added)
                    Fail(memberAt, "staff " + std::to_string(id) + " is already a member at " + it->second);
                instrument.staves.push_back(static_cast<int16_t>(id));
            }
            instrument.group = static_cast<int16_t>(Integer(item, at, "group", 0, kInt16Max));
            if (instrument.group != 0 && !groups.Has(instrument.group)) {
                Fail(At(at, "group"), "unknown group id " + std::to_string(instrument.group) +
                                          " (not in /groups; 0 means none)");
            }
            score.multiStaffInstruments.push_back(instrument);
        });

    ForEachIn(document, "expressions", score.listsGiven, [&](const json& item, const std::string& at) {
        CheckObject(item, at, {"measure", "staff", "definition", "shape"});
        ScoreExpression expression;
        expression.measure = Measure(item, at, "measure", measures);
        expression.staff = KnownStaff(item, at, "staff", staves);
        expression.shape = Boolean(item, at, "shape");
        expression.definition = static_cast<uint16_t>(Integer(item, at, "definition", 0, kUint16Max));
        if (!expression.shape && !definitions.Has(expression.definition)) {
            Fail(At(at, "definition"), "unknown text expression id " + std::to_string(expression.definition) +
                                           " (not in /textExpressions)");
        }
        score.expressions.push_back(expression);
    });

    if (document.contains("selection")) {
        const json& item = document.at("selection");
        const std::string at = "/selection";
        CheckObject(item, at,
                    {"startSlot", "endSlot", "startMeasure", "endMeasure", "startPosition", "endPosition"});
        if (score.staves.empty()) Fail(at, "a selection needs staves to select");
        const auto slots = static_cast<int64_t>(score.staves.size());
        ScoreSelection selection;
        selection.startSlot = static_cast<int16_t>(Integer(item, at, "startSlot", 1, slots));
        selection.endSlot = static_cast<int16_t>(Integer(item, at, "endSlot", 1, slots));
        selection.startMeasure = Measure(item, at, "startMeasure", measures);
        selection.endMeasure = Measure(item, at, "endMeasure", measures);
        selection.startPosition =
            static_cast<int32_t>(Integer(item, at, "startPosition", kInt32Min, kInt32Max));
        selection.endPosition = static_cast<int32_t>(Integer(item, at, "endPosition", kInt32Min, kInt32Max));
        score.selection = selection;
    }

    CheckForHostVersion(score, score.hostVersion);
    return score;
}

// Before 0x11000000 record texts hold one byte per character: characters above U+00FF have no place there.
void CheckEightBitText(const std::string& text, const std::string& pointer, uint32_t hostVersion) {
    for (char16_t unit : Utf8ToUtf16(text)) {
        if (unit > 0xFF) {
            Fail(pointer, "the text has characters the 8-bit texts of host version " +
                              FormatHostVersion(hostVersion) +
                              " cannot hold (only U+0000 to U+00FF before 0x11000000)");
        }
    }
}

void CheckForHostVersion(const Score& score, uint32_t hostVersion) {
    const bool wide = L::WideText(hostVersion);
    const std::size_t nameRoom = L::CategoryTextFont(hostVersion) - L::kCategoryName;
    for (std::size_t i = 0; i < score.categories.size(); ++i) {
        CheckTextFits(score.categories[i].name, nameRoom, wide, At(At("/categories", i), "name"),
                      "the category name");
    }
    if (hostVersion < L::kVersion11) {
        for (std::size_t i = 0; i < score.staffStyles.size(); ++i) {
            if (score.staffStyles[i].changesInstrument) {
                Fail(At(At("/staffStyles", i), "changesInstrument"),
                     "a staff style cannot change the instrument with host version " +
                         FormatHostVersion(hostVersion) +
                         ": its record layout has no instrument-change flags before 0x11000000");
            }
        }
    }
    if (!wide) {
        const auto check = [&](const char* list, std::size_t i, const char* field, const std::string& text) {
            CheckEightBitText(text, At(At(std::string("/") + list, i), field), hostVersion);
        };
        for (std::size_t i = 0; i < score.staves.size(); ++i)
            check("staves", i, "name", score.staves[i].name);
        for (std::size_t i = 0; i < score.staffStyles.size(); ++i)
            check("staffStyles", i, "name", score.staffStyles[i].name);
        for (std::size_t i = 0; i < score.groups.size(); ++i)
            check("groups", i, "name", score.groups[i].name);
        for (std::size_t i = 0; i < score.categories.size(); ++i)
            check("categories", i, "name", score.categories[i].name);
        for (std::size_t i = 0; i < score.textExpressions.size(); ++i) {
            check("textExpressions", i, "text", score.textExpressions[i].text);
            check("textExpressions", i, "description", score.textExpressions[i].description);
        }
    }
}

Score ReadScoreFile(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    if (!in) throw ScoreFileError(path + ": cannot open the score file");
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) throw ScoreFileError(path + ": cannot read the score file");
    return ReadScoreText(content.str(), path);
}

namespace {

// The library's message without the error code in brackets that starts it.
std::string LibraryMessage(const json::exception& e) {
    std::string message = e.what();
    const std::size_t close = message.find("] ");
    if (message.rfind("[json.exception", 0) == 0 && close != std::string::npos) message.erase(0, close + 2);
    return message;
}

ScoreFileError AtLocation(const std::string& name, const ScoreError& e) {
    const std::string where = e.Pointer().empty() ? std::string("the document") : e.Pointer();
    return ScoreFileError(name + ": at " + where + ": " + e.what());
}

}  // namespace

Score ReadScoreText(const std::string& content, const std::string& name) {
    json document;
    try {
        DuplicateKeyCheck check;
        document = json::parse(content, std::ref(check));
    } catch (const ScoreError& e) {
        throw AtLocation(name, e);
    } catch (const json::exception& e) {
        // Besides syntax errors the parser refuses numbers beyond a double's range ("1e400000").
        throw ScoreFileError(name + ": not valid JSON: " + LibraryMessage(e));
    }
    try {
        return ScoreFromJson(document);
    } catch (const ScoreError& e) {
        throw AtLocation(name, e);
    }
}

// ---- Writing
// ---------------------------------------------------------------------------------------------------

namespace {

using ojson = nlohmann::ordered_json;

// Calls `each` with the JSON of every item of the list `name`, in the score's order.
template <typename Each>
void ForEachListItem(const Score& score, const std::string& name, Each each) {
    if (name == "fonts") {
        for (const ScoreFont& f : score.fonts) each(ojson{{"number", f.number}, {"name", f.name}});
    } else if (name == "staves") {
        for (const ScoreStaff& s : score.staves) each(ojson{{"id", s.id}, {"name", s.name}});
    } else if (name == "staffStyles") {
        for (const ScoreStaffStyle& s : score.staffStyles)
            each(ojson{{"id", s.id}, {"name", s.name}, {"changesInstrument", s.changesInstrument}});
    } else if (name == "styleAssignments") {
        for (const ScoreStyleAssignment& a : score.styleAssignments) {
            each(ojson{{"staff", a.staff},
                       {"style", a.style},
                       {"start", {{"measure", a.start.measure}, {"position", a.start.position}}},
                       {"end", {{"measure", a.end.measure}, {"position", a.end.position}}}});
        }
    } else if (name == "multiStaffInstruments") {
        for (const ScoreMultiStaffInstrument& m : score.multiStaffInstruments)
            each(ojson{{"id", m.id}, {"staves", m.staves}, {"group", m.group}});
    } else if (name == "groups") {
        for (const ScoreGroup& g : score.groups) {
            each(ojson{{"id", g.id},
                       {"top", g.top},
                       {"bottom", g.bottom},
                       {"startMeasure", g.startMeasure},
                       {"name", g.name}});
        }
    } else if (name == "categories") {
        for (const ScoreCategory& c : score.categories) {
            each(ojson{
                {"id", c.id},
                {"name", c.name},
                {"font", {{"number", c.font.number}, {"size", c.font.size}, {"effects", c.font.effects}}}});
        }
    } else if (name == "textExpressions") {
        for (const ScoreTextExpression& t : score.textExpressions)
            each(ojson{
                {"id", t.id}, {"text", t.text}, {"description", t.description}, {"category", t.category}});
    } else if (name == "expressions") {
        for (const ScoreExpression& e : score.expressions) {
            each(ojson{{"measure", e.measure},
                       {"staff", e.staff},
                       {"definition", e.definition},
                       {"shape", e.shape}});
        }
    }
}

// The score's members other than its lists, in the file's order: the host version (as the file spelled it
// when that still holds), the measures; the selection follows the lists.
ojson HeadOf(const Score& score) {
    ojson head = ojson::object();
    uint32_t spelled = 0;
    if (score.hostVersionText && ParseHostVersion(*score.hostVersionText, spelled) &&
        spelled == score.hostVersion) {
        head["hostVersion"] = *score.hostVersionText;
    } else if (score.hostVersionText || score.hostVersion != kDefaultHostVersion) {
        head["hostVersion"] = FormatHostVersion(score.hostVersion);
    }
    head["measures"] = score.measures;
    return head;
}

std::optional<ojson> SelectionOf(const Score& score) {
    if (!score.selection) return std::nullopt;
    const ScoreSelection& s = *score.selection;
    return ojson{{"startSlot", s.startSlot},         {"endSlot", s.endSlot},
                 {"startMeasure", s.startMeasure},   {"endMeasure", s.endMeasure},
                 {"startPosition", s.startPosition}, {"endPosition", s.endPosition}};
}

// A value's text as it stands `depth` levels deep in a document dumped with an indent of 2.
// Appends `value` to `text` as dump(2) shows it, every line after the first indented by `depth` more levels.
void AppendNested(std::string& text, const ojson& value, int depth) {
    const std::string dumped = value.dump(2, ' ', false);
    std::size_t from = 0;
    while (true) {
        const std::size_t newline = dumped.find('\n', from);
        text.append(dumped, from, newline == std::string::npos ? std::string::npos : newline + 1 - from);
        if (newline == std::string::npos) break;
        text.append(static_cast<std::size_t>(2 * depth), ' ');
        from = newline + 1;
    }
}

}  // namespace

nlohmann::ordered_json ScoreToJson(const Score& score) {
    ojson out = HeadOf(score);
    for (const char* name : kLists) {
        ojson list = ojson::array();
        ForEachListItem(score, name, [&](ojson item) { list.push_back(std::move(item)); });
        if (!list.empty() || score.listsGiven.count(name) != 0) out[name] = std::move(list);
    }
    if (auto selection = SelectionOf(score)) out["selection"] = std::move(*selection);
    return out;
}

void WriteScoreJson(std::ostream& out, const Score& score) {
    // The text goes out in pieces of about this size: a large score's text runs to megabytes.
    constexpr std::size_t kPiece = 64 * 1024;
    std::string text = "{";
    const auto flush = [&] {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        text.clear();
    };
    const char* separator = "\n";
    const auto member = [&](const std::string& key) {
        text += separator;
        text += "  ";
        text += ojson(key).dump();
        text += ": ";
        separator = ",\n";
    };
    const ojson head = HeadOf(score);
    for (auto it = head.begin(); it != head.end(); ++it) {
        member(it.key());
        AppendNested(text, it.value(), 1);
    }
    for (const char* name : kLists) {
        std::size_t count = 0;
        ForEachListItem(score, name, [&](const ojson& item) {
            if (count++ == 0) {
                member(name);
                text += "[\n    ";
            } else {
                text += ",\n    ";
            }
            AppendNested(text, item, 2);
            if (text.size() >= kPiece) flush();
        });
        if (count != 0) {
            text += "\n  ]";
        } else if (score.listsGiven.count(name) != 0) {
            member(name);
            text += "[]";
        }
    }
    if (auto selection = SelectionOf(score)) {
        member("selection");
        AppendNested(text, *selection, 1);
    }
    text += "\n}\n";
    flush();
}

std::string ScoreToJsonText(const Score& score) {
    std::ostringstream out;
    WriteScoreJson(out, score);
    return out.str();
}

// ---- Building the document
// ---------------------------------------------------------------------------------------

void BuildDocument(const Score& score, uint32_t hostVersion) {
    StandinHost& host = Host();
    host.NewDocument();
    host.staffOrder.clear();
    host.fonts.clear();
    for (const ScoreFont& font : score.fonts) host.fonts[font.number] = font.name;

    DocumentBuilder builder(host.Doc(), hostVersion);
    builder.AddMeasures(score.measures);
    for (const ScoreStaff& staff : score.staves) builder.AddStaff(staff.id, staff.name);
    for (const ScoreStaffStyle& style : score.staffStyles) {
        builder.AddStaffStyle(style.id, style.name, style.changesInstrument);
    }
    for (const ScoreStyleAssignment& a : score.styleAssignments) {
        builder.AddStyleAssignment(a.staff, a.style, a.start.measure, a.start.position, a.end.measure,
                                   a.end.position);
    }
    for (const ScoreMultiStaffInstrument& m : score.multiStaffInstruments) {
        builder.AddMultiStaffInstrument(m.id, m.staves, m.group);
    }
    for (const ScoreGroup& g : score.groups) builder.AddGroup(g.id, g.top, g.bottom, g.startMeasure, g.name);
    for (const ScoreCategory& c : score.categories) {
        builder.AddCategory(c.id, c.id, c.name, c.font.number, c.font.size, c.font.effects);
    }
    for (const ScoreTextExpression& t : score.textExpressions) {
        builder.AddTextExpression(t.id, t.text, t.description, t.category);
    }
    for (const ScoreExpression& e : score.expressions) {
        builder.AddExpression(e.measure, e.staff, e.definition, e.shape);
        // As in the application, a measure that holds expressions says so in its flag word.
        builder.SetMeasureFlags(e.measure, builder.MeasureFlags(e.measure) | L::kMeasureHasExpressions);
    }
}

// ---- Reading the document back
// -------------------------------------------------------------------------------------

Score ReadDocument(uint32_t hostVersion, const Score& reference, DefinitionsRead definitionsRead) {
    StandinHost& host = Host();
    const Document& doc = host.Doc();
    DocumentBuilder reader(host.Doc(), hostVersion);
    const bool wide = L::WideText(hostVersion);

    Score score;
    score.hostVersion = hostVersion;
    score.hostVersionText = reference.hostVersionText;
    score.selection = reference.selection;
    score.listsGiven = reference.listsGiven;

    const auto& measures = doc.RecordsWithTag(L::kMeasureTag);
    score.measures = measures.empty() ? 0 : measures.rbegin()->first.fields[0];

    std::vector<std::pair<int16_t, ScoreFont>> fonts;
    for (const auto& [number, name] : host.fonts) {
        fonts.emplace_back(static_cast<int16_t>(number), ScoreFont{number, name});
    }
    score.fonts =
        InReferenceOrder(std::move(fonts), Ids(reference.fonts, [](const ScoreFont& f) { return f.number; }));

    for (int16_t id : host.staffOrder) {
        ScoreStaff staff;
        staff.id = id;
        if (const Bytes* record = doc.Find(L::kStaffTag, RecordKey::Other(id))) {
            staff.name = reader.ReadTextBlockText(static_cast<int16_t>(Get16(*record, L::kStaffFullNameID)));
        }
        score.staves.push_back(staff);
    }

    std::vector<std::pair<int16_t, ScoreStaffStyle>> styles;
    for (const auto& [key, data] : doc.RecordsWithTag(L::kStaffStyleTag)) {
        ScoreStaffStyle style;
        style.id = key.fields[0];
        style.name = reader.ReadTextBlockText(static_cast<int16_t>(Get16(data, L::kStyleFullNameID)));
        style.changesInstrument =
            hostVersion >= L::kVersion11 &&
            (Get16(data, L::kStyleFlags1) & L::kStyleFlags1Change) == L::kStyleFlags1Change &&
            (Get16(data, L::kStyleFlags2) & L::kStyleFlags2Change) == L::kStyleFlags2Change &&
            (Get16(data, L::kStyleFlags3) & L::kStyleFlags3Change) == L::kStyleFlags3Change;
        styles.emplace_back(style.id, style);
    }
    score.staffStyles = InReferenceOrder(
        std::move(styles), Ids(reference.staffStyles, [](const ScoreStaffStyle& s) { return s.id; }));

    std::vector<std::pair<std::pair<int16_t, int16_t>, ScoreStyleAssignment>> assignments;
    for (const auto& [key, data] : doc.RecordsWithTag(L::kStyleAssignTag)) {
        ScoreStyleAssignment a;
        a.staff = key.fields[0];
        a.inci = key.fields[1];
        a.style = static_cast<int16_t>(Get16(data, L::kAssignStyleID));
        a.start = ScorePoint{static_cast<int16_t>(Get16(data, L::kAssignStartMeasure)),
                             Get32(data, L::kAssignStartPosition)};
        a.end = ScorePoint{static_cast<int16_t>(Get16(data, L::kAssignEndMeasure)),
                           Get32(data, L::kAssignEndPosition)};
        assignments.emplace_back(std::make_pair(a.staff, a.inci), a);
    }
    score.styleAssignments = InReferenceOrder(std::move(assignments), AssignmentKeys(reference));

    std::vector<std::pair<int16_t, ScoreMultiStaffInstrument>> instruments;
    for (const auto& [key, data] : doc.RecordsWithTag(L::kMultiStaffTag)) {
        ScoreMultiStaffInstrument m;
        m.id = key.fields[0];
        for (std::size_t i = 0; i < 3; ++i) {
            const auto staff = static_cast<int16_t>(Get16(data, L::kMultiStaffStaff1 + 2 * i));
            if (staff != 0) m.staves.push_back(staff);
        }
        m.group = static_cast<int16_t>(Get16(data, L::kMultiStaffGroupID));
        instruments.emplace_back(m.id, m);
    }
    score.multiStaffInstruments = InReferenceOrder(
        std::move(instruments),
        Ids(reference.multiStaffInstruments, [](const ScoreMultiStaffInstrument& m) { return m.id; }));

    std::vector<std::pair<int16_t, ScoreGroup>> groups;
    for (const auto& [key, data] : doc.RecordsWithTag(L::kGroupTag)) {
        ScoreGroup g;
        g.id = key.fields[1];
        g.top = static_cast<int16_t>(Get16(data, L::kGroupTopStaff));
        g.bottom = static_cast<int16_t>(Get16(data, L::kGroupBottomStaff));
        g.startMeasure = static_cast<int16_t>(Get16(data, L::kGroupStartMeasure));
        g.name = reader.ReadTextBlockText(static_cast<int16_t>(Get16(data, L::kGroupFullNameID)));
        groups.emplace_back(g.id, g);
    }
    score.groups =
        InReferenceOrder(std::move(groups), Ids(reference.groups, [](const ScoreGroup& g) { return g.id; }));

    std::vector<std::pair<int16_t, ScoreCategory>> categories;
    for (const auto& [key, data] : doc.RecordsWithTag(L::kCategoryTag)) {
        ScoreCategory c;
        c.id = static_cast<int16_t>(Get16(data, L::kCategoryID));
        c.name = DecodeText(
            Bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(
                                                   std::min(data.size(), L::CategoryTextFont(hostVersion)))),
            L::kCategoryName, wide);
        const std::size_t font = L::CategoryTextFont(hostVersion);
        c.font = ScoreFontSpec{Get16(data, font), static_cast<int16_t>(Get16(data, font + 2)),
                               Get16(data, font + 4)};
        categories.emplace_back(key.fields[0], c);
    }
    score.categories = InReferenceOrder(
        std::move(categories), Ids(reference.categories, [](const ScoreCategory& c) { return c.id; }));

    std::vector<ScoreExpression> expressions;
    for (const auto& [key, data] : doc.RecordsWithTag(L::kExpressionTag)) {
        ScoreExpression e;
        e.measure = key.fields[0];
        e.inci = key.fields[1];
        e.staff = static_cast<int16_t>(Get16(data, L::kExpressionStaff));
        e.definition = Get16(data, L::kExpressionDefinitionID);
        e.shape = (Get16(data, L::kExpressionFlags) & L::kExpressionIsShape) != 0;
        expressions.push_back(e);
    }
    // Matched to the reference's by measure, staff and definition: deletions move incidents down.
    const std::vector<ExpressionMatchKey> keys = ExpressionMatchKeys(expressions);
    std::vector<std::pair<ExpressionMatchKey, ScoreExpression>> found;
    for (std::size_t i = 0; i < keys.size(); ++i) found.emplace_back(keys[i], expressions[i]);
    score.expressions = InReferenceOrder(std::move(found), ExpressionMatchKeys(reference.expressions));

    // Definitions in key order: every one, or those an expression shows.
    std::vector<int16_t> definitionIDs;
    if (definitionsRead == DefinitionsRead::All) {
        for (const auto& entry : doc.RecordsWithTag(L::kTextExpressionTag))
            definitionIDs.push_back(entry.first.fields[0]);
    } else {
        for (const ScoreExpression& e : score.expressions) {
            const auto id = static_cast<int16_t>(e.definition);
            if (!e.shape && doc.Find(L::kTextExpressionTag, RecordKey::Other(id)) != nullptr)
                definitionIDs.push_back(id);
        }
        std::sort(definitionIDs.begin(), definitionIDs.end());
        definitionIDs.erase(std::unique(definitionIDs.begin(), definitionIDs.end()), definitionIDs.end());
    }
    std::vector<std::pair<int16_t, ScoreTextExpression>> definitions;
    for (const int16_t id : definitionIDs) {
        const TextExpressionInfo info = reader.ReadTextExpression(id);
        ScoreTextExpression t;
        t.id = id;
        t.text = info.text;
        t.description = info.description;
        t.category = static_cast<int16_t>(info.categoryID);
        t.textBlock = info.textBlockID;
        definitions.emplace_back(id, t);
    }
    score.textExpressions =
        InReferenceOrder(std::move(definitions),
                         Ids(reference.textExpressions, [](const ScoreTextExpression& t) { return t.id; }));
    return score;
}

std::vector<ExpressionMatchKey> ExpressionMatchKeys(const std::vector<ScoreExpression>& expressions) {
    // The incident of each: as read, or the next of its measure in list order.
    std::map<int16_t, int16_t> nextInci;
    std::vector<std::pair<std::pair<int16_t, int16_t>, std::size_t>> byPlace;
    for (std::size_t i = 0; i < expressions.size(); ++i) {
        const ScoreExpression& e = expressions[i];
        byPlace.push_back({{e.measure, e.inci >= 0 ? e.inci : nextInci[e.measure]++}, i});
    }
    std::sort(byPlace.begin(), byPlace.end());
    std::map<std::tuple<int16_t, int16_t, uint16_t, bool>, int> seen;
    std::vector<ExpressionMatchKey> keys(expressions.size());
    for (const auto& [place, i] : byPlace) {
        const ScoreExpression& e = expressions[i];
        const int n = seen[{e.measure, e.staff, e.definition, e.shape}]++;
        keys[i] = ExpressionMatchKey{e.measure, e.staff, e.definition, e.shape, n};
    }
    return keys;
}

// ---- Files and texts
// ---------------------------------------------------------------------------------------------

bool WriteFileAtomically(const std::string& path, const std::string& content, std::string& error) {
    return WriteFileAtomically(
        path,
        [&](std::ostream& out) { out.write(content.data(), static_cast<std::streamsize>(content.size())); },
        error);
}

bool WriteFileAtomically(const std::string& path, const std::function<void(std::ostream&)>& write,
                         std::string& error) {
    namespace fs = std::filesystem;
    const fs::path target = fs::u8path(path);
    std::random_device random;
    fs::path temporary = target;
    temporary += ".tmp-" + std::to_string(random() & 0xFFFFFFu);
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "cannot create a temporary file beside " + path;
            return false;
        }
        write(out);
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            error = "cannot write " + path;
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        error = "cannot write " + path + ": " + ec.message();
        return false;
    }
    return true;
}

std::string PlainText(const std::string& tagged) {
    std::string plain;
    for (std::size_t i = 0; i < tagged.size(); ++i) {
        if (tagged[i] != '^') {
            plain += tagged[i];
        } else if (i + 1 < tagged.size() && tagged[i + 1] == '^') {
            plain += '^';
            ++i;
        } else {
            const std::size_t close = tagged.find(')', i);
            if (close == std::string::npos) {
                plain += tagged.substr(i);
                break;
            }
            i = close;
        }
    }
    return plain;
}

}  // namespace standin
