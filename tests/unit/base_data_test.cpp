// The life cycle of a host record: loads, saves, creates, deletes and walks against the stand-in's document.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/base_data.h"
#include "tests/unit/framework_test_records.h"

namespace {

using standin::Bytes;
using standin::RecordKey;
using testrecords::FixedRecord;
using testrecords::IncidentRecord;
using testrecords::kFixedTag;
using testrecords::kFixedVersion;
using testrecords::kIncidentTag;
using testrecords::kVariableTag;
using testrecords::Le32;
using testrecords::VariableRecord;

class RecordLifeCycleTest : public testrecords::HostTest {
  protected:
    void PutFixed(int16_t itemNo, int32_t first, int32_t second = 0) {
        Doc().Put(kFixedTag, RecordKey::Other(itemNo), Le32(first, second));
    }
    int DataCalls() const {
        return Calls("FX_LoadEData") + Calls("FX_SaveEData") + Calls("FX_CreateEData") +
               Calls("FX_DeleteEData") + Calls("FX_NextEData");
    }
};

// ---- The not-loaded state ---------------------------------------------------------------------------------

TEST_F(RecordLifeCycleTest, NeverLoadedObjectRefusesEverySaveWithoutAskingTheHost) {
    FixedRecord record;
    EXPECT_FALSE(record.IsLoaded());
    EXPECT_FALSE(record.Save());
    EXPECT_FALSE(record.SaveNew());
    EXPECT_FALSE(record.Reload());
    EXPECT_FALSE(record.SaveAs(5));
    EXPECT_EQ(DataCalls(), 0);
    EXPECT_EQ(Doc().Count(kFixedTag), 0u);
    // SaveAs sets the key before it acts, and the key stays set when it fails.
    EXPECT_EQ(record.ItemNo(), 5);
}

TEST_F(RecordLifeCycleTest, FailedLoadAfterSuccessMakesTheObjectNotLoaded) {
    PutFixed(1, 11, 12);
    FixedRecord record;
    ASSERT_TRUE(record.Load(1));
    EXPECT_EQ(record.LoadedSize(), 8);
    EXPECT_EQ(record.First(), 11);
    EXPECT_EQ(record.Second(), 12);

    EXPECT_FALSE(record.Load(2));
    EXPECT_FALSE(record.IsLoaded());
    EXPECT_EQ(record.ItemNo(), 2);
    EXPECT_FALSE(record.Save());
    EXPECT_EQ(Calls("FX_SaveEData"), 0);
}

// The key is four little-endian signed words; an index outside them reads as 0 and writes nothing.
TEST_F(RecordLifeCycleTest, KeyIsFourLittleEndianSignedWords) {
    testrecords::DetailRecord record;
    record.SetKey(0x0102, -2, 0x0304);
    const std::vector<uint8_t> expected = {2, 1, 0xFE, 0xFF, 4, 3, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(record.KeyBytes(), record.KeyBytes() + 8), expected);
    record.SetKeyField(4, 7);
    record.SetKeyField(-1, 7);
    EXPECT_EQ(std::vector<uint8_t>(record.KeyBytes(), record.KeyBytes() + 8), expected);
    EXPECT_EQ(std::vector<int16_t>(
                  {record.KeyField(1), record.KeyField(2), record.KeyField(4), record.KeyField(-1)}),
              std::vector<int16_t>({-2, 0x0304, 0, 0}));
}

TEST_F(RecordLifeCycleTest, LoadsWithTheClassTagKeyCapacityAndVersion) {
    PutFixed(0x0102, 1);
    FixedRecord record;
    ASSERT_TRUE(record.Load(0x0102));
    const auto loads = Host().CallsTo("FX_LoadEData");
    ASSERT_EQ(loads.size(), 1u);
    EXPECT_EQ(loads[0].args, (std::vector<int64_t>{kFixedTag, 0x0102, 0, 0, 0, 1, 8, kFixedVersion}));
    const uint8_t expectedKey[8] = {0x02, 0x01, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(record.KeyBytes(), expectedKey, 8), 0);
}

TEST_F(RecordLifeCycleTest, ShortRecordKeepsItsSizeAndFieldsBeyondItReadAsZero) {
    Doc().Put(kFixedTag, RecordKey::Other(1), Le32(-7));
    FixedRecord record;
    ASSERT_TRUE(record.Load(1));
    EXPECT_EQ(record.LoadedSize(), 4);
    EXPECT_EQ(record.First(), -7);
    EXPECT_EQ(record.Second(), 0);
    ASSERT_TRUE(record.Save());
    EXPECT_EQ(*Doc().Find(kFixedTag, RecordKey::Other(1)), Le32(-7));
}

TEST_F(RecordLifeCycleTest, RecordLargerThanTheCapacityDoesNotLoad) {
    Doc().Put(kFixedTag, RecordKey::Other(1), Bytes(9, 0xAB));
    FixedRecord record;
    EXPECT_FALSE(record.Load(1));
    EXPECT_FALSE(record.IsLoaded());
}

// ---- Saving -----------------------------------------------------------------------------------------------

TEST_F(RecordLifeCycleTest, SaveWritesTheLoadedBytesBackAtTheKey) {
    PutFixed(3, 1, 2);
    FixedRecord record;
    ASSERT_TRUE(record.Load(3));
    record.SetFirst(99);
    ASSERT_TRUE(record.Save());
    EXPECT_EQ(*Doc().Find(kFixedTag, RecordKey::Other(3)), Le32(99, 2));
    const auto saves = Host().CallsTo("FX_SaveEData");
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0].args, (std::vector<int64_t>{kFixedTag, 3, 0, 0, 0, 1, 8, kFixedVersion}));
}

