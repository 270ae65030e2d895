// Score record classes against documents built by the stand-in: record layouts per host version, the
// instrument-change test of staff styles, assignments, multi-staff instruments and groups, measures and
// staves, expressions and their attachment to a cell.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <tuple>
#include <vector>

#include "framework/cell.h"
#include "host/host_api.h"
#include "host/host_version.h"
#include "records/expression.h"
#include "records/measure.h"
#include "records/multi_staff.h"
#include "records/staff.h"
#include "records/staff_style.h"
#include "records/text_expression_def.h"
#include "standin/host/host.h"
#include "standin/score/document_builder.h"
#include "standin/store/layouts.h"
#include "tests/support/host_fixture.h"

namespace {

namespace layout = standin::layout;
using standin::Bytes;
using standin::DocumentBuilder;
using standin::HostCall;
using standin::RecordKey;

using testsupport::kArgSize;
using testsupport::kArgTag;
using testsupport::kArgVersion;

class ScoreRecordsTest : public testsupport::HostFixture {
  protected:
    void SetUp() override {
        HostFixture::SetUp();
        standin::Host().LogCalls(true);
        UseHostVersion(0x12050000);
    }

    // The module and the document builder both work with `version` from here on.
    void UseHostVersion(uint32_t version) {
        gHostVersion = version;
        builder_ = std::make_unique<DocumentBuilder>(Doc(), version);
    }

    DocumentBuilder& Build() { return *builder_; }
    static standin::Document& Doc() { return standin::Host().Doc(); }
    static const std::vector<HostCall>& Calls() { return standin::Host().Calls(); }

    // Every logged call of `function` that carried `tag`.
    static std::vector<HostCall> CallsWithTag(const char* function, uint32_t tag) {
        std::vector<HostCall> found;
        for (const HostCall& call : standin::Host().CallsTo(function))
            if (!call.args.empty() && call.args[kArgTag] == static_cast<int64_t>(tag)) found.push_back(call);
        return found;
    }

    // Overwrites a 16-bit field of a stored record (the record must be long enough).
    static void PatchU16(uint32_t tag, const RecordKey& key, std::size_t offset, uint16_t value) {
        const Bytes* stored = Doc().Find(tag, key);
        ASSERT_NE(stored, nullptr);
        ASSERT_LE(offset + 2, stored->size());
        Bytes patched = *stored;
        patched[offset] = static_cast<uint8_t>(value & 0xFF);
        patched[offset + 1] = static_cast<uint8_t>(value >> 8);
        Doc().Put(tag, key, patched);
    }

    // The units of a string the caller hands over; the string is destroyed.
    static std::u16string TakeUnits(std::unique_ptr<FCString> owned) {
        if (owned == nullptr) return u"<null>";
        if (owned->WideBuffer() == nullptr) return u"";
        return std::u16string(owned->WideBuffer(), owned->Length());
    }

  private:
    std::unique_ptr<DocumentBuilder> builder_;
};

// ---- Layout selection per host version --------------------------------------------------------------------

struct LayoutCase {
    uint32_t hostVersion;
    int64_t measureSize;
    int64_t measureVersion;
    int64_t staffSize;
    int64_t staffVersion;
    int64_t styleSize;
    int64_t styleVersion;
    int64_t groupVersion;
};

class RecordLayoutTest : public ScoreRecordsTest, public ::testing::WithParamInterface<LayoutCase> {
  protected:
    // The capacity and record version the last load of `tag` passed to the host.
    void ExpectLastLoad(uint32_t tag, int64_t size, int64_t version) {
        std::vector<HostCall> loads = CallsWithTag("FX_LoadEData", tag);
        ASSERT_FALSE(loads.empty()) << std::hex << tag;
        EXPECT_EQ(loads.back().args[kArgSize], size) << std::hex << tag;
        EXPECT_EQ(loads.back().args[kArgVersion], version) << std::hex << tag;
    }
};

TEST_P(RecordLayoutTest, EachClassExchangesTheSizeAndVersionOfTheHostVersion) {
    const LayoutCase& c = GetParam();
    UseHostVersion(c.hostVersion);
    Build().AddMeasures(2);
    Build().AddStaff(3, "Flute");
    Build().AddStaffStyle(4, "Oboe", true);
    Build().AddStyleAssignment(3, 4, {1, 0}, {2, 0});
    Build().AddMultiStaffInstrument(1, {3, 5}, 6);
    Build().AddGroup(6, 3, 5, 1, "Piano");
    Build().AddExpression(1, 3, 0);

    FCMeasure measure;
    ASSERT_TRUE(measure.Load(2));
    EXPECT_EQ(measure.LoadedSize(), c.measureSize);
    ExpectLastLoad(layout::kMeasureTag, c.measureSize, c.measureVersion);
    ASSERT_TRUE(measure.Save());
    std::vector<HostCall> saves = CallsWithTag("FX_SaveEData", layout::kMeasureTag);
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0].args[kArgSize], c.measureSize);
    EXPECT_EQ(saves[0].args[kArgVersion], c.measureVersion);

    FCStaff staff;
    ASSERT_TRUE(staff.Load(3));
    EXPECT_EQ(staff.LoadedSize(), c.staffSize);
    ExpectLastLoad(layout::kStaffTag, c.staffSize, c.staffVersion);

    FCStaffStyleDef style;
    ASSERT_TRUE(style.Load(4));
    EXPECT_EQ(style.LoadedSize(), c.styleSize);
    ExpectLastLoad(layout::kStaffStyleTag, c.styleSize, c.styleVersion);

    FCStaffStyleAssign assign;
    ASSERT_TRUE(assign.Load(3, 0));
    ExpectLastLoad(layout::kStyleAssignTag, 24, 0x12050000);

    FCMultiStaffInstruments instruments;
    ASSERT_EQ(instruments.LoadAll(), 1);
    ExpectLastLoad(layout::kMultiStaffTag, 12, 0x12050000);

    // Groups are walked (key all zeros, then next) and loaded by key, both with the group's version.
    FCGroups groups;
    ASSERT_EQ(groups.LoadAll(), 1);
    ExpectLastLoad(layout::kGroupTag, 36, c.groupVersion);
    std::vector<HostCall> walks = CallsWithTag("FX_NextEData", layout::kGroupTag);
    ASSERT_FALSE(walks.empty());
    EXPECT_EQ(walks[0].args[kArgVersion], c.groupVersion);
    FCGroup group;
    group.SetKey(0, 6);
    ASSERT_TRUE(group.LoadAtKey());
    ExpectLastLoad(layout::kGroupTag, 36, c.groupVersion);

    FCExpression expression;
    ASSERT_TRUE(expression.Load(1, 0));
    ExpectLastLoad(layout::kExpressionTag, 24, 0x12050000);
}

