#include "plugin/module_state.h"

uint32_t gHostVersion = 0x12050000;

// Constructed empty at load, in this order, and destroyed at unload.
FCString gPrefixText;
FCString gSuffixText;
FCString gCategoryName;

void ResetPluginSettings() {
    gPrefixText.AssignNarrow("To ");
    gSuffixText.AssignNarrow(":");
    gCategoryName.AssignNarrow("Technique Text");
}
