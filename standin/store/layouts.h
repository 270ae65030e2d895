// The application's record layouts as the stand-in keeps them: tags, sizes per application version, and the
// byte offsets of the fields the stand-in's document builder and score files write and read.
//
// These are the stand-in's own figures. The module has its own, beside its record classes; the two are kept
// apart on purpose, so that a wrong offset on either side shows up as a disagreement in the tests.
#ifndef MIREL_STANDIN_LAYOUTS_H
#define MIREL_STANDIN_LAYOUTS_H

#include <cstddef>
#include <cstdint>

namespace standin::layout {

// ---- Application versions at which layouts change ----
constexpr uint32_t kVersion10 = 0x10000000;
constexpr uint32_t kVersion11 = 0x11000000;  // texts become UTF-16; larger staff, style and category layouts
constexpr uint32_t kVersion12 = 0x12000000;  // larger measure, staff and style layouts
constexpr uint32_t kInterfaceVersion = 0x12050000;

inline bool WideText(uint32_t hostVersion) {
    return hostVersion >= kVersion11;
}

// ---- Tags ----
constexpr uint32_t Tag(char a, char b, char c, char d) {
    return (static_cast<uint32_t>(static_cast<uint8_t>(a)) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(b)) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(c)) << 8) |
           static_cast<uint32_t>(static_cast<uint8_t>(d));
}
constexpr uint32_t kMeasureTag = Tag('S', 'O', 'M', 'S');         // 0x534F4D53
constexpr uint32_t kStaffTag = Tag('S', 'O', 'I', 'S');           // 0x534F4953
constexpr uint32_t kTextExpressionTag = Tag('S', 'O', 'D', 'T');  // 0x534F4454
constexpr uint32_t kTextBlockTag = Tag('S', 'O', 'T', 'X');       // 0x534F5458
constexpr uint32_t kExpressionTag = Tag('S', 'O', 'D', 'Y');      // 0x534F4459
constexpr uint32_t kStaffStyleTag = Tag('S', 'O', 'S', 'Y');      // 0x534F5359
constexpr uint32_t kCategoryTag = Tag('S', 'O', 'M', 'C');        // 0x534F4D43
constexpr uint32_t kMultiStaffTag = Tag('o', 't', 'M', 'G');      // 0x6F744D47
constexpr uint32_t kEnclosureTag = Tag('o', 't', 'D', 'e');       // 0x6F744465
constexpr uint32_t kStyleAssignTag = Tag('O', '\x02', 'S', 'y');  // 0x4F025379
constexpr uint32_t kGroupTag = Tag('S', 'D', 'N', 'G');           // 0x53444E47
constexpr uint32_t kRawTextTagBase = Tag('t', 'x', '\0', '\0');   // 0x74780000 + text kind
constexpr uint16_t kBlockTextKind = 0x626C;                       // "bl": names of staves, styles, groups
constexpr uint16_t kExpressionTextKind = 0x7870;                  // "xp": texts of expression definitions
constexpr uint32_t kBlockRawTextTag = kRawTextTagBase | kBlockTextKind;            // txbl
constexpr uint32_t kExpressionRawTextTag = kRawTextTagBase | kExpressionTextKind;  // txxp

inline uint32_t RawTextTag(uint16_t textKind) {
    return kRawTextTagBase | textKind;
}

// Records keyed (itemNo, itemNo2, inci): the staff groups.
inline bool IsDetailTag(uint32_t tag) {
    return tag == kGroupTag;
}
// Records keyed (itemNo, inci) whose incidents are indices among the records of the item (counted from 0,
// without gaps): the expressions of a measure, the style assignments of a staff.
inline bool HasIncidents(uint32_t tag) {
    return tag == kExpressionTag || tag == kStyleAssignTag;
}

// ---- Measure (SOMS), key (measure, 0) ----
inline std::size_t MeasureSize(uint32_t v) {
    return v >= kVersion12 ? 30 : 26;
}
inline uint32_t MeasureVersion(uint32_t v) {
    return v >= kVersion12 ? 0x12000000 : 0x0A000000;
}
inline std::size_t MeasureFlagsOffset(uint32_t v) {
    return v >= kVersion12 ? 14 : 10;
}
constexpr uint16_t kMeasureHasExpressions = 0x4000;

// ---- Staff (SOIS), key (instrument id, 0) ----
inline std::size_t StaffSize(uint32_t v) {
    return v >= kVersion12 ? 136 : v >= kVersion11 ? 132 : 114;
}
inline uint32_t StaffVersion(uint32_t v) {
    return v >= kVersion12 ? 0x12000000 : v >= kVersion11 ? 0x11000000 : 0x0F000000;
}
constexpr std::size_t kStaffFullNameID = 30;

// ---- Staff style definition (SOSY), key (style number, 0) ----
inline std::size_t StaffStyleSize(uint32_t v) {
    return v >= kVersion12 ? 296 : v >= kVersion11 ? 292 : 144;
}
inline uint32_t StaffStyleVersion(uint32_t v) {
    return StaffVersion(v);
}
constexpr std::size_t kStyleFullNameID = 30;
// Flag words of the 292- and 296-byte layouts; an instrument change has all of these bits.
constexpr std::size_t kStyleFlags1 = 74;
constexpr std::size_t kStyleFlags2 = 76;
constexpr std::size_t kStyleFlags3 = 78;
constexpr uint16_t kStyleFlags1Change = 0x01C4;
constexpr uint16_t kStyleFlags2Change = 0x0003;
constexpr uint16_t kStyleFlags3Change = 0x0020;

