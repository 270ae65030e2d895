#ifndef MIREL_RECORDS_RECORD_LAYOUT_H
#define MIREL_RECORDS_RECORD_LAYOUT_H

#include <cstddef>
#include <cstdint>

#include "host/host_version.h"

namespace records {

// A record class whose layout depends on the host version keeps one table of its layouts, newest first: each
// row says from which host version on it is in force (0 for the oldest), its size, the record version the data
// calls pass, and the offsets of the fields that move. The layout in force is chosen here, at the moment of
// use, and nowhere else.
//
// The index of the first row whose host version the host has reached; the last row when none is.
template <typename Layout, std::size_t N>
std::size_t LayoutIndexInForce(const Layout (&layouts)[N]) {
    for (std::size_t i = 0; i + 1 < N; ++i) {
        if (HostVersion() >= layouts[i].fromHostVersion) return i;
    }
    return N - 1;
}

}  // namespace records

#endif
