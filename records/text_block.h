#ifndef MIREL_RECORDS_TEXT_BLOCK_H
#define MIREL_RECORDS_TEXT_BLOCK_H

#include <cstdint>
#include <memory>

#include "framework/base_data.h"
#include "records/fixed_size_record.h"
#include "text/fc_string.h"

// Describes one formatted text of the document: which raw-text record holds its characters and what kind of
// text it is. 26 bytes, little-endian:
//   0  u16  rawTextID  item number of the raw-text record
//   8  u16             100 in a new block
//   14 u16             flag word; 0x1A08 in a new block
//   24 u16  textKind   low half of the raw-text tag; 'bl' (0x626C) in a new block
// Every other byte is zero in a new block and otherwise kept as the host delivered it.
//
// A new block counts as loaded (26 bytes), so SaveNew can create it at once. The identifiers are read and
// written inside the bytes the host delivered; a block whose load failed keeps what its area held (the values
// of a new block, unless an earlier load replaced them).
class FCTextBlock : public records::FixedSizeRecord<FCTextBlock, __FCNoInciOther, 0x534F5458,  // 'SOTX'
                                                    records::kSingleLayout<26>> {
  public:
    static constexpr char kClassName[] = "FCTextBlock";
    static constexpr int32_t kRawTextIDOffset = 0;
    static constexpr int32_t kUnknown8Offset = 8;  // meaning unknown; a new block holds kNewUnknown8
    static constexpr int32_t kFlagsOffset = 14;
    static constexpr int32_t kTextKindOffset = 24;
    static constexpr uint16_t kNewUnknown8 = 100;
    static constexpr uint16_t kNewFlags = 0x1A08;

    FCTextBlock();

    // The other block's 26 bytes; loaded size 26.
    void CopyDataFrom(const __FCBaseData* other) override;
    // Deletes the block's raw text (its result is not looked at), then the block itself; answers the latter.
    bool DeleteData() override;

    uint16_t GetRawTextID() const;
    void SetRawTextID(uint16_t rawTextID);
    uint16_t GetTextKind() const;
    void SetTextKind(uint16_t textKind);
    // The tag of the block's raw text: 'tx' + textKind.
    uint32_t RawTextTag() const;

    // Reads the block's raw text; empty when the raw text does not load.
    std::unique_ptr<FCString> CreateTextString() const;
    // The same, but null when the raw text does not load.
    std::unique_ptr<FCString> ReadTextString() const;
};

#endif
