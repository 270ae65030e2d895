#ifndef MIREL_STANDIN_CALL_RECORD_H
#define MIREL_STANDIN_CALL_RECORD_H

#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/win32_subset.h"
#include "standin/host/host.h"

namespace standin {

// One call the module made into the stand-in host: counted always, logged with its arguments when the call
// log is on, and given its result when the call returns. A host function (FX_) is timed from the making of
// its record to the record's end, which is the function's entry and exit.
class CallRecord {
  public:
    CallRecord(const char* function, std::vector<int64_t> args, std::string text = {})
        : host_(Host()), timed_(IsHostFunction(function)) {
        ++gHostCallDepth;
        if (timed_) host_.EnterHostFunction();
        host_.Count(function);
        index_ = host_.Log(function, std::move(args), std::move(text));
    }

    // The arguments are only put together when the log is on.
    template <typename MakeArgs, typename = std::enable_if_t<std::is_invocable_v<MakeArgs>>>
    CallRecord(const char* function, MakeArgs makeArgs) : host_(Host()), timed_(IsHostFunction(function)) {
        ++gHostCallDepth;
        if (timed_) host_.EnterHostFunction();
        host_.Count(function);
        if (host_.LoggingCalls()) index_ = host_.Log(function, makeArgs());
    }

    ~CallRecord() {
        if (timed_) host_.LeaveHostFunction();
        --gHostCallDepth;
    }
    CallRecord(const CallRecord&) = delete;
    CallRecord& operator=(const CallRecord&) = delete;

    void SetText(const std::string& text) {
        if (index_ >= 0) host_.LogText(index_, text);
    }

    template <typename T>
    T Return(T result) {
        if (index_ >= 0) host_.LogResult(index_, static_cast<int64_t>(result));
        return result;
    }

    // For the functions whose callers read only the low 16 bits: the result with the host's high bits.
    int32_t Return16(int32_t result) {
        Return(result);
        return static_cast<int32_t>((static_cast<uint32_t>(result) & 0xFFFFu) |
                                    (static_cast<uint32_t>(host_.ResultHighBits()) << 16));
    }

  private:
    static bool IsHostFunction(const char* function) {
        return function[0] == 'F' && function[1] == 'X' && function[2] == '_';
    }

    // The host, asked for once: the module makes over a million calls on a large score.
    StandinHost& host_;
    bool timed_;
    long index_ = -1;
};

// How the log shows a pointer argument (0 for null, 1 otherwise) and a window handle (its value).
inline int64_t PointerFlag(const void* p) {
    return p != nullptr ? 1 : 0;
}
inline int64_t WindowValue(HWND window) {
    return MirelWindowValue(window);
}

}  // namespace standin

#endif
