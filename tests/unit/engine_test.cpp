// The instrument-change engine on stand-in documents: what the sweep leaves in the document.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "engine/placement.h"
#include "engine/plugin_marker.h"
#include "engine/region_sweep.h"
#include "framework/cell.h"
#include "records/expression.h"
#include "standin/store/layouts.h"
#include "standin/store/record_bytes.h"
#include "tests/unit/engine_test_fixture.h"

namespace {

namespace layout = standin::layout;
using TextList = std::vector<std::string>;

const std::string kArialTags = "^font(Arial)^size(11)^nfx(2)";
constexpr int16_t kOboe = 2;

// Five staves: Flute (1), Oboe (2, changing to Flute in m. 5 to 8), a two-staff Piano (3, 4) and Violin (5);
// 20 measures.
class SweepTest : public EngineTest {
  protected:
    void SetUp() override {
        EngineTest::SetUp();
        BuildScore();
    }

    void BuildScore() {
        AddStandardCategories();
        Doc().AddMeasures(20);
        Doc().AddStaff(1, testsupport::kNameTags + "Flute");
        Doc().AddStaff(kOboe, testsupport::kNameTags + "Oboe");
        Doc().AddStaff(3, testsupport::kNameTags + "Piano");
        Doc().AddStaff(4, testsupport::kNameTags + "Piano");
        Doc().AddStaff(5, testsupport::kNameTags + "Violin");
        Doc().AddStaffStyle(1, testsupport::kNameTags + "Flute", true);
        Doc().AddStaffStyle(2, "Slash Notation", false);
        Doc().AddStaffStyle(3, testsupport::kNameTags + "Celesta", true);
    }

    bool Sweep(const FCMusicRegion& region, uint16_t category = kTechniqueTextID) {
        return CreateInstrumentChangeExpressions(region, category, gPluginSettings);
    }

