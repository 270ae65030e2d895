#ifndef MIREL_STANDIN_WINDOWS_SCRIPTED_USER_H
#define MIREL_STANDIN_WINDOWS_SCRIPTED_USER_H

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "standin/commands/run_command.h"
#include "standin/dialog/dialog_user.h"

// The user in front of FINALE.EXE: it watches every dialog FX_Dialog runs and notes what the live controls
// show when the dialog opens and when it ends. With a script it also works the real controls (picks a combo
// entry, types into the edit fields, presses a button, the close box or a key) and answers every message box
// with OK; without one, the dialogs and message boxes are left to a person at the display.
namespace standin::windows {

// What the scripted user does in the dialog: the answers of the `run` command (the combo entry picked by its
// text or number, the texts typed into the prefix and suffix fields, replacing what is there, and the ending).
struct DialogScript {
    DialogAnswers answers;
    // When set: once the input is in, the user writes the dialog's screen rectangle (left, top, width,
    // height) into this file and waits, with the dialog on screen, until someone removes the file (a
    // screenshot is taken meanwhile), at most `holdSeconds`.
    std::string holdFile;
    int holdSeconds = 30;
};

// One look at the dialog's live controls: what the `run` command tells of a dialog, and what only the live
// dialog shows.
struct DialogState : DialogView {
    uint32_t owner = 0;    // the window that owns the dialog
    std::string fontName;  // the face the font mapper chose for the dialog's font
};

// One dialog as the user saw it.
struct LiveDialog {
    DialogState opened;   // once its initialisation had run
    DialogState closing;  // when it ended
    bool closingSeen = false;
    bool endedByModule = false;      // the module called FX_EndDialog
    bool givenUp = false;            // the host took it down because nobody ended it
    bool sawClose = false;           // the dialog received WM_CLOSE
    int lastButton = 0;              // the last button command it received (IDOK, IDCANCEL), 0: none
    std::vector<std::string> notes;  // what the scripted user could not do
};

// A message box the module showed.
struct LiveMessageBox {
    uint32_t owner = 0;
    std::string caption;
    std::string text;  // with line feeds, as the module wrote it
    bool informationIcon = false;
    std::vector<std::string> buttons;  // texts of the box's push buttons
};

class ScriptedUser {
  public:
    // The user of this process.
    static ScriptedUser& Current();

    // With a script the user acts on every dialog; without (std::nullopt) the dialogs are left to a person.
    void SetScript(const std::optional<DialogScript>& script) { script_ = script; }
    bool HasScript() const { return script_.has_value(); }

    // Watches for message boxes on this thread from now on, notes each one and answers it with OK.
    void WatchMessageBoxes();

    // ---- Called by the host's dialog functions ----
    // The dialog has been initialised: the user looks at it (and acts) once its initialisation is over.
    void DialogOpened(HWND dialog);
    // A message the dialog received, before the module's procedure sees it.
    void MessageSeen(HWND dialog, UINT message, WPARAM wParam);
    // The user's own message and timers.
    void TakeTurn(HWND dialog);
    void OnTimer(HWND window, UINT_PTR id);
    // FX_EndDialog was called for the dialog (byModule), or the dialog is being destroyed.
    void DialogEnded(HWND dialog, bool byModule);

    const std::vector<LiveDialog>& Dialogs() const { return dialogs_; }
    const std::vector<LiveMessageBox>& MessageBoxes() const { return messageBoxes_; }
    // Everything seen, one fact a line, for FINALE.EXE's report.
    std::string Report() const;

    // Reads the dialog's controls as they are now.
    static DialogState Look(HWND dialog);

  private:
    void Act(HWND dialog);
    void End(HWND dialog);
    void GiveUp(HWND dialog);
    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
    void MessageBoxAppeared(HWND box);

    std::optional<DialogScript> script_;
    std::vector<LiveDialog> dialogs_;
    std::vector<LiveMessageBox> messageBoxes_;
    HHOOK hook_ = nullptr;
    DWORD holdStarted_ = 0;
};

// The user's message and timers, which the host's dialog procedure hands to the user and keeps from the
// module.
constexpr UINT kUserTurnMessage = WM_APP + 0x4D49;
constexpr UINT_PTR kHoldTimer = 0x4D49;
constexpr UINT_PTR kPatienceTimer = 0x4D4A;

// True while `window` is a dialog that FX_Dialog is running (as opposed to a message box).
bool IsHostDialog(HWND window);

}  // namespace standin::windows

#endif
