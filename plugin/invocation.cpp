#include "plugin/invocation.h"

#include "engine/region_sweep.h"
#include "framework/music_region.h"
#include "plugin/module_state.h"
#include "ui/category_dialog.h"
#include "ui/fc_ui.h"

bool RunInstrumentChangeCommand(HWND parent, const void* region20) {
    FCUI ui(parent);
    FCMusicRegion region(region20);

    // The user picks the category, prefix and suffix; cancelling ends the run without a word.
    const uint16_t categoryID = static_cast<uint16_t>(ShowCategoryDialog(ui, gPluginSettings));
    if (categoryID == 0) return false;

    if (CreateInstrumentChangeExpressions(region, categoryID, gPluginSettings)) return true;
    ShowNoChangesMessage(ui);
    return false;
}
