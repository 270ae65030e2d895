// The category dialog run inside the stand-in host: what it shows of the settings it is given and what OK,
// Cancel and the close box leave in them, at either text encoding of the host. That the settings carry over
// from one run to the next while the module stays loaded is InvocationTest's.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/host_api.h"
#include "host/host_version.h"
#include "plugin/module_state.h"
#include "records/category_def.h"
#include "standin/dialog/dialog_user.h"
#include "standin/dialog/ui_model.h"
#include "standin/host/host.h"
#include "standin/score/document_builder.h"
#include "tests/support/host_fixture.h"
#include "tests/support/text_encodings.h"
#include "ui/category_dialog.h"
#include "ui/fc_ui.h"

namespace {

using standin::DialogAnswers;
using standin::DialogEnding;
using standin::Host;
using standin::Ui;
using standin::UiItem;
using testsupport::Answers;
using testsupport::kNarrowHost;
using testsupport::kWideHost;
using testsupport::Units;
using Texts = std::vector<std::u16string>;

constexpr uint32_t kCurrentHost = 0x12050000;
// The category name, prefix and suffix of the default settings.
const Texts kDefaultSettings{u"Technique Text", u"To ", u":"};

struct Category {
    int16_t record;
    int16_t categoryID;
    const char* name;  // UTF-8
};

class CategoryDialogTest : public testsupport::HostFixture {
  protected:
    void SetUp() override {
        HostFixture::SetUp();
        gHostVersion = kCurrentHost;
        Host().LogCalls(true);
    }

