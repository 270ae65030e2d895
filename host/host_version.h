#ifndef MIREL_HOST_HOST_VERSION_H
#define MIREL_HOST_HOST_VERSION_H

#include <cstdint>

// The host's version number as passed to FinaleExtensionVersion; 0x12050000 until the host reports its own.
// Every layer reads it at the moment of use (record layouts, 8-bit or UTF-16 texts); nothing caches it.
extern uint32_t gHostVersion;

// The thresholds at which record layouts and text encodings change: the one place they are written.
constexpr uint32_t kHostVersion2010 = 0x10000000;
constexpr uint32_t kHostVersion2011 = 0x11000000;  // UTF-16 texts and dialog functions from here on
constexpr uint32_t kHostVersion2012 = 0x12000000;

inline uint32_t HostVersion() {
    return gHostVersion;
}
inline bool HostUsesWideText() {
    return gHostVersion >= kHostVersion2011;
}

#endif
