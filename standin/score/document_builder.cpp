#include "standin/score/document_builder.h"

#include <algorithm>

#include "standin/host/host.h"
#include "standin/store/layouts.h"
#include "standin/store/record_bytes.h"

namespace standin {

namespace {

namespace L = layout;

// Code points of UTF-8 text; a malformed sequence gives U+FFFD for its first byte.
std::vector<char32_t> CodePoints(const std::string& utf8) {
    std::vector<char32_t> points;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        std::size_t length = c < 0x80           ? 1
                             : (c >> 5) == 0x6  ? 2
                             : (c >> 4) == 0xE  ? 3
                             : (c >> 3) == 0x1E ? 4
                                                : 0;
        char32_t point = length == 1 ? c : length == 2 ? (c & 0x1F) : length == 3 ? (c & 0x0F) : (c & 0x07);
        bool valid = length != 0 && i + length <= utf8.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            valid = (next & 0xC0) == 0x80;
            point = (point << 6) | (next & 0x3F);
        }
        if (!valid || point > 0x10FFFF) {
            points.push_back(0xFFFD);
            ++i;
        } else {
            points.push_back(point);
            i += length;
        }
    }
    return points;
}

void AppendUtf8(std::string& out, char32_t point) {
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | (point >> 6));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        out += static_cast<char>(0xE0 | (point >> 12));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (point >> 18));
        out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

// Appends the UTF-8 of `count` UTF-16 units, `unit(i)` giving the i-th: a surrogate pair is one code point, a
// lone surrogate U+FFFD.
template <typename UnitAt>
void AppendUtf16AsUtf8(std::string& out, std::size_t count, UnitAt unit) {
    for (std::size_t i = 0; i < count; ++i) {
        char32_t point = unit(i);
        if (point >= 0xD800 && point < 0xDC00 && i + 1 < count && unit(i + 1) >= 0xDC00 &&
            unit(i + 1) < 0xE000) {
            point = 0x10000 + ((point - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
            ++i;
        } else if (point >= 0xD800 && point < 0xE000) {
            point = 0xFFFD;
        }
        AppendUtf8(out, point);
    }
}

// The text of DecodeText in units of `kUnitSize` bytes (1: 8-bit, 2: UTF-16 LE). Its length is found first,
// and whether it is all ASCII (the usual case): such a text is copied unit by unit into a string sized once.
template <std::size_t kUnitSize>
std::string DecodeUnits(const Bytes& data, std::size_t offset) {
    const auto unitAt = [&](std::size_t i) {
        const std::size_t at = offset + kUnitSize * i;
        return static_cast<char16_t>(kUnitSize == 2 ? data[at] | (data[at + 1] << 8) : data[at]);
    };
    const std::size_t room = data.size() > offset ? (data.size() - offset) / kUnitSize : 0;
    std::size_t units = 0;
    unsigned bits = 0;  // every bit set in any unit
    for (; units < room && unitAt(units) != 0; ++units) bits |= unitAt(units);
    if (bits < 0x80) {
        std::string ascii(units, '\0');
        for (std::size_t i = 0; i < units; ++i) ascii[i] = static_cast<char>(unitAt(i));
        return ascii;
    }
    std::string out;
    out.reserve(units);
    if (kUnitSize == 2) {
        AppendUtf16AsUtf8(out, units, unitAt);
    } else {
        for (std::size_t i = 0; i < units; ++i) AppendUtf8(out, unitAt(i));
    }
    return out;
}

RecordKey NewItem(const Document& document, uint32_t tag) {
    return document.NewKeyFor(tag, RecordKey::Other(-1, -1));
}

RecordKey NewIncident(const Document& document, uint32_t tag, int16_t itemNo) {
    return document.NewKeyFor(tag, RecordKey::Other(itemNo, -1));
}

}  // namespace

std::u16string Utf8ToUtf16(const std::string& utf8) {
    std::u16string out;
    for (char32_t point : CodePoints(utf8)) {
        if (point >= 0x10000) {
            point -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (point >> 10));
            out += static_cast<char16_t>(0xDC00 + (point & 0x3FF));
        } else {
            out += static_cast<char16_t>(point);
        }
    }
    return out;
}

std::string Utf16ToUtf8(const std::u16string& utf16) {
    std::string out;
    AppendUtf16AsUtf8(out, utf16.size(), [&](std::size_t i) { return utf16[i]; });
    return out;
}

