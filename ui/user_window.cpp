#include "ui/user_window.h"

#include <new>
#include <stdexcept>
#include <utility>

#include "host/host_api.h"

namespace {

// GetParent chains are short; a longer one can only be a loop in a broken window tree.
constexpr int kMaxParentClimb = 64;

uint16_t LowWord(uintptr_t value) {
    return static_cast<uint16_t>(value & 0xFFFF);
}
uint16_t HighWord(uintptr_t value) {
    return static_cast<uint16_t>((value >> 16) & 0xFFFF);
}

}  // namespace

// ---- FCUserWindow -----------------------------------------------------------------------------------------

FCUserWindow::FCUserWindow(int16_t resourceID) : resourceID_(resourceID) {}

FCUserWindow::~FCUserWindow() {
    if (windowHandle_ != nullptr && IsWindowVisible(windowHandle_) != 0) host::FX_EndDialog(windowHandle_);
    windowHandle_ = nullptr;
    dialogProc_ = nullptr;
    // The collection's destructor destroys the controls.
}

const char* FCUserWindow::ClassName() const {
    return "FCUserWindow";
}

void FCUserWindow::Close() {
    closed_ = true;
    if (windowHandle_ != nullptr && IsWindowVisible(windowHandle_) != 0) host::FX_EndDialog(windowHandle_);
    dialogProc_ = nullptr;
    windowHandle_ = nullptr;
}

void FCUserWindow::OnInit() {
    closed_ = false;
    RECT outer{};
    if (GetWindowRect(windowHandle_, &outer) != 0) {
        maxWidth_ = minWidth_ = outer.right - outer.left;
        maxHeight_ = minHeight_ = outer.bottom - outer.top;
    }
    RECT client{};
    if (GetClientRect(windowHandle_, &client) != 0) {
        // A client rectangle always starts at (0, 0).
        clientWidth_ = client.right;
        clientHeight_ = client.bottom;
    }
}

void FCUserWindow::OnClose() {
    resultCode_ = 2;
    if (!closed_) Close();
}

void FCUserWindow::OnOk() {
    resultCode_ = 1;
    if (!closed_) Close();
}

void FCUserWindow::OnCancel() {
    resultCode_ = 2;
    if (!closed_) Close();
}

bool FCUserWindow::OnCommand(FCControl* /*control*/) {
    return false;
}

void FCUserWindow::OnSpin(FCControl* /*control*/, int32_t /*delta*/) {}

void FCUserWindow::OnTimer(uintptr_t /*timerID*/) {}

void FCUserWindow::OnActivate(bool /*active*/) {}

void FCUserWindow::OnSize(int32_t /*newWidth*/, int32_t /*newHeight*/, int32_t /*oldWidth*/,
                          int32_t /*oldHeight*/) {}

bool FCUserWindow::OnNotify(uintptr_t itemID, const NMHDR* header) {
    FCControl* control = FindControl(static_cast<int16_t>(LowWord(itemID)));
    if (control == nullptr || header == nullptr) return false;
    const int32_t code = static_cast<int32_t>(header->code);
    if (code == kNotifyTabSelChange || code == kNotifyTreeSelChangedW || code == kNotifyTreeSelChangedA) {
        OnCommand(control);
    }
    // List-view and spin notifications concern control kinds this framework does not make.
    return false;
}

void FCUserWindow::AdoptControl(std::unique_ptr<FCControl> control) {
    control->SetWindow(this);
    Add(std::move(control));
}

FCControl* FCUserWindow::FindControl(int16_t controlID) const {
    for (int32_t i = 0; i < Count(); ++i) {
        FCControl* control = ItemAs<FCControl>(i);
        if (control != nullptr && control->GetControlID() == controlID) return control;
    }
    return nullptr;
}

void FCUserWindow::FollowHostEnabledState() {
    if (modal_ || windowHandle_ == nullptr) return;
    HWND top = host::FX_GetCurrentWindow();
    // Without a host window there is nothing to follow; disabling the dialog would leave it unusable.
    if (top == nullptr) return;
    for (int climb = 0; climb < kMaxParentClimb; ++climb) {
        HWND parent = GetParent(top);
        if (parent == nullptr) break;
        top = parent;
    }
    EnableWindow(windowHandle_, IsWindowEnabled(top) != 0 ? TRUE : FALSE);
}

