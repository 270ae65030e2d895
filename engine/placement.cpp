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

// Gives `definition` the chosen category, the mark's text and its description. The definition is written
// only once its text is stored: a definition naming a text block or raw text that was never made would leave
// its expression without a text. (A definition that did not load refuses the text too.)
bool ComposeDefinition(FCTextExpressionDef* definition, const MarkRequest& request, FCString* name) {
    FCString text;
    text.AssignNarrow(kDefaultFontTags);  // kept when the chosen category is not found
    ApplyChosenCategory(definition, request.categoryID, &text);

    text.Append(&request.settings.prefixText);
    text.Append(name);
    name->StripTags();
    FCString description;
    description.AssignNarrow("Change to ");
    description.Append(name);
    description.AppendNarrow(" ");
    description.AppendNarrow(kPluginMarker);
    text.Append(&request.settings.suffixText);

    if (!definition->SetText(&text)) return false;
    definition->SetDescription(&description);
    return true;
}

// Points `expression` at the definition, drawn as text rather than as a shape.
void NameDefinition(FCExpression* expression, const FCTextExpressionDef& definition) {
    expression->SetDefinitionID(static_cast<uint16_t>(definition.ItemNo()));
    expression->SetExpressionFlags(
        static_cast<uint16_t>(expression->GetExpressionFlags() & ~FCExpression::kShapeFlag));
}

// Rewrites the plug-in's existing mark: its definition takes the new text and is saved again, and the
// expression is saved pointing at it. An existing definition keeps its number whatever its save reports.
MarkWrite RewriteMark(FCExpression* existing, FCTextExpressionDef* definition, const MarkRequest& request,
                      FCString* name) {
    MarkWrite write;
    write.rewritten = true;
    write.textStored = ComposeDefinition(definition, request, name);
    if (!write.textStored) return write;
    definition->Save();
    write.definitionNumbered = definition->ItemNo() != 0;
    if (!write.definitionNumbered) return write;
    NameDefinition(existing, *definition);
    write.expressionSaved = existing->Save();
    return write;
}

// Places a new mark in the cell: a new definition with the text, then a new expression naming it. The
// definition has a number only if its creation succeeded.
MarkWrite PlaceNewMark(const FCCell& cell, const MarkRequest& request, FCString* name) {
    FCTextExpressionDef definition;
    MarkWrite write;
    write.textStored = ComposeDefinition(&definition, request, name);
    if (!write.textStored) return write;
    write.definitionNumbered = definition.SaveNew();
    if (!write.definitionNumbered) return write;
    FCExpression expression;
    NameDefinition(&expression, definition);
    write.expressionSaved = expression.SaveNewToCell(&cell);
    return write;
}

}  // namespace

MarkWrite PlaceChangeExpression(const MarkRequest& request, FCString* name) {
    FCCell cell(request.measure, request.staff);
    FCExpressions expressions;
    expressions.LoadAllForCell(&cell);
    FCExpression* existing = FindPluginExpression(expressions);
    const std::unique_ptr<FCTextExpressionDef> existingDefinition(
        existing ? existing->CreateTextExpressionDef() : nullptr);
    if (existingDefinition != nullptr) return RewriteMark(existing, existingDefinition.get(), request, name);
    return PlaceNewMark(cell, request, name);
}
