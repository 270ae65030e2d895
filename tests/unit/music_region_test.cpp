// The selection record and cells.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/cell.h"
#include "framework/music_region.h"
#include "tests/unit/framework_test_records.h"
#include "text/fc_string.h"

namespace {

constexpr int64_t kV = 0x12050000;

// A host region record, written byte by byte in its little-endian layout.
struct RegionRecord {
    int16_t staffListID = 0;
    int16_t startSlot = 0;
    int16_t startMeasure = 0;
    int32_t startPosition = 0;
    int16_t endStaffListID = 0;
    int16_t endSlot = 0;
    int16_t endMeasure = 0;
    int32_t endPosition = 0;

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> out(20, 0xEE);
        auto put = [&out](std::size_t at, uint32_t value, int width) {
            for (int i = 0; i < width; ++i) out[at + i] = static_cast<uint8_t>((value >> (8 * i)) & 0xFF);
        };
        put(0, static_cast<uint16_t>(staffListID), 2);
        put(2, static_cast<uint16_t>(startSlot), 2);
        put(4, static_cast<uint16_t>(startMeasure), 2);
        put(6, static_cast<uint32_t>(startPosition), 4);
        put(10, static_cast<uint16_t>(endStaffListID), 2);
        put(12, static_cast<uint16_t>(endSlot), 2);
        put(14, static_cast<uint16_t>(endMeasure), 2);
        put(16, static_cast<uint32_t>(endPosition), 4);
        return out;
    }
};

class MusicRegionTest : public testrecords::HostTest {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        // Slots 1 and 2 both show staff 10 (a staff listed twice), slot 3 staff 30.
        Host().staffOrder = {10, 10, 30};
    }
    static RegionRecord Typical() {
        RegionRecord r;
        r.staffListID = 1;
        r.startSlot = 1;
        r.startMeasure = 3;
        r.startPosition = 0;
        r.endStaffListID = 1;
        r.endSlot = 3;
        r.endMeasure = 12;
        r.endPosition = 0x7FFFFFFF;
        return r;
    }
};

TEST_F(MusicRegionTest, NullRecordGivesAnEmptyRegionWithoutAskingTheHost) {
    FCMusicRegion region(nullptr);
    EXPECT_EQ(region.staffListID, 0);
    EXPECT_EQ(region.startSlot, 0);
    EXPECT_EQ(region.startMeasure, 0);
    EXPECT_EQ(region.startPosition, 0);
    EXPECT_EQ(region.endStaffListID, 0);
    EXPECT_EQ(region.endSlot, 0);
    EXPECT_EQ(region.endMeasure, 0);
    EXPECT_EQ(region.endPosition, 0);
    EXPECT_EQ(region.documentID, 0);
    EXPECT_TRUE(Host().calls.empty());
    EXPECT_EQ(Host().callCounts.Of("GetModuleHandleA"), 0);
}

TEST_F(MusicRegionTest, FieldsAreReadLittleEndianFromTheRecord) {
    RegionRecord r;
    r.staffListID = -3;
    r.startSlot = 0x0102;
    r.startMeasure = 0x7FFF;
    r.startPosition = -123456789;
    r.endStaffListID = 0x0405;
    r.endSlot = -1;
    r.endMeasure = 0x1234;
    r.endPosition = 0x01020304;
    Host().documentID = 42;
    const auto bytes = r.Bytes();
    FCMusicRegion region(bytes.data());
    EXPECT_EQ(region.staffListID, -3);
    EXPECT_EQ(region.startSlot, 0x0102);
    EXPECT_EQ(region.startMeasure, 0x7FFF);
    EXPECT_EQ(region.startPosition, -123456789);
    EXPECT_EQ(region.endStaffListID, 0x0405);
    EXPECT_EQ(region.endSlot, -1);
    EXPECT_EQ(region.endMeasure, 0x1234);
    EXPECT_EQ(region.endPosition, 0x01020304);
    EXPECT_EQ(region.GetStartMeasure(), 0x7FFF);
    EXPECT_EQ(region.GetEndMeasure(), 0x1234);
    EXPECT_EQ(region.documentID, 42);
    const auto calls = Host().CallsTo("FX_GetCurrentEnigmaDocument");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args, (std::vector<int64_t>{kV}));
}