Bytes EncodeText(const std::string& utf8, bool wide) {
    Bytes data;
    if (wide) {
        for (char16_t unit : Utf8ToUtf16(utf8)) {
            data.push_back(static_cast<uint8_t>(unit & 0xFF));
            data.push_back(static_cast<uint8_t>(unit >> 8));
        }
        data.push_back(0);
        data.push_back(0);
    } else {
        for (char32_t point : CodePoints(utf8))
            data.push_back(point <= 0xFF ? static_cast<uint8_t>(point) : '?');
        data.push_back(0);
    }
    return data;
}

std::string DecodeText(const Bytes& data, std::size_t offset, bool wide) {
    return wide ? DecodeUnits<2>(data, offset) : DecodeUnits<1>(data, offset);
}

std::array<uint8_t, 20> MakeRegionRecord(const RegionSpec& region) {
    Bytes data(L::kRegionSize, 0);
    Set16(data, L::kRegionStaffListID, static_cast<uint16_t>(region.staffListID));
    Set16(data, L::kRegionStartSlot, static_cast<uint16_t>(region.startSlot));
    Set16(data, L::kRegionStartMeasure, static_cast<uint16_t>(region.startMeasure));
    Set32(data, L::kRegionStartPosition, static_cast<uint32_t>(region.startPosition));
    Set16(data, L::kRegionEndStaffListID, static_cast<uint16_t>(region.endStaffListID));
    Set16(data, L::kRegionEndSlot, static_cast<uint16_t>(region.endSlot));
    Set16(data, L::kRegionEndMeasure, static_cast<uint16_t>(region.endMeasure));
    Set32(data, L::kRegionEndPosition, static_cast<uint32_t>(region.endPosition));
    std::array<uint8_t, 20> record{};
    std::copy(data.begin(), data.end(), record.begin());
    return record;
}

DocumentBuilder::DocumentBuilder(Document& document, uint32_t hostVersion)
    : document_(document), hostVersion_(hostVersion) {}

bool DocumentBuilder::WideText() const {
    return L::WideText(hostVersion_);
}

int16_t DocumentBuilder::AddMeasures(int count) {
    RecordKey key = NewItem(document_, L::kMeasureTag);
    for (int i = 0; i < count; ++i) {
        document_.Put(L::kMeasureTag, key, Bytes(L::MeasureSize(hostVersion_), 0));
        ++key.fields[0];
    }
    return static_cast<int16_t>(key.fields[0] - 1);
}

void DocumentBuilder::SetMeasureFlags(int16_t measure, uint16_t flags) {
    Bytes* record = document_.FindMutable(L::kMeasureTag, RecordKey::Other(measure));
    if (record != nullptr) Set16(*record, L::MeasureFlagsOffset(hostVersion_), flags);
}

int16_t DocumentBuilder::AddRawText(uint32_t tag, const std::string& text) {
    const RecordKey key = NewItem(document_, tag);
    document_.Put(tag, key, EncodeText(text, WideText()));
    return key.fields[0];
}

int16_t DocumentBuilder::AddTextBlock(const std::string& text, uint16_t textKind) {
    const int16_t rawText = AddRawText(L::RawTextTag(textKind), text);
    Bytes block(L::kTextBlockSize, 0);
    Set16(block, L::kTextBlockRawTextID, static_cast<uint16_t>(rawText));
    Set16(block, L::kTextBlockWord8, L::kTextBlockNewWord8);
    Set16(block, L::kTextBlockFlags, L::kTextBlockNewFlags);
    Set16(block, L::kTextBlockKind, textKind);
    const RecordKey key = NewItem(document_, L::kTextBlockTag);
    document_.Put(L::kTextBlockTag, key, std::move(block));
    return key.fields[0];
}

void DocumentBuilder::AddStaff(int16_t id, const std::string& fullName, bool inScore) {
    Bytes staff(L::StaffSize(hostVersion_), 0);
    Set16(staff, L::kStaffFullNameID, static_cast<uint16_t>(AddTextBlock(fullName, L::kBlockTextKind)));
    document_.Put(L::kStaffTag, RecordKey::Other(id), std::move(staff));
    if (inScore) Host().AppendStaff(id);
}

void DocumentBuilder::AddStaffStyle(int16_t id, const std::string& fullName, bool changesInstrument) {
    Bytes style(L::StaffStyleSize(hostVersion_), 0);
    Set16(style, L::kStyleFullNameID, static_cast<uint16_t>(AddTextBlock(fullName, L::kBlockTextKind)));
    // The flag words belong to the 292- and 296-byte layouts; the 144-byte layout has no instrument changes.
    if (changesInstrument && hostVersion_ >= L::kVersion11) {
        Set16(style, L::kStyleFlags1, L::kStyleFlags1Change);
        Set16(style, L::kStyleFlags2, L::kStyleFlags2Change);
        Set16(style, L::kStyleFlags3, L::kStyleFlags3Change);
    }
    document_.Put(L::kStaffStyleTag, RecordKey::Other(id), std::move(style));
}

