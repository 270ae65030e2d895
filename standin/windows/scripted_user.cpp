#include "standin/windows/scripted_user.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "platform/win32_subset.h"
#include "standin/windows/wide_text.h"

namespace standin::windows {

namespace {

constexpr UINT kHoldPollMilliseconds = 50;
// How long the user waits for the module to end the dialog after the button press.
constexpr UINT kPatienceMilliseconds = 10000;

std::string WindowText(HWND window) {
    if (window == nullptr) return {};
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return ToUtf8(text);
}

std::string ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return ToUtf8(name);
}

// The face the font mapper really chose for a font (not the one asked for, which a missing font file would
// hide).
std::string FontFace(HFONT font) {
    if (font == nullptr) return {};
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return ToUtf8(face);
}

std::string ComboEntry(HWND combo, int index) {
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return ToUtf8(text);
}

// Types `text` into an edit control as a user does: everything there selected, then one character after the
// other (an empty text: the selection deleted with Backspace).
void TypeInto(HWND dialog, int item, const std::string& text) {
    HWND edit = GetDlgItem(dialog, item);
    if (edit == nullptr) return;
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    const std::wstring units = FromUtf8(text);
    if (units.empty()) SendMessageW(edit, WM_CHAR, VK_BACK, 1);
    for (wchar_t unit : units) SendMessageW(edit, WM_CHAR, unit, 1);
}

// Picks a combo entry as a user does: the list gets the focus, the entry is selected, and the dialog hears of
// the changed selection.
void PickEntry(HWND dialog, int index) {
    HWND combo = GetDlgItem(dialog, kDialogCategoryID);
    if (combo == nullptr) return;
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(combo), TRUE);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kDialogCategoryID, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

// A key pressed while the dialog has the focus; the dialog's message loop turns it into a command.
void PressKey(HWND dialog, WPARAM key) {
    HWND focus = GetFocus();
    if (focus == nullptr || (focus != dialog && !IsChild(dialog, focus))) focus = dialog;
    PostMessageW(focus, WM_KEYDOWN, key, 1);
    PostMessageW(focus, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

void ClickButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button != nullptr) SendMessageW(button, BM_CLICK, 0, 0);
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

VOID CALLBACK AnswerMessageBox(HWND box, UINT, UINT_PTR id, DWORD) {
    KillTimer(box, id);
    ScriptedUser::Current().OnTimer(box, id);
}

constexpr UINT_PTR kMessageBoxTimer = 0x4D4B;

}  // namespace

ScriptedUser& ScriptedUser::Current() {
    static ScriptedUser user;
    return user;
}

DialogState ScriptedUser::Look(HWND dialog) {
    DialogState state;
    state.owner = MirelWindowValue(GetWindow(dialog, GW_OWNER));
    state.caption = WindowText(dialog);
    state.fontName = FontFace(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
    HWND combo = GetDlgItem(dialog, kDialogCategoryID);
    if (combo != nullptr) {
        const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) state.entries.push_back(ComboEntry(combo, static_cast<int>(i)));
        const LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        state.selectedEntry = selected == CB_ERR ? 0 : static_cast<int>(selected) + 1;
    }
    state.prefix = WindowText(GetDlgItem(dialog, kDialogPrefixID));
    state.suffix = WindowText(GetDlgItem(dialog, kDialogSuffixID));
    return state;
}

void ScriptedUser::DialogOpened(HWND dialog) {
    dialogs_.push_back({});
    // The user looks (and acts) once the dialog is on screen: after its initialisation has run to its end.
    PostMessageW(dialog, kUserTurnMessage, 0, 0);
}

void ScriptedUser::MessageSeen(HWND, UINT message, WPARAM wParam) {
    if (dialogs_.empty()) return;
    LiveDialog& dialog = dialogs_.back();
    if (message == WM_CLOSE) dialog.sawClose = true;
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED &&
        (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        dialog.lastButton = LOWORD(wParam);
    }
}

void ScriptedUser::TakeTurn(HWND dialog) {
    if (dialogs_.empty()) return;
    dialogs_.back().opened = Look(dialog);
    if (script_) Act(dialog);
}

void ScriptedUser::Act(HWND dialog) {
    const DialogAnswers& answers = script_->answers;
    LiveDialog& live = dialogs_.back();
    const std::vector<std::string>& entries = live.opened.entries;
    if (answers.categoryEntry) {
        if (*answers.categoryEntry >= 1 &&
            static_cast<std::size_t>(*answers.categoryEntry) <= entries.size()) {
            PickEntry(dialog, *answers.categoryEntry - 1);
        } else {
            live.notes.push_back("there is no category entry " + std::to_string(*answers.categoryEntry));
        }
    } else if (answers.categoryName) {
        const auto found = std::find(entries.begin(), entries.end(), *answers.categoryName);
        if (found != entries.end()) {
            PickEntry(dialog, static_cast<int>(found - entries.begin()));
        } else {
            live.notes.push_back("there is no category named \"" + *answers.categoryName + "\"");
        }
    }
    if (answers.prefix) TypeInto(dialog, kDialogPrefixID, *answers.prefix);
    if (answers.suffix) TypeInto(dialog, kDialogSuffixID, *answers.suffix);

    if (!script_->holdFile.empty()) {
        FILE* file = _wfopen(FromUtf8(script_->holdFile).c_str(), L"wb");
        if (file != nullptr) {
            // The dialog's place on the screen, for whoever takes the picture: left, top, width, height.
            RECT rect = {};
            GetWindowRect(dialog, &rect);
            std::fprintf(file, "%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left,
                         rect.bottom - rect.top);
            std::fclose(file);
            holdStarted_ = GetTickCount();
            SetTimer(dialog, kHoldTimer, kHoldPollMilliseconds, nullptr);
            return;
        }
    }
    End(dialog);
}

void ScriptedUser::End(HWND dialog) {
    switch (script_->answers.ending) {
        case DialogEnding::Ok:
            ClickButton(dialog, kDialogOkID);
            break;
        case DialogEnding::Cancel:
            ClickButton(dialog, kDialogCancelID);
            break;
        case DialogEnding::Close:
            PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case DialogEnding::Escape:
            PressKey(dialog, VK_ESCAPE);
            break;
        case DialogEnding::Enter:
            PressKey(dialog, VK_RETURN);
            break;
        case DialogEnding::None:
            GiveUp(dialog);
            return;
    }
    // The module should end its dialog now; if it does not, the host takes it down after a while.
    if (IsWindow(dialog) && !dialogs_.back().closingSeen)
        SetTimer(dialog, kPatienceTimer, kPatienceMilliseconds, nullptr);
}

void ScriptedUser::GiveUp(HWND dialog) {
    LiveDialog& live = dialogs_.back();
    live.givenUp = true;
    DialogEnded(dialog, false);
    EndDialog(dialog, 0);
}

void ScriptedUser::OnTimer(HWND window, UINT_PTR id) {
    if (id == kHoldTimer) {
        const bool removed =
            GetFileAttributesW(FromUtf8(script_->holdFile).c_str()) == INVALID_FILE_ATTRIBUTES;
        const bool tooLong = GetTickCount() - holdStarted_ > static_cast<DWORD>(script_->holdSeconds) * 1000u;
        if (removed || tooLong) {
            KillTimer(window, kHoldTimer);
            End(window);
        }
    } else if (id == kPatienceTimer) {
        KillTimer(window, kPatienceTimer);
        GiveUp(window);
    } else if (id == kMessageBoxTimer) {
        MessageBoxAppeared(window);
    }
}

void ScriptedUser::DialogEnded(HWND dialog, bool byModule) {
    KillTimer(dialog, kPatienceTimer);
    KillTimer(dialog, kHoldTimer);
    if (dialogs_.empty()) return;
    LiveDialog& live = dialogs_.back();
    if (byModule) live.endedByModule = true;
    if (!live.closingSeen) {
        live.closing = Look(dialog);
        live.closingSeen = true;
    }
}

void ScriptedUser::WatchMessageBoxes() {
    if (hook_ == nullptr) hook_ = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
}

LRESULT CALLBACK ScriptedUser::CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    ScriptedUser& user = Current();
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        // A message box is a dialog of the system's dialog class that FX_Dialog does not run. It is read and
        // answered a moment later, from its own message loop, when its controls are complete.
        if (ClassOf(window) == "#32770" && !IsHostDialog(window) &&
            GetPropW(window, L"MirelSeen") == nullptr) {
            SetPropW(window, L"MirelSeen", reinterpret_cast<HANDLE>(1));
            SetTimer(window, kMessageBoxTimer, 10, AnswerMessageBox);
        }
    }
    return CallNextHookEx(user.hook_, code, wParam, lParam);
}

