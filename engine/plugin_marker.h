#ifndef MIREL_ENGINE_PLUGIN_MARKER_H
#define MIREL_ENGINE_PLUGIN_MARKER_H

#include "text/fc_string.h"

class FCExpression;

// Every text expression definition the plug-in writes carries this marker in its description; later runs
// recognise their own expressions by it.
constexpr const char* kPluginMarker = "[Mirel Instrument Change]";

// True when the text holds the marker (case-sensitive, at any position).
bool ContainsPluginMarker(const FCString* text);

// True when the expression is one of the plug-in's: not a shape expression, and its definition's description
// holds the marker.
bool IsInstrumentChangeExpression(const FCExpression* expression);

#endif
