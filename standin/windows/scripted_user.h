#ifndef MIREL_STANDIN_WINDOWS_SCRIPTED_USER_H
#define MIREL_STANDIN_WINDOWS_SCRIPTED_USER_H

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The user in front of FINALE.EXE when it runs unattended: it works the real controls of the module's dialog
// (picks a combo entry, types into the edit fields, presses a button or the close box, or a key) and answers
// every message box with OK, noting down what it saw.
namespace standin::windows {

// How the user ends the dialog.
enum class DialogEnding {
    Ok,        // clicks the Ok button
    Cancel,    // clicks the Cancel button
    CloseBox,  // the close box of the caption (WM_SYSCOMMAND SC_CLOSE)
    Escape,    // presses Escape in the dialog
    Enter,     // presses Enter in the dialog (the default button)
    Nothing,   // leaves the dialog alone (a person at a real display ends it)
};

// What the user does in the dialog. Texts are UTF-8.
struct DialogScript {
    std::optional<std::string> categoryName;  // the combo entry to pick by its text
    std::optional<int> categoryEntry;         // or by its number, counted from 1
    std::optional<std::string> prefix;        // typed into the prefix field (102), replacing what is there
    std::optional<std::string> suffix;        // typed into the suffix field (104)
    DialogEnding ending = DialogEnding::Ok;
    // When set: once the input is in, the user writes the dialog's screen rectangle (left, top, width, height)
    // into this file and waits, with the dialog on screen, until someone removes the file (a screenshot is
    // taken meanwhile), at most `holdSeconds`.
    std::string holdFile;
    int holdSeconds = 30;
};

// One look at the dialog's live controls.
struct DialogState {
    uint32_t owner = 0;  // the window that owns the dialog
    std::string caption;
    std::string fontName;  // the face of the font the dialog's controls use
    std::vector<std::string> entries;
    int selectedEntry = 0;  // counted from 1; 0: none
    std::string prefix;
    std::string suffix;
};

// What the user saw of one dialog: when it had opened, and just before ending it.
struct DialogSighting {
    DialogState opened;
    DialogState beforeEnding;
    bool endedByModule = false;  // the module called FX_EndDialog (else the user's patience ran out)
};

// A message box the module showed.
struct MessageBoxSighting {
    uint32_t owner = 0;
    std::string caption;
    std::string text;
    bool informationIcon = false;
    std::vector<std::string> buttons;  // texts of the box's push buttons
};

class ScriptedUser {
public:
    // The user of this process (no script: the dialogs are left to a person).
    static ScriptedUser& Current();

    void SetScript(const DialogScript& script) { script_ = script; }
    bool HasScript() const { return script_.has_value(); }

    // Called by FX_Dialog once the dialog has been initialised: schedules the user's turn.
    void DialogOpened(HWND dialog);
    // Called by the dialog procedure on the user's turn and on the user's timers.
    void TakeTurn(HWND dialog);
    void OnTimer(HWND dialog, UINT_PTR id);
    // Called by FX_EndDialog and when the dialog is gone.
    void DialogEnded(HWND dialog, bool byModule);

    // Watches for message boxes on this thread from now on and answers them with OK.
    void WatchMessageBoxes();

    const std::vector<DialogSighting>& Dialogs() const { return dialogs_; }
    const std::vector<MessageBoxSighting>& MessageBoxes() const { return messageBoxes_; }
    // Every sighting as text, one fact a line, for the program's report.
    std::string Report() const;

    // Reads the dialog's controls as they are now.
    static DialogState Look(HWND dialog);

private:
    void Act(HWND dialog);
    void End(HWND dialog);
    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
    void MessageBoxAppeared(HWND box);

    std::optional<DialogScript> script_;
    std::vector<DialogSighting> dialogs_;
    std::vector<MessageBoxSighting> messageBoxes_;
    HHOOK hook_ = nullptr;
    DWORD holdStarted_ = 0;
};

// Messages and timers the host's dialog procedure hands to the user.
constexpr UINT kUserTurnMessage = WM_APP + 0x4D49;
constexpr UINT_PTR kHoldTimer = 0x4D49;
constexpr UINT_PTR kPatienceTimer = 0x4D4A;

// True while `window` is a dialog that FX_Dialog is running (as opposed to a message box).
bool IsHostDialog(HWND window);

}  // namespace standin::windows

#endif
