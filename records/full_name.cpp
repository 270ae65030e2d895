#include "records/full_name.h"

#include <memory>

#include "records/text_block.h"

namespace records {

std::unique_ptr<FCString> CreateFullNameFromTextBlock(uint16_t textBlockID) {
    FCTextBlock block;
    block.Load(static_cast<int16_t>(textBlockID));
    std::unique_ptr<FCString> name = block.CreateTextString();
    name->StripFontTags();
    return name;
}

std::unique_ptr<FCString> ReadFullNameFromTextBlock(uint16_t textBlockID) {
    if (textBlockID == 0) return CreateFullNameFromTextBlock(textBlockID);
    FCTextBlock block;
    if (!block.Load(static_cast<int16_t>(textBlockID))) return nullptr;
    std::unique_ptr<FCString> name = block.ReadTextString();
    if (name != nullptr) name->StripFontTags();
    return name;
}

}  // namespace records
