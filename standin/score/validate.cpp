// Reading a score file: the JSON is checked whole, with duplicate keys refused, before any of it becomes a
// Score, so that a fault is reported at its JSON location and nothing is built from a faulty file.
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <map>
#include <sstream>
#include <utility>

#include "standin/score/document_builder.h"
#include "standin/score/score_file.h"
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

// Builds the document from the library's parser events, as its own parser would, and refuses an object key
// given twice (the library would keep the last one silently). Every event costs constant time: the library's
// filtering parser, which offers the same check through a callback, looks through the enclosing list again
// at the end of every object, and that made reading a large score grow with the square of its lists.
class StrictDomBuilder : public nlohmann::json_sax<json> {
  public:
    explicit StrictDomBuilder(json& root) : root_(root) {}

    // The library's message when the text is not valid JSON (also for numbers beyond a double's range).
    const std::string& SyntaxError() const { return syntaxError_; }

    bool null() override { return Put(json(nullptr)); }
    bool boolean(bool value) override { return Put(json(value)); }
    bool number_integer(number_integer_t value) override { return Put(json(value)); }
    bool number_unsigned(number_unsigned_t value) override { return Put(json(value)); }
    bool number_float(number_float_t value, const string_t& /*text*/) override { return Put(json(value)); }
    bool string(string_t& value) override { return Put(json(std::move(value))); }
    bool binary(binary_t& value) override { return Put(json::binary(std::move(value))); }

    bool start_object(std::size_t /*elements*/) override { return Open(json::object()); }
    bool start_array(std::size_t /*elements*/) override { return Open(json::array()); }
    bool end_object() override { return Close(); }
    bool end_array() override { return Close(); }

    bool key(string_t& key) override {
        Frame& frame = open_.back();
        if (frame.value->contains(key)) Fail(At(PointerOfOpen(), key), "duplicate key \"" + key + "\"");
        frame.key = std::move(key);
        return true;
    }

    bool parse_error(std::size_t /*position*/, const std::string& /*lastToken*/,
                     const nlohmann::detail::exception& error) override {
        syntaxError_ = error.what();
        return false;
    }

  private:
    struct Frame {
        json* value;      // an open object or array
        std::string key;  // in an object, the key of the value that comes next
    };

    // Puts a finished value where it goes: the root, the next element of the open array, or the open
    // object's member under its key. Answers where it now stands.
    json* Place(json value) {
        if (open_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        json& container = *open_.back().value;
        if (container.is_array()) {
            container.push_back(std::move(value));
            return &container.back();
        }
        json& member = container[open_.back().key];
        member = std::move(value);
        return &member;
    }
    bool Put(json value) {
        Place(std::move(value));
        return true;
    }
    bool Open(json empty) {
        open_.push_back(Frame{Place(std::move(empty)), {}});
        return true;
    }
    bool Close() {
        open_.pop_back();
        return true;
    }

    // The JSON pointer of the innermost open object or array.
    std::string PointerOfOpen() const {
        std::string pointer;
        for (std::size_t i = 0; i + 1 < open_.size(); ++i) {
            const json& container = *open_[i].value;
            pointer = container.is_object() ? At(pointer, open_[i].key) : At(pointer, container.size() - 1);
        }
        return pointer;
    }

    json& root_;
    std::vector<Frame> open_;
    std::string syntaxError_;
};

}  // namespace

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
std::string LibraryMessage(std::string message) {
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
        StrictDomBuilder builder(document);
        if (!json::sax_parse(content, &builder)) {
            throw ScoreFileError(name + ": not valid JSON: " + LibraryMessage(builder.SyntaxError()));
        }
    } catch (const ScoreError& e) {
        throw AtLocation(name, e);
    }
    try {
        return ScoreFromJson(document);
    } catch (const ScoreError& e) {
        throw AtLocation(name, e);
    }
}

}  // namespace standin
