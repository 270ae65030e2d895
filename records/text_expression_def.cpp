#include "records/text_expression_def.h"

#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <vector>

#include "host/host_version.h"
#include "records/category_def.h"
#include "records/raw_text.h"
#include "records/record_layout.h"
#include "records/text_block.h"
#include "support/bytes.h"
#include "support/utf16le.h"

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
    NewArea(MinimumSize());
    loadedSize_ = AreaSize();
}

const char* FCTextExpressionDef::ClassName() const {
    return "FCTextExpressionDef";
}

void FCTextExpressionDef::FreeArea() {
    area_.Reset(0);
    data_ = nullptr;
}

uint8_t* FCTextExpressionDef::NewArea(int32_t size) {
    const int32_t minimum = MinimumSize();
    area_.Reset(static_cast<std::size_t>(size < minimum ? minimum : size));
    data_ = area_.Data();
    return data_;
}

int32_t FCTextExpressionDef::QuerySize() {
    int32_t size = 0;
    if (!QueryRecordSize(size)) return 0;
    const int32_t minimum = MinimumSize();
    return size < minimum ? minimum : size;
}

int32_t FCTextExpressionDef::AvailableSize() const {
    if (data_ == nullptr) return 0;
    return loadedSize_ < AreaSize() ? loadedSize_ : AreaSize();
}

uint8_t* FCTextExpressionDef::AllocateDataArea() {
    const int32_t size = QuerySize();
    if (size == 0) {
        FreeArea();
        loadedSize_ = 0;
        return nullptr;
    }
    NewArea(size);
    loadedSize_ = AreaSize();
    return data_;
}

void FCTextExpressionDef::ReleaseDataArea() {
    FreeArea();
    loadedSize_ = 0;
}

bool FCTextExpressionDef::IsVariableSize() const {
    return true;
}

__FCBaseData* FCTextExpressionDef::CreateInstance() const {
    return new FCTextExpressionDef();
}

uint32_t FCTextExpressionDef::Tag() const {
    return kTag;
}

uint32_t FCTextExpressionDef::RecordVersion() const {
    return LayoutInForce().recordVersion;
}

int32_t FCTextExpressionDef::DataSize() {
    const int32_t size = QuerySize();
    // Once an area is provided, the host may not be offered more than it holds.
    if (data_ != nullptr && size > AreaSize()) return AreaSize();
    return size;
}

bool FCTextExpressionDef::DescriptionIsEmpty() const {
    const int32_t available = AvailableSize();
    if (available <= kDescriptionOffset) return true;
    if (!HostUsesWideText()) return data_[kDescriptionOffset] == 0;
    // A lone byte at 34 is no unit.
    return available < kDescriptionOffset + 2 ||
           (data_[kDescriptionOffset] == 0 && data_[kDescriptionOffset + 1] == 0);
}

int32_t FCTextExpressionDef::LoadedSize() const {
    if (loadedSize_ <= 0 || data_ == nullptr) return 0;
    const int32_t size = DescriptionIsEmpty() ? MinimumSize() : loadedSize_;
    // The area always holds at least the minimum; whatever happens, a save never reads past it.
    return size < AreaSize() ? size : AreaSize();
}

void FCTextExpressionDef::CopyDataFrom(const __FCBaseData* other) {
    const FCTextExpressionDef* definition = dynamic_cast<const FCTextExpressionDef*>(other);
    if (definition == nullptr || definition == this || definition->data_ == nullptr) return;
    const int32_t count = definition->AvailableSize();
    if (count <= 0) return;
    // The area holds at least the minimum record, so the size a save writes always lies inside it.
    NewArea(count);
    std::memcpy(data_, definition->data_, static_cast<std::size_t>(count));
    loadedSize_ = count;
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

FCString* FCTextExpressionDef::CreateTextString() const {
    FCTextBlock block;
    if (!block.Load(static_cast<int16_t>(GetTextBlockID()))) return new FCString();
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
    if (data_ == nullptr || loadedSize_ < kTextBlockIDOffset + 2) return false;

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
    const int32_t available = AvailableSize();
    if (available <= kDescriptionOffset) {
        description->AssignNarrow("");
        return;
    }
    const uint8_t* text = data_ + kDescriptionOffset;
    const uint32_t count = static_cast<uint32_t>(available - kDescriptionOffset);
    if (HostUsesWideText()) {
        // Units are put together byte by byte (the bytes need not be aligned); an odd last byte is no unit.
        const uint32_t units = count / 2;
        std::vector<char16_t> copy(units + 1, 0);
        utf16le::Decode(text, units, copy.data());
        description->AssignWideBounded(copy.data(), units);
    } else {
        description->AssignNarrowBounded(reinterpret_cast<const char*>(text), count);
    }
}

void FCTextExpressionDef::SetDescription(const FCString* description) {
    if (description == nullptr) return;
    const uint32_t length = description->Length();
    const bool wide = HostUsesWideText();
    if (length > static_cast<uint32_t>((INT32_MAX - kCarriedHead) / 2)) throw std::bad_alloc();
    const int32_t size = kCarriedHead + static_cast<int32_t>(wide ? 2 * length : length);

    // The head is carried over from the current area; bytes it does not have are zero.
    uint8_t head[kCarriedHead] = {};
    if (data_ != nullptr) {
        std::memcpy(head, data_,
                    static_cast<std::size_t>(AreaSize() < kCarriedHead ? AreaSize() : kCarriedHead));
    }
    uint8_t* area = NewArea(size);
    std::memcpy(area, head, sizeof head);
    uint8_t* text = area + kDescriptionOffset;
    if (wide) {
        if (length > 0) utf16le::Encode(description->WideBuffer(), length, text);
        text[2 * length] = 0;
        text[2 * length + 1] = 0;
    } else {
        // The 8-bit copy up to its first zero byte; everything after it stays zero.
        for (uint32_t i = 0; i < length; ++i) {
            const uint8_t byte = static_cast<uint8_t>(description->CharAt(static_cast<int32_t>(i)) & 0xFF);
            if (byte == 0) break;
            text[i] = byte;
        }
        text[length] = 0;
    }
    loadedSize_ = size;
}

FCEnclosure* FCTextExpressionDef::LoadEnclosure() {
    if ((GetFlagWord() & kFlagHasEnclosure) == 0) return nullptr;
    auto enclosure = std::make_unique<FCEnclosure>();
    return enclosure->Load(ItemNo()) ? enclosure.release() : nullptr;
}

bool FCTextExpressionDef::DeleteData() {
    if (loadedSize_ == 0) return false;
    const std::unique_ptr<FCEnclosure> enclosure(LoadEnclosure());

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
    const std::unique_ptr<FCString> text(CreateTextString());
    SetText(text.get());
    const std::unique_ptr<FCEnclosure> enclosure(LoadEnclosure());
    if (enclosure != nullptr) enclosure->SaveAs(itemNo);
    return SaveAs(itemNo);
}
