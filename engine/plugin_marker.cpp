#include "engine/plugin_marker.h"

#include <memory>

#include "records/expression.h"
#include "records/text_expression_def.h"

bool ContainsPluginMarker(const FCString* text) {
    if (text == nullptr) return false;
    const FCString marker(kPluginMarker);
    return text->Contains(&marker);
}

bool IsInstrumentChangeExpression(const FCExpression* expression) {
    if (expression->IsShape()) return false;
    FCString description;
    {
        std::unique_ptr<FCTextExpressionDef> definition(expression->CreateTextExpressionDef());
        if (definition) definition->GetDescription(&description);
    }
    return ContainsPluginMarker(&description);
}
