// Preference records through the binding's FX_LoadEData / FX_SaveEData, against the stand-in's document: the
// piece-wise and field-wise transfers, the item conditions, the pass-through of every other tag, the version
// rule for saves and the partly filled 108-byte record.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <set>
#include <vector>

#include "host/host_api.h"
#include "host/preference_tables.h"
#include "standin/host/host.h"
#include "standin/store/document.h"
#include "tests/support/host_fixture.h"

namespace {

using standin::Bytes;
using standin::Host;
using standin::HostCall;
using standin::RecordKey;

constexpr uint32_t kOtVersion = 0x12050000;
constexpr int16_t kDoc = -2;

constexpr uint32_t Tag(const char* t) {
    return uint32_t(uint8_t(t[0])) << 24 | uint32_t(uint8_t(t[1])) << 16 | uint32_t(uint8_t(t[2])) << 8 |
           uint32_t(uint8_t(t[3]));
}

struct Key {
    uint8_t bytes[8] = {};
    explicit Key(int16_t itemNo = 0, int16_t second = 0, int16_t third = 0) {
        RecordKey{{itemNo, second, third, 0}}.ToBytes(bytes);
    }
};

Bytes Words(std::array<uint16_t, 6> words) {
    Bytes out;
    for (uint16_t w : words) {
        out.push_back(static_cast<uint8_t>(w & 0xFF));
        out.push_back(static_cast<uint8_t>(w >> 8));
    }
    return out;
}

// Twelve distinct bytes per (tag, item, inci), so that a piece in the wrong place shows.
Bytes Pattern(uint32_t tag, int16_t itemNo, int16_t inci) {
    Bytes out(12);
    for (int i = 0; i < 12; ++i)
        out[i] = static_cast<uint8_t>((tag & 0xFF) * 7 + itemNo * 13 + inci * 31 + i);
    return out;
}

void PutOt(const char* tag, int16_t inci, Bytes data, int16_t itemNo = kDoc) {
    Host().Doc().Put(Tag(tag), RecordKey::Other(itemNo, inci), std::move(data));
}

Bytes OtRecord(const char* tag, int16_t inci, int16_t itemNo = kDoc) {
    const Bytes* record = Host().Doc().Find(Tag(tag), RecordKey::Other(itemNo, inci));
    return record != nullptr ? *record : Bytes();
}

uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t U32(const uint8_t* p) {
    return U16(p) | uint32_t{U16(p + 2)} << 16;
}
void PutU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

std::size_t DataCalls() {
    return Host().CallsTo("FX_LoadEData").size() + Host().CallsTo("FX_SaveEData").size();
}

// A logged load or save at an ot record: tag, the key (item, inci), size or capacity 12, version 0x12050000.
void ExpectOtCall(const HostCall& call, uint32_t tag, int16_t itemNo, int16_t inci) {
    ASSERT_EQ(call.args.size(), 8u);
    EXPECT_EQ(call.args[0], tag);
    EXPECT_EQ(call.args[1], itemNo);
    EXPECT_EQ(call.args[2], inci);
    EXPECT_EQ(call.args[3], 0);
    EXPECT_EQ(call.args[6], 12);
    EXPECT_EQ(call.args[7], kOtVersion);
}

class PreferenceTranslation : public testsupport::HostFixture {
  protected:
    void SetUp() override {
        HostFixture::SetUp();
        Host().LogCalls(true);
    }

