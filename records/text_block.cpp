#include "records/text_block.h"

#include "records/raw_text.h"
#include "support/bytes.h"

FCTextBlock::FCTextBlock() : FixedSizeRecord(NewObject::kLoaded) {
    WriteU16(kUnknown8Offset, kNewUnknown8);
    WriteU16(kFlagsOffset, kNewFlags);
    WriteU16(kTextKindOffset, kTextKindBlock);
}

void FCTextBlock::CopyDataFrom(const __FCBaseData* other) {
    const FCTextBlock* block = dynamic_cast<const FCTextBlock*>(other);
    if (block == nullptr || block == this) return;
    CopyWholeRecordFrom(*block);
}

// Fields are read inside the bytes the host delivered; a block whose load failed keeps what its buffer held
// (the values of a new block, unless an earlier load replaced them).
int32_t FCTextBlock::FieldBound() const {
    const int32_t size = LayoutInForce().size;
    return IsLoaded() && loadedSize_ < size ? loadedSize_ : size;
}

uint16_t FCTextBlock::Field(int32_t offset) const {
    return bytes::ReadU16(AreaInForce(), static_cast<std::size_t>(FieldBound()),
                          static_cast<std::size_t>(offset));
}

void FCTextBlock::SetField(int32_t offset, uint16_t value) {
    bytes::WriteU16(AreaInForce(), static_cast<std::size_t>(FieldBound()), static_cast<std::size_t>(offset),
                    value);
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
    FCString* text = ReadTextString();
    return text != nullptr ? text : new FCString();
}

FCString* FCTextBlock::ReadTextString() const {
    FCRawText raw;
    raw.SetCustomTag(RawTextTag());
    raw.SetItemNo(static_cast<int16_t>(GetRawTextID()));
    if (!raw.LoadAtKey()) return nullptr;
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
