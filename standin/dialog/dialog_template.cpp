// Reads the dialog statements of a resource script, as far as the module's dialogs use them:
//
//   20128 DIALOGEX 20, 40, 170, 90
//   STYLE 0x90CA00C0
//   CAPTION "Mirel Instrument Change"
//   FONT 8, "MS Sans Serif", 0, 0, 1
//   BEGIN
//       CONTROL "&Category:", 105, "Static", 0x50020000, 10, 5, 110, 8
//   END
//
// Numbers are decimal or 0x hexadecimal and may be joined with '|'; strings are in double quotes with "" for
// a quote inside.
#include "standin/dialog/dialog_template.h"

#include <cctype>
#include <cstdlib>

#include "dialog_resource.h"

namespace standin {

namespace {

std::string Trim(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(begin, end - begin);
}

// The first word of a line, upper-cased, and the rest after it.
void SplitKeyword(const std::string& line, std::string& keyword, std::string& rest) {
    std::size_t i = 0;
    while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    keyword = line.substr(0, i);
    for (char& c : keyword) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    rest = Trim(line.substr(i));
}

// Splits at commas outside quotes; each field trimmed.
bool SplitFields(const std::string& text, std::vector<std::string>& fields) {
    fields.clear();
    std::string current;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                current += "\"\"";
                ++i;
                continue;
            }
            quoted = !quoted;
            current += c;
        } else if (c == ',' && !quoted) {
            fields.push_back(Trim(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (quoted) return false;
    fields.push_back(Trim(current));
    return true;
}

bool ParseString(const std::string& field, std::string& value) {
    if (field.size() < 2 || field.front() != '"' || field.back() != '"') return false;
    value.clear();
    for (std::size_t i = 1; i + 1 < field.size(); ++i) {
        if (field[i] == '"' && i + 2 < field.size() && field[i + 1] == '"') {
            value += '"';
            ++i;
        } else {
            value += field[i];
        }
    }
    return true;
}

bool ParseSingleNumber(const std::string& text, int64_t& value) {
    const std::string t = Trim(text);
    if (t.empty()) return false;
    char* end = nullptr;
    const bool hex = t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X');
    const bool negative = !hex && t[0] == '-';
    if (hex) {
        value = static_cast<int64_t>(std::strtoull(t.c_str() + 2, &end, 16));
    } else if (negative) {
        value = std::strtoll(t.c_str(), &end, 10);
    } else {
        value = static_cast<int64_t>(std::strtoull(t.c_str(), &end, 10));
    }
    return end != nullptr && *end == '\0' && end != t.c_str() + (hex ? 2 : 0);
}

// A number, or several joined with '|'.
bool ParseNumber(const std::string& text, int64_t& value) {
    value = 0;
    std::size_t start = 0;
    bool any = false;
    while (start <= text.size()) {
        std::size_t bar = text.find('|', start);
        if (bar == std::string::npos) bar = text.size();
        int64_t part = 0;
        if (!ParseSingleNumber(text.substr(start, bar - start), part)) return false;
        value = any ? (value | part) : part;
        any = true;
        start = bar + 1;
    }
    return any;
}

bool ParseInt(const std::string& text, int32_t& value) {
    int64_t v = 0;
    if (!ParseNumber(text, v)) return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool ParseStyle(const std::string& text, uint32_t& value) {
    int64_t v = 0;
    if (!ParseNumber(text, v)) return false;
    value = static_cast<uint32_t>(v);
    return true;
}

bool ParseControl(const std::string& rest, DialogItemTemplate& item) {
    std::vector<std::string> f;
    if (!SplitFields(rest, f) || f.size() != 8) return false;
    return ParseString(f[0], item.text) && ParseInt(f[1], item.id) && ParseString(f[2], item.className) &&
           ParseStyle(f[3], item.style) && ParseInt(f[4], item.x) && ParseInt(f[5], item.y) &&
           ParseInt(f[6], item.width) && ParseInt(f[7], item.height);
}

// Splits a dialog statement, "<id> DIALOGEX x, y, width, height", into its id and numbers; false for any
// other line.
bool SplitDialogStatement(const std::string& line, std::string& idText, std::string& numbers) {
    std::string rest;
    SplitKeyword(line, idText, rest);
    std::string keyword;
    SplitKeyword(rest, keyword, numbers);
    return keyword == "DIALOGEX" || keyword == "DIALOG";
}

bool ParseHeader(const std::string& line, DialogTemplate& dialog) {
    std::string idText;
    std::string numbers;
    std::vector<std::string> f;
    if (!SplitDialogStatement(line, idText, numbers)) return false;
    if (!SplitFields(numbers, f) || f.size() < 4) return false;
    return ParseInt(idText, dialog.resourceID) && ParseInt(f[0], dialog.x) && ParseInt(f[1], dialog.y) &&
           ParseInt(f[2], dialog.width) && ParseInt(f[3], dialog.height);
}

bool IsDialogHeader(const std::string& line) {
    std::string idText;
    std::string numbers;
    return SplitDialogStatement(line, idText, numbers);
}

// Reads a resource script line by line: outside a dialog it waits for a dialog statement, then reads the
// dialog's header statements, then its CONTROL lines up to END. A line that cannot be read gives the reason.
class ScriptReader {
  public:
    // Reads one line that is neither empty nor a comment; false, with the reason in `why`, when it cannot.
    bool Read(const std::string& line, std::string& why) {
        std::string keyword;
        std::string rest;
        SplitKeyword(line, keyword, rest);
        switch (state_) {
            case State::Outside:
                if (!IsDialogHeader(line)) return true;
                current_ = DialogTemplate();
                state_ = State::Header;
                return ParseHeader(line, current_) || Fail(why, "unreadable dialog header");
            case State::Header:
                return ReadHeader(keyword, rest, why);
            case State::Body:
                return ReadBody(keyword, rest, why);
        }
        return true;
    }

    // Within a dialog that has not ended.
    bool Inside() const { return state_ != State::Outside; }
    std::vector<DialogTemplate> dialogs;

  private:
    static bool Fail(std::string& why, const std::string& reason) {
        why = reason;
        return false;
    }

    bool ReadHeader(const std::string& keyword, const std::string& rest, std::string& why) {
        if (keyword == "STYLE") return ParseStyle(rest, current_.style) || Fail(why, "unreadable STYLE");
        if (keyword == "CAPTION")
            return ParseString(rest, current_.caption) || Fail(why, "unreadable CAPTION");
        if (keyword == "FONT") {
            std::vector<std::string> f;
            return (SplitFields(rest, f) && f.size() >= 2 && ParseInt(f[0], current_.fontPointSize) &&
                    ParseString(f[1], current_.fontName)) ||
                   Fail(why, "unreadable FONT");
        }
        if (keyword == "BEGIN" || keyword == "{") {
            state_ = State::Body;
            return true;
        }
        if (keyword == "EXSTYLE" || keyword == "MENU" || keyword == "CLASS" || keyword == "LANGUAGE")
            return true;
        return Fail(why, "unexpected '" + keyword + "' in a dialog header");
    }

    bool ReadBody(const std::string& keyword, const std::string& rest, std::string& why) {
        if (keyword == "END" || keyword == "}") {
            dialogs.push_back(current_);
            state_ = State::Outside;
            return true;
        }
        if (keyword != "CONTROL")
            return Fail(why, "only CONTROL lines are read inside a dialog, not '" + keyword + "'");
        DialogItemTemplate item;
        if (!ParseControl(rest, item)) return Fail(why, "unreadable CONTROL line");
        current_.items.push_back(item);
        return true;
    }

    enum class State { Outside, Header, Body } state_ = State::Outside;
    DialogTemplate current_;
};

}  // namespace

const DialogItemTemplate* DialogTemplate::FindItem(int32_t id) const {
    for (const DialogItemTemplate& item : items) {
        if (item.id == id) return &item;
    }
    return nullptr;
}

std::optional<std::vector<DialogTemplate>> ParseDialogTemplates(const std::string& script,
                                                                std::string* error) {
    auto fail = [&](int lineNumber, const std::string& why) -> std::optional<std::vector<DialogTemplate>> {
        if (error != nullptr) *error = "line " + std::to_string(lineNumber) + ": " + why;
        return std::nullopt;
    };
    ScriptReader reader;
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < script.size()) {
        std::size_t end = script.find('\n', start);
        if (end == std::string::npos) end = script.size();
        const std::string line = Trim(script.substr(start, end - start));
        start = end + 1;
        ++lineNumber;
        if (line.empty() || line.rfind("//", 0) == 0 || line[0] == '#') continue;
        std::string why;
        if (!reader.Read(line, why)) return fail(lineNumber, why);
    }
    if (reader.Inside()) return fail(lineNumber, "dialog without END");
    return reader.dialogs;
}

const DialogTemplate* FindModuleDialog(int32_t resourceID) {
    static const std::vector<DialogTemplate> dialogs = [] {
        auto parsed = ParseDialogTemplates(DialogResourceText(), nullptr);
        return parsed ? *parsed : std::vector<DialogTemplate>();
    }();
    for (const DialogTemplate& dialog : dialogs) {
        if (dialog.resourceID == resourceID) return &dialog;
    }
    return nullptr;
}

namespace {

// a * b / c rounded to the nearest integer, halves away from zero.
int32_t MulDivRounded(int32_t a, int32_t b, int32_t c) {
    const int64_t product = static_cast<int64_t>(a) * b;
    const int64_t half = c / 2;
    return static_cast<int32_t>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

int32_t DialogUnitsToPixelsX(int32_t units) {
    return MulDivRounded(units, kDialogBaseUnitX, 4);
}
int32_t DialogUnitsToPixelsY(int32_t units) {
    return MulDivRounded(units, kDialogBaseUnitY, 8);
}

RECT DialogRectToPixels(int32_t x, int32_t y, int32_t width, int32_t height) {
    RECT r;
    r.left = DialogUnitsToPixelsX(x);
    r.top = DialogUnitsToPixelsY(y);
    r.right = DialogUnitsToPixelsX(x + width);
    r.bottom = DialogUnitsToPixelsY(y + height);
    return r;
}

}  // namespace standin