TEST_F(RecordLifeCycleTest, SaveAsWritesUnderTheNewItemAndKeepsIt) {
    PutFixed(3, 1, 2);
    FixedRecord record;
    ASSERT_TRUE(record.Load(3));
    ASSERT_TRUE(record.SaveAs(8));
    EXPECT_EQ(record.ItemNo(), 8);
    EXPECT_EQ(*Doc().Find(kFixedTag, RecordKey::Other(8)), Le32(1, 2));
    EXPECT_EQ(*Doc().Find(kFixedTag, RecordKey::Other(3)), Le32(1, 2));
    ASSERT_TRUE(record.DeepSaveAs(9));
    EXPECT_NE(Doc().Find(kFixedTag, RecordKey::Other(9)), nullptr);
}

TEST_F(RecordLifeCycleTest, SaveNewSendsMinusOneMinusOneAndKeepsTheAssignedItem) {
    PutFixed(1, 10);
    PutFixed(2, 20);
    PutFixed(6, 60);
    FixedRecord record;
    ASSERT_TRUE(record.Load(2));
    ASSERT_TRUE(record.SaveNew());
    const auto creates = Host().CallsTo("FX_CreateEData");
    ASSERT_EQ(creates.size(), 1u);
    EXPECT_EQ(creates[0].args, (std::vector<int64_t>{kFixedTag, -1, -1, 0, 0, 1, 8, kFixedVersion}));
    EXPECT_EQ(record.ItemNo(), 7);
    EXPECT_EQ(*Doc().Find(kFixedTag, RecordKey::Other(7)), Le32(20, 0));
}

TEST_F(RecordLifeCycleTest, SaveNewOfAnIncidentAppendsAfterTheLastIncident) {
    Doc().Put(kIncidentTag, RecordKey::Other(4, 0), Le32(40));
    Doc().Put(kIncidentTag, RecordKey::Other(4, 1), Le32(41));
    Doc().Put(kIncidentTag, RecordKey::Other(5, 0), Le32(50));
    IncidentRecord record;
    ASSERT_TRUE(record.Load(5, 0));
    ASSERT_TRUE(record.SaveNew(4));
    const auto creates = Host().CallsTo("FX_CreateEData");
    ASSERT_EQ(creates.size(), 1u);
    EXPECT_EQ(KeyOf(creates[0]), (std::vector<int64_t>{4, -1, 0, 0}));
    EXPECT_EQ(record.ItemNo(), 4);
    EXPECT_EQ(record.Inci(), 2);
    EXPECT_EQ(*Doc().Find(kIncidentTag, RecordKey::Other(4, 2)), Le32(50));
}

// ---- Reload, delete ---------------------------------------------------------------------------------------

TEST_F(RecordLifeCycleTest, ReloadReadsTheRecordAtTheSameKeyAgain) {
    PutFixed(2, 1);
    Doc().Put(kIncidentTag, RecordKey::Other(3, 1), Le32(31));
    FixedRecord record;
    IncidentRecord incident;
    ASSERT_TRUE(record.Load(2));
    ASSERT_TRUE(incident.Load(3, 1));
    PutFixed(2, 5);
    Doc().Put(kIncidentTag, RecordKey::Other(3, 1), Le32(-31));
    ASSERT_TRUE(record.Reload());
    ASSERT_TRUE(incident.Reload());
    EXPECT_EQ(record.First(), 5);
    EXPECT_EQ(incident.Value(), -31);

    Doc().Erase(kFixedTag, RecordKey::Other(2));
    EXPECT_FALSE(record.Reload());
    EXPECT_FALSE(record.IsLoaded());
}

TEST_F(RecordLifeCycleTest, DeleteRecordNeedsNoLoadAndLeavesTheObjectAsItWas) {
    PutFixed(3, 30);
    PutFixed(4, 40);
    FixedRecord fresh;
    fresh.SetKeyField(0, 3);
    EXPECT_TRUE(fresh.DeleteRecord());
    EXPECT_EQ(Doc().Find(kFixedTag, RecordKey::Other(3)), nullptr);
    EXPECT_FALSE(fresh.IsLoaded());
    EXPECT_FALSE(fresh.DeleteData());  // nothing left there

    FixedRecord loaded;
    ASSERT_TRUE(loaded.Load(4));
    EXPECT_TRUE(loaded.DeleteData());
    EXPECT_TRUE(loaded.IsLoaded());
    EXPECT_EQ(loaded.First(), 40);
    EXPECT_EQ(loaded.ItemNo(), 4);
    EXPECT_EQ(Doc().Count(kFixedTag), 0u);
    const auto deletes = Host().CallsTo("FX_DeleteEData");
    ASSERT_EQ(deletes.size(), 3u);
    EXPECT_EQ(deletes[2].args, (std::vector<int64_t>{kFixedTag, 4, 0, 0, 0, kFixedVersion}));
}

