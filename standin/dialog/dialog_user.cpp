#include "standin/dialog/dialog_user.h"

#include <cctype>
#include <istream>
#include <ostream>
#include <sstream>

#include "standin/host/host.h"
#include "standin/score/document_builder.h"

namespace standin {

namespace {

// Notification codes in the high word of a command from a drop-down list and an edit field (a button's is
// BN_CLICKED).
constexpr uint32_t kComboSelectionChanged = 1;
constexpr uint32_t kEditChanged = 0x0300;

uintptr_t CommandParameter(int32_t id, uint32_t code) {
    return (static_cast<uintptr_t>(code & 0xFFFF) << 16) | (static_cast<uintptr_t>(id) & 0xFFFF);
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The words that end a dialog. The terminal offers the first three, each also by its key.
struct EndingWord {
    const char* word;
    const char* key;  // null: not offered at the terminal
    DialogEnding ending;
};
constexpr EndingWord kEndingWords[] = {
    {"ok", "o", DialogEnding::Ok},           {"cancel", "c", DialogEnding::Cancel},
    {"close", "x", DialogEnding::Close},     {"escape", nullptr, DialogEnding::Escape},
    {"enter", nullptr, DialogEnding::Enter}, {"none", nullptr, DialogEnding::None}};

// A label's text as shown: '&' marks the access key and "&&" stands for one '&'.
std::string ShownLabel(const std::u16string& text) {
    std::u16string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&') {
                shown.push_back(u'&');
                ++i;
            }
            continue;
        }
        shown.push_back(text[i]);
    }
    return Utf16ToUtf8(shown);
}

// The label that introduces item `index`: the static text right before it, without a trailing ':'.
std::string LabelBefore(const UiWindow& window, std::size_t index) {
    if (index > 0 && window.items[index - 1].IsStatic()) {
        std::string label = ShownLabel(window.items[index - 1].text);
        if (!label.empty() && label.back() == ':') label.pop_back();
        return label;
    }
    return "Item " + std::to_string(window.items[index].id);
}

std::string Quoted(const std::u16string& text) {
    return "\"" + Utf16ToUtf8(text) + "\"";
}

// An answer as typed: inside double quotes it is taken literally, otherwise as it stands.
std::string Unquote(const std::string& line) {
    if (line.size() >= 2 && line.front() == '"' && line.back() == '"') return line.substr(1, line.size() - 2);
    return line;
}

class AcceptingDialogUser : public DialogUser {
  public:
    void Operate(DialogSession& session) override { session.Press(kDialogOkID); }
};

}  // namespace

// ---- DialogSession ----------------------------------------------------------------------------------------

DialogSession::DialogSession(HWND dialog, FXDialogProc proc, void* user, DialogRun& run)
    : dialog_(dialog), proc_(proc), user_(user), run_(run) {}

const UiWindow* DialogSession::Window() const {
    return Ui().Window(dialog_);
}

bool DialogSession::Ended() const {
    const UiWindow* window = Window();
    return window == nullptr || window->ended;
}

intptr_t DialogSession::Send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    const std::size_t index = run_.messages.size();
    run_.messages.push_back(DialogMessage{message, wParam, lParam, 0});
    // The dialog procedure is the module's code, even though the host runs it from inside FX_Dialog.
    const int hostDepth = gHostCallDepth;
    gHostCallDepth = 0;
    const intptr_t answer = proc_(dialog_, message, wParam, lParam, user_);
    gHostCallDepth = hostDepth;
    run_.messages[index].answer = answer;
    return answer;
}

namespace {

// The item the user means, when the dialog takes input; otherwise a note why not.
UiItem* UsableItem(DialogSession& session, int32_t itemID) {
    if (session.Ended()) {
        session.Note("the dialog has ended; item " + std::to_string(itemID) + " cannot be used");
        return nullptr;
    }
    UiWindow* window = Ui().Window(session.Handle());
    if (!window->enabled) {
        session.Note("the dialog is disabled; item " + std::to_string(itemID) + " cannot be used");
        return nullptr;
    }
    UiItem* item = window->FindItem(itemID);
    if (item == nullptr) {
        session.Note("the dialog has no item " + std::to_string(itemID));
        return nullptr;
    }
    if (!item->enabled || !item->visible) {
        session.Note("item " + std::to_string(itemID) + " is disabled or hidden");
        return nullptr;
    }
    return item;
}

}  // namespace

bool DialogSession::SelectEntry(int32_t itemID, int32_t index) {
    UiItem* item = UsableItem(*this, itemID);
    if (item == nullptr) return false;
    if (!item->IsComboBox() || index < 0 || static_cast<std::size_t>(index) >= item->entries.size()) {
        Note("item " + std::to_string(itemID) + " has no entry " + std::to_string(index + 1));
        return false;
    }
    item->selection = index;
    Send(WM_COMMAND, CommandParameter(itemID, kComboSelectionChanged),
         reinterpret_cast<intptr_t>(item->handle));
    return true;
}

