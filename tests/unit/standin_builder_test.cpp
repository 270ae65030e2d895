// The stand-in's document builder: records written by field, at the sizes and offsets of each application
// version, and read back. Offsets in these tests are spelled out from the record layouts, independently of
// layouts.h, so that a wrong constant there shows up here.
#include <gtest/gtest.h>

#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "standin/host/host.h"
#include "standin/score/document_builder.h"
#include "tests/support/host_fixture.h"

namespace {

using standin::Bytes;
using standin::DocumentBuilder;
using standin::Host;
using standin::RecordKey;

constexpr uint32_t SOMS = 0x534F4D53, SOIS = 0x534F4953, SODT = 0x534F4454, SOTX = 0x534F5458,
                   SODY = 0x534F4459, SOSY = 0x534F5359, SOMC = 0x534F4D43, otMG = 0x6F744D47,
                   otDe = 0x6F744465, ASSIGN = 0x4F025379, SDNG = 0x53444E47, txbl = 0x7478626C,
                   txxp = 0x74787870;

uint16_t U16(const Bytes& b, std::size_t at) {
    return static_cast<uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}
uint32_t U32(const Bytes& b, std::size_t at) {
    return static_cast<uint32_t>(U16(b, at)) | (static_cast<uint32_t>(U16(b, at + 2)) << 16);
}

class StandinBuilder : public testsupport::HostFixture {
  protected:
    standin::Document& Doc() { return Host().Doc(); }
    const Bytes& Record(uint32_t tag, RecordKey key) {
        const Bytes* found = Doc().Find(tag, key);
        if (found == nullptr) throw std::runtime_error("no such record");
        return *found;
    }
};

TEST_F(StandinBuilder, RecordSizesFollowTheHostVersion) {
    struct Case {
        uint32_t version;
        std::size_t measure, staff, style, category, emptyDefinition;
    };
    const Case cases[] = {
        {0x0FFFFFFF, 26, 114, 144, 104, 36}, {0x10FFFFFF, 26, 114, 144, 104, 36},
        {0x11000000, 26, 132, 292, 296, 38}, {0x11FFFFFF, 26, 132, 292, 296, 38},
        {0x12000000, 30, 136, 296, 296, 38}, {0x12050000, 30, 136, 296, 296, 38},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.version);
        Host().Reset();
        DocumentBuilder b(Doc(), c.version);
        b.AddMeasures(1);
        b.AddStaff(1, "Flute");
        b.AddStaffStyle(1, "Oboe", true);
        b.AddCategory({1, 1, "Technique Text", 0, 12, 0});
        b.AddTextExpression(1, "x", "", 1);
        EXPECT_EQ(Record(SOMS, RecordKey::Other(1)).size(), c.measure);
        EXPECT_EQ(Record(SOIS, RecordKey::Other(1)).size(), c.staff);
        EXPECT_EQ(Record(SOSY, RecordKey::Other(1)).size(), c.style);
        EXPECT_EQ(Record(SOMC, RecordKey::Other(1)).size(), c.category);
        EXPECT_EQ(Record(SODT, RecordKey::Other(1)).size(), c.emptyDefinition);
    }
}

