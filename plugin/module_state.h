#ifndef MIREL_PLUGIN_MODULE_STATE_H
#define MIREL_PLUGIN_MODULE_STATE_H

#include <cstdint>

#include "ui/plugin_settings.h"

class FCMusicRegion;
class FCString;
class FCUI;

// Module-wide state: the user settings. They live as long as the module stays loaded; nothing is stored
// outside the process. (The host version belongs to the host binding: host/host_version.h.)

// The PluginSettings of the module: constructed empty at load and destroyed at unload.
extern PluginSettings gPluginSettings;
// Its three fields under their own names.
extern FCString& gPrefixText;
extern FCString& gSuffixText;
extern FCString& gCategoryName;

// Puts the defaults "To ", ":" and "Technique Text" into the settings.
void ResetPluginSettings();

// The dialog and the engine with the module's settings handed to them.
int16_t ShowCategoryDialog(FCUI& ui);
bool CreateInstrumentChangeExpressions(const FCMusicRegion& region, uint16_t categoryID);
bool PlaceChangeExpression(int16_t measure, int16_t staff, uint16_t categoryID, FCString* name);

#endif
