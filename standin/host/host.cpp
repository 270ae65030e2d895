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
    if (fails) ++injected;
    return fails;
}

int16_t StandinHost::SlotToInst(int32_t slot) const {
    if (slot < 1 || static_cast<std::size_t>(slot) > staffOrder.size()) return 0;
    return staffOrder[static_cast<std::size_t>(slot) - 1];
}

int16_t StandinHost::InstToSlot(int32_t staff) const {
    if (staff == 0) return 0;
    auto it = std::find(staffOrder.begin(), staffOrder.end(), staff);
    if (it == staffOrder.end()) return 0;
    return static_cast<int16_t>(it - staffOrder.begin() + 1);
}

long StandinHost::Log(const std::string& function, std::vector<int64_t> args, std::string text) {
    if (!logCalls) return -1;
    calls.push_back(HostCall{function, std::move(args), std::move(text), 0});
    return static_cast<long>(calls.size()) - 1;
}

void StandinHost::LogResult(long index, int64_t result) {
    if (index >= 0 && static_cast<std::size_t>(index) < calls.size())
        calls[static_cast<std::size_t>(index)].result = result;
}

int StandinHost::CountCalls(const std::string& function) const {
    return static_cast<int>(
        std::count_if(calls.begin(), calls.end(), [&](const HostCall& c) { return c.function == function; }));
}

std::vector<HostCall> StandinHost::CallsTo(const std::string& function) const {
    std::vector<HostCall> found;
    for (const HostCall& c : calls) {
        if (c.function == function) found.push_back(c);
    }
    return found;
}

void StandinHost::Reset() {
    *this = StandinHost();
}

}  // namespace standin