    FCMusicRegion WholeScore() const { return Region(1, 5, 1, 20); }
};

TEST_F(SweepTest, FluteChangeWithDefaultTexts) {
    Doc().AddStyleAssignment(kOboe, 1, {5, 0}, {8, 1024});
    ASSERT_TRUE(Sweep(WholeScore()));

    EXPECT_EQ(TextsAt(5, kOboe), TextList{kArialTags + "To Flute:"});
    EXPECT_EQ(TextsAt(9, kOboe), TextList{kArialTags + "To Oboe:"});
    const auto start = DefinitionAt(5, kOboe);
    EXPECT_EQ(start.description, "Change to Flute [Mirel Instrument Change]");
    EXPECT_EQ(start.categoryID, kTechniqueTextID);
    EXPECT_EQ(start.word10 & 0x0400, 0x0400);
    EXPECT_EQ(start.word26 & 0xC000, 0xC000);
    EXPECT_EQ(DefinitionAt(9, kOboe).description, "Change to Oboe [Mirel Instrument Change]");
    // The category's six definition defaults (11 to 16 in record order) land at their definition offsets.
    const int16_t definitionID = static_cast<int16_t>(Doc().ReadExpressions(5).at(0).definitionID);
    const standin::Bytes* record =
        standin::Host().Doc().Find(0x534F4454, standin::RecordKey::Other(definitionID));
    ASSERT_NE(record, nullptr);
    auto word = [&](std::size_t offset) { return (*record)[offset] | ((*record)[offset + 1] << 8); };
    EXPECT_EQ(word(14), 11);
    EXPECT_EQ(word(12), 12);
    EXPECT_EQ(word(16), 13);
    EXPECT_EQ(word(24), 14);
    EXPECT_EQ(word(32), 15);
    EXPECT_EQ(word(30), 16);
    EXPECT_EQ(Doc().MeasureFlags(5) & 0x4000, 0x4000);
    EXPECT_EQ(Doc().MeasureFlags(9) & 0x4000, 0x4000);
    // Nothing anywhere else.
    for (int16_t m = 1; m <= 20; ++m) {
        if (m == 5 || m == 9) continue;
        EXPECT_TRUE(Doc().ReadExpressions(m).empty()) << "measure " << m;
    }
}

struct PointCase {
    const char* name;
    int16_t startMeasure;
    int32_t startPosition;
    int16_t endMeasure;
    FCMusicRegion (*region)();
    bool startMark;
    int16_t endMarkMeasure;  // 0: none
};

FCMusicRegion RegionFrom5At512() {
    return EngineTest::Region(1, 5, 5, 12, 512);
}
FCMusicRegion Region4To10() {
    return EngineTest::Region(1, 5, 4, 10);
}
FCMusicRegion Region1To20() {
    return EngineTest::Region(1, 5, 1, 20);
}

class SweepPointTest : public SweepTest, public ::testing::WithParamInterface<PointCase> {};

TEST_P(SweepPointTest, MarksOnlyThePointsInTheRegion) {
    const PointCase& c = GetParam();
    Doc().AddStyleAssignment(kOboe, 1, {c.startMeasure, c.startPosition}, {c.endMeasure, 0});
    Sweep(c.region());
    EXPECT_EQ(TextsAt(c.startMeasure, kOboe).size(), c.startMark ? 1u : 0u);
    for (int16_t m = 1; m <= 20; ++m) {
        if (m == c.startMeasure) continue;
        const TextList expected = m == c.endMarkMeasure ? TextList{kArialTags + "To Oboe:"} : TextList{};
        EXPECT_EQ(TextsAt(m, kOboe), expected) << "measure " << m;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SweepPointTest,
                         ::testing::Values(
                             // Starts in the region's first measure before its start position: no start mark.
                             PointCase{"BeforeStartPosition", 5, 256, 7, RegionFrom5At512, false, 8},
                             // Exactly at the start position: start mark.
                             PointCase{"AtStartPosition", 5, 512, 7, RegionFrom5At512, true, 8},
                             // Starts before the region, ends inside: only the end mark, in the measure after
                             // the end measure, although that measure lies outside the region.
                             PointCase{"EndsInside", 2, 0, 10, Region4To10, false, 11},
                             // Runs to the last measure of the piece: no end mark.
                             PointCase{"RunsToTheEnd", 6, 0, 20, Region1To20, true, 0},
                             // An end measure of -1 wraps to measure 0: no end mark.
                             PointCase{"EndMeasureMinusOne", 6, 0, -1, Region1To20, true, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SweepTest, StaffWithoutANameIsReturnedToUnnamed) {
    // Name block 0 is no name, which is read, not refused: the end mark names nothing.
    standin::Bytes* staff =
        standin::Host().Doc().FindMutable(layout::kStaffTag, standin::RecordKey::Other(kOboe));
    ASSERT_NE(staff, nullptr);
    standin::Set16(*staff, layout::kStaffFullNameID, 0);
    Doc().AddStyleAssignment(kOboe, 1, {5, 0}, {8, 0});
    ASSERT_TRUE(Sweep(WholeScore()));
    EXPECT_EQ(TextsAt(9, kOboe), TextList{kArialTags + "To :"});
}

class TwoStaffInstrumentTest : public SweepTest {
  protected:
    void SetUp() override {
        SweepTest::SetUp();
        Doc().AddMultiStaffInstrument(1, {3, 4}, 7);
        Doc().AddGroup(7, 3, 4, 1, testsupport::kNameTags + "Piano");
        Doc().AddStyleAssignment(3, 3, {6, 0}, {9, 0});
        Doc().AddStyleAssignment(4, 3, {6, 0}, {9, 0});
    }
};

TEST_F(TwoStaffInstrumentTest, MarksTopStaffOnlyNamedAfterMatchingGroup) {
    Doc().AddGroup(8, 3, 4, 5, "Celesta (wrong start)");
    Doc().AddGroup(9, 3, 4, 6, testsupport::kNameTags + "Celesta group");
    ASSERT_TRUE(Sweep(WholeScore()));
    EXPECT_EQ(TextsAt(6, 3), TextList{kArialTags + "To Celesta group:"});
    EXPECT_EQ(TextsAt(10, 3), TextList{kArialTags + "To Piano:"});  // the group named by the instrument
    EXPECT_TRUE(TextsAt(6, 4).empty());
    EXPECT_TRUE(TextsAt(10, 4).empty());
}

TEST_F(TwoStaffInstrumentTest, WithoutMatchingGroupUsesStyleAndStaffNames) {
    Doc().AddStaff(3, testsupport::kNameTags + "Piano RH", false);  // rename the top staff
    ASSERT_TRUE(Sweep(WholeScore()));
    EXPECT_EQ(TextsAt(6, 3), TextList{kArialTags + "To Celesta:"});
    EXPECT_EQ(TextsAt(10, 3), TextList{kArialTags + "To Piano RH:"});
}

TEST_F(TwoStaffInstrumentTest, LowerStaffAloneGetsNothingButLosesStaleExpressions) {
    Doc().AddTextExpression(1, "To Celesta:", "Change to Celesta [Mirel Instrument Change]",
                            kTechniqueTextID);
    Doc().AddExpression(12, 4, 1);
    EXPECT_TRUE(Sweep(Region(4, 4, 1, 20)));
    EXPECT_TRUE(TextsAt(6, 4).empty());
    EXPECT_TRUE(TextsAt(6, 3).empty());
    EXPECT_TRUE(TextsAt(12, 4).empty());
}

TEST_F(TwoStaffInstrumentTest, MemberNotOnTheScoreIsPassedOver) {
    standin::Host().SetStaffOrder({1, 2, 4, 5});  // staff 3 left the score: staff 4 is the top staff now
    ASSERT_TRUE(Sweep(Region(1, 4, 1, 20)));
    EXPECT_EQ(TextsAt(6, 4), TextList{kArialTags + "To Celesta:"});
}

TEST_F(TwoStaffInstrumentTest, WithoutInstToSlotNoStaffOfTheInstrumentIsMarked) {
    // Every member then has slot 0, so the instrument has no top staff; single staves are marked as usual.
    standin::Host().HideFunction("FX_InstToSlot");
    Doc().AddStyleAssignment(kOboe, 1, {5, 0}, {8, 0});
    ASSERT_TRUE(Sweep(WholeScore()));
    for (int16_t staff : {3, 4}) {
        EXPECT_TRUE(TextsAt(6, staff).empty()) << staff;
        EXPECT_TRUE(TextsAt(10, staff).empty()) << staff;
    }
    EXPECT_EQ(TextsAt(5, kOboe), TextList{kArialTags + "To Flute:"});
}

TEST_F(SweepTest, WithoutSlotToInstEverySlotIsStaffZero) {
    standin::Host().HideFunction("FX_SlotToInst");
    Doc().AddStyleAssignment(kOboe, 1, {5, 0}, {8, 0});
    const standin::Document before = standin::Host().Doc();
    EXPECT_FALSE(Sweep(WholeScore()));
    EXPECT_TRUE(standin::Host().Doc() == before);
}

// ---- Stale removal ----

class StaleTest : public SweepTest {
  protected:
    void SetUp() override {
        SweepTest::SetUp();
        Doc().AddTextExpression(1, "To Flute:", "Change to Flute [Mirel Instrument Change]",
                                kTechniqueTextID);
        Doc().AddTextExpression(2, "To Flute:", "Change to Flute [mirel instrument change]",
                                kTechniqueTextID);
        Doc().AddTextExpression(3, "dolce", "dolce", 4);
    }
};

TEST_F(StaleTest, PluginExpressionWhereNoChangeBeginsIsDeleted) {
    Doc().AddStyleAssignment(kOboe, 2, {7, 0}, {7, 0});  // a style that does not change the instrument
    Doc().AddExpression(7, kOboe, 3);
    Doc().AddExpression(7, kOboe, 1);
    EXPECT_TRUE(Sweep(WholeScore()));
    EXPECT_EQ(TextsAt(7, kOboe), TextList{"dolce"});
}

TEST_F(StaleTest, TwoInOneMeasureTakeTwoRuns) {
    Doc().AddExpression(7, kOboe, 1);
    Doc().AddExpression(7, kOboe, 1);
    EXPECT_TRUE(Sweep(WholeScore()));
    EXPECT_EQ(TextsAt(7, kOboe).size(), 1u);
    EXPECT_TRUE(Sweep(WholeScore()));
    EXPECT_TRUE(TextsAt(7, kOboe).empty());
    EXPECT_FALSE(Sweep(WholeScore()));
}

TEST_F(StaleTest, MarkerInOtherLetterCaseAndShapesAreNeverDeleted) {
    Doc().AddExpression(7, kOboe, 2);
    Doc().AddExpression(8, kOboe, 1, /*shape=*/true);
    EXPECT_FALSE(Sweep(WholeScore()));
    EXPECT_EQ(Doc().ReadExpressions(7).size(), 1u);
    EXPECT_EQ(Doc().ReadExpressions(8).size(), 1u);
}

TEST_F(StaleTest, ExpressionWhereAChangeBeginsStays) {
    Doc().AddStyleAssignment(kOboe, 1, {7, 0}, {9, 0});
    Doc().AddExpression(7, kOboe, 1);
    EXPECT_TRUE(Sweep(WholeScore()));
    EXPECT_EQ(TextsAt(7, kOboe), TextList{kArialTags + "To Flute:"});  // rewritten in place, not deleted
    EXPECT_EQ(Doc().ReadExpressions(7).size(), 1u);
}

TEST_F(StaleTest, StaffWithoutAssignmentsLosesFirstPluginExpressionOfEveryMeasure) {
    for (int16_t m : {2, 3, 15}) {
        Doc().AddExpression(m, 1, 1);
        Doc().AddExpression(m, 1, 1);
    }
    Doc().AddExpression(15, 5, 1);  // another staff in the region keeps its own until swept itself
    EXPECT_TRUE(Sweep(Region(1, 1, 1, 20)));
    for (int16_t m : {2, 3, 15}) EXPECT_EQ(TextsAt(m, 1).size(), 1u) << m;
    EXPECT_EQ(TextsAt(15, 5).size(), 1u);
}

TEST_F(StaleTest, OnlyMeasuresOfTheRegionAreExamined) {
    Doc().AddExpression(3, kOboe, 1);
    Doc().AddExpression(12, kOboe, 1);
    EXPECT_TRUE(Sweep(Region(2, 2, 10, 20)));
    EXPECT_EQ(TextsAt(3, kOboe).size(), 1u);
    EXPECT_TRUE(TextsAt(12, kOboe).empty());
}

TEST_F(StaleTest, EndMarkIsPlacedAgainOnlyWhenTheEndPointLiesInTheRun) {
    Doc().AddStyleAssignment(kOboe, 1, {5, 0}, {8, 0});
    ASSERT_TRUE(Sweep(WholeScore()));
    ASSERT_EQ(TextsAt(9, kOboe), TextList{kArialTags + "To Oboe:"});
    // Measures 9 to 20: the end mark stands where no change begins and the end point (m. 8) is outside.
    EXPECT_TRUE(Sweep(Region(2, 2, 9, 20)));
    EXPECT_TRUE(TextsAt(9, kOboe).empty());
    EXPECT_EQ(TextsAt(5, kOboe), TextList{kArialTags + "To Flute:"});
}

TEST_F(StaleTest, StyleThatDoesNotLoadJustifiesNoMarkAndIsNotMarkedAnew) {
    Doc().AddStyleAssignment(kOboe, 42, {5, 0}, {8, 0});
    Doc().AddExpression(5, kOboe, 1);
    EXPECT_TRUE(Sweep(WholeScore()));
    EXPECT_TRUE(Doc().ReadExpressions(5).empty());
    EXPECT_TRUE(Doc().ReadExpressions(9).empty());
}

// ---- Rewriting ----

TEST_F(SweepTest, SecondRunRewritesTheExistingExpression) {
    Doc().AddStyleAssignment(kOboe, 1, {5, 0}, {8, 0});
    ASSERT_TRUE(Sweep(WholeScore()));
    const auto first = Doc().ReadExpressions(5);
    ASSERT_EQ(first.size(), 1u);
    const auto firstDefinition = Doc().ReadTextExpression(static_cast<int16_t>(first[0].definitionID));
    const std::size_t blocks = Doc().Count(0x534F5458);

    gPluginSettings.prefixText.AssignNarrow("Take ");
    gPluginSettings.suffixText.AssignNarrow("!");
    ASSERT_TRUE(Sweep(WholeScore()));
    const auto second = Doc().ReadExpressions(5);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].definitionID, first[0].definitionID);  // same expression, same definition
    const auto secondDefinition = Doc().ReadTextExpression(static_cast<int16_t>(second[0].definitionID));
    EXPECT_NE(secondDefinition.textBlockID, firstDefinition.textBlockID);  // a new text block
    EXPECT_EQ(secondDefinition.text, kArialTags + "Take Flute!");
    // Start mark rewritten (one new block); end mark deleted as stale and placed anew (another new block).
    EXPECT_EQ(Doc().Count(0x534F5458), blocks + 2);
    EXPECT_EQ(TextsAt(9, kOboe), TextList{kArialTags + "Take Oboe!"});
}

// ---- A host that refuses one call while a mark is written ----

constexpr uint32_t kDefinitionTag = 0x534F4454;      // SODT
constexpr uint32_t kBlockTag = 0x534F5458;           // SOTX
constexpr uint32_t kExpressionTextTag = 0x74787870;  // txxp

struct RefusedCallCase {
    const char* name;
    bool existingMark;     // a first run has placed the mark already
    const char* function;  // the call refused, counted among the calls of this function on records of `tag`
    uint32_t tag;
    int callAfterRecognition;  // its number, counted after the calls that recognise the existing mark
    MarkWrite expected;        // "changed" once the definition stands with its text and number
};

void PrintTo(const RefusedCallCase& c, std::ostream* os) {
    *os << c.name;
}

class RefusedCallTest : public SweepTest, public ::testing::WithParamInterface<RefusedCallCase> {
  protected:
    // The definition loads that recognising the plug-in's mark in measure 5 makes.
    int RecognitionCalls(const char* function, uint32_t tag) {
        FCCell cell(5, kOboe);
        FCExpressions expressions;
        expressions.LoadAllForCell(&cell);
        standin::Host().PlanFaults(standin::FaultPlan{function, tag, 0});
        for (int32_t i = 0; i < expressions.Count(); ++i)
            IsInstrumentChangeExpression(expressions.GetExpressionAt(i));
        const int seen = standin::Host().Faults().seen;
        standin::Host().PlanFaults(standin::FaultPlan{});
        return seen;
    }
};

// A definition is never written naming a text that was not stored: a new mark is not placed (and the raw text
// made for it goes again), an existing one keeps the text it had. Once the definition has its number, the
// answer is "changed" even when the expression that would show it is refused.
TEST_P(RefusedCallTest, MarkIsWrittenWithItsTextOrNotAtAll) {
    const RefusedCallCase& c = GetParam();
    Doc().AddStyleAssignment(kOboe, 1, {5, 0}, {8, 0});
    if (c.existingMark) {
        ASSERT_TRUE(Sweep(WholeScore()));
    }
    const TextList textsBefore = TextsAt(5, kOboe);
    const std::size_t definitions = Doc().Count(kDefinitionTag);
    const std::size_t blocks = Doc().Count(kBlockTag);
    const std::size_t rawTexts = Doc().Count(kExpressionTextTag);
    const int first = RecognitionCalls(c.function, c.tag) + c.callAfterRecognition;

    gPluginSettings.prefixText.AssignNarrow("Take ");
    standin::Host().PlanFaults(standin::FaultPlan{c.function, c.tag, first});
    FCString name("Flute");
    const MarkWrite write =
        PlaceChangeExpression(MarkRequest{5, kOboe, kTechniqueTextID, gPluginSettings}, &name);
    EXPECT_EQ(std::tie(write.rewritten, write.textStored, write.definitionNumbered, write.expressionSaved),
              std::tie(c.expected.rewritten, c.expected.textStored, c.expected.definitionNumbered,
                       c.expected.expressionSaved));
    EXPECT_EQ(standin::Host().Faults().injected, 1);
    // The cell shows the new text when its expression names the definition that took it.
    const bool shown = c.expected.expressionSaved || (c.expected.rewritten && c.expected.definitionNumbered);
    EXPECT_EQ(TextsAt(5, kOboe) != textsBefore, shown);
    const std::size_t newDefinitions = c.expected.Changed() && !c.expected.rewritten ? 1 : 0;
    const std::size_t storedTexts = c.expected.textStored ? 1 : 0;
    EXPECT_EQ(Doc().Count(kDefinitionTag), definitions + newDefinitions);
    EXPECT_EQ(Doc().Count(kBlockTag), blocks + storedTexts);
    EXPECT_EQ(Doc().Count(kExpressionTextTag), rawTexts + storedTexts);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedCallTest,
    ::testing::Values(
        RefusedCallCase{"NewMarkRawText", false, "FX_CreateEData", kExpressionTextTag, 1, {}},
        RefusedCallCase{"NewMarkTextBlock", false, "FX_CreateEData", kBlockTag, 1, {}},
        RefusedCallCase{"NewMarkExpression",
                        false,
                        "FX_CreateEData",
                        layout::kExpressionTag,
                        1,
                        {false, true, true, false}},
        RefusedCallCase{
            "ExistingMarkTextBlock", true, "FX_CreateEData", kBlockTag, 1, {true, false, false, false}},
        RefusedCallCase{
            "ExistingDefinitionSize", true, "FX_LoadEData", kDefinitionTag, 1, {true, false, false, false}},
        RefusedCallCase{"ExistingMarkExpression",
                        true,
                        "FX_SaveEData",
                        layout::kExpressionTag,
                        1,
                        {true, true, true, false}}),
    [](const ::testing::TestParamInfo<RefusedCallCase>& info) { return std::string(info.param.name); });

// A host that refuses the reads of one kind of record from call `first` on: nothing is written on a guess. A
// style definition that does not load is no instrument change: no start mark and no end mark, in the region
// or after it, where the plug-in's mark of another change stays as it was. A name that cannot be read (its
// staff, group, text block or raw text) gives no mark, where it gave one naming nothing ("To :").
struct RefusedReadCase {
    const char* name;
    uint32_t tag;  // 0: nothing is refused
    int first;
    int16_t staff;  // changing to Celesta in measures 5 to 8: the Oboe, or the top staff of the grouped Piano
    int16_t startMeasure;  // the region's measures, on every slot
    int16_t endMeasure;
    const char* startMark;  // the text in measure 5, null for none
    const char* endMark;    // the text in measure 9, null for the other change's mark "To Flute:"
};

class RefusedReadTest : public SweepTest, public ::testing::WithParamInterface<RefusedReadCase> {};

TEST_P(RefusedReadTest, NoMarkIsWrittenOnAGuess) {
    const RefusedReadCase& c = GetParam();
    Doc().AddMultiStaffInstrument(1, {3, 4}, 7);
    Doc().AddGroup(7, 3, 4, 1, testsupport::kNameTags + "Piano");
    Doc().AddGroup(8, 3, 4, 5, testsupport::kNameTags + "Celesta");
    Doc().AddStyleAssignment(c.staff, 3, {5, 0}, {8, 0});
    Doc().AddTextExpression(1, "To Flute:", "Change to Flute [Mirel Instrument Change]", kTechniqueTextID);
    Doc().AddExpression(9, c.staff, 1);
    const standin::Document before = standin::Host().Doc();
    standin::Host().PlanFaults(standin::FaultPlan{c.tag != 0 ? "FX_LoadEData" : "", c.tag, c.first, true});
    const bool changed = Sweep(Region(1, 5, c.startMeasure, c.endMeasure));
    EXPECT_EQ(standin::Host().Faults().injected > 0, c.tag != 0);
    EXPECT_EQ(TextsAt(5, c.staff), c.startMark ? TextList{kArialTags + c.startMark} : TextList{});
    EXPECT_EQ(TextsAt(9, c.staff), TextList{c.endMark ? kArialTags + c.endMark : "To Flute:"});
    if (c.startMark == nullptr && c.endMark == nullptr) {
        EXPECT_FALSE(changed);
        EXPECT_TRUE(standin::Host().Doc() == before);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedReadTest,
    ::testing::Values(
        RefusedReadCase{"StyleStartInside", layout::kStaffStyleTag, 1, kOboe, 1, 6, nullptr, nullptr},
        RefusedReadCase{"StyleEndInside", layout::kStaffStyleTag, 1, kOboe, 6, 8, nullptr, nullptr},
        RefusedReadCase{"StyleBothInside", layout::kStaffStyleTag, 1, kOboe, 1, 8, nullptr, nullptr},
        RefusedReadCase{"GroupStyleStartInside", layout::kStaffStyleTag, 1, 3, 1, 6, nullptr, nullptr},
        RefusedReadCase{"GroupStyleEndInside", layout::kStaffStyleTag, 1, 3, 6, 8, nullptr, nullptr},
        RefusedReadCase{"GroupStyleBothInside", layout::kStaffStyleTag, 1, 3, 1, 8, nullptr, nullptr},
        RefusedReadCase{"NameTextBlocks", kBlockTag, 1, kOboe, 1, 8, nullptr, nullptr},
        RefusedReadCase{"NameRawTexts", layout::kBlockRawTextTag, 1, 3, 1, 8, nullptr, nullptr},
        RefusedReadCase{"StaffToReturnTo", layout::kStaffTag, 1, kOboe, 1, 8, "To Celesta:", nullptr},
        // The two groups load with all groups; the third load is the group to return to.
        RefusedReadCase{"GroupToReturnTo", layout::kGroupTag, 3, 3, 1, 8, "To Celesta:", nullptr},
        RefusedReadCase{"NothingRefused", 0, 1, 3, 1, 8, "To Celesta:", "To Piano:"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Category and texts ----

TEST_F(SweepTest, UnknownCategoryGivesDefaultFontTagsAndNoCategory) {
    Doc().AddStyleAssignment(kOboe, 1, {5, 0}, {8, 0});
    ASSERT_TRUE(Sweep(WholeScore(), 99));
    const auto definition = DefinitionAt(5, kOboe);
    EXPECT_EQ(definition.text, "^fontTxt(Times New Roman,4096)^size(12)^nfx(2)To Flute:");
    EXPECT_EQ(definition.categoryID, 0);
    EXPECT_EQ(definition.word10 & 0x0400, 0);
}

TEST_F(SweepTest, CategoryFontThatTheHostCannotNameIsTimesNewRoman) {
    standin::Host().RemoveFont(1);
    Doc().AddStyleAssignment(kOboe, 1, {5, 0}, {8, 0});
    ASSERT_TRUE(Sweep(WholeScore()));
    EXPECT_EQ(DefinitionAt(5, kOboe).text, "^font(Times New Roman)^size(11)^nfx(2)To Flute:");
}

TEST_F(SweepTest, NameWithOtherTagKeepsItInTextButNotInDescription) {
    Doc().AddStaffStyle(4, testsupport::kNameTags + "Horn in F^flat(1) 2", true);
    Doc().AddStyleAssignment(kOboe, 4, {5, 0}, {8, 0});
    ASSERT_TRUE(Sweep(WholeScore()));
    const auto definition = DefinitionAt(5, kOboe);
    EXPECT_EQ(definition.text, kArialTags + "To Horn in F^flat(1) 2:");
    EXPECT_EQ(definition.description, "Change to Horn in F 2 [Mirel Instrument Change]");
}

// ---- Nothing to do ----

TEST_F(SweepTest, NothingToDoLeavesTheDocumentByteIdentical) {
    Doc().AddStyleAssignment(kOboe, 2, {5, 0}, {8, 0});   // Slash Notation changes no instrument
    Doc().AddStyleAssignment(kOboe, 42, {9, 0}, {9, 0});  // a style the document does not hold is no change
    Doc().AddTextExpression(1, "dolce", "dolce", 4);
    Doc().AddExpression(3, kOboe, 1);
    const standin::Document before = standin::Host().Doc();
    EXPECT_FALSE(Sweep(WholeScore()));
    EXPECT_TRUE(standin::Host().Doc() == before);
}

TEST_F(SweepTest, FirstSlotAfterLastSlotDoesNothing) {
    Doc().AddStyleAssignment(kOboe, 1, {5, 0}, {8, 0});
    const standin::Document before = standin::Host().Doc();
    EXPECT_FALSE(Sweep(Region(3, 2, 1, 20)));
    EXPECT_TRUE(standin::Host().Doc() == before);
}

TEST_F(SweepTest, OldHostKnowsNoInstrumentChanges) {
    Prepare(0x10FFFFFF);
    BuildScore();
    Doc().AddStyleAssignment(kOboe, 1, {5, 0}, {8, 0});
    EXPECT_FALSE(Sweep(WholeScore()));
    EXPECT_TRUE(TextsAt(5, kOboe).empty());
}

TEST_F(SweepTest, LoadsInstrumentsAndGroupsOncePerCall) {
    Doc().AddMultiStaffInstrument(1, {3, 4}, 7);
    Doc().AddGroup(7, 3, 4, 1, "Piano");
    Doc().AddStyleAssignment(kOboe, 1, {5, 0}, {8, 0});
    standin::Host().LogCalls(true);
    Sweep(WholeScore());
    int instrumentLoads = 0;
    int groupLoads = 0;
    for (const auto& call : standin::Host().CallsTo("FX_LoadEData")) {
        if (call.args.at(0) == 0x6F744D47) ++instrumentLoads;
        if (call.args.at(0) == 0x53444E47) ++groupLoads;
    }
    // Five slots, but one walk each: the one instrument and the one group, loaded once.
    EXPECT_EQ(instrumentLoads, 1);
    EXPECT_EQ(groupLoads, 1);
}

TEST(PluginMarkerTest, MarkerIsCaseSensitiveAtAnyPosition) {
    const FCString exact("Change to Flute [Mirel Instrument Change]");
    const FCString front("[Mirel Instrument Change]");
    const FCString lower("change to flute [mirel instrument change]");
    EXPECT_TRUE(ContainsPluginMarker(&exact));
    EXPECT_TRUE(ContainsPluginMarker(&front));
    EXPECT_FALSE(ContainsPluginMarker(&lower));
    EXPECT_FALSE(ContainsPluginMarker(nullptr));
}

}  // namespace
