#include "records/text_block.h"

#include <memory>
#include <utility>

#include "records/raw_text.h"

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

uint16_t FCTextBlock::GetRawTextID() const {
    return AreaU16(kRawTextIDOffset);
}

void FCTextBlock::SetRawTextID(uint16_t rawTextID) {
    SetAreaU16(kRawTextIDOffset, rawTextID);
}

uint16_t FCTextBlock::GetTextKind() const {
    return AreaU16(kTextKindOffset);
}

void FCTextBlock::SetTextKind(uint16_t textKind) {
    SetAreaU16(kTextKindOffset, textKind);
}

uint32_t FCTextBlock::RawTextTag() const {
    // Kinds are two letters and so always below 0x8000; whatever a block holds, the tag keeps 'tx' in its
    // high half.
    return kRawTextTagBase | GetTextKind();
}

std::unique_ptr<FCString> FCTextBlock::CreateTextString() const {
    std::unique_ptr<FCString> text = ReadTextString();
    return text != nullptr ? std::move(text) : std::make_unique<FCString>();
}

std::unique_ptr<FCString> FCTextBlock::ReadTextString() const {
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
