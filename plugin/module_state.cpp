#include "plugin/module_state.h"

PluginSettings gPluginSettings;

void ResetPluginSettings() {
    gPluginSettings.prefixText.AssignNarrow("To ");
    gPluginSettings.suffixText.AssignNarrow(":");
    gPluginSettings.categoryName.AssignNarrow("Technique Text");
}
