// The stand-in's document store and its five record data calls: the protocol the module relies on, bad calls
// included, and the speed of a large document.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <vector>

#include "standin/host/host.h"
#include "standin/host/host_functions.h"
#include "standin/store/document.h"
#include "tests/support/host_fixture.h"
#include "tests/support/sanitizer.h"

namespace {

using standin::Bytes;
using standin::Host;
using standin::RecordKey;

constexpr uint32_t kAnyTag = 0x534F4D53;  // any tag; the store does not interpret them
constexpr uint32_t kOther = 0x534F4953;   // a second tag, to see that tags stay apart
constexpr uint32_t kGroups = 0x53444E47;  // detail records
using testsupport::kHostVersion;

struct Key8 {
    uint8_t bytes[8] = {};
    explicit Key8(RecordKey key = {}) { key.ToBytes(bytes); }
    RecordKey Get() const { return RecordKey::FromBytes(bytes); }
};

class StandinDocument : public testsupport::HostFixture {
  protected:
    standin::Document& Doc() { return Host().Doc(); }
};

TEST(StandinRecordKey, BytesAreLittleEndianSignedFields) {
    const uint8_t raw[8] = {0x34, 0x12, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x80};
    RecordKey key = RecordKey::FromBytes(raw);
    EXPECT_EQ(key.fields[0], 0x1234);
    EXPECT_EQ(key.fields[1], -1);
    EXPECT_EQ(key.fields[2], -2);
    EXPECT_EQ(key.fields[3], INT16_MIN);
    uint8_t back[8] = {};
    key.ToBytes(back);
    EXPECT_EQ(std::memcmp(raw, back, 8), 0);
}

// ---- Load ----

TEST_F(StandinDocument, LoadCopiesTheRecordAndReportsItsSize) {
    Doc().Put(kAnyTag, RecordKey::Other(3), Bytes{1, 2, 3, 4});
    Key8 key(RecordKey::Other(3));
    uint8_t buffer[8];
    std::memset(buffer, 0xAA, sizeof buffer);
    uint32_t size = sizeof buffer;
    ASSERT_NE(FX_LoadEData(kAnyTag, key.bytes, buffer, &size, kHostVersion), 0);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 8),
              (std::vector<uint8_t>{1, 2, 3, 4, 0xAA, 0xAA, 0xAA, 0xAA}));
    EXPECT_EQ(key.Get(), RecordKey::Other(3)) << "a load leaves the key alone";
}

TEST_F(StandinDocument, LoadWithExactCapacitySucceeds) {
    Doc().Put(kAnyTag, RecordKey::Other(1), Bytes(26, 7));
    Key8 key(RecordKey::Other(1));
    uint8_t buffer[26] = {};
    uint32_t size = 26;
    ASSERT_NE(FX_LoadEData(kAnyTag, key.bytes, buffer, &size, kHostVersion), 0);
    EXPECT_EQ(size, 26u);
    EXPECT_EQ(buffer[25], 7);
}

TEST_F(StandinDocument, SizeQueryWithNullBufferReportsOnly) {
    Doc().Put(kAnyTag, RecordKey::Other(1), Bytes(66, 1));
    Key8 key(RecordKey::Other(1));
    uint32_t size = 0;
    ASSERT_NE(FX_LoadEData(kAnyTag, key.bytes, nullptr, &size, kHostVersion), 0);
    EXPECT_EQ(size, 66u);
}

