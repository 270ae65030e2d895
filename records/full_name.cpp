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

}  // namespace records
