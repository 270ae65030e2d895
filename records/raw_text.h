#ifndef MIREL_RECORDS_RAW_TEXT_H
#define MIREL_RECORDS_RAW_TEXT_H

#include <cstdint>
#include <memory>

#include "framework/base_data.h"
#include "records/variable_size_record.h"
#include "text/fc_string.h"

// Raw-text tags: the characters "tx" in the high half, the text kind in the low half.
constexpr uint32_t kRawTextTagBase = 0x74780000;        // 'tx' + kind
constexpr uint16_t kTextKindBlock = 0x626C;             // 'bl': default kind, instrument names
constexpr uint16_t kTextKindExpression = 0x7870;        // 'xp': text of a text expression definition
constexpr uint32_t kRawTextTagDefault = 0x7478626C;     // 'txbl'
constexpr uint32_t kRawTextTagExpression = 0x74787870;  // 'txxp'

// The characters of one formatted text of the document, tags included, with no header: UTF-16 units ending
// with a zero unit when the host version is 0x11000000 or later, 8-bit characters ending with a zero byte
// before that.
//
// The record has no fixed size (records/variable_size_record.h): its data area has the size the host reports,
// released and provided anew before every load. The key is an item number only. Reading never reaches past the
// bytes the host delivered (text/host_text.h).
class FCRawText : public records::VariableSizeRecord<FCRawText, __FCBaseData> {
  public:
    FCRawText() = default;

    // A raw text has no head: any size is a record.
    static constexpr int32_t MinimumSize() { return 0; }

    const char* ClassName() const override;

    // Raw texts are never made by a collection: null.
    std::unique_ptr<__FCBaseData> CreateInstance() const override;
    // customTag when set, otherwise 'txbl'.
    uint32_t Tag() const override;
    // The host version itself.
    uint32_t RecordVersion() const override;
    // A copy of the other raw text's loaded bytes; nothing changes when it has none.
    void CopyDataFrom(const __FCBaseData* other) override;
    // The first raw text of the tag: item 0, then the host's next record.
    bool LoadFirst() override;

    virtual void SetItemNo(int16_t itemNo);
    // True when texts are UTF-16 (host version 0x11000000 or later).
    virtual bool IsWideText() const;
    virtual int16_t ItemNo() const;

    // Replaces the data area with the text in the record's encoding and marks the record loaded with that
    // size; null does nothing.
    void SetText(const FCString* text);
    // The loaded text as a new string, owned by the caller; empty when nothing is loaded.
    std::unique_ptr<FCString> CreateString() const;
    // Creates the loaded bytes as a new record of the tag: key (-1, 0), afterwards the key the host assigned.
    // False without a host call when nothing is loaded.
    bool SaveNew();
};

#endif
