#ifndef MIREL_STANDIN_HOST_H
#define MIREL_STANDIN_HOST_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "standin/host/call_counts.h"
#include "standin/host/call_stats.h"
#include "standin/store/document.h"

namespace standin {

// One call the module made to a host function (or to the kernel lookup functions), with its arguments as
// integers (pointers as 0 or 1 for null / not null, unless noted by the function).
//
// The arguments each function logs, in this order (key = the four 16-bit key fields as the call found them,
// signed; V = the version argument):
//   FX_LoadEData      tag, key[4], buffer 0/1, capacity (*size on entry; -1 for a null size pointer), V
//   FX_SaveEData      tag, key[4], buffer 0/1, size, V
//   FX_CreateEData    tag, key[4], buffer 0/1, size, V
//   FX_DeleteEData    tag, key[4], V
//   FX_NextEData      tag, key[4], reserved1 0/1, reserved2 0/1, V
//   (a null key pointer logs the four key fields as 0 and is refused)
//   FX_GetCurrentWindow          V
//   FX_GetCurrentWindowInfo      info 0/1, V
//   FX_GetCurrentEnigmaDocument  V
//   FX_SlotToInst     slot, staffListID, V
//   FX_InstToSlot     staff, second argument, V
//   FX_FontNumToName  font number, buffer 0/1, V
//   GetModuleHandleA  (no args; `text` holds the name, empty for null)
//   GetProcAddress    module 0/1 (1: a handle this host gave out); `text` holds the name
// `result` is what the call returned (a handle or address as 0/1).
struct HostCall {
    std::string function;
    std::vector<int64_t> args;
    std::string text;
    int64_t result = 0;
};

// A test-only fault plan for the five record data calls: call number `first` of `function` (counted from 1
// among the calls of that function, and of that record tag when `tag` is not 0, since the plan was set)
// answers 0 and changes nothing; with `fromThereOn`, so does every later such call. `function` empty: no
// faults. Beyond `callLimit` data calls of any kind since the plan was set (0: no limit) every data call
// fails too and `overran` is set: a module that keeps calling a refusing host shows up as an overrun instead
// of a hang.
struct FaultPlan {
    std::string function;
    uint32_t tag = 0;
    int first = 0;
    bool fromThereOn = false;
    long callLimit = 0;
    // What happened under the plan.
    int seen = 0;                   // calls of `function`
    int injected = 0;               // calls that were made to fail
    uint32_t firstInjectedTag = 0;  // the record tag of the first of them
    bool overran = false;

    // Whether one data call of `name` on records of `callTag` is to fail; `dataCalls` is the number of data
    // calls since the plan was set, this one included. Inline for the common case of no plan, which every
    // data call of a run meets.
    bool FailsNow(std::string_view name, uint32_t callTag, long dataCalls) {
        if (callLimit == 0 && function.empty()) return false;
        return FailsUnderPlan(name, callTag, dataCalls);
    }

  private:
    bool FailsUnderPlan(std::string_view name, uint32_t callTag, long dataCalls);
};

// Above 0 while a host function runs: what is allocated then is the host's doing, not the module's. A dialog
// procedure the host calls back runs as module code again (the dialog session sets it back to 0 meanwhile).
// A plain global, so that a replaced operator new can read it at any time.
extern int gHostCallDepth;

// The process's stand-in application: the open document, the staff order, the fonts, the registry that
// GetModuleHandleA / GetProcAddress answer from, and a log of every call.
class StandinHost {
  public:
    // ---- The document ----
    Document& Doc() { return document_; }
    void NewDocument() { document_ = Document(); }
    // The number FX_GetCurrentEnigmaDocument answers.
    int16_t DocumentID() const { return documentID_; }
    void SetDocumentID(int16_t id) { documentID_ = id; }

    // ---- Staves in score order: slot i + 1 shows staves[i]. Slot 0 and unknown staves map to 0. ----
    const std::vector<int16_t>& StaffOrder() const { return staffOrder_; }
    void SetStaffOrder(std::vector<int16_t> staves) { staffOrder_ = std::move(staves); }
    void AppendStaff(int16_t staff) { staffOrder_.push_back(staff); }
    int16_t SlotToInst(int32_t slot) const;
    int16_t InstToSlot(int32_t staff) const;

    // ---- Fonts for FX_FontNumToName ----
    const std::map<uint16_t, std::string>& Fonts() const { return fonts_; }
    void SetFonts(std::map<uint16_t, std::string> fonts) { fonts_ = std::move(fonts); }
    // Adds the font, or renames it when the number is taken.
    void AddFont(uint16_t number, std::string name) { fonts_[number] = std::move(name); }
    void RemoveFont(uint16_t number) { fonts_.erase(number); }
    // The font's name, or null for an unknown number.
    const std::string* FontName(uint32_t number) const;

