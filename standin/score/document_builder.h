// Building and reading documents by their fields, so that tests and example scores never spell record bytes.
//
// The builder writes records by the stand-in's own layouts (layouts.h) for the application version it is
// given: sizes, text encodings (UTF-16 from 0x11000000 on, 8-bit below) and field offsets. Texts are given
// and returned as UTF-8; 8-bit record texts hold one byte per character (characters above U+00FF become '?').
#ifndef MIREL_STANDIN_DOCUMENT_BUILDER_H
#define MIREL_STANDIN_DOCUMENT_BUILDER_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "standin/score/score_file.h"
#include "standin/store/document.h"

namespace standin {

// ---- Text in record encodings ----
std::u16string Utf8ToUtf16(const std::string& utf8);
std::string Utf16ToUtf8(const std::u16string& utf16);
// The text as a record holds it, with its terminator: UTF-16 LE and a zero unit, or 8-bit and a zero byte.
Bytes EncodeText(const std::string& utf8, bool wide);
// The text from `offset` up to its terminator or the end of the data, whichever comes first (an odd last
// byte of UTF-16 text is ignored).
std::string DecodeText(const Bytes& data, std::size_t offset, bool wide);

// ---- The region record handed to the invoke entry point (20 bytes) ----
// A selection and the staff lists its slots count in (0: the score's).
struct RegionSpec : ScoreSelection {
    int16_t staffListID = 0;
    int16_t endStaffListID = 0;
};
std::array<uint8_t, 20> MakeRegionRecord(const RegionSpec& region);

// ---- What the readers give back ----
struct ExpressionInfo {
    int16_t inci = 0;
    int16_t staff = 0;
    uint16_t definitionID = 0;
    uint16_t flags = 0;  // the flag word at offset 10
};

struct TextExpressionInfo {
    bool exists = false;
    std::string text;         // through the text block and the raw text of the block's kind
    std::string description;  // from offset 34
    uint16_t textBlockID = 0;
    uint16_t categoryID = 0;  // bits 0-13 of word 26
    uint16_t word10 = 0;      // the flag word
    uint16_t word26 = 0;
    std::size_t size = 0;  // the record's size in bytes
};

// An expression category record: its number, the category id, its name and the font of its texts.
struct CategorySpec {
    int16_t id = 0;
    int16_t categoryID = 0;
    std::string name;
    uint16_t fontNumber = 0;
    int16_t size = 0;
    uint16_t effects = 0;
    std::array<uint16_t, 6> defaults{};
    uint16_t trailingWord = 0;
};

class DocumentBuilder {
  public:
    DocumentBuilder(Document& document, uint32_t hostVersion);

    uint32_t HostVersion() const { return hostVersion_; }
    bool WideText() const;

    // ---- Writers ----
    // Appends `count` measures after the last one; returns the number of the last measure.
    int16_t AddMeasures(int count);
    // A raw-text record at a new item number of `tag`; returns the number.
    int16_t AddRawText(uint32_t tag, const std::string& text);
    // A raw text of the kind and a text block (the values of a new block) naming it; returns the block's
    // number.
    int16_t AddTextBlock(const std::string& text, uint16_t textKind = 0x626C);
    // A staff with its full name (tags allowed); appends the id to Host().StaffOrder() when `inScore`.
    void AddStaff(int16_t id, const std::string& fullName, bool inScore = true);
    // A staff style definition with its full name; `changesInstrument` sets the flag bits of an instrument
    // change (the old 144-byte layout has no such bits, so there it adds nothing).
    void AddStaffStyle(int16_t id, const std::string& fullName, bool changesInstrument);
    // The staff's next style assignment, from `start` to `end`; returns its incident.
    int16_t AddStyleAssignment(int16_t staff, int16_t styleID, ScorePoint start, ScorePoint end);
    // Up to three member staves.
    void AddMultiStaffInstrument(int16_t id, const std::vector<int16_t>& staves, int16_t groupID);
    // A staff group at the detail key (0, groupID).
    void AddGroup(int16_t groupID, int16_t topStaff, int16_t bottomStaff, int16_t startMeasure,
                  const std::string& fullName);
    // An expression category at record number `category.id`.
    void AddCategory(const CategorySpec& category);
    // A text expression definition at `id`: its text in a new 'txxp' raw text and a text block of kind
    // 0x7870, the description, the category id in word 26 (with the two high bits set from 0x11000000 on, as
    // the application's own assignment to a category leaves them).
    void AddTextExpression(int16_t id, const std::string& text, const std::string& description,
                           int16_t categoryID);
    // An enclosure for definition `definitionID`; sets the definition's enclosure flag when it exists.
    void AddEnclosure(int16_t definitionID, const std::array<uint8_t, 12>& bytes);
    // The measure's next expression; `shape` sets bit 0x2000 of the flag word. Returns its incident.
    int16_t AddExpression(int16_t measure, int16_t staff, uint16_t definitionID, bool shape = false);
    void SetMeasureFlags(int16_t measure, uint16_t flags);

    // ---- Readers ----
    std::vector<ExpressionInfo> ReadExpressions(int16_t measure) const;
    TextExpressionInfo ReadTextExpression(int16_t id) const;
    // The text of a text block, read from the raw text of the block's kind; empty when either is missing.
    std::string ReadTextBlockText(int16_t id) const;
    std::string ReadRawText(uint32_t tag, int16_t id) const;
    // The measure's flag word; 0 when the measure does not exist.
    uint16_t MeasureFlags(int16_t measure) const;
    bool HasMeasure(int16_t measure) const;
    std::size_t Count(uint32_t tag) const { return document_.Count(tag); }

  private:
    Document& document_;
    uint32_t hostVersion_;
};

}  // namespace standin

#endif
