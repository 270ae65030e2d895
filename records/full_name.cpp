#include "records/full_name.h"

#include "text/text_block.h"

namespace records {

FCString* CreateFullNameFromTextBlock(uint16_t textBlockID) {
    FCTextBlock block;
    block.Load(static_cast<int16_t>(textBlockID));
    FCString* name = block.CreateTextString();
    name->StripFontTags();
    return name;
}

}  // namespace records
