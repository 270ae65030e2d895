#ifndef MIREL_RECORDS_TEXT_EXPRESSION_DEF_H
#define MIREL_RECORDS_TEXT_EXPRESSION_DEF_H

#include <cstdint>
#include <memory>

#include "framework/base_data.h"
#include "records/enclosure.h"
#include "records/variable_size_record.h"
#include "text/fc_string.h"

class FCCategoryDef;

// The document's record of one kind of text expression: its text (through a text block), its category with
// the settings taken from it, and a description. Little-endian; a 34-byte head followed by the description:
//   0       u16   textBlockID  item number of the text block holding the text
//   4       i16   (unknown)    meaning unknown; counts only while bit 0x2000 of the flag word is set
//   10      u16   flag word    0x0800 has an enclosure, 0x2000 offset 4 in use, 0x0400 set on creation
//   12, 14, 16, 24, 30, 32     values taken from the category
//   26      u16   category     bits 0-13 the categoryID; bits 0x4000 and 0x8000 (meaning unknown) set by
//                              AssignToCategory on UTF-16 hosts
//   34 ...  text  description  zero-terminated: UTF-16 from host version 0x11000000 on, 8-bit before
// Every other byte is zero in a new definition and otherwise kept as the host delivered it.
//
// The record has no fixed size (records/variable_size_record.h): its data area has the size the host reports,
// at least the minimum record size, released and provided anew before every load. A new definition holds a
// zeroed record of the minimum size and counts as loaded, so SaveNew can create it at once.
class FCTextExpressionDef : public records::VariableSizeRecord<FCTextExpressionDef, __FCNoInciOther> {
  public:
    static constexpr uint32_t kTag = 0x534F4454;  // 'SODT'
    static constexpr int32_t kTextBlockIDOffset = 0;
    static constexpr int32_t kUnknown4Offset = 4;
    static constexpr int32_t kFlagsOffset = 10;
    static constexpr int32_t kCategoryOffset = 26;
    static constexpr int32_t kDescriptionOffset = 34;

    static constexpr uint16_t kFlagSetOnCreation = 0x0400;
    static constexpr uint16_t kFlagHasEnclosure = 0x0800;
    static constexpr uint16_t kFlagUnknown4InUse = 0x2000;
    static constexpr uint16_t kCategoryIDMask = 0x3FFF;
    static constexpr uint16_t kCategoryUnknownBit4000 = 0x4000;
    static constexpr uint16_t kCategoryUnknownBit8000 = 0x8000;
    // CONTRACT: where the category's six definition defaults (its index 0 to 5) go in the definition: not in
    // the category's order, and the meaning of the six fields is unknown; the host reads them there. Pinned by
    // AssignToCategoryTest.TakesIdAndDefaultsByTheBitRules.
    static constexpr int32_t kCategoryDefaultTargets[] = {14, 12, 16, 24, 32, 30};

    // 38 bytes from host version 0x11000000 on, 36 before.
    static int32_t MinimumSize();

    FCTextExpressionDef();

    const char* ClassName() const override;

    std::unique_ptr<__FCBaseData> CreateInstance() const override;
    uint32_t Tag() const override;
    // 0x12050000 from host version 0x11000000 on, 0x0F000000 before.
    uint32_t RecordVersion() const override;
    // The size Save and SaveNew write: the minimum record size when the description is empty.
    int32_t LoadedSize() const override;
    void CopyDataFrom(const __FCBaseData* other) override;
    // Deletes the definition and its enclosure.
    bool DeleteData() override;
    // Load(ItemNo() + 1): definitions are walked by consecutive item numbers.
    bool LoadNext() override;
    // Copies text and enclosure, then SaveAs(itemNo).
    bool DeepSaveAs(int16_t itemNo) override;

    uint16_t GetTextBlockID() const;
    void SetTextBlockID(uint16_t textBlockID);
    uint16_t GetFlagWord() const;
    void SetFlagWord(uint16_t flags);
    // Bits 0-13 of word 26.
    uint16_t GetCategoryID() const;
    uint16_t GetCategoryWord() const;

    // The definition's text, tags included; a new string owned by the caller, empty when the text block or
    // its raw text does not load.
    std::unique_ptr<FCString> CreateTextString() const;
    // Stores the text in a new raw-text record and a new text block and points textBlockID at the block. The
    // definition itself is not saved. False for null, for a definition without a loaded record, or when the
    // host does not create a record; the raw text is then deleted again when the block could not be made.
    bool SetText(const FCString* text);
    // Copies the description into `description`; empty when there is none.
    void GetDescription(FCString* description) const;
    // Replaces the description in the data area; nothing is saved.
    void SetDescription(const FCString* description);
    // Takes the category's id and definition defaults into the record; false when the id is below 1.
    bool AssignToCategory(const FCCategoryDef* category);
    // The definition's enclosure when the flag word says it has one and it loads; owned by the caller.
    std::unique_ptr<FCEnclosure> LoadEnclosure();

  private:
    bool DescriptionIsEmpty() const;
    // Puts back offset 4 and its flag bit after a deletion the host refused, and saves.
    void RestoreUnknown4(int16_t remembered);
};

#endif
