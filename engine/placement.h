#ifndef MIREL_ENGINE_PLACEMENT_H
#define MIREL_ENGINE_PLACEMENT_H

#include <cstdint>

class FCString;
struct PluginSettings;

// Puts one instrument-change expression on `staff` in `measure`: a text expression whose definition's text is
// the chosen category's font tags, the prefix of `settings`, `name` and the suffix, and whose description is
// "Change to <name without tags> [Mirel Instrument Change]".
//
// The plug-in's own expression already in that measure and staff is rewritten (its definition gets a new text
// and is saved again); otherwise a new definition and a new expression are created. `name` is the caller's;
// its tags are stripped in place for the description. True when an expression now stands at the cell with the
// new definition.
bool PlaceChangeExpression(int16_t measure, int16_t staff, uint16_t categoryID, FCString* name,
                           const PluginSettings& settings);

#endif
