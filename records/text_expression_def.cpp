#include "records/text_expression_def.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>

#include "host/host_version.h"
#include "records/category_def.h"
#include "records/raw_text.h"
#include "records/record_layout.h"
#include "records/text_block.h"
#include "text/host_text.h"

namespace {

// The two layouts, newest first: the minimum record size (the head and an empty description) and the record
// version.
struct Layout {
    uint32_t fromHostVersion;
    int32_t minimumSize;
    uint32_t recordVersion;
};
constexpr Layout kLayouts[] = {
    {kHostVersion2011, 38, 0x12050000},
    {0, 36, 0x0F000000},
};

const Layout& LayoutInForce() {
    return kLayouts[records::LayoutIndexInForce(kLayouts)];
}
static_assert(std::size(FCTextExpressionDef::kCategoryDefaultTargets) ==
                  static_cast<std::size_t>(FCCategoryDef::kDefinitionDefaultCount),
              "one place in the definition for each of the category's definition defaults");

// Head bytes that SetDescription carries over into the new area (the description then overwrites 34 and 35).
constexpr int32_t kCarriedHead = 36;

}  // namespace

int32_t FCTextExpressionDef::MinimumSize() {
    return LayoutInForce().minimumSize;
}

FCTextExpressionDef::FCTextExpressionDef() {
    ReplaceBytes(MinimumSize(), MinimumSize());
}

const char* FCTextExpressionDef::ClassName() const {
    return "FCTextExpressionDef";
}

std::unique_ptr<__FCBaseData> FCTextExpressionDef::CreateInstance() const {
    return std::make_unique<FCTextExpressionDef>();
}

uint32_t FCTextExpressionDef::Tag() const {
    return kTag;
}

uint32_t FCTextExpressionDef::RecordVersion() const {
    return LayoutInForce().recordVersion;
}

bool FCTextExpressionDef::DescriptionIsEmpty() const {
    const int32_t held = HeldSize();
    if (held <= kDescriptionOffset) return true;
    const uint8_t* data = Data();
    if (!HostUsesWideText()) return data[kDescriptionOffset] == 0;
    // A lone byte at 34 is no unit.
    return held < kDescriptionOffset + 2 ||
           (data[kDescriptionOffset] == 0 && data[kDescriptionOffset + 1] == 0);
}

int32_t FCTextExpressionDef::LoadedSize() const {
    if (HeldSize() <= 0 || Data() == nullptr) return 0;
    const int32_t size = DescriptionIsEmpty() ? MinimumSize() : HeldSize();
    // The area holds at least the minimum of the host version it was made under; whatever happens, a save
    // never reads past it.
    return std::min(size, AreaSize());
}

void FCTextExpressionDef::CopyDataFrom(const __FCBaseData* other) {
    const FCTextExpressionDef* definition = dynamic_cast<const FCTextExpressionDef*>(other);
    if (definition == nullptr || definition == this || definition->Data() == nullptr) return;
    if (definition->HeldSize() <= 0) return;
    // The area holds at least the minimum record, so the size a save writes always lies inside it.
    CopyBytesFrom(definition->Data(), definition->HeldSize());
}

uint16_t FCTextExpressionDef::GetTextBlockID() const {
    return ReadU16(kTextBlockIDOffset);
}

void FCTextExpressionDef::SetTextBlockID(uint16_t textBlockID) {
    WriteU16(kTextBlockIDOffset, textBlockID);
}

uint16_t FCTextExpressionDef::GetFlagWord() const {
    return ReadU16(kFlagsOffset);
}

void FCTextExpressionDef::SetFlagWord(uint16_t flags) {
    WriteU16(kFlagsOffset, flags);
}

uint16_t FCTextExpressionDef::GetCategoryID() const {
    return ReadU16(kCategoryOffset) & kCategoryIDMask;
}

uint16_t FCTextExpressionDef::GetCategoryWord() const {
    return ReadU16(kCategoryOffset);
}

std::unique_ptr<FCString> FCTextExpressionDef::CreateTextString() const {
    FCTextBlock block;
    if (!block.Load(static_cast<int16_t>(GetTextBlockID()))) return std::make_unique<FCString>();
    // A definition's text is always an expression text, whatever kind the block names.
    FCRawText raw;
    raw.SetCustomTag(kRawTextTagExpression);
    raw.SetItemNo(static_cast<int16_t>(block.GetRawTextID()));
    raw.LoadAtKey();
    return raw.CreateString();
}

bool FCTextExpressionDef::SetText(const FCString* text) {
    if (text == nullptr) return false;
    // Without a record there is nowhere to put the new text block's number; no records are made for nothing.
    if (Data() == nullptr || HeldSize() < kTextBlockIDOffset + 2) return false;

    FCRawText raw;
    raw.SetCustomTag(kRawTextTagExpression);
    raw.SetText(text);
    if (!raw.SaveNew()) return false;

    // A new block counts as loaded with all its 26 bytes, so SaveNew creates it as it stands.
    FCTextBlock block;
    block.SetRawTextID(static_cast<uint16_t>(raw.ItemNo()));
    block.SetTextKind(kTextKindExpression);
    if (!block.SaveNew()) {
        // The raw text made for the block goes again: nothing names it, and the text is stored whole or not
        // at all. If the host refuses the deletion too, it stays behind unnamed.
        raw.DeleteRecord();
        return false;
    }
    SetTextBlockID(static_cast<uint16_t>(block.ItemNo()));
    return true;
}

