// Collections: the growth rule, the walks, ownership, and the loaders and savers against the stand-in
// document.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/collection.h"
#include "tests/unit/framework_test_records.h"

namespace {

using standin::RecordKey;
using testrecords::DetailRecord;
using testrecords::DetailRecords;
using testrecords::FixedRecord;
using testrecords::FixedRecords;
using testrecords::IncidentRecord;
using testrecords::IncidentRecords;
using testrecords::kDetailTag;
using testrecords::kFixedTag;
using testrecords::kIncidentTag;
using testrecords::kOtherTag;
using testrecords::Le32;

// An element that counts its destructions and carries a number to tell elements apart.
class Counted : public __FCBase {
  public:
    Counted(int value, int* destroyed) : value(value), destroyed_(destroyed) {}
    ~Counted() override { ++*destroyed_; }
    int value;

  private:
    int* destroyed_;
};

// Answers from a script of booleans and notes what it was shown.
class ScriptedHandler : public __FCItemHandler {
  public:
    explicit ScriptedHandler(std::vector<bool> answers) : answers_(std::move(answers)) {}
    bool Visit(__FCBase* element) override { return Answer(element, -1); }
    bool VisitIndexed(__FCBase* element, int32_t index) override { return Answer(element, index); }
    bool Matches(__FCBase* element) override { return Answer(element, -1); }

    std::vector<int> seenValues;
    std::vector<int32_t> seenIndices;

