// The application's dialog functions over real Win32.
//
// FX_Dialog creates the dialog from the calling module's own resource (DialogBoxParamW with the module's
// instance handle) and runs it modally. The host's dialog procedure hands every message the dialog receives,
// from the first one on, to the module's five-argument dialog procedure together with the module's user
// pointer, and passes its answer back. The item functions work on the live controls:
//   value kind 0  the combo box selection: entry n (counted from 1) is selection index n - 1; 0 or less: none
//   value kind 1  the check state of a button
//   value kind 3  the integer in an edit field
//   strings       the item's window text; the 8-bit forms carry one byte per UTF-16 unit (the low byte), the
//                 way the module's own 8-bit texts are made, with no code page in between.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "standin/host/host.h"
#include "standin/host/host_functions.h"
#include "standin/windows/scripted_user.h"

using standin::Host;
using standin::windows::ScriptedUser;

namespace {

// One dialog FX_Dialog is running.
struct DialogRun {
    FXDialogProc proc = nullptr;
    void* user = nullptr;
    HWND window = nullptr;
};

// Runs whose window exists, by window; and the runs whose window is being made (the messages a dialog gets
// before WM_INITDIALOG, such as WM_SETFONT, arrive before its handle is known), innermost last.
std::map<HWND, DialogRun*> gRuns;
std::vector<DialogRun*> gStarting;

int64_t WindowArg(HWND window) {
    return MirelWindowValue(window);
}

long LogCall(const char* function, std::vector<int64_t> args, std::string text = {}) {
    Host().Count(function);
    return Host().LoggingCalls() ? Host().Log(function, std::move(args), std::move(text)) : -1;
}

template <typename T>
T Result(long index, T result) {
    Host().LogResult(index, static_cast<int64_t>(result));
    return result;
}

DialogRun* RunOf(HWND window, UINT message, LPARAM lParam) {
    auto found = gRuns.find(window);
    if (found != gRuns.end()) return found->second;
    DialogRun* run = nullptr;
    if (message == WM_INITDIALOG) {
        run = reinterpret_cast<DialogRun*>(lParam);
    } else if (!gStarting.empty()) {
        run = gStarting.back();
    }
    if (run != nullptr) {
        run->window = window;
        gRuns[window] = run;
    }
    return run;
}

INT_PTR CALLBACK HostDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogRun* run = RunOf(window, message, lParam);
    if (run == nullptr) return FALSE;

    // The user's own business with the dialog; the module never sees these.
    if (message == standin::windows::kUserTurnMessage) {
        ScriptedUser::Current().TakeTurn(window);
        return TRUE;
    }
    if (message == WM_TIMER &&
        (wParam == standin::windows::kHoldTimer || wParam == standin::windows::kPatienceTimer)) {
        ScriptedUser::Current().OnTimer(window, wParam);
        return TRUE;
    }

    ScriptedUser::Current().MessageSeen(window, message, wParam);
    // WM_INITDIALOG carries the host's run record; the module is given its own user pointer instead.
    const LPARAM forwarded = message == WM_INITDIALOG ? reinterpret_cast<LPARAM>(run->user) : lParam;
    const INT_PTR answer = run->proc(window, message, wParam, forwarded, run->user);

    if (message == WM_INITDIALOG) ScriptedUser::Current().DialogOpened(window);
    if (message == WM_DESTROY) ScriptedUser::Current().DialogEnded(window, false);
    if (message == WM_NCDESTROY) gRuns.erase(window);
    return answer;
}

// The module whose code `address` lies in.
HMODULE ModuleOf(const void* address) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCWSTR>(address), &module)) {
        return nullptr;
    }
    return module;
}

std::wstring ItemText(HWND window, int32_t item) {
    HWND control = GetDlgItem(window, item);
    if (control == nullptr) return {};
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

int32_t SetItemText(HWND window, int32_t item, const std::wstring& text) {
    HWND control = GetDlgItem(window, item);
    if (control == nullptr) return 0;
    return SetWindowTextW(control, text.c_str()) ? 1 : 0;
}

bool IsComboBox(HWND control) {
    wchar_t className[32] = {};
    GetClassNameW(control, className, 32);
    return lstrcmpiW(className, L"ComboBox") == 0;
}

}  // namespace

