#ifndef MIREL_PLUGIN_MODULE_STATE_H
#define MIREL_PLUGIN_MODULE_STATE_H

#include "ui/plugin_settings.h"

// Module-wide state: the user settings. They live as long as the module stays loaded; nothing is stored
// outside the process. (The host version belongs to the host binding: host/host_version.h.)

// The PluginSettings of the module: constructed empty at load and destroyed at unload. The invocation hands
// it to the dialog and to the engine.
extern PluginSettings gPluginSettings;

// Puts the defaults "To ", ":" and "Technique Text" into the settings.
void ResetPluginSettings();

#endif
