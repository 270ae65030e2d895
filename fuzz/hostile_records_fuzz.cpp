// Feeds the module's record classes records of any size and content, as a careless or hostile host might hand
// them over, and reads every field and text the system reads. Under AddressSanitizer this finds any read or
// write past what the host reported.
//
// Input: the first byte picks the host version, the second the staff; the rest is the record, stored under
// every tag the readers below load.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/plugin_marker.h"
#include "framework/cell.h"
#include "host/binding_cache.h"
#include "host/host_api.h"
#include "host/host_version.h"
#include "records/category_def.h"
#include "records/expression.h"
#include "records/multi_staff.h"
#include "records/raw_text.h"
#include "records/staff.h"
#include "records/staff_style.h"
#include "records/text_block.h"
#include "records/text_expression_def.h"
#include "standin/host/host.h"
#include "text/font_info.h"

namespace {

constexpr uint32_t kHostVersions[] = {0x0F000000, 0x10FFFFFF, 0x11000000, 0x11FFFFFF, 0x12050000};

// Every tag whose records the readers below load, at item 1 (and incident 0 where records have incidents).
constexpr uint32_t kTags[] = {0x534F4454, 0x534F4D43, 0x74787870, 0x7478626C, 0x534F5458, 0x534F5359,
                              0x534F4953, 0x534F4D53, 0x534F4459, 0x4F025379, 0x6F744D47, 0x6F744465};

void ReadEverything(int16_t staff) {
    FCString text;
    FCTextExpressionDef definition;
    if (definition.Load(1)) {
        definition.GetDescription(&text);
        std::unique_ptr<FCString> definitionText(definition.CreateTextString());
        std::unique_ptr<FCEnclosure> enclosure(definition.LoadEnclosure());
        definition.SetDescription(&text);
        definition.LoadedSize();
    }

    FCCategoryDef category;
    category.Load(1);
    category.GetName(&text);
    std::unique_ptr<FCFontInfo> font(category.CreateTextFontInfo());
    AssignFontTags(text, *font);
    definition.AssignToCategory(&category);

    FCTextBlock block;
    block.Load(1);
    std::unique_ptr<FCString> blockText(block.CreateTextString());
    blockText->StripFontTags();

    FCStaffStyleDef style;
    style.Load(1);
    style.ChangesInstrument();
    std::unique_ptr<FCString> styleName(style.GetFullName());

    FCStaff staffRecord;
    staffRecord.Load(1);
    std::unique_ptr<FCString> staffName(staffRecord.GetFullName());

    FCStaffStyleAssigns assignments;
    assignments.LoadAllForItem(1);

    FCMultiStaffInstruments instruments;
    instruments.LoadAll();

    FCCell cell(1, staff);
    FCExpressions expressions;
    expressions.LoadAllForCell(&cell);
    for (int32_t i = 0; i < expressions.Count(); ++i)
        IsInstrumentChangeExpression(expressions.GetExpressionAt(i));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    gHostVersion = kHostVersions[data[0] % (sizeof kHostVersions / sizeof kHostVersions[0])];
    const int16_t staff = static_cast<int16_t>(data[1] % 4);
    const standin::Bytes record(data + 2, data + size);

    standin::Host().Reset();
    host::gBindingCache = host::BindingCache();
    for (uint32_t tag : kTags) standin::Host().Doc().Put(tag, standin::RecordKey::Other(1), record);
    standin::Host().Doc().Put(0x534F4459, standin::RecordKey::Other(1, 0), record);
    standin::Host().Doc().Put(0x4F025379, standin::RecordKey::Other(1, 0), record);

    ReadEverything(staff);
    return 0;
}