extern "C" {

int32_t FX_CALL FX_Dialog(int32_t resourceID, FXDialogProc proc, HWND parent, int32_t one, void* user,
                          uint32_t version) {
    const long call =
        LogCall("FX_Dialog", {resourceID, proc != nullptr, WindowArg(parent), one, user != nullptr, version});
    if (proc == nullptr) return Result(call, 0);
    HMODULE module = ModuleOf(reinterpret_cast<const void*>(proc));
    if (module == nullptr) return Result(call, 0);

    DialogRun run;
    run.proc = proc;
    run.user = user;
    gStarting.push_back(&run);
    const INT_PTR ended = DialogBoxParamW(module, MAKEINTRESOURCEW(static_cast<uint16_t>(resourceID)), parent,
                                          HostDialogProc, reinterpret_cast<LPARAM>(&run));
    gStarting.erase(std::find(gStarting.begin(), gStarting.end(), &run));
    if (run.window != nullptr) gRuns.erase(run.window);
    return Result(call, ended == -1 ? 0 : 1);
}

int32_t FX_CALL FX_EndDialog(HWND window, uint32_t version) {
    const long call = LogCall("FX_EndDialog", {WindowArg(window), version});
    if (gRuns.find(window) == gRuns.end()) return Result(call, 0);
    ScriptedUser::Current().DialogEnded(window, true);
    return Result(call, EndDialog(window, 1) ? 1 : 0);
}

int32_t FX_CALL FX_EnableDlgItem(HWND window, int32_t item, int32_t enable, uint32_t version) {
    const long call = LogCall("FX_EnableDlgItem", {WindowArg(window), item, enable, version});
    HWND control = GetDlgItem(window, item);
    if (control == nullptr) return Result(call, 0);
    EnableWindow(control, enable != 0);
    return Result(call, 1);
}

int32_t FX_CALL FX_GetDlgItemVal(HWND window, int32_t item, int32_t kind, uint32_t version) {
    const long call = LogCall("FX_GetDlgItemVal", {WindowArg(window), item, kind, version});
    HWND control = GetDlgItem(window, item);
    if (control == nullptr) return Result(call, 0);
    switch (kind) {
        case 0: {
            if (!IsComboBox(control)) return Result(call, 0);
            const LRESULT index = SendMessageW(control, CB_GETCURSEL, 0, 0);
            return Result(call, index == CB_ERR ? 0 : static_cast<int32_t>(index) + 1);
        }
        case 1:
            return Result(call, SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
        case 3: {
            BOOL ok = FALSE;
            const int value = static_cast<int>(GetDlgItemInt(window, item, &ok, TRUE));
            return Result(call, ok ? value : 0);
        }
        default:
            return Result(call, 0);
    }
}

int32_t FX_CALL FX_SetDlgItemVal(HWND window, int32_t item, int32_t kind, int32_t value, uint32_t version) {
    const long call = LogCall("FX_SetDlgItemVal", {WindowArg(window), item, kind, value, version});
    HWND control = GetDlgItem(window, item);
    if (control == nullptr) return Result(call, 0);
    switch (kind) {
        case 0: {
            if (!IsComboBox(control)) return Result(call, 0);
            const WPARAM index = value > 0 ? static_cast<WPARAM>(value - 1) : static_cast<WPARAM>(-1);
            const LRESULT selected = SendMessageW(control, CB_SETCURSEL, index, 0);
            return Result(call, value > 0 && selected == CB_ERR ? 0 : 1);
        }
        case 1:
            SendMessageW(control, BM_SETCHECK, value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
            return Result(call, 1);
        case 3:
            return Result(call, SetDlgItemInt(window, item, static_cast<UINT>(value), TRUE) ? 1 : 0);
        default:
            return Result(call, 0);
    }
}

int32_t FX_CALL FX_GetDlgString(HWND window, int32_t item, char* buffer, int32_t capacity, uint32_t version) {
    const long call =
        LogCall("FX_GetDlgString", {WindowArg(window), item, buffer != nullptr, capacity, version});
    if (buffer == nullptr || capacity <= 0) return Result(call, 0);
    const std::wstring text = ItemText(window, item);
    const std::size_t count = std::min(text.size(), static_cast<std::size_t>(capacity - 1));
    for (std::size_t i = 0; i < count; ++i) buffer[i] = static_cast<char>(text[i] & 0xFF);
    buffer[count] = '\0';
    return Result(call, static_cast<int32_t>(count));
}

int32_t FX_CALL FX_GetDlgString_UTF16(HWND window, int32_t item, char16_t* buffer, int32_t capacity,
                                      uint32_t version) {
    const long call =
        LogCall("FX_GetDlgString_UTF16", {WindowArg(window), item, buffer != nullptr, capacity, version});
    if (buffer == nullptr || capacity <= 0) return Result(call, 0);
    const std::wstring text = ItemText(window, item);
    const std::size_t count = std::min(text.size(), static_cast<std::size_t>(capacity - 1));
    for (std::size_t i = 0; i < count; ++i) buffer[i] = static_cast<char16_t>(text[i]);
    buffer[count] = u'\0';
    return Result(call, static_cast<int32_t>(count));
}

int32_t FX_CALL FX_SetDlgString(HWND window, int32_t item, const char* text, uint32_t version) {
    std::wstring wide;
    for (const char* c = text; c != nullptr && *c != '\0'; ++c)
        wide += static_cast<wchar_t>(static_cast<uint8_t>(*c));
    const long call = LogCall("FX_SetDlgString", {WindowArg(window), item, text != nullptr, version},
                              text != nullptr ? std::string(text) : std::string());
    return Result(call, SetItemText(window, item, wide));
}

int32_t FX_CALL FX_SetDlgString_UTF16(HWND window, int32_t item, const char16_t* text, uint32_t version) {
    std::wstring wide;
    for (const char16_t* c = text; c != nullptr && *c != u'\0'; ++c) wide += static_cast<wchar_t>(*c);
    const long call = LogCall("FX_SetDlgString_UTF16", {WindowArg(window), item, text != nullptr, version});
    return Result(call, SetItemText(window, item, wide));
}

}  // extern "C"

namespace standin::windows {

bool IsHostDialog(HWND window) {
    return gRuns.find(window) != gRuns.end();
}

}  // namespace standin::windows
