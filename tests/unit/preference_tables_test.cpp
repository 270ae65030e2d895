// The piece and field tables of the preference records, checked against the figures they must meet, and the
// conversion of one field by each kind.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "host/preference_tables.h"

namespace {

using host::prefs::FieldDescriptor;
using host::prefs::FieldTable;
using host::prefs::PieceTable;

std::vector<FieldDescriptor> FieldsOf(uint32_t tag, int16_t itemNo = 0) {
    const FieldTable* table = host::prefs::FindFieldTable(tag, itemNo);
    if (table == nullptr) return {};
    return std::vector<FieldDescriptor>(table->fields, table->fields + table->count);
}

// How many tables a list holds, by its own count.
template <typename Table>
std::size_t CountOf(const Table* (*list)(std::size_t*)) {
    std::size_t count = 0;
    list(&count);
    return count;
}

// ---- Piece table ----

struct PieceCase {
    uint32_t tag;
    uint32_t otTag;
    uint16_t pieces;
    bool anyItem;
    int16_t minItem;
    int16_t maxItem;
};

const PieceCase kPieceCases[] = {
    {0x70664744, 0x6F743739, 1, true, 0, 0},    {0x70664747, 0x6F743838, 11, true, 0, 0},
    {0x70664762, 0x6F743938, 1, false, 1, 4},   {0x70664764, 0x6F743830, 1, true, 0, 0},
    {0x70664773, 0x6F743931, 1, false, 1, 1},   {0x70664D4D, 0x6F743235, 2, true, 0, 0},
    {0x70664E44, 0x6F743034, 1, true, 0, 0},    {0x70664E64, 0x6F743636, 1, true, 0, 0},
    {0x70665046, 0x6F743737, 4, false, 1, 1},   {0x70665343, 0x6F743532, 2, true, 0, 0},
    {0x7066534E, 0x6F743430, 1, false, 1, 128}, {0x70665350, 0x6F743934, 3, true, 0, 0},
    {0x7066536C, 0x6F743236, 1, false, 1, 15},  {0x70665443, 0x6F743836, 5, true, 0, 0},
    {0x70665449, 0x6F743834, 4, true, 0, 0},    {0x70665458, 0x6F743738, 8, true, 0, 0},
    {0x70665470, 0x6F743835, 4, true, 0, 0},    {0x70665473, 0x6F743930, 1, false, 1, 9},
};

TEST(PieceTable, HoldsExactlyTheEighteenRecordsWithTheirPiecesAndConditions) {
    EXPECT_EQ(CountOf(host::prefs::PieceTables), std::size(kPieceCases));
    for (const PieceCase& c : kPieceCases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.tag);
        const PieceTable* entry = host::prefs::FindPieceTable(c.tag);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->otTag, c.otTag);
        EXPECT_EQ(entry->pieces, c.pieces);
        EXPECT_EQ(entry->anyItem, c.anyItem);
        if (!c.anyItem) {
            EXPECT_EQ(entry->minItem, c.minItem);
            EXPECT_EQ(entry->maxItem, c.maxItem);
        }
    }
}

TEST(PieceTable, TagsOfTheProgramsOwnRecordsAreNotInEitherTable) {
    const uint32_t tags[] = {0x534F4D53, 0x534F4953, 0x534F4454, 0x534F5458, 0x534F4459,
                             0x534F5359, 0x534F4D43, 0x6F744D47, 0x6F744465, 0x4F025379,
                             0x53444E47, 0x7478626C, 0x74787870, 0x4F096649};
    for (uint32_t tag : tags) {
        EXPECT_EQ(host::prefs::FindPieceTable(tag), nullptr) << std::hex << tag;
        EXPECT_EQ(host::prefs::FindFieldTable(tag, 0), nullptr) << std::hex << tag;
    }
}

// ---- Field tables: the figures ----

struct FieldFigures {
    uint32_t tag;
    std::size_t descriptors;
    uint32_t widthSum;
    uint32_t extent;
    std::size_t distinctRecords;
    std::set<uint32_t> kinds;
};

const FieldFigures kFieldFigures[] = {
    {0x70665046, 22, 48, 48, 9, {0, 1}},
    {0x70665349, 23, 54, 54, 15, {0, 1}},
    {0x70664558, 25, 50, 50, 5, {0}},
    {0x70665042, 11, 44, 44, 5, {1}},
    {0x70665353, 43, 96, 108, 12, {0, 1, 4}},
    {0x7066504C, 7, 14, 14, 4, {0}},
    {0x70664D53, 49, 104, 104, 23, {0, 1, 3, 4}},
    {0x70664450, 36, 76, 76, 15, {0, 1}},
    {0x70665250, 20, 40, 40, 5, {0}},
    {0x70663035, 11, 22, 22, 9, {0}},
};

