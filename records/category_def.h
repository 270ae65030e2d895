#ifndef MIREL_RECORDS_CATEGORY_DEF_H
#define MIREL_RECORDS_CATEGORY_DEF_H

#include <cstdint>
#include <memory>

#include "framework/base_data.h"
#include "framework/collection.h"
#include "host/host_version.h"
#include "records/fixed_size_record.h"
#include "records/record_collection.h"
#include "text/fc_string.h"
#include "text/font_info.h"

namespace records {
struct CategoryLayout {
    uint32_t fromHostVersion;
    int32_t size;
    uint32_t recordVersion;
    int32_t textFont;
    int32_t definitionDefaults;
    int32_t trailingWord;
};
// The table below, newest first (wide, narrow).
inline constexpr CategoryLayout kCategoryLayouts[] = {
    {kHostVersion2011, 296, 0x11000000, 260, 278, 294},
    {0, 104, 0x0F000000, 68, 86, 102},
};
}  // namespace records

// An expression category: its number, its name, its text font and six values that new definitions of the
// category take over. Two little-endian layouts, chosen by the host version at the moment of use:
//
//   296 bytes (0x11000000 on)  104 bytes (before)
//   0                          0      i16      categoryID   below 1 is not a usable category
//   2                          2      text     categoryName zero-terminated; UTF-16 / 8-bit
//   260                        68     3 x u16  textFont     font number, size (signed), effects
//   278                        86     6 x u16  definitionDefaults
//   294                        102    u16      trailingWord
//
// All other bytes stay as loaded. The layout is the one in force at the moment of use; a new object holds the
// zeroed record of that layout and counts as loaded.
class FCCategoryDef : public records::FixedSizeRecord<FCCategoryDef, __FCNoInciOther, 0x534F4D43,  // 'SOMC'
                                                      records::kCategoryLayouts> {
  public:
    static constexpr char kClassName[] = "FCCategoryDef";
    static constexpr int kDefinitionDefaultCount = 6;

    FCCategoryDef() : FixedSizeRecord(NewObject::kLoaded) {}

    // Compares contents: equal categoryID, equal trailingWord, then equal names.
    bool IsSameClass(const __FCBase* other) const override;
    // DataSize bytes of the layout in force, from another category only.
    void CopyDataFrom(const __FCBaseData* other) override;

    int16_t GetCategoryID() const;
    // Replaces the string's contents with the category's name.
    void GetName(FCString* name) const;
    void GetName(FCString& name) const { GetName(&name); }
    uint16_t GetTextFontNumber() const;
    int16_t GetTextFontSize() const;
    uint16_t GetTextFontEffects() const;
    // Definition default `index` (0 to 5): the values at 278, 280, ... 288 (86 ... 96 in the older layout).
    uint16_t GetDefinitionDefault(int index) const;
    uint16_t GetTrailingWord() const;

    // A new font description of the category's text font, owned by the caller.
    std::unique_ptr<FCFontInfo> CreateTextFontInfo() const;
};

// Every expression category of the document, in the host's order from record number 1 on.
class FCCategoryDefs
    : public records::RecordCollection<FCCategoryDefs, __FCCollectionNoInciOther, FCCategoryDef> {
  public:
    static constexpr char kClassName[] = "FCCategoryDefs";

    FCCategoryDef* GetCategoryAt(int32_t index) const { return ElementAt(index); }
};

#endif