bool DialogSession::SelectEntryNamed(int32_t itemID, const std::u16string& name) {
    UiItem* item = UsableItem(*this, itemID);
    if (item == nullptr) return false;
    for (std::size_t i = 0; i < item->entries.size(); ++i) {
        if (item->entries[i] == name) return SelectEntry(itemID, static_cast<int32_t>(i));
    }
    Note("item " + std::to_string(itemID) + " has no entry named " + Quoted(name));
    return false;
}

bool DialogSession::TypeText(int32_t itemID, const std::u16string& text) {
    UiItem* item = UsableItem(*this, itemID);
    if (item == nullptr) return false;
    if (!item->IsEdit()) {
        Note("item " + std::to_string(itemID) + " is not an edit field");
        return false;
    }
    item->text = text;
    Send(WM_COMMAND, CommandParameter(itemID, kEditChanged), reinterpret_cast<intptr_t>(item->handle));
    return true;
}

void DialogSession::Press(int32_t buttonID) {
    UiItem* item = UsableItem(*this, buttonID);
    if (item == nullptr) return;
    Send(WM_COMMAND, CommandParameter(buttonID, BN_CLICKED), reinterpret_cast<intptr_t>(item->handle));
}

void DialogSession::CloseBox() {
    if (Ended()) return;
    const intptr_t answer = Send(WM_CLOSE);
    if (answer != 0 || Ended()) return;
    // An unhandled close is turned into the Cancel command, unless the Cancel button is disabled.
    UiItem* cancel = Ui().Item(dialog_, kDialogCancelID);
    if (cancel != nullptr && !cancel->enabled) return;
    Send(WM_COMMAND, CommandParameter(kDialogCancelID, BN_CLICKED),
         reinterpret_cast<intptr_t>(cancel != nullptr ? cancel->handle : nullptr));
}

void DialogSession::Note(const std::string& note) {
    run_.notes.push_back(note);
}

// ---- Scripted answers -------------------------------------------------------------------------------------

namespace {

// Ends the dialog as the user chose; without a keyboard, Escape and Enter are the buttons they stand for.
void EndAs(DialogSession& session, DialogEnding ending) {
    switch (ending) {
        case DialogEnding::Ok:
        case DialogEnding::Enter:
            session.Press(kDialogOkID);
            break;
        case DialogEnding::Cancel:
        case DialogEnding::Escape:
            session.Press(kDialogCancelID);
            break;
        case DialogEnding::Close:
            session.CloseBox();
            break;
        case DialogEnding::None:
            break;
    }
}

}  // namespace

bool DialogAnswers::ParseEnding(const std::string& text, DialogEnding& ending) {
    const std::string word = Lower(text);
    for (const EndingWord& known : kEndingWords) {
        if (word == known.word) {
            ending = known.ending;
            return true;
        }
    }
    return false;
}

void DialogAnswers::SetCategory(const std::string& text) {
    categoryEntry = EntryNumber(text);
    if (categoryEntry) {
        categoryName.reset();
    } else {
        categoryName = text;
    }
}

