// The application's dialog functions over the headless window model (standin/dialog/ui_model.h).
//
// FX_Dialog builds the dialog from the module's own dialog template and drives it as the system's dialog
// manager does: the first size while the window is created, WM_INITDIALOG with the user pointer, then, once
// the window shows, WM_SHOWWINDOW, the tracking-size query and WM_ACTIVATE. Then the dialog user
// (Ui().User()) works the items, and each thing it does reaches the procedure as the message a real dialog
// sends. The owner window is disabled while the dialog runs. The run ends when the module calls FX_EndDialog,
// or when the user is done without the module having ended it (the host then gives the dialog up rather than
// wait forever).
//
// Every call is counted in Host().Counts() and, with the call log on, logged with these arguments
// (windows as their handle values, pointers as 0/1, V = the version argument):
//   FX_Dialog              resourceID, proc 0/1, parent, one, user 0/1, V
//   FX_EndDialog           window, V
//   FX_EnableDlgItem       window, item, enable, V
//   FX_GetDlgItemVal       window, item, kind, V
//   FX_SetDlgItemVal       window, item, kind, value, V
//   FX_GetDlgString        window, item, buffer 0/1, capacity, V        (text: what was copied, UTF-8)
//   FX_GetDlgString_UTF16  window, item, buffer 0/1, capacity, V        (text: what was copied, UTF-8)
//   FX_SetDlgString        window, item, text 0/1, V                    (text: the new text, UTF-8)
//   FX_SetDlgString_UTF16  window, item, text 0/1, V                    (text: the new text, UTF-8)
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "standin/dialog/dialog_template.h"
#include "standin/dialog/dialog_user.h"
#include "standin/dialog/ui_model.h"
#include "standin/host/call_record.h"
#include "standin/host/host.h"
#include "standin/host/host_functions.h"
#include "standin/score/document_builder.h"

using standin::CallRecord;
using standin::Host;
using standin::PointerFlag;
using standin::Ui;
using standin::UiItem;
using standin::UiWindow;
using standin::WindowValue;

namespace {

constexpr uint32_t kStyleVisible = 0x10000000;
constexpr uint32_t kStyleDisabled = 0x08000000;
constexpr uintptr_t kActivated = 1;

// The units to copy into a buffer of `capacity`, and whether a terminator follows them.
std::size_t CopiedLength(std::size_t length, int32_t capacity, bool& terminated) {
    const std::size_t room = static_cast<std::size_t>(capacity);
    if (Ui().dialogStringsFillBuffer) {
        const std::size_t n = length < room ? length : room;
        terminated = n < room;
        return n;
    }
    terminated = true;
    return length < room - 1 ? length : room - 1;
}

// Builds the dialog window of `dialog` owned by `parent`, with every item of the template.
UiWindow& BuildDialog(const standin::DialogTemplate& dialog, HWND parent) {
    POINT ownerOrigin{0, 0};
    if (UiWindow* owner = Ui().Window(parent)) ownerOrigin = owner->ClientOrigin();
    const int32_t clientWidth = standin::DialogUnitsToPixelsX(dialog.width);
    const int32_t clientHeight = standin::DialogUnitsToPixelsY(dialog.height);
    RECT outer;
    outer.left = ownerOrigin.x + standin::DialogUnitsToPixelsX(dialog.x);
    outer.top = ownerOrigin.y + standin::DialogUnitsToPixelsY(dialog.y);
    outer.right = outer.left + clientWidth + 2 * standin::kFrameBorder;
    outer.bottom = outer.top + clientHeight + 2 * standin::kFrameBorder + standin::kCaptionHeight;

    UiWindow& window = Ui().AddWindow(parent, standin::Utf8ToUtf16(dialog.caption), outer);
    window.resourceID = dialog.resourceID;
    window.clientWidth = clientWidth;
    window.clientHeight = clientHeight;
    window.visible = false;
    window.enabled = (dialog.style & kStyleDisabled) == 0;
    for (const standin::DialogItemTemplate& t : dialog.items) {
        UiItem item;
        item.handle = Ui().NewHandle();
        item.id = t.id;
        item.className = t.className;
        item.style = t.style;
        item.text = standin::Utf8ToUtf16(t.text);
        item.visible = (t.style & kStyleVisible) != 0;
        item.enabled = (t.style & kStyleDisabled) == 0;
        item.rect = standin::DialogRectToPixels(t.x, t.y, t.width, t.height);
        window.items.push_back(item);
    }
    return window;
}

intptr_t SizeParameter(int32_t width, int32_t height) {
    return static_cast<intptr_t>((static_cast<uint32_t>(height & 0xFFFF) << 16) |
                                 static_cast<uint32_t>(width & 0xFFFF));
}

// The item's new text, as FX_SetDlgString(_UTF16) sets it from the module's text (none for a null pointer).
int32_t SetItemText(const char* function, HWND window, int32_t item,
                    const std::optional<std::u16string>& text, uint32_t version) {
    CallRecord call(function, {WindowValue(window), item, text ? 1 : 0, version},
                    standin::Utf16ToUtf8(text.value_or(std::u16string())));
    UiItem* found = Ui().Item(window, item);
    if (found == nullptr || !text) return call.Return(0);
    found->text = *text;
    return call.Return(1);
}

}  // namespace

