#include "standin/host/call_counts.h"

#include <algorithm>
#include <iterator>

namespace standin {

namespace {

const std::string_view kDataFunctions[] = {"FX_LoadEData", "FX_SaveEData", "FX_CreateEData", "FX_DeleteEData",
                                           "FX_NextEData"};

bool IsDataFunction(std::string_view function) {
    return std::find(std::begin(kDataFunctions), std::end(kDataFunctions), function) !=
           std::end(kDataFunctions);
}

}  // namespace

int CallCounts::Of(std::string_view function) const {
    auto it = byName_.find(function);
    return it == byName_.end() ? 0 : it->second;
}

void CallCounts::CountByName(const char* function) {
    auto it = byName_.find(std::string_view(function));
    if (it == byName_.end()) it = byName_.emplace(std::string(function), 0).first;
    ++it->second;
    const bool dataCall = IsDataFunction(function);
    if (dataCall) ++dataCalls_;
    // Map nodes stay where they are until the map is replaced.
    recent_[nextRecent_] = Recent{function, &it->second, dataCall};
    nextRecent_ = (nextRecent_ + 1) % recent_.size();
}

}  // namespace standin
