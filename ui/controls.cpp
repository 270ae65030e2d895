#include "ui/controls.h"

#include <vector>

#include "contract/mirel_contract.h"
#include "host/host_api.h"
#include "host/host_version.h"
#include "text/fc_string.h"
#include "ui/user_window.h"

FCControl::FCControl(int16_t controlID) : controlID_(controlID) {}

const char* FCControl::ClassName() const {
    return "FCControl";
}

int32_t FCControl::GetControlKind() const {
    return 0;
}

HWND FCControl::GetWindowHandle() const {
    return window_ != nullptr ? window_->GetWindowHandle() : nullptr;
}

void FCControl::Redraw() {
    InvalidateRect(GetDlgItem(GetWindowHandle(), controlID_), nullptr, FALSE);
}

void FCControl::Enable(bool enable) {
    host::FX_EnableDlgItem(GetWindowHandle(), controlID_, enable);
}

bool FCControl::IsEnabled() {
    return IsWindowEnabled(GetDlgItem(GetWindowHandle(), controlID_)) != 0;
}

void FCControl::Show(bool show) {
    ShowWindow(GetDlgItem(GetWindowHandle(), controlID_), show ? SW_SHOW : SW_HIDE);
}

void FCControl::SetText(const FCString* text) {
    if (HostUsesWideText()) {
        static const char16_t kEmptyWide[1] = {0};
        host::FX_SetDlgString_UTF16(
            GetWindowHandle(), controlID_,
            text != nullptr && text->WideBuffer() != nullptr ? text->WideBuffer() : kEmptyWide);
        return;
    }
    if (text == nullptr) {
        host::FX_SetDlgString(GetWindowHandle(), controlID_, "");
        return;
    }
    FCString narrowCopy;
    narrowCopy.Assign(text);
    host::FX_SetDlgString(GetWindowHandle(), controlID_, narrowCopy.ToNarrow());
}

void FCControl::GetText(FCString* text) {
    if (text == nullptr) return;
    // The host fills at most the capacity it is told; a text that fills the whole buffer without a
    // terminator is taken up to the buffer's end and no further.
    if (HostUsesWideText()) {
        std::vector<char16_t> buffer(MIREL_DIALOG_TEXT_CAPACITY, 0);
        host::FX_GetDlgString_UTF16(GetWindowHandle(), controlID_, buffer.data(), MIREL_DIALOG_TEXT_CAPACITY);
        text->AssignWideBounded(buffer.data(), MIREL_DIALOG_TEXT_CAPACITY);
    } else {
        std::vector<char> buffer(MIREL_DIALOG_TEXT_CAPACITY, 0);
        host::FX_GetDlgString(GetWindowHandle(), controlID_, buffer.data(), MIREL_DIALOG_TEXT_CAPACITY);
        text->AssignNarrowBounded(buffer.data(), MIREL_DIALOG_TEXT_CAPACITY);
    }
}

void FCControl::Resize(int32_t dx, int32_t dy) {
    HWND item = GetDlgItem(GetWindowHandle(), controlID_);
    RECT outer{};
    if (GetWindowRect(item, &outer) == 0) return;
    SetWindowPos(item, nullptr, 0, 0, outer.right - outer.left + dx, outer.bottom - outer.top + dy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

const char* FCCtrlStatic::ClassName() const {
    return "FCCtrlStatic";
}
const char* FCCtrlEdit::ClassName() const {
    return "FCCtrlEdit";
}
const char* FCCtrlPopup::ClassName() const {
    return "FCCtrlPopup";
}
const char* FCCtrlCheckbox::ClassName() const {
    return "FCCtrlCheckbox";
}
const char* FCCtrlButton::ClassName() const {
    return "FCCtrlButton";
}

void FCCtrlCheckbox::SetCheck(int32_t value) {
    host::FX_SetDlgItemVal(GetWindowHandle(), GetControlID(), 1, value);
}

int32_t FCCtrlCheckbox::GetCheck() {
    return host::FX_GetDlgItemVal(GetWindowHandle(), GetControlID(), 1);
}
