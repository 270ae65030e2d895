#include "records/text_block.h"

#include <cstring>

#include "records/raw_text.h"
#include "support/bytes.h"

FCTextBlock::FCTextBlock() {
    std::memset(record_, 0, sizeof record_);
    bytes::WriteU16(record_, kSize, kUnknown8Offset, kNewUnknown8);
    bytes::WriteU16(record_, kSize, kFlagsOffset, kNewFlags);
    bytes::WriteU16(record_, kSize, kTextKindOffset, kTextKindBlock);
    AttachLoaded(record_, kSize);
}

const char* FCTextBlock::ClassName() const {
    return "FCTextBlock";
}

uint8_t* FCTextBlock::AllocateDataArea() {
    return record_;
}

__FCBaseData* FCTextBlock::CreateInstance() const {
    return new FCTextBlock();
}

uint32_t FCTextBlock::Tag() const {
    return kTag;
}

int32_t FCTextBlock::DataSize() {
    return kSize;
}

void FCTextBlock::CopyDataFrom(const __FCBaseData* other) {
    const FCTextBlock* block = dynamic_cast<const FCTextBlock*>(other);
    if (block == nullptr || block == this) return;
    std::memcpy(record_, block->record_, sizeof record_);
    AttachLoaded(record_, kSize);
}

// Fields are read inside the bytes the host delivered; a block whose load failed keeps what its buffer held
// (the values of a new block, unless an earlier load replaced them).
uint16_t FCTextBlock::Field(int32_t offset) const {
    const int32_t bound = IsLoaded() && loadedSize_ < kSize ? loadedSize_ : kSize;
    return bytes::ReadU16(record_, static_cast<std::size_t>(bound), static_cast<std::size_t>(offset));
}

void FCTextBlock::SetField(int32_t offset, uint16_t value) {
    const int32_t bound = IsLoaded() && loadedSize_ < kSize ? loadedSize_ : kSize;
    bytes::WriteU16(record_, static_cast<std::size_t>(bound), static_cast<std::size_t>(offset), value);
}

uint16_t FCTextBlock::GetRawTextID() const {
    return Field(kRawTextIDOffset);
}

void FCTextBlock::SetRawTextID(uint16_t rawTextID) {
    SetField(kRawTextIDOffset, rawTextID);
}

uint16_t FCTextBlock::GetTextKind() const {
    return Field(kTextKindOffset);
}

void FCTextBlock::SetTextKind(uint16_t textKind) {
    SetField(kTextKindOffset, textKind);
}

uint32_t FCTextBlock::RawTextTag() const {
    // Kinds are two letters and so always below 0x8000; whatever a block holds, the tag keeps 'tx' in its
    // high half.
    return kRawTextTagBase | GetTextKind();
}

FCString* FCTextBlock::CreateTextString() const {
    FCRawText raw;
    raw.SetCustomTag(RawTextTag());
    raw.SetItemNo(static_cast<int16_t>(GetRawTextID()));
    raw.LoadAtKey();
    return raw.CreateString();
}

bool FCTextBlock::DeleteData() {
    FCRawText raw;
    raw.SetCustomTag(RawTextTag());
    raw.SetItemNo(static_cast<int16_t>(GetRawTextID()));
    raw.LoadAtKey();
    raw.DeleteRecord();
    return DeleteRecord();
}
