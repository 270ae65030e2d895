// Raw texts, text blocks, text expression definitions and enclosures against the stand-in's document.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "host/host_api.h"
#include "host/host_version.h"
#include "records/enclosure.h"
#include "records/raw_text.h"
#include "records/text_block.h"
#include "records/text_expression_def.h"
#include "standin/host/host.h"
#include "standin/score/document_builder.h"
#include "tests/support/host_fixture.h"
#include "tests/support/text_encodings.h"
#include "text/fc_string.h"

namespace {

using standin::Bytes;
using standin::Host;
using standin::HostCall;
using standin::RecordKey;
using testsupport::kNarrowHost;
using testsupport::kWideHost;
using testsupport::Units;

constexpr uint32_t kTxbl = 0x7478626C;
constexpr uint32_t kTxxp = 0x74787870;
constexpr uint32_t kSOTX = 0x534F5458;
constexpr uint32_t kSODT = 0x534F4454;
constexpr uint32_t kOtDe = 0x6F744465;

using testsupport::kArgBuffer;
using testsupport::kArgInci;
using testsupport::kArgItem;
using testsupport::kArgSize;
using testsupport::kArgTag;
using testsupport::kArgVersion;

std::u16string Units(std::unique_ptr<FCString> s) {
    return Units(*s);
}

std::unique_ptr<FCString> Wide(const std::u16string& text) {
    auto s = std::make_unique<FCString>();
    s->AssignWide(text.c_str());
    return s;
}

Bytes AreaOf(const __FCBaseData& record) {
    const int32_t size = record.LoadedSize();
    if (record.Data() == nullptr || size <= 0) return {};
    return Bytes(record.Data(), record.Data() + size);
}

uint16_t Word(const Bytes& data, std::size_t offset) {
    return static_cast<uint16_t>(data.at(offset) | (data.at(offset + 1) << 8));
}

void PutWord(Bytes& data, std::size_t offset, uint16_t value) {
    data.at(offset) = static_cast<uint8_t>(value & 0xFF);
    data.at(offset + 1) = static_cast<uint8_t>(value >> 8);
}

class TextRecordsTest : public testsupport::HostFixture {
  protected:
    void UseHost(uint32_t version) { gHostVersion = version; }
    standin::Document& Doc() { return Host().Doc(); }
    standin::DocumentBuilder Builder() { return standin::DocumentBuilder(Doc(), gHostVersion); }
    void StartLog() {
        Host().LogCalls(true);
        Host().ClearCalls();
    }
    std::vector<HostCall> Calls(const std::string& function) { return Host().CallsTo(function); }
    void HideFromModule(const std::string& function) {
        Host().HideFunction(function);
        host::gBindingCache = host::BindingCache();
    }
    const Bytes& Record(uint32_t tag, int16_t itemNo) {
        const Bytes* record = Doc().Find(tag, RecordKey::Other(itemNo));
        static const Bytes kNone;
        return record != nullptr ? *record : kNone;
    }
};

// ---- FCRawText --------------------------------------------------------------------------------------------

struct SetTextCase {
    uint32_t hostVersion;
    std::u16string text;
    Bytes expected;
};

class RawTextSetTextTest : public TextRecordsTest, public ::testing::WithParamInterface<SetTextCase> {};

TEST_P(RawTextSetTextTest, StoresTheTextInTheRecordEncoding) {
    const SetTextCase& c = GetParam();
    UseHost(c.hostVersion);
    FCRawText raw;
    const auto text = Wide(c.text);
    raw.SetText(text.get());
    EXPECT_EQ(raw.LoadedSize(), static_cast<int32_t>(c.expected.size()));
    EXPECT_EQ(AreaOf(raw), c.expected);
    EXPECT_TRUE(raw.IsLoaded());
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, RawTextSetTextTest,
    ::testing::Values(SetTextCase{kWideHost, u"Flute", {'F', 0, 'l', 0, 'u', 0, 't', 0, 'e', 0, 0, 0}},
                      SetTextCase{kNarrowHost, u"Flute", {'F', 'l', 'u', 't', 'e', 0}},
                      // A unit above 0xFF is stored unchanged in UTF-16 text.
                      SetTextCase{kWideHost, u"a\u0100", {'a', 0, 0x00, 0x01, 0, 0}},
                      SetTextCase{0x12050000, u"", {0, 0}},
                      // 8-bit text is the low byte of each unit, up to the first zero byte.
                      SetTextCase{kNarrowHost, u"\u0141\u00E9", {0x41, 0xE9, 0}},
                      SetTextCase{kNarrowHost, u"a\u0100b", {'a', 0}}, SetTextCase{0x0F000000, u"", {0}}));

TEST_F(TextRecordsTest, RawTextSetTextNullKeepsTheArea) {
    UseHost(kWideHost);
    FCRawText raw;
    const FCString flute("Flute");
    raw.SetText(&flute);
    const Bytes before = AreaOf(raw);
    raw.SetText(nullptr);
    EXPECT_EQ(raw.LoadedSize(), 12);
    EXPECT_EQ(AreaOf(raw), before);
}

TEST_F(TextRecordsTest, RawTextNeverLoadedGivesAnEmptyStringWithoutAskingTheHost) {
    StartLog();
    FCRawText raw;
    EXPECT_EQ(Units(raw.CreateString()), u"");
    EXPECT_TRUE(Host().Calls().empty());
    EXPECT_EQ(raw.CreateInstance(), nullptr);
    EXPECT_STREQ(raw.ClassName(), "FCRawText");
}

class RawTextRoundTripTest : public TextRecordsTest, public ::testing::WithParamInterface<uint32_t> {};

// The stand-in writes the text by its own reading of the encoding; the module reads it back and asks for the
// size first, with the host version as the record version.
TEST_P(RawTextRoundTripTest, ReadsWhatTheHostStored) {
    UseHost(GetParam());
    const int16_t item = Builder().AddRawText(kTxbl, "Flute ^^ caf\xC3\xA9");
    const std::size_t stored = Record(kTxbl, item).size();
    StartLog();
    FCRawText raw;
    raw.SetItemNo(item);
    ASSERT_TRUE(raw.LoadAtKey());
    EXPECT_EQ(raw.LoadedSize(), static_cast<int32_t>(stored));
    EXPECT_EQ(Units(raw.CreateString()), u"Flute ^^ caf\u00E9");

    const auto loads = Calls("FX_LoadEData");
    ASSERT_GE(loads.size(), 2u);
    EXPECT_EQ(loads.front().args[kArgBuffer], 0);  // the size query
    for (const HostCall& call : loads) {
        EXPECT_EQ(call.args[kArgTag], kTxbl);
        EXPECT_EQ(call.args[kArgItem], item);
        EXPECT_EQ(call.args[kArgVersion], GetParam());
    }
    EXPECT_EQ(loads.back().args[kArgBuffer], 1);
    EXPECT_EQ(loads.back().args[kArgSize], static_cast<int64_t>(stored));
}

INSTANTIATE_TEST_SUITE_P(HostVersions, RawTextRoundTripTest, ::testing::Values(kNarrowHost, kWideHost));

TEST_F(TextRecordsTest, RawTextMissingRecordDoesNotLoad) {
    FCRawText raw;
    raw.SetItemNo(3);
    EXPECT_FALSE(raw.LoadAtKey());
    EXPECT_FALSE(raw.IsLoaded());
    EXPECT_EQ(Units(raw.CreateString()), u"");
}

TEST_F(TextRecordsTest, RawTextLoadFirstFindsTheFirstRecordOfTheTag) {
    UseHost(kWideHost);
    standin::DocumentBuilder builder = Builder();
    builder.AddRawText(kTxxp, "other tag");
    const int16_t first = builder.AddRawText(kTxbl, "first");
    builder.AddRawText(kTxbl, "second");
    FCRawText raw;
    raw.SetItemNo(9);
    ASSERT_TRUE(raw.LoadFirst());
    EXPECT_EQ(raw.ItemNo(), first);
    EXPECT_EQ(Units(raw.CreateString()), u"first");
    ASSERT_TRUE(raw.LoadNext());
    EXPECT_EQ(Units(raw.CreateString()), u"second");
    EXPECT_FALSE(raw.LoadNext());
    EXPECT_EQ(Units(raw.CreateString()), u"second");
}

TEST_F(TextRecordsTest, RawTextCopyTakesTheLoadedBytesOnly) {
    UseHost(kWideHost);
    FCRawText source;
    const FCString oboe("Oboe");
    source.SetText(&oboe);
    FCRawText copy;
    copy.SetItemNo(4);
    copy.CopyDataFrom(&source);
    EXPECT_EQ(AreaOf(copy), AreaOf(source));
    EXPECT_EQ(copy.ItemNo(), 4);
    EXPECT_NE(copy.Data(), source.Data());

    FCRawText empty;
    copy.CopyDataFrom(&empty);  // nothing loaded there: nothing changes
    EXPECT_EQ(Units(copy.CreateString()), u"Oboe");
}

// Texts the host hands over are read inside the loaded bytes only.
struct HostileTextCase {
    const char* what;
    uint32_t hostVersion;
    Bytes record;
    std::u16string expected;
};

void PrintTo(const HostileTextCase& c, std::ostream* os) {
    *os << c.what;
}

class HostileRawTextTest : public TextRecordsTest, public ::testing::WithParamInterface<HostileTextCase> {};

TEST_P(HostileRawTextTest, ReadsNoFurtherThanTheLoadedBytes) {
    const HostileTextCase& c = GetParam();
    UseHost(c.hostVersion);
    Doc().Put(kTxbl, RecordKey::Other(1), c.record);
    FCRawText raw;
    raw.SetItemNo(1);
    raw.LoadAtKey();
    EXPECT_EQ(Units(raw.CreateString()), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Records, HostileRawTextTest,
    ::testing::Values(HostileTextCase{"wide without terminator", kWideHost, {'a', 0, 'b', 0}, u"ab"},
                      HostileTextCase{"wide odd size", kWideHost, {'a', 0, 'b'}, u"a"},
                      HostileTextCase{"wide single byte", kWideHost, {'a'}, u""},
                      HostileTextCase{"wide inner zero", kWideHost, {'a', 0, 0, 0, 'b', 0}, u"a"},
                      HostileTextCase{"narrow without terminator", kNarrowHost, {'a', 'b', 'c'}, u"abc"},
                      HostileTextCase{"narrow inner zero", kNarrowHost, {'a', 0, 'c'}, u"a"},
                      HostileTextCase{"narrow single byte", kNarrowHost, {'a'}, u"a"},
                      HostileTextCase{"empty record", kWideHost, {}, u""}));

// ---- FCTextBlock ------------------------------------------------------------------------------------------

TEST_F(TextRecordsTest, NewTextBlockHoldsTheValuesOfANewBlockAndKeepsItsFieldsAfterAFailedLoad) {
    FCTextBlock block;
    EXPECT_TRUE(block.IsLoaded());
    EXPECT_EQ(block.LoadedSize(), 26);
    Bytes expected(26, 0);
    PutWord(expected, 8, 100);
    PutWord(expected, 14, 0x1A08);
    PutWord(expected, 24, 0x626C);
    EXPECT_EQ(AreaOf(block), expected);
    EXPECT_EQ(block.GetRawTextID(), 0);
    EXPECT_EQ(block.GetTextKind(), 0x626C);
    EXPECT_EQ(block.Tag(), kSOTX);
    EXPECT_STREQ(block.ClassName(), "FCTextBlock");

    // A failed load leaves the fields usable over the whole layout.
    EXPECT_FALSE(block.Load(1));
    block.SetTextKind(0x7870);
    EXPECT_EQ(block.GetTextKind(), 0x7870);
}

TEST_F(TextRecordsTest, NewTextBlockReadsRawTextZeroOfTheDefaultKind) {
    StartLog();
    FCTextBlock block;
    EXPECT_EQ(Units(block.CreateTextString()), u"");
    const auto loads = Calls("FX_LoadEData");
    ASSERT_FALSE(loads.empty());
    EXPECT_EQ(loads.front().args[kArgTag], kTxbl);
    EXPECT_EQ(loads.front().args[kArgItem], 0);
}

struct TextBlockKindCase {
    uint16_t kind;
    uint32_t rawTag;
};

class TextBlockKindTest : public TextRecordsTest, public ::testing::WithParamInterface<TextBlockKindCase> {};

TEST_P(TextBlockKindTest, ReadsTheRawTextUnderTheTagOfItsKind) {
    UseHost(kWideHost);
    const int16_t blockID = Builder().AddTextBlock("^font(Arial)Horn", GetParam().kind);
    StartLog();
    FCTextBlock block;
    ASSERT_TRUE(block.Load(blockID));
    EXPECT_EQ(block.GetTextKind(), GetParam().kind);
    EXPECT_EQ(block.RawTextTag(), GetParam().rawTag);
    EXPECT_EQ(Units(block.CreateTextString()), u"^font(Arial)Horn");
    for (const HostCall& call : Calls("FX_LoadEData")) {
        if (call.args[kArgTag] == kSOTX) continue;
        EXPECT_EQ(call.args[kArgTag], GetParam().rawTag);
        EXPECT_EQ(call.args[kArgItem], block.GetRawTextID());
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, TextBlockKindTest,
                         ::testing::Values(TextBlockKindCase{0x626C, kTxbl},
                                           TextBlockKindCase{0x7870, kTxxp}));

// The block's record goes to the host with 26 bytes and version 0x12050000 whatever the host version.
class TextBlockLayoutTest : public TextRecordsTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(TextBlockLayoutTest, ExchangesTwentySixBytesWithTheInterfaceVersion) {
    UseHost(GetParam());
    const int16_t blockID = Builder().AddTextBlock("Flute");
    StartLog();
    FCTextBlock block;
    ASSERT_TRUE(block.Load(blockID));
    ASSERT_TRUE(block.SaveNew());
    const auto load = Calls("FX_LoadEData").front();
    EXPECT_EQ(load.args[kArgSize], 26);
    EXPECT_EQ(load.args[kArgVersion], 0x12050000);
    const auto create = Calls("FX_CreateEData").front();
    EXPECT_EQ(create.args[kArgTag], kSOTX);
    EXPECT_EQ(create.args[kArgSize], 26);
    EXPECT_EQ(create.args[kArgVersion], 0x12050000);
}

INSTANTIATE_TEST_SUITE_P(HostVersions, TextBlockLayoutTest,
                         ::testing::Values(0x0FFFFFFFu, kNarrowHost, kWideHost, 0x12000000u));

TEST_F(TextRecordsTest, TextBlockDeleteDataRemovesRawTextAndBlock) {
    UseHost(kWideHost);
    standin::DocumentBuilder builder = Builder();
    const int16_t keep = builder.AddTextBlock("Oboe");
    const int16_t blockID = builder.AddTextBlock("Flute", 0x7870);  // an expression's text: tag 'txxp'
    FCTextBlock block;
    ASSERT_TRUE(block.Load(blockID));
    const int16_t rawID = static_cast<int16_t>(block.GetRawTextID());
    EXPECT_TRUE(block.DeleteData());
    EXPECT_EQ(Doc().Find(kSOTX, RecordKey::Other(blockID)), nullptr);
    EXPECT_EQ(Doc().Find(kTxxp, RecordKey::Other(rawID)), nullptr);
    EXPECT_EQ(builder.ReadTextBlockText(keep), "Oboe");
    // Deleting again: the block is gone, and so is the answer.
    EXPECT_FALSE(block.DeleteData());
}

// A short block reads the fields it lacks as zero.
TEST_F(TextRecordsTest, ShortTextBlockReadsMissingFieldsAsZero) {
    Doc().Put(kSOTX, RecordKey::Other(1), Bytes{5, 0, 0, 0});
    FCTextBlock block;
    ASSERT_TRUE(block.Load(1));
    EXPECT_EQ(block.LoadedSize(), 4);
    EXPECT_EQ(block.GetRawTextID(), 5);
    EXPECT_EQ(block.GetTextKind(), 0);
}

// ---- FCTextExpressionDef: layout, sizes, description ------------------------------------------------------

// A case's size is the least a definition takes, the size a new one is made with.
class DefinitionLayoutTest : public TextRecordsTest,
                             public ::testing::WithParamInterface<testsupport::LayoutCase> {};

TEST_P(DefinitionLayoutTest, NewDefinitionIsAZeroedRecordOfTheMinimumSize) {
    const testsupport::LayoutCase& c = GetParam();
    UseHost(c.hostVersion);
    FCTextExpressionDef definition;
    EXPECT_TRUE(definition.IsLoaded());
    EXPECT_EQ(definition.LoadedSize(), c.size);
    EXPECT_EQ(AreaOf(definition), Bytes(static_cast<std::size_t>(c.size), 0));
    EXPECT_EQ(definition.RecordVersion(), c.recordVersion);

    StartLog();
    ASSERT_TRUE(definition.SaveNew());
    const auto creates = Calls("FX_CreateEData");
    ASSERT_EQ(creates.size(), 1u);
    EXPECT_EQ(creates[0].args[kArgTag], kSODT);
    EXPECT_EQ(creates[0].args[kArgSize], c.size);
    EXPECT_EQ(creates[0].args[kArgVersion], c.recordVersion);
    EXPECT_EQ(Record(kSODT, definition.ItemNo()).size(), static_cast<std::size_t>(c.size));
}

TEST_P(DefinitionLayoutTest, LoadAsksForTheSizeThenLoadsWithTheRecordVersion) {
    const testsupport::LayoutCase& c = GetParam();
    UseHost(c.hostVersion);
    Builder().AddTextExpression(3, "To Flute:", "Change to Flute", 2);
    const std::size_t stored = Record(kSODT, 3).size();
    StartLog();
    FCTextExpressionDef definition;
    ASSERT_TRUE(definition.Load(3));
    EXPECT_EQ(definition.LoadedSize(), static_cast<int32_t>(stored));
    const auto loads = Calls("FX_LoadEData");
    ASSERT_GE(loads.size(), 2u);
    EXPECT_EQ(loads.front().args[kArgBuffer], 0);
    EXPECT_EQ(loads.back().args[kArgBuffer], 1);
    EXPECT_EQ(loads.back().args[kArgSize], static_cast<int64_t>(stored));
    for (const HostCall& call : loads) {
        EXPECT_EQ(call.args[kArgTag], kSODT);
        EXPECT_EQ(call.args[kArgVersion], c.recordVersion);
    }
}

INSTANTIATE_TEST_SUITE_P(HostVersions, DefinitionLayoutTest,
                         ::testing::ValuesIn(testsupport::LayoutsByText(36, 0x0F000000, 38, 0x12050000)));

struct DescriptionCase {
    uint32_t hostVersion;
    int32_t size;
};

class DescriptionTest : public TextRecordsTest, public ::testing::WithParamInterface<DescriptionCase> {};

TEST_P(DescriptionTest, SetAndGetRoundTripWithTheRecordSize) {
    UseHost(GetParam().hostVersion);
    FCTextExpressionDef definition;
    definition.SetTextBlockID(0x1234);
    const FCString description("Change to Flute");
    definition.SetDescription(&description);
    EXPECT_EQ(definition.LoadedSize(), GetParam().size);
    EXPECT_EQ(definition.GetTextBlockID(), 0x1234);  // the head is carried over
    FCString back;
    definition.GetDescription(&back);
    EXPECT_EQ(Units(back), u"Change to Flute");

    ASSERT_TRUE(definition.SaveNew());
    const standin::TextExpressionInfo stored = Builder().ReadTextExpression(definition.ItemNo());
    EXPECT_EQ(stored.size, static_cast<std::size_t>(GetParam().size));
    EXPECT_EQ(stored.description, "Change to Flute");
    EXPECT_EQ(stored.textBlockID, 0x1234);
}

TEST_P(DescriptionTest, EmptyDescriptionWritesTheMinimumSizeEvenAfterALongerLoad) {
    UseHost(GetParam().hostVersion);
    Builder().AddTextExpression(1, "x", "A long description of this one", 0);
    FCTextExpressionDef definition;
    ASSERT_TRUE(definition.Load(1));
    ASSERT_GT(definition.LoadedSize(), FCTextExpressionDef::MinimumSize());
    const FCString empty("");
    definition.SetDescription(&empty);
    EXPECT_EQ(definition.LoadedSize(), FCTextExpressionDef::MinimumSize());
    StartLog();
    ASSERT_TRUE(definition.Save());
    EXPECT_EQ(Calls("FX_SaveEData").at(0).args[kArgSize], FCTextExpressionDef::MinimumSize());
    EXPECT_EQ(Record(kSODT, 1).size(), static_cast<std::size_t>(FCTextExpressionDef::MinimumSize()));
    FCString back("not empty");
    definition.GetDescription(&back);
    EXPECT_EQ(Units(back), u"");
}

INSTANTIATE_TEST_SUITE_P(Encodings, DescriptionTest,
                         ::testing::Values(DescriptionCase{kWideHost, 66}, DescriptionCase{kNarrowHost, 51}));

TEST_F(TextRecordsTest, WideDescriptionKeepsUnitsAboveTheEightBitRange) {
    UseHost(kWideHost);
    FCTextExpressionDef definition;
    const auto description = Wide(u"Change to \u0141\u0100x");
    definition.SetDescription(description.get());
    FCString back;
    definition.GetDescription(&back);
    EXPECT_EQ(Units(back), u"Change to \u0141\u0100x");
}

// 8-bit descriptions end at the first zero byte of the 8-bit copy; the bytes after it stay zero.
TEST_F(TextRecordsTest, NarrowDescriptionStopsAtTheFirstZeroByte) {
    UseHost(kNarrowHost);
    FCTextExpressionDef definition;
    const auto description = Wide(u"ab\u0100cd");
    definition.SetDescription(description.get());
    EXPECT_EQ(definition.LoadedSize(), 36 + 5);
    const Bytes area = AreaOf(definition);
    EXPECT_EQ(Bytes(area.begin() + 34, area.end()), (Bytes{'a', 'b', 0, 0, 0, 0, 0}));
    FCString back;
    definition.GetDescription(&back);
    EXPECT_EQ(Units(back), u"ab");
}

// ---- FCTextExpressionDef: text ----------------------------------------------------------------------------

struct DefinitionTextCase {
    uint32_t hostVersion;
    std::size_t rawSize;
};

class DefinitionSetTextTest : public TextRecordsTest,
                              public ::testing::WithParamInterface<DefinitionTextCase> {};

TEST_P(DefinitionSetTextTest, CreatesAnExpressionRawTextAndATextBlockOfItsKind) {
    const DefinitionTextCase& c = GetParam();
    UseHost(c.hostVersion);
    Builder().AddTextBlock("unrelated");
    FCTextExpressionDef definition;
    const FCString text("To Flute:");
    StartLog();
    ASSERT_TRUE(definition.SetText(&text));

    const auto creates = Calls("FX_CreateEData");
    ASSERT_EQ(creates.size(), 2u);
    EXPECT_EQ(creates[0].args[kArgTag], kTxxp);
    EXPECT_EQ(creates[0].args[kArgItem], -1);  // item 0xFFFF: a new item
    EXPECT_EQ(creates[0].args[kArgInci], 0);
    EXPECT_EQ(creates[0].args[kArgSize], static_cast<int64_t>(c.rawSize));
    EXPECT_EQ(creates[0].args[kArgVersion], c.hostVersion);
    EXPECT_EQ(creates[1].args[kArgTag], kSOTX);
    EXPECT_EQ(creates[1].args[kArgItem], -1);
    EXPECT_EQ(creates[1].args[kArgInci], -1);
    EXPECT_EQ(creates[1].args[kArgSize], 26);
    EXPECT_EQ(creates[1].args[kArgVersion], 0x12050000);
    EXPECT_TRUE(Calls("FX_SaveEData").empty());  // the definition itself is not saved

    const int16_t blockID = static_cast<int16_t>(definition.GetTextBlockID());
    const Bytes& block = Record(kSOTX, blockID);
    ASSERT_EQ(block.size(), 26u);
    EXPECT_EQ(Word(block, 24), 0x7870);
    EXPECT_EQ(Word(block, 8), 100);
    EXPECT_EQ(Word(block, 14), 0x1A08);
    const Bytes& raw = Record(kTxxp, static_cast<int16_t>(Word(block, 0)));
    EXPECT_EQ(raw.size(), c.rawSize);
    EXPECT_EQ(Builder().ReadTextBlockText(blockID), "To Flute:");
    EXPECT_EQ(Units(definition.CreateTextString()), u"To Flute:");
}

INSTANTIATE_TEST_SUITE_P(Encodings, DefinitionSetTextTest,
                         ::testing::Values(DefinitionTextCase{kWideHost, 20},
                                           DefinitionTextCase{kNarrowHost, 10}));

TEST_F(TextRecordsTest, DefinitionSetTextRefusesNullAndMissingRecords) {
    StartLog();
    FCTextExpressionDef definition;
    EXPECT_FALSE(definition.SetText(nullptr));
    EXPECT_TRUE(Host().Calls().empty());

    // A definition whose load failed has nowhere to keep the block's number: no records are made.
    FCTextExpressionDef missing;
    EXPECT_FALSE(missing.Load(9));
    const FCString text("Flute");
    EXPECT_FALSE(missing.SetText(&text));
    EXPECT_TRUE(Calls("FX_CreateEData").empty());
}

TEST_F(TextRecordsTest, DefinitionSetTextFailsWhenTheHostCreatesNothing) {
    HideFromModule("FX_CreateEData");
    FCTextExpressionDef definition;
    definition.SetTextBlockID(7);
    const FCString text("Flute");
    EXPECT_FALSE(definition.SetText(&text));
    EXPECT_EQ(definition.GetTextBlockID(), 7);
    EXPECT_EQ(Doc().RecordCount(), 0u);
}

TEST_F(TextRecordsTest, DefinitionTextIsReadAsExpressionText) {
    UseHost(kWideHost);
    Builder().AddTextExpression(2, "^fontTxt(Times New Roman,4096)^size(12)^nfx(2)To Oboe:", "d", 1);
    FCTextExpressionDef definition;
    ASSERT_TRUE(definition.Load(2));
    EXPECT_EQ(Units(definition.CreateTextString()),
              u"^fontTxt(Times New Roman,4096)^size(12)^nfx(2)To Oboe:");
    FCString description;
    definition.GetDescription(&description);
    EXPECT_EQ(Units(description), u"d");
}

TEST_F(TextRecordsTest, MissingDefinitionHasNoAreaAndEmptyTexts) {
    FCTextExpressionDef definition;
    EXPECT_FALSE(definition.Load(4));
    EXPECT_EQ(definition.Data(), nullptr);
    EXPECT_EQ(definition.LoadedSize(), 0);
    EXPECT_FALSE(definition.Save());
    FCString description("x");
    definition.GetDescription(&description);
    EXPECT_EQ(Units(description), u"");
    EXPECT_EQ(Units(definition.CreateTextString()), u"");
}

// ---- FCTextExpressionDef: walking, enclosures, deleting, copying ------------------------------------------

TEST_F(TextRecordsTest, LoadNextWalksConsecutiveItemNumbers) {
    standin::DocumentBuilder builder = Builder();
    builder.AddTextExpression(1, "a", "one", 1);
    builder.AddTextExpression(2, "b", "two", 1);
    builder.AddTextExpression(4, "c", "four", 1);
    FCTextExpressionDef definition;
    ASSERT_TRUE(definition.LoadFirst());
    EXPECT_EQ(definition.ItemNo(), 1);
    ASSERT_TRUE(definition.LoadNext());
    EXPECT_EQ(definition.ItemNo(), 2);
    FCString description;
    definition.GetDescription(&description);
    EXPECT_EQ(Units(description), u"two");
    EXPECT_FALSE(definition.LoadNext());  // 3 is missing, although 4 exists
    EXPECT_EQ(definition.ItemNo(), 3);
}

TEST_F(TextRecordsTest, LoadEnclosureAsksNothingWhenTheFlagIsClear) {
    Builder().AddTextExpression(1, "a", "one", 1);
    Doc().Put(kOtDe, RecordKey::Other(1), Bytes(12, 0x55));  // present, but the flag does not say so
    FCTextExpressionDef definition;
    ASSERT_TRUE(definition.Load(1));
    StartLog();
    EXPECT_EQ(definition.LoadEnclosure(), nullptr);
    EXPECT_TRUE(Host().Calls().empty());
}

TEST_F(TextRecordsTest, LoadEnclosureLoadsTheDefinitionsEnclosure) {
    standin::DocumentBuilder builder = Builder();
    builder.AddTextExpression(1, "a", "one", 1);
    builder.AddTextExpression(2, "b", "two", 1);
    const std::array<uint8_t, 12> bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    builder.AddEnclosure(2, bytes);
    FCTextExpressionDef definition;
    ASSERT_TRUE(definition.Load(2));
    std::unique_ptr<FCEnclosure> enclosure(definition.LoadEnclosure());
    ASSERT_NE(enclosure, nullptr);
    EXPECT_EQ(enclosure->ItemNo(), 2);
    EXPECT_EQ(enclosure->Tag(), kOtDe);
    EXPECT_EQ(AreaOf(*enclosure), Bytes(bytes.begin(), bytes.end()));

    // The flag set but no enclosure stored: none.
    Doc().Erase(kOtDe, RecordKey::Other(2));
    EXPECT_EQ(definition.LoadEnclosure(), nullptr);
}

TEST_F(TextRecordsTest, DeleteDataRemovesDefinitionAndEnclosure) {
    standin::DocumentBuilder builder = Builder();
    builder.AddTextExpression(1, "a", "one", 1);
    builder.AddTextExpression(2, "b", "two", 1);
    builder.AddEnclosure(2, {});
    builder.AddEnclosure(1, {});
    FCTextExpressionDef definition;
    ASSERT_TRUE(definition.Load(2));
    EXPECT_TRUE(definition.DeleteData());
    EXPECT_EQ(Doc().Find(kSODT, RecordKey::Other(2)), nullptr);
    EXPECT_EQ(Doc().Find(kOtDe, RecordKey::Other(2)), nullptr);
    EXPECT_NE(Doc().Find(kSODT, RecordKey::Other(1)), nullptr);
    EXPECT_NE(Doc().Find(kOtDe, RecordKey::Other(1)), nullptr);
}

TEST_F(TextRecordsTest, DeleteDataOfANotLoadedDefinitionAsksNothing) {
    FCTextExpressionDef definition;
    EXPECT_FALSE(definition.Load(1));
    StartLog();
    EXPECT_FALSE(definition.DeleteData());
    EXPECT_TRUE(Host().Calls().empty());
}

struct FailedDeleteCase {
    uint16_t flags;
    int16_t value4;
    uint16_t flagsAfter;
    int16_t value4After;
};

void PrintTo(const FailedDeleteCase& c, std::ostream* os) {
    *os << "flags 0x" << std::hex << c.flags << std::dec << ", offset 4 = " << c.value4;
}

class FailedDeleteTest : public TextRecordsTest, public ::testing::WithParamInterface<FailedDeleteCase> {};

// When the host does not delete the definition, it is written back with what was cleared before.
TEST_P(FailedDeleteTest, RestoresOffsetFourAndItsFlag) {
    const FailedDeleteCase& c = GetParam();
    UseHost(kWideHost);
    Builder().AddTextExpression(1, "a", "one", 1);
    Bytes record = Record(kSODT, 1);
    PutWord(record, 10, c.flags);
    PutWord(record, 4, static_cast<uint16_t>(c.value4));
    Doc().Put(kSODT, RecordKey::Other(1), record);

    FCTextExpressionDef definition;
    ASSERT_TRUE(definition.Load(1));
    HideFromModule("FX_DeleteEData");
    StartLog();
    EXPECT_FALSE(definition.DeleteData());

    const auto saves = Calls("FX_SaveEData");
    ASSERT_EQ(saves.size(), 2u);  // cleared, then restored
    const Bytes& after = Record(kSODT, 1);
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(Word(after, 10), c.flagsAfter);
    EXPECT_EQ(static_cast<int16_t>(Word(after, 4)), c.value4After);
    const Bytes area = AreaOf(definition);
    EXPECT_EQ(Word(area, 10), c.flagsAfter);
    EXPECT_EQ(static_cast<int16_t>(Word(area, 4)), c.value4After);
    FCString description;
    definition.GetDescription(&description);
    EXPECT_EQ(Units(description), u"one");
}

INSTANTIATE_TEST_SUITE_P(Flags, FailedDeleteTest,
                         ::testing::Values(FailedDeleteCase{0x2000, 7, 0x2000, 7},
                                           FailedDeleteCase{0x2401, -3, 0x2401, -3},
                                           // A value that does not count is not kept.
                                           FailedDeleteCase{0x0000, 9, 0x0000, 0},
                                           FailedDeleteCase{0x2000, 0, 0x0000, 0}));

TEST_F(TextRecordsTest, DeleteDataStopsWhenTheClearedDefinitionCannotBeSaved) {
    Builder().AddTextExpression(1, "a", "one", 1);
    FCTextExpressionDef definition;
    ASSERT_TRUE(definition.Load(1));
    HideFromModule("FX_SaveEData");
    StartLog();
    EXPECT_FALSE(definition.DeleteData());
    EXPECT_TRUE(Calls("FX_DeleteEData").empty());
    EXPECT_NE(Doc().Find(kSODT, RecordKey::Other(1)), nullptr);
}

TEST_F(TextRecordsTest, DeepSaveAsCopiesTextAndEnclosureToTheNewNumber) {
    UseHost(kWideHost);
    standin::DocumentBuilder builder = Builder();
    builder.AddTextExpression(1, "To Flute:", "Change to Flute", 3);
    const std::array<uint8_t, 12> bytes{9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2};
    builder.AddEnclosure(1, bytes);
    FCTextExpressionDef definition;
    ASSERT_TRUE(definition.Load(1));
    const uint16_t oldBlock = definition.GetTextBlockID();
    ASSERT_TRUE(definition.DeepSaveAs(5));

    const standin::TextExpressionInfo copy = builder.ReadTextExpression(5);
    ASSERT_TRUE(copy.exists);
    EXPECT_EQ(copy.text, "To Flute:");
    EXPECT_EQ(copy.description, "Change to Flute");
    EXPECT_EQ(copy.categoryID, 3);
    EXPECT_NE(copy.textBlockID, oldBlock);  // a text of its own
    const Bytes* enclosure = Doc().Find(kOtDe, RecordKey::Other(5));
    ASSERT_NE(enclosure, nullptr);
    EXPECT_EQ(*enclosure, Bytes(bytes.begin(), bytes.end()));
    EXPECT_EQ(builder.ReadTextExpression(1).text, "To Flute:");
}

TEST_F(TextRecordsTest, CopyDataFromTakesTheOthersLoadedBytes) {
    UseHost(kWideHost);
    Builder().AddTextExpression(1, "a", "Change to Flute", 1);
    FCTextExpressionDef source;
    ASSERT_TRUE(source.Load(1));
    std::unique_ptr<__FCBaseData> copy(source.CreateInstance());
    ASSERT_NE(copy, nullptr);
    copy->CopyDataFrom(&source);
    EXPECT_EQ(AreaOf(*copy), AreaOf(source));
    EXPECT_NE(copy->Data(), source.Data());
    FCString description;
    static_cast<FCTextExpressionDef*>(copy.get())->GetDescription(&description);
    EXPECT_EQ(Units(description), u"Change to Flute");
}

// ---- FCTextExpressionDef: records the host hands over -----------------------------------------------------

TEST_F(TextRecordsTest, ShortDefinitionReadsMissingFieldsAsZeroAndSavesInsideItsArea) {
    UseHost(kWideHost);
    Bytes record(20, 0);
    PutWord(record, 0, 0x0102);
    PutWord(record, 10, 0x0800);
    Doc().Put(kSODT, RecordKey::Other(1), record);

    FCTextExpressionDef definition;
    ASSERT_TRUE(definition.Load(1));
    EXPECT_EQ(definition.GetTextBlockID(), 0x0102);
    EXPECT_EQ(definition.GetCategoryID(), 0);
    FCString description("x");
    definition.GetDescription(&description);
    EXPECT_EQ(Units(description), u"");
    // With an empty description the minimum record is written; the area holds it.
    EXPECT_EQ(definition.LoadedSize(), 38);
    ASSERT_TRUE(definition.Save());
    EXPECT_EQ(Record(kSODT, 1).size(), 38u);

    std::unique_ptr<__FCBaseData> copy(definition.CreateInstance());
    copy->CopyDataFrom(&definition);
    EXPECT_EQ(copy->LoadedSize(), 38);
}

TEST_F(TextRecordsTest, EmptyWideDescriptionStillSavesTheMinimumRecord) {
    UseHost(kWideHost);
    FCTextExpressionDef definition;
    const FCString empty("");
    definition.SetDescription(&empty);  // 36 bytes of record, but 38 are written
    EXPECT_EQ(definition.LoadedSize(), 38);
    ASSERT_TRUE(definition.SaveNew());
    EXPECT_EQ(Record(kSODT, definition.ItemNo()), Bytes(38, 0));
}

class HostileDescriptionTest : public TextRecordsTest,
                               public ::testing::WithParamInterface<HostileTextCase> {};

TEST_P(HostileDescriptionTest, ReadsNoFurtherThanTheLoadedBytes) {
    const HostileTextCase& c = GetParam();
    UseHost(c.hostVersion);
    Bytes record(34, 0);
    record.insert(record.end(), c.record.begin(), c.record.end());
    Doc().Put(kSODT, RecordKey::Other(1), record);
    FCTextExpressionDef definition;
    ASSERT_TRUE(definition.Load(1));
    FCString description;
    definition.GetDescription(&description);
    EXPECT_EQ(Units(description), c.expected) << c.what;
    // A save writes the minimum record when the description is empty, else what was loaded.
    const std::size_t saved = c.expected.empty() ? FCTextExpressionDef::MinimumSize() : record.size();
    EXPECT_EQ(definition.LoadedSize(), static_cast<int32_t>(saved)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Records, HostileDescriptionTest,
    ::testing::Values(
        HostileTextCase{"wide without terminator", kWideHost, {'a', 0, 'b', 0, 'c', 0, 'd', 0}, u"abcd"},
        HostileTextCase{"wide odd size", kWideHost, {'a', 0, 'b', 0, 'c'}, u"ab"},
        HostileTextCase{"wide lone byte", kWideHost, {'a'}, u""},
        HostileTextCase{"narrow without terminator", kNarrowHost, {'a', 'b', 'c'}, u"abc"},
        HostileTextCase{"narrow high bytes", kNarrowHost, {0xE9, 0xFF, 0}, u"\u00E9\u00FF"}));

// ---- FCEnclosure ------------------------------------------------------------------------------------------

TEST_F(TextRecordsTest, EnclosureIsTwelveUninterpretedBytes) {
    Doc().Put(kOtDe, RecordKey::Other(3), Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    FCEnclosure loaded;
    ASSERT_TRUE(loaded.Load(3));
    FCEnclosure copy;
    copy.CopyDataFrom(&loaded);
    EXPECT_EQ(copy.LoadedSize(), 12);
    EXPECT_EQ(AreaOf(copy), AreaOf(loaded));
    ASSERT_TRUE(copy.SaveAs(4));
    EXPECT_EQ(Record(kOtDe, 4), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

}  // namespace
