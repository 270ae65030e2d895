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
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

namespace standin {

struct HostCallStats {
    using Duration = std::chrono::steady_clock::duration;

    std::map<std::string, long, std::less<>> byFunction;  // every FX_ function called, by name
    std::map<uint32_t, long> loadsByTag;                  // FX_LoadEData, reads and size queries together
    std::map<uint32_t, long> repeatedLoadsByTag;
    long total = 0;
    // Loads of a record already loaded the same way (read, or size query) with no save, create or delete
    // since: the module could have kept what it had.
    long repeatedReads = 0;
    long repeatedSizeQueries = 0;
    Duration insideHost{};  // wall time inside host functions (the outermost, when one calls back in)
    Duration invocation{};  // wall time of the whole invocation, set by the caller
};

// Gathers HostCallStats as the host functions are called.
class CallStatsRecorder {
  public:
    using Clock = std::chrono::steady_clock;

    // Entry and exit of a host function. A host function can call back into the module (FX_Dialog runs the
    // dialog procedure, which calls other host functions): the time counts once, from the outermost entry.
    void Enter() {
        if (depth_++ == 0) entered_ = Clock::now();
    }
    void Leave() {
        if (depth_ > 0 && --depth_ == 0) stats_.insideHost += Clock::now() - entered_;
    }

    // A call of `function`; only the FX_ functions (the host's own) are counted.
    void Count(std::string_view function);
    // A load of the record at (tag, key), or a size query of it.
    void Load(uint32_t tag, const std::array<int16_t, 4>& key, bool sizeQuery);
    // A save, create or delete: what was loaded before may have changed.
    void Wrote() { loaded_.clear(); }

    const HostCallStats& Stats() const { return stats_; }
    // Starts afresh (before an invocation); calls still open keep their entry time.
    void Clear();

  private:
    HostCallStats stats_;
    int depth_ = 0;
    Clock::time_point entered_{};
    std::set<std::tuple<uint32_t, std::array<int16_t, 4>, bool>> loaded_;
};

// A tag as its four characters ("SODY"), or in hexadecimal when one of them is not printable.
std::string TagName(uint32_t tag);

// The account `run --stats` prints for one invocation; `marks` is the number of marks it placed.
std::string FormatCallStats(const HostCallStats& stats, long marks);

}  // namespace standin

#endif
