#include "records/category_def.h"

#include <cstring>
#include <memory>
#include <vector>

#include "host/host_version.h"
#include "support/utf16le.h"

namespace {

constexpr int32_t kCategoryIDOffset = 0;
constexpr int32_t kNameOffset = 2;

}  // namespace

// ---- FCCategoryDef ----------------------------------------------------------------------------------------

void FCCategoryDef::CopyDataFrom(const __FCBaseData* other) {
    if (dynamic_cast<const FCCategoryDef*>(other) == nullptr || other == this) return;
    FixedSizeRecord::CopyDataFrom(other);
}

bool FCCategoryDef::IsSameClass(const __FCBase* other) const {
    const FCCategoryDef* category = dynamic_cast<const FCCategoryDef*>(other);
    if (category == nullptr) return false;
    if (GetCategoryID() != category->GetCategoryID()) return false;
    if (GetTrailingWord() != category->GetTrailingWord()) return false;
    FCString mine;
    FCString theirs;
    GetName(&mine);
    category->GetName(&theirs);
    return mine.Equals(&theirs);
}

int16_t FCCategoryDef::GetCategoryID() const {
    return ReadI16(kCategoryIDOffset);
}

void FCCategoryDef::GetName(FCString* name) const {
    if (name == nullptr) return;
    // The name is read inside the loaded bytes only; one without terminator ends with them.
    const int32_t bufferSize = LayoutOfData().size;
    const int32_t available = data_ == nullptr ? 0 : (loadedSize_ < bufferSize ? loadedSize_ : bufferSize);
    if (available <= kNameOffset) {
        name->AssignNarrow("");
        return;
    }
    const uint8_t* text = data_ + kNameOffset;
    const uint32_t count = static_cast<uint32_t>(available - kNameOffset);
    if (HostUsesWideText()) {
        const uint32_t units = count / 2;
        std::vector<char16_t> copy(units + 1, 0);
        utf16le::Decode(text, units, copy.data());
        name->AssignWideBounded(copy.data(), units);
    } else {
        name->AssignNarrowBounded(reinterpret_cast<const char*>(text), count);
    }
}

uint16_t FCCategoryDef::GetTextFontNumber() const {
    return ReadU16(LayoutInForce().textFont);
}

int16_t FCCategoryDef::GetTextFontSize() const {
    return ReadI16(LayoutInForce().textFont + 2);
}

uint16_t FCCategoryDef::GetTextFontEffects() const {
    return ReadU16(LayoutInForce().textFont + 4);
}

uint16_t FCCategoryDef::GetDefinitionDefault(int index) const {
    if (index < 0 || index >= kDefinitionDefaultCount) return 0;
    return ReadU16(LayoutInForce().definitionDefaults + 2 * index);
}

uint16_t FCCategoryDef::GetTrailingWord() const {
    return ReadU16(LayoutInForce().trailingWord);
}

FCFontInfo* FCCategoryDef::CreateTextFontInfo() const {
    // Held until it is handed over: running out of memory while it is named must not leak it.
    std::unique_ptr<FCFontInfo> font(new FCFontInfo());
    font->SetEffects(GetTextFontEffects());
    font->SetSize(GetTextFontSize());
    font->SetNameFromFontNumber(GetTextFontNumber());
    return font.release();
}
