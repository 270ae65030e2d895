// Writing a score file: the JSON text in the file's field order, laid out as dump(2) lays it out, written
// field by field straight into the text and sent out in pieces, so that a large score is never held whole,
// neither as text nor as a JSON value.
//
// Why not the JSON library's own dump, which gives the same bytes: for the 6 MiB result of a 100 x 2000 score
// (the largest the benchmark runs), the score made one JSON value and dumped whole takes 21 MiB more, doubling
// the run's peak memory; made and dumped an element of its lists at a time, the memory stays, but writing takes
// 540 million instructions where this writer takes 100 million: 28% more for the whole run, 36% more for the
// cancelled run that the benchmark takes as its floor (counted with callgrind).
#include <charconv>
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

// JSON text with the layout of dump(2, ' ', false): a member or element per line, each level indented by two
// more spaces, an empty object or array as "{}" or "[]". Objects are written field by field as their
// table lists them; the text goes to `out` whenever a list element brings it to a piece's size.
class JsonWriter {
  public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}

    // A member `key` (written as is: the keys are plain names) with its value.
    template <typename T>
    void Field(const char* key, const T& value) {
        NextLine();
        text_ += '"';
        text_ += key;
        text_ += "\": ";
        Value(value);
    }

    template <typename T>
    void Value(const T& value) {
        if constexpr (std::is_same_v<T, bool>) {
            text_ += value ? "true" : "false";
        } else if constexpr (std::is_integral_v<T>) {
            char digits[24];
            const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
            text_.append(digits, end);
        } else if constexpr (std::is_same_v<T, std::string>) {
            String(value);
        } else if constexpr (IsVector<T>::value) {
            Open('[');
            for (const auto& element : value) {
                NextLine();
                Value(element);
                if (text_.size() >= kPiece) Flush();
            }
            Close(']');
        } else {
            Open('{');
            WriteFields(*this, value);
            Close('}');
        }
    }

    void EndLine() { text_ += '\n'; }

    void Flush() {
        out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
        text_.clear();
    }

  private:
    // The text goes out in pieces of about this size: a large score's text runs to megabytes.
    static constexpr std::size_t kPiece = 64 * 1024;

    void Open(char bracket) {
        text_ += bracket;
        ++depth_;
        empty_ = true;
    }
    // Whatever was open around this container has at least this one member or element: it is not empty.
    void Close(char bracket) {
        --depth_;
        if (!empty_) {
            text_ += '\n';
            Indent();
        }
        text_ += bracket;
        empty_ = false;
    }
    // Starts the next member or element of the innermost open container on a line of its own.
    void NextLine() {
        text_ += empty_ ? "\n" : ",\n";
        empty_ = false;
        Indent();
    }
    void Indent() { text_.append(2 * depth_, ' '); }

    // Most texts need no escaping and go in as they are; the library escapes the others, and refuses invalid
    // UTF-8, exactly as its dump of the whole document would.
    void String(const std::string& s) {
        for (const char c : s) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte >= 0x80 || c == '"' || c == '\\') {
                text_ += ojson(s).dump();
                return;
            }
        }
        text_ += '"';
        text_ += s;
        text_ += '"';
    }

    std::ostream& out_;
    std::string text_;
    std::size_t depth_ = 0;
    bool empty_ = true;  // the innermost open container has no member or element yet
};

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

template <typename T, typename Field>
void WriteField(JsonWriter& w, const T& item, const Field& field) {
    w.Field(field.name, item.*field.member);
}

template <typename M>
void WriteField(JsonWriter& w, const Score& score,
                const fields::Field<Score, M, fields::HostVersion>& field) {
    if (const auto hostVersion = HostVersionText(score)) w.Field(field.name, *hostVersion);
}

// An empty list only when the file gave it.
template <typename M>
void WriteField(JsonWriter& w, const Score& score, const fields::Field<Score, M, fields::List>& field) {
    const M& items = score.*field.member;
    if (!items.empty() || score.listsGiven.count(field.name) != 0) w.Field(field.name, items);
}

template <typename T, typename M>
void WriteField(JsonWriter& w, const T& item, const fields::Field<T, M, fields::OptionalObject>& field) {
    if (const M& value = item.*field.member) w.Field(field.name, *value);
}

// The fields of an item, in the file's order.
template <typename T>
void WriteFields(JsonWriter& w, const T& item) {
    fields::ForEachField<T>([&](const auto& field) { WriteField(w, item, field); });
}

}  // namespace

void WriteScoreJson(std::ostream& out, const Score& score) {
    JsonWriter writer(out);
    writer.Value(score);
    writer.EndLine();
    writer.Flush();
}

std::string ScoreToJsonText(const Score& score) {
    std::ostringstream out;
    WriteScoreJson(out, score);
    return out.str();
}

nlohmann::ordered_json ScoreToJson(const Score& score) {
    return ojson::parse(ScoreToJsonText(score));
}

}  // namespace standin
