#ifndef MIREL_PLUGIN_INVOCATION_H
#define MIREL_PLUGIN_INVOCATION_H

#include "platform/win32_subset.h"

// One run of the menu command: the category dialog, the sweep over the region, and the "No Changes" message
// when nothing changed. `region20` is the host's 20-byte region record (may be null). True when the document
// was changed.
bool RunInstrumentChangeCommand(HWND parent, const void* region20);

#endif