int16_t DocumentBuilder::AddStyleAssignment(int16_t staff, int16_t styleID, ScorePoint start,
                                            ScorePoint end) {
    Bytes assign(L::kAssignSize, 0);
    Set16(assign, L::kAssignStyleID, static_cast<uint16_t>(styleID));
    Set16(assign, L::kAssignStartMeasure, static_cast<uint16_t>(start.measure));
    Set32(assign, L::kAssignStartPosition, static_cast<uint32_t>(start.position));
    Set16(assign, L::kAssignEndMeasure, static_cast<uint16_t>(end.measure));
    Set32(assign, L::kAssignEndPosition, static_cast<uint32_t>(end.position));
    const RecordKey key = NewIncident(document_, L::kStyleAssignTag, staff);
    document_.Put(L::kStyleAssignTag, key, std::move(assign));
    return key.fields[1];
}

void DocumentBuilder::AddMultiStaffInstrument(int16_t id, const std::vector<int16_t>& staves,
                                              int16_t groupID) {
    Bytes instrument(L::kMultiStaffSize, 0);
    for (std::size_t i = 0; i < staves.size() && i < 3; ++i) {
        Set16(instrument, L::kMultiStaffStaff1 + 2 * i, static_cast<uint16_t>(staves[i]));
    }
    Set16(instrument, L::kMultiStaffGroupID, static_cast<uint16_t>(groupID));
    document_.Put(L::kMultiStaffTag, RecordKey::Other(id), std::move(instrument));
}

void DocumentBuilder::AddGroup(int16_t groupID, int16_t topStaff, int16_t bottomStaff, int16_t startMeasure,
                               const std::string& fullName) {
    Bytes group(L::kGroupSize, 0);
    Set16(group, L::kGroupTopStaff, static_cast<uint16_t>(topStaff));
    Set16(group, L::kGroupBottomStaff, static_cast<uint16_t>(bottomStaff));
    Set16(group, L::kGroupFullNameID, static_cast<uint16_t>(AddTextBlock(fullName, L::kBlockTextKind)));
    Set16(group, L::kGroupStartMeasure, static_cast<uint16_t>(startMeasure));
    document_.Put(L::kGroupTag, RecordKey::Detail(0, groupID), std::move(group));
}

void DocumentBuilder::AddCategory(const CategorySpec& c) {
    Bytes category(L::CategorySize(hostVersion_), 0);
    Set16(category, L::kCategoryID, static_cast<uint16_t>(c.categoryID));
    // The name fills the room up to the font words, cut short there if it is longer, and keeps its
    // terminator.
    const std::size_t fontOffset = L::CategoryTextFont(hostVersion_);
    const std::size_t unit = WideText() ? 2 : 1;
    Bytes text = EncodeText(c.name, WideText());
    const std::size_t room = fontOffset - L::kCategoryName;
    if (text.size() > room) {
        text.resize(room - unit);
        text.insert(text.end(), unit, 0);
    }
    std::copy(text.begin(), text.end(), category.begin() + static_cast<std::ptrdiff_t>(L::kCategoryName));
    Set16(category, fontOffset, c.fontNumber);
    Set16(category, fontOffset + 2, static_cast<uint16_t>(c.size));
    Set16(category, fontOffset + 4, c.effects);
    for (std::size_t i = 0; i < c.defaults.size(); ++i) {
        Set16(category, L::CategoryDefaults(hostVersion_) + 2 * i, c.defaults[i]);
    }
    Set16(category, L::CategoryTrailingWord(hostVersion_), c.trailingWord);
    document_.Put(L::kCategoryTag, RecordKey::Other(c.id), std::move(category));
}

void DocumentBuilder::AddTextExpression(int16_t id, const std::string& text, const std::string& description,
                                        int16_t categoryID) {
    const Bytes describedAs = EncodeText(description, WideText());
    Bytes definition(
        std::max(L::kDefinitionDescription + describedAs.size(), L::DefinitionMinSize(hostVersion_)), 0);
    Set16(definition, L::kDefinitionTextBlockID,
          static_cast<uint16_t>(AddTextBlock(text, L::kExpressionTextKind)));
    uint16_t word26 = static_cast<uint16_t>(categoryID) & L::kDefinitionCategoryMask;
    if (WideText()) word26 |= L::kDefinitionCategoryHighBits;
    Set16(definition, L::kDefinitionCategory, word26);
    std::copy(describedAs.begin(), describedAs.end(),
              definition.begin() + static_cast<std::ptrdiff_t>(L::kDefinitionDescription));
    document_.Put(L::kTextExpressionTag, RecordKey::Other(id), std::move(definition));
}

