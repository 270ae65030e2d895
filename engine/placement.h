#ifndef MIREL_ENGINE_PLACEMENT_H
#define MIREL_ENGINE_PLACEMENT_H

#include <cstdint>

class FCString;
struct PluginSettings;

// What writing one instrument-change mark did. Each step is true only when the steps before it succeeded.
struct MarkWrite {
    bool rewritten = false;   // the plug-in's mark already stood in the cell and was the one written
    bool textStored = false;  // the definition took the new text and description
    bool definitionNumbered =
        false;                     // the definition has a number: kept from before, or given by its creation
    bool expressionSaved = false;  // the host accepted the expression naming the definition

    // The document counts as changed once the definition has a number, whatever the expression's save
    // reported: the definition with its new text is in the document either way.
    bool Changed() const { return definitionNumbered; }
};

// Where a mark goes and what it says: the text of its definition is the chosen category's font tags, the
// prefix of `settings`, the name and the suffix, and its description is "Change to <name without tags>
// [Mirel Instrument Change]".
struct MarkRequest {
    int16_t measure;
    int16_t staff;
    uint16_t categoryID;
    const PluginSettings& settings;
};

// Writes one instrument-change mark. The plug-in's own expression already in that measure and staff is
// rewritten (its definition gets a new text and is saved again); otherwise a new definition and a new
// expression are created. `name` is the caller's; its tags are stripped in place for the description.
MarkWrite PlaceChangeExpression(const MarkRequest& request, FCString* name);

#endif
