#include "standin/host/call_stats.h"

#include <cstdio>
#include <sstream>
#include <tuple>

namespace standin {

namespace {

double Milliseconds(HostCallStats::Duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

std::string Fixed(double value, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string PadRight(std::string text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

}  // namespace

HostCallStats CallStatsRecorder::Stats(const CallCounts& counts) const {
    HostCallStats stats = stats_;
    if (!enabled_) return stats;
    for (const auto& [function, count] : counts.ByName()) {
        if (function.compare(0, 3, "FX_") != 0) continue;
        auto before = countsAtRestart_.find(function);
        const long calls = count - (before == countsAtRestart_.end() ? 0 : before->second);
        if (calls == 0) continue;
        stats.byFunction.emplace(function, calls);
        stats.total += calls;
    }
    return stats;
}

void CallStatsRecorder::LoadEnabled(uint32_t tag, const std::array<int16_t, 4>& key, bool sizeQuery) {
    ++stats_.loadsByTag[tag];
    const LoadKey load{tag, key, sizeQuery};
    for (std::size_t i = 0; i < recentCount_; ++i) {
        if (recent_[i] == load) {
            ++stats_.repeatedLoadsByTag[tag];
            ++(sizeQuery ? stats_.repeatedSizeQueries : stats_.repeatedReads);
            return;
        }
    }
    recent_[recentNext_] = load;
    recentNext_ = (recentNext_ + 1) % kRecentLoads;
    if (recentCount_ < kRecentLoads) ++recentCount_;
}

void CallStatsRecorder::Restart(bool enabled, const CallCounts& counts) {
    enabled_ = enabled;
    depth_ = 0;
    stats_ = HostCallStats();
    countsAtRestart_ = enabled ? counts.ByName() : CallCounts::ByNameMap();
    Wrote();
}

std::string TagName(uint32_t tag) {
    std::string name;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<char>((tag >> shift) & 0xFF);
        if (c < 0x20 || c > 0x7E) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(tag));
            return hex;
        }
        name += c;
    }
    return name;
}

std::string FormatCallStats(const HostCallStats& stats, long marks) {
    std::ostringstream out;
    out << "Host calls: " << stats.total << " in all, ";
    if (marks > 0) {
        out << Fixed(static_cast<double>(stats.total) / static_cast<double>(marks), 2) << " per mark placed ("
            << marks << (marks == 1 ? " mark)\n" : " marks)\n");
    } else {
        out << "no mark placed\n";
    }
    for (const auto& [function, count] : stats.byFunction) {
        out << "  " << PadRight(function, 28) << count << "\n";
        if (function != "FX_LoadEData") continue;
        for (const auto& [tag, loads] : stats.loadsByTag) {
            out << "    " << PadRight(TagName(tag), 26) << loads;
            auto repeated = stats.repeatedLoadsByTag.find(tag);
            if (repeated != stats.repeatedLoadsByTag.end()) out << " (" << repeated->second << " repeated)";
            out << "\n";
        }
    }
    out << "Loaded again with nothing written in between: " << stats.repeatedReads << " reads, "
        << stats.repeatedSizeQueries << " size queries\n";
    const double all = Milliseconds(stats.invocation);
    const double inside = Milliseconds(stats.insideHost);
    out << "Time: " << Fixed(all, 1) << " ms in the invocation: " << Fixed(inside, 1)
        << " ms inside host functions, " << Fixed(all - inside, 1) << " ms in the module between them\n";
    return out.str();
}

}  // namespace standin