TEST_F(StandinDocument, BadLoadsFailAndTouchNothing) {
    Doc().Put(kAnyTag, RecordKey::Other(1), Bytes(30, 9));
    struct Case {
        const char* what;
        bool nullKey;
        bool nullSize;
        int16_t item;
        uint32_t tag;
        uint32_t capacity;
    };
    const Case cases[] = {
        {"null key", true, false, 1, kAnyTag, 64},
        {"null size", false, true, 1, kAnyTag, 64},
        {"no record at the key", false, false, 2, kAnyTag, 64},
        {"the record is under another tag", false, false, 1, kOther, 64},
        {"capacity one byte short", false, false, 1, kAnyTag, 29},
        {"capacity zero", false, false, 1, kAnyTag, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Key8 key(RecordKey::Other(c.item));
        uint8_t buffer[64];
        std::memset(buffer, 0xAA, sizeof buffer);
        uint32_t size = c.capacity;
        EXPECT_EQ(FX_LoadEData(c.tag, c.nullKey ? nullptr : key.bytes, buffer, c.nullSize ? nullptr : &size,
                               kHostVersion),
                  0);
        EXPECT_EQ(size, c.capacity) << "the size is not changed by a failed load";
        for (uint8_t b : buffer) ASSERT_EQ(b, 0xAA) << "nothing is copied by a failed load";
    }
    EXPECT_EQ(*Doc().Find(kAnyTag, RecordKey::Other(1)), Bytes(30, 9));
}

// ---- Save ----

TEST_F(StandinDocument, SaveReplacesTheRecordByExactlyTheGivenBytes) {
    Doc().Put(kAnyTag, RecordKey::Other(4), Bytes(66, 1));
    Key8 key(RecordKey::Other(4));
    const uint8_t shorter[38] = {5};
    ASSERT_NE(FX_SaveEData(kAnyTag, key.bytes, shorter, sizeof shorter, kHostVersion), 0);
    const Bytes* stored = Doc().Find(kAnyTag, RecordKey::Other(4));
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->size(), 38u) << "a shorter save drops the old tail";
    EXPECT_EQ((*stored)[0], 5);
    EXPECT_EQ((*stored)[37], 0);
}

TEST_F(StandinDocument, SaveOfAMissingRecordCreatesItAtTheKey) {
    Key8 key(RecordKey::Other(12, 3));
    const uint8_t data[4] = {1, 2, 3, 4};
    ASSERT_NE(FX_SaveEData(kAnyTag, key.bytes, data, 4, kHostVersion), 0);
    ASSERT_NE(Doc().Find(kAnyTag, RecordKey::Other(12, 3)), nullptr);
    EXPECT_EQ(*Doc().Find(kAnyTag, RecordKey::Other(12, 3)), (Bytes{1, 2, 3, 4}));
}

TEST_F(StandinDocument, BadSavesFail) {
    const uint8_t data[4] = {};
    Key8 key(RecordKey::Other(1));
    EXPECT_EQ(FX_SaveEData(kAnyTag, nullptr, data, 4, kHostVersion), 0);
    EXPECT_EQ(FX_SaveEData(kAnyTag, key.bytes, nullptr, 4, kHostVersion), 0);
    EXPECT_EQ(Doc().RecordCount(), 0u);
}

// ---- Create ----

