// The Windows user-interface calls of the module, answered from the headless window model
// (standin/dialog/ui_model.h) with the system's own rules: a child item is visible only while its dialog is,
// EnableWindow and ShowWindow answer the state before the call, a drop-down list answers CB_ERR for what it
// does not have.
//
// Every call is counted in Host().Counts() and, with the call log on, logged: windows as their handle
// values, pointers as 0/1. SendDlgItemMessageA/W log dialog, item, message, wParam and, for a message that
// carries a text, the text (UTF-8). MessageBoxW logs owner and type with "caption: text" as its text.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32_subset.h"
#include "standin/dialog/ui_model.h"
#include "standin/host/call_record.h"
#include "standin/host/host.h"
#include "standin/score/document_builder.h"

using standin::CallRecord;
using standin::Host;
using standin::Ui;
using standin::UiItem;
using standin::UiWindow;
using standin::WindowValue;

#define MIREL_USER_EXPORT __attribute__((visibility("default")))

namespace {

constexpr uint32_t kComboSorted = 0x0100;
constexpr LRESULT kComboOkay = 0;

std::u16string FromWide(const WCHAR* text) {
    std::u16string out;
    if (text != nullptr) out = reinterpret_cast<const char16_t*>(text);
    return out;
}

// Copies `text` into a buffer of `capacity` units with a terminator; answers the units copied.
template <typename Unit>
LRESULT CopyOut(const std::basic_string<Unit>& text, Unit* buffer, std::size_t capacity) {
    if (buffer == nullptr || capacity == 0) return 0;
    const std::size_t n = std::min(text.size(), capacity - 1);
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), buffer);
    buffer[n] = Unit(0);
    return static_cast<LRESULT>(n);
}

// The text a message carries in lParam: UTF-16 (`wide`) or 8-bit.
std::u16string TextIn(LPARAM lParam, bool wide) {
    if (lParam == 0) return std::u16string();
    return wide ? FromWide(reinterpret_cast<const WCHAR*>(lParam))
                : standin::WidenBytes(reinterpret_cast<const char*>(lParam));
}

// One message to an item, as the item answers it.
struct ItemCall {
    UiItem& item;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool wide;  // texts in the parameters are UTF-16, else 8-bit

    // Copies `text` into the caller's buffer in lParam, of `capacity` units; answers the units copied.
    LRESULT TextOut(const std::u16string& text, std::size_t capacity) const {
        if (wide) return CopyOut(text, reinterpret_cast<char16_t*>(lParam), capacity);
        return CopyOut(standin::NarrowBytes(text), reinterpret_cast<char*>(lParam), capacity);
    }
    // The entry wParam names; null when the item is no drop-down list or has no such entry.
    const std::u16string* Entry() const {
        const auto index = static_cast<intptr_t>(wParam);
        if (!item.IsComboBox() || index < 0 || index >= static_cast<intptr_t>(item.entries.size()))
            return nullptr;
        return &item.entries[static_cast<std::size_t>(index)];
    }
};

// CB_ADDSTRING: at the end, or in order in a sorted list; answers where.
LRESULT AddEntry(UiItem& item, const std::u16string& entry) {
    auto at = item.entries.end();
    if ((item.style & kComboSorted) != 0)
        at = std::upper_bound(item.entries.begin(), item.entries.end(), entry);
    const auto index = at - item.entries.begin();
    item.entries.insert(at, entry);
    if (item.selection >= index) ++item.selection;
    return static_cast<LRESULT>(index);
}

// CB_SETCURSEL: an index that is not there leaves the list without a selection.
LRESULT SelectEntry(UiItem& item, WPARAM wParam) {
    const auto index = static_cast<intptr_t>(wParam);
    if (index < 0 || index >= static_cast<intptr_t>(item.entries.size())) {
        item.selection = -1;
        return CB_ERR;
    }
    item.selection = static_cast<int32_t>(index);
    return index;
}

LRESULT Answer(const ItemCall& c) {
    UiItem& item = c.item;
    const bool combo = item.IsComboBox();
    switch (c.message) {
        case CB_RESETCONTENT:
            if (!combo) return 0;
            item.entries.clear();
            item.selection = -1;
            return kComboOkay;
        case CB_ADDSTRING:
            return combo && c.lParam != 0 ? AddEntry(item, TextIn(c.lParam, c.wide)) : CB_ERR;
        case CB_GETCOUNT:
            return combo ? static_cast<LRESULT>(item.entries.size()) : CB_ERR;
        case CB_GETCURSEL:
            return combo && item.selection >= 0 ? item.selection : CB_ERR;
        case CB_SETCURSEL:
            return combo ? SelectEntry(item, c.wParam) : CB_ERR;
        case CB_GETLBTEXTLEN:
            return c.Entry() != nullptr ? static_cast<LRESULT>(c.Entry()->size()) : CB_ERR;
        case CB_GETLBTEXT:
            // The caller's buffer is as long as CB_GETLBTEXTLEN said, plus the terminator.
            return c.Entry() != nullptr ? c.TextOut(*c.Entry(), c.Entry()->size() + 1) : CB_ERR;
        case WM_GETTEXT:
            return c.TextOut(item.ShownText(), static_cast<std::size_t>(c.wParam));
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(item.ShownText().size());
        case WM_SETTEXT:
            item.text = TextIn(c.lParam, c.wide);
            return TRUE;
        default:
            return 0;
    }
}

