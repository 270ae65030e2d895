// The window and control framework: the dialog procedure's message table, the window's closing rules, the
// enabled state that follows the host, and the controls' calls to the host and the window system.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/host_api.h"
#include "host/host_version.h"
#include "standin/dialog/ui_model.h"
#include "standin/host/host.h"
#include "tests/support/host_fixture.h"
#include "text/fc_string.h"
#include "ui/controls.h"
#include "ui/user_window.h"

namespace {

using standin::Host;
using standin::Ui;
using standin::UiItem;
using standin::UiWindow;

// A window that notes every virtual call it gets.
class RecordingWindow : public FCResourceWindow {
  public:
    RecordingWindow() : FCResourceWindow(20128) {}

    void OnInit() override {
        calls.push_back("OnInit");
        FCResourceWindow::OnInit();
    }
    void OnOk() override {
        calls.push_back("OnOk");
        FCResourceWindow::OnOk();
    }
    void OnCancel() override {
        calls.push_back("OnCancel");
        FCResourceWindow::OnCancel();
    }
    void OnClose() override {
        calls.push_back("OnClose");
        FCResourceWindow::OnClose();
    }
    bool OnCommand(FCControl* control) override {
        calls.push_back("OnCommand");
        commandControls.push_back(control);
        if (throwOnCommand) throw std::runtime_error("handler failed");
        return commandAnswer;
    }
    void OnSize(int32_t newWidth, int32_t newHeight, int32_t oldWidth, int32_t oldHeight) override {
        sizes.push_back({newWidth, newHeight, oldWidth, oldHeight});
    }
    void OnTimer(uintptr_t id) override { timers.push_back(id); }
    void OnActivate(bool active) override { activations.push_back(active); }

    std::vector<std::string> calls;
    std::vector<FCControl*> commandControls;
    std::vector<std::vector<int32_t>> sizes;
    std::vector<uintptr_t> timers;
    std::vector<bool> activations;
    bool commandAnswer = false;
    bool throwOnCommand = false;
};

class WindowInitFails : public FCResourceWindow {
  public:
    WindowInitFails() : FCResourceWindow(20128) {}
    void OnInit() override { throw std::bad_alloc(); }
};

// A control that reports its destruction.
class WatchedControl : public FCCtrlStatic {
  public:
    WatchedControl(int16_t id, bool* destroyed) : FCCtrlStatic(id), destroyed_(destroyed) {}
    ~WatchedControl() override { *destroyed_ = true; }

  private:
    bool* destroyed_;
};

constexpr RECT kDialogRect = {100, 100, 400, 300};  // outer 300 x 200
constexpr int32_t kClientWidth = 294;
constexpr int32_t kClientHeight = 171;

class DialogProcedureTest : public testsupport::HostFixture {
  protected:
    void SetUp() override {
        HostFixture::SetUp();
        Host().LogCalls(true);
        UiWindow& dialog = Ui().AddWindow(MainHandle(), u"Test", kDialogRect);
        dialog.resourceID = 20128;
        dialog.clientWidth = kClientWidth;
        dialog.clientHeight = kClientHeight;
        dialog.visible = true;
        handle_ = dialog.handle;
    }
    static HWND MainHandle() { return MirelWindowFromValue(Host().MainWindow()); }
    UiWindow& Dialog() { return *Ui().Window(handle_); }
    UiItem& AddItem(int32_t id, const char* className) {
        UiItem item;
        item.handle = Ui().NewHandle();
        item.id = id;
        item.className = className;
        item.rect = RECT{10, 20, 110, 40};
        Dialog().items.push_back(item);
        return Dialog().items.back();
    }
    intptr_t Send(FCUserWindow& window, uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) {
        return UserWindowDialogProc(handle_, message, wParam, lParam, &window);
    }
    int EndDialogCalls() const { return Host().CountCalls("FX_EndDialog"); }
    // Gives the window `control` (it takes it) and initialises the window.
    FCControl* Initialise(FCUserWindow& window, std::unique_ptr<FCControl> control) {
        FCControl* added = window.AddControl(std::move(control));
        Send(window, WM_INITDIALOG);
        return added;
    }

