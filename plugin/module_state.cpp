#include "plugin/module_state.h"

#include "engine/placement.h"
#include "engine/region_sweep.h"
#include "ui/category_dialog.h"

PluginSettings gPluginSettings;
FCString& gPrefixText = gPluginSettings.prefixText;
FCString& gSuffixText = gPluginSettings.suffixText;
FCString& gCategoryName = gPluginSettings.categoryName;

void ResetPluginSettings() {
    gPluginSettings.prefixText.AssignNarrow("To ");
    gPluginSettings.suffixText.AssignNarrow(":");
    gPluginSettings.categoryName.AssignNarrow("Technique Text");
}

int16_t ShowCategoryDialog(FCUI& ui) {
    return ShowCategoryDialog(ui, gPluginSettings);
}

bool CreateInstrumentChangeExpressions(const FCMusicRegion& region, uint16_t categoryID) {
    return CreateInstrumentChangeExpressions(region, categoryID, gPluginSettings);
}

bool PlaceChangeExpression(int16_t measure, int16_t staff, uint16_t categoryID, FCString* name) {
    return PlaceChangeExpression(measure, staff, categoryID, name, gPluginSettings);
}
