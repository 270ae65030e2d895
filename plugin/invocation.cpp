#include "plugin/invocation.h"

bool RunInstrumentChangeCommand(HWND /*parent*/, const void* /*region20*/) {
    // The command's dialog and engine are not built yet: nothing is changed.
    return false;
}
