#ifndef MIREL_STANDIN_UI_MODEL_H
#define MIREL_STANDIN_UI_MODEL_H

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32_subset.h"

namespace standin {

// The stand-in application's windows, without a screen: what the dialog functions and the Windows calls of
// the module read and change. A real application draws these; here they are plain data that tests and the
// terminal user look at.

// One item of a dialog.
struct UiItem {
    HWND handle = nullptr;
    int32_t id = 0;
    std::string className;  // as the template names it: "Static", "Edit", "ComboBox", "Button"
    uint32_t style = 0;
    std::u16string text;
    // Drop-down lists: the entries and the selected one (-1: none).
    std::vector<std::u16string> entries;
    int32_t selection = -1;
    int32_t check = 0;  // check boxes and buttons
    bool enabled = true;
    bool visible = true;
    RECT rect{};  // pixels, in the dialog's client coordinates
    int32_t redraws = 0;

    bool IsComboBox() const;
    bool IsEdit() const;
    bool IsButton() const;
    bool IsStatic() const;
    // What the item's text reads: a drop-down list's selected entry (empty when none), else its text.
    std::u16string ShownText() const;
};

// A top-level window: the host's main window or a dialog.
struct UiWindow {
    HWND handle = nullptr;
    HWND parent = nullptr;  // the owner (GetParent answers it for a top-level window)
    std::u16string caption;
    int32_t resourceID = 0;  // dialogs: the resource they were built from
    bool enabled = true;
    bool visible = false;
    bool ended = false;  // FX_EndDialog has been called for it
    RECT rect{};         // outer rectangle, screen pixels
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    // What the window answered to the tracking-size query (0 when never asked).
    POINT minTrackSize{};
    POINT maxTrackSize{};
    std::vector<UiItem> items;

    UiItem* FindItem(int32_t id);
    const UiItem* FindItem(int32_t id) const;
    // Screen position of the client area's top-left corner.
    POINT ClientOrigin() const;
};

// A message box the module showed.
struct MessageBoxRecord {
    HWND owner = nullptr;
    std::u16string caption;
    std::u16string text;
    uint32_t type = 0;
};

// One message the host sent to a dialog procedure, and the procedure's answer.
struct DialogMessage {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    intptr_t answer = 0;
};

// One run of FX_Dialog.
struct DialogRun {
    int32_t resourceID = 0;
    HWND handle = nullptr;  // the dialog's window while it ran
    HWND parent = nullptr;
    UiWindow shown;      // the dialog as the user first saw it (after initialisation)
    UiWindow final;      // the dialog when the run was over
    bool ended = false;  // the module ended it with FX_EndDialog
    int32_t endDialogCalls = 0;
    std::vector<DialogMessage> messages;
    // What the user wanted and could not do (an entry that is not there, ...).
    std::vector<std::string> notes;
};

class DialogUser;

class UiModel {
  public:
    // ---- Windows ----
    // A new top-level window with a fresh handle, not visible, enabled.
    UiWindow& AddWindow(HWND parent, const std::u16string& caption, RECT rect);
    // The window with that handle, or null. The host's main window (Host().MainWindow()) always exists: it is
    // made on first use, visible and enabled.
    UiWindow* Window(HWND handle);
    UiWindow& MainWindow();
    // The item with that handle, or null; `owner` receives its window.
    UiItem* ItemByHandle(HWND handle, UiWindow** owner = nullptr);
    // The item `id` of the dialog `dialog`, or null.
    UiItem* Item(HWND dialog, int32_t id);
    // A handle no window or item has had before.
    HWND NewHandle();
    void RemoveWindow(HWND handle);
    std::size_t WindowCount() const { return windows_.size(); }

    // The active window; the main window until something else is made active.
    HWND ActiveWindow();
    HWND SetActive(HWND window);

    // ---- Dialog runs (FX_Dialog) ----
    // Every run, oldest first (a deque: a run stays where it is while a dialog opened from it runs).
    std::deque<DialogRun> dialogRuns;
    // The run in progress, or null.
    DialogRun* currentRun = nullptr;

    // ---- Message boxes ----
    std::vector<MessageBoxRecord> messageBoxes;
    // The button the user presses in every message box.
    int32_t messageBoxAnswer = IDOK;
    // Called for every message box after it is recorded (the program shows it in the terminal).
    std::function<void(const MessageBoxRecord&)> onMessageBox;

    // ---- The user who answers dialogs ----
    // Without a user of its own the model has one that presses OK on whatever the dialog shows.
    void SetUser(std::shared_ptr<DialogUser> user);
    DialogUser& User();

    // ---- Host behaviour switches for tests ----
    // FX_GetDlgString(_UTF16) copy as much of the item's text as fits, without a terminator when the text
    // fills the buffer (as a careless host might). Off: the text is cut so that the terminator fits.
    bool dialogStringsFillBuffer = false;

    // Back to the state of a new process.
    void Reset();

  private:
    // A window with the given handle, its client area as large as `rect`.
    UiWindow& PlaceWindow(HWND handle, HWND parent, const std::u16string& caption, RECT rect);

    std::vector<std::unique_ptr<UiWindow>> windows_;
    uintptr_t nextHandle_ = 0x00020000;
    HWND activeWindow_ = nullptr;
    bool activeSet_ = false;
    std::shared_ptr<DialogUser> user_;
};

// The one user-interface model of this process.
UiModel& Ui();

// 8-bit texts of the host's 8-bit functions: one unit per byte and the low byte of each unit.
std::u16string WidenBytes(const char* text);
std::string NarrowBytes(const std::u16string& text);

}  // namespace standin

#endif
