#include "text/fc_string.h"

#include <gtest/gtest.h>

#include <climits>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "host/host_version.h"
#include "tests/support/text_encodings.h"
#include "text/host_text.h"

namespace {

using testsupport::Units;

TEST(FCStringTest, NewStringIsEmptyWithCapacityTenAndTerminator) {
    FCString s;
    EXPECT_EQ(s.Length(), 0u);
    EXPECT_EQ(s.Capacity(), 10u);
    ASSERT_NE(s.WideBuffer(), nullptr);
    EXPECT_EQ(s.WideBuffer()[0], 0);
    EXPECT_STREQ(s.ToNarrow(), "");
}

TEST(FCStringTest, NullAssignFreesBufferAndAppendAllocatesTen) {
    FCString s("abc");
    s.AssignNarrow(nullptr);
    EXPECT_EQ(s.WideBuffer(), nullptr);
    EXPECT_EQ(s.Length(), 0u);
    EXPECT_EQ(s.Capacity(), 0u);
    s.AppendChar(u'x');
    EXPECT_EQ(s.Capacity(), 10u);
    EXPECT_EQ(Units(s), u"x");
    EXPECT_EQ(s.WideBuffer()[1], 0);
}

TEST(FCStringTest, CapacityGrowsInStepsOfTen) {
    FCString s;
    for (int i = 0; i < 9; ++i) s.AppendChar(u'a');
    EXPECT_EQ(s.Capacity(), 10u);
    s.AppendChar(u'a');  // the tenth unit needs an eleventh place for the terminator
    EXPECT_EQ(s.Capacity(), 20u);
    for (int i = 0; i < 10; ++i) s.AppendChar(u'b');
    EXPECT_EQ(s.Length(), 20u);
    EXPECT_EQ(s.Capacity(), 30u);
}

TEST(FCStringTest, ReserveReplacesABufferOfExactlyNPlusOne) {
    FCString s;
    s.Reserve(8);  // capacity 10 > 9: unchanged
    EXPECT_EQ(s.Capacity(), 10u);
    s.Reserve(9);  // capacity 10 == 9 + 1: replaced by the next multiple of ten above 9
    EXPECT_EQ(s.Capacity(), 10u);
    s.Reserve(10);
    EXPECT_EQ(s.Capacity(), 20u);
    s.Reserve(25);
    EXPECT_EQ(s.Capacity(), 30u);
}

TEST(FCStringTest, ReserveKeepsContents) {
    FCString s("Flute");
    s.Reserve(100);
    EXPECT_EQ(s.Capacity(), 110u);
    EXPECT_EQ(Units(s), u"Flute");
}

TEST(FCStringTest, NarrowBytesWidenUnsignedAndNarrowKeepsLowByte) {
    FCString s("\xE9");
    EXPECT_EQ(s.CharAt(0), char16_t{0x00E9});
    FCString w;
    const char16_t lslash[] = {0x0141, 0};
    w.AssignWide(lslash);
    EXPECT_STREQ(w.ToNarrow(), "\x41");
}

TEST(FCStringTest, NarrowCopyIsACacheRebuiltOnlyByToNarrow) {
    FCString s("ab");
    const char* first = s.ToNarrow();
    EXPECT_STREQ(first, "ab");
    s.AppendNarrow("cd");
    EXPECT_STREQ(s.ToNarrow(), "abcd");
}

TEST(FCStringTest, UnitWithZeroLowByteEndsTheNarrowText) {
    const char16_t text[] = {u'a', 0x0100, u'b', 0};
    FCString s;
    s.AssignWide(text);
    EXPECT_EQ(s.Length(), 3u);
    EXPECT_STREQ(s.ToNarrow(), "a");
}

TEST(FCStringTest, CharAtOutOfRangeIsZero) {
    FCString s("ab");
    EXPECT_EQ(s.CharAt(1), u'b');
    EXPECT_EQ(s.CharAt(2), 0);
    EXPECT_EQ(s.CharAt(-1), 0);
}

struct NumberCase {
    int32_t value;
    const char* text;
};

class FCStringNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(FCStringNumberTest, AssignNumberWritesPercentD) {
    FCString s("junk");
    s.AssignNumber(GetParam().value);
    EXPECT_STREQ(s.ToNarrow(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, FCStringNumberTest,
                         ::testing::Values(NumberCase{0, "0"}, NumberCase{-1, "-1"}, NumberCase{4096, "4096"},
                                           NumberCase{INT_MAX, "2147483647"},
                                           NumberCase{INT_MIN, "-2147483648"}));

TEST(FCStringTest, AppendNumberAppends) {
    FCString s("size ");
    s.AppendNumber(12);
    EXPECT_STREQ(s.ToNarrow(), "size 12");
}

TEST(FCStringTest, EqualsIsExactAndCaseSensitive) {
    FCString upper("Abc"), lower("abc"), same("Abc"), empty1, empty2, longer("Abcd");
    EXPECT_FALSE(upper.Equals(&lower));
    EXPECT_TRUE(upper.Equals(&same));
    EXPECT_FALSE(upper.Equals(&longer));
    EXPECT_TRUE(empty1.Equals(&empty2));
    EXPECT_FALSE(upper.Equals(nullptr));
}

// A text, a part to look for (at its start or anywhere), and whether it is there.
struct PartCase {
    const char* text;
    const char* part;
    bool expected;
};

class FCStringStartsTest : public ::testing::TestWithParam<PartCase> {};

TEST_P(FCStringStartsTest, StartsWithNarrow) {
    FCString s(GetParam().text);
    EXPECT_EQ(s.StartsWithNarrow(GetParam().part), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FCStringStartsTest,
                         ::testing::Values(PartCase{"", "", true}, PartCase{"Flute", "", true},
                                           PartCase{"^f", "^fo", false}, PartCase{"^font(", "^fo", true},
                                           PartCase{"^Font", "^font", false}));

TEST(FCStringTest, StartsWithComparesLowBytesOnly) {
    const char16_t text[] = {0x015E, u'x', 0};  // low byte 0x5E is '^'
    FCString s;
    s.AssignWide(text);
    EXPECT_TRUE(s.StartsWithNarrow("^x"));
}

class FCStringContainsTest : public ::testing::TestWithParam<PartCase> {};

TEST_P(FCStringContainsTest, Contains) {
    FCString s(GetParam().text), part(GetParam().part);
    EXPECT_EQ(s.Contains(&part), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FCStringContainsTest,
                         ::testing::Values(PartCase{"", "", true}, PartCase{"ab", "abc", false},
                                           PartCase{"Change to Flute", "Flute", true},
                                           PartCase{"Change to Flute", "flute", false},
                                           PartCase{"aab", "ab", true}, PartCase{"abc", "", true},
                                           PartCase{"Flute", "Flx", false}));

TEST(FCStringTest, ContainsNullIsFalse) {
    FCString s("abc");
    EXPECT_FALSE(s.Contains(nullptr));
}

TEST(FCStringTest, AssignFromEmptyLeavesValidTerminatedBuffer) {
    FCString target("something long enough"), empty;
    target.Assign(&empty);
    EXPECT_EQ(target.Length(), 0u);
    ASSERT_NE(target.WideBuffer(), nullptr);
    EXPECT_EQ(target.WideBuffer()[0], 0);
}

TEST(FCStringTest, AssignCopiesAndReservesOneMore) {
    FCString source("123456789"), target;
    target.Assign(&source);
    EXPECT_EQ(Units(target), u"123456789");
    EXPECT_EQ(target.Capacity(), 20u);  // Reserve(9 + 1)
}

TEST(FCStringTest, MoveAssignTakesTheOthersUnits) {
    FCString a("To "), b("Flute");
    a = std::move(b);
    EXPECT_EQ(Units(a), u"Flute");
}

TEST(FCStringTest, AppendKeepsTheTerminator) {
    FCString a("To "), b("Flute");
    a.Append(&b);
    EXPECT_EQ(Units(a), u"To Flute");
    EXPECT_EQ(a.WideBuffer()[a.Length()], 0);
}

TEST(FCStringTest, BoundedAssignStopsAtTheCountWithoutTerminator) {
    const char16_t noTerminator[] = {u'F', u'l', u'u', u't', u'e'};
    FCString s;
    s.AssignWideBounded(noTerminator, 3);
    EXPECT_EQ(Units(s), u"Flu");
    const char narrow[] = {'O', 'b', 0, 'e'};
    s.AssignNarrowBounded(narrow, 4);
    EXPECT_STREQ(s.ToNarrow(), "Ob");
    const char16_t empty[] = {0, u'x', 0};
    s.AssignWide(empty);
    EXPECT_EQ(s.Length(), 0u);
    EXPECT_THROW(s.Reserve(UINT32_MAX), std::bad_alloc);          // no room for the terminator
    const std::vector<char> unterminated = {'O', 'b', 'o', 'e'};  // nothing past the count may be read
    s.AssignNarrowBounded(unterminated.data(), 4);
    EXPECT_STREQ(s.ToNarrow(), "Oboe");
}

// A host text in the host version's encoding, with its terminator: written in exactly HostTextSize bytes
// (the bytes after them untouched) and read back; no bytes read as an empty text, whatever the string held.
TEST(HostTextTest, WritesExactlyItsSizeAndReadsBack) {
    struct Case {
        uint32_t hostVersion;
        std::u16string text;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {{testsupport::kNarrowHost, u"", {0}},
                          {testsupport::kNarrowHost, u"Fl\u00E9", {'F', 'l', 0xE9, 0}},
                          {testsupport::kWideHost, u"", {0, 0}},
                          {testsupport::kWideHost, u"Fl\u266D", {'F', 0, 'l', 0, 0x6D, 0x26, 0, 0}}};
    const uint32_t savedVersion = gHostVersion;
    for (const Case& c : cases) {
        gHostVersion = c.hostVersion;
        FCString text;
        text.AssignWide(c.text.c_str());
        EXPECT_EQ(HostTextSize(text), c.bytes.size());
        std::vector<uint8_t> out(c.bytes.size() + 3, 0xEE);
        WriteHostText(text, out.data());
        std::vector<uint8_t> expected = c.bytes;
        expected.resize(out.size(), 0xEE);
        EXPECT_EQ(out, expected);

        FCString read("stale");
        ReadHostText(c.bytes.data(), c.bytes.size(), read);
        EXPECT_EQ(Units(read), c.text);
        read.AssignNarrow("stale");
        ReadHostText(nullptr, 0, read);
        EXPECT_EQ(Units(read), u"");
    }
    gHostVersion = savedVersion;
}

TEST(FCBaseTest, SameClassComparesClassNamePointers) {
    FCString a, b;
    __FCBase root;
    EXPECT_TRUE(a.IsSameClass(&b));
    EXPECT_FALSE(a.IsSameClass(&root));
    EXPECT_FALSE(a.IsSameClass(nullptr));
    EXPECT_STREQ(a.ClassName(), "FCString");
    EXPECT_STREQ(root.ClassName(), "__FCBase");
}

}  // namespace
