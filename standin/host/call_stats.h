// What `run --stats` tells about one invocation: the host calls the module made, by function and (for loads)
// by tag, the loads that fetched again what nothing had changed since it was last loaded, and how the
// invocation's time splits between the inside of host functions and the module's own work between them.
#ifndef MIREL_STANDIN_CALL_STATS_H
#define MIREL_STANDIN_CALL_STATS_H

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "standin/host/call_counts.h"

namespace standin {

struct HostCallStats {
    using Duration = std::chrono::steady_clock::duration;

    std::map<std::string, long, std::less<>> byFunction;  // every FX_ function called, by name
    std::map<uint32_t, long> loadsByTag;                  // FX_LoadEData, reads and size queries together
    std::map<uint32_t, long> repeatedLoadsByTag;
    long total = 0;
    // Loads of a record loaded the same way (read, or size query) among the last kRecentLoads loads, with no
    // save, create or delete since: the module could have kept what it had.
    long repeatedReads = 0;
    long repeatedSizeQueries = 0;
    Duration insideHost{};  // wall time inside host functions (the outermost, when one calls back in)
    Duration invocation{};  // wall time of the whole invocation, set by the caller
};

// Gathers HostCallStats: the loads and the time as the host functions are called; the calls by function it
// reads from the host's one count of calls (CallCounts), as they have grown since the restart.
class CallStatsRecorder {
  public:
    using Clock = std::chrono::steady_clock;
    // How far back a load is looked for among the loads since the last write: far enough for the module's
    // patterns (a record loaded again a few calls later), cheap enough to run on every load.
    static constexpr std::size_t kRecentLoads = 16;

    // Entry and exit of a host function. A host function can call back into the module (FX_Dialog runs the
    // dialog procedure, which calls other host functions): the time counts once, from the outermost entry.
    void Enter() {
        if (enabled_ && depth_++ == 0) entered_ = Clock::now();
    }
    void Leave() {
        if (enabled_ && depth_ > 0 && --depth_ == 0) stats_.insideHost += Clock::now() - entered_;
    }

    // A load of the record at (tag, key), or a size query of it.
    void Load(uint32_t tag, const std::array<int16_t, 4>& key, bool sizeQuery) {
        if (enabled_) LoadEnabled(tag, key, sizeQuery);
    }
    // A save, create or delete: what was loaded before may have changed.
    void Wrote() {
        recentCount_ = 0;  // also when not enabled: cheaper than a test
        recentNext_ = 0;
    }

    // The statistics since the restart, with the calls of the host's own functions (FX_) that `counts` has
    // gained since then.
    HostCallStats Stats(const CallCounts& counts) const;
    // Starts afresh (before an invocation) from `counts` as they stand, and records from now on when
    // `enabled`, nothing otherwise.
    void Restart(bool enabled, const CallCounts& counts);

  private:
    struct LoadKey {
        uint32_t tag = 0;
        std::array<int16_t, 4> key{};
        bool sizeQuery = false;
        bool operator==(const LoadKey& o) const {
            return tag == o.tag && key == o.key && sizeQuery == o.sizeQuery;
        }
    };

    void LoadEnabled(uint32_t tag, const std::array<int16_t, 4>& key, bool sizeQuery);

    HostCallStats stats_;
    bool enabled_ = false;
    int depth_ = 0;
    Clock::time_point entered_{};
    CallCounts::ByNameMap countsAtRestart_;
    // The last loads since the last write, as a ring.
    std::array<LoadKey, kRecentLoads> recent_{};
    std::size_t recentCount_ = 0;
    std::size_t recentNext_ = 0;
};

// A tag as its four characters ("SODY"), or in hexadecimal when one of them is not printable.
std::string TagName(uint32_t tag);

// The account `run --stats` prints for one invocation; `marks` is the number of marks it placed.
std::string FormatCallStats(const HostCallStats& stats, long marks);

}  // namespace standin

#endif
