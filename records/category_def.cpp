#include "records/category_def.h"

#include "text/host_text.h"

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
    const int32_t held = HeldSize();
    if (held <= kNameOffset) {
        name->AssignNarrow("");
        return;
    }
    ReadHostText(Data() + kNameOffset, static_cast<std::size_t>(held - kNameOffset), *name);
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

std::unique_ptr<FCFontInfo> FCCategoryDef::CreateTextFontInfo() const {
    auto font = std::make_unique<FCFontInfo>();
    font->SetEffects(GetTextFontEffects());
    font->SetSize(GetTextFontSize());
    font->SetNameFromFontNumber(GetTextFontNumber());
    return font;
}