INSTANTIATE_TEST_SUITE_P(
    HostVersions, RecordLayoutTest,
    ::testing::Values(
        // host       measure             staff               style               group
        LayoutCase{0x0FFFFFFF, 26, 0x0A000000, 114, 0x0F000000, 144, 0x0F000000, 0x09000000},
        LayoutCase{0x10000000, 26, 0x0A000000, 114, 0x0F000000, 144, 0x0F000000, 0x12050000},
        LayoutCase{0x10FFFFFF, 26, 0x0A000000, 114, 0x0F000000, 144, 0x0F000000, 0x12050000},
        LayoutCase{0x11000000, 26, 0x0A000000, 132, 0x11000000, 292, 0x11000000, 0x12050000},
        LayoutCase{0x11FFFFFF, 26, 0x0A000000, 132, 0x11000000, 292, 0x11000000, 0x12050000},
        LayoutCase{0x12000000, 30, 0x12000000, 136, 0x12000000, 296, 0x12000000, 0x12050000}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) {
        char name[16];
        std::snprintf(name, sizeof name, "v%08X", info.param.hostVersion);
        return std::string(name);
    });

TEST_F(ScoreRecordsTest, LayoutIsChosenAtEachLoadNotWhenTheObjectWasMade) {
    // A measure and a style definition made under one host version and loaded under a newer one take the
    // newer layout: the whole 30-byte measure is loaded and its flag word is read at offset 14.
    UseHostVersion(0x11FFFFFF);
    FCMeasure measure;
    FCStaffStyleDef style;  // a new definition: a zeroed 292-byte record
    Build().AddMeasures(1);
    ASSERT_TRUE(measure.Load(1));
    EXPECT_EQ(measure.LoadedSize(), 26);

    UseHostVersion(0x12000000);
    Build().AddMeasures(1);
    Build().SetMeasureFlags(2, 0x1234);
    Build().AddStaffStyle(1, "Flute", true);
    ASSERT_TRUE(measure.Load(2));
    EXPECT_EQ(measure.LoadedSize(), 30);
    EXPECT_EQ(measure.GetMeasureFlags(), 0x1234);
    ASSERT_TRUE(style.Load(1));
    EXPECT_EQ(style.LoadedSize(), 296);
    EXPECT_TRUE(style.ChangesInstrument());

    // The other way round: a record loaded with the large layout does not count once the host is older.
    UseHostVersion(0x10FFFFFF);
    EXPECT_FALSE(style.ChangesInstrument());
}

// A record object in a block with guard bytes behind it: a load must never write past the object.
template <class Record>
class Guarded {
  public:
    Guarded() {
        std::memset(block_, kGuard, sizeof block_);
        record_ = new (block_) Record();
    }
    ~Guarded() { record_->~Record(); }
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;

    Record* operator->() { return record_; }
    bool GuardIntact() const {
        for (std::size_t i = sizeof(Record); i < sizeof block_; ++i)
            if (block_[i] != kGuard) return false;
        return true;
    }

  private:
    static constexpr unsigned char kGuard = 0xA5;
    alignas(Record) unsigned char block_[sizeof(Record) + 512];
    Record* record_ = nullptr;
};