    HWND handle_ = nullptr;
};

TEST_F(DialogProcedureTest, WithoutWindowObjectEveryMessageAnswersZeroAndTouchesNothing) {
    for (uint32_t message : {WM_INITDIALOG, WM_COMMAND, WM_CLOSE, WM_NOTIFY, WM_SIZE}) {
        EXPECT_EQ(UserWindowDialogProc(handle_, message, 1, 0, nullptr), 0);
    }
    EXPECT_TRUE(Host().Calls().empty());
}

TEST_F(DialogProcedureTest, InitialisationStoresHandleAndRecordsSizes) {
    RecordingWindow window;
    EXPECT_EQ(Send(window, WM_INITDIALOG), 0);
    EXPECT_EQ(window.GetWindowHandle(), handle_);
    EXPECT_TRUE(window.IsInitPending());
    EXPECT_FALSE(window.IsClosed());
    EXPECT_EQ(window.calls, std::vector<std::string>{"OnInit"});
    EXPECT_EQ(window.GetMinWidth(), 300);
    EXPECT_EQ(window.GetMaxWidth(), 300);
    EXPECT_EQ(window.GetMinHeight(), 200);
    EXPECT_EQ(window.GetMaxHeight(), 200);
    EXPECT_EQ(window.GetClientWidth(), kClientWidth);
    EXPECT_EQ(window.GetClientHeight(), kClientHeight);

    EXPECT_EQ(Send(window, WM_SHOWWINDOW, 1), 0);
    EXPECT_FALSE(window.IsInitPending());

    // Without a window to measure, nothing is recorded.
    RecordingWindow unmeasured;
    unmeasured.OnInit();
    EXPECT_EQ(std::vector<int32_t>({unmeasured.GetMinWidth(), unmeasured.GetMaxWidth(),
                                    unmeasured.GetMinHeight(), unmeasured.GetMaxHeight(),
                                    unmeasured.GetClientWidth(), unmeasured.GetClientHeight()}),
              std::vector<int32_t>(6, 0));
}

TEST_F(DialogProcedureTest, CommandKindsChooseTheHandlerAndTheAnswer) {
    struct Case {
        int32_t kind;
        bool commandAnswer;
        intptr_t answer;
        const char* handler;  // empty: none
        int16_t resultCode;
        int endDialogCalls;
    };
    const Case cases[] = {
        {kCommandOrdinary, false, 0, "OnCommand", 0, 0},
        {kCommandOrdinary, true, 1, "OnCommand", 0, 0},
        {kCommandOk, false, 1, "OnOk", 1, 1},
        {kCommandClose, false, 1, "OnClose", 2, 1},
        {kCommandCancel, false, 1, "OnCancel", 2, 1},
        {7, false, 1, "", 0, 0},
        {-1, false, 1, "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind * 10 + (c.commandAnswer ? 1 : 0));
        Host().ClearCalls();
        Dialog().visible = true;
        RecordingWindow window;
        window.commandAnswer = c.commandAnswer;
        FCControl* control = Initialise(window, std::make_unique<FCCtrlButton>(50));
        control->SetCommandKind(c.kind);
        window.calls.clear();

        // Only the low 16 bits of the first parameter name the control; the notification code sits above.
        EXPECT_EQ(Send(window, WM_COMMAND, (0xABCDu << 16) | 50u), c.answer);
        if (*c.handler != '\0') {
            EXPECT_EQ(window.calls, std::vector<std::string>{c.handler});
        } else {
            EXPECT_TRUE(window.calls.empty());
        }
        if (c.kind == kCommandOrdinary) {
            EXPECT_EQ(window.commandControls, std::vector<FCControl*>{control});
        }
        EXPECT_EQ(window.GetResultCode(), c.resultCode);
        EXPECT_EQ(EndDialogCalls(), c.endDialogCalls);
    }
}

TEST_F(DialogProcedureTest, CommandFromUnknownIdGoesToOnCommandWithoutControl) {
    RecordingWindow window;
    Initialise(window, std::make_unique<FCCtrlButton>(1));
    window.commandAnswer = true;
    EXPECT_EQ(Send(window, WM_COMMAND, 999), 1);
    window.commandAnswer = false;
    EXPECT_EQ(Send(window, WM_COMMAND, 998), 0);
    EXPECT_EQ(window.commandControls, (std::vector<FCControl*>{nullptr, nullptr}));
}

TEST_F(DialogProcedureTest, FirstControlWithTheIdWins) {
    RecordingWindow window;
    FCControl* first = window.AddControl(std::make_unique<FCCtrlButton>(5));
    window.AddControl(std::make_unique<FCCtrlButton>(5))->SetCommandKind(kCommandOk);
    Send(window, WM_INITDIALOG);
    Send(window, WM_COMMAND, 5);
    EXPECT_EQ(window.calls.back(), "OnCommand");
    EXPECT_EQ(window.commandControls, std::vector<FCControl*>{first});
}

TEST_F(DialogProcedureTest, SecondCloseRequestMakesNoSecondEndDialog) {
    RecordingWindow window;
    window.AddControl(std::make_unique<FCCtrlButton>(1))->SetCommandKind(kCommandOk);
    Send(window, WM_INITDIALOG);
    Send(window, WM_COMMAND, 1);
    ASSERT_EQ(EndDialogCalls(), 1);
    EXPECT_EQ(Host().CallsTo("FX_EndDialog")[0].args[0], MirelWindowValue(handle_));
    EXPECT_EQ(window.GetWindowHandle(), nullptr);
    EXPECT_EQ(window.GetDialogProc(), nullptr);
    EXPECT_TRUE(window.IsClosed());

    // The close box and OK again: the handlers run, the dialog is not ended a second time.
    EXPECT_EQ(Send(window, WM_CLOSE), 0);
    Send(window, WM_COMMAND, 1);
    EXPECT_EQ(EndDialogCalls(), 1);
    EXPECT_EQ(window.GetResultCode(), 1);
}

TEST_F(DialogProcedureTest, CloseOfAnInvisibleWindowEndsNothingButForgetsTheHandle) {
    RecordingWindow window;
    Send(window, WM_INITDIALOG);
    window.SetDialogProc(&UserWindowDialogProc);
    Dialog().visible = false;
    Send(window, WM_CLOSE);
    EXPECT_EQ(EndDialogCalls(), 0);
    EXPECT_TRUE(window.IsClosed());
    EXPECT_EQ(window.GetWindowHandle(), nullptr);
    EXPECT_EQ(window.GetDialogProc(), nullptr);
    EXPECT_EQ(window.GetResultCode(), 2);
}

TEST_F(DialogProcedureTest, InitialisationClearsTheClosedFlag) {
    RecordingWindow window;
    window.Close();
    ASSERT_TRUE(window.IsClosed());
    Send(window, WM_INITDIALOG);
    EXPECT_FALSE(window.IsClosed());
}

TEST_F(DialogProcedureTest, SizeBeforeInitialisationOnlyRecords) {
    RecordingWindow window;
    EXPECT_EQ(Send(window, WM_SIZE, 0, (120 << 16) | 200), 0);
    EXPECT_TRUE(window.sizes.empty());
    EXPECT_EQ(window.GetClientWidth(), 200);
    EXPECT_EQ(window.GetClientHeight(), 120);
    // Initialisation records the client size anew.
    Send(window, WM_INITDIALOG);
    EXPECT_EQ(window.GetClientWidth(), kClientWidth);
    EXPECT_EQ(window.GetClientHeight(), kClientHeight);
}

TEST_F(DialogProcedureTest, SizeAfterInitialisationReportsNewAndOldSize) {
    RecordingWindow window;
    Send(window, WM_INITDIALOG);
    Send(window, WM_SIZE, 0, (150 << 16) | 300);
    Send(window, WM_SIZE, 0, (160 << 16) | 310);
    ASSERT_EQ(window.sizes.size(), 2u);
    EXPECT_EQ(window.sizes[0], (std::vector<int32_t>{300, 150, kClientWidth, kClientHeight}));
    EXPECT_EQ(window.sizes[1], (std::vector<int32_t>{310, 160, 300, 150}));
    EXPECT_EQ(window.GetClientWidth(), 310);
    EXPECT_EQ(window.GetClientHeight(), 160);
}

TEST_F(DialogProcedureTest, SizeWhenMinimisedOrMaximisedChangesNothing) {
    RecordingWindow window;
    Send(window, WM_INITDIALOG);
    for (uintptr_t kind : {1u, 2u, 3u, 4u}) {
        EXPECT_EQ(Send(window, WM_SIZE, kind, (10 << 16) | 20), 0);
    }
    EXPECT_TRUE(window.sizes.empty());
    EXPECT_EQ(window.GetClientWidth(), kClientWidth);
    EXPECT_EQ(window.GetClientHeight(), kClientHeight);
}

TEST_F(DialogProcedureTest, TrackingSizeQueryAnswersTheRecordedOuterSize) {
    RecordingWindow window;
    Send(window, WM_INITDIALOG);
    MINMAXINFO info{};
    info.ptMaxSize = POINT{1024, 768};
    info.ptMinTrackSize = POINT{1, 1};
    info.ptMaxTrackSize = POINT{2000, 2000};
    EXPECT_EQ(Send(window, WM_GETMINMAXINFO, 0, reinterpret_cast<intptr_t>(&info)), 0);
    EXPECT_EQ(info.ptMinTrackSize.x, 300);
    EXPECT_EQ(info.ptMinTrackSize.y, 200);
    EXPECT_EQ(info.ptMaxTrackSize.x, 300);
    EXPECT_EQ(info.ptMaxTrackSize.y, 200);
    EXPECT_EQ(info.ptMaxSize.x, 1024);  // the rest stays as the system filled it
    EXPECT_EQ(Send(window, WM_GETMINMAXINFO, 0, 0), 0);
}

TEST_F(DialogProcedureTest, SelectionNotificationsCountAsCommands) {
    struct Case {
        int32_t code;
        bool command;
    };
    const Case cases[] = {{kNotifyTabSelChange, true},
                          {kNotifyTreeSelChangedW, true},
                          {kNotifyTreeSelChangedA, true},
                          {-2, false},
                          {-722, false},
                          {-101, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        RecordingWindow window;
        FCControl* control = Initialise(window, std::make_unique<FCControl>(60));
        window.commandAnswer = true;
        NMHDR header{handle_, 60, static_cast<uint32_t>(c.code)};
        EXPECT_EQ(Send(window, WM_NOTIFY, 60, reinterpret_cast<intptr_t>(&header)), 0);
        EXPECT_EQ(window.commandControls,
                  c.command ? std::vector<FCControl*>{control} : std::vector<FCControl*>{});
    }
}

TEST_F(DialogProcedureTest, NotificationWithoutControlOrHeaderDoesNothing) {
    RecordingWindow window;
    Initialise(window, std::make_unique<FCControl>(60));
    NMHDR header{handle_, 61, static_cast<uint32_t>(kNotifyTabSelChange)};
    EXPECT_EQ(Send(window, WM_NOTIFY, 61, reinterpret_cast<intptr_t>(&header)), 0);
    EXPECT_EQ(Send(window, WM_NOTIFY, 60, 0), 0);
    EXPECT_TRUE(window.commandControls.empty());
}

TEST_F(DialogProcedureTest, TimerActivationAndOtherMessages) {
    RecordingWindow window;
    Send(window, WM_INITDIALOG);
    window.SetModal(true);
    EXPECT_EQ(Send(window, WM_TIMER, 7), 0);
    EXPECT_EQ(window.timers, std::vector<uintptr_t>{7});
    Send(window, WM_ACTIVATE, 0);
    Send(window, WM_ACTIVATE, 2);            // activated by a click
    Send(window, WM_ACTIVATE, 0x00010000u);  // inactive, minimised
    EXPECT_EQ(window.activations, (std::vector<bool>{false, true, false}));
    window.calls.clear();
    EXPECT_EQ(Send(window, 0x0200, 1, 1), 0);
    EXPECT_EQ(Send(window, WM_SETTEXT, 0, 0), 0);
    EXPECT_TRUE(window.calls.empty());
}

TEST_F(DialogProcedureTest, EnabledStateFollowsTheHostOnlyWhenNotModal) {
    for (uint32_t message : {WM_ACTIVATE, WM_WINDOWPOSCHANGING, kMessageHostWindowState}) {
        SCOPED_TRACE(message);
        RecordingWindow window;
        Send(window, WM_INITDIALOG);
        Dialog().enabled = true;
        Ui().MainWindow().enabled = false;

        window.SetModal(true);
        Host().ClearCalls();
        EXPECT_EQ(Send(window, message, 1), 0);
        EXPECT_TRUE(Dialog().enabled);
        EXPECT_EQ(Host().CountCalls("EnableWindow"), 0);
        EXPECT_EQ(Host().CountCalls("FX_GetCurrentWindow"), 0);

        window.SetModal(false);
        Send(window, message, 1);
        EXPECT_FALSE(Dialog().enabled);
        Ui().MainWindow().enabled = true;
        Send(window, message, 1);
        EXPECT_TRUE(Dialog().enabled);
    }
}

TEST_F(DialogProcedureTest, EnabledStateFollowsTheTopLevelAncestor) {
    UiWindow& top = Ui().AddWindow(nullptr, u"Top", RECT{0, 0, 800, 600});
    top.enabled = false;
    const HWND topHandle = top.handle;
    UiWindow& middle = Ui().AddWindow(topHandle, u"Middle", RECT{0, 0, 700, 500});
    const HWND middleHandle = middle.handle;
    UiWindow& document = Ui().AddWindow(middleHandle, u"Document", RECT{0, 0, 600, 400});
    document.enabled = true;
    Host().SetMainWindow(MirelWindowValue(document.handle));

    RecordingWindow window;
    Send(window, WM_INITDIALOG);
    Send(window, WM_ACTIVATE, 1);
    EXPECT_FALSE(Dialog().enabled);
    Ui().Window(topHandle)->enabled = true;
    Send(window, WM_ACTIVATE, 1);
    EXPECT_TRUE(Dialog().enabled);
}

TEST_F(DialogProcedureTest, WithoutHostWindowTheDialogStaysEnabled) {
    Host().HideFunction("FX_GetCurrentWindow");
    RecordingWindow window;
    Send(window, WM_INITDIALOG);
    Send(window, WM_ACTIVATE, 1);
    EXPECT_TRUE(Dialog().enabled);
    EXPECT_EQ(Host().CountCalls("EnableWindow"), 0);
}

TEST_F(DialogProcedureTest, HandlerExceptionEndsTheDialogAndIsRaisedAfterwards) {
    RecordingWindow window;
    Initialise(window, std::make_unique<FCCtrlButton>(50));
    window.throwOnCommand = true;
    EXPECT_EQ(Send(window, WM_COMMAND, 50), 0);
    EXPECT_TRUE(window.IsClosed());
    EXPECT_EQ(EndDialogCalls(), 1);
    EXPECT_THROW(window.RethrowHandlerFailure(), std::runtime_error);
    EXPECT_NO_THROW(window.RethrowHandlerFailure());
}

TEST_F(DialogProcedureTest, FailedInitialisationEndsTheDialogThatIsNotShowingYet) {
    Dialog().visible = false;
    WindowInitFails window;
    EXPECT_EQ(Send(window, WM_INITDIALOG), 0);
    EXPECT_EQ(EndDialogCalls(), 1);
    EXPECT_THROW(window.RethrowHandlerFailure(), std::bad_alloc);
}

// OK runs out of memory inside the host's dialog.
class OkFails : public FCResourceWindow {
  public:
    OkFails() : FCResourceWindow(20128) {
        AddControl(std::make_unique<FCCtrlButton>(1))->SetCommandKind(kCommandOk);
    }
    void OnOk() override { throw std::bad_alloc(); }
};

TEST_F(DialogProcedureTest, RunModalRaisesAHandlerFailureAfterTheDialogHasEnded) {
    OkFails window;
    EXPECT_THROW(window.RunModal(MainHandle()), std::bad_alloc);
    ASSERT_EQ(Ui().dialogRuns.size(), 1u);
    EXPECT_TRUE(Ui().dialogRuns[0].ended);
    EXPECT_EQ(Ui().dialogRuns[0].endDialogCalls, 1);
    EXPECT_FALSE(window.IsModal());
    EXPECT_EQ(window.GetHandlerFailure(), FCUserWindow::HandlerFailure::None);
}

TEST_F(DialogProcedureTest, DestroyingAShowingWindowEndsItAndDestroysTheControls) {
    bool destroyed = false;
    {
        RecordingWindow window;
        Initialise(window, std::make_unique<WatchedControl>(3, &destroyed));
    }
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(EndDialogCalls(), 1);

    // A window that never ran ends nothing.
    { RecordingWindow idle; }
    EXPECT_EQ(EndDialogCalls(), 1);
}

// ---- Controls ---------------------------------------------------------------------------------------------

class ControlTest : public DialogProcedureTest {
  protected:
    void SetUp() override {
        DialogProcedureTest::SetUp();
        AddItem(102, "Edit");
        AddItem(7, "Button");
        Send(window_, WM_INITDIALOG);
        edit_ = window_.AddControl(std::make_unique<FCCtrlEdit>(102));
    }
    RecordingWindow window_;
    FCCtrlEdit* edit_ = nullptr;
};

TEST_F(ControlTest, TextGoesThroughTheFunctionsOfTheHostVersion) {
    struct Case {
        uint32_t version;
        const char* setFunction;
        const char* getFunction;
        std::u16string stored;  // what the item holds for the text below
    };
    // "Łódź": U+0141 keeps only its low byte on the 8-bit way.
    const std::u16string text = u"\u0141\u00F3d\u017A";
    const Case cases[] = {
        {0x11000000, "FX_SetDlgString_UTF16", "FX_GetDlgString_UTF16", text},
        {0x12050000, "FX_SetDlgString_UTF16", "FX_GetDlgString_UTF16", text},
        {0x10FFFFFF, "FX_SetDlgString", "FX_GetDlgString", u"\u0041\u00F3d\u007A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        gHostVersion = c.version;
        Host().ClearCalls();
        FCString value;
        value.AssignWide(text.c_str());
        edit_->SetText(&value);
        EXPECT_EQ(Ui().Item(handle_, 102)->text, c.stored);
        FCString read("stale");
        edit_->GetText(&read);
        EXPECT_EQ(std::u16string(read.WideBuffer(), read.Length()), c.stored);
        // One call each way, through the version's functions only.
        EXPECT_EQ(Host().CountCalls("FX_SetDlgString") + Host().CountCalls("FX_SetDlgString_UTF16"), 1);
        EXPECT_EQ(Host().CountCalls("FX_GetDlgString") + Host().CountCalls("FX_GetDlgString_UTF16"), 1);
        ASSERT_EQ(Host().CountCalls(c.setFunction), 1);
        ASSERT_EQ(Host().CountCalls(c.getFunction), 1);
        const standin::HostCall get = Host().CallsTo(c.getFunction)[0];
        EXPECT_EQ(get.args[1], 102);
        EXPECT_EQ(get.args[3], 5000);
    }
}

TEST_F(ControlTest, NullTextEmptiesTheItemAndEmptyItemReadsEmpty) {
    for (uint32_t version : {0x10FFFFFFu, 0x11000000u}) {
        SCOPED_TRACE(version);
        gHostVersion = version;
        Ui().Item(handle_, 102)->text = u"old";
        edit_->SetText(nullptr);
        EXPECT_TRUE(Ui().Item(handle_, 102)->text.empty());
        FCString read("stale");
        edit_->GetText(&read);
        EXPECT_EQ(read.Length(), 0u);
    }
}

TEST_F(ControlTest, ItemTheHostDoesNotKnowReadsEmpty) {
    for (uint32_t version : {0x10FFFFFFu, 0x11000000u}) {
        SCOPED_TRACE(version);
        gHostVersion = version;
        FCCtrlEdit missing(555);
        missing.SetWindow(&window_);
        FCString read("stale");
        missing.GetText(&read);
        EXPECT_EQ(read.Length(), 0u);
    }
}

TEST_F(ControlTest, TextFillingTheWholeBufferStopsAtItsEnd) {
    Ui().dialogStringsFillBuffer = true;
    for (uint32_t version : {0x10FFFFFFu, 0x11000000u}) {
        SCOPED_TRACE(version);
        gHostVersion = version;
        Ui().Item(handle_, 102)->text = std::u16string(6000, u'x');
        FCString read;
        edit_->GetText(&read);
        // Cut at the 5000-unit buffer, never read beyond it (the binding may keep the last unit for a
        // terminator of its own).
        EXPECT_GE(read.Length(), 4999u);
        EXPECT_LE(read.Length(), 5000u);
        EXPECT_EQ(read.CharAt(4998), u'x');
        Ui().Item(handle_, 102)->text = std::u16string(4999, u'y');
        edit_->GetText(&read);
        EXPECT_EQ(read.Length(), 4999u);
    }
}

TEST_F(ControlTest, EnableShowRedrawAndResizeReachTheItem) {
    UiItem* item = Ui().Item(handle_, 102);
    edit_->Enable(false);
    EXPECT_FALSE(item->enabled);
    EXPECT_FALSE(edit_->IsEnabled());
    ASSERT_EQ(Host().CountCalls("FX_EnableDlgItem"), 1);
    EXPECT_EQ(Host().CallsTo("FX_EnableDlgItem")[0].args,
              (std::vector<int64_t>{MirelWindowValue(handle_), 102, 0, 0x12050000}));
    edit_->Enable(true);
    EXPECT_TRUE(edit_->IsEnabled());

    edit_->Show(false);
    EXPECT_FALSE(item->visible);
    EXPECT_EQ(Host().CallsTo("ShowWindow").back().args[1], SW_HIDE);
    edit_->Show(true);
    EXPECT_TRUE(item->visible);
    EXPECT_EQ(Host().CallsTo("ShowWindow").back().args[1], SW_SHOW);

    edit_->Redraw();
    EXPECT_EQ(item->redraws, 1);
    EXPECT_EQ(Host().CallsTo("InvalidateRect")[0].args[1], 0);  // no erasing

    edit_->Resize(10, -2);
    EXPECT_EQ(item->rect.left, 10);
    EXPECT_EQ(item->rect.top, 20);
    EXPECT_EQ(item->rect.right - item->rect.left, 110);
    EXPECT_EQ(item->rect.bottom - item->rect.top, 18);
    EXPECT_EQ(Host().CallsTo("SetWindowPos")[0].args[5],
              static_cast<int64_t>(SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
}

TEST_F(ControlTest, CheckStateIsValueKindOne) {
    auto* box = window_.AddControl(std::make_unique<FCCtrlCheckbox>(7));
    box->SetCheck(1);
    EXPECT_EQ(Ui().Item(handle_, 7)->check, 1);
    EXPECT_EQ(box->GetCheck(), 1);
    EXPECT_EQ(Host().CallsTo("FX_SetDlgItemVal")[0].args[2], 1);
    EXPECT_EQ(Host().CallsTo("FX_GetDlgItemVal")[0].args[2], 1);
}

TEST_F(ControlTest, ControlWithoutWindowUsesHandleZero) {
    FCCtrlButton loose(102);
    EXPECT_EQ(loose.GetWindowHandle(), nullptr);
    loose.Enable(true);
    loose.SetCheck(1);
    ASSERT_EQ(Host().CountCalls("FX_EnableDlgItem"), 1);
    EXPECT_EQ(Host().CallsTo("FX_EnableDlgItem")[0].args[0], 0);
    EXPECT_EQ(Host().CallsTo("FX_SetDlgItemVal")[0].args[0], 0);
    EXPECT_TRUE(Ui().Item(handle_, 102)->enabled);
}

}  // namespace
