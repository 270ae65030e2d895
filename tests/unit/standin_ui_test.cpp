// The stand-in host's headless user interface: the dialog template, the dialog functions, the Windows calls,
// the run of FX_Dialog with its messages, and the scripted and terminal users. A small dialog procedure of
// the test's own plays the module here.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "standin/dialog/dialog_template.h"
#include "standin/dialog/dialog_user.h"
#include "standin/dialog/ui_model.h"
#include "standin/host/host.h"
#include "standin/host/host_functions.h"
#include "tests/support/host_fixture.h"

namespace {

using standin::DialogAnswers;
using standin::DialogEnding;
using standin::Host;
using standin::Ui;
using standin::UiItem;
using standin::UiWindow;
using testsupport::Answers;

using testsupport::kHostVersion;

// ---- The dialog template ---------------------------------------------------------------------------------

TEST(DialogTemplateTest, ModuleDialogIsReadFromItsResourceScript) {
    const standin::DialogTemplate* dialog = standin::FindModuleDialog(20128);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->caption, "Mirel Instrument Change");
    EXPECT_EQ(dialog->style, 0x90CA00C0u);
    EXPECT_EQ(dialog->fontPointSize, 8);
    EXPECT_EQ(dialog->fontName, "MS Sans Serif");
    EXPECT_EQ((std::vector<int32_t>{dialog->x, dialog->y, dialog->width, dialog->height}),
              (std::vector<int32_t>{20, 40, 170, 90}));
    struct Expected {
        int32_t id;
        const char* className;
        uint32_t style;
        int32_t x, y, width, height;
        const char* text;
    };
    const Expected items[] = {
        {105, "Static", 0x50020000, 10, 5, 110, 8, "&Category:"},
        {106, "ComboBox", 0x50010203, 10, 15, 110, 30, ""},
        {101, "Static", 0x50020000, 10, 35, 70, 8, "&Prefix text:"},
        {102, "Edit", 0x50810080, 10, 45, 70, 12, ""},
        {103, "Static", 0x50020000, 90, 35, 70, 8, "&Suffix text:"},
        {104, "Edit", 0x50810080, 90, 45, 70, 12, ""},
        {1, "Button", 0x50010001, 30, 70, 40, 14, "Ok"},
        {2, "Button", 0x50010000, 80, 70, 40, 14, "Cancel"},
    };
    ASSERT_EQ(dialog->items.size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) {
        SCOPED_TRACE(items[i].id);
        const standin::DialogItemTemplate& item = dialog->items[i];
        EXPECT_EQ(item.id, items[i].id);
        EXPECT_EQ(item.className, items[i].className);
        EXPECT_EQ(item.style, items[i].style);
        EXPECT_EQ((std::vector<int32_t>{item.x, item.y, item.width, item.height}),
                  (std::vector<int32_t>{items[i].x, items[i].y, items[i].width, items[i].height}));
        EXPECT_EQ(item.text, items[i].text);
    }
    EXPECT_EQ(standin::FindModuleDialog(20129), nullptr);
}

TEST(DialogTemplateTest, ScriptSyntaxAsTheResourceCompilerReadsIt) {
    const std::string script =
        "// comment\n"
        "#include \"x.h\"\n"
        "1 ICON \"a.ico\"\n"
        "7 DIALOGEX 1, 2, 30, 40\r\n"
        "STYLE 0x80000000 | 0x10000000\n"
        "CAPTION \"Say \"\"Hi\"\"\"\n"
        "FONT 9, \"Tahoma\"\n"
        "{\n"
        "  CONTROL \"a, b\", 5, \"Button\", 65536|1, 1, 2, 3, 4\n"
        "}\n"
        "8 DIALOG 0, 0, 10, 10\n"
        "BEGIN\n"
        "END\n";
    std::string error;
    auto dialogs = standin::ParseDialogTemplates(script, &error);
    ASSERT_TRUE(dialogs.has_value()) << error;
    ASSERT_EQ(dialogs->size(), 2u);
    const standin::DialogTemplate& first = (*dialogs)[0];
    EXPECT_EQ(first.resourceID, 7);
    EXPECT_EQ(first.style, 0x90000000u);
    EXPECT_EQ(first.caption, "Say \"Hi\"");
    EXPECT_EQ(first.fontName, "Tahoma");
    ASSERT_EQ(first.items.size(), 1u);
    EXPECT_EQ(first.items[0].text, "a, b");
    EXPECT_EQ(first.items[0].style, 0x10001u);
    EXPECT_EQ(first.FindItem(5), &first.items[0]);
    EXPECT_EQ(first.FindItem(6), nullptr);
    EXPECT_TRUE((*dialogs)[1].items.empty());
}