TEST(StandinText, EncodingsOfRecordTexts) {
    struct Case {
        const char* what;
        std::string utf8;
        bool wide;
        Bytes expected;
    };
    const Case cases[] = {
        {"wide Flute: five units and a zero unit",
         "Flute",
         true,
         {'F', 0, 'l', 0, 'u', 0, 't', 0, 'e', 0, 0, 0}},
        {"narrow Flute: five bytes and a zero byte", "Flute", false, {'F', 'l', 'u', 't', 'e', 0}},
        {"wide U+0100 kept", "\xC4\x80", true, {0x00, 0x01, 0, 0}},
        {"narrow Latin-1 letter", "\xC3\xA9", false, {0xE9, 0}},
        {"narrow letter beyond Latin-1", "\xC4\x80", false, {'?', 0}},
        {"wide character beyond the BMP as a pair", "\xF0\x9D\x84\x9E", true, {0x34, 0xD8, 0x1E, 0xDD, 0, 0}},
        {"empty wide", "", true, {0, 0}},
        {"empty narrow", "", false, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes encoded = standin::EncodeText(c.utf8, c.wide);
        EXPECT_EQ(encoded, c.expected);
        EXPECT_EQ(standin::DecodeText(encoded, 0, c.wide), c.wide || c.utf8 != "\xC4\x80" ? c.utf8 : "?");
    }
}

TEST(StandinText, DecodingStopsAtTheEndOfARecordWithoutTerminator) {
    EXPECT_EQ(standin::DecodeText(Bytes{'A', 'b'}, 0, false), "Ab");
    EXPECT_EQ(standin::DecodeText(Bytes{'A', 0, 'b', 0, 'c'}, 0, true), "Ab")
        << "an odd last byte is ignored";
    EXPECT_EQ(standin::DecodeText(Bytes{'A', 0}, 5, true), "") << "an offset past the end";
    EXPECT_EQ(standin::DecodeText(Bytes{'x', 'y', 0, 'z'}, 1, false), "y");
}

// Record bytes are decoded straight to UTF-8 (ASCII texts copied unit by unit); every sequence of up to three
// units from a mix of ASCII, Latin-1, BMP, paired and lone surrogates and the terminator must read as the
// units up to the terminator read through Utf16ToUtf8, in both encodings (8-bit units are the low bytes).
TEST(StandinText, DecodingRecordBytesAgreesWithUtf16ToUtf8) {
    const char16_t pool[] = {u'A', 0x00E9, 0x0100, 0xD834, 0xDD1E, 0xDC00, 0};
    const std::size_t n = std::size(pool);
    for (std::size_t count = 0; count <= 3; ++count) {
        std::size_t combinations = 1;
        for (std::size_t k = 0; k < count; ++k) combinations *= n;
        for (std::size_t c = 0; c < combinations; ++c) {
            std::u16string units;
            for (std::size_t k = 0, rest = c; k < count; ++k, rest /= n) units += pool[rest % n];
            Bytes wide;
            Bytes narrow;
            std::u16string narrowUnits;
            for (const char16_t u : units) {
                wide.push_back(static_cast<uint8_t>(u & 0xFF));
                wide.push_back(static_cast<uint8_t>(u >> 8));
                narrow.push_back(static_cast<uint8_t>(u & 0xFF));
                narrowUnits += static_cast<char16_t>(u & 0xFF);
            }
            const auto upToZero = [](const std::u16string& s) { return s.substr(0, s.find(u'\0')); };
            EXPECT_EQ(standin::DecodeText(wide, 0, true), standin::Utf16ToUtf8(upToZero(units))) << c;
            EXPECT_EQ(standin::DecodeText(narrow, 0, false), standin::Utf16ToUtf8(upToZero(narrowUnits)))
                << c;
        }
    }
}

TEST_F(StandinBuilder, StaffNameGoesThroughATextBlockAndAPlainRawText) {
    DocumentBuilder b(Doc(), 0x12050000);
    b.AddStaff(3, "^fontTxt(Times,4096)Flute");
    b.AddStaff(8, "Oboe", /*inScore=*/false);
    EXPECT_EQ(Host().StaffOrder(), std::vector<int16_t>{3});
    const uint16_t block = U16(Record(SOIS, RecordKey::Other(3)), 30);
    const Bytes& textBlock = Record(SOTX, RecordKey::Other(static_cast<int16_t>(block)));
    ASSERT_EQ(textBlock.size(), 26u);
    EXPECT_EQ(U16(textBlock, 8), 100);
    EXPECT_EQ(U16(textBlock, 14), 0x1A08);
    EXPECT_EQ(U16(textBlock, 24), 0x626C);
    const Bytes& raw = Record(txbl, RecordKey::Other(static_cast<int16_t>(U16(textBlock, 0))));
    EXPECT_EQ(standin::DecodeText(raw, 0, true), "^fontTxt(Times,4096)Flute");
    EXPECT_EQ(b.ReadTextBlockText(static_cast<int16_t>(block)), "^fontTxt(Times,4096)Flute");
    EXPECT_EQ(b.Count(SOTX), 2u);
    EXPECT_EQ(b.Count(txbl), 2u);
}

TEST_F(StandinBuilder, InstrumentChangeStyleSetsItsFlagsOnlyWhereTheLayoutHasThem) {
    DocumentBuilder modern(Doc(), 0x11000000);
    modern.AddStaffStyle(1, "Piccolo", true);
    modern.AddStaffStyle(2, "Mute", false);
    const Bytes& change = Record(SOSY, RecordKey::Other(1));
    EXPECT_EQ(U16(change, 74) & 0x01C4, 0x01C4);
    EXPECT_EQ(U16(change, 76) & 0x0003, 0x0003);
    EXPECT_NE(U16(change, 78) & 0x0020, 0);
    const Bytes& plain = Record(SOSY, RecordKey::Other(2));
    EXPECT_EQ(U16(plain, 74), 0);
    EXPECT_EQ(modern.ReadTextBlockText(static_cast<int16_t>(U16(change, 30))), "Piccolo");

    Host().Reset();
    DocumentBuilder old(Doc(), 0x10000000);
    old.AddStaffStyle(1, "Piccolo", true);
    const Bytes& small = Record(SOSY, RecordKey::Other(1));
    ASSERT_EQ(small.size(), 144u);
    for (std::size_t i = 32; i < small.size(); ++i) ASSERT_EQ(small[i], 0) << "byte " << i;
}

TEST_F(StandinBuilder, AssignmentsTakeTheNextIncidentOfTheirStaff) {
    DocumentBuilder b(Doc(), 0x12050000);
    EXPECT_EQ(b.AddStyleAssignment(4, 7, {2, 0}, {5, 0x7FFFFFFF}), 0);
    EXPECT_EQ(b.AddStyleAssignment(4, 8, {9, 1536}, {12, 768}), 1);
    EXPECT_EQ(b.AddStyleAssignment(5, 7, {1, 0}, {1, 0}), 0);
    const Bytes& second = Record(ASSIGN, RecordKey::Other(4, 1));
    ASSERT_EQ(second.size(), 24u);
    EXPECT_EQ(U16(second, 0), 8);
    EXPECT_EQ(U16(second, 12), 9);
    EXPECT_EQ(U32(second, 14), 1536u);
    EXPECT_EQ(U16(second, 18), 12);
    EXPECT_EQ(U32(second, 20), 768u);
    EXPECT_EQ(U32(Record(ASSIGN, RecordKey::Other(4, 0)), 20), 0x7FFFFFFFu);
}

TEST_F(StandinBuilder, MultiStaffInstrumentAndItsGroup) {
    DocumentBuilder b(Doc(), 0x12050000);
    b.AddMultiStaffInstrument(1, {2, 3}, 6);
    b.AddGroup(6, 2, 3, 1, "^size(14)Piano");
    const Bytes& instrument = Record(otMG, RecordKey::Other(1));
    ASSERT_EQ(instrument.size(), 12u);
    EXPECT_EQ(U16(instrument, 0), 2);
    EXPECT_EQ(U16(instrument, 2), 3);
    EXPECT_EQ(U16(instrument, 4), 0);
    EXPECT_EQ(U16(instrument, 6), 6);
    const Bytes& group = Record(SDNG, RecordKey::Detail(0, 6));
    ASSERT_EQ(group.size(), 36u);
    EXPECT_EQ(U16(group, 0), 2);
    EXPECT_EQ(U16(group, 2), 3);
    EXPECT_EQ(U16(group, 32), 1);
    EXPECT_EQ(b.ReadTextBlockText(static_cast<int16_t>(U16(group, 4))), "^size(14)Piano");
}

TEST_F(StandinBuilder, CategoryFieldsInBothLayouts) {
    struct Case {
        uint32_t version;
        std::size_t font, defaults, trailing;
        bool wide;
    };
    const Case cases[] = {{0x11000000, 260, 278, 294, true}, {0x10FFFFFF, 68, 86, 102, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.version);
        Host().Reset();
        DocumentBuilder b(Doc(), c.version);
        b.AddCategory({2, 5, "Technique Text", 14, -12, 0xFFFF, {1, 2, 3, 4, 5, 6}, 0xBEEF});
        b.AddCategory({3, 6, std::string(200, 'n'), 0, 0, 0});
        const Bytes& category = Record(SOMC, RecordKey::Other(2));
        EXPECT_EQ(U16(category, 0), 5);
        EXPECT_EQ(standin::DecodeText(category, 2, c.wide), "Technique Text");
        EXPECT_EQ(U16(category, c.font), 14);
        EXPECT_EQ(static_cast<int16_t>(U16(category, c.font + 2)), -12);
        EXPECT_EQ(U16(category, c.font + 4), 0xFFFF);
        for (uint16_t i = 0; i < 6; ++i) EXPECT_EQ(U16(category, c.defaults + 2 * i), i + 1);
        EXPECT_EQ(U16(category, c.trailing), 0xBEEF);
        // A name too long for its room is cut short and still ends before the font words.
        const Bytes& longName = Record(SOMC, RecordKey::Other(3));
        const std::string stored = standin::DecodeText(longName, 2, c.wide);
        EXPECT_EQ(stored.size(), (c.font - 2) / (c.wide ? 2 : 1) - 1);
        EXPECT_EQ(U16(longName, c.font), 0);
    }
}

TEST_F(StandinBuilder, TextExpressionRoundTripsInBothEncodings) {
    struct Case {
        uint32_t version;
        std::size_t size;
        uint16_t highBits;
    };
    // "Change to Flute [Mirel Instrument Change]" is 41 characters.
    const Case cases[] = {{0x12050000, 34 + 2 * 42, 0xC000}, {0x10000000, 34 + 42, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.version);
        Host().Reset();
        DocumentBuilder b(Doc(), c.version);
        b.AddTextExpression(4, "^fontTxt(Times,4096)To Flute:", "Change to Flute [Mirel Instrument Change]",
                            3);
        const standin::TextExpressionInfo info = b.ReadTextExpression(4);
        ASSERT_TRUE(info.exists);
        EXPECT_EQ(info.size, c.size);
        EXPECT_EQ(info.text, "^fontTxt(Times,4096)To Flute:");
        EXPECT_EQ(info.description, "Change to Flute [Mirel Instrument Change]");
        EXPECT_EQ(info.categoryID, 3);
        EXPECT_EQ(info.word26, 3 | c.highBits);
        EXPECT_EQ(info.word10, 0);
        const Bytes& block = Record(SOTX, RecordKey::Other(static_cast<int16_t>(info.textBlockID)));
        EXPECT_EQ(U16(block, 24), 0x7870);
        EXPECT_NE(Doc().Find(txxp, RecordKey::Other(static_cast<int16_t>(U16(block, 0)))), nullptr);
        EXPECT_EQ(b.Count(txbl), 0u);
    }
    EXPECT_FALSE(DocumentBuilder(Doc(), 0x12050000).ReadTextExpression(99).exists);
}

TEST_F(StandinBuilder, EnclosureMarksItsDefinition) {
    DocumentBuilder b(Doc(), 0x12050000);
    b.AddTextExpression(1, "a", "d", 1);
    b.AddEnclosure(1, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    EXPECT_EQ(Record(otDe, RecordKey::Other(1)).size(), 12u);
    EXPECT_EQ(b.ReadTextExpression(1).word10 & 0x0800, 0x0800);
}

TEST_F(StandinBuilder, ExpressionsOfAMeasureInIncidentOrder) {
    DocumentBuilder b(Doc(), 0x12050000);
    b.AddMeasures(3);
    EXPECT_EQ(b.AddExpression(2, 3, 10), 0);
    EXPECT_EQ(b.AddExpression(2, 5, 11, /*shape=*/true), 1);
    EXPECT_EQ(b.AddExpression(2, 3, 12), 2);
    EXPECT_EQ(b.AddExpression(3, 3, 13), 0);
    const Bytes& shape = Record(SODY, RecordKey::Other(2, 1));
    ASSERT_EQ(shape.size(), 24u);
    EXPECT_EQ(U16(shape, 0), 11);
    EXPECT_EQ(U16(shape, 8), 5);
    EXPECT_EQ(U16(shape, 10), 0x2000);
    const auto found = b.ReadExpressions(2);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].definitionID, 10);
    EXPECT_EQ(found[1].inci, 1);
    EXPECT_EQ(found[1].staff, 5);
    EXPECT_EQ(found[1].flags, 0x2000);
    EXPECT_EQ(found[2].definitionID, 12);
    EXPECT_TRUE(b.ReadExpressions(1).empty());
    EXPECT_EQ(b.ReadExpressions(3).size(), 1u);
}

