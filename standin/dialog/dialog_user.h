#ifndef MIREL_STANDIN_DIALOG_USER_H
#define MIREL_STANDIN_DIALOG_USER_H

#include <cstdint>
#include <deque>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "contract/mirel_contract.h"
#include "standin/dialog/ui_model.h"

namespace standin {

// A dialog while it runs, as the user meets it: the user changes the items as mouse and keyboard would, and
// each change reaches the module's dialog procedure as the message a real dialog sends (a selection change,
// an edit change, a button press, the close box).
class DialogSession {
  public:
    DialogSession(HWND dialog, FXDialogProc proc, void* user, DialogRun& run);

    HWND Handle() const { return dialog_; }
    // The dialog's current state; null once it is gone.
    const UiWindow* Window() const;
    // The module has ended the dialog.
    bool Ended() const;

    // Sends a message to the dialog procedure and records it in the run.
    intptr_t Send(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);

    // Selects entry `index` (from 0) of drop-down list `itemID`; false when there is no such entry.
    bool SelectEntry(int32_t itemID, int32_t index);
    // Selects the first entry of that name; false when there is none.
    bool SelectEntryNamed(int32_t itemID, const std::u16string& name);
    // Replaces the text of edit field `itemID`.
    bool TypeText(int32_t itemID, const std::u16string& text);
    // Presses button `buttonID` (also what Enter does for the default button and Escape for Cancel).
    void Press(int32_t buttonID);
    // Clicks the close box. Like the system's dialog manager, an unhandled close becomes a Cancel command.
    void CloseBox();

    // Something the user wanted and could not do, kept in the run's notes.
    void Note(const std::string& note);

  private:
    HWND dialog_;
    FXDialogProc proc_;
    void* user_;
    DialogRun& run_;
};

// Whoever answers the dialogs: a script, a person at a terminal, or the default that presses OK.
class DialogUser {
  public:
    virtual ~DialogUser() = default;
    // Acts on the dialog until it is done. Returning while the dialog has not ended makes the host give the
    // dialog up (FX_Dialog returns without an end).
    virtual void Operate(DialogSession& session) = 0;
};

// How a scripted user ends the dialog.
enum class DialogEnding {
    Ok,      // presses the OK button
    Cancel,  // presses the Cancel button
    Close,   // clicks the close box
    Escape,  // presses Escape, which the dialog manager turns into Cancel
    Enter,   // presses Enter, which the dialog manager turns into the default button, OK
    None,    // does nothing; the host then gives the dialog up
};

// The answers for one dialog. Whatever is not set stays as the dialog shows it.
struct DialogAnswers {
    std::optional<std::string> categoryName;  // UTF-8; the first entry of that name
    std::optional<int32_t> categoryEntry;     // counted from 1
    std::optional<std::string> prefix;        // UTF-8
    std::optional<std::string> suffix;        // UTF-8
    DialogEnding ending = DialogEnding::Ok;

    // "ok", "cancel", "close", "escape", "enter" or "none" (case-insensitive); false for anything else.
    static bool ParseEnding(const std::string& text, DialogEnding& ending);
    // A category given on a command line: an entry number (EntryNumber), anything else a name.
    void SetCategory(const std::string& text);
};

// An entry of a drop-down list as typed: all digits (fewer than ten) are its number, from 1; anything else is
// no number.
std::optional<int32_t> EntryNumber(const std::string& text);

// Answers each dialog with the next answers of its queue. When the queue is empty it does nothing, so the
// host gives the dialog up.
class ScriptedDialogUser : public DialogUser {
  public:
    ScriptedDialogUser() = default;
    explicit ScriptedDialogUser(DialogAnswers answers) { queue.push_back(std::move(answers)); }

    void Operate(DialogSession& session) override;

    std::deque<DialogAnswers> queue;
};

// A person at a terminal: the dialog is drawn as text, the answers are read line by line; an empty line keeps
// what is shown. A text in double quotes is taken as written inside them ("" for an empty text, "To " with
// its space). The end of the input closes the dialog.
class TerminalDialogUser : public DialogUser {
  public:
    TerminalDialogUser(std::istream& in, std::ostream& out) : in_(in), out_(out) {}

    void Operate(DialogSession& session) override;

    // Writes each answer after its prompt, for input that the terminal does not echo (a pipe, a file).
    bool echoInput = false;

  private:
    // What came of asking for one item.
    enum class Asked { Kept, Changed, InputEnded };

    bool ReadLine(const std::string& prompt, std::string& line);
    // Asks for an entry of the drop-down list at `index` until one is chosen or kept.
    Asked AskEntry(DialogSession& session, std::size_t index, const std::string& label);
    Asked AskText(DialogSession& session, const UiItem& item, const std::string& label);
    // Close when the input ends.
    DialogEnding AskEnding();

    std::istream& in_;
    std::ostream& out_;
};

// The user a model has when none is set: presses OK on whatever the dialog shows.
std::shared_ptr<DialogUser> MakeAcceptingUser();

// The category dialog's item ids, as its template has them.
constexpr int32_t kDialogOkID = IDOK;
constexpr int32_t kDialogCancelID = IDCANCEL;
constexpr int32_t kDialogPrefixID = 102;
constexpr int32_t kDialogSuffixID = 104;
constexpr int32_t kDialogCategoryID = 106;

// The dialog as text: caption, then each item in template order; the entries of a drop-down list one per
// line, the selected one marked with '>'; edit fields in brackets.
std::string RenderDialog(const UiWindow& window);
// The entries of a drop-down list as text, one a line after `indent`: the number from 1 and the entry, the
// selected one (`selected`, from 1; 0 for none) marked with '>'; "(no entries)" for an empty list.
std::string EntryLines(const std::vector<std::string>& entries, int selected, const std::string& indent);
// A message box as text: caption and text in a frame, and the OK button.
std::string RenderMessageBox(const MessageBoxRecord& box);

}  // namespace standin

#endif
