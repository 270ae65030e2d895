// Tag removal on tagged text, the font tags written at the head of a text, and font names from the host.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "host/host_api.h"
#include "standin/host/host.h"
#include "tests/support/host_fixture.h"
#include "tests/support/text_encodings.h"
#include "text/fc_string.h"
#include "text/font_info.h"

namespace {

using testsupport::Units;

std::u16string Widen(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

struct StripCase {
    const char* input;
    const char* output;
    bool result;
};

void PrintTo(const StripCase& c, std::ostream* os) {
    *os << '"' << c.input << '"';
}

// Strips the case's input with `strip`: the answer, the text left, its terminator, and the capacity the input
// would have after being assigned the text left.
void CheckStrip(bool (FCString::*strip)(), const StripCase& c) {
    FCString s(c.input);
    EXPECT_EQ((s.*strip)(), c.result);
    EXPECT_EQ(Units(s), Widen(c.output));
    ASSERT_NE(s.WideBuffer(), nullptr);
    EXPECT_EQ(s.WideBuffer()[s.Length()], 0);
    FCString assigned(c.input);
    assigned.Assign(&s);
    EXPECT_EQ(s.Capacity(), assigned.Capacity());
}

// ---- StripFontTags ----------------------------------------------------------------------------------------

class StripFontTagsTest : public ::testing::TestWithParam<StripCase> {};

TEST_P(StripFontTagsTest, RemovesFontSizeAndEffectTagsOnly) {
    CheckStrip(&FCString::StripFontTags, GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Examples, StripFontTagsTest,
    ::testing::Values(StripCase{"^fontTxt(Times New Roman,4096)^size(12)^nfx(2)Flute", "Flute", true},
                      StripCase{"^font(Arial)^size(10)^nfx(0)Alto ^abc(1)Sax", "Alto ^abc(1)Sax", true},
                      StripCase{"Oboe", "Oboe", false}, StripCase{"A^^B", "A^B", false},
                      StripCase{"Clarinets", "Clarinets", false},  // its buffer full: it grows
                      // An unclosed tag is dropped with everything after its caret and removes nothing.
                      StripCase{"Horn ^size(12", "Horn ", false}, StripCase{"", "", false},
                      StripCase{"^FontX(1)Viola", "Viola", true},
                      StripCase{"^fon(1)Viola", "^fon(1)Viola", false},
                      StripCase{"^fontMus(Maestro,8192)^fontNum(Arial,0)Tuba", "Tuba", true},
                      // Carets inside a tag belong to it; the tag ends at the first parenthesis.
                      StripCase{"^size(^^1)x)", "x)", true},
                      // A doubled caret in front of a tag name is a literal caret, not a tag.
                      StripCase{"^^size(12)", "^size(12)", false}, StripCase{"Flute^", "Flute", false},
                      StripCase{"Cl.^nfx(1) in B^flat()", "Cl. in B^flat()", true},
                      // A lone closing parenthesis outside a tag is ordinary text.
                      StripCase{"a)b^size(1)", "a)b", true}));

TEST(StripFontTagsUnits, KeepsUnitsAboveTheEightBitRange) {
    FCString s;
    s.AssignWide(u"^font(A)\u0141\u00E9^x\u0100(1)");
    EXPECT_TRUE(s.StripFontTags());
    EXPECT_EQ(Units(s), u"\u0141\u00E9^x\u0100(1)");
}

// A tag is told by the low byte of each unit: U+015E ('^' + 0x100) is no caret, and a tag whose name has
// units above 0xFF is compared on their low bytes.
TEST(StripFontTagsUnits, ComparesTagNamesOnTheEightBitCopy) {
    FCString s;
    s.AssignWide(u"\u015Esize(1)a^\u0173ize(2)b");  // U+0173 has the low byte 's'
    EXPECT_TRUE(s.StripFontTags());
    EXPECT_EQ(Units(s), u"\u015Esize(1)ab");
}

// ---- StripTags --------------------------------------------------------------------------------------------

class StripTagsTest : public ::testing::TestWithParam<StripCase> {};

TEST_P(StripTagsTest, RemovesEveryTag) {
    CheckStrip(&FCString::StripTags, GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Examples, StripTagsTest,
    ::testing::Values(StripCase{"^font(Arial)Flute ^^1", "Flute ^1", true},
                      StripCase{"Flute", "Flute", false},
                      // An unclosed tag removes the rest and still counts as found.
                      StripCase{"Flute^size(12", "Flute", true}, StripCase{"", "", false},
                      StripCase{"^fontTxt(Times New Roman,4096)^size(12)^nfx(2)Flute", "Flute", true},
                      StripCase{"Alto ^abc(1)Sax", "Alto Sax", true}, StripCase{"^^^size(1)x", "^x", true},
                      StripCase{"A^^B^^", "A^B^", false}, StripCase{"a)b", "a)b", false},
                      StripCase{"Flute^", "Flute", true}));

// ---- FCFontInfo and AssignFontTags ------------------------------------------------------------------------

TEST(FontInfoTest, NewFontIsTimesNewRomanTwelveWithoutEffects) {
    FCFontInfo font;
    EXPECT_STREQ(font.GetName(), "Times New Roman");
    EXPECT_EQ(font.GetSize(), 12);
    EXPECT_EQ(font.GetEffects(), 0);
    EXPECT_STREQ(font.ClassName(), "__FCBase");
}

TEST(FontInfoTest, SetNameKeepsAtMost255Bytes) {
    FCFontInfo font;
    const std::string longName(400, 'x');
    font.SetName(longName.c_str());
    EXPECT_EQ(std::string(font.GetName()), std::string(255, 'x'));
    font.SetName(nullptr);
    EXPECT_STREQ(font.GetName(), "");
}

struct FontTagsCase {
    const char* name;
    int16_t size;
    uint16_t effects;
    const char* expected;
};

class AssignFontTagsTest : public ::testing::TestWithParam<FontTagsCase> {};

TEST_P(AssignFontTagsTest, WritesFontSizeAndEffectTags) {
    const FontTagsCase& c = GetParam();
    FCFontInfo font;
    font.SetName(c.name);
    font.SetSize(c.size);
    font.SetEffects(c.effects);
    FCString text("previous contents");
    AssignFontTags(text, font);
    EXPECT_EQ(Units(text), Widen(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Values, AssignFontTagsTest,
    ::testing::Values(FontTagsCase{"Times New Roman", 12, 0, "^font(Times New Roman)^size(12)^nfx(0)"},
                      FontTagsCase{"Arial", -1, 0, "^font(Arial)^size(-1)^nfx(0)"},
                      FontTagsCase{"Arial", 10, 0xFFFF, "^font(Arial)^size(10)^nfx(65535)"},
                      FontTagsCase{"Arial", -32768, 0x8000, "^font(Arial)^size(-32768)^nfx(32768)"},
                      FontTagsCase{"", 0, 0, "^font()^size(0)^nfx(0)"}));

TEST(AssignFontTagsBytes, WidensEachNameByteToOneUnit) {
    FCFontInfo font;
    font.SetName("Caf\xE9");
    FCString text;
    AssignFontTags(text, font);
    EXPECT_EQ(Units(text), u"^font(Caf\u00E9)^size(12)^nfx(0)");
}

// The written tags are font tags: stripping them gives back the bare text.
TEST(AssignFontTagsBytes, WrittenTagsAreRecognisedAsFontTags) {
    FCFontInfo font;
    font.SetName("Arial");
    FCString text;
    AssignFontTags(text, font);
    text.AppendNarrow("To Flute:");
    EXPECT_TRUE(text.StripFontTags());
    EXPECT_EQ(Units(text), u"To Flute:");
}

// ---- SetNameFromFontNumber --------------------------------------------------------------------------------

class FontNameTest : public testsupport::HostFixture {};

TEST_F(FontNameTest, TakesTheNameTheHostGives) {
    standin::Host().AddFont(7, "Arial");
    standin::Host().LogCalls(true);
    FCFontInfo font;
    font.SetName("something else");
    font.SetNameFromFontNumber(7);
    EXPECT_STREQ(font.GetName(), "Arial");
    const auto calls = standin::Host().CallsTo("FX_FontNumToName");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args[0], 7);
    EXPECT_EQ(calls[0].args[1], 1);
    EXPECT_EQ(calls[0].args[2], 0x12050000);
}

TEST_F(FontNameTest, FallsBackToTimesNewRomanWhenTheHostHasNoName) {
    standin::Host().AddFont(7, "Arial");
    FCFontInfo font;
    font.SetName("something else");
    font.SetNameFromFontNumber(8);
    EXPECT_STREQ(font.GetName(), "Times New Roman");
}

TEST_F(FontNameTest, FallsBackToTimesNewRomanWhenTheHostFunctionIsMissing) {
    standin::Host().AddFont(7, "Arial");
    standin::Host().HideFunction("FX_FontNumToName");
    standin::Host().LogCalls(true);
    FCFontInfo font;
    font.SetName("something else");
    font.SetNameFromFontNumber(7);
    EXPECT_STREQ(font.GetName(), "Times New Roman");
    EXPECT_EQ(standin::Host().CountCalls("FX_FontNumToName"), 0);
}

}  // namespace