    // Loads a preference record into a buffer of `capacity` bytes filled with 0xEE.
    int32_t Load(uint32_t tag, int16_t itemNo, uint32_t capacity, Bytes* out) {
        out->assign(capacity, 0xEE);
        Key key(itemNo);
        uint32_t size = capacity;
        const int32_t result = host::FX_LoadEData(tag, key.bytes, out->data(), &size, kOtVersion);
        if (result != 0) out->resize(size);
        return result;
    }
    int32_t Save(uint32_t tag, int16_t itemNo, const Bytes& data, uint32_t version = kOtVersion) {
        Key key(itemNo);
        return host::FX_SaveEData(tag, key.bytes, data.data(), static_cast<uint32_t>(data.size()), version);
    }
};

// ---- Piece-wise records ----

TEST_F(PreferenceTranslation, PfGGSizeQueryReports132AndASmallerBufferIsRefused) {
    Key key;
    uint32_t size = 0;
    EXPECT_EQ(host::FX_LoadEData(Tag("pfGG"), key.bytes, nullptr, &size, kOtVersion), 1);
    EXPECT_EQ(size, 132u);

    Bytes buffer;
    EXPECT_EQ(Load(Tag("pfGG"), 0, 131, &buffer), 0);
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](uint8_t b) { return b == 0xEE; }));
    EXPECT_EQ(DataCalls(), 0u);

    uint32_t* noSize = nullptr;
    EXPECT_EQ(host::FX_LoadEData(Tag("pfGG"), key.bytes, buffer.data(), noSize, kOtVersion), 0);
}

// Each piece puts the bytes the host reported at its slot: a short piece (the last one here, 8 bytes) leaves
// the rest of its slot as the buffer held it.
TEST_F(PreferenceTranslation, PfGGIsElevenOt88PiecesLaidEndToEnd) {
    for (int16_t i = 0; i < 11; ++i) PutOt("ot88", i, Pattern(Tag("ot88"), kDoc, i));
    Bytes shortPiece = Pattern(Tag("ot88"), kDoc, 10);
    shortPiece.resize(8);
    PutOt("ot88", 10, shortPiece);
    Bytes buffer;
    ASSERT_EQ(Load(Tag("pfGG"), 0, 140, &buffer), 1);
    ASSERT_EQ(buffer.size(), 132u);
    const std::vector<HostCall> loads = Host().CallsTo("FX_LoadEData");
    ASSERT_EQ(loads.size(), 11u);
    for (int16_t i = 0; i < 11; ++i) {
        ExpectOtCall(loads[i], Tag("ot88"), kDoc, i);
        Bytes expected = Pattern(Tag("ot88"), kDoc, i);
        if (i == 10) std::fill(expected.begin() + 8, expected.end(), 0xEE);
        EXPECT_EQ(Bytes(buffer.begin() + 12 * i, buffer.begin() + 12 * (i + 1)), expected) << i;
    }
}

struct ItemCase {
    const char* tag;
    int16_t itemNo;
    bool served;
    const char* otTag;
    int16_t firstInci;
};

const ItemCase kItemCases[] = {
    {"pfSN", 129, false, "", 0},      {"pfSN", 0, false, "", 0},     {"pfSN", 1, true, "ot40", 0},
    {"pfSN", 128, true, "ot40", 127}, {"pfGs", 2, false, "", 0},     {"pfGs", 0, false, "", 0},
    {"pfGs", 1, true, "ot91", 0},     {"pfGb", 4, true, "ot98", 3},  {"pfGb", 5, false, "", 0},
    {"pfSl", 15, true, "ot26", 14},   {"pfSl", 16, false, "", 0},    {"pfTs", 9, true, "ot90", 8},
    {"pfTs", -2, false, "", 0},       {"pfPF", 2, false, "", 0},     {"pfPF", -1, false, "", 0},
    {"pfGD", 77, true, "ot79", 0},    {"pfND", -2, true, "ot04", 0},
};