    void AddCategories(const std::vector<Category>& categories) {
        standin::DocumentBuilder builder(Host().Doc(), gHostVersion);
        for (const Category& c : categories) builder.AddCategory({c.record, c.categoryID, c.name, 0, 12, 0});
    }
    void AddStandardCategories() {
        AddCategories({{1, 11, "Dynamics"},
                       {2, 12, "Tempo Marks"},
                       {3, 13, "Technique Text"},
                       {4, 14, "Expressive Text"}});
    }
    int16_t Run(const DialogAnswers& answers) {
        Ui().SetUser(std::make_shared<standin::ScriptedDialogUser>(answers));
        FCUI ui(MirelWindowFromValue(Host().MainWindow()));
        return ShowCategoryDialog(ui, gPluginSettings);
    }
    // The category name, prefix and suffix the settings hold.
    static Texts Settings() {
        return {Units(gPluginSettings.categoryName), Units(gPluginSettings.prefixText),
                Units(gPluginSettings.suffixText)};
    }
    const standin::UiWindow& Shown() const { return Ui().dialogRuns.back().shown; }
    const UiItem& ShownItem(int32_t id) const { return *Shown().FindItem(id); }
};

TEST_F(CategoryDialogTest, DefaultsShowTechniqueTextPrefixAndSuffix) {
    AddStandardCategories();
    EXPECT_EQ(Run(Answers(DialogEnding::Cancel)), 0);
    ASSERT_EQ(Ui().dialogRuns.size(), 1u);
    const UiItem& popup = ShownItem(kCategoryPopupID);
    EXPECT_EQ(popup.entries, (std::vector<std::u16string>{u"Dynamics", u"Tempo Marks", u"Technique Text",
                                                          u"Expressive Text"}));
    EXPECT_EQ(popup.selection, 2);
    EXPECT_EQ(ShownItem(kPrefixEditID).text, u"To ");
    EXPECT_EQ(ShownItem(kSuffixEditID).text, u":");
}

TEST_F(CategoryDialogTest, EqualNamesPreselectTheLaterAndOkReturnsItsID) {
    AddCategories({{1, 5, "Technique Text"}, {2, 6, "Dynamics"}, {3, 9, "Technique Text"}});
    EXPECT_EQ(Run(Answers(DialogEnding::Ok)), 9);
    EXPECT_EQ(ShownItem(kCategoryPopupID).selection, 2);
}

TEST_F(CategoryDialogTest, OkReturnsTheCategoryIDNotThePosition) {
    struct Case {
        const char* how;
        DialogAnswers answers;
        int16_t expectedID;
        std::u16string expectedName;
    };
    DialogAnswers byNumber = Answers(DialogEnding::Ok, {}, "Zu ", " !");
    byNumber.categoryEntry = 2;
    const DialogAnswers byName = Answers(DialogEnding::Ok, "Expressive Text", "Zu ", " !");
    const Case cases[] = {{"entry 2", byNumber, 12, u"Tempo Marks"},
                          {"by name", byName, 14, u"Expressive Text"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        ResetPluginSettings();
        Host().NewDocument();
        AddStandardCategories();
        EXPECT_EQ(Run(c.answers), c.expectedID);
        EXPECT_EQ(Settings(), (Texts{c.expectedName, u"Zu ", u" !"}));
        EXPECT_TRUE(Ui().dialogRuns.back().notes.empty());
    }
}

TEST_F(CategoryDialogTest, CancelOrCloseAfterEditingLeavesTheSettings) {
    for (DialogEnding ending : {DialogEnding::Cancel, DialogEnding::Close}) {
        SCOPED_TRACE(static_cast<int>(ending));
        Host().NewDocument();
        AddStandardCategories();
        EXPECT_EQ(Run(Answers(ending, "Dynamics", "Nach ", "")), 0);
        EXPECT_EQ(Settings(), kDefaultSettings);
        EXPECT_EQ(Host().CountCalls("FX_GetDlgString_UTF16"), 0);
        EXPECT_EQ(Host().CountCalls("FX_GetDlgItemVal"), 0);
        EXPECT_EQ(Ui().dialogRuns.back().endDialogCalls, 1);
    }
}

// The dialog shows the settings it is given, and OK as it stands returns the preselected category's ID and
// stores its name. A name the document does not hold, even in another letter case, preselects the first entry.
TEST_F(CategoryDialogTest, ShowsTheSettingsItIsGiven) {
    struct Case {
        const char* name;
        int entry;  // the category IDs are 11 to 14 in list order
        std::u16string stored;
    };
    const Case cases[] = {{"Technique Text", 2, u"Technique Text"},
                          {"Expressive Text", 3, u"Expressive Text"},
                          {"Deleted Category", 0, u"Dynamics"},
                          {"technique text", 0, u"Dynamics"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Host().NewDocument();
        AddStandardCategories();
        gPluginSettings.categoryName.AssignNarrow(c.name);
        gPluginSettings.prefixText.AssignNarrow("Zu ");
        gPluginSettings.suffixText.AssignNarrow("!");
        EXPECT_EQ(Run(Answers(DialogEnding::Ok)), 11 + c.entry);
        EXPECT_EQ(ShownItem(kCategoryPopupID).selection, c.entry);
        EXPECT_EQ(ShownItem(kPrefixEditID).text, u"Zu ");
        EXPECT_EQ(ShownItem(kSuffixEditID).text, u"!");
        EXPECT_EQ(Settings(), (Texts{c.stored, u"Zu ", u"!"}));
    }
}

TEST_F(CategoryDialogTest, EmptyPrefixAndSuffixAreStored) {
    AddStandardCategories();
    EXPECT_EQ(Run(Answers(DialogEnding::Ok, {}, "", "")), 13);
    EXPECT_EQ(gPluginSettings.prefixText.Length(), 0u);
    EXPECT_EQ(gPluginSettings.suffixText.Length(), 0u);
}

TEST_F(CategoryDialogTest, OkWithoutAnyCategoryEndsAsCancelled) {
    EXPECT_EQ(Run(Answers(DialogEnding::Ok)), 0);
    EXPECT_TRUE(ShownItem(kCategoryPopupID).entries.empty());
    EXPECT_EQ(ShownItem(kCategoryPopupID).selection, -1);
    EXPECT_EQ(Settings(), kDefaultSettings);
    EXPECT_TRUE(Ui().dialogRuns.back().ended);
    EXPECT_EQ(Ui().dialogRuns.back().endDialogCalls, 1);
    EXPECT_EQ(Host().CountCalls("FX_GetDlgString_UTF16"), 0);
}

// The texts go through the host functions of the host version (ControlTest owns which); OK stores them either
// way.
TEST_F(CategoryDialogTest, OkStoresTheTextsAtEitherTextEncoding) {
    for (uint32_t version : {kNarrowHost, kWideHost}) {
        SCOPED_TRACE(version);
        ResetPluginSettings();
        Host().NewDocument();
        gHostVersion = version;
        AddStandardCategories();
        EXPECT_EQ(Run(Answers(DialogEnding::Ok, "Tempo Marks", "Vor ")), 12);
        EXPECT_EQ(Settings(), (Texts{u"Tempo Marks", u"Vor ", u":"}));
    }
}

TEST_F(CategoryDialogTest, PopupIsFilledWithEightBitNamesInOrder) {
    // "Łento": U+0141 shows in the list as its low byte; OK stores the category's own name.
    AddCategories({{1, 21, "Dynamics"},
                   {2, 22,
                    "\xC5\x81"
                    "ento"}});
    gPluginSettings.categoryName.AssignWide(u"\u0141ento");
    EXPECT_EQ(Run(Answers(DialogEnding::Ok)), 22);
    EXPECT_EQ(ShownItem(kCategoryPopupID).entries, (std::vector<std::u16string>{u"Dynamics", u"Aento"}));
    EXPECT_EQ(ShownItem(kCategoryPopupID).selection, 1);
    EXPECT_EQ(Units(gPluginSettings.categoryName), u"\u0141ento");

    // The popup is emptied first (UTF-16 form), then filled through the 8-bit form, then the entry selected.
    std::vector<std::string> order;
    for (const standin::HostCall& call : Host().Calls()) {
        if (call.function == "SendDlgItemMessageW" || call.function == "SendDlgItemMessageA" ||
            call.function == "FX_SetDlgItemVal") {
            EXPECT_EQ(call.args[1], kCategoryPopupID);
            order.push_back(call.function + " " + std::to_string(call.args[2]) + " " +
                            std::to_string(call.args[3]));
        }
    }
    EXPECT_EQ(order,
              (std::vector<std::string>{"SendDlgItemMessageW " + std::to_string(CB_RESETCONTENT) + " 0",
                                        "SendDlgItemMessageA " + std::to_string(CB_ADDSTRING) + " 0",
                                        "SendDlgItemMessageA " + std::to_string(CB_ADDSTRING) + " 0",
                                        "FX_SetDlgItemVal 0 2"}));
}

TEST_F(CategoryDialogTest, DialogRunsOnTheHostWindowFromTheWindowInfo) {
    AddStandardCategories();
    Run(Answers(DialogEnding::Cancel));
    ASSERT_EQ(Host().CountCalls("FX_Dialog"), 1);
    EXPECT_EQ(Host().CallsTo("FX_Dialog")[0].args,
              (std::vector<int64_t>{20128, 1, Host().MainWindow(), 1, 1, 0x12050000}));
    EXPECT_EQ(Host().CountCalls("FX_GetCurrentWindowInfo"), 1);
    EXPECT_EQ(Ui().dialogRuns.back().parent, MirelWindowFromValue(Host().MainWindow()));

    Host().SetWindowInfoAvailable(false);
    Run(Answers(DialogEnding::Cancel));
    EXPECT_EQ(Host().CallsTo("FX_Dialog")[1].args[2], 0);
}

TEST_F(CategoryDialogTest, ModalRunIgnoresTheDisabledOwnerAndRestoresTheActiveWindow) {
    AddStandardCategories();
    standin::UiWindow& palette = Ui().AddWindow(nullptr, u"Palette", RECT{0, 0, 100, 100});
    const HWND paletteHandle = palette.handle;
    Ui().SetActive(paletteHandle);
    EXPECT_EQ(Run(Answers(DialogEnding::Ok)), 13);
    // The owner was disabled while the dialog ran; the modal dialog did not follow it.
    EXPECT_TRUE(Shown().enabled);
    EXPECT_TRUE(Ui().MainWindow().enabled);
    EXPECT_EQ(Ui().ActiveWindow(), paletteHandle);
    ASSERT_EQ(Host().CountCalls("SetActiveWindow"), 1);
    EXPECT_EQ(Host().CallsTo("SetActiveWindow")[0].args[0], MirelWindowValue(paletteHandle));
}

TEST_F(CategoryDialogTest, HostGivingTheDialogUpCountsAsCancelled) {
    AddStandardCategories();
    EXPECT_EQ(Run(Answers(DialogEnding::None, {}, "Nie ")), 0);
    EXPECT_FALSE(Ui().dialogRuns.back().ended);
    EXPECT_EQ(Host().CountCalls("FX_EndDialog"), 0);
    EXPECT_EQ(Units(gPluginSettings.prefixText), u"To ");
}

// Presses OK, then delivers a second OK command after the dialog has ended.
class DoubleOkUser : public standin::DialogUser {
  public:
    void Operate(standin::DialogSession& session) override {
        session.TypeText(kPrefixEditID, u"First ");
        session.Press(kCategoryOkButtonID);
        Ui().Item(session.Handle(), kPrefixEditID)->text = u"Second ";
        session.Send(WM_COMMAND, kCategoryOkButtonID);
    }
};

TEST_F(CategoryDialogTest, SecondOkAfterTheEndStoresNothingMore) {
    AddStandardCategories();
    Ui().SetUser(std::make_shared<DoubleOkUser>());
    FCUI ui(nullptr);
    EXPECT_EQ(ShowCategoryDialog(ui, gPluginSettings), 13);
    EXPECT_EQ(Units(gPluginSettings.prefixText), u"First ");
    EXPECT_EQ(Units(gPluginSettings.suffixText), u":");
}

TEST_F(CategoryDialogTest, DialogOwnsItsEightControlsInOrder) {
    FCCategoryDefs categories;
    FCUI ui(nullptr);
    PluginSettings settings;
    FCCategoryDialog dialog(&categories, &ui, settings);
    EXPECT_STREQ(dialog.ClassName(), "FCCategoryDialog");
    EXPECT_EQ(dialog.GetResourceID(), 20128);
    EXPECT_EQ(dialog.GetUI(), &ui);
    const int16_t ids[] = {1, 2, 105, 106, 101, 102, 103, 104};
    const int32_t kinds[] = {kCommandOk, kCommandCancel, 0, 0, 0, 0, 0, 0};
    const char* classes[] = {"FCCtrlButton", "FCCtrlButton", "FCCtrlStatic", "FCCtrlPopup",
                             "FCCtrlStatic", "FCCtrlEdit",   "FCCtrlStatic", "FCCtrlEdit"};
    ASSERT_EQ(dialog.Count(), 8);
    for (int32_t i = 0; i < 8; ++i) {
        auto* control = static_cast<FCControl*>(dialog.GetItemAt(i));
        EXPECT_EQ(control->GetControlID(), ids[i]);
        EXPECT_EQ(control->GetCommandKind(), kinds[i]);
        EXPECT_EQ(control->GetControlKind(), 0);
        EXPECT_STREQ(control->ClassName(), classes[i]);
        EXPECT_EQ(control->GetWindow(), &dialog);
    }
    EXPECT_EQ(dialog.GetChosenCategoryID(), 0);
    EXPECT_EQ(dialog.GetSelectedIndex(), 0);
}

}  // namespace
