// The seven exports as the application sees them: the menu records byte by byte, the index rules, the flag
// word.
#include <cstring>
#include <vector>

#include "standin/commands/menu_listing.h"
#include "tests/e2e/module_fixture.h"

namespace {

constexpr unsigned char kUntouched = 0xAB;

std::vector<unsigned char> Filled(std::size_t size) {
    return std::vector<unsigned char>(size, kUntouched);
}

std::vector<unsigned char> NarrowFieldBytes(const char* text) {
    std::vector<unsigned char> field(64, 0);
    std::memcpy(field.data(), text, std::strlen(text));
    return field;
}

class EntryPointsTest : public ModuleTest {};

TEST_F(EntryPointsTest, VersionAnswers0x11000000) {
    EXPECT_EQ(Exports().version(0x1A000000), 0x11000000u);
}

TEST_F(EntryPointsTest, InitSetsOnlyBitZeroAndAnswersOne) {
    uint32_t flags = 0x00000006;
    EXPECT_EQ(Exports().init(0, &flags), 1u);
    EXPECT_EQ(flags, 0x00000007u);
    flags = 0xFFFFFFFE;
    Exports().init(0, &flags);
    EXPECT_EQ(flags, 0xFFFFFFFFu);
}

TEST_F(EntryPointsTest, NarrowMenuRecordIsFilledByteExactly) {
    auto record = Filled(MIREL_MENU_RECORD_SIZE);
    ASSERT_EQ(Exports().enumerate(0, 0, record.data()), 1u);
    const std::vector<unsigned char> text(record.begin(), record.begin() + 64);
    const std::vector<unsigned char> description(record.begin() + 64, record.begin() + 128);
    const std::vector<unsigned char> third(record.begin() + 128, record.begin() + 192);
    EXPECT_EQ(text, NarrowFieldBytes("Mirel Instrument Change..."));
    EXPECT_EQ(description, NarrowFieldBytes("Creates expressions at each instrument change in the region."));
    EXPECT_EQ(third, NarrowFieldBytes("Instrument Change"));
    EXPECT_EQ(record[192], 1);
    EXPECT_EQ(record[193], 0);
    EXPECT_EQ(record[194], 0);
    EXPECT_EQ(record[195], 0);
}

struct IndexCase {
    int32_t index;
    uint32_t narrowAnswer;
    int16_t wideAnswer;
};

class EnumerateIndexTest : public ModuleTest, public ::testing::WithParamInterface<IndexCase> {};

TEST_P(EnumerateIndexTest, IndexRules) {
    auto narrow = Filled(MIREL_MENU_RECORD_SIZE);
    auto wide = Filled(MIREL_MENU_RECORD_UTF16_SIZE);
    EXPECT_EQ(Exports().enumerate(0, GetParam().index, narrow.data()), GetParam().narrowAnswer);
    EXPECT_EQ(Exports().enumerateUtf16(0, GetParam().index, wide.data()), GetParam().wideAnswer);
    if (GetParam().narrowAnswer == 0) {
        EXPECT_EQ(narrow, Filled(MIREL_MENU_RECORD_SIZE));
    }
    if (GetParam().wideAnswer == 0) {
        EXPECT_EQ(wide, Filled(MIREL_MENU_RECORD_UTF16_SIZE));
    }
}

// The index is a 16-bit signed value in a 32-bit slot: 0x10000 counts as 0, 0xFFFF as -1.
INSTANTIATE_TEST_SUITE_P(Indexes, EnumerateIndexTest,
                         ::testing::Values(IndexCase{0, 1, 1}, IndexCase{1, 0, 0}, IndexCase{2, 0, 0},
                                           IndexCase{-1, 1, 0}, IndexCase{-32768, 1, 0},
                                           IndexCase{0x10000, 1, 1}, IndexCase{0xFFFF, 1, 0}));

TEST_F(EntryPointsTest, WideMenuRecordTerminatesEachTextAndLeavesTheRest) {
    auto record = Filled(MIREL_MENU_RECORD_UTF16_SIZE);
    ASSERT_EQ(Exports().enumerateUtf16(0, 0, record.data()), 1);
    const char* text = "Mirel Instrument Change...";
    const std::size_t n = std::strlen(text);
    ASSERT_EQ(n, 26u);
    for (std::size_t i = 0; i < n; ++i) {
        EXPECT_EQ(record[2 * i], static_cast<unsigned char>(text[i])) << i;
        EXPECT_EQ(record[2 * i + 1], 0) << i;
    }
    EXPECT_EQ(record[2 * n], 0);
    EXPECT_EQ(record[2 * n + 1], 0);
    // Behind the terminator the host's bytes stay.
    EXPECT_EQ(record[2 * n + 2], kUntouched);
    EXPECT_EQ(record[255], kUntouched);

    const standin::MenuCommand command = standin::DecodeMenuRecordUtf16(record.data());
    EXPECT_EQ(command.text, "Mirel Instrument Change...");
    EXPECT_EQ(command.description, "Creates expressions at each instrument change in the region.");
    EXPECT_EQ(command.thirdText, "Instrument Change");
    EXPECT_EQ(command.trailingValue, 1u);
}

TEST_F(EntryPointsTest, MenuStatusIsAlwaysOneAndTerminateIsHarmless) {
    EXPECT_EQ(Exports().getMenuStatus(0), 1u);
    EXPECT_EQ(Exports().getMenuStatus(12345), 1u);
    Exports().terminate(0);
    EXPECT_EQ(Exports().getMenuStatus(0), 1u);
}

// A host that passes no record gets a refusal, or the answer that needs none, and no crash.
TEST_F(EntryPointsTest, NullArgumentsAreRefusedOrIgnored) {
    EXPECT_EQ(Exports().init(0, nullptr), 1u);
    EXPECT_EQ(Exports().enumerate(0, 0, nullptr), 0u);
    EXPECT_EQ(Exports().enumerateUtf16(0, 0, nullptr), 0);
    EXPECT_EQ(Exports().invoke(nullptr, 0, nullptr, 0), 0u);
}

}  // namespace