TEST_F(PreferenceTranslation, TheItemConditionPicksTheFirstIncidentOrFailsWithoutAHostCall) {
    for (const ItemCase& c : kItemCases) {
        SCOPED_TRACE(testing::Message() << c.tag << " item " << c.itemNo);
        Host().Reset();
        Host().LogCalls(true);
        const uint32_t tag = Tag(c.tag);
        Bytes piece;
        if (c.served) {
            const uint32_t otTag = Tag(c.otTag);
            piece = Pattern(otTag, kDoc, c.firstInci);
            Host().Doc().Put(otTag, RecordKey::Other(kDoc, c.firstInci), piece);
        }
        Bytes buffer;
        EXPECT_EQ(Load(tag, c.itemNo, 12, &buffer), c.served ? 1 : 0);
        EXPECT_EQ(Save(tag, c.itemNo, Bytes(12, 1)), c.served ? 1 : 0);
        if (!c.served) {
            EXPECT_EQ(DataCalls(), 0u);
            continue;
        }
        EXPECT_EQ(buffer, piece);
        ExpectOtCall(Host().CallsTo("FX_LoadEData").at(0), Tag(c.otTag), kDoc, c.firstInci);
        ExpectOtCall(Host().CallsTo("FX_SaveEData").at(0), Tag(c.otTag), kDoc, c.firstInci);
    }
}

TEST_F(PreferenceTranslation, PieceWiseSaveWritesEachTwelveByteSliceToItsIncident) {
    Bytes record(60);
    for (std::size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(i * 3 + 1);
    EXPECT_EQ(Save(Tag("pfTC"), 0, Bytes(59, 0)), 0);
    Key key;
    EXPECT_EQ(host::FX_SaveEData(Tag("pfTC"), key.bytes, nullptr, 60, kOtVersion), 0);
    EXPECT_EQ(DataCalls(), 0u);

    ASSERT_EQ(Save(Tag("pfTC"), 0, record), 1);
    const std::vector<HostCall> saves = Host().CallsTo("FX_SaveEData");
    ASSERT_EQ(saves.size(), 5u);
    for (int16_t i = 0; i < 5; ++i) {
        ExpectOtCall(saves[i], Tag("ot86"), kDoc, i);
        EXPECT_EQ(OtRecord("ot86", i), Bytes(record.begin() + 12 * i, record.begin() + 12 * (i + 1)));
    }
}

TEST_F(PreferenceTranslation, PfPFIsFieldWiseForItemZeroAndFourOt77PiecesForItemOne) {
    for (int16_t i = 0; i < 4; ++i) PutOt("ot77", i, Pattern(Tag("ot77"), kDoc, i));
    PutOt("ot14", 0, Words({0x1234, 0x5678, 0, 0, 0, 0}));
    PutOt("ot15", 0, Words({0, 0, 0x9ABC, 0xDEF0, 0, 0}));
    PutOt("ot39", 0, Words({0, 0, 0x0102, 0, 0, 0}));
    PutOt("ot16", 0, Words({0x1111, 0x2222, 0x3333, 0x4444, 0, 0}));

    Bytes fieldWise;
    ASSERT_EQ(Load(Tag("pfPF"), 0, 48, &fieldWise), 1);
    ASSERT_EQ(fieldWise.size(), 48u);
    EXPECT_EQ(U32(&fieldWise[0]), 0x12345678u);
    EXPECT_EQ(U32(&fieldWise[4]), 0x9ABCDEF0u);
    EXPECT_EQ(U16(&fieldWise[8]), 0x0102);
    EXPECT_EQ(U16(&fieldWise[10]), 0x1111);
    EXPECT_EQ(U16(&fieldWise[16]), 0x4444);
    EXPECT_EQ(Host().CallsTo("FX_LoadEData").size(), 9u) << "nine distinct ot records, each loaded once";

    Bytes pieces;
    ASSERT_EQ(Load(Tag("pfPF"), 1, 48, &pieces), 1);
    ASSERT_EQ(pieces.size(), 48u);
    for (int16_t i = 0; i < 4; ++i) {
        EXPECT_EQ(Bytes(pieces.begin() + 12 * i, pieces.begin() + 12 * (i + 1)),
                  Pattern(Tag("ot77"), kDoc, i));
    }
}

TEST_F(PreferenceTranslation, AMissingPieceReadsAsZerosAndAnAbsentLoadFunctionStillReportsSuccess) {
    PutOt("ot25", 1, Pattern(Tag("ot25"), kDoc, 1));  // only the second of pfMM's two pieces
    Bytes buffer;
    ASSERT_EQ(Load(Tag("pfMM"), 0, 24, &buffer), 1);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 12), Bytes(12, 0));
    EXPECT_EQ(Bytes(buffer.begin() + 12, buffer.end()), Pattern(Tag("ot25"), kDoc, 1));

    Host().HideFunction("FX_LoadEData");
    host::gBindingCache = host::BindingCache();
    ASSERT_EQ(Load(Tag("pfMM"), 0, 24, &buffer), 1);
    EXPECT_EQ(buffer, Bytes(24, 0));
    ASSERT_EQ(Load(Tag("pfPL"), 0, 14, &buffer), 1);
    EXPECT_EQ(buffer, Bytes(14, 0));
}

