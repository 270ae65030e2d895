// Reading a score file: the JSON is checked whole, with duplicate keys refused, before any of it becomes a
// Score, so that a fault is reported at its JSON location and nothing is built from a faulty file. What each
// object must hold comes from the fields' tables.
#include <array>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>
#include <type_traits>
#include <utility>

#include "standin/score/document_builder.h"
#include "standin/score/score_fields.h"
#include "standin/score/score_file.h"
#include "standin/store/layouts.h"
#include "standin/store/record_bytes.h"

namespace standin {

namespace {

namespace L = layout;
using json = nlohmann::json;
using fields::kInt32Max;

// ---- JSON locations ----

// The JSON pointer of member `key`, or element `index`, of the value at `pointer`.
std::string At(const std::string& pointer, const std::string& key) {
    return pointer + (json::json_pointer() / key).to_string();
}
std::string At(const std::string& pointer, std::size_t index) {
    return pointer + (json::json_pointer() / index).to_string();
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

// An object with exactly the fields of T's table, of which the required ones must be there.
template <typename T>
void CheckObject(const json& value, const std::string& pointer) {
    if (!value.is_object()) Fail(pointer, std::string("expected an object, found ") + TypeName(value));
    fields::ForEachField<T>([&](const auto& field) {
        if (Required(field.rule) && !value.contains(field.name))
            Fail(pointer, std::string("missing field \"") + field.name + "\"");
    });
    for (auto it = value.begin(); it != value.end(); ++it) {
        bool known = false;
        fields::ForEachField<T>([&](const auto& field) { known = known || it.key() == field.name; });
        if (!known) Fail(At(pointer, it.key()), "unknown field \"" + it.key() + "\"");
    }
}

int64_t Integer(const json& object, const std::string& pointer, const char* name, int64_t min, int64_t max) {
    const json& value = object.at(name);
    int64_t number = 0;
    if (value.is_number_unsigned()) {
        const uint64_t u = value.get<uint64_t>();
        number = u > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())
                     ? std::numeric_limits<int64_t>::max()
                     : static_cast<int64_t>(u);
    } else if (value.is_number_integer()) {
        number = value.get<int64_t>();
    } else {
        Fail(At(pointer, name), std::string("expected a whole number, found ") + TypeName(value));
    }
    if (number < min || number > max) {
        Fail(At(pointer, name), std::string(name) + " " + std::to_string(number) + " is out of range (" +
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

// Checks JSON and reads it into a score, one object at a time as the fields' tables describe them. Keeps what
// the checks of later items refer to: the ids each list has given, and the multi-staff instrument of each staff.
class ScoreReader {
  public:
    explicit ScoreReader(Score& score) : score_(score) {}

    // Reads `value`, the JSON at `pointer`, into `item`: the fields in their order, the late ones last.
    template <typename T>
    void ReadObject(const json& value, const std::string& pointer, T& item) {
        CheckObject<T>(value, pointer);
        fields::ForEachField<T>([&](const auto& field) {
            if (!IsLate(field.rule)) Read(value, pointer, item, field);
        });
        fields::ForEachField<T>([&](const auto& field) {
            if (IsLate(field.rule)) Read(value, pointer, item, field);
        });
    }

  private:
    template <typename Item>
    std::map<int64_t, std::string>& IdsOf() {
        return ids_[fields::ListIndex<Item>()];
    }

    // Fails at `pointer`/`key` unless the list of Item has the id. The location is made only for a fault: a
    // long list makes many checks.
    template <typename Item, typename Key>
    void CheckKnown(int64_t id, const std::string& pointer, const Key& key, bool zeroMeansNone) {
        if (IdsOf<Item>().count(id) != 0) return;
        Fail(At(pointer, key), std::string("unknown ") + fields::IdName<Item>() + " " + std::to_string(id) +
                                   " (not in /" + fields::ListName<Item>() +
                                   (zeroMeansNone ? "; 0 means none)" : ")"));
    }

    template <typename T, typename M>
    void Read(const json& object, const std::string& pointer, T& item,
              const fields::Field<T, M, fields::Whole>& field) {
        item.*field.member =
            static_cast<M>(Integer(object, pointer, field.name, field.rule.min, field.rule.max));
    }

    template <typename T, typename M>
    void Read(const json& object, const std::string& pointer, T& item,
              const fields::Field<T, M, fields::Id>& field) {
        const int64_t id = Integer(object, pointer, field.name, field.rule.min, field.rule.max);
        const std::string where = At(pointer, field.name);
        auto [it, added] = IdsOf<T>().emplace(id, where);
        if (!added) {
            Fail(where, std::string("duplicate ") + field.rule.what + " " + std::to_string(id) +
                            " (first at " + it->second + ")");
        }
        item.*field.member = static_cast<M>(id);
    }

    template <typename T, typename M, typename Item>
    void Read(const json& object, const std::string& pointer, T& item,
              const fields::Field<T, M, fields::Ref<Item>>& field) {
        const int64_t id = Integer(object, pointer, field.name, field.rule.min, field.rule.max);
        if (!field.rule.zeroMeansNone || id != 0)
            CheckKnown<Item>(id, pointer, field.name, field.rule.zeroMeansNone);
        item.*field.member = static_cast<M>(id);
    }

    // The flag is read first: it decides whether the id must be known, and its own fault comes before the id's.
    template <typename T, typename M, typename Item>
    void Read(const json& object, const std::string& pointer, T& item,
              const fields::Field<T, M, fields::RefUnless<Item, T>>& field) {
        const bool unless = Boolean(object, pointer, fields::NameOf(field.rule.unless));
        const int64_t id = Integer(object, pointer, field.name, field.rule.min, field.rule.max);
        if (!unless) CheckKnown<Item>(id, pointer, field.name, false);
        item.*field.member = static_cast<M>(id);
    }

    template <typename T, typename M>
    void Read(const json& object, const std::string& pointer, T& item,
              const fields::Field<T, M, fields::MeasureNumber>& field) {
        item.*field.member = Measure(object, pointer, field.name, score_.measures);
    }

    template <typename T, typename M>
    void Read(const json& object, const std::string& pointer, T& item,
              const fields::Field<T, M, fields::Slot>& field) {
        if (score_.staves.empty()) Fail(pointer, "a selection needs staves to select");
        const auto slots = static_cast<int64_t>(score_.staves.size());
        item.*field.member = static_cast<M>(Integer(object, pointer, field.name, 1, slots));
    }

    template <typename T, typename M>
    void Read(const json& object, const std::string& pointer, T& item,
              const fields::Field<T, M, fields::Text>& field) {
        item.*field.member = String(object, pointer, field.name);
        if (field.rule.whenEmpty != nullptr && (item.*field.member).empty())
            Fail(At(pointer, field.name), field.rule.whenEmpty);
    }

    template <typename T, typename M>
    void Read(const json& object, const std::string& pointer, T& item,
              const fields::Field<T, M, fields::Flag>& field) {
        item.*field.member = Boolean(object, pointer, field.name);
    }

    template <typename T, typename M>
    void Read(const json& object, const std::string& pointer, T& item,
              const fields::Field<T, M, fields::Object>& field) {
        ReadObject(object.at(field.name), At(pointer, field.name), item.*field.member);
    }

    template <typename T, typename M>
    void Read(const json& object, const std::string& pointer, T& item,
              const fields::Field<T, M, fields::EndPoint<T>>& field) {
        const std::string where = At(pointer, field.name);
        ReadObject(object.at(field.name), where, item.*field.member);
        const ScorePoint& start = item.*field.rule.start;
        const ScorePoint& end = item.*field.member;
        if (std::make_pair(end.measure, end.position) < std::make_pair(start.measure, start.position))
            Fail(where, "the assignment ends before it starts");
    }

    template <typename T, typename M>
    void Read(const json& object, const std::string& pointer, T& item,
              const fields::Field<T, M, fields::StaffMembers>& field) {
        const json& members = object.at(field.name);
        const std::string membersAt = At(pointer, field.name);
        if (!members.is_array() || members.empty() || members.size() > 3) {
            Fail(membersAt, "expected an array of one to three staff ids");
        }
        for (std::size_t i = 0; i < members.size(); ++i) {
            const std::string memberAt = At(membersAt, i);
            if (!members[i].is_number_integer()) Fail(memberAt, "expected a staff id");
            const int64_t id = members[i].get<int64_t>();
            CheckKnown<ScoreStaff>(id, membersAt, i, false);
            auto [it, added] = memberOf_.emplace(static_cast<int16_t>(id), memberAt);
            if (!added)
                Fail(memberAt, "staff " + std::to_string(id) + " is already a member at " + it->second);
            (item.*field.member).push_back(static_cast<int16_t>(id));
        }
    }

    template <typename M>
    void Read(const json& object, const std::string& pointer, Score& item,
              const fields::Field<Score, M, fields::HostVersion>& field) {
        if (!object.contains(field.name)) return;
        const json& value = object.at(field.name);
        if (!value.is_string() || !ParseHostVersion(value.get<std::string>(), item.hostVersion)) {
            Fail(At(pointer, field.name),
                 "malformed host version " + value.dump() +
                     ": expected \"0x\" and one to eight hexadecimal digits, as in \"0x12050000\"");
        }
        item.*field.member = value.get<std::string>();
    }

    template <typename M>
    void Read(const json& object, const std::string& pointer, Score& item,
              const fields::Field<Score, M, fields::List>& field) {
        if (!object.contains(field.name)) return;
        item.listsGiven.insert(field.name);
        const json& list = object.at(field.name);
        const std::string listAt = At(pointer, field.name);
        if (!list.is_array()) Fail(listAt, std::string("expected an array, found ") + TypeName(list));
        for (std::size_t i = 0; i < list.size(); ++i) {
            typename M::value_type element;
            ReadObject(list[i], At(listAt, i), element);
            (item.*field.member).push_back(std::move(element));
        }
    }

    template <typename T, typename M>
    void Read(const json& object, const std::string& pointer, T& item,
              const fields::Field<T, M, fields::OptionalObject>& field) {
        if (!object.contains(field.name)) return;
        typename M::value_type value;
        ReadObject(object.at(field.name), At(pointer, field.name), value);
        item.*field.member = value;
    }

    Score& score_;
    std::array<std::map<int64_t, std::string>, fields::kScoreFieldCount> ids_;
    std::map<int16_t, std::string> memberOf_;
};

}  // namespace

Score ScoreFromJson(const json& document) {
    Score score;
    ScoreReader(score).ReadObject(document, "", score);
    CheckForHostVersion(score, score.hostVersion);
    return score;
}

namespace {

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

// Calls `visit` with every record text of the score's lists and its JSON location, in the file's order.
template <typename Visit>
void ForEachRecordText(const Score& score, Visit visit) {
    fields::ForEachField<Score>([&](const auto& list) {
        if constexpr (std::is_same_v<std::decay_t<decltype(list.rule)>, fields::List>) {
            const auto& items = score.*list.member;
            using Item = typename std::decay_t<decltype(items)>::value_type;
            for (std::size_t i = 0; i < items.size(); ++i) {
                fields::ForEachField<Item>([&](const auto& field) {
                    if constexpr (std::is_same_v<std::decay_t<decltype(field.rule)>, fields::Text>) {
                        if (field.rule.recordText)
                            visit(items[i].*field.member, At(At(At("", list.name), i), field.name));
                    }
                });
            }
        }
    });
}

// The JSON location of the field `member` of item `i` of the score's list `list`.
template <typename Item, typename M>
std::string ItemFieldAt(std::vector<Item> Score::*list, std::size_t i, M Item::*member) {
    return At(At(At("", fields::NameOf(list)), i), fields::NameOf(member));
}

}  // namespace

void CheckForHostVersion(const Score& score, uint32_t hostVersion) {
    const bool wide = L::WideText(hostVersion);
    const std::size_t nameRoom = L::CategoryTextFont(hostVersion) - L::kCategoryName;
    for (std::size_t i = 0; i < score.categories.size(); ++i) {
        CheckTextFits(score.categories[i].name, nameRoom, wide,
                      ItemFieldAt(&Score::categories, i, &ScoreCategory::name), "the category name");
    }
    if (hostVersion < L::kVersion11) {
        for (std::size_t i = 0; i < score.staffStyles.size(); ++i) {
            if (score.staffStyles[i].changesInstrument) {
                Fail(ItemFieldAt(&Score::staffStyles, i, &ScoreStaffStyle::changesInstrument),
                     "a staff style cannot change the instrument with host version " +
                         FormatHostVersion(hostVersion) +
                         ": its record layout has no instrument-change flags before 0x11000000");
            }
        }
    }
    if (!wide) {
        ForEachRecordText(score, [&](const std::string& text, const std::string& pointer) {
            CheckEightBitText(text, pointer, hostVersion);
        });
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