  private:
    bool Answer(__FCBase* element, int32_t index) {
        seenValues.push_back(static_cast<Counted*>(element)->value);
        seenIndices.push_back(index);
        const std::size_t i = seenValues.size() - 1;
        return i < answers_.size() ? answers_[i] : true;
    }
    std::vector<bool> answers_;
};

class CollectionTest : public ::testing::Test {
  protected:
    void Fill(__FCCollection& collection, int n) {
        for (int i = 0; i < n; ++i) collection.Add(std::make_unique<Counted>(i, &destroyed));
    }
    int destroyed = 0;
};

// ---- Growth -----------------------------------------------------------------------------------------------

TEST_F(CollectionTest, CapacityGrowsToTheNextMultipleOfTen) {
    struct Case {
        int added;
        int capacity;
    };
    const Case cases[] = {{0, 0}, {1, 10}, {9, 10}, {10, 10}, {11, 20}, {20, 20}, {21, 30}, {95, 100}};
    for (const Case& c : cases) {
        __FCCollection collection;
        Fill(collection, c.added);
        EXPECT_EQ(collection.Count(), c.added);
        EXPECT_EQ(collection.Capacity(), c.capacity) << "after adding " << c.added;
        ScriptedHandler all({});  // a full array too: the walk reads no slot past the elements
        EXPECT_EQ(collection.ForEachIndexed(&all), c.added);
    }
}

TEST_F(CollectionTest, EnsureRoomGrowsOnlyWhenTheRoomIsMissing) {
    struct Case {
        int elements;
        int extra;
        int capacity;
    };
    const Case cases[] = {{8, 5, 20},  {8, 2, 10},  {8, 0, 10}, {0, 0, 0},
                          {0, 10, 20}, {10, 1, 20}, {3, 27, 40}};
    for (const Case& c : cases) {
        __FCCollection collection;
        Fill(collection, c.elements);
        collection.EnsureRoom(c.extra);
        EXPECT_EQ(collection.Capacity(), c.capacity) << c.elements << " elements, " << c.extra << " more";
        ASSERT_EQ(collection.Count(), c.elements);
        for (int i = 0; i < c.elements; ++i) {
            EXPECT_EQ(static_cast<Counted*>(collection.GetItemAt(i))->value, i);
        }
    }
}

TEST_F(CollectionTest, GetItemAtOutsideTheElementsIsNull) {
    __FCCollection empty;
    EXPECT_EQ(empty.GetItemAt(0), nullptr);
    __FCCollection collection;
    Fill(collection, 3);
    EXPECT_EQ(collection.GetItemAt(-1), nullptr);
    EXPECT_EQ(collection.GetItemAt(3), nullptr);
    EXPECT_EQ(collection.GetItemAt(5), nullptr);  // inside the capacity, beyond the count
    EXPECT_NE(collection.GetItemAt(2), nullptr);
}

// ---- Ownership --------------------------------------------------------------------------------------------

TEST_F(CollectionTest, ClearAllDestroysTheElementsAndKeepsTheArray) {
    {
        __FCCollection collection;
        Fill(collection, 12);
        collection.Add(nullptr);
        collection.ClearAll();
        EXPECT_EQ(destroyed, 12);
        EXPECT_EQ(collection.Count(), 0);
        EXPECT_EQ(collection.Capacity(), 20);
        EXPECT_EQ(collection.GetItemAt(0), nullptr);
        Fill(collection, 2);
    }
    EXPECT_EQ(destroyed, 14);  // the destructor destroyed the two added after clearing
}

// ---- Walks ------------------------------------------------------------------------------------------------

TEST_F(CollectionTest, ForEachStopsAtTheFirstFalseAndCountsTheTrueAnswers) {
    struct Case {
        std::vector<bool> answers;
        int result;
        std::vector<int> seen;
    };
    const Case cases[] = {
        {{false}, 0, {0}},
        {{true, true, false}, 2, {0, 1, 2}},
        {{true, true, true, true}, 4, {0, 1, 2, 3}},
    };
    for (const Case& c : cases) {
        __FCCollection collection;
        Fill(collection, 4);
        ScriptedHandler handler(c.answers);
        EXPECT_EQ(collection.ForEach(&handler), c.result);
        EXPECT_EQ(handler.seenValues, c.seen);
    }
}

TEST_F(CollectionTest, WalksSkipNullElementsAndIndexedWalkGivesTheirIndices) {
    __FCCollection collection;
    collection.Add(nullptr);
    collection.Add(std::make_unique<Counted>(10, &destroyed));
    collection.Add(nullptr);
    collection.Add(std::make_unique<Counted>(30, &destroyed));

    ScriptedHandler all({});
    EXPECT_EQ(collection.ForEach(&all), 2);
    EXPECT_EQ(all.seenValues, (std::vector<int>{10, 30}));

    ScriptedHandler indexed({});
    EXPECT_EQ(collection.ForEachIndexed(&indexed), 2);
    EXPECT_EQ(indexed.seenIndices, (std::vector<int32_t>{1, 3}));

    ScriptedHandler secondMatches({false, true});
    __FCBase* found = collection.FindFirst(&secondMatches);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(static_cast<Counted*>(found)->value, 30);

    ScriptedHandler noneMatches({false, false});
    EXPECT_EQ(collection.FindFirst(&noneMatches), nullptr);
    __FCCollection single;
    single.Add(std::make_unique<Counted>(5, &destroyed));
    ScriptedHandler firstMatches({true});
    EXPECT_EQ(single.FindFirst(&firstMatches), single.GetItemAt(0));
}

// ---- Loading and saving records ---------------------------------------------------------------------------

class DataCollectionTest : public testrecords::HostTest {
  protected:
    void PutIncidents(int16_t itemNo, std::vector<int16_t> incidents) {
        for (int16_t inci : incidents)
            Doc().Put(kIncidentTag, RecordKey::Other(itemNo, inci), Le32(itemNo * 100 + inci));
    }
    static std::vector<std::vector<int64_t>> KeysOf(const std::vector<standin::HostCall>& calls) {
        std::vector<std::vector<int64_t>> keys;
        for (const auto& call : calls) keys.push_back(KeyOf(call));
        return keys;
    }
};

TEST_F(DataCollectionTest, LoadAllBeginsAtItemOneAndFollowsTheHostOrder) {
    for (int16_t item : {1, 2, 5}) Doc().Put(kFixedTag, RecordKey::Other(item), Le32(item * 10, -item));
    FixedRecords records;
    EXPECT_EQ(records.LoadAll(), 3);
    const int16_t expected[] = {1, 2, 5};
    for (int i = 0; i < 3; ++i) {
        auto* record = static_cast<FixedRecord*>(records.GetDataAt(i));
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->ItemNo(), expected[i]);
        EXPECT_EQ(record->First(), expected[i] * 10);
        EXPECT_EQ(record->Second(), -expected[i]);
        EXPECT_TRUE(record->IsLoaded());
    }
    // Each record is loaded once (into the working element) and copied.
    EXPECT_EQ(Calls("FX_LoadEData"), 3);
}