// A message and its parameters.
struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A message to item `id` of `dialog`. `wide` says whether texts in the parameters are UTF-16 or 8-bit.
LRESULT ItemMessage(const char* function, HWND dialog, int32_t id, const Message& m, bool wide) {
    const bool carriesText = m.message == CB_ADDSTRING || m.message == WM_SETTEXT;
    CallRecord call(
        function, {WindowValue(dialog), id, static_cast<int64_t>(m.message), static_cast<int64_t>(m.wParam)},
        carriesText ? standin::Utf16ToUtf8(TextIn(m.lParam, wide)) : std::string());
    UiItem* item = Ui().Item(dialog, id);
    if (item == nullptr) return call.Return<LRESULT>(0);
    return call.Return(Answer(ItemCall{*item, m.message, m.wParam, m.lParam, wide}));
}

// A window's or an item's flag (enabled, visible), whichever the handle names; null for an unknown handle.
bool* FlagOf(HWND handle, bool UiWindow::*windowFlag, bool UiItem::*itemFlag) {
    if (UiWindow* window = Ui().Window(handle)) return &(window->*windowFlag);
    if (UiItem* item = Ui().ItemByHandle(handle)) return &(item->*itemFlag);
    return nullptr;
}

// The outer rectangle of a window or an item, in screen pixels.
bool ScreenRect(HWND handle, RECT& rect) {
    if (UiWindow* window = Ui().Window(handle)) {
        rect = window->rect;
        return true;
    }
    UiWindow* owner = nullptr;
    if (UiItem* item = Ui().ItemByHandle(handle, &owner)) {
        const POINT origin = owner->ClientOrigin();
        rect.left = item->rect.left + origin.x;
        rect.top = item->rect.top + origin.y;
        rect.right = item->rect.right + origin.x;
        rect.bottom = item->rect.bottom + origin.y;
        return true;
    }
    return false;
}

}  // namespace