// ---- Staff style assignment (0x4F025379), key (instrument id, inci), 24 bytes ----
constexpr std::size_t kAssignSize = 24;
constexpr std::size_t kAssignStyleID = 0;
constexpr std::size_t kAssignStartMeasure = 12;
constexpr std::size_t kAssignStartPosition = 14;  // 32-bit
constexpr std::size_t kAssignEndMeasure = 18;
constexpr std::size_t kAssignEndPosition = 20;  // 32-bit

// ---- Multi-staff instrument (otMG), key (number, 0), 12 bytes ----
constexpr std::size_t kMultiStaffSize = 12;
constexpr std::size_t kMultiStaffStaff1 = 0;  // then 2 and 4
constexpr std::size_t kMultiStaffGroupID = 6;

// ---- Staff group (SDNG), detail key (0, group id, 0), 36 bytes ----
constexpr std::size_t kGroupSize = 36;
inline uint32_t GroupVersion(uint32_t v) {
    return v < kVersion10 ? 0x09000000 : kInterfaceVersion;
}
constexpr std::size_t kGroupTopStaff = 0;
constexpr std::size_t kGroupBottomStaff = 2;
constexpr std::size_t kGroupFullNameID = 4;
constexpr std::size_t kGroupStartMeasure = 32;

// ---- Expression category (SOMC), key (record number, 0) ----
inline std::size_t CategorySize(uint32_t v) {
    return v >= kVersion11 ? 296 : 104;
}
inline uint32_t CategoryVersion(uint32_t v) {
    return v >= kVersion11 ? 0x11000000 : 0x0F000000;
}
constexpr std::size_t kCategoryID = 0;
constexpr std::size_t kCategoryName =
    2;  // zero-terminated; UTF-16 in the large layout, 8-bit in the small one
inline std::size_t CategoryTextFont(uint32_t v) {
    return v >= kVersion11 ? 260 : 68;
}  // font, size, effects
inline std::size_t CategoryDefaults(uint32_t v) {
    return v >= kVersion11 ? 278 : 86;
}  // six 16-bit values
inline std::size_t CategoryTrailingWord(uint32_t v) {
    return v >= kVersion11 ? 294 : 102;
}

// ---- Text block (SOTX), key (number, 0), 26 bytes ----
constexpr std::size_t kTextBlockSize = 26;
constexpr std::size_t kTextBlockRawTextID = 0;
constexpr std::size_t kTextBlockWord8 = 8;   // 100 in a new block
constexpr std::size_t kTextBlockFlags = 14;  // 0x1A08 in a new block
constexpr std::size_t kTextBlockKind = 24;
constexpr uint16_t kTextBlockNewWord8 = 100;
constexpr uint16_t kTextBlockNewFlags = 0x1A08;

// ---- Text expression definition (SODT), key (number, 0): a 34-byte head, then the description ----
constexpr std::size_t kDefinitionHead = 34;
inline std::size_t DefinitionMinSize(uint32_t v) {
    return v >= kVersion11 ? 38 : 36;
}
inline uint32_t DefinitionVersion(uint32_t v) {
    return v >= kVersion11 ? kInterfaceVersion : 0x0F000000;
}
constexpr std::size_t kDefinitionTextBlockID = 0;
constexpr std::size_t kDefinitionWord4 = 4;
constexpr std::size_t kDefinitionFlags = 10;
constexpr uint16_t kDefinitionHasEnclosure = 0x0800;
constexpr uint16_t kDefinitionWord4InUse = 0x2000;
constexpr uint16_t kDefinitionMadeByCreation = 0x0400;
constexpr std::size_t kDefinitionCategory = 26;  // bits 0-13 the category id
constexpr uint16_t kDefinitionCategoryMask = 0x3FFF;
constexpr uint16_t kDefinitionCategoryHighBits = 0xC000;
constexpr std::size_t kDefinitionDescription = 34;
// Where a definition takes the category's six defaults: definition offset of default i (i = 0..5, the
// category's values in their order at CategoryDefaults + 2 i).
constexpr std::size_t kDefinitionDefaultOffsets[6] = {14, 12, 16, 24, 32, 30};

// ---- Expression (SODY), key (measure, inci), 24 bytes ----
constexpr std::size_t kExpressionSize = 24;
constexpr std::size_t kExpressionDefinitionID = 0;
constexpr std::size_t kExpressionStaff = 8;
constexpr std::size_t kExpressionFlags = 10;
constexpr uint16_t kExpressionIsShape = 0x2000;
constexpr std::size_t kExpressionWord14 = 14;

// ---- Enclosure (otDe), key (definition number, 0), 12 bytes ----
constexpr std::size_t kEnclosureSize = 12;

// ---- Region record handed to the invoke entry point, 20 bytes ----
constexpr std::size_t kRegionSize = 20;
constexpr std::size_t kRegionStaffListID = 0;
constexpr std::size_t kRegionStartSlot = 2;
constexpr std::size_t kRegionStartMeasure = 4;
constexpr std::size_t kRegionStartPosition = 6;  // 32-bit
constexpr std::size_t kRegionEndStaffListID = 10;
constexpr std::size_t kRegionEndSlot = 12;
constexpr std::size_t kRegionEndMeasure = 14;
constexpr std::size_t kRegionEndPosition = 16;  // 32-bit

}  // namespace standin::layout

#endif