TEST_F(ScoreRecordsTest, LoadAtTheKeyTakesTheLayoutInForceToo) {
    // Objects that hold the record of an older layout and are loaded at their key directly, after the host
    // version moved on, load the newer layout whole: never past the object (the guard bytes), and the fields
    // are read at the newer offsets.
    UseHostVersion(0x10FFFFFF);
    Build().AddMeasures(1);
    Build().AddStaff(3, "Flute");
    Guarded<FCMeasure> measure;
    Guarded<FCStaff> staff;
    Guarded<FCStaffStyleDef> style;  // a new definition: the zeroed 144-byte record
    ASSERT_TRUE(measure->Load(1));
    ASSERT_EQ(measure->LoadedSize(), 26);
    ASSERT_TRUE(staff->Load(3));
    ASSERT_EQ(staff->LoadedSize(), 114);

    UseHostVersion(0x12000000);
    Build().AddMeasures(1);
    Build().SetMeasureFlags(2, 0x1234);
    Build().AddStaff(5, "Oboe");
    Build().AddStaffStyle(4, "Piccolo", true);

    measure->SetKeyField(0, 2);
    ASSERT_TRUE(measure->LoadAtKey());
    EXPECT_EQ(measure->LoadedSize(), 30);
    EXPECT_EQ(measure->GetMeasureFlags(), 0x1234);

    staff->SetKeyField(0, 5);
    ASSERT_TRUE(staff->LoadAtKey());
    EXPECT_EQ(staff->LoadedSize(), 136);
    EXPECT_EQ(TakeUnits(staff->GetFullName()), u"Oboe");
    EXPECT_TRUE(staff.GuardIntact());

    style->SetKeyField(0, 4);
    ASSERT_TRUE(style->LoadAtKey());
    EXPECT_EQ(style->LoadedSize(), 296);
    EXPECT_TRUE(style->ChangesInstrument());
    EXPECT_EQ(TakeUnits(style->GetFullName()), u"Piccolo");
    EXPECT_TRUE(style.GuardIntact());

    for (const HostCall& load : CallsWithTag("FX_LoadEData", layout::kStaffStyleTag))
        EXPECT_EQ(load.args[kArgSize], 296);
}

// A record copied onto itself keeps its bytes; a copy of another takes the bytes that one holds.
TEST_F(ScoreRecordsTest, CopyTakesTheBytesHeldAndOntoItselfKeepsThem) {
    FCExpression expression;
    expression.SetDefinitionID(7);
    expression.SetStaff(3);
    expression.CopyDataFrom(&expression);
    EXPECT_EQ(expression.GetDefinitionID(), 7);
    EXPECT_EQ(expression.GetStaff(), 3);
    EXPECT_EQ(expression.LoadedSize(), 24);

    Build().AddMeasures(1);
    Build().SetMeasureFlags(1, 0x4321);
    FCMeasure measure;
    ASSERT_TRUE(measure.Load(1));
    measure.CopyDataFrom(&measure);
    EXPECT_EQ(measure.GetMeasureFlags(), 0x4321);
    EXPECT_EQ(measure.LoadedSize(), 30);

    // From another object: only the bytes it holds, even one; from one holding none, the zeroed full record.
    Doc().Put(layout::kMeasureTag, RecordKey::Other(2), Bytes{0x11});
    FCMeasure shortMeasure;
    ASSERT_TRUE(shortMeasure.Load(2));
    measure.CopyDataFrom(&shortMeasure);
    EXPECT_EQ(measure.LoadedSize(), 1);
    const FCMeasure unloaded;
    ASSERT_TRUE(measure.Load(1));
    measure.CopyDataFrom(&unloaded);
    EXPECT_EQ(measure.LoadedSize(), 30);
    EXPECT_EQ(measure.GetMeasureFlags(), 0);
}

// ---- Staff styles -----------------------------------------------------------------------------------------

struct StyleFlagsCase {
    uint16_t flags1;
    uint16_t flags2;
    uint16_t flags3;
    bool changesInstrument;
};

class ChangesInstrumentTest : public ScoreRecordsTest,
                              public ::testing::WithParamInterface<std::tuple<uint32_t, StyleFlagsCase>> {};

TEST_P(ChangesInstrumentTest, AllThreeFlagWordsMustCarryTheirBits) {
    const uint32_t hostVersion = std::get<0>(GetParam());
    const StyleFlagsCase& c = std::get<1>(GetParam());
    UseHostVersion(hostVersion);
    Build().AddStaffStyle(1, "Flute", false);
    PatchU16(layout::kStaffStyleTag, RecordKey::Other(1), layout::kStyleFlags1, c.flags1);
    PatchU16(layout::kStaffStyleTag, RecordKey::Other(1), layout::kStyleFlags2, c.flags2);
    PatchU16(layout::kStaffStyleTag, RecordKey::Other(1), layout::kStyleFlags3, c.flags3);

    FCStaffStyleDef style;
    ASSERT_TRUE(style.Load(1));
    EXPECT_EQ(style.ChangesInstrument(), c.changesInstrument)
        << std::hex << c.flags1 << " " << c.flags2 << " " << c.flags3;
}