TEST(FieldTables, EachListMeetsItsCountSizeRecordsAndKinds) {
    EXPECT_EQ(CountOf(host::prefs::FieldTables), std::size(kFieldFigures));
    for (const FieldFigures& f : kFieldFigures) {
        SCOPED_TRACE(testing::Message() << std::hex << f.tag);
        const FieldTable* table = host::prefs::FindFieldTable(f.tag, 0);
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->count, f.descriptors);
        EXPECT_EQ(host::prefs::WidthSum(*table), f.widthSum);
        EXPECT_EQ(host::prefs::RecordExtent(*table), f.extent);
        std::set<std::tuple<char, char, int16_t, int16_t>> records;
        std::set<uint32_t> kinds;
        for (const FieldDescriptor& d : FieldsOf(f.tag)) {
            records.insert({d.ot[0], d.ot[1], d.itemNo, d.inci});
            kinds.insert(d.kind);
        }
        EXPECT_EQ(records.size(), f.distinctRecords);
        EXPECT_EQ(kinds, f.kinds);
    }
}

TEST(FieldTables, EveryFieldFitsItsWidthAndItsOtRecord) {
    for (const FieldFigures& f : kFieldFigures) {
        const std::vector<FieldDescriptor> fields = FieldsOf(f.tag);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const FieldDescriptor& d = fields[i];
            SCOPED_TRACE(testing::Message() << std::hex << f.tag << std::dec << " descriptor " << i);
            const bool twoWords = d.kind == 1 || d.kind == 2;
            EXPECT_EQ(d.width, twoWords ? 4 : 2);
            EXPECT_LE(d.kind, 4u);
            EXPECT_LE(d.word + (twoWords ? 2 : 1), 6);
            // No two fields share bytes of the preference record, nor words of one ot record.
            for (std::size_t j = 0; j < i; ++j) {
                const FieldDescriptor& e = fields[j];
                EXPECT_TRUE(d.offset >= e.offset + e.width || e.offset >= d.offset + d.width)
                    << "overlaps " << j;
                if (host::prefs::SameOtRecord(d, e)) {
                    const int dEnd = d.word + (twoWords ? 2 : 1);
                    const int eEnd = e.word + ((e.kind == 1 || e.kind == 2) ? 2 : 1);
                    EXPECT_TRUE(d.word >= eEnd || e.word >= dEnd) << "shares a word with " << j;
                }
            }
        }
    }
}

TEST(FieldTables, OffsetsIncreaseExceptForTheLastFourOfPfEX) {
    for (const FieldFigures& f : kFieldFigures) {
        const std::vector<FieldDescriptor> fields = FieldsOf(f.tag);
        const std::size_t ordered = f.tag == 0x70664558 ? fields.size() - 4 : fields.size();
        for (std::size_t i = 1; i < ordered; ++i) {
            EXPECT_LT(fields[i - 1].offset, fields[i].offset) << std::hex << f.tag << std::dec << " at " << i;
        }
    }
}

// ---- Field tables: the telling rows ----

using Row = std::tuple<std::string, int16_t, int16_t, uint16_t, uint16_t, uint16_t, uint32_t>;

Row RowOf(const FieldDescriptor& d) {
    return {std::string("ot") + d.ot[0] + d.ot[1], d.itemNo, d.inci, d.offset, d.word, d.width, d.kind};
}

TEST(FieldTables, PfPFBeginsWithItsSevenKnownRows) {
    const std::vector<FieldDescriptor> fields = FieldsOf(0x70665046);
    ASSERT_GE(fields.size(), 7u);
    const Row expected[] = {
        {"ot14", 0, 0, 0, 0, 4, 1},  {"ot15", 0, 0, 4, 2, 4, 1},  {"ot39", 0, 0, 8, 2, 2, 0},
        {"ot16", 0, 0, 10, 0, 2, 0}, {"ot16", 0, 0, 12, 1, 2, 0}, {"ot16", 0, 0, 14, 2, 2, 0},
        {"ot16", 0, 0, 16, 3, 2, 0},
    };
    for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(RowOf(fields[i]), expected[i]) << i;
}

TEST(FieldTables, PfEXReadsOt77IncidentsFourToEightWithItsLastFourFieldsOutOfOrder) {
    std::vector<Row> expected;
    uint16_t offset = 0;
    for (uint16_t word = 1; word <= 5; ++word, offset += 2)
        expected.push_back({"ot77", 0, 4, offset, word, 2, 0});
    for (int16_t inci = 5; inci <= 7; ++inci) {
        for (uint16_t word = 0; word <= 5; ++word) {
            if (inci == 7 && word >= 4) break;
            expected.push_back({"ot77", 0, inci, offset, word, 2, 0});
            offset += 2;
        }
    }
    expected.push_back({"ot77", 0, 7, 46, 4, 2, 0});
    expected.push_back({"ot77", 0, 7, 48, 5, 2, 0});
    expected.push_back({"ot77", 0, 8, 42, 0, 2, 0});
    expected.push_back({"ot77", 0, 8, 44, 1, 2, 0});
    std::vector<Row> actual;
    for (const FieldDescriptor& d : FieldsOf(0x70664558)) actual.push_back(RowOf(d));
    EXPECT_EQ(actual, expected);
}