// ---- Field-wise records ----

const char* const kFieldTags[] = {"pfPF", "pfSI", "pfEX", "pfPB", "pfSS",
                                  "pfPL", "pfMS", "pfDP", "pfRP", "pf05"};

// Puts every ot record that `tag`'s fields name into the document, each with its own words. Words that a
// negated flag or a low byte is taken from hold values those kinds give back unchanged (0 or 1; a
// sign-extended byte), so that saving the record as loaded changes nothing. Returns the ot records as (tag,
// item, inci).
std::set<std::vector<int64_t>> PutEveryOtRecord(uint32_t tag) {
    const host::prefs::FieldTable* table = host::prefs::FindFieldTable(tag, 0);
    std::map<std::vector<int64_t>, Bytes> records;
    for (std::size_t i = 0; table != nullptr && i < table->count; ++i) {
        const host::prefs::FieldDescriptor& d = table->fields[i];
        const std::vector<int64_t> id{host::prefs::OtTagOf(d), host::prefs::OtItemOf(d), d.inci};
        Bytes& bytes = records[id];
        if (bytes.empty()) bytes = Pattern(host::prefs::OtTagOf(d), host::prefs::OtItemOf(d), d.inci);
        uint8_t* word = &bytes[2 * d.word];
        if (d.kind == host::prefs::kNegatedFlag) PutU16(word, word[0] & 1);
        if (d.kind == host::prefs::kLowByte)
            PutU16(word, static_cast<uint16_t>(static_cast<int8_t>(word[0])));
    }
    std::set<std::vector<int64_t>> ids;
    for (const auto& [id, bytes] : records) {
        Host().Doc().Put(static_cast<uint32_t>(id[0]),
                         RecordKey::Other(static_cast<int16_t>(id[1]), static_cast<int16_t>(id[2])), bytes);
        ids.insert(id);
    }
    return ids;
}

TEST_F(PreferenceTranslation, EachOtRecordIsLoadedOncePerTransferAndAnUnchangedSaveWritesNothing) {
    for (const char* name : kFieldTags) {
        SCOPED_TRACE(name);
        Host().Reset();
        Host().LogCalls(true);
        const uint32_t tag = Tag(name);
        Key key;
        uint32_t size = 0;
        ASSERT_EQ(host::FX_LoadEData(tag, key.bytes, nullptr, &size, kOtVersion), 1);

        const std::set<std::vector<int64_t>> records = PutEveryOtRecord(tag);
        Bytes record;
        ASSERT_EQ(Load(tag, 0, size, &record), 1);
        EXPECT_EQ(record.size(), size);
        const std::vector<HostCall> loads = Host().CallsTo("FX_LoadEData");
        std::set<std::vector<int64_t>> loaded;
        for (const HostCall& c : loads) {
            ExpectOtCall(c, static_cast<uint32_t>(c.args[0]), static_cast<int16_t>(c.args[1]),
                         static_cast<int16_t>(c.args[2]));
            loaded.insert({c.args[0], c.args[1], c.args[2]});
        }
        EXPECT_EQ(loads.size(), records.size()) << "each ot record loaded once";
        EXPECT_EQ(loaded, records);

        const standin::Document before = Host().Doc();
        Host().ClearCalls();
        ASSERT_EQ(Save(tag, 0, record), 1);
        EXPECT_EQ(Host().CallsTo("FX_LoadEData").size(), loads.size());
        EXPECT_TRUE(Host().CallsTo("FX_SaveEData").empty());
        EXPECT_TRUE(Host().Doc() == before);
    }
}