INSTANTIATE_TEST_SUITE_P(
    FlagWords, ChangesInstrumentTest,
    ::testing::Combine(::testing::Values(0x11000000u, 0x12000000u),
                       ::testing::Values(StyleFlagsCase{0x01C4, 0x0003, 0x0020, true},
                                         StyleFlagsCase{0xFFFF, 0xFFFF, 0xFFFF, true},
                                         StyleFlagsCase{0x01C4, 0x0003, 0x0060, true},
                                         // 0x0184 of the 0x01C4 bits: no instrument change, whatever else
                                         StyleFlagsCase{0x0184, 0x0003, 0x0020, false},
                                         StyleFlagsCase{0xFFBF, 0xFFFF, 0xFFFF, false},
                                         StyleFlagsCase{0x01C4, 0x0001, 0x0020, false},
                                         StyleFlagsCase{0x01C4, 0x0002, 0x0020, false},
                                         StyleFlagsCase{0x01C4, 0x0003, 0x0000, false},
                                         StyleFlagsCase{0x01C4, 0x0003, 0xFFDF, false},
                                         StyleFlagsCase{0x0000, 0x0000, 0x0000, false})));

TEST_F(ScoreRecordsTest, OldLayoutNeverChangesTheInstrumentAndHasNoFlagWords) {
    for (uint32_t version : {0x0FFFFFFFu, 0x10FFFFFFu}) {
        SCOPED_TRACE(version);
        UseHostVersion(version);
        Doc() = standin::Document();
        Build().AddStaffStyle(1, "Flute", true);
        // Even with every bit of the newer layouts' flag words set in the old record.
        for (std::size_t offset : {layout::kStyleFlags1, layout::kStyleFlags2, layout::kStyleFlags3})
            PatchU16(layout::kStaffStyleTag, RecordKey::Other(1), offset, 0xFFFF);
        FCStaffStyleDef style;
        EXPECT_FALSE(style.ChangesInstrument());
        ASSERT_TRUE(style.Load(1));
        EXPECT_EQ(style.LoadedSize(), 144);
        EXPECT_FALSE(style.ChangesInstrument());
        EXPECT_EQ(
            std::vector<uint16_t>({style.GetStyleFlags1(), style.GetStyleFlags2(), style.GetStyleFlags3()}),
            std::vector<uint16_t>(3, 0));
    }
}

TEST_F(ScoreRecordsTest, StyleBuiltAsAnInstrumentChangeIsRecognisedAndStylesAreNotWalked) {
    UseHostVersion(0x12000000);
    Build().AddStaffStyle(1, "Flute", true);
    Build().AddStaffStyle(2, "Mute", false);
    FCStaffStyleDef change;
    FCStaffStyleDef other;
    ASSERT_TRUE(change.Load(1));
    ASSERT_TRUE(other.Load(2));
    EXPECT_TRUE(change.ChangesInstrument());
    EXPECT_FALSE(other.ChangesInstrument());
    // Style definitions are reached by number only: there is no walk over them.
    EXPECT_FALSE(change.LoadFirst());
    EXPECT_FALSE(change.LoadNext());
}

TEST_F(ScoreRecordsTest, NewAssignmentIsZeroExceptItsEndPosition) {
    FCStaffStyleAssign assign;
    EXPECT_TRUE(assign.IsLoaded());
    EXPECT_EQ(assign.LoadedSize(), 24);
    EXPECT_EQ(assign.GetEndPosition(), 0x7FFFFFFF);
    EXPECT_EQ(assign.GetStyleID(), 0);
    EXPECT_EQ(assign.GetStartMeasure(), 0);
    EXPECT_EQ(assign.GetStartPosition(), 0);
    EXPECT_EQ(assign.GetEndMeasure(), 0);
    EXPECT_EQ(assign.ItemNo(), 0);
    EXPECT_EQ(assign.Inci(), 0);
}