TEST(DialogTemplateTest, UnreadableDialogStatementsFailWithTheLine) {
    struct Case {
        const char* script;
        const char* error;
    };
    const Case cases[] = {
        {"7 DIALOGEX 1, 2, x, 4\n", "line 1: unreadable dialog header"},
        {"7 DIALOGEX 1, 2, 3, 4\nSTYLE WS_POPUP\n", "line 2: unreadable STYLE"},
        {"7 DIALOGEX 1, 2, 3, 4\nCAPTION Hi\n", "line 2: unreadable CAPTION"},
        {"7 DIALOGEX 1, 2, 3, 4\nBEGIN\nCONTROL \"a\", 5, \"Button\", 0, 1, 2, 3\nEND\n",
         "line 3: unreadable CONTROL line"},
        {"7 DIALOGEX 1, 2, 3, 4\nBEGIN\nCONTROL \"a, 5, \"Button\", 0, 1, 2, 3, 4\nEND\n",
         "line 3: unreadable CONTROL line"},
        {"7 DIALOGEX 1, 2, 3, 4\nBEGIN\nPUSHBUTTON \"a\", 5, 1, 2, 3, 4\nEND\n",
         "line 3: only CONTROL lines are read inside a dialog, not 'PUSHBUTTON'"},
        {"7 DIALOGEX 1, 2, 3, 4\nBEGIN\n", "line 2: dialog without END"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        std::string error;
        EXPECT_FALSE(standin::ParseDialogTemplates(c.script, &error).has_value());
        EXPECT_EQ(error, c.error);
    }
}

TEST(DialogTemplateTest, DialogUnitsBecomePixelsWithTheFixedBaseUnits) {
    const int32_t xs[][2] = {{0, 0}, {10, 15}, {170, 255}, {1, 2}, {3, 5}, {-10, -15}};
    for (const auto& x : xs) EXPECT_EQ(standin::DialogUnitsToPixelsX(x[0]), x[1]) << x[0];
    const int32_t ys[][2] = {{0, 0}, {5, 8}, {8, 13}, {12, 20}, {90, 146}, {45, 73}};
    for (const auto& y : ys) EXPECT_EQ(standin::DialogUnitsToPixelsY(y[0]), y[1]) << y[0];
    const RECT r = standin::DialogRectToPixels(10, 45, 70, 12);
    EXPECT_EQ((std::vector<int32_t>{r.left, r.top, r.right, r.bottom}),
              (std::vector<int32_t>{15, 73, 120, 93}));
}

// ---- A dialog procedure playing the module ----------------------------------------------------------------

struct ProcState {
    std::vector<uint32_t> messages;
    std::vector<uintptr_t> commandParams;
    std::vector<intptr_t> commandItems;
    intptr_t initParam = 0;
    HWND window = nullptr;
    bool visibleDuringInit = true;
    bool ownerEnabledDuringCommand = true;
    bool endInInit = false;
    bool endOnButtons = true;
    bool endOnClose = true;
    bool disableSelf = false;
    bool disableCancel = false;
    MINMAXINFO answeredTrack{};
};

intptr_t FX_CALL TestProc(HWND window, uint32_t message, uintptr_t wParam, intptr_t lParam, void* user) {
    auto* state = static_cast<ProcState*>(user);
    state->messages.push_back(message);
    switch (message) {
        case WM_INITDIALOG:
            state->window = window;
            state->initParam = lParam;
            state->visibleDuringInit = IsWindowVisible(window) != 0;
            SendDlgItemMessageW(window, 106, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"One"));
            SendDlgItemMessageA(window, 106, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Two"));
            FX_SetDlgItemVal(window, 106, 0, 1, kHostVersion);
            FX_SetDlgString_UTF16(window, 102, u"To ", kHostVersion);
            FX_SetDlgString(window, 104, ":", kHostVersion);
            if (state->disableSelf) EnableWindow(window, FALSE);
            if (state->disableCancel) FX_EnableDlgItem(window, 2, 0, kHostVersion);
            if (state->endInInit) FX_EndDialog(window, kHostVersion);
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = POINT{300, 200};
            info->ptMaxTrackSize = POINT{300, 200};
            return 0;
        }
        case WM_COMMAND: {
            state->commandParams.push_back(wParam);
            state->commandItems.push_back(lParam);
            state->ownerEnabledDuringCommand = IsWindowEnabled(GetParent(window)) != 0;
            const uintptr_t id = wParam & 0xFFFF;
            if (state->endOnButtons && (id == 1 || id == 2)) FX_EndDialog(window, kHostVersion);
            return 1;
        }
        case WM_CLOSE:
            if (state->endOnClose) FX_EndDialog(window, kHostVersion);
            return 0;
        default:
            return 0;
    }
}

class StandinUiTest : public testsupport::HostFixture {
  protected:
    void SetUp() override {
        HostFixture::SetUp();
        Host().LogCalls(true);
    }
    static HWND MainHandle() { return MirelWindowFromValue(Host().MainWindow()); }
    int32_t RunDialog(ProcState& state, std::shared_ptr<standin::DialogUser> user = nullptr) {
        if (user) Ui().SetUser(std::move(user));
        return FX_Dialog(20128, &TestProc, MainHandle(), 1, &state, kHostVersion);
    }
    static std::shared_ptr<standin::DialogUser> Scripted(const DialogAnswers& answers) {
        return std::make_shared<standin::ScriptedDialogUser>(answers);
    }
    // A dialog window of the model with the given items, visible.
    HWND ModelDialog() {
        UiWindow& window = Ui().AddWindow(MainHandle(), u"Model", RECT{0, 0, 200, 100});
        window.resourceID = 20128;
        window.visible = true;
        for (auto [id, cls] :
             {std::pair<int32_t, const char*>{106, "ComboBox"}, {102, "Edit"}, {1, "Button"}}) {
            UiItem item;
            item.handle = Ui().NewHandle();
            item.id = id;
            item.className = cls;
            window.items.push_back(item);
        }
        return window.handle;
    }
};

