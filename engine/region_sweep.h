#ifndef MIREL_ENGINE_REGION_SWEEP_H
#define MIREL_ENGINE_REGION_SWEEP_H

#include <cstdint>

class FCMusicRegion;
struct PluginSettings;

// Walks every staff of the region: removes the plug-in's stale expressions, then marks every instrument
// change whose start lies in the region (in its start measure, named after the new instrument) and every one
// whose end lies in the region (in the measure after its end measure, named after the instrument the staff
// returns to), with the prefix and suffix of `settings`. Keeps nothing between calls and shows no message.
// True when the document was changed.
bool CreateInstrumentChangeExpressions(const FCMusicRegion& region, uint16_t categoryID,
                                       const PluginSettings& settings);

// True when (measure, position) lies in the region: measures compared as signed 16-bit numbers, positions as
// signed 32-bit numbers, all bounds inclusive.
bool RegionContainsPoint(const FCMusicRegion& region, int16_t measure, int32_t position);

#endif
