// One run of the menu command through the exports, as the application runs it: what the run answers and
// whether it shows the "No Changes" message, the host version it assumes, and the settings that carry over
// while the module stays loaded. What the dialog shows and stores is CategoryDialogTest's; the message's
// wording is FCUITest's.
#include <memory>
#include <string>

#include "standin/dialog/dialog_user.h"
#include "standin/dialog/ui_model.h"
#include "standin/host/host.h"
#include "standin/score/document_builder.h"
#include "tests/e2e/module_fixture.h"

namespace {

using standin::DialogAnswers;
using standin::DialogEnding;
using testsupport::Answers;

using testsupport::kNameTags;
const std::u16string kNoChangesBoxCaption = standin::WidenBytes(testsupport::kNoChangesCaption.c_str());

class InvocationTest : public ModuleTest {
  protected:
    // Version and Init as the application calls them, and a score: Flute (1) changing to Piccolo in m. 3 to
    // 5, Oboe (2); eight measures; categories "Dynamics" and "Technique Text".
    void LoadScore(uint32_t hostVersion = 0x12050000) {
        Exports().version(hostVersion);
        uint32_t flags = 0;
        Exports().init(0, &flags);
        standin::DocumentBuilder doc(standin::Host().Doc(), hostVersion);
        standin::Host().SetFonts({{0, "Times New Roman"}});
        doc.AddMeasures(8);
        doc.AddStaff(1, kNameTags + "Flute");
        doc.AddStaff(2, kNameTags + "Oboe");
        doc.AddStaffStyle(1, kNameTags + "Piccolo", true);
        doc.AddCategory({1, 1, "Dynamics", 0, 24, 0});
        doc.AddCategory({2, 5, "Technique Text", 0, 12, 0});
        doc.AddStyleAssignment(1, 1, {3, 0}, {5, 0});
    }

    uint32_t Invoke(const DialogAnswers& answers, int16_t firstSlot = 1, int16_t lastSlot = 2) {
        standin::Ui().SetUser(std::make_shared<standin::ScriptedDialogUser>(answers));
        standin::RegionSpec spec;
        spec.startSlot = firstSlot;
        spec.endSlot = lastSlot;
        spec.startMeasure = 1;
        spec.endMeasure = 8;
        spec.endPosition = 0x7FFFFFFF;
        const auto region = standin::MakeRegionRecord(spec);
        return Exports().invoke(Parent(), 0, region.data(), 0);
    }

    static HWND Parent() { return MirelWindowFromValue(standin::Host().MainWindow()); }

    std::vector<std::string> TextsOnFlute(int16_t measure) const {
        standin::DocumentBuilder doc(standin::Host().Doc(), 0x12050000);
        std::vector<std::string> texts;
        for (const auto& e : doc.ReadExpressions(measure)) {
            if (e.staff == 1)
                texts.push_back(doc.ReadTextExpression(static_cast<int16_t>(e.definitionID)).text);
        }
        return texts;
    }

