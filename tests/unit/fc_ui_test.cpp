// FCUI: the information message box and the "No Changes" message.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/host_version.h"
#include "standin/dialog/ui_model.h"
#include "standin/host/host.h"
#include "tests/support/host_fixture.h"
#include "text/fc_string.h"
#include "ui/fc_ui.h"

namespace {

using standin::Host;
using standin::Ui;

class FCUITest : public testsupport::HostFixture {};

HWND Window(uint32_t value) {
    return MirelWindowFromValue(value);
}

struct MessageCase {
    const char* name;
    const char* text;     // null: no text
    const char* caption;  // null: no caption
    bool shown;
    const char16_t* expectedCaption;
};

TEST_F(FCUITest, ShowMessageCaptionAndTextRules) {
    const MessageCase cases[] = {
        {"caption given", "Done.", "Result", true, u"Result"},
        {"null caption", "Done.", nullptr, true, u"Information"},
        {"empty caption", "Done.", "", true, u"Information"},
        {"null text", nullptr, "Result", false, nullptr},
        {"null text and caption", nullptr, nullptr, false, nullptr},
        {"empty text is still shown", "", "Result", true, u"Result"},
    };
    for (const MessageCase& c : cases) {
        SCOPED_TRACE(c.name);
        Ui().Reset();
        FCUI ui(Window(0x4242));
        FCString text(c.text != nullptr ? c.text : "");
        FCString caption(c.caption != nullptr ? c.caption : "");
        ui.ShowMessage(c.text != nullptr ? &text : nullptr, c.caption != nullptr ? &caption : nullptr);
        // The caller's caption stays as it was, even when the box shows another.
        EXPECT_EQ(caption.Length(), c.caption != nullptr ? std::strlen(c.caption) : 0u);
        if (!c.shown) {
            EXPECT_TRUE(Ui().messageBoxes.empty());
            continue;
        }
        ASSERT_EQ(Ui().messageBoxes.size(), 1u);
        const standin::MessageBoxRecord& box = Ui().messageBoxes[0];
        EXPECT_EQ(box.caption, c.expectedCaption);
        EXPECT_EQ(box.text, standin::WidenBytes(c.text));
        EXPECT_EQ(box.owner, Window(0x4242));
        EXPECT_EQ(box.type, MB_ICONINFORMATION);
    }
}

TEST_F(FCUITest, TextBeyondLatin1ReachesTheBoxUnchanged) {
    FCUI ui(Window(0x10000));
    FCString text;
    const char16_t units[] = {u'\u0141', u'\u00F3', u'd', u'\u017A', 0};
    text.AssignWide(units);
    ui.ShowMessage(&text, nullptr);
    ASSERT_EQ(Ui().messageBoxes.size(), 1u);
    EXPECT_EQ(Ui().messageBoxes[0].text, std::u16string(units));
}

// The message's exact wording is owned here; the runs that show it are InvocationTest's.
TEST_F(FCUITest, NoChangesMessageHasTheExactTwoLineTextAtEveryHostVersion) {
    for (uint32_t version : {0x10FFFFFFu, 0x11000000u, 0x12050000u}) {
        SCOPED_TRACE(version);
        Ui().Reset();
        Host().Reset();
        Host().LogCalls(true);
        gHostVersion = version;
        FCUI ui(Window(0x10000));
        ShowNoChangesMessage(ui);
        ASSERT_EQ(Ui().messageBoxes.size(), 1u);
        const standin::MessageBoxRecord& box = Ui().messageBoxes[0];
        EXPECT_EQ(box.caption, standin::WidenBytes(testsupport::kNoChangesCaption.c_str()));
        EXPECT_EQ(box.text, standin::WidenBytes(testsupport::kNoChangesText.c_str()));
        EXPECT_EQ(box.type, MB_ICONINFORMATION);
        EXPECT_EQ(box.owner, Window(0x10000));
        // One box, through the UTF-16 call only.
        EXPECT_EQ(Host().CountCalls("MessageBoxW"), 1);
    }
}

}  // namespace