TEST_F(StandinDocument, CreateHandsOutNumbersAndWritesTheKeyBack) {
    struct Case {
        const char* what;
        std::vector<RecordKey> existing;
        RecordKey request;
        RecordKey expected;
    };
    const Case cases[] = {
        {"first item of an empty tag", {}, RecordKey::Other(-1, -1), RecordKey::Other(1, 0)},
        {"one above the highest item, gaps ignored",
         {RecordKey::Other(1), RecordKey::Other(5)},
         RecordKey::Other(-1, -1),
         RecordKey::Other(6, 0)},
        {"item 0xFFFF with incident 0 is a new item too",
         {RecordKey::Other(2)},
         RecordKey::Other(-1, 0),
         RecordKey::Other(3, 0)},
        {"only document-wide (negative) items: the first item is 1",
         {RecordKey::Other(-2)},
         RecordKey::Other(-1, -1),
         RecordKey::Other(1, 0)},
        {"first incident of an item",
         {RecordKey::Other(7, 0)},
         RecordKey::Other(8, -1),
         RecordKey::Other(8, 0)},
        {"incident after the last, gaps ignored",
         {RecordKey::Other(8, 0), RecordKey::Other(8, 1), RecordKey::Other(8, 3), RecordKey::Other(9, 0)},
         RecordKey::Other(8, -1),
         RecordKey::Other(8, 4)},
        {"a key that asks for nothing is used as it is",
         {RecordKey::Other(1)},
         RecordKey::Other(40, 2),
         RecordKey::Other(40, 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Doc() = standin::Document();
        for (const RecordKey& k : c.existing) Doc().Put(kAnyTag, k, Bytes{0});
        Key8 key(c.request);
        const uint8_t data[3] = {9, 8, 7};
        ASSERT_NE(FX_CreateEData(kAnyTag, key.bytes, data, 3, kHostVersion), 0);
        EXPECT_EQ(key.Get(), c.expected);
        const Bytes* stored = Doc().Find(kAnyTag, c.expected);
        ASSERT_NE(stored, nullptr);
        EXPECT_EQ(*stored, (Bytes{9, 8, 7}));
        EXPECT_EQ(Doc().RecordCount(), c.existing.size() + 1);
    }
}

TEST_F(StandinDocument, CreateOfADetailRecordHandsOutTheSecondItemNumber) {
    Doc().Put(kGroups, RecordKey::Detail(0, 4), Bytes(36, 0));
    Key8 key(RecordKey::Detail(0, -1));
    const uint8_t data[36] = {};
    ASSERT_NE(FX_CreateEData(kGroups, key.bytes, data, 36, kHostVersion), 0);
    EXPECT_EQ(key.Get(), RecordKey::Detail(0, 5));
}

TEST_F(StandinDocument, CreateRefusesTakenKeysAndExhaustedNumbers) {
    const uint8_t data[2] = {1, 1};
    Doc().Put(kAnyTag, RecordKey::Other(3), Bytes{5});
    Key8 taken(RecordKey::Other(3));
    EXPECT_EQ(FX_CreateEData(kAnyTag, taken.bytes, data, 2, kHostVersion), 0);
    EXPECT_EQ(*Doc().Find(kAnyTag, RecordKey::Other(3)), Bytes{5}) << "a create does not overwrite";

    Doc().Put(kAnyTag, RecordKey::Other(INT16_MAX), Bytes{5});
    Key8 newItem(RecordKey::Other(-1, -1));
    EXPECT_EQ(FX_CreateEData(kAnyTag, newItem.bytes, data, 2, kHostVersion), 0);
    EXPECT_EQ(newItem.Get(), RecordKey::Other(-1, -1)) << "the key is not written on failure";

    Doc().Put(kAnyTag, RecordKey::Other(9, INT16_MAX), Bytes{5});
    Key8 newInci(RecordKey::Other(9, -1));
    EXPECT_EQ(FX_CreateEData(kAnyTag, newInci.bytes, data, 2, kHostVersion), 0);

    EXPECT_EQ(FX_CreateEData(kAnyTag, nullptr, data, 2, kHostVersion), 0);
    Key8 fine(RecordKey::Other(1, -1));
    EXPECT_EQ(FX_CreateEData(kAnyTag, fine.bytes, nullptr, 2, kHostVersion), 0);
    EXPECT_EQ(Doc().RecordCount(), 3u);
}

// ---- Delete ----

TEST_F(StandinDocument, DeleteRemovesOnlyAnExistingRecord) {
    Doc().Put(kAnyTag, RecordKey::Other(2, 1), Bytes{1});
    Doc().Put(kOther, RecordKey::Other(2, 1), Bytes{1});
    Key8 key(RecordKey::Other(2, 1));
    EXPECT_NE(FX_DeleteEData(kAnyTag, key.bytes, kHostVersion), 0);
    EXPECT_EQ(Doc().Find(kAnyTag, RecordKey::Other(2, 1)), nullptr);
    EXPECT_NE(Doc().Find(kOther, RecordKey::Other(2, 1)), nullptr);
    EXPECT_EQ(FX_DeleteEData(kAnyTag, key.bytes, kHostVersion), 0) << "a second delete finds nothing";
    EXPECT_EQ(FX_DeleteEData(kOther, nullptr, kHostVersion), 0);
    EXPECT_EQ(Doc().RecordCount(), 1u);
}

TEST_F(StandinDocument, DeletingAnIncidentMovesTheLaterOnesOfItsItemDown) {
    constexpr uint32_t kExpressions = 0x534F4459;
    constexpr uint32_t kAssignments = 0x4F025379;
    for (uint32_t tag : {kExpressions, kAssignments, kAnyTag}) {
        SCOPED_TRACE(tag);
        Doc() = standin::Document();
        for (int16_t inci = 0; inci < 4; ++inci)
            Doc().Put(tag, RecordKey::Other(7, inci), Bytes{uint8_t(inci)});
        Doc().Put(tag, RecordKey::Other(8, 0), Bytes{80});
        Doc().Put(tag, RecordKey::Other(6, 1), Bytes{61});
        Key8 key(RecordKey::Other(7, 1));
        ASSERT_NE(FX_DeleteEData(tag, key.bytes, kHostVersion), 0);
        std::vector<std::pair<RecordKey, Bytes>> expected;
        if (tag == kAnyTag) {  // a record without incidents: the others stay where they are
            expected = {{RecordKey::Other(6, 1), {61}},
                        {RecordKey::Other(7, 0), {0}},
                        {RecordKey::Other(7, 2), {2}},
                        {RecordKey::Other(7, 3), {3}},
                        {RecordKey::Other(8, 0), {80}}};
        } else {
            expected = {{RecordKey::Other(6, 1), {61}},
                        {RecordKey::Other(7, 0), {0}},
                        {RecordKey::Other(7, 1), {2}},
                        {RecordKey::Other(7, 2), {3}},
                        {RecordKey::Other(8, 0), {80}}};
        }
        EXPECT_EQ(Doc().All(tag), expected);
    }
}

// ---- Next ----

std::vector<RecordKey> Walk(uint32_t tag, RecordKey from = {}) {
    std::vector<RecordKey> seen;
    Key8 key(from);
    while (FX_NextEData(tag, key.bytes, nullptr, nullptr, kHostVersion) != 0) {
        seen.push_back(key.Get());
        if (seen.size() > 100) break;  // a walk that does not end
    }
    return seen;
}

TEST_F(StandinDocument, NextWalksTheTagInKeyOrderFromTheZeroKey) {
    for (RecordKey k : {RecordKey::Other(10, 0), RecordKey::Other(2, 1), RecordKey::Other(2, 0),
                        RecordKey::Other(300, 0), RecordKey::Other(-2, 0)}) {
        Doc().Put(kAnyTag, k, Bytes{1});
    }
    Doc().Put(kOther, RecordKey::Other(5), Bytes{1});
    EXPECT_EQ(Walk(kAnyTag), (std::vector<RecordKey>{RecordKey::Other(2, 0), RecordKey::Other(2, 1),
                                                     RecordKey::Other(10, 0), RecordKey::Other(300, 0)}));
    EXPECT_EQ(Walk(kAnyTag, RecordKey::Other(2, 1)),
              (std::vector<RecordKey>{RecordKey::Other(10, 0), RecordKey::Other(300, 0)}));
    EXPECT_EQ(Walk(kAnyTag, RecordKey::Other(3, 0)),
              (std::vector<RecordKey>{RecordKey::Other(10, 0), RecordKey::Other(300, 0)}))
        << "from a key that holds no record";
    EXPECT_EQ(Walk(kAnyTag, RecordKey::Other(-5, 0)).front(), RecordKey::Other(-2, 0));
}

TEST_F(StandinDocument, NextFromTheZeroKeyEndsEvenWithARecordAtTheZeroKey) {
    Doc().Put(kGroups, RecordKey::Detail(0, 0), Bytes{1});
    Doc().Put(kGroups, RecordKey::Detail(0, 3), Bytes{1});
    EXPECT_EQ(Walk(kGroups), (std::vector<RecordKey>{RecordKey::Detail(0, 3)}));
}

TEST_F(StandinDocument, NextAtTheEndFailsAndLeavesTheKey) {
    Doc().Put(kAnyTag, RecordKey::Other(1), Bytes{1});
    Key8 key(RecordKey::Other(1));
    EXPECT_EQ(FX_NextEData(kAnyTag, key.bytes, nullptr, nullptr, kHostVersion), 0);
    EXPECT_EQ(key.Get(), RecordKey::Other(1));
    Key8 zero;
    EXPECT_EQ(FX_NextEData(kOther, zero.bytes, nullptr, nullptr, kHostVersion), 0) << "a tag without records";
    EXPECT_EQ(FX_NextEData(kAnyTag, nullptr, nullptr, nullptr, kHostVersion), 0);
}

TEST_F(StandinDocument, AWalkSurvivesDeletesAndCreatesOnTheWay) {
    for (int16_t i = 1; i <= 6; ++i) Doc().Put(kAnyTag, RecordKey::Other(i), Bytes{static_cast<uint8_t>(i)});
    std::vector<int16_t> seen;
    Key8 key;
    uint8_t buffer[4];
    while (FX_NextEData(kAnyTag, key.bytes, nullptr, nullptr, kHostVersion) != 0) {
        uint32_t size = sizeof buffer;
        ASSERT_NE(FX_LoadEData(kAnyTag, key.bytes, buffer, &size, kHostVersion), 0);
        seen.push_back(key.Get().fields[0]);
        // Delete the record the walk stands on, and every second one ahead of it; add one at the far end
        // once.
        ASSERT_NE(FX_DeleteEData(kAnyTag, key.bytes, kHostVersion), 0);
        Key8 ahead(RecordKey::Other(static_cast<int16_t>(key.Get().fields[0] + 1)));
        FX_DeleteEData(kAnyTag, ahead.bytes, kHostVersion);
        if (seen.size() == 1) {
            Key8 fresh(RecordKey::Other(-1, -1));
            ASSERT_NE(FX_CreateEData(kAnyTag, fresh.bytes, buffer, 1, kHostVersion), 0);
            EXPECT_EQ(fresh.Get(), RecordKey::Other(7));
        }
        ASSERT_LT(seen.size(), 10u);
    }
    EXPECT_EQ(seen, (std::vector<int16_t>{1, 3, 5, 7}));
    EXPECT_EQ(Doc().RecordCount(), 0u);
}

TEST_F(StandinDocument, ACopiedDocumentKeepsItsOwnRecords) {
    Doc().Put(kAnyTag, RecordKey::Other(1), Bytes{1});
    Doc().Put(kAnyTag, RecordKey::Other(2), Bytes{2});
    ASSERT_TRUE(Doc().NextKey(kAnyTag, RecordKey()));  // the original now remembers record 1
    standin::Document copy = Doc();
    EXPECT_TRUE(copy == Doc());
    Doc().Erase(kAnyTag, RecordKey::Other(1));
    Doc().Erase(kAnyTag, RecordKey::Other(2));
    ASSERT_NE(copy.Find(kAnyTag, RecordKey::Other(1)), nullptr);
    EXPECT_EQ(copy.NextKey(kAnyTag, RecordKey::Other(1)), RecordKey::Other(2));
    EXPECT_FALSE(Doc().NextKey(kAnyTag, RecordKey()));
    EXPECT_EQ(Doc().Tags(), std::vector<uint32_t>{}) << "a tag without records is gone";
}

// ---- Call log ----

TEST_F(StandinDocument, CallsAreLoggedWithTheirArgumentsAndResultOnlyWhenLogging) {
    Doc().Put(kAnyTag, RecordKey::Other(3, 2), Bytes(26, 0));
    Key8 key(RecordKey::Other(3, 2));
    uint8_t buffer[30];
    uint32_t size = 30;
    FX_LoadEData(kAnyTag, key.bytes, buffer, &size, 0x0A000000);
    EXPECT_TRUE(Host().Calls().empty());
    EXPECT_EQ(Host().Counts().Of("FX_LoadEData"), 1);

    Host().LogCalls(true);
    size = 30;
    FX_LoadEData(kAnyTag, key.bytes, buffer, &size, 0x0A000000);
    FX_LoadEData(kAnyTag, key.bytes, nullptr, nullptr, 0x0A000000);
    FX_DeleteEData(kOther, key.bytes, kHostVersion);
    ASSERT_EQ(Host().CountCalls("FX_LoadEData"), 2);
    const auto loads = Host().CallsTo("FX_LoadEData");
    EXPECT_EQ(loads[0].args, (std::vector<int64_t>{kAnyTag, 3, 2, 0, 0, 1, 30, 0x0A000000}));
    EXPECT_EQ(loads[0].result, 1);
    EXPECT_EQ(loads[1].args, (std::vector<int64_t>{kAnyTag, 3, 2, 0, 0, 0, -1, 0x0A000000}));
    EXPECT_EQ(loads[1].result, 0);
    ASSERT_EQ(Host().Calls().size(), 3u);
    EXPECT_EQ(Host().Calls()[2].function, "FX_DeleteEData");
    EXPECT_EQ(Host().Calls()[2].result, 0);
    EXPECT_EQ(Host().Counts().Of("FX_LoadEData"), 3);
}

TEST_F(StandinDocument, CreateLogsTheKeyAsItWasAsked) {
    Host().LogCalls(true);
    Key8 key(RecordKey::Other(-1, -1));
    const uint8_t data[26] = {};
    ASSERT_NE(FX_CreateEData(0x534F5458, key.bytes, data, 26, kHostVersion), 0);
    ASSERT_EQ(Host().Calls().size(), 1u);
    EXPECT_EQ(Host().Calls()[0].args, (std::vector<int64_t>{0x534F5458, -1, -1, 0, 0, 1, 26, kHostVersion}));
}

// ---- A large document ----

// Creating a million records through the create call, then walking them with next and loading each: a store
// that searched linearly would take hours here. Measured in processor time, so that a busy machine does not
// fail the test; the budget is generous (the walk takes well under a second in an optimised build).
TEST_F(StandinDocument, AMillionRecordsStayFast) {
#if MIREL_UNDER_ASAN
    const double budgetSeconds = 60.0;
#else
    const double budgetSeconds = 5.0;
#endif
    const std::clock_t start = std::clock();
    const uint8_t data[24] = {};
    for (int16_t item = 1; item <= 1000; ++item) {
        for (int i = 0; i < 1000; ++i) {
            Key8 key(RecordKey::Other(item, -1));
            ASSERT_NE(FX_CreateEData(kAnyTag, key.bytes, data, sizeof data, kHostVersion), 0);
        }
    }
    ASSERT_EQ(Doc().RecordCount(), 1000000u);
    Key8 key;
    uint8_t buffer[24];
    std::size_t walked = 0;
    RecordKey previous{{INT16_MIN, INT16_MIN, INT16_MIN, INT16_MIN}};
    while (FX_NextEData(kAnyTag, key.bytes, nullptr, nullptr, kHostVersion) != 0) {
        uint32_t size = sizeof buffer;
        ASSERT_NE(FX_LoadEData(kAnyTag, key.bytes, buffer, &size, kHostVersion), 0);
        ASSERT_TRUE(previous < key.Get());
        previous = key.Get();
        ++walked;
    }
    const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    EXPECT_EQ(walked, 1000000u);
    EXPECT_EQ(previous, RecordKey::Other(1000, 999));
    EXPECT_LT(seconds, budgetSeconds);
}

}  // namespace