TEST_F(DataCollectionTest, LoadAllWithoutAFirstRecordEmptiesTheCollection) {
    Doc().Put(kFixedTag, RecordKey::Other(1), Le32(1));
    FixedRecords records;
    ASSERT_EQ(records.LoadAll(), 1);
    Doc().Erase(kFixedTag, RecordKey::Other(1));
    Doc().Put(kFixedTag, RecordKey::Other(2), Le32(2));
    EXPECT_EQ(records.LoadAll(), 0);
    EXPECT_EQ(records.Count(), 0);
}

TEST_F(DataCollectionTest, CustomTagReachesTheWorkingElementAndEveryCopy) {
    Doc().Put(kOtherTag, RecordKey::Other(1), Le32(7));
    FixedRecords records;
    records.SetCustomTag(kOtherTag);
    ASSERT_EQ(records.LoadAll(), 1);
    EXPECT_EQ(records.GetDataAt(0)->CustomTag(), kOtherTag);
    EXPECT_EQ(Host().CallsTo("FX_LoadEData")[0].args[0], kOtherTag);
}

TEST_F(DataCollectionTest, SaveAllStopsAtTheFirstFailure) {
    Doc().Put(kFixedTag, RecordKey::Other(1), Le32(1));
    Doc().Put(kFixedTag, RecordKey::Other(2), Le32(2));
    FixedRecords records;
    ASSERT_EQ(records.LoadAll(), 2);
    for (int i = 0; i < 2; ++i) static_cast<FixedRecord*>(records.GetDataAt(i))->SetFirst(50 + i);
    records.Add(std::make_unique<FixedRecord>());  // never loaded: its save fails
    records.Add(std::make_unique<FixedRecord>());
    auto* later = static_cast<FixedRecord*>(records.GetDataAt(3));
    ASSERT_TRUE(later->Load(1));
    EXPECT_FALSE(records.SaveAll());
    EXPECT_EQ(Calls("FX_SaveEData"), 2);
    EXPECT_EQ(*Doc().Find(kFixedTag, RecordKey::Other(1)), Le32(50, 0));
    EXPECT_EQ(*Doc().Find(kFixedTag, RecordKey::Other(2)), Le32(51, 0));

    FixedRecords empty;
    EXPECT_TRUE(empty.SaveAll());
}

TEST_F(DataCollectionTest, SaveAllWritesUnderTheCollectionsCustomTag) {
    Doc().Put(kFixedTag, RecordKey::Other(3), Le32(3));
    FixedRecords records;
    records.Add(std::make_unique<FixedRecord>());
    auto* record = static_cast<FixedRecord*>(records.GetDataAt(0));
    ASSERT_TRUE(record->Load(3));
    records.SetCustomTag(kOtherTag);
    ASSERT_TRUE(records.SaveAll());
    EXPECT_EQ(record->CustomTag(), kOtherTag);
    ASSERT_NE(Doc().Find(kOtherTag, RecordKey::Other(3)), nullptr);
}

TEST_F(DataCollectionTest, LoadAllForItemStopsAtTheFirstMissingIncident) {
    PutIncidents(6, {0, 1, 3});
    PutIncidents(7, {0});
    IncidentRecords records;
    EXPECT_EQ(records.LoadAllForItem(6), 2);
    EXPECT_EQ(static_cast<IncidentRecord*>(records.GetDataAt(0))->Value(), 600);
    EXPECT_EQ(static_cast<IncidentRecord*>(records.GetDataAt(1))->Value(), 601);
    EXPECT_EQ(static_cast<IncidentRecord*>(records.GetDataAt(1))->Inci(), 1);
    // A second load replaces the contents.
    EXPECT_EQ(records.LoadAllForItem(7), 1);
    EXPECT_EQ(records.LoadAllForItem(8), 0);
}

TEST_F(DataCollectionTest, IncidentCollectionsHaveNoLoadAll) {
    PutIncidents(1, {0, 1});
    IncidentRecords records;
    EXPECT_EQ(records.LoadAll(), 0);
}