TEST_F(StandinUiTest, DialogGetsTheMessagesOfARealDialogInOrder) {
    ProcState state;
    EXPECT_EQ(RunDialog(state), 1);
    EXPECT_EQ(state.messages, (std::vector<uint32_t>{WM_SIZE, WM_INITDIALOG, WM_SHOWWINDOW, WM_GETMINMAXINFO,
                                                     WM_ACTIVATE, WM_COMMAND}));
    EXPECT_EQ(state.initParam, reinterpret_cast<intptr_t>(&state));
    EXPECT_FALSE(state.visibleDuringInit);
    EXPECT_FALSE(state.ownerEnabledDuringCommand);
    // The default user pressed OK: button 1, clicked, from the button's own window.
    ASSERT_EQ(state.commandParams.size(), 1u);
    EXPECT_EQ(state.commandParams[0], 1u);

    ASSERT_EQ(Ui().dialogRuns.size(), 1u);
    const standin::DialogRun& run = Ui().dialogRuns[0];
    EXPECT_TRUE(run.ended);
    EXPECT_EQ(run.endDialogCalls, 1);
    EXPECT_EQ(state.commandItems[0], reinterpret_cast<intptr_t>(run.shown.FindItem(1)->handle));
    EXPECT_EQ(run.messages.size(), 6u);
    EXPECT_EQ(run.messages[0].lParam, (146 << 16) | 255);
    EXPECT_EQ(run.messages[5].answer, 1);
    // What the dialog showed: built from the template, filled by the procedure.
    EXPECT_TRUE(run.shown.visible);
    EXPECT_EQ(run.shown.caption, u"Mirel Instrument Change");
    EXPECT_EQ(run.shown.items.size(), 8u);
    EXPECT_EQ(run.shown.FindItem(106)->entries, (std::vector<std::u16string>{u"One", u"Two"}));
    EXPECT_EQ(run.shown.FindItem(106)->selection, 0);
    EXPECT_EQ(run.shown.FindItem(102)->text, u"To ");
    EXPECT_EQ(run.shown.FindItem(104)->text, u":");
    EXPECT_EQ(run.shown.FindItem(105)->text, u"&Category:");
    EXPECT_EQ(run.shown.maxTrackSize.x, 300);
    EXPECT_FALSE(run.final.visible);
    // Afterwards the dialog is gone and the owner enabled and active again.
    EXPECT_EQ(Ui().WindowCount(), 1u);
    EXPECT_EQ(Ui().Window(state.window), nullptr);
    EXPECT_TRUE(Ui().MainWindow().enabled);
    EXPECT_EQ(Ui().ActiveWindow(), MainHandle());
}

TEST_F(StandinUiTest, DialogGeometryInPixels) {
    struct Seen {
        RECT window{}, client{}, combo{};
        BOOL comboOk = FALSE;
    };
    static Seen seen;
    auto proc = [](HWND window, uint32_t message, uintptr_t, intptr_t, void*) -> intptr_t {
        if (message == WM_INITDIALOG) {
            GetWindowRect(window, &seen.window);
            GetClientRect(window, &seen.client);
            seen.comboOk = GetWindowRect(GetDlgItem(window, 106), &seen.combo);
            FX_EndDialog(window, kHostVersion);
        }
        return 0;
    };
    EXPECT_EQ(FX_Dialog(20128, proc, MainHandle(), 1, nullptr, kHostVersion), 1);
    // The owner's client area starts at (0, 0); the dialog at (20, 40) dialog units from there.
    EXPECT_EQ(
        (std::vector<int32_t>{seen.window.left, seen.window.top, seen.window.right, seen.window.bottom}),
        (std::vector<int32_t>{30, 65, 30 + 255 + 6, 65 + 146 + 6 + 20}));
    EXPECT_EQ(
        (std::vector<int32_t>{seen.client.left, seen.client.top, seen.client.right, seen.client.bottom}),
        (std::vector<int32_t>{0, 0, 255, 146}));
    ASSERT_TRUE(seen.comboOk);
    EXPECT_EQ(seen.combo.left, 30 + 3 + 15);
    EXPECT_EQ(seen.combo.top, 65 + 3 + 20 + 24);
    EXPECT_EQ(seen.combo.right - seen.combo.left, 165);
}

TEST_F(StandinUiTest, UnknownResourceOrMissingProcedureRunsNothing) {
    ProcState state;
    EXPECT_EQ(FX_Dialog(20129, &TestProc, MainHandle(), 1, &state, kHostVersion), 0);
    EXPECT_EQ(FX_Dialog(20128, nullptr, MainHandle(), 1, &state, kHostVersion), 0);
    EXPECT_TRUE(state.messages.empty());
    EXPECT_TRUE(Ui().dialogRuns.empty());
    EXPECT_EQ(Ui().WindowCount(), 0u);
}

TEST_F(StandinUiTest, DialogEndedDuringInitialisationIsNeverShown) {
    ProcState state;
    state.endInInit = true;
    EXPECT_EQ(RunDialog(state), 1);
    EXPECT_EQ(state.messages, (std::vector<uint32_t>{WM_SIZE, WM_INITDIALOG}));
    EXPECT_FALSE(Ui().dialogRuns[0].shown.visible);
}

