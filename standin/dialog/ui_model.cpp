#include "standin/dialog/ui_model.h"

#include <algorithm>
#include <utility>

#include "standin/dialog/dialog_user.h"
#include "standin/host/host.h"

namespace standin {

namespace {

bool SameClass(const std::string& a, const char* b) {
    if (a.size() != std::char_traits<char>::length(b)) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = static_cast<char>(a[i] >= 'A' && a[i] <= 'Z' ? a[i] - 'A' + 'a' : a[i]);
        const char y = static_cast<char>(b[i] >= 'A' && b[i] <= 'Z' ? b[i] - 'A' + 'a' : b[i]);
        if (x != y) return false;
    }
    return true;
}

// The main window's place on the (imagined) screen.
constexpr RECT kMainWindowRect = {0, 0, 1024, 768};

}  // namespace

bool UiItem::IsComboBox() const {
    return SameClass(className, "ComboBox");
}
bool UiItem::IsEdit() const {
    return SameClass(className, "Edit");
}
bool UiItem::IsButton() const {
    return SameClass(className, "Button");
}
bool UiItem::IsStatic() const {
    return SameClass(className, "Static");
}

std::u16string UiItem::ShownText() const {
    if (!IsComboBox()) return text;
    if (selection >= 0 && static_cast<std::size_t>(selection) < entries.size()) {
        return entries[static_cast<std::size_t>(selection)];
    }
    return std::u16string();
}

UiItem* UiWindow::FindItem(int32_t id) {
    return const_cast<UiItem*>(std::as_const(*this).FindItem(id));
}

const UiItem* UiWindow::FindItem(int32_t id) const {
    for (const UiItem& item : items) {
        if (item.id == id) return &item;
    }
    return nullptr;
}

POINT UiWindow::ClientOrigin() const {
    const int32_t frameWidth = (rect.right - rect.left) - clientWidth;
    const int32_t frameHeight = (rect.bottom - rect.top) - clientHeight;
    // The frame is equal on the left, right and bottom; the rest of the height is the caption on top.
    POINT origin;
    origin.x = rect.left + frameWidth / 2;
    origin.y = rect.top + frameHeight - frameWidth / 2;
    return origin;
}

UiWindow& UiModel::AddWindow(HWND parent, const std::u16string& caption, RECT rect) {
    return PlaceWindow(NewHandle(), parent, caption, rect);
}

UiWindow& UiModel::PlaceWindow(HWND handle, HWND parent, const std::u16string& caption, RECT rect) {
    auto window = std::make_unique<UiWindow>();
    window->handle = handle;
    window->parent = parent;
    window->caption = caption;
    window->rect = rect;
    window->clientWidth = rect.right - rect.left;
    window->clientHeight = rect.bottom - rect.top;
    windows_.push_back(std::move(window));
    return *windows_.back();
}

UiWindow& UiModel::MainWindow() {
    HWND main = MirelWindowFromValue(Host().MainWindow());
    for (auto& window : windows_) {
        if (window->handle == main) return *window;
    }
    UiWindow& window = PlaceWindow(main, nullptr, u"Finale", kMainWindowRect);
    window.visible = true;
    return window;
}

UiWindow* UiModel::Window(HWND handle) {
    if (handle == nullptr) return nullptr;
    for (auto& window : windows_) {
        if (window->handle == handle) return window.get();
    }
    if (handle == MirelWindowFromValue(Host().MainWindow())) return &MainWindow();
    return nullptr;
}

UiItem* UiModel::ItemByHandle(HWND handle, UiWindow** owner) {
    if (handle == nullptr) return nullptr;
    for (auto& window : windows_) {
        for (UiItem& item : window->items) {
            if (item.handle == handle) {
                if (owner != nullptr) *owner = window.get();
                return &item;
            }
        }
    }
    return nullptr;
}

UiItem* UiModel::Item(HWND dialog, int32_t id) {
    UiWindow* window = Window(dialog);
    return window != nullptr ? window->FindItem(id) : nullptr;
}

HWND UiModel::NewHandle() {
    HWND handle = reinterpret_cast<HWND>(nextHandle_);
    nextHandle_ += 4;
    return handle;
}

void UiModel::RemoveWindow(HWND handle) {
    windows_.erase(std::remove_if(windows_.begin(), windows_.end(),
                                  [&](const std::unique_ptr<UiWindow>& w) { return w->handle == handle; }),
                   windows_.end());
    if (activeSet_ && activeWindow_ == handle) activeWindow_ = nullptr;
}

HWND UiModel::ActiveWindow() {
    return activeSet_ ? activeWindow_ : MirelWindowFromValue(Host().MainWindow());
}

HWND UiModel::SetActive(HWND window) {
    HWND previous = ActiveWindow();
    activeWindow_ = window;
    activeSet_ = true;
    return previous;
}

void UiModel::SetUser(std::shared_ptr<DialogUser> user) {
    user_ = std::move(user);
}

DialogUser& UiModel::User() {
    if (!user_) user_ = MakeAcceptingUser();
    return *user_;
}

void UiModel::Reset() {
    windows_.clear();
    nextHandle_ = 0x00020000;
    activeWindow_ = nullptr;
    activeSet_ = false;
    dialogRuns.clear();
    currentRun = nullptr;
    messageBoxes.clear();
    messageBoxAnswer = IDOK;
    onMessageBox = nullptr;
    user_.reset();
    dialogStringsFillBuffer = false;
}

UiModel& Ui() {
    static UiModel model;
    return model;
}

// ---- 8-bit texts ------------------------------------------------------------------------------------------

std::u16string WidenBytes(const char* text) {
    std::u16string out;
    if (text == nullptr) return out;
    for (const char* p = text; *p != '\0'; ++p)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(*p)));
    return out;
}

std::string NarrowBytes(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t unit : text) out.push_back(static_cast<char>(unit & 0xFF));
    return out;
}

}  // namespace standin