TEST_F(StandinBuilder, MeasuresAndTheirFlagWord) {
    struct Case {
        uint32_t version;
        std::size_t flagsAt;
    };
    for (const Case& c : {Case{0x12000000, 14}, Case{0x11FFFFFF, 10}}) {
        SCOPED_TRACE(testing::Message() << std::hex << c.version);
        Host().Reset();
        DocumentBuilder b(Doc(), c.version);
        EXPECT_EQ(b.AddMeasures(4), 4);
        EXPECT_EQ(b.AddMeasures(2), 6);
        EXPECT_TRUE(b.HasMeasure(6));
        EXPECT_FALSE(b.HasMeasure(7));
        b.SetMeasureFlags(5, 0x4000);
        EXPECT_EQ(U16(Record(SOMS, RecordKey::Other(5)), c.flagsAt), 0x4000);
        EXPECT_EQ(b.MeasureFlags(5), 0x4000);
        EXPECT_EQ(b.MeasureFlags(4), 0);
        EXPECT_EQ(b.MeasureFlags(9), 0);
    }
}

TEST(StandinRegion, RecordLayout) {
    standin::RegionSpec region;
    region.staffListID = 1;
    region.startSlot = 2;
    region.startMeasure = 3;
    region.startPosition = 0x01020304;
    region.endStaffListID = -1;
    region.endSlot = 5;
    region.endMeasure = 6;
    region.endPosition = 0x7FFFFFFF;
    const auto record = standin::MakeRegionRecord(region);
    const Bytes b(record.begin(), record.end());
    EXPECT_EQ(U16(b, 0), 1);
    EXPECT_EQ(U16(b, 2), 2);
    EXPECT_EQ(U16(b, 4), 3);
    EXPECT_EQ(U32(b, 6), 0x01020304u);
    EXPECT_EQ(U16(b, 10), 0xFFFF);
    EXPECT_EQ(U16(b, 12), 5);
    EXPECT_EQ(U16(b, 14), 6);
    EXPECT_EQ(U32(b, 16), 0x7FFFFFFFu);
}

}  // namespace
