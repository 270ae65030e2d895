#ifndef MIREL_RECORDS_FULL_NAME_H
#define MIREL_RECORDS_FULL_NAME_H

#include <cstdint>
#include <memory>

#include "text/fc_string.h"

namespace records {

// The instrument name held by the text block `textBlockID`: the block is loaded (a failed load is not looked
// at), its text read, and the font, size and effect tags removed; other tags stay. Staves, staff styles and
// staff groups all name their instrument this way. The caller owns the new string.
std::unique_ptr<FCString> CreateFullNameFromTextBlock(uint16_t textBlockID);

// The same name, or null when it cannot be read: the text block, or its raw text, does not load. Block 0
// names nothing, and gives the name that CreateFullNameFromTextBlock gives for it.
std::unique_ptr<FCString> ReadFullNameFromTextBlock(uint16_t textBlockID);

}  // namespace records

#endif