extern "C" {

int32_t FX_CALL FX_Dialog(int32_t resourceID, FXDialogProc proc, HWND parent, int32_t one, void* user,
                          uint32_t version) {
    CallRecord call("FX_Dialog", {resourceID, PointerFlag(reinterpret_cast<const void*>(proc)),
                                  WindowValue(parent), one, PointerFlag(user), version});
    const standin::DialogTemplate* dialog = standin::FindModuleDialog(resourceID);
    if (dialog == nullptr || proc == nullptr) return call.Return(0);

    standin::UiModel& ui = Ui();
    UiWindow& window = BuildDialog(*dialog, parent);
    const HWND handle = window.handle;
    ui.dialogRuns.emplace_back();
    standin::DialogRun& run = ui.dialogRuns.back();
    run.resourceID = resourceID;
    run.handle = handle;
    run.parent = parent;
    standin::DialogRun* outerRun = ui.currentRun;
    ui.currentRun = &run;

    // A modal dialog disables its owner for as long as it runs.
    UiWindow* owner = ui.Window(parent);
    const bool ownerWasEnabled = owner != nullptr && owner->enabled;
    if (owner != nullptr) owner->enabled = false;
    const HWND previouslyActive = ui.ActiveWindow();

    standin::DialogSession session(handle, proc, user, run);
    session.Send(WM_SIZE, 0, SizeParameter(window.clientWidth, window.clientHeight));
    session.Send(WM_INITDIALOG, 0, reinterpret_cast<intptr_t>(user));
    if (!session.Ended()) {
        window.visible = (dialog->style & kStyleVisible) != 0;
        ui.SetActive(handle);
        session.Send(WM_SHOWWINDOW, 1, 0);
        MINMAXINFO info{};
        info.ptMaxSize = POINT{1024, 768};
        info.ptMaxTrackSize = POINT{1024, 768};
        session.Send(WM_GETMINMAXINFO, 0, reinterpret_cast<intptr_t>(&info));
        window.minTrackSize = info.ptMinTrackSize;
        window.maxTrackSize = info.ptMaxTrackSize;
        session.Send(WM_ACTIVATE, kActivated, 0);
    }
    run.shown = window;
    if (!session.Ended()) ui.User().Operate(session);
    run.final = window;
    run.ended = window.ended;

    // The dialog is gone; the owner gets its state and the activation back.
    ui.RemoveWindow(handle);
    if (UiWindow* ownerAgain = ui.Window(parent)) ownerAgain->enabled = ownerWasEnabled;
    ui.SetActive(parent != nullptr && ui.Window(parent) != nullptr ? parent : previouslyActive);
    ui.currentRun = outerRun;
    return call.Return(run.ended ? 1 : 0);
}

int32_t FX_CALL FX_EndDialog(HWND window, uint32_t version) {
    CallRecord call("FX_EndDialog", {WindowValue(window), version});
    for (auto it = Ui().dialogRuns.rbegin(); it != Ui().dialogRuns.rend(); ++it) {
        if (it->handle == window) {
            ++it->endDialogCalls;
            break;
        }
    }
    UiWindow* dialog = Ui().Window(window);
    if (dialog == nullptr || dialog->resourceID == 0) return call.Return(0);
    dialog->ended = true;
    dialog->visible = false;
    return call.Return(1);
}

int32_t FX_CALL FX_EnableDlgItem(HWND window, int32_t item, int32_t enable, uint32_t version) {
    CallRecord call("FX_EnableDlgItem", {WindowValue(window), item, enable, version});
    UiItem* found = Ui().Item(window, item);
    if (found == nullptr) return call.Return(0);
    found->enabled = enable != 0;
    return call.Return(1);
}

int32_t FX_CALL FX_GetDlgItemVal(HWND window, int32_t item, int32_t kind, uint32_t version) {
    CallRecord call("FX_GetDlgItemVal", {WindowValue(window), item, kind, version});
    const UiItem* found = Ui().Item(window, item);
    if (found == nullptr) return call.Return(0);
    switch (kind) {
        case 0:
            return call.Return(found->IsComboBox() && found->selection >= 0 ? found->selection + 1 : 0);
        case 1:
            return call.Return(found->check);
        case 3:
            return call.Return(
                static_cast<int32_t>(std::strtol(standin::NarrowBytes(found->text).c_str(), nullptr, 10)));
        default:
            return call.Return(0);
    }
}

int32_t FX_CALL FX_SetDlgItemVal(HWND window, int32_t item, int32_t kind, int32_t value, uint32_t version) {
    CallRecord call("FX_SetDlgItemVal", {WindowValue(window), item, kind, value, version});
    UiItem* found = Ui().Item(window, item);
    if (found == nullptr) return call.Return(0);
    switch (kind) {
        case 0: {
            if (!found->IsComboBox()) return call.Return(0);
            // An entry number that is not there leaves the list without a selection.
            const int64_t index = static_cast<int64_t>(value) - 1;
            const bool present = index >= 0 && static_cast<std::size_t>(index) < found->entries.size();
            found->selection = present ? static_cast<int32_t>(index) : -1;
            return call.Return(1);
        }
        case 1:
            found->check = value;
            return call.Return(1);
        case 3:
            found->text = standin::Utf8ToUtf16(std::to_string(value));
            return call.Return(1);
        default:
            return call.Return(0);
    }
}

int32_t FX_CALL FX_GetDlgString(HWND window, int32_t item, char* buffer, int32_t capacity, uint32_t version) {
    CallRecord call("FX_GetDlgString", {WindowValue(window), item, PointerFlag(buffer), capacity, version});
    const UiItem* found = Ui().Item(window, item);
    if (found == nullptr || buffer == nullptr || capacity <= 0) return call.Return(0);
    const std::string text = standin::NarrowBytes(found->ShownText());
    bool terminated = true;
    const std::size_t n = CopiedLength(text.size(), capacity, terminated);
    for (std::size_t i = 0; i < n; ++i) buffer[i] = text[i];
    if (terminated) buffer[n] = '\0';
    call.SetText(standin::Utf16ToUtf8(standin::WidenBytes(text.substr(0, n).c_str())));
    return call.Return(1);
}

int32_t FX_CALL FX_GetDlgString_UTF16(HWND window, int32_t item, char16_t* buffer, int32_t capacity,
                                      uint32_t version) {
    CallRecord call("FX_GetDlgString_UTF16",
                    {WindowValue(window), item, PointerFlag(buffer), capacity, version});
    const UiItem* found = Ui().Item(window, item);
    if (found == nullptr || buffer == nullptr || capacity <= 0) return call.Return(0);
    const std::u16string text = found->ShownText();
    bool terminated = true;
    const std::size_t n = CopiedLength(text.size(), capacity, terminated);
    for (std::size_t i = 0; i < n; ++i) buffer[i] = text[i];
    if (terminated) buffer[n] = u'\0';
    call.SetText(standin::Utf16ToUtf8(text.substr(0, n)));
    return call.Return(1);
}

int32_t FX_CALL FX_SetDlgString(HWND window, int32_t item, const char* text, uint32_t version) {
    std::optional<std::u16string> wide;
    if (text != nullptr) wide = standin::WidenBytes(text);
    return SetItemText("FX_SetDlgString", window, item, wide, version);
}

int32_t FX_CALL FX_SetDlgString_UTF16(HWND window, int32_t item, const char16_t* text, uint32_t version) {
    std::optional<std::u16string> wide;
    if (text != nullptr) wide = text;
    return SetItemText("FX_SetDlgString_UTF16", window, item, wide, version);
}

}  // extern "C"