TEST(FieldTables, PfSSUsesOtFIItemsElevenAndTwelveAndSixLowByteFieldsFourBytesApart) {
    std::set<int16_t> otFIItems;
    std::vector<uint16_t> lowByteOffsets;
    for (const FieldDescriptor& d : FieldsOf(0x70665353)) {
        if (d.ot[0] == 'F' && d.ot[1] == 'I') otFIItems.insert(d.itemNo);
        if (d.kind == 4) lowByteOffsets.push_back(d.offset);
    }
    EXPECT_EQ(otFIItems, (std::set<int16_t>{11, 12}));
    EXPECT_EQ(lowByteOffsets, (std::vector<uint16_t>{28, 32, 36, 40, 44, 48}));
}

// ---- One field, each kind, both ways ----

struct KindCase {
    uint32_t kind;
    uint16_t width;
    uint16_t wordsBefore[2];  // words 2 and 3 of the ot record
    uint32_t loaded;          // the field after loading
    uint32_t saved;           // a new field value to save
    uint16_t wordsAfter[2];   // words 2 and 3 after saving it
};

const KindCase kKindCases[] = {
    {0, 2, {0xBEEF, 0x1111}, 0xBEEF, 0x0102, {0x0102, 0x1111}},
    {1, 4, {0x1234, 0x5678}, 0x12345678, 0xCAFEF00D, {0xCAFE, 0xF00D}},
    {2, 4, {0x1234, 0x5678}, 0x56781234, 0xCAFEF00D, {0xF00D, 0xCAFE}},
    {3, 2, {0x0000, 0x1111}, 1, 0, {0x0001, 0x1111}},
    {3, 2, {0x0007, 0x1111}, 0, 5, {0x0000, 0x1111}},
    {4, 2, {0x12F0, 0x1111}, 0x00F0, 0x0080, {0xFF80, 0x1111}},
    {4, 2, {0x7F01, 0x1111}, 0x0001, 0x347F, {0x007F, 0x1111}},
};

TEST(FieldConversion, EachKindLoadsAndSavesItsWords) {
    for (const KindCase& c : kKindCases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " word " << std::hex << c.wordsBefore[0]);
        const FieldDescriptor field{{'9', '9'}, 0, 0, 2, 2, c.width, c.kind};
        uint16_t words[6] = {0xAAAA, 0xBBBB, c.wordsBefore[0], c.wordsBefore[1], 0xCCCC, 0xDDDD};
        uint8_t record[8];
        std::fill(std::begin(record), std::end(record), uint8_t{0xEE});

        host::prefs::LoadField(field, words, record, sizeof record);
        const uint32_t loaded =
            c.width == 4 ? (record[2] | record[3] << 8 | record[4] << 16 | uint32_t{record[5]} << 24)
                         : (record[2] | record[3] << 8);
        EXPECT_EQ(loaded, c.loaded);
        EXPECT_EQ(record[0], 0xEE);  // nothing outside the field is written
        EXPECT_EQ(record[2 + c.width], 0xEE);

        // A new value goes back into exactly the words the field spans.
        for (int b = 0; b < c.width; ++b) record[2 + b] = static_cast<uint8_t>(c.saved >> (8 * b));
        EXPECT_TRUE(host::prefs::StoreField(field, record, sizeof record, words));
        EXPECT_EQ(words[2], c.wordsAfter[0]);
        EXPECT_EQ(words[3], c.wordsAfter[1]);
        EXPECT_EQ(words[1], 0xBBBB);
        EXPECT_EQ(words[4], 0xCCCC);
        EXPECT_FALSE(host::prefs::StoreField(field, record, sizeof record, words))
            << "a second save changes nothing";
    }
}

TEST(FieldConversion, AFieldBeyondTheGivenSizeIsNeitherWrittenNorRead) {
    const FieldDescriptor field{{'9', '9'}, 0, 0, 6, 0, 4, 1};
    uint16_t words[6] = {1, 2, 3, 4, 5, 6};
    uint8_t record[8] = {};
    host::prefs::LoadField(field, words, record, 8);  // bytes 6 to 9 do not fit 8
    EXPECT_EQ(record[6], 0);
    EXPECT_EQ(record[7], 0);
    EXPECT_FALSE(host::prefs::StoreField(field, record, 8, words));
    EXPECT_EQ(words[0], 1);
    EXPECT_EQ(words[1], 2);
}

}  // namespace