    // ---- Registry for GetModuleHandleA / GetProcAddress ----
    // The executable names this process answers to ("FINALE.EXE" by default; none: it answers to no name).
    const std::set<std::string>& ModuleNames() const { return moduleNames_; }
    void AnswerAs(std::set<std::string> names) { moduleNames_ = std::move(names); }
    // The FX_ functions GetProcAddress does not give out.
    void HideFunction(const std::string& name) { hiddenFunctions_.insert(name); }
    bool Hides(const std::string& name) const { return hiddenFunctions_.count(name) != 0; }
    const std::set<std::string>& HiddenFunctions() const { return hiddenFunctions_; }
    // The names GetProcAddress was asked for, each with how often.
    void NoteProcAddressRequest(const std::string& name) { ++getProcAddressCalls_[name]; }
    const std::map<std::string, int>& ProcAddressRequests() const { return getProcAddressCalls_; }
    int ProcAddressRequests(const std::string& name) const;

    // ---- Call log (off by default) ----
    // With the log on, every host function appends its call to Calls() (see HostCall for the arguments).
    // CountCalls and CallsTo read the log. Counts() counts every call by function name, log on or off.
    void LogCalls(bool on) { logCalls_ = on; }
    bool LoggingCalls() const { return logCalls_; }
    const std::vector<HostCall>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    const CallCounts& Counts() const { return callCounts_; }
    // Appends to the log when it is on; returns the entry's index in Calls(), or -1 when not logged.
    long Log(const std::string& function, std::vector<int64_t> args, std::string text = {});
    // Set the result / the text of a logged call (do nothing for -1).
    void LogResult(long index, int64_t result);
    void LogText(long index, const std::string& text);
    // Counts a call in Counts(); `function` is the string literal of the calling function.
    void Count(const char* function) { callCounts_.Count(function); }
    int CountCalls(const std::string& function) const;
    std::vector<HostCall> CallsTo(const std::string& function) const;

    // ---- Statistics ----
    // The time inside host functions and the loads, for `run --stats` (log on or off); off until enabled, so
    // that a run without it pays nothing.
    void EnterHostFunction() { stats_.Enter(); }
    void LeaveHostFunction() { stats_.Leave(); }
    void RecordLoad(uint32_t tag, const std::array<int16_t, 4>& key, bool sizeQuery) {
        stats_.Load(tag, key, sizeQuery);
    }
    void RecordWrite() { stats_.Wrote(); }
    // Starts the statistics afresh (before an invocation), recording from now on when `enabled`.
    void RestartCallStats(bool enabled) { stats_.Restart(enabled, callCounts_); }
    // The statistics since the last restart, the calls by function read from Counts().
    HostCallStats CallStats() const { return stats_.Stats(callCounts_); }

    // ---- Window ----
    // The host's main window, given by FX_GetCurrentWindow and at offset 520 of FX_GetCurrentWindowInfo.
    uint32_t MainWindow() const { return mainWindow_; }
    void SetMainWindow(uint32_t window) { mainWindow_ = window; }
    // Whether FX_GetCurrentWindowInfo answers at all.
    bool WindowInfoAvailable() const { return windowInfoAvailable_; }
    void SetWindowInfoAvailable(bool available) { windowInfoAvailable_ = available; }

    // ---- Results ----
    // The high 16 bits put into the results of the functions whose low 16 bits alone count (the data calls,
    // the slot, font, document and window-info functions), as a host may leave them set. 0 by default.
    uint16_t ResultHighBits() const { return resultHighBits_; }
    void SetResultHighBits(uint16_t bits) { resultHighBits_ = bits; }

    // ---- Faults (tests only) ----
    // Sets the plan the data calls follow from now on (a default FaultPlan: none).
    void PlanFaults(const FaultPlan& plan) {
        faults_ = plan;
        dataCallsBeforePlan_ = callCounts_.DataCalls();
    }
    const FaultPlan& Faults() const { return faults_; }
    // Whether the data call of `name` on records of `tag` being made now is to fail under the plan.
    bool RefusesDataCall(std::string_view name, uint32_t tag) {
        return faults_.FailsNow(name, tag, callCounts_.DataCalls() - dataCallsBeforePlan_);
    }

    // Back to a new process's state: empty document, FINALE.EXE with every function, no log.
    void Reset();

  private:
    Document document_;
    int16_t documentID_ = 1;
    std::vector<int16_t> staffOrder_;
    std::map<uint16_t, std::string> fonts_;
    std::set<std::string> moduleNames_{"FINALE.EXE"};
    std::set<std::string> hiddenFunctions_;
    std::map<std::string, int> getProcAddressCalls_;
    bool logCalls_ = false;
    std::vector<HostCall> calls_;
    CallCounts callCounts_;
    CallStatsRecorder stats_;
    uint32_t mainWindow_ = 0x00010000;
    bool windowInfoAvailable_ = true;
    uint16_t resultHighBits_ = 0;
    FaultPlan faults_;
    long dataCallsBeforePlan_ = 0;
};

// The one stand-in host of this process (inline: every host call asks for it several times).
inline StandinHost& Host() {
    static StandinHost host;
    return host;
}

}  // namespace standin

#endif