TEST_F(DataCollectionTest, DeleteAllForItemDeletesFromTheHighestIncidentDown) {
    PutIncidents(3, {0, 1, 2, 3, 4});
    PutIncidents(4, {0});
    IncidentRecords records;
    EXPECT_TRUE(records.DeleteAllForItem(3));
    EXPECT_EQ(KeysOf(Host().CallsTo("FX_DeleteEData")),
              (std::vector<std::vector<int64_t>>{
                  {3, 4, 0, 0}, {3, 3, 0, 0}, {3, 2, 0, 0}, {3, 1, 0, 0}, {3, 0, 0, 0}}));
    EXPECT_EQ(Doc().Count(kIncidentTag), 1u);
    EXPECT_EQ(records.Count(), 0);

    // A refused deletion ends the walk with a failure; the lower incidents stay.
    PutIncidents(3, {0, 1, 2});
    Host().PlanFaults(standin::FaultPlan{"FX_DeleteEData", kIncidentTag, 2});
    EXPECT_FALSE(records.DeleteAllForItem(3));
    EXPECT_EQ(Doc().Count(kIncidentTag), 3u);
}

TEST_F(DataCollectionTest, DeleteAllForItemWithoutIncidentsDeletesNothing) {
    PutIncidents(4, {1});  // no incident 0: nothing counts as there
    IncidentRecords records;
    EXPECT_TRUE(records.DeleteAllForItem(4));
    EXPECT_EQ(Calls("FX_DeleteEData"), 0);
    EXPECT_EQ(Doc().Count(kIncidentTag), 1u);
}

TEST_F(DataCollectionTest, SaveAllForItemOnAnEmptyCollectionDeletesEveryIncident) {
    PutIncidents(2, {0, 1, 2});
    IncidentRecords records;
    EXPECT_TRUE(records.SaveAllForItem(2));
    EXPECT_EQ(Doc().Count(kIncidentTag), 0u);
    EXPECT_EQ(Calls("FX_CreateEData"), 0);
}

TEST_F(DataCollectionTest, SaveAllForItemReplacesTheIncidentsInIndexOrder) {
    PutIncidents(2, {0, 1, 2});
    PutIncidents(5, {0, 1, 2, 3});
    IncidentRecords records;
    ASSERT_EQ(records.LoadAllForItem(2), 3);
    EXPECT_TRUE(records.SaveAllForItem(5));
    const auto stored = Doc().All(kIncidentTag);
    ASSERT_EQ(stored.size(), 6u);
    for (int16_t inci = 0; inci < 3; ++inci) {
        const auto* bytes = Doc().Find(kIncidentTag, RecordKey::Other(5, inci));
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(*bytes, Le32(200 + inci));
        EXPECT_NE(Doc().Find(kIncidentTag, RecordKey::Other(2, inci)), nullptr);
    }
    for (const auto& call : Host().CallsTo("FX_CreateEData"))
        EXPECT_EQ(KeyOf(call), (std::vector<int64_t>{5, -1, 0, 0}));
    // The elements now stand at the new incidents.
    EXPECT_EQ(static_cast<IncidentRecord*>(records.GetDataAt(2))->ItemNo(), 5);
    EXPECT_EQ(static_cast<IncidentRecord*>(records.GetDataAt(2))->Inci(), 2);
}

TEST_F(DataCollectionTest, DetailLoadAllForItemRunsFromTheFirstItemNo2ToAGap) {
    for (int16_t second : {1, 2, 4}) Doc().Put(kDetailTag, RecordKey::Detail(9, second), Le32(90 + second));
    Doc().Put(kDetailTag, RecordKey::Detail(8, 3), Le32(83));
    DetailRecords records;
    EXPECT_EQ(records.LoadAllForItem(9, 1), 2);
    EXPECT_EQ(static_cast<DetailRecord*>(records.GetDataAt(1))->ItemNo2(), 2);
    EXPECT_EQ(static_cast<DetailRecord*>(records.GetDataAt(1))->Value(), 92);
    EXPECT_EQ(records.LoadAllForItem(9, 4), 1);
    EXPECT_EQ(records.LoadAllForItem(9, 3), 0);
    // The detail key: itemNo, itemNo2, inci.
    EXPECT_EQ(KeyOf(Host().CallsTo("FX_LoadEData")[0]), (std::vector<int64_t>{9, 1, 0, 0}));
    // LoadAll walks every detail record from the zero key.
    EXPECT_EQ(records.LoadAll(), 4);
    EXPECT_EQ(static_cast<DetailRecord*>(records.GetDataAt(0))->ItemNo(), 8);
}

}  // namespace