std::optional<int32_t> EntryNumber(const std::string& text) {
    if (text.empty() || text.size() >= 10 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoi(text);
}

void ScriptedDialogUser::Operate(DialogSession& session) {
    if (queue.empty()) {
        session.Note("no answers left for this dialog");
        return;
    }
    const DialogAnswers answers = queue.front();
    queue.pop_front();
    if (answers.categoryEntry) session.SelectEntry(kDialogCategoryID, *answers.categoryEntry - 1);
    if (answers.categoryName) session.SelectEntryNamed(kDialogCategoryID, Utf8ToUtf16(*answers.categoryName));
    if (answers.prefix) session.TypeText(kDialogPrefixID, Utf8ToUtf16(*answers.prefix));
    if (answers.suffix) session.TypeText(kDialogSuffixID, Utf8ToUtf16(*answers.suffix));
    EndAs(session, answers.ending);
}

std::shared_ptr<DialogUser> MakeAcceptingUser() {
    return std::make_shared<AcceptingDialogUser>();
}

// ---- The terminal user ------------------------------------------------------------------------------------

bool TerminalDialogUser::ReadLine(const std::string& prompt, std::string& line) {
    out_ << prompt << std::flush;
    if (!std::getline(in_, line)) {
        out_ << "\n";
        return false;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (echoInput) out_ << line << "\n";
    return true;
}

TerminalDialogUser::Asked TerminalDialogUser::AskEntry(DialogSession& session, std::size_t index,
                                                       const std::string& label) {
    for (;;) {
        const UiItem& now = session.Window()->items[index];
        std::string shown = "nothing selected";
        if (now.selection >= 0 && static_cast<std::size_t>(now.selection) < now.entries.size()) {
            const auto selected = static_cast<std::size_t>(now.selection);
            shown = std::to_string(now.selection + 1) + " " + Utf16ToUtf8(now.entries[selected]);
        }
        std::string line;
        if (!ReadLine(label + " (number or name; Enter keeps " + shown + "): ", line))
            return Asked::InputEnded;
        if (line.empty()) return Asked::Kept;
        const std::optional<int32_t> number = EntryNumber(line);
        const bool chosen = number ? session.SelectEntry(now.id, *number - 1)
                                   : session.SelectEntryNamed(now.id, Utf8ToUtf16(Unquote(line)));
        if (chosen) return Asked::Changed;
        out_ << "There is no entry " << line << ".\n";
    }
}

TerminalDialogUser::Asked TerminalDialogUser::AskText(DialogSession& session, const UiItem& item,
                                                      const std::string& label) {
    std::string line;
    if (!ReadLine(label + " (Enter keeps " + Quoted(item.text) + "): ", line)) return Asked::InputEnded;
    if (line.empty()) return Asked::Kept;
    session.TypeText(item.id, Utf8ToUtf16(Unquote(line)));
    return Asked::Changed;
}

DialogEnding TerminalDialogUser::AskEnding() {
    for (;;) {
        std::string line;
        if (!ReadLine("Ok, Cancel or Close (Enter: Ok): ", line)) return DialogEnding::Close;
        const std::string word = Lower(line);
        if (word.empty()) return DialogEnding::Ok;
        for (const EndingWord& known : kEndingWords) {
            if (known.key != nullptr && (word == known.word || word == known.key)) return known.ending;
        }
        out_ << "Please answer Ok, Cancel or Close.\n";
    }
}

void TerminalDialogUser::Operate(DialogSession& session) {
    const UiWindow* window = session.Window();
    if (window == nullptr) return;
    out_ << RenderDialog(*window);
    bool changed = false;

    // The items in template order: every visible, enabled drop-down list and edit field is asked for. The end
    // of the input closes the dialog.
    for (std::size_t index = 0; index < window->items.size() && !session.Ended(); ++index) {
        const UiItem& item = session.Window()->items[index];
        if (!item.visible || !item.enabled) continue;
        const std::string label = LabelBefore(*session.Window(), index);
        Asked asked = Asked::Kept;
        if (item.IsComboBox()) {
            asked = AskEntry(session, index, label);
        } else if (item.IsEdit()) {
            asked = AskText(session, item, label);
        }
        if (asked == Asked::InputEnded) {
            session.CloseBox();
            return;
        }
        changed = changed || asked == Asked::Changed;
    }
    if (session.Ended()) return;
    if (changed) out_ << RenderDialog(*session.Window());
    EndAs(session, AskEnding());
}

// ---- Drawing ----------------------------------------------------------------------------------------------

std::string RenderDialog(const UiWindow& window) {
    std::ostringstream out;
    out << "=== " << Utf16ToUtf8(window.caption) << " ===\n";
    std::string buttons;
    for (std::size_t index = 0; index < window.items.size(); ++index) {
        const UiItem& item = window.items[index];
        if (!item.visible) continue;
        const std::string disabled = item.enabled ? "" : " (disabled)";
        const bool labelsNext = index + 1 < window.items.size() && item.IsStatic() &&
                                window.items[index + 1].visible &&
                                (window.items[index + 1].IsComboBox() || window.items[index + 1].IsEdit());
        if (labelsNext) continue;  // drawn with the item it labels
        if (item.IsComboBox()) {
            std::vector<std::string> entries;
            for (const std::u16string& entry : item.entries) entries.push_back(Utf16ToUtf8(entry));
            const bool selected =
                item.selection >= 0 && static_cast<std::size_t>(item.selection) < entries.size();
            out << LabelBefore(window, index) << ":" << disabled << "\n"
                << EntryLines(entries, selected ? item.selection + 1 : 0, "  ");
        } else if (item.IsEdit()) {
            out << LabelBefore(window, index) << ": [" << Utf16ToUtf8(item.text) << "]" << disabled << "\n";
        } else if (item.IsButton()) {
            buttons +=
                (buttons.empty() ? "" : "  ") + std::string("[ ") + ShownLabel(item.text) + " ]" + disabled;
        } else {
            out << ShownLabel(item.text) << disabled << "\n";
        }
    }
    if (!buttons.empty()) out << buttons << "\n";
    return out.str();
}

std::string EntryLines(const std::vector<std::string>& entries, int selected, const std::string& indent) {
    std::string text;
    if (entries.empty()) text += indent + "    (no entries)\n";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int number = static_cast<int>(i) + 1;
        text +=
            indent + (number == selected ? "> " : "  ") + std::to_string(number) + "  " + entries[i] + "\n";
    }
    return text;
}

std::string RenderMessageBox(const MessageBoxRecord& box) {
    std::ostringstream out;
    out << "=== " << Utf16ToUtf8(box.caption) << " ===\n" << Utf16ToUtf8(box.text) << "\n[ OK ]\n";
    return out.str();
}

}  // namespace standin