void FCTextExpressionDef::GetDescription(FCString* description) const {
    if (description == nullptr) return;
    const int32_t held = Data() != nullptr ? HeldSize() : 0;
    if (held <= kDescriptionOffset) {
        description->AssignNarrow("");
        return;
    }
    ReadHostText(Data() + kDescriptionOffset, static_cast<std::size_t>(held - kDescriptionOffset),
                 *description);
}

void FCTextExpressionDef::SetDescription(const FCString* description) {
    if (description == nullptr) return;
    const uint32_t length = description->Length();
    if (length > static_cast<uint32_t>((INT32_MAX - kCarriedHead) / 2)) throw std::bad_alloc();
    // A description of n units takes 2n bytes on UTF-16 hosts and n on older ones (its 8-bit text up to its
    // first zero byte, and zero bytes after it), behind the head and the terminator.
    const int32_t size = kCarriedHead + static_cast<int32_t>(HostUsesWideText() ? 2 * length : length);

    // The head is carried over from the current area; bytes it does not have are zero.
    uint8_t head[kCarriedHead] = {};
    const int32_t carried = std::min(AreaSize(), kCarriedHead);
    if (carried > 0) std::memcpy(head, Data(), static_cast<std::size_t>(carried));
    uint8_t* area = ReplaceBytes(size, size);
    std::memcpy(area, head, sizeof head);
    WriteHostText(*description, area + kDescriptionOffset);
}

std::unique_ptr<FCEnclosure> FCTextExpressionDef::LoadEnclosure() {
    if ((GetFlagWord() & kFlagHasEnclosure) == 0) return nullptr;
    auto enclosure = std::make_unique<FCEnclosure>();
    if (!enclosure->Load(ItemNo())) return nullptr;
    return enclosure;
}

bool FCTextExpressionDef::DeleteData() {
    if (!IsLoaded()) return false;
    const std::unique_ptr<FCEnclosure> enclosure = LoadEnclosure();

    const uint16_t flags = GetFlagWord();
    const int16_t remembered = (flags & kFlagUnknown4InUse) != 0 ? ReadI16(kUnknown4Offset) : 0;
    WriteI16(kUnknown4Offset, 0);
    SetFlagWord(flags & static_cast<uint16_t>(~kFlagUnknown4InUse));
    if (!Save()) return false;

    if (DeleteRecord()) {
        if (enclosure != nullptr) enclosure->DeleteRecord();
        return true;
    }
    // The definition stays in the document: put back what was cleared.
    RestoreUnknown4(remembered);
    return false;
}

void FCTextExpressionDef::RestoreUnknown4(int16_t remembered) {
    WriteI16(kUnknown4Offset, remembered);
    const uint16_t current = GetFlagWord();
    SetFlagWord(remembered != 0 ? static_cast<uint16_t>(current | kFlagUnknown4InUse)
                                : static_cast<uint16_t>(current & ~kFlagUnknown4InUse));
    Save();
}

bool FCTextExpressionDef::AssignToCategory(const FCCategoryDef* category) {
    if (category == nullptr) return false;
    const int16_t categoryID = category->GetCategoryID();
    if (categoryID < 1) return false;

    // CONTRACT: on UTF-16 hosts the two bits of unknown meaning are set, 0x8000 with the id and 0x4000 after
    // the defaults, and kept from the record otherwise. Pinned by SweepTest.FluteChangeWithDefaultTexts.
    const bool wide = HostUsesWideText();
    uint16_t word =
        static_cast<uint16_t>((GetCategoryWord() & (kCategoryUnknownBit4000 | kCategoryUnknownBit8000)) |
                              (static_cast<uint16_t>(categoryID) & kCategoryIDMask));
    if (wide) word |= kCategoryUnknownBit8000;
    WriteU16(kCategoryOffset, word);

    for (int i = 0; i < FCCategoryDef::kDefinitionDefaultCount; ++i) {
        WriteU16(kCategoryDefaultTargets[i], category->GetDefinitionDefault(i));
    }

    if (wide) WriteU16(kCategoryOffset, static_cast<uint16_t>(GetCategoryWord() | kCategoryUnknownBit4000));
    return true;
}

bool FCTextExpressionDef::LoadNext() {
    return Load(static_cast<int16_t>(ItemNo() + 1));
}

bool FCTextExpressionDef::DeepSaveAs(int16_t itemNo) {
    const std::unique_ptr<FCString> text = CreateTextString();
    SetText(text.get());
    const std::unique_ptr<FCEnclosure> enclosure = LoadEnclosure();
    if (enclosure != nullptr) enclosure->SaveAs(itemNo);
    return SaveAs(itemNo);
}
