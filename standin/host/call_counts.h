#ifndef MIREL_STANDIN_CALL_COUNTS_H
#define MIREL_STANDIN_CALL_COUNTS_H

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace standin {

// The one count of the calls the module makes into the stand-in host: every function it answers (the host's
// FX_ functions, the kernel look-ups, the window functions) by name, since the host was last reset, whether
// the call log is on or off. The call statistics and the fault plan's budget read their numbers from here.
class CallCounts {
  public:
    using ByNameMap = std::map<std::string, int, std::less<>>;

    CallCounts() = default;
    // A copy has the counts but none of the recent names, whose counters live in the original's map.
    CallCounts(const CallCounts& other) : byName_(other.byName_), dataCalls_(other.dataCalls_) {}
    CallCounts& operator=(const CallCounts& other) {
        byName_ = other.byName_;
        dataCalls_ = other.dataCalls_;
        recent_ = {};
        return *this;
    }

    // Counts a call of `function`, the string literal of the calling function: the counters of the last few
    // names are found again by the literal's address, without comparing names, since the module makes over
    // a million calls on a large score.
    void Count(const char* function) {
        for (const Recent& recent : recent_) {
            if (recent.name == function) {
                ++*recent.counter;
                if (recent.dataCall) ++dataCalls_;
                return;
            }
        }
        CountByName(function);
    }

    // The calls of `function` so far.
    int Of(std::string_view function) const;
    const ByNameMap& ByName() const { return byName_; }
    // The calls of the five record data functions together, kept as they come: the fault plan asks for it
    // on every data call.
    long DataCalls() const { return dataCalls_; }

  private:
    struct Recent {
        const char* name = nullptr;
        int* counter = nullptr;  // in byName_
        bool dataCall = false;
    };
    void CountByName(const char* function);

    ByNameMap byName_;
    long dataCalls_ = 0;
    std::array<Recent, 4> recent_{};
    std::size_t nextRecent_ = 0;
};

}  // namespace standin

#endif