TEST_F(PreferenceTranslation, ChangingOneFieldWritesBackOnlyTheOtRecordThatHoldsIt) {
    // pfSS field at offset 64 is word 2 of otS1 (item -2, inci 0), which also serves offsets 24 and 26.
    PutEveryOtRecord(Tag("pfSS"));
    Bytes record;
    ASSERT_EQ(Load(Tag("pfSS"), 0, 108, &record), 1);
    const Bytes otS1Before = OtRecord("otS1", 0);
    PutU16(&record[64], 0x4321);

    Host().ClearCalls();
    ASSERT_EQ(Save(Tag("pfSS"), 0, record), 1);
    const std::vector<HostCall> saves = Host().CallsTo("FX_SaveEData");
    ASSERT_EQ(saves.size(), 1u);
    ExpectOtCall(saves[0], Tag("otS1"), kDoc, 0);
    Bytes expected = otS1Before;
    PutU16(&expected[4], 0x4321);
    EXPECT_EQ(OtRecord("otS1", 0), expected);

    Bytes reloaded;
    ASSERT_EQ(Load(Tag("pfSS"), 0, 108, &reloaded), 1);
    EXPECT_EQ(reloaded, record);
}

// One field of a field-wise record per kind: what the ot words give on loading, and what a new field value
// puts back into them.
struct FieldKindCase {
    const char* prefTag;
    uint16_t offset;
    uint16_t width;
    const char* otTag;
    int16_t otItem;
    int16_t otInci;
    int word;
    uint16_t wordsBefore[2];
    uint32_t loaded;
    uint32_t saved;
    uint16_t wordsAfter[2];
};

const FieldKindCase kFieldKindCases[] = {
    // kind 0: pfEX offset 0 is word 1 of ot77 incident 4
    {"pfEX", 0, 2, "ot77", kDoc, 4, 1, {0xBEEF, 0}, 0xBEEF, 0x8001, {0x8001, 0}},
    // kind 1: pfPF offset 4 is words 2 and 3 of ot15, high half first
    {"pfPF", 4, 4, "ot15", kDoc, 0, 2, {0x1234, 0x5678}, 0x12345678, 0xFFFE0001, {0xFFFE, 0x0001}},
    // kind 3: pfMS offset 18 is the negation of word 0 of ot31 incident 1
    {"pfMS", 18, 2, "ot31", kDoc, 1, 0, {0, 0}, 1, 0, {1, 0}},
    {"pfMS", 18, 2, "ot31", kDoc, 1, 0, {9, 0}, 0, 7, {0, 0}},
    // kind 4: pfSS offset 28 is the low byte of word 0 of otFI item 11, saved sign-extended
    {"pfSS", 28, 2, "otFI", 11, 0, 0, {0x12F0, 0}, 0x00F0, 0x0080, {0xFF80, 0}},
    {"pfSS", 28, 2, "otFI", 11, 0, 0, {0x12F0, 0}, 0x00F0, 0x567F, {0x007F, 0}},
};