extern "C" {

MIREL_USER_EXPORT int32_t MessageBoxW(HWND owner, const WCHAR* text, const WCHAR* caption, UINT type) {
    standin::MessageBoxRecord box;
    box.owner = owner;
    // The system's caption for a box without one.
    box.caption = caption != nullptr ? FromWide(caption) : u"Error";
    box.text = FromWide(text);
    box.type = type;
    CallRecord call("MessageBoxW", {WindowValue(owner), static_cast<int64_t>(type)},
                    standin::Utf16ToUtf8(box.caption) + ": " + standin::Utf16ToUtf8(box.text));
    Ui().messageBoxes.push_back(box);
    if (Ui().onMessageBox) Ui().onMessageBox(box);
    return call.Return(Ui().messageBoxAnswer);
}

MIREL_USER_EXPORT HWND GetDlgItem(HWND dialog, int32_t itemID) {
    CallRecord call("GetDlgItem", {WindowValue(dialog), itemID});
    UiItem* item = Ui().Item(dialog, itemID);
    HWND handle = item != nullptr ? item->handle : nullptr;
    call.Return(WindowValue(handle));
    return handle;
}

MIREL_USER_EXPORT LRESULT SendDlgItemMessageA(HWND dialog, int32_t itemID, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    return ItemMessage("SendDlgItemMessageA", dialog, itemID, {message, wParam, lParam}, false);
}

MIREL_USER_EXPORT LRESULT SendDlgItemMessageW(HWND dialog, int32_t itemID, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    return ItemMessage("SendDlgItemMessageW", dialog, itemID, {message, wParam, lParam}, true);
}

MIREL_USER_EXPORT BOOL InvalidateRect(HWND window, const RECT* /*rect*/, BOOL erase) {
    CallRecord call("InvalidateRect", {WindowValue(window), erase});
    if (UiItem* item = Ui().ItemByHandle(window)) {
        ++item->redraws;
        return call.Return<BOOL>(TRUE);
    }
    // Without a window the system redraws every window; there is nothing to draw here.
    return call.Return<BOOL>(window == nullptr || Ui().Window(window) != nullptr ? TRUE : FALSE);
}

MIREL_USER_EXPORT BOOL IsWindowEnabled(HWND window) {
    CallRecord call("IsWindowEnabled", {WindowValue(window)});
    const bool* enabled = FlagOf(window, &UiWindow::enabled, &UiItem::enabled);
    return call.Return<BOOL>(enabled != nullptr && *enabled ? TRUE : FALSE);
}

MIREL_USER_EXPORT BOOL EnableWindow(HWND window, BOOL enable) {
    CallRecord call("EnableWindow", {WindowValue(window), enable});
    bool* enabled = FlagOf(window, &UiWindow::enabled, &UiItem::enabled);
    if (enabled == nullptr) return call.Return<BOOL>(FALSE);
    const bool wasDisabled = !*enabled;
    *enabled = enable != 0;
    return call.Return<BOOL>(wasDisabled ? TRUE : FALSE);
}

MIREL_USER_EXPORT BOOL ShowWindow(HWND window, int32_t command) {
    CallRecord call("ShowWindow", {WindowValue(window), command});
    bool* visible = FlagOf(window, &UiWindow::visible, &UiItem::visible);
    if (visible == nullptr) return call.Return<BOOL>(FALSE);
    const bool wasVisible = *visible;
    *visible = command != SW_HIDE;
    return call.Return<BOOL>(wasVisible ? TRUE : FALSE);
}

MIREL_USER_EXPORT BOOL IsWindowVisible(HWND window) {
    CallRecord call("IsWindowVisible", {WindowValue(window)});
    if (UiWindow* w = Ui().Window(window)) return call.Return<BOOL>(w->visible ? TRUE : FALSE);
    UiWindow* owner = nullptr;
    if (UiItem* item = Ui().ItemByHandle(window, &owner)) {
        return call.Return<BOOL>(item->visible && owner->visible ? TRUE : FALSE);
    }
    return call.Return<BOOL>(FALSE);
}

MIREL_USER_EXPORT BOOL GetWindowRect(HWND window, RECT* rect) {
    CallRecord call("GetWindowRect", {WindowValue(window), rect != nullptr ? 1 : 0});
    RECT found{};
    if (rect == nullptr || !ScreenRect(window, found)) return call.Return<BOOL>(FALSE);
    *rect = found;
    return call.Return<BOOL>(TRUE);
}

MIREL_USER_EXPORT BOOL GetClientRect(HWND window, RECT* rect) {
    CallRecord call("GetClientRect", {WindowValue(window), rect != nullptr ? 1 : 0});
    if (rect == nullptr) return call.Return<BOOL>(FALSE);
    if (UiWindow* w = Ui().Window(window)) {
        *rect = RECT{0, 0, w->clientWidth, w->clientHeight};
        return call.Return<BOOL>(TRUE);
    }
    if (UiItem* item = Ui().ItemByHandle(window)) {
        *rect = RECT{0, 0, item->rect.right - item->rect.left, item->rect.bottom - item->rect.top};
        return call.Return<BOOL>(TRUE);
    }
    return call.Return<BOOL>(FALSE);
}

MIREL_USER_EXPORT BOOL SetWindowPos(HWND window, HWND /*insertAfter*/, int32_t x, int32_t y, int32_t cx,
                                    int32_t cy, UINT flags) {
    CallRecord call("SetWindowPos", {WindowValue(window), x, y, cx, cy, static_cast<int64_t>(flags)});
    RECT* rect = nullptr;
    UiWindow* w = Ui().Window(window);
    if (w != nullptr) {
        rect = &w->rect;
    } else if (UiItem* item = Ui().ItemByHandle(window)) {
        rect = &item->rect;
    }
    if (rect == nullptr) return call.Return<BOOL>(FALSE);
    const int32_t oldWidth = rect->right - rect->left;
    const int32_t oldHeight = rect->bottom - rect->top;
    const int32_t width = (flags & SWP_NOSIZE) != 0 ? oldWidth : std::max(cx, 0);
    const int32_t height = (flags & SWP_NOSIZE) != 0 ? oldHeight : std::max(cy, 0);
    if ((flags & SWP_NOMOVE) == 0) {
        rect->left = x;
        rect->top = y;
    }
    rect->right = rect->left + width;
    rect->bottom = rect->top + height;
    if (w != nullptr) {
        // The frame stays as it is; the client area takes the change.
        w->clientWidth += width - oldWidth;
        w->clientHeight += height - oldHeight;
    }
    return call.Return<BOOL>(TRUE);
}

MIREL_USER_EXPORT HWND GetParent(HWND window) {
    CallRecord call("GetParent", {WindowValue(window)});
    HWND parent = nullptr;
    if (UiWindow* w = Ui().Window(window)) {
        parent = w->parent;
    } else {
        UiWindow* owner = nullptr;
        if (Ui().ItemByHandle(window, &owner) != nullptr) parent = owner->handle;
    }
    call.Return(WindowValue(parent));
    return parent;
}

MIREL_USER_EXPORT HWND GetActiveWindow(void) {
    CallRecord call("GetActiveWindow", {});
    HWND active = Ui().ActiveWindow();
    call.Return(WindowValue(active));
    return active;
}

MIREL_USER_EXPORT HWND SetActiveWindow(HWND window) {
    CallRecord call("SetActiveWindow", {WindowValue(window)});
    // Only an existing, enabled window can be made active; otherwise nothing changes and the answer is null.
    UiWindow* w = Ui().Window(window);
    if (w == nullptr || !w->enabled) {
        call.Return<int64_t>(0);
        return nullptr;
    }
    HWND previous = Ui().SetActive(window);
    call.Return(WindowValue(previous));
    return previous;
}

}  // extern "C"