// ---- First and next ---------------------------------------------------------------------------------------

TEST_F(RecordLifeCycleTest, DefaultLoadFirstLoadsItemOneNotTheLowestItem) {
    PutFixed(2, 20);
    PutFixed(3, 30);
    FixedRecord record;
    EXPECT_FALSE(record.LoadFirst());
    const auto loads = Host().CallsTo("FX_LoadEData");
    ASSERT_EQ(loads.size(), 1u);
    EXPECT_EQ(KeyOf(loads[0]), (std::vector<int64_t>{1, 0, 0, 0}));

    PutFixed(1, 10);
    ASSERT_TRUE(record.LoadFirst());
    EXPECT_EQ(record.First(), 10);
}

TEST_F(RecordLifeCycleTest, LoadNextWalksTheHostOrderAndStopsWithEverythingUnchanged) {
    PutFixed(1, 10, 11);
    PutFixed(5, 50, 51);
    FixedRecord record;
    ASSERT_TRUE(record.Load(1));
    ASSERT_TRUE(record.LoadNext());
    EXPECT_EQ(record.ItemNo(), 5);
    EXPECT_EQ(record.First(), 50);

    uint8_t keyBefore[8];
    std::memcpy(keyBefore, record.KeyBytes(), 8);
    EXPECT_FALSE(record.LoadNext());
    EXPECT_TRUE(record.IsLoaded());
    EXPECT_EQ(record.LoadedSize(), 8);
    EXPECT_EQ(record.First(), 50);
    EXPECT_EQ(record.Second(), 51);
    EXPECT_EQ(std::memcmp(record.KeyBytes(), keyBefore, 8), 0);
    const auto nexts = Host().CallsTo("FX_NextEData");
    ASSERT_EQ(nexts.size(), 2u);
    EXPECT_EQ(nexts[1].args, (std::vector<int64_t>{kFixedTag, 5, 0, 0, 0, 0, 0, kFixedVersion}));
}

TEST_F(RecordLifeCycleTest, IncidentRecordsHaveNoFirstRecord) {
    Doc().Put(kIncidentTag, RecordKey::Other(1, 0), Le32(1));
    IncidentRecord record;
    EXPECT_FALSE(record.LoadFirst());
    EXPECT_EQ(Calls("FX_LoadEData"), 0);
}

// ---- Variable size ----------------------------------------------------------------------------------------

TEST_F(RecordLifeCycleTest, VariableSizeAreaIsProvidedAnewBeforeEveryLoadAFixedOneOnce) {
    Doc().Put(kVariableTag, RecordKey::Other(1), Bytes(10, 0x11));
    Doc().Put(kVariableTag, RecordKey::Other(2), Bytes(40, 0x22));
    VariableRecord record;
    ASSERT_TRUE(record.Load(1));
    EXPECT_EQ(record.LoadedSize(), 10);
    ASSERT_TRUE(record.Load(2));
    EXPECT_EQ(record.LoadedSize(), 40);
    EXPECT_EQ(record.allocations, (std::vector<int32_t>{10, 40}));
    EXPECT_EQ(record.releases, 1);
    EXPECT_EQ(Bytes(record.Data(), record.Data() + 40), Bytes(40, 0x22));

    // A failed load keeps the freshly provided area but leaves the object not loaded.
    EXPECT_FALSE(record.Load(3));
    EXPECT_FALSE(record.IsLoaded());
    EXPECT_EQ(record.releases, 2);

    ASSERT_TRUE(record.Load(1));
    record.ReleaseDataArea();
    EXPECT_FALSE(record.IsLoaded());
    EXPECT_EQ(record.Data(), nullptr);

    PutFixed(1, 10);
    FixedRecord fixed;
    ASSERT_TRUE(fixed.Load(1));
    ASSERT_TRUE(fixed.Load(1));
    EXPECT_EQ(fixed.provisions, 1);
}

// ---- No host ----------------------------------------------------------------------------------------------

TEST_F(RecordLifeCycleTest, WithoutTheHostEveryCallFails) {
    PutFixed(1, 10);
    PutFixed(2, 20);
    FixedRecord record;
    ASSERT_TRUE(record.Load(1));
    const int callsWithHost = DataCalls();

    // A process in which neither executable is loaded.
    Host().AnswerAs({});
    host::gBindingCache = host::BindingCache();
    EXPECT_FALSE(record.Save());
    EXPECT_FALSE(record.SaveNew());
    EXPECT_FALSE(record.LoadNext());
    EXPECT_FALSE(record.DeleteRecord());
    EXPECT_TRUE(record.IsLoaded());
    EXPECT_FALSE(record.Load(2));
    EXPECT_FALSE(record.IsLoaded());
    EXPECT_EQ(DataCalls(), callsWithHost);
    EXPECT_EQ(Doc().Count(kFixedTag), 2u);
}

}  // namespace
