#include "engine/placement.h"

#include <memory>

#include "engine/plugin_marker.h"
#include "framework/cell.h"
#include "records/category_def.h"
#include "records/expression.h"
#include "records/text_expression_def.h"
#include "text/font_info.h"
#include "ui/plugin_settings.h"

namespace {

// Walks the categories from record 1 on and applies every one whose id is the chosen one: the definition
// takes over its id and defaults, and the text starts with its font tags.
// CONTRACT: category 1 is compared even when it does not load; its fields then read as zero (an id of 0,
// which no chosen category has). No test pins it on its own.
void ApplyChosenCategory(FCTextExpressionDef* definition, uint16_t categoryID, FCString* text) {
    FCCategoryDef category;
    category.Load(1);
    do {
        if (static_cast<uint16_t>(category.GetCategoryID()) != categoryID) continue;
        definition->AssignToCategory(&category);
        definition->SetFlagWord(definition->GetFlagWord() | FCTextExpressionDef::kFlagSetOnCreation);
        std::unique_ptr<FCFontInfo> font(category.CreateTextFontInfo());
        AssignFontTags(*text, *font);
    } while (category.LoadNext());
}

// The first of the cell's expressions that the plug-in wrote, or null. The collection keeps ownership.
FCExpression* FindPluginExpression(const FCExpressions& expressions) {
    for (int32_t i = 0; i < expressions.Count(); ++i) {
        FCExpression* expression = expressions.GetExpressionAt(i);
        if (expression != nullptr && IsInstrumentChangeExpression(expression)) return expression;
    }
    return nullptr;
}

}  // namespace

bool PlaceChangeExpression(int16_t measure, int16_t staff, uint16_t categoryID, FCString* name,
                           const PluginSettings& settings) {
    FCExpression newExpression;
    FCTextExpressionDef newDefinition;
    FCString text;
    FCString description;

    FCCell cell(measure, staff);
    FCExpressions expressions;
    expressions.LoadAllForCell(&cell);
    FCExpression* existing = FindPluginExpression(expressions);
    std::unique_ptr<FCTextExpressionDef> existingDefinition(existing ? existing->CreateTextExpressionDef()
                                                                     : nullptr);
    const bool reuse = existingDefinition != nullptr;

    FCExpression* expression = reuse ? existing : &newExpression;
    FCTextExpressionDef* definition = reuse ? existingDefinition.get() : &newDefinition;

    text.AssignNarrow(kDefaultFontTags);  // kept when the chosen category is not found
    ApplyChosenCategory(definition, categoryID, &text);

    text.Append(&settings.prefixText);
    text.Append(name);
    name->StripTags();
    description.AssignNarrow("Change to ");
    description.Append(name);
    description.AppendNarrow(" ");
    description.AppendNarrow(kPluginMarker);
    text.Append(&settings.suffixText);

    // The definition is written only once its text is stored: a definition naming a text block or raw text
    // that was never made would leave its expression without a text. A new mark is then not placed; an
    // existing one keeps the text it had. (A definition that did not load refuses the text too.)
    if (!definition->SetText(&text)) return false;
    definition->SetDescription(&description);

    // A reused definition keeps its number whatever its save reports; a new one has one only if it was
    // created.
    const bool saved = reuse ? definition->Save() : definition->SaveNew();
    const bool hasNumber = reuse ? definition->ItemNo() != 0 : saved;
    if (!hasNumber) return false;

    expression->SetDefinitionID(static_cast<uint16_t>(definition->ItemNo()));
    expression->SetExpressionFlags(
        static_cast<uint16_t>(expression->GetExpressionFlags() & ~FCExpression::kShapeFlag));
    if (reuse) {
        expression->Save();
    } else {
        expression->SaveNewToCell(&cell);
    }
    return true;
}
