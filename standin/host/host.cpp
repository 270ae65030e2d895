#include "standin/host/host.h"

#include <algorithm>

namespace standin {

int gHostCallDepth = 0;

bool FaultPlan::FailsUnderPlan(std::string_view name, uint32_t callTag, long dataCalls) {
    if (callLimit > 0 && dataCalls > callLimit) {
        overran = true;
        return true;
    }
    if (function.empty() || name != function || (tag != 0 && callTag != tag)) return false;
    ++seen;
    const bool fails = fromThereOn ? seen >= first : seen == first;
    if (fails && injected++ == 0) firstInjectedTag = callTag;
    return fails;
}

int16_t StandinHost::SlotToInst(int32_t slot) const {
    if (slot < 1 || static_cast<std::size_t>(slot) > staffOrder_.size()) return 0;
    return staffOrder_[static_cast<std::size_t>(slot) - 1];
}

int16_t StandinHost::InstToSlot(int32_t staff) const {
    if (staff == 0) return 0;
    auto it = std::find(staffOrder_.begin(), staffOrder_.end(), staff);
    if (it == staffOrder_.end()) return 0;
    return static_cast<int16_t>(it - staffOrder_.begin() + 1);
}

const std::string* StandinHost::FontName(uint32_t number) const {
    if (number > 0xFFFF) return nullptr;
    auto it = fonts_.find(static_cast<uint16_t>(number));
    return it == fonts_.end() ? nullptr : &it->second;
}

int StandinHost::ProcAddressRequests(const std::string& name) const {
    auto it = getProcAddressCalls_.find(name);
    return it == getProcAddressCalls_.end() ? 0 : it->second;
}

long StandinHost::Log(const std::string& function, std::vector<int64_t> args, std::string text) {
    if (!logCalls_) return -1;
    calls_.push_back(HostCall{function, std::move(args), std::move(text), 0});
    return static_cast<long>(calls_.size()) - 1;
}

void StandinHost::LogResult(long index, int64_t result) {
    if (index >= 0 && static_cast<std::size_t>(index) < calls_.size())
        calls_[static_cast<std::size_t>(index)].result = result;
}

void StandinHost::LogText(long index, const std::string& text) {
    if (index >= 0 && static_cast<std::size_t>(index) < calls_.size())
        calls_[static_cast<std::size_t>(index)].text = text;
}

int StandinHost::CountCalls(const std::string& function) const {
    return static_cast<int>(std::count_if(calls_.begin(), calls_.end(),
                                          [&](const HostCall& c) { return c.function == function; }));
}

std::vector<HostCall> StandinHost::CallsTo(const std::string& function) const {
    std::vector<HostCall> found;
    for (const HostCall& c : calls_) {
        if (c.function == function) found.push_back(c);
    }
    return found;
}

void StandinHost::Reset() {
    *this = StandinHost();
}

}  // namespace standin