TEST_F(PreferenceTranslation, EachConversionKindWorksBothWays) {
    for (const FieldKindCase& c : kFieldKindCases) {
        SCOPED_TRACE(testing::Message()
                     << c.prefTag << " offset " << c.offset << " before " << std::hex << c.wordsBefore[0]);
        Host().Reset();
        Host().LogCalls(true);
        const uint32_t tag = Tag(c.prefTag);
        const uint32_t otTag = Tag(c.otTag);
        Key key;
        uint32_t size = 0;
        ASSERT_EQ(host::FX_LoadEData(tag, key.bytes, nullptr, &size, kOtVersion), 1);
        PutEveryOtRecord(tag);
        Bytes record;

        Bytes ot = *Host().Doc().Find(otTag, RecordKey::Other(c.otItem, c.otInci));
        PutU16(&ot[2 * c.word], c.wordsBefore[0]);
        if (c.width == 4) PutU16(&ot[2 * c.word + 2], c.wordsBefore[1]);
        Host().Doc().Put(otTag, RecordKey::Other(c.otItem, c.otInci), ot);

        ASSERT_EQ(Load(tag, 0, size, &record), 1);
        EXPECT_EQ(c.width == 4 ? U32(&record[c.offset]) : U16(&record[c.offset]), c.loaded);

        PutU16(&record[c.offset], static_cast<uint16_t>(c.saved));
        if (c.width == 4) PutU16(&record[c.offset + 2], static_cast<uint16_t>(c.saved >> 16));
        Host().ClearCalls();
        ASSERT_EQ(Save(tag, 0, record), 1);
        ASSERT_EQ(Host().CallsTo("FX_SaveEData").size(), 1u);
        ExpectOtCall(Host().CallsTo("FX_SaveEData")[0], otTag, c.otItem, c.otInci);
        const Bytes after = *Host().Doc().Find(otTag, RecordKey::Other(c.otItem, c.otInci));
        EXPECT_EQ(U16(&after[2 * c.word]), c.wordsAfter[0]);
        if (c.width == 4) {
            EXPECT_EQ(U16(&after[2 * c.word + 2]), c.wordsAfter[1]);
        }
        // The rest of the ot record is as it was.
        for (int w = 0; w < 6; ++w) {
            if (w == c.word || (c.width == 4 && w == c.word + 1)) continue;
            EXPECT_EQ(U16(&after[2 * w]), U16(&ot[2 * w])) << "word " << w;
        }
    }
}

TEST_F(PreferenceTranslation, PfSSReachesByte108AndABufferShortOfThatIsRefused) {
    Key key;
    uint32_t size = 0;
    ASSERT_EQ(host::FX_LoadEData(Tag("pfSS"), key.bytes, nullptr, &size, kOtVersion), 1);
    EXPECT_EQ(size, 108u);

    PutOt("otS3", 2, Words({0x0A0B, 0x0C0D, 0, 0, 0, 0}));
    Bytes buffer;
    Host().ClearCalls();
    EXPECT_EQ(Load(Tag("pfSS"), 0, 107, &buffer), 0);
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](uint8_t b) { return b == 0xEE; }));
    EXPECT_EQ(Load(Tag("pfPF"), 0, 47, &buffer), 0);
    EXPECT_EQ(Load(Tag("pfMS"), 0, 103, &buffer), 0);
    EXPECT_EQ(Save(Tag("pfSS"), 0, Bytes(107, 0)), 0);
    EXPECT_EQ(Save(Tag("pfSS"), 0, Bytes(86, 0)), 0);
    EXPECT_EQ(Save(Tag("pfPL"), 0, Bytes(13, 0)), 0);
    EXPECT_EQ(DataCalls(), 0u);

    ASSERT_EQ(Load(Tag("pfSS"), 0, 108, &buffer), 1);
    ASSERT_EQ(buffer.size(), 108u);
    EXPECT_EQ(U16(&buffer[106]), 0x0C0D);
    EXPECT_EQ(U16(&buffer[30]), 0xEEEE) << "the unused bytes after a low-byte field are left alone";
}