TEST_F(MusicRegionTest, IsEqualToComparesEveryFieldButTheDocument) {
    struct Case {
        const char* what;
        std::function<void(RegionRecord&)> change;
        bool equal;
    };
    const std::vector<Case> cases = {
        {"nothing", [](RegionRecord&) {}, true},
        {"start slot showing the same staff", [](RegionRecord& r) { r.startSlot = 2; }, true},
        {"start slot showing another staff", [](RegionRecord& r) { r.startSlot = 3; }, false},
        {"end slot showing another staff", [](RegionRecord& r) { r.endSlot = 1; }, false},
        {"end staff list", [](RegionRecord& r) { r.endStaffListID = 2; }, true},  // the stand-in ignores it
        {"start measure", [](RegionRecord& r) { r.startMeasure = 4; }, false},
        {"end measure", [](RegionRecord& r) { r.endMeasure = 11; }, false},
        {"start position", [](RegionRecord& r) { r.startPosition = 1; }, false},
        {"end position", [](RegionRecord& r) { r.endPosition = 0x7FFFFFFE; }, false},
        {"start position in the high half", [](RegionRecord& r) { r.startPosition = 0x10000; }, false},
    };
    const auto baseBytes = Typical().Bytes();
    Host().documentID = 1;
    FCMusicRegion base(baseBytes.data());
    for (const Case& c : cases) {
        RegionRecord changed = Typical();
        c.change(changed);
        const auto bytes = changed.Bytes();
        Host().documentID = 2;  // every other region comes from another document
        FCMusicRegion other(bytes.data());
        EXPECT_EQ(base.IsEqualTo(&other), c.equal) << c.what;
        EXPECT_EQ(other.IsEqualTo(&base), c.equal) << c.what;
    }
    EXPECT_FALSE(base.IsEqualTo(nullptr));
}

TEST_F(MusicRegionTest, DifferentStaffListsAreUnequalWithoutAskingTheHost) {
    RegionRecord changed = Typical();
    changed.staffListID = 2;
    const auto a = Typical().Bytes();
    const auto b = changed.Bytes();
    FCMusicRegion first(a.data());
    FCMusicRegion second(b.data());
    EXPECT_FALSE(first.IsEqualTo(&second));
    EXPECT_EQ(Calls("FX_SlotToInst"), 0);
}

TEST_F(MusicRegionTest, StavesAreAskedForOtherRegionFirstThenThisOne) {
    RegionRecord mine = Typical();
    RegionRecord theirs = Typical();
    theirs.startSlot = 2;
    theirs.endSlot = 3;
    mine.endSlot = 3;
    mine.endStaffListID = 7;
    theirs.endStaffListID = 8;
    const auto a = mine.Bytes();
    const auto b = theirs.Bytes();
    FCMusicRegion region(a.data());
    FCMusicRegion other(b.data());
    ASSERT_TRUE(region.IsEqualTo(&other));
    const auto calls = Host().CallsTo("FX_SlotToInst");
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].args, (std::vector<int64_t>{2, 1, kV}));
    EXPECT_EQ(calls[1].args, (std::vector<int64_t>{1, 1, kV}));
    EXPECT_EQ(calls[2].args, (std::vector<int64_t>{3, 8, kV}));
    EXPECT_EQ(calls[3].args, (std::vector<int64_t>{3, 7, kV}));
}

TEST_F(MusicRegionTest, WithoutSlotTranslationOnlyThePlainFieldsCount) {
    Host().hiddenFunctions = {"FX_SlotToInst"};
    RegionRecord changed = Typical();
    changed.startSlot = 3;  // another staff, but nobody can tell
    const auto a = Typical().Bytes();
    const auto b = changed.Bytes();
    FCMusicRegion first(a.data());
    FCMusicRegion second(b.data());
    EXPECT_TRUE(first.IsEqualTo(&second));
    changed.endMeasure = 13;
    const auto c = changed.Bytes();
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