TEST_F(StandinUiTest, ProcedureThatNeverEndsIsGivenUp) {
    ProcState state;
    state.endOnButtons = false;
    EXPECT_EQ(RunDialog(state), 0);
    EXPECT_FALSE(Ui().dialogRuns[0].ended);
    EXPECT_EQ(Ui().WindowCount(), 1u);
    EXPECT_TRUE(Ui().MainWindow().enabled);
}

TEST_F(StandinUiTest, UnhandledCloseBecomesCancelUnlessCancelIsDisabled) {
    {
        ProcState state;
        state.endOnClose = false;
        EXPECT_EQ(RunDialog(state, Scripted(Answers(DialogEnding::Close))), 1);
        EXPECT_EQ(state.messages.back(), WM_COMMAND);
        EXPECT_EQ(state.commandParams, std::vector<uintptr_t>{2});
    }
    {
        ProcState state;
        state.endOnClose = false;
        state.disableCancel = true;
        EXPECT_EQ(RunDialog(state, Scripted(Answers(DialogEnding::Close))), 0);
        EXPECT_EQ(state.messages.back(), WM_CLOSE);
        EXPECT_TRUE(state.commandParams.empty());
    }
    {
        ProcState state;  // handled close: no Cancel afterwards
        EXPECT_EQ(RunDialog(state, Scripted(Answers(DialogEnding::Close))), 1);
        EXPECT_TRUE(state.commandParams.empty());
    }
}

TEST_F(StandinUiTest, ScriptedUserChangesItemsWithTheirNotifications) {
    ProcState state;
    EXPECT_EQ(RunDialog(state, Scripted(Answers(DialogEnding::Cancel, "Two", "Zu ", ""))), 1);
    EXPECT_EQ(state.commandParams,
              (std::vector<uintptr_t>{(1u << 16) | 106u, (0x300u << 16) | 102u, (0x300u << 16) | 104u, 2u}));
    const standin::DialogRun& run = Ui().dialogRuns[0];
    EXPECT_EQ(run.final.FindItem(106)->selection, 1);
    EXPECT_EQ(run.final.FindItem(102)->text, u"Zu ");
    EXPECT_EQ(run.final.FindItem(104)->text, u"");
    EXPECT_TRUE(run.notes.empty());
}