TEST_F(PreferenceTranslation, MissingOtRecordsGiveZerosNotWhatTheBufferHeld) {
    Bytes buffer;
    ASSERT_EQ(Load(Tag("pfRP"), 0, 40, &buffer), 1);
    EXPECT_EQ(buffer, Bytes(40, 0));
    // A negated flag over a missing word reads as set.
    ASSERT_EQ(Load(Tag("pfMS"), 0, 104, &buffer), 1);
    EXPECT_EQ(U16(&buffer[18]), 1);
    EXPECT_EQ(U16(&buffer[16]), 0);
}

// ---- Everything else ----

TEST_F(PreferenceTranslation, SavesBelowVersion0x08000000GoToTheHostUnchanged) {
    const Bytes record(132, 0x5A);
    Key key(3, 4);
    ASSERT_EQ(host::FX_SaveEData(Tag("pfGG"), key.bytes, record.data(), 132, 0x07FFFFFF), 1);
    const std::vector<HostCall> saves = Host().CallsTo("FX_SaveEData");
    ASSERT_EQ(saves.size(), 1u);
    EXPECT_EQ(saves[0].args, (std::vector<int64_t>{Tag("pfGG"), 3, 4, 0, 0, 1, 132, 0x07FFFFFF}));
    EXPECT_EQ(*Host().Doc().Find(Tag("pfGG"), RecordKey::Other(3, 4)), record);

    // A field-wise tag, too; at 0x08000000 the translation applies again.
    ASSERT_EQ(host::FX_SaveEData(Tag("pfSS"), key.bytes, record.data(), 5, 0x07000000), 1);
    EXPECT_EQ(Host().Doc().Find(Tag("pfSS"), RecordKey::Other(3, 4))->size(), 5u);
    Host().ClearCalls();
    EXPECT_EQ(host::FX_SaveEData(Tag("pfGD"), key.bytes, record.data(), 12, 0x08000000), 1);
    ASSERT_EQ(Host().CallsTo("FX_SaveEData").size(), 1u);
    ExpectOtCall(Host().CallsTo("FX_SaveEData")[0], Tag("ot79"), kDoc, 0);
}

struct PassCase {
    uint32_t tag;
    int16_t key[3];
    uint32_t version;
};

const PassCase kPassCases[] = {
    {0x534F4D53, {5, 0, 0}, 0x12000000}, {0x534F4953, {2, 0, 0}, 0x11000000},
    {0x534F4454, {9, 0, 0}, 0x12050000}, {0x534F5458, {4, 0, 0}, 0x12050000},
    {0x534F4459, {3, 2, 0}, 0x12050000}, {0x534F5359, {1, 0, 0}, 0x0F000000},
    {0x534F4D43, {6, 0, 0}, 0x11000000}, {0x6F744D47, {7, 0, 0}, 0x12050000},
    {0x6F744465, {8, 0, 0}, 0x12050000}, {0x4F025379, {2, 3, 0}, 0x12050000},
    {0x53444E47, {1, 2, 0}, 0x09000000}, {0x7478626C, {4, 0, 0}, 0x12050000},
    {0x74780003, {4, 0, 0}, 0x11000000}, {0x74787870, {5, 0, 0}, 0x12050000},
};

