#ifndef MIREL_UI_PLUGIN_SETTINGS_H
#define MIREL_UI_PLUGIN_SETTINGS_H

#include "text/fc_string.h"

// The user's three choices: the prefix and suffix around the instrument name, and the name of the category
// the dialog preselects. The plug-in layer owns the one instance and hands it to the dialog, which shows and
// stores it, and to the engine, which writes with it. Constructed empty, in this order.
struct PluginSettings {
    FCString prefixText;
    FCString suffixText;
    FCString categoryName;
};

#endif