void ScriptedUser::MessageBoxAppeared(HWND box) {
    LiveMessageBox sighting;
    sighting.owner = MirelWindowValue(GetWindow(box, GW_OWNER));
    sighting.caption = WindowText(box);
    HICON information = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_INFORMATION));
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string cls = ClassOf(child);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (cls == "Static" && (style & SS_TYPEMASK) == SS_ICON) {
            sighting.informationIcon =
                reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0)) == information;
        } else if (cls == "Static") {
            if (!WindowText(child).empty()) sighting.text = WindowText(child);
        } else if (cls == "Button" && IsWindowVisible(child)) {
            sighting.buttons.push_back(WindowText(child));
        }
    }
    // Message boxes write their text with CR LF; the module's text has line feeds.
    std::string text;
    for (std::size_t i = 0; i < sighting.text.size(); ++i) {
        if (sighting.text[i] == '\r' && i + 1 < sighting.text.size() && sighting.text[i + 1] == '\n')
            continue;
        text += sighting.text[i];
    }
    sighting.text = text;
    messageBoxes_.push_back(sighting);
    HWND ok = GetDlgItem(box, IDOK);
    SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
}

std::string ScriptedUser::Report() const {
    std::ostringstream out;
    int n = 0;
    for (const LiveDialog& dialog : dialogs_) {
        ++n;
        const DialogState& s = dialog.opened;
        out << "dialog " << n << " caption: " << Quoted(s.caption) << "\n";
        out << "dialog " << n << " owner: 0x" << std::hex << s.owner << std::dec << "\n";
        out << "dialog " << n << " font: " << Quoted(s.fontName) << "\n";
        out << "dialog " << n << " entries:";
        for (const std::string& entry : s.entries) out << " " << Quoted(entry);
        out << "\n";
        out << "dialog " << n << " selected: " << s.selectedEntry << "\n";
        out << "dialog " << n << " prefix: " << Quoted(s.prefix) << "\n";
        out << "dialog " << n << " suffix: " << Quoted(s.suffix) << "\n";
        const DialogState& e = dialog.closing;
        out << "dialog " << n << " at the end: selected " << e.selectedEntry << ", prefix "
            << Quoted(e.prefix) << ", suffix " << Quoted(e.suffix) << "\n";
        out << "dialog " << n << " last button: "
            << (dialog.lastButton == IDOK       ? "OK"
                : dialog.lastButton == IDCANCEL ? "Cancel"
                                                : "none")
            << (dialog.sawClose ? ", close message" : "") << "\n";
        out << "dialog " << n << " ended by the module: " << (dialog.endedByModule ? "yes" : "no")
            << (dialog.givenUp ? ", given up by the host" : "") << "\n";
        for (const std::string& note : dialog.notes) out << "dialog " << n << " note: " << note << "\n";
    }
    n = 0;
    for (const LiveMessageBox& box : messageBoxes_) {
        ++n;
        out << "message box " << n << " caption: " << Quoted(box.caption) << "\n";
        out << "message box " << n << " text: " << Quoted(box.text) << "\n";
        out << "message box " << n << " owner: 0x" << std::hex << box.owner << std::dec << "\n";
        out << "message box " << n << " icon: " << (box.informationIcon ? "information" : "other") << "\n";
        out << "message box " << n << " buttons:";
        for (const std::string& button : box.buttons) out << " " << Quoted(button);
        out << "\n";
    }
    return out.str();
}

}  // namespace standin::windows