TEST_F(PreferenceTranslation, TagsOfTheProgramsOwnClassesPassThroughWithTheCallersArguments) {
    for (const PassCase& c : kPassCases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.tag);
        Host().Reset();
        Host().LogCalls(true);
        const RecordKey stored{{c.key[0], c.key[1], c.key[2], 0}};
        const Bytes record = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
        Host().Doc().Put(c.tag, stored, record);

        Key key(c.key[0], c.key[1], c.key[2]);
        Bytes buffer(20, 0xEE);
        uint32_t size = 20;
        ASSERT_EQ(host::FX_LoadEData(c.tag, key.bytes, buffer.data(), &size, c.version), 1);
        EXPECT_EQ(size, 13u);
        EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 13), record);
        EXPECT_EQ(buffer[13], 0xEE);
        const std::vector<int64_t> loadArgs{c.tag, c.key[0], c.key[1], c.key[2], 0, 1, 20, c.version};
        ASSERT_EQ(Host().CallsTo("FX_LoadEData").size(), 1u);
        EXPECT_EQ(Host().CallsTo("FX_LoadEData")[0].args, loadArgs);

        const Bytes changed = {9, 9, 9};
        ASSERT_EQ(host::FX_SaveEData(c.tag, key.bytes, changed.data(), 3, c.version), 1);
        const std::vector<int64_t> saveArgs{c.tag, c.key[0], c.key[1], c.key[2], 0, 1, 3, c.version};
        ASSERT_EQ(Host().CallsTo("FX_SaveEData").size(), 1u);
        EXPECT_EQ(Host().CallsTo("FX_SaveEData")[0].args, saveArgs);
        EXPECT_EQ(*Host().Doc().Find(c.tag, stored), changed);
        EXPECT_EQ(Host().Doc().RecordCount(), 1u);
    }
}

constexpr uint32_t kPartlyFilledTag = 0x4F096649;

TEST_F(PreferenceTranslation, ThePartlyFilledRecordIsClearedAndAskedForTwiceWhenPresent) {
    Bytes stored(108);
    for (std::size_t i = 0; i < stored.size(); ++i) stored[i] = static_cast<uint8_t>(i + 1);
    Host().Doc().Put(kPartlyFilledTag, RecordKey::Other(1), stored);

    Key key(1);
    Bytes buffer(120, 0xEE);
    uint32_t size = 120;
    ASSERT_EQ(host::FX_LoadEData(kPartlyFilledTag, key.bytes, buffer.data(), &size, 0x12050000), 1);
    EXPECT_EQ(size, 108u);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 108), stored);
    const std::vector<HostCall> loads = Host().CallsTo("FX_LoadEData");
    ASSERT_EQ(loads.size(), 2u);
    EXPECT_EQ(loads[0].args, (std::vector<int64_t>{kPartlyFilledTag, 1, 0, 0, 0, 1, 120, 0x12050000}));
    // The second call gets the size the first one reported.
    EXPECT_EQ(loads[1].args, (std::vector<int64_t>{kPartlyFilledTag, 1, 0, 0, 0, 1, 108, 0x12050000}));
}

TEST_F(PreferenceTranslation, AnAbsentPartlyFilledRecordFailsWithTheBufferClearedWithinItsCapacity) {
    Key key(2);
    Bytes buffer(120, 0xEE);
    uint32_t size = 120;
    EXPECT_EQ(host::FX_LoadEData(kPartlyFilledTag, key.bytes, buffer.data(), &size, 0x12050000), 0);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 108), Bytes(108, 0));
    EXPECT_EQ(Bytes(buffer.begin() + 108, buffer.end()), Bytes(12, 0xEE));
    EXPECT_EQ(Host().CallsTo("FX_LoadEData").size(), 1u);

    // A buffer smaller than 108 bytes is cleared only as far as the caller said it reaches.
    buffer.assign(120, 0xEE);
    size = 40;
    EXPECT_EQ(host::FX_LoadEData(kPartlyFilledTag, key.bytes, buffer.data(), &size, 0x12050000), 0);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 40), Bytes(40, 0));
    EXPECT_EQ(buffer[40], 0xEE);

    // A size query goes to the host once, as for any other tag.
    Host().Doc().Put(kPartlyFilledTag, RecordKey::Other(2), Bytes(108, 1));
    Host().ClearCalls();
    size = 0;
    EXPECT_EQ(host::FX_LoadEData(kPartlyFilledTag, key.bytes, nullptr, &size, 0x12050000), 1);
    EXPECT_EQ(size, 108u);
    EXPECT_EQ(Host().CallsTo("FX_LoadEData").size(), 1u);
}

}  // namespace