    // The dialog of the last run as the user first saw it.
    static const standin::UiWindow& LastDialogShown() { return standin::Ui().dialogRuns.back().shown; }
    static std::u16string ShownText(int32_t item) { return LastDialogShown().FindItem(item)->text; }
};

TEST_F(InvocationTest, NormalRunChangesTheDocumentAndSaysNothing) {
    LoadScore();
    EXPECT_EQ(Invoke(DialogAnswers{}), 1u);
    EXPECT_TRUE(standin::Ui().messageBoxes.empty());
    EXPECT_EQ(TextsOnFlute(3), std::vector<std::string>{"^font(Times New Roman)^size(12)^nfx(0)To Piccolo:"});
    EXPECT_EQ(TextsOnFlute(6), std::vector<std::string>{"^font(Times New Roman)^size(12)^nfx(0)To Flute:"});
}

TEST_F(InvocationTest, CancelOrCloseBoxEndsTheRunWithoutAChangeOrAWord) {
    for (DialogEnding ending : {DialogEnding::Cancel, DialogEnding::Close}) {
        SCOPED_TRACE(static_cast<int>(ending));
        testsupport::ResetStandin();
        LoadScore();
        const standin::Document before = standin::Host().Doc();
        EXPECT_EQ(Invoke(Answers(ending, {}, "Zu ")), 0u);
        EXPECT_TRUE(standin::Ui().messageBoxes.empty());
        EXPECT_TRUE(standin::Host().Doc() == before);
    }
}

TEST_F(InvocationTest, NothingToDoShowsTheNoChangesMessage) {
    LoadScore();
    EXPECT_EQ(Invoke(DialogAnswers{}, 2, 2), 0u);  // only the Oboe: no change there
    ASSERT_EQ(standin::Ui().messageBoxes.size(), 1u);
    EXPECT_EQ(standin::Ui().messageBoxes[0].caption, kNoChangesBoxCaption);
    EXPECT_EQ(standin::Ui().messageBoxes[0].owner, Parent());  // the window the application gave the run
}

TEST_F(InvocationTest, RemovingOnlyAStaleExpressionCountsAsAChange) {
    LoadScore();
    standin::DocumentBuilder doc(standin::Host().Doc(), 0x12050000);
    doc.AddTextExpression(1, "To Oboe d'amore:", "Change to Oboe d'amore [Mirel Instrument Change]", 5);
    doc.AddExpression(4, 2, 1);
    EXPECT_EQ(Invoke(DialogAnswers{}, 2, 2), 1u);
    EXPECT_TRUE(standin::Ui().messageBoxes.empty());
    EXPECT_TRUE(doc.ReadExpressions(4).empty());
}

// A host that refuses every new definition: the texts made for them stay, no mark is placed, and though the
// host accepted those writes the run answers 0 and says "No Changes".
TEST_F(InvocationTest, RefusedDefinitionsKeepTheirTextsAndTheRunReportsNoChanges) {
    constexpr uint32_t kRawText = 0x74787870, kBlock = 0x534F5458, kDefinition = 0x534F4454;
    LoadScore();
    standin::DocumentBuilder doc(standin::Host().Doc(), 0x12050000);
    const std::size_t rawTexts = doc.Count(kRawText);
    const std::size_t blocks = doc.Count(kBlock);
    standin::Host().PlanFaults(standin::FaultPlan{"FX_CreateEData", kDefinition, 1, true});
    EXPECT_EQ(Invoke(DialogAnswers{}), 0u);
    EXPECT_EQ(standin::Host().Faults().injected, 2);  // the start and the end mark of the Piccolo
    EXPECT_EQ(doc.Count(kRawText), rawTexts + 2);
    EXPECT_EQ(doc.Count(kBlock), blocks + 2);
    EXPECT_TRUE(TextsOnFlute(3).empty() && TextsOnFlute(6).empty());
    ASSERT_EQ(standin::Ui().messageBoxes.size(), 1u);
    EXPECT_EQ(standin::Ui().messageBoxes[0].caption, kNoChangesBoxCaption);
}

// The settings live with the loaded module from one run to the next (that initialising puts the defaults back
// is ModuleStateTest's).
TEST_F(InvocationTest, AcceptedTextsCarryOverToTheNextRun) {
    LoadScore();
    ASSERT_EQ(Invoke(Answers(DialogEnding::Ok, "Dynamics", "Auf ", "")), 1u);

    Invoke(DialogAnswers{});
    EXPECT_EQ(ShownText(102), u"Auf ");
    EXPECT_EQ(ShownText(104), u"");
    EXPECT_EQ(LastDialogShown().FindItem(106)->selection, 0);  // "Dynamics", the last accepted category
    // The first run wrote in the Dynamics font (24 points); the second rewrote with the carried-over texts.
    EXPECT_EQ(TextsOnFlute(3), std::vector<std::string>{"^font(Times New Roman)^size(24)^nfx(0)Auf Piccolo"});
}

TEST_F(InvocationTest, HostThatNeverGivesItsVersionIsTreatedAs0x12050000) {
    uint32_t flags = 0;
    Exports().init(0, &flags);  // no version call at all
    standin::DocumentBuilder doc(standin::Host().Doc(), 0x12050000);
    doc.AddCategory({1, 5, "Technique Text", 0, 12, 0});
    standin::Host().LogCalls(true);
    Invoke(Answers(DialogEnding::Cancel));
    bool sawCategoryLoad = false;
    for (const auto& call : standin::Host().CallsTo("FX_LoadEData")) {
        if (call.args.at(0) != 0x534F4D43) continue;
        sawCategoryLoad = true;
        EXPECT_EQ(call.args.back(), 0x11000000);  // the record version of the 296-byte layout
    }
    EXPECT_TRUE(sawCategoryLoad);
    EXPECT_GT(standin::Host().CountCalls("FX_SetDlgString_UTF16"), 0);
}

}  // namespace