TEST_F(StandinUiTest, ScriptedUserNotesWhatItCannotDo) {
    struct Case {
        DialogAnswers answers;
        const char* note;
    };
    DialogAnswers missingName;
    missingName.categoryName = "Three";
    DialogAnswers missingEntry;
    missingEntry.categoryEntry = 3;
    const Case cases[] = {{missingName, "item 106 has no entry named \"Three\""},
                          {missingEntry, "item 106 has no entry 3"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        ProcState state;
        EXPECT_EQ(RunDialog(state, Scripted(c.answers)), 1);
        EXPECT_EQ(Ui().dialogRuns.back().notes, std::vector<std::string>{c.note});
        EXPECT_EQ(Ui().dialogRuns.back().final.FindItem(106)->selection, 0);
    }
    // A user with no answers left does nothing, and the host gives the dialog up.
    ProcState state;
    auto user = std::make_shared<standin::ScriptedDialogUser>();
    EXPECT_EQ(RunDialog(state, user), 0);
    EXPECT_EQ(Ui().dialogRuns.back().notes, std::vector<std::string>{"no answers left for this dialog"});
}

TEST_F(StandinUiTest, DisabledDialogTakesNoInput) {
    ProcState state;
    state.disableSelf = true;
    EXPECT_EQ(RunDialog(state, Scripted(Answers(DialogEnding::Ok, {}, "x"))), 0);
    EXPECT_TRUE(state.commandParams.empty());
    EXPECT_EQ(Ui().dialogRuns[0].notes.size(), 2u);
    EXPECT_EQ(Ui().dialogRuns[0].final.FindItem(102)->text, u"To ");
}

TEST_F(StandinUiTest, ScriptQueueAnswersOneDialogEach) {
    auto user = std::make_shared<standin::ScriptedDialogUser>();
    user->queue.push_back(DialogAnswers{{}, 2, {}, {}, DialogEnding::Ok});
    user->queue.push_back(Answers(DialogEnding::Cancel));
    Ui().SetUser(user);
    ProcState first;
    ProcState second;
    RunDialog(first);
    RunDialog(second);
    EXPECT_EQ(first.commandParams.back(), 1u);
    EXPECT_EQ(second.commandParams.back(), 2u);
    EXPECT_TRUE(user->queue.empty());
}

TEST(DialogAnswersTest, CategoryAndEndingFromText) {
    DialogAnswers answers;
    answers.SetCategory("3");
    EXPECT_EQ(answers.categoryEntry, 3);
    EXPECT_FALSE(answers.categoryName.has_value());
    answers.SetCategory("Technique Text");
    EXPECT_EQ(answers.categoryName, "Technique Text");
    EXPECT_FALSE(answers.categoryEntry.has_value());
    answers.SetCategory("99999999999");  // too long for an entry number: a name
    EXPECT_EQ(answers.categoryName, "99999999999");

    const std::pair<const char*, DialogEnding> endings[] = {{"ok", DialogEnding::Ok},
                                                            {"OK", DialogEnding::Ok},
                                                            {"Cancel", DialogEnding::Cancel},
                                                            {"close", DialogEnding::Close},
                                                            {"none", DialogEnding::None}};
    for (const auto& [text, expected] : endings) {
        DialogEnding ending = DialogEnding::None;
        EXPECT_TRUE(DialogAnswers::ParseEnding(text, ending)) << text;
        EXPECT_EQ(ending, expected) << text;
    }
    DialogEnding ending = DialogEnding::Ok;
    EXPECT_FALSE(DialogAnswers::ParseEnding("yes", ending));
    EXPECT_EQ(ending, DialogEnding::Ok);
}

// ---- The terminal user ------------------------------------------------------------------------------------

TEST_F(StandinUiTest, TerminalUserDrawsTheDialogAndReadsAnswers) {
    std::istringstream in("9\nTwo\n\"\"\n\nok\n");
    std::ostringstream out;
    ProcState state;
    EXPECT_EQ(RunDialog(state, std::make_shared<standin::TerminalDialogUser>(in, out)), 1);
    // The first drawing happens once the dialog shows: prefix and suffix are already filled in.
    const std::string firstDrawing =
        "=== Mirel Instrument Change ===\n"
        "Category:\n"
        "  > 1  One\n"
        "    2  Two\n"
        "Prefix text: [To ]\n"
        "Suffix text: [:]\n"
        "[ Ok ]  [ Cancel ]\n";
    const std::string text = out.str();
    EXPECT_EQ(text.rfind(firstDrawing, 0), 0u) << text;
    EXPECT_NE(text.find("Category (number or name; Enter keeps 1 One): There is no entry 9.\n"),
              std::string::npos);
    EXPECT_NE(text.find("Prefix text (Enter keeps \"To \"): "), std::string::npos);
    EXPECT_NE(text.find("Suffix text (Enter keeps \":\"): "), std::string::npos);
    // Drawn again after the changes, before the buttons are asked for.
    EXPECT_NE(text.find("    1  One\n  > 2  Two\nPrefix text: []\nSuffix text: [:]\n"), std::string::npos);
    EXPECT_NE(text.find("Ok, Cancel or Close (Enter: Ok): "), std::string::npos);

    const standin::DialogRun& run = Ui().dialogRuns[0];
    EXPECT_EQ(run.final.FindItem(106)->selection, 1);
    EXPECT_EQ(run.final.FindItem(102)->text, u"");
    EXPECT_EQ(run.final.FindItem(104)->text, u":");
    EXPECT_EQ(state.commandParams.back(), 1u);
}

TEST_F(StandinUiTest, TerminalUserEnterKeepsEverythingAndAnswersCancel) {
    struct Case {
        const char* input;
        uint32_t lastMessage;
        uintptr_t lastCommand;  // when the last message is a command
    };
    const Case cases[] = {
        {"\n\n\n\n", WM_COMMAND, 1},        // Enter everywhere: OK
        {"2\n\n\nc\n", WM_COMMAND, 2},      // Cancel
        {"\n\n\nmaybe\nx\n", WM_CLOSE, 0},  // an unknown answer is asked again; x is the close box
        {"", WM_CLOSE, 0},                  // no input at all closes the dialog
        {"1\n\"Vor \"\n", WM_CLOSE, 0},     // input ending early closes the dialog
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        std::istringstream in(c.input);
        std::ostringstream out;
        ProcState state;
        EXPECT_EQ(RunDialog(state, std::make_shared<standin::TerminalDialogUser>(in, out)), 1);
        EXPECT_EQ(state.messages.back(), c.lastMessage);
        if (c.lastMessage == WM_COMMAND) {
            EXPECT_EQ(state.commandParams.back(), c.lastCommand);
        }
        EXPECT_EQ(Ui().dialogRuns.back().final.FindItem(102)->text,
                  std::string(c.input).find("Vor") != std::string::npos ? u"Vor " : u"To ");
    }
}

TEST_F(StandinUiTest, TerminalUserCanEchoPipedAnswers) {
    std::istringstream in("Two\n\n\ncancel\n");
    std::ostringstream out;
    auto user = std::make_shared<standin::TerminalDialogUser>(in, out);
    user->echoInput = true;
    ProcState state;
    RunDialog(state, user);
    const std::string text = out.str();
    EXPECT_NE(text.find("Enter keeps 1 One): Two\n"), std::string::npos) << text;
    EXPECT_NE(text.find("(Enter keeps \"To \"): \n"), std::string::npos) << text;
    EXPECT_NE(text.find("(Enter: Ok): cancel\n"), std::string::npos) << text;
    EXPECT_EQ(state.commandParams.back(), 2u);
}

TEST(StandinRenderTest, DisabledAndHiddenItemsAndEmptyList) {
    UiWindow window;
    window.caption = u"D";
    auto add = [&](int32_t id, const char* cls, const char16_t* text, bool enabled, bool visible) {
        UiItem item;
        item.id = id;
        item.className = cls;
        item.text = text;
        item.enabled = enabled;
        item.visible = visible;
        window.items.push_back(item);
    };
    add(1, "Static", u"&Fish && Chips:", true, true);
    add(2, "ComboBox", u"", false, true);
    add(3, "Static", u"Alone", true, true);
    add(4, "Edit", u"hidden", true, false);
    add(5, "Button", u"&Go", false, true);
    EXPECT_EQ(standin::RenderDialog(window),
              "=== D ===\nFish & Chips: (disabled)\n      (no entries)\nAlone\n[ Go ] (disabled)\n");
}

// ---- The dialog functions on the model --------------------------------------------------------------------

TEST_F(StandinUiTest, ItemValuesByKind) {
    const HWND dialog = ModelDialog();
    UiItem* combo = Ui().Item(dialog, 106);
    combo->entries = {u"a", u"b", u"c"};
    EXPECT_EQ(FX_GetDlgItemVal(dialog, 106, 0, kHostVersion), 0);  // no selection
    struct Case {
        int32_t value;
        int32_t selection;
        int32_t readBack;
    };
    const Case cases[] = {{1, 0, 1}, {3, 2, 3}, {4, -1, 0}, {0, -1, 0}, {-5, -1, 0}, {2, 1, 2}};
    for (const Case& c : cases) {
        EXPECT_EQ(FX_SetDlgItemVal(dialog, 106, 0, c.value, kHostVersion), 1);
        EXPECT_EQ(combo->selection, c.selection) << c.value;
        EXPECT_EQ(FX_GetDlgItemVal(dialog, 106, 0, kHostVersion), c.readBack) << c.value;
    }
    EXPECT_EQ(FX_SetDlgItemVal(dialog, 1, 1, 1, kHostVersion), 1);
    EXPECT_EQ(FX_GetDlgItemVal(dialog, 1, 1, kHostVersion), 1);
    EXPECT_EQ(FX_SetDlgItemVal(dialog, 102, 3, -42, kHostVersion), 1);
    EXPECT_EQ(Ui().Item(dialog, 102)->text, u"-42");
    EXPECT_EQ(FX_GetDlgItemVal(dialog, 102, 3, kHostVersion), -42);
    EXPECT_EQ(FX_SetDlgItemVal(dialog, 102, 0, 1, kHostVersion), 0);  // not a list
    EXPECT_EQ(FX_GetDlgItemVal(dialog, 999, 0, kHostVersion), 0);
    EXPECT_EQ(FX_SetDlgItemVal(dialog, 999, 1, 1, kHostVersion), 0);
    EXPECT_EQ(FX_EnableDlgItem(dialog, 102, 0, kHostVersion), 1);
    EXPECT_FALSE(Ui().Item(dialog, 102)->enabled);
    EXPECT_EQ(FX_EnableDlgItem(dialog, 999, 0, kHostVersion), 0);
}

TEST_F(StandinUiTest, StringsAreCutToTheBufferWithTheirTerminator) {
    const HWND dialog = ModelDialog();
    Ui().Item(dialog, 102)->text = u"H\u0141llo";
    char narrow[6];
    std::fill(std::begin(narrow), std::end(narrow), '#');
    EXPECT_EQ(FX_GetDlgString(dialog, 102, narrow, 4, kHostVersion), 1);
    EXPECT_EQ(std::string(narrow, 6), std::string("HAl\0##", 6));
    char16_t wide[6];
    std::fill(std::begin(wide), std::end(wide), u'#');
    EXPECT_EQ(FX_GetDlgString_UTF16(dialog, 102, wide, 4, kHostVersion), 1);
    EXPECT_EQ(std::u16string(wide, 6), std::u16string(u"H\u0141l\0##", 6));

    // A host that fills the buffer: no terminator when the text does not fit.
    Ui().dialogStringsFillBuffer = true;
    std::fill(std::begin(narrow), std::end(narrow), '#');
    FX_GetDlgString(dialog, 102, narrow, 4, kHostVersion);
    EXPECT_EQ(std::string(narrow, 6), std::string("HAll##", 6));
    std::fill(std::begin(wide), std::end(wide), u'#');
    FX_GetDlgString_UTF16(dialog, 102, wide, 6, kHostVersion);
    EXPECT_EQ(std::u16string(wide, 6), std::u16string(u"H\u0141llo\0", 6));

    EXPECT_EQ(FX_GetDlgString(dialog, 102, nullptr, 4, kHostVersion), 0);
    EXPECT_EQ(FX_GetDlgString(dialog, 102, narrow, 0, kHostVersion), 0);
    EXPECT_EQ(FX_GetDlgString_UTF16(dialog, 555, wide, 4, kHostVersion), 0);

    // The combo's text is its selected entry.
    Ui().Item(dialog, 106)->entries = {u"a", u"bee"};
    Ui().Item(dialog, 106)->selection = 1;
    FX_GetDlgString_UTF16(dialog, 106, wide, 6, kHostVersion);
    EXPECT_EQ(std::u16string(wide), u"bee");
}

TEST_F(StandinUiTest, SetStringsWidenBytesAndRefuseNull) {
    const HWND dialog = ModelDialog();
    EXPECT_EQ(FX_SetDlgString(dialog, 102, "\xFCx", kHostVersion), 1);
    EXPECT_EQ(Ui().Item(dialog, 102)->text, u"\u00FCx");
    EXPECT_EQ(Host().CallsTo("FX_SetDlgString")[0].text, "\xC3\xBCx");
    EXPECT_EQ(FX_SetDlgString(dialog, 102, nullptr, kHostVersion), 0);
    EXPECT_EQ(FX_SetDlgString_UTF16(dialog, 102, nullptr, kHostVersion), 0);
    EXPECT_EQ(Ui().Item(dialog, 102)->text, u"\u00FCx");
    EXPECT_EQ(FX_SetDlgString_UTF16(dialog, 102, u"\u0141", kHostVersion), 1);
    EXPECT_EQ(Ui().Item(dialog, 102)->text, u"\u0141");
    EXPECT_EQ(FX_SetDlgString_UTF16(dialog, 555, u"x", kHostVersion), 0);
}

TEST_F(StandinUiTest, EndDialogOnlyForDialogs) {
    const HWND dialog = ModelDialog();
    EXPECT_EQ(FX_EndDialog(MainHandle(), kHostVersion), 0);
    EXPECT_EQ(FX_EndDialog(nullptr, kHostVersion), 0);
    EXPECT_EQ(FX_EndDialog(dialog, kHostVersion), 1);
    EXPECT_TRUE(Ui().Window(dialog)->ended);
    EXPECT_FALSE(Ui().Window(dialog)->visible);
}

// ---- The Windows calls ------------------------------------------------------------------------------------

TEST_F(StandinUiTest, DropDownListMessages) {
    const HWND dialog = ModelDialog();
    EXPECT_EQ(SendDlgItemMessageA(dialog, 106, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("b\xE9")), 0);
    EXPECT_EQ(SendDlgItemMessageW(dialog, 106, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"a")), 1);
    EXPECT_EQ(SendDlgItemMessageW(dialog, 106, CB_ADDSTRING, 0, 0), CB_ERR);
    EXPECT_EQ(SendDlgItemMessageW(dialog, 106, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendDlgItemMessageW(dialog, 106, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendDlgItemMessageW(dialog, 106, CB_SETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendDlgItemMessageW(dialog, 106, CB_GETCURSEL, 0, 0), 0);
    char16_t wide[8] = {};
    EXPECT_EQ(SendDlgItemMessageW(dialog, 106, CB_GETLBTEXTLEN, 0, 0), 2);
    EXPECT_EQ(SendDlgItemMessageW(dialog, 106, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(wide)), 2);
    EXPECT_EQ(std::u16string(wide), u"b\u00E9");
    char narrow[8] = {};
    EXPECT_EQ(SendDlgItemMessageA(dialog, 106, WM_GETTEXT, 8, reinterpret_cast<LPARAM>(narrow)), 2);
    EXPECT_EQ(std::string(narrow), "b\xE9");
    EXPECT_EQ(SendDlgItemMessageA(dialog, 106, WM_GETTEXTLENGTH, 0, 0), 2);
    EXPECT_EQ(SendDlgItemMessageW(dialog, 106, CB_GETLBTEXT, 5, reinterpret_cast<LPARAM>(wide)), CB_ERR);
    EXPECT_EQ(SendDlgItemMessageW(dialog, 106, CB_SETCURSEL, 7, 0), CB_ERR);
    EXPECT_EQ(Ui().Item(dialog, 106)->selection, -1);
    EXPECT_EQ(SendDlgItemMessageW(dialog, 106, CB_RESETCONTENT, 0, 0), 0);
    EXPECT_TRUE(Ui().Item(dialog, 106)->entries.empty());
    // Not a list, or no item at all.
    EXPECT_EQ(SendDlgItemMessageA(dialog, 102, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("x")), CB_ERR);
    EXPECT_EQ(SendDlgItemMessageA(dialog, 999, CB_GETCOUNT, 0, 0), 0);
    ASSERT_GE(Host().CountCalls("SendDlgItemMessageA"), 1);
    EXPECT_EQ(Host().CallsTo("SendDlgItemMessageA")[0].args,
              (std::vector<int64_t>{MirelWindowValue(dialog), 106, CB_ADDSTRING, 0}));
    EXPECT_EQ(Host().CallsTo("SendDlgItemMessageA")[0].text, "b\xC3\xA9");
}

TEST_F(StandinUiTest, SortedListInsertsInOrderAndKeepsTheSelection) {
    const HWND dialog = ModelDialog();
    UiItem* combo = Ui().Item(dialog, 106);
    combo->style |= 0x0100;
    for (const char* name : {"m", "z"})
        SendDlgItemMessageA(dialog, 106, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    SendDlgItemMessageA(dialog, 106, CB_SETCURSEL, 1, 0);  // "z"
    EXPECT_EQ(SendDlgItemMessageA(dialog, 106, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("a")), 0);
    EXPECT_EQ(combo->entries, (std::vector<std::u16string>{u"a", u"m", u"z"}));
    EXPECT_EQ(combo->selection, 2);
}

TEST_F(StandinUiTest, EditTextMessages) {
    const HWND dialog = ModelDialog();
    EXPECT_EQ(SendDlgItemMessageW(dialog, 102, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"Hello")), TRUE);
    char16_t buffer[4];
    EXPECT_EQ(SendDlgItemMessageW(dialog, 102, WM_GETTEXT, 4, reinterpret_cast<LPARAM>(buffer)), 3);
    EXPECT_EQ(std::u16string(buffer), u"Hel");
    EXPECT_EQ(SendDlgItemMessageW(dialog, 102, WM_GETTEXTLENGTH, 0, 0), 5);
    EXPECT_EQ(SendDlgItemMessageW(dialog, 102, WM_GETTEXT, 0, reinterpret_cast<LPARAM>(buffer)), 0);
}

TEST_F(StandinUiTest, WindowStateCallsAnswerThePreviousState) {
    const HWND dialog = ModelDialog();
    const HWND edit = GetDlgItem(dialog, 102);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(GetDlgItem(dialog, 999), nullptr);
    EXPECT_EQ(GetDlgItem(nullptr, 102), nullptr);

    EXPECT_EQ(EnableWindow(edit, FALSE), FALSE);  // was enabled
    EXPECT_EQ(IsWindowEnabled(edit), FALSE);
    EXPECT_EQ(EnableWindow(edit, TRUE), TRUE);  // was disabled
    EXPECT_EQ(IsWindowEnabled(edit), TRUE);
    EXPECT_EQ(EnableWindow(nullptr, TRUE), FALSE);

    EXPECT_EQ(ShowWindow(edit, SW_HIDE), TRUE);
    EXPECT_EQ(IsWindowVisible(edit), FALSE);
    EXPECT_EQ(ShowWindow(edit, SW_SHOW), FALSE);
    EXPECT_EQ(IsWindowVisible(edit), TRUE);
    // An item shows only while its dialog does.
    ShowWindow(dialog, SW_HIDE);
    EXPECT_EQ(IsWindowVisible(edit), FALSE);
    EXPECT_EQ(IsWindowVisible(reinterpret_cast<HWND>(0x7)), FALSE);

    EXPECT_EQ(GetParent(edit), dialog);
    EXPECT_EQ(GetParent(dialog), MainHandle());
    EXPECT_EQ(GetParent(MainHandle()), nullptr);

    EXPECT_EQ(InvalidateRect(edit, nullptr, FALSE), TRUE);
    EXPECT_EQ(Ui().Item(dialog, 102)->redraws, 1);
}

TEST_F(StandinUiTest, ActiveWindowAndGeometryCalls) {
    const HWND dialog = ModelDialog();
    EXPECT_EQ(GetActiveWindow(), MainHandle());
    EXPECT_EQ(SetActiveWindow(dialog), MainHandle());
    EXPECT_EQ(GetActiveWindow(), dialog);
    Ui().Window(dialog)->enabled = false;
    EXPECT_EQ(SetActiveWindow(MainHandle()), dialog);
    EXPECT_EQ(SetActiveWindow(dialog), nullptr);  // disabled: not activated
    EXPECT_EQ(GetActiveWindow(), MainHandle());
    EXPECT_EQ(SetActiveWindow(reinterpret_cast<HWND>(0x7)), nullptr);

    RECT rect{};
    EXPECT_EQ(GetWindowRect(dialog, nullptr), FALSE);
    EXPECT_EQ(GetClientRect(reinterpret_cast<HWND>(0x7), &rect), FALSE);
    EXPECT_EQ(SetWindowPos(dialog, nullptr, 5, 6, 250, 120, SWP_NOZORDER), TRUE);
    GetWindowRect(dialog, &rect);
    EXPECT_EQ((std::vector<int32_t>{rect.left, rect.top, rect.right, rect.bottom}),
              (std::vector<int32_t>{5, 6, 255, 126}));
    GetClientRect(dialog, &rect);
    EXPECT_EQ(rect.right, 250);  // AddWindow gave it no frame
    EXPECT_EQ(SetWindowPos(dialog, nullptr, 50, 60, 0, 0, SWP_NOSIZE), TRUE);
    GetWindowRect(dialog, &rect);
    EXPECT_EQ((std::vector<int32_t>{rect.left, rect.top, rect.right, rect.bottom}),
              (std::vector<int32_t>{50, 60, 300, 180}));
}

TEST_F(StandinUiTest, MessageBoxesAreRecordedShownAndAnswered) {
    std::vector<std::string> shown;
    Ui().onMessageBox = [&](const standin::MessageBoxRecord& box) {
        shown.push_back(standin::RenderMessageBox(box));
    };
    Ui().messageBoxAnswer = IDCANCEL;
    EXPECT_EQ(MessageBoxW(MainHandle(), reinterpret_cast<const WCHAR*>(u"Line one.\nLine \u00FCwo."),
                          reinterpret_cast<const WCHAR*>(u"Title"), MB_ICONINFORMATION),
              IDCANCEL);
    EXPECT_EQ(MessageBoxW(nullptr, nullptr, nullptr, MB_OK), IDCANCEL);
    ASSERT_EQ(Ui().messageBoxes.size(), 2u);
    EXPECT_EQ(Ui().messageBoxes[0].owner, MainHandle());
    EXPECT_EQ(Ui().messageBoxes[0].type, MB_ICONINFORMATION);
    EXPECT_EQ(Ui().messageBoxes[1].caption, u"Error");
    EXPECT_EQ(Ui().messageBoxes[1].text, u"");
    // Shown as text: a line for each line of the message, in UTF-8.
    EXPECT_EQ(shown, (std::vector<std::string>{"=== Title ===\nLine one.\nLine \xC3\xBCwo.\n[ OK ]\n",
                                               "=== Error ===\n\n[ OK ]\n"}));
    EXPECT_EQ(Host().CallsTo("MessageBoxW")[0].text, "Title: Line one.\nLine \xC3\xBCwo.");
}

}  // namespace