void FCUserWindow::RethrowHandlerFailure() {
    const HandlerFailure failure = handlerFailure_;
    handlerFailure_ = HandlerFailure::None;
    if (failure == HandlerFailure::OutOfMemory) throw std::bad_alloc();
    if (failure == HandlerFailure::Other) throw std::runtime_error("a dialog handler failed");
}

// ---- FCResourceWindow -------------------------------------------------------------------------------------

FCResourceWindow::FCResourceWindow(int16_t resourceID) : FCUserWindow(resourceID) {}

const char* FCResourceWindow::ClassName() const {
    return "FCResourceWindow";
}

void FCResourceWindow::RunModal(HWND parent) {
    SetModal(true);
    SetResultCode(0);
    HWND previouslyActive = GetActiveWindow();
    SetDialogProc(&UserWindowDialogProc);
    host::FX_Dialog(GetResourceID(), &UserWindowDialogProc, parent, this);
    SetActiveWindow(previouslyActive);
    SetModal(false);
    RethrowHandlerFailure();
}

// ---- The dialog procedure ---------------------------------------------------------------------------------

namespace {

intptr_t DispatchCommand(FCUserWindow& window, uintptr_t wParam) {
    FCControl* control = window.FindControl(static_cast<int16_t>(LowWord(wParam)));
    const int32_t kind = control != nullptr ? control->GetCommandKind() : kCommandOrdinary;
    switch (kind) {
        case kCommandOrdinary:
            return window.OnCommand(control) ? 1 : 0;
        case kCommandOk:
            window.OnOk();
            return 1;
        case kCommandClose:
            window.OnClose();
            return 1;
        case kCommandCancel:
            window.OnCancel();
            return 1;
        default:
            return 1;
    }
}

intptr_t Dispatch(FCUserWindow& window, HWND handle, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
        case WM_INITDIALOG:
            window.SetWindowHandle(handle);
            window.SetInitPending(true);
            window.OnInit();
            return 0;
        case WM_COMMAND:
            return DispatchCommand(window, wParam);
        case WM_CLOSE:
            window.OnClose();
            return 0;
        case WM_SIZE: {
            if (wParam != 0) return 0;  // minimised or maximised: not a size the window keeps
            const int32_t newWidth = LowWord(static_cast<uintptr_t>(lParam));
            const int32_t newHeight = HighWord(static_cast<uintptr_t>(lParam));
            if (window.GetClientWidth() != 0) {
                window.OnSize(newWidth, newHeight, window.GetClientWidth(), window.GetClientHeight());
            }
            window.SetClientSize(newWidth, newHeight);
            return 0;
        }
        case WM_ACTIVATE:
            window.OnActivate(LowWord(wParam) != 0);
            window.FollowHostEnabledState();
            return 0;
        case WM_WINDOWPOSCHANGING:
        case kMessageHostWindowState:
            window.FollowHostEnabledState();
            return 0;
        case WM_SHOWWINDOW:
            window.SetInitPending(false);
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            if (info != nullptr) {
                info->ptMinTrackSize.x = window.GetMinWidth();
                info->ptMinTrackSize.y = window.GetMinHeight();
                info->ptMaxTrackSize.x = window.GetMaxWidth();
                info->ptMaxTrackSize.y = window.GetMaxHeight();
            }
            return 0;
        }
        case WM_NOTIFY:
            return window.OnNotify(wParam, reinterpret_cast<const NMHDR*>(lParam)) ? 1 : 0;
        case WM_TIMER:
            window.OnTimer(wParam);
            return 0;
        default:
            return 0;
    }
}

}  // namespace

intptr_t FX_CALL UserWindowDialogProc(HWND window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                                      void* user) {
    if (user == nullptr) return 0;
    // The value the host hands back is the window RunModal gave FX_Dialog: the contract's untyped user pointer.
    auto* userWindow = static_cast<FCUserWindow*>(user);
    // No exception may unwind through the host's frames: keep it, end the dialog, answer "not handled".
    try {
        return Dispatch(*userWindow, window, message, wParam, lParam);
    } catch (const std::bad_alloc&) {
        userWindow->NoteHandlerFailure(FCUserWindow::HandlerFailure::OutOfMemory);
    } catch (...) {
        userWindow->NoteHandlerFailure(FCUserWindow::HandlerFailure::Other);
    }
    // Close ends only a showing dialog; one that failed while being initialised is not showing yet and
    // is ended directly.
    if (!userWindow->IsClosed()) {
        const bool showing = window != nullptr && IsWindowVisible(window) != 0;
        userWindow->Close();
        if (window != nullptr && !showing) host::FX_EndDialog(window);
    }
    return 0;
}
