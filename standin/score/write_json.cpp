// Writing a score file: the JSON text in the file's field order, laid out as the JSON library's dump(2) lays
// it out.
//
// The library makes the text of every value. Only the two outer levels are framed here as dump(2) frames them:
// the score's members and the elements of its lists, each element made a JSON value of its own, dumped and
// sent out before the next is made. So a large score is never held whole, neither as text nor as a JSON value:
// dumped whole, the value of the result of a 100 x 2000 score takes 21 MiB for its 6 MiB of text, which
// doubles the peak memory of the run that writes it.
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "standin/score/score_fields.h"
#include "standin/score/score_file.h"

namespace standin {

namespace {

using ojson = nlohmann::ordered_json;

template <typename T>
struct IsVector : std::false_type {};
template <typename T>
struct IsVector<std::vector<T>> : std::true_type {};

// The host version as the file spelled it when that still holds, else spelled anew; none when the file left
// it out and the score keeps the default.
std::optional<std::string> HostVersionText(const Score& score) {
    uint32_t spelled = 0;
    if (score.hostVersionText && ParseHostVersion(*score.hostVersionText, spelled) &&
        spelled == score.hostVersion) {
        return score.hostVersionText;
    }
    if (score.hostVersionText || score.hostVersion != kDefaultHostVersion) {
        return FormatHostVersion(score.hostVersion);
    }
    return std::nullopt;
}

// The members the file holds of a field of an item, given to `visit` as (name, value).
template <typename T, typename Field, typename Visit>
void VisitField(const T& item, const Field& field, Visit& visit) {
    visit(field.name, item.*field.member);
}

template <typename M, typename Visit>
void VisitField(const Score& score, const fields::Field<Score, M, fields::HostVersion>& field, Visit& visit) {
    if (const auto hostVersion = HostVersionText(score)) visit(field.name, *hostVersion);
}

// An empty list only when the file gave it.
template <typename M, typename Visit>
void VisitField(const Score& score, const fields::Field<Score, M, fields::List>& field, Visit& visit) {
    const M& items = score.*field.member;
    if (!items.empty() || score.listsGiven.count(field.name) != 0) visit(field.name, items);
}

template <typename T, typename M, typename Visit>
void VisitField(const T& item, const fields::Field<T, M, fields::OptionalObject>& field, Visit& visit) {
    if (const M& value = item.*field.member) visit(field.name, *value);
}

// The members of an item, in the file's order.
template <typename T, typename Visit>
void VisitMembers(const T& item, Visit visit) {
    fields::ForEachField<T>([&](const auto& field) { VisitField(item, field, visit); });
}

template <typename T>
ojson ToJson(const T& value) {
    if constexpr (IsVector<T>::value) {
        ojson list = ojson::array();
        for (const auto& element : value) list.push_back(ToJson(element));
        return list;
    } else if constexpr (std::is_class_v<T> && !std::is_same_v<T, std::string>) {
        ojson object = ojson::object();
        VisitMembers(value, [&](const char* name, const auto& member) { object[name] = ToJson(member); });
        return object;
    } else {
        return value;
    }
}

// `value` as dump(2) lays it out `depth` levels down: each line after the first indented two spaces a level.
void WriteValue(std::ostream& out, const ojson& value, std::size_t depth) {
    const std::string text = value.dump(2);
    const std::string newLine = "\n" + std::string(2 * depth, ' ');
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        out.write(text.data() + start, static_cast<std::streamsize>(end - start)) << newLine;
        start = end + 1;
    }
    out.write(text.data() + start, static_cast<std::streamsize>(text.size() - start));
}

// A member of the score: a list an element at a time, anything else whole.
template <typename T>
void WriteMember(std::ostream& out, const T& value) {
    if constexpr (IsVector<T>::value) {
        if (value.empty()) {
            out << "[]";
            return;
        }
        const char* separator = "[\n    ";
        for (const auto& element : value) {
            out << separator;
            separator = ",\n    ";
            WriteValue(out, ToJson(element), 2);
        }
        out << "\n  ]";
    } else {
        WriteValue(out, ToJson(value), 1);
    }
}

}  // namespace

void WriteScoreJson(std::ostream& out, const Score& score) {
    const char* separator = "{\n  ";
    VisitMembers(score, [&](const char* name, const auto& value) {
        out << separator << ojson(name).dump() << ": ";
        separator = ",\n  ";
        WriteMember(out, value);
    });
    // The score file always has its measures: the score is never an empty object.
    out << "\n}\n";
}

std::string ScoreToJsonText(const Score& score) {
    std::ostringstream out;
    WriteScoreJson(out, score);
    return out.str();
}

nlohmann::ordered_json ScoreToJson(const Score& score) {
    return ToJson(score);
}

}  // namespace standin