void DocumentBuilder::AddEnclosure(int16_t definitionID, const std::array<uint8_t, 12>& bytes) {
    document_.Put(L::kEnclosureTag, RecordKey::Other(definitionID), Bytes(bytes.begin(), bytes.end()));
    Bytes* definition = document_.FindMutable(L::kTextExpressionTag, RecordKey::Other(definitionID));
    if (definition != nullptr) {
        Set16(*definition, L::kDefinitionFlags,
              static_cast<uint16_t>(Get16(*definition, L::kDefinitionFlags) | L::kDefinitionHasEnclosure));
    }
}

int16_t DocumentBuilder::AddExpression(int16_t measure, int16_t staff, uint16_t definitionID, bool shape) {
    Bytes expression(L::kExpressionSize, 0);
    Set16(expression, L::kExpressionDefinitionID, definitionID);
    Set16(expression, L::kExpressionStaff, static_cast<uint16_t>(staff));
    Set16(expression, L::kExpressionFlags, shape ? L::kExpressionIsShape : 0);
    const RecordKey key = NewIncident(document_, L::kExpressionTag, measure);
    document_.Put(L::kExpressionTag, key, std::move(expression));
    return key.fields[1];
}

std::vector<ExpressionInfo> DocumentBuilder::ReadExpressions(int16_t measure) const {
    std::vector<ExpressionInfo> found;
    auto key = document_.NextKey(L::kExpressionTag, RecordKey{{measure, INT16_MIN, INT16_MIN, INT16_MIN}});
    // Strictly after the lowest key of the measure: an incident at INT16_MIN itself is not a real one.
    for (; key && key->fields[0] == measure; key = document_.NextKey(L::kExpressionTag, *key)) {
        const Bytes& data = *document_.Find(L::kExpressionTag, *key);
        ExpressionInfo info;
        info.inci = key->fields[1];
        info.staff = static_cast<int16_t>(Get16(data, L::kExpressionStaff));
        info.definitionID = Get16(data, L::kExpressionDefinitionID);
        info.flags = Get16(data, L::kExpressionFlags);
        found.push_back(info);
    }
    return found;
}

TextExpressionInfo DocumentBuilder::ReadTextExpression(int16_t id) const {
    TextExpressionInfo info;
    const Bytes* data = document_.Find(L::kTextExpressionTag, RecordKey::Other(id));
    if (data == nullptr) return info;
    info.exists = true;
    info.size = data->size();
    info.textBlockID = Get16(*data, L::kDefinitionTextBlockID);
    info.word10 = Get16(*data, L::kDefinitionFlags);
    info.word26 = Get16(*data, L::kDefinitionCategory);
    info.categoryID = info.word26 & L::kDefinitionCategoryMask;
    info.description = DecodeText(*data, L::kDefinitionDescription, WideText());
    info.text = ReadTextBlockText(static_cast<int16_t>(info.textBlockID));
    return info;
}

std::string DocumentBuilder::ReadTextBlockText(int16_t id) const {
    const Bytes* block = document_.Find(L::kTextBlockTag, RecordKey::Other(id));
    if (block == nullptr) return {};
    return ReadRawText(L::RawTextTag(Get16(*block, L::kTextBlockKind)),
                       static_cast<int16_t>(Get16(*block, L::kTextBlockRawTextID)));
}

std::string DocumentBuilder::ReadRawText(uint32_t tag, int16_t id) const {
    const Bytes* raw = document_.Find(tag, RecordKey::Other(id));
    return raw == nullptr ? std::string() : DecodeText(*raw, 0, WideText());
}

uint16_t DocumentBuilder::MeasureFlags(int16_t measure) const {
    const Bytes* record = document_.Find(L::kMeasureTag, RecordKey::Other(measure));
    return record == nullptr ? 0 : Get16(*record, L::MeasureFlagsOffset(hostVersion_));
}

bool DocumentBuilder::HasMeasure(int16_t measure) const {
    return document_.Find(L::kMeasureTag, RecordKey::Other(measure)) != nullptr;
}

}  // namespace standin