TEST_F(ScoreRecordsTest, AssignmentsLoadInIndexOrderAndStopAtTheFirstGap) {
    Build().AddStyleAssignment(4, 10, {1, 0}, {2, 1024});
    Build().AddStyleAssignment(4, 11, {5, -7}, {-1, 0x7FFFFFFF});
    Build().AddStyleAssignment(4, 12, {8, 0}, {9, 0});
    Build().AddStyleAssignment(4, 13, {10, 0}, {11, 0});
    Build().AddStyleAssignment(5, 14, {1, 0}, {1, 0});
    ASSERT_TRUE(Doc().Erase(layout::kStyleAssignTag, RecordKey::Other(4, 2)));

    FCStaffStyleAssigns assigns;
    ASSERT_EQ(assigns.LoadAllForItem(4), 2);
    FCStaffStyleAssign* second = assigns.GetAssignAt(1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(assigns.GetAssignAt(0)->GetStyleID(), 10);
    EXPECT_EQ(assigns.GetAssignAt(0)->GetEndPosition(), 1024);
    EXPECT_EQ(second->ItemNo(), 4);
    EXPECT_EQ(second->Inci(), 1);
    EXPECT_EQ(second->GetStyleID(), 11);
    EXPECT_EQ(second->GetStartMeasure(), 5);
    EXPECT_EQ(second->GetStartPosition(), -7);
    EXPECT_EQ(second->GetEndMeasure(), -1);
    EXPECT_EQ(second->GetEndPosition(), 0x7FFFFFFF);

    // A staff without assignments empties the collection.
    EXPECT_EQ(assigns.LoadAllForItem(6), 0);
    EXPECT_EQ(assigns.GetItemAt(0), nullptr);
}

// ---- Names ------------------------------------------------------------------------------------------------

struct FullNameCase {
    uint32_t hostVersion;
    const char* stored;
    const char16_t* expected;
};

class FullNameTest : public ScoreRecordsTest, public ::testing::WithParamInterface<FullNameCase> {};

TEST_P(FullNameTest, StaffStyleAndGroupNamesLoseOnlyFontSizeAndEffectTags) {
    const FullNameCase& c = GetParam();
    UseHostVersion(c.hostVersion);
    Build().AddStaff(3, c.stored);
    Build().AddStaffStyle(7, c.stored, true);
    Build().AddGroup(2, 3, 4, 1, c.stored);

    FCStaff staff;
    ASSERT_TRUE(staff.Load(3));
    EXPECT_EQ(TakeUnits(staff.GetFullName()), c.expected);

    FCStaffStyleDef style;
    ASSERT_TRUE(style.Load(7));
    EXPECT_EQ(TakeUnits(style.GetFullName()), c.expected);

    FCGroups groups;
    ASSERT_EQ(groups.LoadAll(), 1);
    EXPECT_EQ(TakeUnits(groups.GetGroupAt(0)->GetFullName()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, FullNameTest,
    ::testing::Values(
        FullNameCase{0x12000000, "^fontTxt(Times New Roman,4096)^size(12)^nfx(2)Flute", u"Flute"},
        FullNameCase{0x10FFFFFF, "^fontTxt(Times New Roman,4096)^size(12)^nfx(2)Flute", u"Flute"},
        FullNameCase{0x11000000, "^font(Arial)^size(10)^nfx(0)Alto ^abc(1)Sax", u"Alto ^abc(1)Sax"},
        FullNameCase{0x0FFFFFFF, "^font(Arial)^size(10)^nfx(0)Alto ^abc(1)Sax", u"Alto ^abc(1)Sax"},
        FullNameCase{0x12000000, "^FontX(1)Clarinet in B^^b", u"Clarinet in B^b"},
        FullNameCase{0x12000000, "Fl\xC3\xB6te \xE2\x99\xAD", u"Fl\u00F6te \u266D"},
        FullNameCase{0x11FFFFFF, "", u""}));

TEST_F(ScoreRecordsTest, NameOfAMissingTextBlockIsEmpty) {
    Build().AddStaff(3, "Flute");
    PatchU16(layout::kStaffTag, RecordKey::Other(3), layout::kStaffFullNameID, 999);
    FCStaff staff;
    ASSERT_TRUE(staff.Load(3));
    EXPECT_EQ(staff.GetFullNameID(), 999);
    EXPECT_EQ(TakeUnits(staff.GetFullName()), u"");

    FCStaff neverLoaded;
    EXPECT_EQ(neverLoaded.GetFullNameID(), 0);
    EXPECT_EQ(TakeUnits(neverLoaded.GetFullName()), u"");
}

TEST_F(ScoreRecordsTest, StaffWalkBeginsAtTheFirstStaffTheHostHolds) {
    Build().AddStaff(9, "Oboe");
    Build().AddStaff(4, "Flute");
    FCStaff staff;
    ASSERT_TRUE(staff.LoadFirst());
    EXPECT_EQ(staff.ItemNo(), 4);
    ASSERT_TRUE(staff.LoadNext());
    EXPECT_EQ(staff.ItemNo(), 9);
    EXPECT_FALSE(staff.LoadNext());
    EXPECT_EQ(staff.ItemNo(), 9);
    EXPECT_TRUE(staff.IsLoaded());
}

// ---- Multi-staff instruments and groups -------------------------------------------------------------------

TEST_F(ScoreRecordsTest, MultiStaffInstrumentsListTheirMembersAndGroup) {
    Build().AddMultiStaffInstrument(1, {3, 4}, 7);
    Build().AddMultiStaffInstrument(2, {5, 6, 8}, 9);
    FCMultiStaffInstrument fresh;
    EXPECT_FALSE(fresh.IsLoaded());

    FCMultiStaffInstruments instruments;
    ASSERT_EQ(instruments.LoadAll(), 2);
    FCMultiStaffInstrument* second = instruments.GetInstrumentAt(1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->GetStaffID1(), 5);
    EXPECT_EQ(second->GetStaffID2(), 6);
    EXPECT_EQ(second->GetStaffID3(), 8);
    EXPECT_EQ(second->GetGroupID(), 9);
    EXPECT_TRUE(second->HasStaff(8));
    EXPECT_FALSE(second->HasStaff(3));
    EXPECT_EQ(instruments.GetInstrumentAt(0)->GetStaffID3(), 0);
    EXPECT_TRUE(instruments.GetInstrumentAt(0)->HasStaff(4));
}

TEST_F(ScoreRecordsTest, FindGroupOnAnEmptyCollectionFindsNothing) {
    FCGroups groups;
    EXPECT_EQ(groups.FindGroup(0, 0, 0), nullptr);
    EXPECT_EQ(groups.LoadAll(), 0);
    EXPECT_EQ(groups.FindGroup(0, 0, 0), nullptr);
}

TEST_F(ScoreRecordsTest, FindGroupTellsGroupsApartByTheirStartMeasureAndTakesTheFirstOfEquals) {
    Build().AddGroup(1, 3, 4, 1, "Piano");
    Build().AddGroup(2, 3, 4, 9, "Celesta");
    Build().AddGroup(3, 3, 4, 9, "Organ");
    Build().AddGroup(4, 3, 5, 1, "Strings");
    FCGroups groups;
    ASSERT_EQ(groups.LoadAll(), 4);

    struct Case {
        int16_t top, bottom, measure;
        int expectedIndex;  // -1: none
    };
    const Case cases[] = {{3, 4, 1, 0},  {3, 4, 9, 1},  {3, 5, 1, 3},
                          {3, 4, 5, -1}, {4, 3, 1, -1}, {3, 5, 9, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.top << "/" << c.bottom << "@" << c.measure);
        FCGroup* found = groups.FindGroup(c.top, c.bottom, c.measure);
        if (c.expectedIndex < 0) {
            EXPECT_EQ(found, nullptr);
        } else {
            EXPECT_EQ(found, groups.GetGroupAt(c.expectedIndex));
        }
    }
    EXPECT_EQ(TakeUnits(groups.FindGroup(3, 4, 9)->GetFullName()), u"Celesta");
    EXPECT_EQ(groups.FindGroup(3, 4, 9)->KeyField(1), 2);
}

// ---- Measures ---------------------------------------------------------------------------------------------

TEST_F(ScoreRecordsTest, MeasureZeroAndNeverLoadedMeasuresMakeNoHostCall) {
    Build().AddMeasures(2);
    FCMeasure measure;
    EXPECT_FALSE(measure.Save());
    EXPECT_EQ(measure.GetMeasureFlags(), 0);
    EXPECT_FALSE(measure.Load(0));
    EXPECT_FALSE(measure.IsLoaded());
    EXPECT_TRUE(Calls().empty());
}

TEST_F(ScoreRecordsTest, MeasureAfterTheLastDoesNotLoad) {
    Build().AddMeasures(3);
    FCMeasure measure;
    EXPECT_TRUE(measure.Load(3));
    EXPECT_FALSE(measure.Load(4));
    EXPECT_FALSE(measure.IsLoaded());
    EXPECT_FALSE(measure.Save());
    EXPECT_TRUE(CallsWithTag("FX_SaveEData", layout::kMeasureTag).empty());
}

TEST_F(ScoreRecordsTest, MeasureSaveWritesBackEveryByteItDoesNotInterpret) {
    for (uint32_t version : {0x11FFFFFFu, 0x12000000u}) {
        SCOPED_TRACE(version);
        UseHostVersion(version);
        Doc() = standin::Document();
        Build().AddMeasures(1);
        Bytes original = *Doc().Find(layout::kMeasureTag, RecordKey::Other(1));
        for (std::size_t i = 0; i < original.size(); ++i) original[i] = static_cast<uint8_t>(0xA0 + i);
        Doc().Put(layout::kMeasureTag, RecordKey::Other(1), original);

        FCMeasure measure;
        ASSERT_TRUE(measure.Load(1));
        const std::size_t flagsAt = layout::MeasureFlagsOffset(version);
        EXPECT_EQ(measure.GetMeasureFlags(), original[flagsAt] | (original[flagsAt + 1] << 8));
        measure.SetMeasureFlags(0x0102);
        ASSERT_TRUE(measure.Save());

        Bytes expected = original;
        expected[flagsAt] = 0x02;
        expected[flagsAt + 1] = 0x01;
        EXPECT_EQ(*Doc().Find(layout::kMeasureTag, RecordKey::Other(1)), expected);
    }
}

// ---- Expressions ------------------------------------------------------------------------------------------

TEST_F(ScoreRecordsTest, LoadAllForCellKeepsTheCellsStaffInIndexOrder) {
    Build().AddMeasures(3);
    Build().AddExpression(1, 3, 21);
    Build().AddExpression(2, 3, 11);
    Build().AddExpression(2, 5, 12);
    Build().AddExpression(2, 3, 13);
    Build().AddExpression(3, 3, 31);

    FCExpressions expressions;
    FCCell cell(2, 3);
    ASSERT_EQ(expressions.LoadAllForCell(&cell), 2);
    EXPECT_EQ(expressions.GetExpressionAt(0)->Inci(), 0);
    EXPECT_EQ(expressions.GetExpressionAt(0)->GetDefinitionID(), 11);
    EXPECT_EQ(expressions.GetExpressionAt(1)->Inci(), 2);
    EXPECT_EQ(expressions.GetExpressionAt(1)->GetDefinitionID(), 13);
    EXPECT_EQ(expressions.GetExpressionAt(1)->ItemNo(), 2);

    FCCell other(2, 5);
    ASSERT_EQ(expressions.LoadAllForCell(&other), 1);
    EXPECT_EQ(expressions.GetExpressionAt(0)->Inci(), 1);

    // A gap in the indices ends the load.
    ASSERT_TRUE(Doc().Erase(layout::kExpressionTag, RecordKey::Other(2, 1)));
    EXPECT_EQ(expressions.LoadAllForCell(&cell), 1);
}

TEST_F(ScoreRecordsTest, LoadAllForCellOnAnEmptyMeasureOrWithoutACellIsEmpty) {
    Build().AddMeasures(2);
    Build().AddExpression(1, 3, 11);
    FCExpressions expressions;
    FCCell full(1, 3);
    ASSERT_EQ(expressions.LoadAllForCell(&full), 1);

    FCCell empty(2, 3);
    EXPECT_EQ(expressions.LoadAllForCell(&empty), 0);
    EXPECT_EQ(expressions.Count(), 0);

    ASSERT_EQ(expressions.LoadAllForCell(&full), 1);
    EXPECT_EQ(expressions.LoadAllForCell(nullptr), 0);
    EXPECT_EQ(expressions.Count(), 0);
}

TEST_F(ScoreRecordsTest, SaveNewToCellWritesNothingForMeasureZeroOrPastTheEnd) {
    Build().AddMeasures(3);
    Build().AddExpression(1, 3, 11);
    const standin::Document before = Doc();
    for (int32_t measureNo : {0, 4, 0x10000}) {
        SCOPED_TRACE(measureNo);
        FCExpression expression;
        expression.SetDefinitionID(5);
        FCCell cell(measureNo, 3);
        EXPECT_FALSE(expression.SaveNewToCell(&cell));
        EXPECT_TRUE(Doc() == before);
        EXPECT_TRUE(CallsWithTag("FX_CreateEData", layout::kExpressionTag).empty());
        EXPECT_TRUE(CallsWithTag("FX_SaveEData", layout::kMeasureTag).empty());
    }
    FCExpression expression;
    EXPECT_FALSE(expression.SaveNewToCell(nullptr));
}

TEST_F(ScoreRecordsTest, SaveNewToCellMarksTheMeasureAndAppendsTheExpression) {
    struct Case {
        uint32_t hostVersion;
        uint16_t flagsBefore;
    };
    const Case cases[] = {{0x11FFFFFF, 0x0000},
                          {0x11FFFFFF, 0x4000},
                          {0x12000000, 0x0000},
                          {0x12000000, 0x4000},
                          {0x12000000, 0x8421}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.hostVersion << " " << c.flagsBefore);
        UseHostVersion(c.hostVersion);
        Doc() = standin::Document();
        Build().AddMeasures(2);
        Build().SetMeasureFlags(2, c.flagsBefore);
        Build().AddExpression(2, 7, 40);

        FCExpression expression;
        expression.SetDefinitionID(12);
        FCCell cell(2, 3);
        ASSERT_TRUE(expression.SaveNewToCell(&cell));
        EXPECT_EQ(Build().MeasureFlags(2), c.flagsBefore | 0x4000);
        EXPECT_EQ(Build().MeasureFlags(1), 0);
        EXPECT_EQ(expression.ItemNo(), 2);
        EXPECT_EQ(expression.Inci(), 1);

        std::vector<standin::ExpressionInfo> stored = Build().ReadExpressions(2);
        ASSERT_EQ(stored.size(), 2u);
        EXPECT_EQ(stored[1].inci, 1);
        EXPECT_EQ(stored[1].staff, 3);
        EXPECT_EQ(stored[1].definitionID, 12);
        EXPECT_EQ(stored[1].flags, 0);
        EXPECT_EQ(stored[0].definitionID, 40);
    }
}

TEST_F(ScoreRecordsTest, SaveNewToCellClearsTheAttachWordAndKeepsTheOtherBytes) {
    Build().AddMeasures(2);
    Build().AddExpression(1, 7, 40);
    Bytes loaded = *Doc().Find(layout::kExpressionTag, RecordKey::Other(1, 0));
    for (std::size_t i = 2; i < loaded.size(); ++i) loaded[i] = static_cast<uint8_t>(0x30 + i);
    Doc().Put(layout::kExpressionTag, RecordKey::Other(1, 0), loaded);

    FCExpression expression;
    ASSERT_TRUE(expression.Load(1, 0));
    FCCell cell(2, 9);
    ASSERT_TRUE(expression.SaveNewToCell(&cell));

    const Bytes* created = Doc().Find(layout::kExpressionTag, RecordKey::Other(2, 0));
    ASSERT_NE(created, nullptr);
    Bytes expected = loaded;
    expected[layout::kExpressionStaff] = 9;
    expected[layout::kExpressionStaff + 1] = 0;
    expected[layout::kExpressionWord14] = 0;
    expected[layout::kExpressionWord14 + 1] = 0;
    EXPECT_EQ(*created, expected);
}

TEST_F(ScoreRecordsTest, CreateTextExpressionDefGivesNoDefinitionForAShape) {
    Build().AddTextExpression(7, "To Flute:", "Change to Flute [Mirel Instrument Change]", 1);
    Build().AddExpression(1, 3, 7);
    Build().AddExpression(1, 3, 7, true);
    Build().AddExpression(1, 3, 99);

    FCExpression shape;
    ASSERT_TRUE(shape.Load(1, 1));
    EXPECT_TRUE(shape.IsShape());
    standin::Host().ClearCalls();
    EXPECT_EQ(shape.CreateTextExpressionDef(), nullptr);
    EXPECT_TRUE(Calls().empty());

    FCExpression text;
    ASSERT_TRUE(text.Load(1, 0));
    std::unique_ptr<FCTextExpressionDef> definition(text.CreateTextExpressionDef());
    ASSERT_NE(definition, nullptr);
    EXPECT_EQ(definition->ItemNo(), 7);
    FCString description;
    definition->GetDescription(&description);
    EXPECT_STREQ(description.ToNarrow(), "Change to Flute [Mirel Instrument Change]");

    // A definition number the document does not hold still gives an object, tried at that number.
    FCExpression dangling;
    ASSERT_TRUE(dangling.Load(1, 2));
    std::unique_ptr<FCTextExpressionDef> missing(dangling.CreateTextExpressionDef());
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->ItemNo(), 99);
    EXPECT_FALSE(CallsWithTag("FX_LoadEData", layout::kTextExpressionTag).empty());
}

// ---- Records the host hands over short --------------------------------------------------------------------

TEST_F(ScoreRecordsTest, ShortRecordsReadMissingFieldsAsZero) {
    UseHostVersion(0x12000000);
    Doc().Put(layout::kStaffTag, RecordKey::Other(3), Bytes(20, 0xFF));
    Doc().Put(layout::kStaffStyleTag, RecordKey::Other(1), Bytes(60, 0xFF));
    Doc().Put(layout::kMeasureTag, RecordKey::Other(1), Bytes(12, 0xFF));

    FCStaff staff;
    ASSERT_TRUE(staff.Load(3));
    EXPECT_EQ(staff.LoadedSize(), 20);
    EXPECT_EQ(staff.GetFullNameID(), 0);

    FCStaffStyleDef style;
    ASSERT_TRUE(style.Load(1));
    EXPECT_EQ(style.LoadedSize(), 60);
    EXPECT_EQ(style.GetFullNameID(), 0xFFFF);
    EXPECT_FALSE(style.ChangesInstrument());

    FCMeasure measure;
    ASSERT_TRUE(measure.Load(1));
    EXPECT_EQ(measure.GetMeasureFlags(), 0);
    // Setting the flag cannot reach past the record, and the save writes the record's own 12 bytes.
    measure.SetExpressionFlag();
    ASSERT_TRUE(measure.Save());
    EXPECT_EQ(*Doc().Find(layout::kMeasureTag, RecordKey::Other(1)), Bytes(12, 0xFF));
}

TEST_F(ScoreRecordsTest, CollectionCopiesOfShortRecordsDoNotInheritEarlierBytes) {
    // The working element first loads a full record, then a short one; the copy of the short one must read
    // its missing fields as zero, not as what the full record left in the buffer.
    Build().AddMeasures(1);
    Build().AddExpression(1, 3, 11, true);
    Bytes shortExpression(10, 0);
    shortExpression[layout::kExpressionDefinitionID] = 12;
    shortExpression[layout::kExpressionStaff] = 3;
    Doc().Put(layout::kExpressionTag, RecordKey::Other(1, 1), shortExpression);

    FCExpressions expressions;
    FCCell cell(1, 3);
    ASSERT_EQ(expressions.LoadAllForCell(&cell), 2);
    EXPECT_TRUE(expressions.GetExpressionAt(0)->IsShape());
    FCExpression* copy = expressions.GetExpressionAt(1);
    EXPECT_EQ(copy->GetDefinitionID(), 12);
    EXPECT_EQ(copy->GetExpressionFlags(), 0);
    EXPECT_EQ(copy->LoadedSize(), 10);

    Build().AddGroup(1, 3, 4, 9, "Piano");
    Bytes shortGroup(6, 0);
    shortGroup[layout::kGroupTopStaff] = 3;
    shortGroup[layout::kGroupBottomStaff] = 4;
    Doc().Put(layout::kGroupTag, RecordKey::Detail(0, 2), shortGroup);
    FCGroups groups;
    ASSERT_EQ(groups.LoadAll(), 2);
    EXPECT_EQ(groups.GetGroupAt(1)->GetStartMeasure(), 0);
    EXPECT_EQ(groups.FindGroup(3, 4, 0), groups.GetGroupAt(1));
    EXPECT_EQ(groups.FindGroup(3, 4, 9), groups.GetGroupAt(0));
}

}  // namespace
