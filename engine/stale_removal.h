#ifndef MIREL_ENGINE_STALE_REMOVAL_H
#define MIREL_ENGINE_STALE_REMOVAL_H

#include <cstdint>

class FCMusicRegion;
class FCStaffStyleAssigns;

// Deletes the plug-in's expressions on `staff` in the region's measures that no longer stand where an
// instrument change begins. Per measure at most one is deleted per run: after a deletion the rest of that
// measure stays as it is. True when anything was deleted.
bool RemoveStaleChangeExpressions(const FCStaffStyleAssigns* assignments, const FCMusicRegion& region,
                                  int16_t staff);

#endif
