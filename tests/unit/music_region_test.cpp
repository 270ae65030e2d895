// The selection record and cells.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/cell.h"
#include "framework/music_region.h"
#include "standin/score/document_builder.h"
#include "tests/unit/framework_test_records.h"
#include "text/fc_string.h"

namespace {

using testsupport::kHostVersion;

using standin::MakeRegionRecord;
using standin::RegionSpec;

// Every field of a region, in the record's order.
std::vector<int64_t> Fields(const FCMusicRegion& r) {
    return {r.staffListID,    r.startSlot, r.startMeasure, r.startPosition,
            r.endStaffListID, r.endSlot,   r.endMeasure,   r.endPosition};
}

class MusicRegionTest : public testrecords::HostTest {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        // Slots 1 and 2 both show staff 10 (a staff listed twice), slot 3 staff 30.
        Host().SetStaffOrder({10, 10, 30});
    }
    static RegionSpec Typical() { return {{1, 3, 3, 12, 0, 0x7FFFFFFF}, 1, 1}; }
};

TEST_F(MusicRegionTest, NullRecordGivesAnEmptyRegionWithoutAskingTheHost) {
    FCMusicRegion region(nullptr);
    EXPECT_EQ(Fields(region), std::vector<int64_t>(8, 0));
    EXPECT_EQ(region.documentID, 0);
    EXPECT_TRUE(Host().Calls().empty());
    EXPECT_EQ(Host().Counts().Of("GetModuleHandleA"), 0);
}

TEST_F(MusicRegionTest, FieldsAreReadLittleEndianFromTheRecord) {
    Host().SetDocumentID(42);
    const auto bytes = MakeRegionRecord({{0x0102, -1, 0x7FFF, 0x1234, -123456789, 0x01020304}, -3, 0x0405});
    FCMusicRegion region(bytes.data());
    EXPECT_EQ(Fields(region),
              (std::vector<int64_t>{-3, 0x0102, 0x7FFF, -123456789, 0x0405, -1, 0x1234, 0x01020304}));
    EXPECT_EQ(region.GetStartMeasure(), 0x7FFF);
    EXPECT_EQ(region.GetEndMeasure(), 0x1234);
    EXPECT_EQ(region.documentID, 42);
    const auto calls = Host().CallsTo("FX_GetCurrentEnigmaDocument");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args, (std::vector<int64_t>{kHostVersion}));
}

TEST_F(MusicRegionTest, IsEqualToComparesEveryFieldButTheDocument) {
    struct Case {
        const char* what;
        std::function<void(RegionSpec&)> change;
        bool equal;
    };
    const std::vector<Case> cases = {
        {"nothing", [](RegionSpec&) {}, true},
        {"start slot showing the same staff", [](RegionSpec& r) { r.startSlot = 2; }, true},
        {"start slot showing another staff", [](RegionSpec& r) { r.startSlot = 3; }, false},
        {"end slot showing another staff", [](RegionSpec& r) { r.endSlot = 1; }, false},
        {"end staff list", [](RegionSpec& r) { r.endStaffListID = 2; }, true},  // the stand-in ignores it
        {"start measure", [](RegionSpec& r) { r.startMeasure = 4; }, false},
        {"end measure", [](RegionSpec& r) { r.endMeasure = 11; }, false},
        {"start position", [](RegionSpec& r) { r.startPosition = 1; }, false},
        {"end position", [](RegionSpec& r) { r.endPosition = 0x7FFFFFFE; }, false},
        {"start position in the high half", [](RegionSpec& r) { r.startPosition = 0x10000; }, false},
    };
    const auto baseBytes = MakeRegionRecord(Typical());
    Host().SetDocumentID(1);
    FCMusicRegion base(baseBytes.data());
    for (const Case& c : cases) {
        RegionSpec changed = Typical();
        c.change(changed);
        const auto bytes = MakeRegionRecord(changed);
        Host().SetDocumentID(2);  // every other region comes from another document
        FCMusicRegion other(bytes.data());
        EXPECT_EQ(base.IsEqualTo(&other), c.equal) << c.what;
        EXPECT_EQ(other.IsEqualTo(&base), c.equal) << c.what;
    }
    EXPECT_FALSE(base.IsEqualTo(nullptr));
}

TEST_F(MusicRegionTest, DifferentStaffListsAreUnequalWithoutAskingTheHost) {
    RegionSpec changed = Typical();
    changed.staffListID = 2;
    const auto a = MakeRegionRecord(Typical());
    const auto b = MakeRegionRecord(changed);
    FCMusicRegion first(a.data());
    FCMusicRegion second(b.data());
    EXPECT_FALSE(first.IsEqualTo(&second));
    EXPECT_EQ(Calls("FX_SlotToInst"), 0);
}

TEST_F(MusicRegionTest, StavesAreAskedForOtherRegionFirstThenThisOne) {
    RegionSpec mine = Typical();
    RegionSpec theirs = Typical();
    theirs.startSlot = 2;
    theirs.endSlot = 3;
    mine.endSlot = 3;
    mine.endStaffListID = 7;
    theirs.endStaffListID = 8;
    const auto a = MakeRegionRecord(mine);
    const auto b = MakeRegionRecord(theirs);
    FCMusicRegion region(a.data());
    FCMusicRegion other(b.data());
    ASSERT_TRUE(region.IsEqualTo(&other));
    const auto calls = Host().CallsTo("FX_SlotToInst");
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].args, (std::vector<int64_t>{2, 1, kHostVersion}));
    EXPECT_EQ(calls[1].args, (std::vector<int64_t>{1, 1, kHostVersion}));
    EXPECT_EQ(calls[2].args, (std::vector<int64_t>{3, 8, kHostVersion}));
    EXPECT_EQ(calls[3].args, (std::vector<int64_t>{3, 7, kHostVersion}));
}

TEST_F(MusicRegionTest, WithoutSlotTranslationOnlyThePlainFieldsCount) {
    Host().HideFunction("FX_SlotToInst");
    RegionSpec changed = Typical();
    changed.startSlot = 3;  // another staff, but nobody can tell
    const auto a = MakeRegionRecord(Typical());
    const auto b = MakeRegionRecord(changed);
    FCMusicRegion first(a.data());
    FCMusicRegion second(b.data());
    EXPECT_TRUE(first.IsEqualTo(&second));
    changed.endMeasure = 13;
    const auto c = MakeRegionRecord(changed);
    FCMusicRegion third(c.data());
    EXPECT_FALSE(first.IsEqualTo(&third));
}

TEST(CellTest, CarriesMeasureAndStaffAndItsOwnClassName) {
    FCCell cell(17, 301);
    EXPECT_EQ(cell.measure, 17);
    EXPECT_EQ(cell.staff, 301);
    EXPECT_EQ(cell.GetMeasure(), 17);
    EXPECT_EQ(cell.GetStaff(), 301);
    EXPECT_STREQ(cell.ClassName(), "FCCell");

    FCCell other(1, 1);
    FCMusicRegion region(nullptr);
    FCString text;
    EXPECT_TRUE(cell.IsSameClass(&other));
    EXPECT_FALSE(cell.IsSameClass(&region));
    EXPECT_FALSE(cell.IsSameClass(&text));
    EXPECT_FALSE(cell.IsSameClass(nullptr));
    EXPECT_STREQ(region.ClassName(), "FCMusicRegion");
}

}  // namespace
