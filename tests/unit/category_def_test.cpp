// Expression categories: layouts per host version, names, the content comparison, the collection, the text
// font, and what a text expression definition takes over from its category.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "host/host_api.h"
#include "host/host_version.h"
#include "records/category_def.h"
#include "records/text_expression_def.h"
#include "standin/host/host.h"
#include "standin/score/document_builder.h"
#include "tests/support/host_fixture.h"
#include "tests/support/text_encodings.h"
#include "text/font_info.h"

namespace {

using standin::Bytes;
using standin::Host;
using standin::RecordKey;
using testsupport::kNarrowHost;
using testsupport::kWideHost;
using testsupport::Units;

constexpr uint32_t kSOMC = 0x534F4D43;
constexpr std::array<uint16_t, 6> kDefaults{0x1111, 0x2222, 0x3333, 0x4444, 0x5555, 0x6666};

std::u16string NameOf(const FCCategoryDef& category) {
    FCString name("stale");
    category.GetName(&name);
    return Units(name);
}

uint16_t Word(const uint8_t* data, std::size_t offset) {
    return static_cast<uint16_t>(data[offset] | (data[offset + 1] << 8));
}

class CategoryTest : public testsupport::HostFixture {
  protected:
    void UseHost(uint32_t version) { gHostVersion = version; }
    standin::DocumentBuilder Builder() { return standin::DocumentBuilder(Host().Doc(), gHostVersion); }
    void AddCategory(int16_t id, int16_t categoryID, const std::string& name, uint16_t trailingWord = 0) {
        Builder().AddCategory({id, categoryID, name, 0, 12, 0, kDefaults, trailingWord});
    }
};

// ---- Layouts ----------------------------------------------------------------------------------------------

class CategoryLayoutTest : public CategoryTest,
                           public ::testing::WithParamInterface<testsupport::LayoutCase> {};

TEST_P(CategoryLayoutTest, LoadsTheLayoutOfTheHostVersion) {
    const testsupport::LayoutCase& c = GetParam();
    UseHost(c.hostVersion);
    Host().AddFont(4, "Arial");
    Builder().AddCategory({1, 7, "Technique Text", 4, -10, 0x8001, kDefaults, 0xBEEF});
    Host().LogCalls(true);

    FCCategoryDef category;
    EXPECT_EQ(category.LoadedSize(), c.size);  // a new one counts as loaded with its layout's size
    ASSERT_TRUE(category.Load(1));
    const auto loads = Host().CallsTo("FX_LoadEData");
    ASSERT_EQ(loads.size(), 1u);
    EXPECT_EQ(loads[0].args[0], kSOMC);
    EXPECT_EQ(loads[0].args[6], c.size);
    EXPECT_EQ(loads[0].args[7], c.recordVersion);
    EXPECT_EQ(category.LoadedSize(), c.size);
    EXPECT_EQ(category.RecordVersion(), c.recordVersion);

    EXPECT_EQ(category.GetCategoryID(), 7);
    EXPECT_EQ(NameOf(category), u"Technique Text");
    EXPECT_EQ(category.GetTextFontNumber(), 4);
    EXPECT_EQ(category.GetTextFontSize(), -10);
    EXPECT_EQ(category.GetTextFontEffects(), 0x8001);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(category.GetDefinitionDefault(i), kDefaults[static_cast<std::size_t>(i)]);
    EXPECT_EQ(category.GetDefinitionDefault(6), 0);
    EXPECT_EQ(category.GetTrailingWord(), 0xBEEF);

    std::unique_ptr<FCFontInfo> font(category.CreateTextFontInfo());
    EXPECT_STREQ(font->GetName(), "Arial");
    EXPECT_EQ(font->GetSize(), -10);
    EXPECT_EQ(font->GetEffects(), 0x8001);
}

INSTANTIATE_TEST_SUITE_P(HostVersions, CategoryLayoutTest,
                         ::testing::ValuesIn(testsupport::LayoutsByText(104, 0x0F000000, 296, 0x11000000)));

// Objects made before the host version changes load the record of the layout in force at the load.
TEST_F(CategoryTest, LayoutFollowsTheHostVersionAtTheMomentOfUse) {
    UseHost(kWideHost);
    FCCategoryDef category;
    UseHost(kNarrowHost);
    AddCategory(1, 3, "Dynamics");
    ASSERT_TRUE(category.Load(1));
    EXPECT_EQ(category.LoadedSize(), 104);
    EXPECT_EQ(NameOf(category), u"Dynamics");
    EXPECT_EQ(category.GetCategoryID(), 3);
}

// ---- Names ------------------------------------------------------------------------------------------------

struct NameCase {
    uint32_t hostVersion;
    std::string stored;
    std::u16string expected;
};

class CategoryNameTest : public CategoryTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(CategoryNameTest, ReadsTheNameInTheLayoutsEncoding) {
    UseHost(GetParam().hostVersion);
    AddCategory(1, 1, GetParam().stored);
    FCCategoryDef category;
    ASSERT_TRUE(category.Load(1));
    EXPECT_EQ(NameOf(category), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Names, CategoryNameTest,
                         ::testing::Values(NameCase{kWideHost, "", u""}, NameCase{kNarrowHost, "", u""},
                                           NameCase{kWideHost, "Expressive Text", u"Expressive Text"},
                                           NameCase{kNarrowHost, "Expressive Text", u"Expressive Text"},
                                           NameCase{kWideHost, "\xC5\x81\xC3\xA9", u"\u0141\u00E9"},
                                           NameCase{kNarrowHost, "caf\xC3\xA9", u"caf\u00E9"}));

// A name without terminator ends with the loaded bytes; a short record reads its missing fields as zero.
TEST_F(CategoryTest, HostileRecordsAreReadInsideTheLoadedBytes) {
    UseHost(kWideHost);
    Host().Doc().Put(kSOMC, RecordKey::Other(1), Bytes{5, 0, 'a', 0, 'b', 0, 'c'});
    FCCategoryDef category;
    ASSERT_TRUE(category.Load(1));
    EXPECT_EQ(category.LoadedSize(), 7);
    EXPECT_EQ(category.GetCategoryID(), 5);
    EXPECT_EQ(NameOf(category), u"ab");
    EXPECT_EQ(category.GetTextFontSize(), 0);
    EXPECT_EQ(category.GetTrailingWord(), 0);

    UseHost(kNarrowHost);
    Host().Doc().Put(kSOMC, RecordKey::Other(2), Bytes(104, 'x'));
    FCCategoryDef narrow;
    ASSERT_TRUE(narrow.Load(2));
    EXPECT_EQ(NameOf(narrow), std::u16string(102, u'x'));

    // A record larger than the layout does not load into it.
    Host().Doc().Put(kSOMC, RecordKey::Other(3), Bytes(105, 'y'));
    EXPECT_FALSE(narrow.Load(3));
}

// ---- The content comparison -------------------------------------------------------------------------------

struct SameCase {
    int16_t otherID;
    std::string otherName;
    uint16_t otherTrailing;
    bool same;
};

class CategorySameTest : public CategoryTest, public ::testing::WithParamInterface<SameCase> {};

TEST_P(CategorySameTest, ComparesIdTrailingWordAndName) {
    UseHost(kWideHost);
    AddCategory(1, 4, "Tempo Marks", 0x0102);
    AddCategory(2, GetParam().otherID, GetParam().otherName, GetParam().otherTrailing);
    FCCategoryDef first;
    FCCategoryDef second;
    ASSERT_TRUE(first.Load(1));
    ASSERT_TRUE(second.Load(2));
    EXPECT_EQ(first.IsSameClass(&second), GetParam().same);
    EXPECT_EQ(second.IsSameClass(&first), GetParam().same);
}

INSTANTIATE_TEST_SUITE_P(Contents, CategorySameTest,
                         ::testing::Values(SameCase{4, "Tempo Marks", 0x0102, true},
                                           SameCase{5, "Tempo Marks", 0x0102, false},
                                           SameCase{4, "Tempo Marks", 0x0103, false},
                                           SameCase{4, "tempo marks", 0x0102, false},
                                           SameCase{4, "Tempo Mark", 0x0102, false}));

TEST_F(CategoryTest, IsSameClassIsFalseForOtherClassesAndNull) {
    FCCategoryDef category;
    FCString text;
    EXPECT_FALSE(category.IsSameClass(&text));
    EXPECT_FALSE(category.IsSameClass(nullptr));
    FCCategoryDef other;
    EXPECT_TRUE(category.IsSameClass(&other));  // both new: equal contents
}

// ---- The collection ---------------------------------------------------------------------------------------

TEST_F(CategoryTest, LoadAllTakesEveryCategoryFromRecordOne) {
    UseHost(kWideHost);
    AddCategory(1, 1, "Dynamics");
    AddCategory(2, 2, "Tempo Marks");
    AddCategory(5, 9, "Technique Text");
    FCCategoryDefs categories;
    EXPECT_STREQ(categories.ClassName(), "FCCategoryDefs");
    ASSERT_EQ(categories.LoadAll(), 3);
    const std::vector<std::u16string> expected{u"Dynamics", u"Tempo Marks", u"Technique Text"};
    for (int32_t i = 0; i < 3; ++i) {
        FCCategoryDef* category = categories.GetCategoryAt(i);
        ASSERT_NE(category, nullptr);
        EXPECT_EQ(NameOf(*category), expected[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(categories.GetCategoryAt(2)->GetCategoryID(), 9);
    EXPECT_EQ(categories.GetCategoryAt(2)->ItemNo(), 5);
    EXPECT_EQ(categories.GetCategoryAt(2)->GetDefinitionDefault(5), kDefaults[5]);
}

TEST_F(CategoryTest, LoadAllWithoutRecordOneIsEmpty) {
    UseHost(kWideHost);
    AddCategory(1, 1, "Dynamics");
    FCCategoryDefs categories;
    ASSERT_EQ(categories.LoadAll(), 1);
    Host().Doc().Erase(kSOMC, RecordKey::Other(1));
    AddCategory(2, 2, "Tempo Marks");
    EXPECT_EQ(categories.LoadAll(), 0);
    EXPECT_EQ(categories.GetCategoryAt(0), nullptr);
}

// ---- Text font --------------------------------------------------------------------------------------------

TEST_F(CategoryTest, TextFontOfAnUnknownFontNumberIsTimesNewRoman) {
    UseHost(kWideHost);
    Builder().AddCategory({1, 1, "Dynamics", 77, 14, 3, kDefaults});
    FCCategoryDef category;
    ASSERT_TRUE(category.Load(1));
    std::unique_ptr<FCFontInfo> font(category.CreateTextFontInfo());
    FCString tags;
    AssignFontTags(tags, *font);
    EXPECT_EQ(Units(tags), u"^font(Times New Roman)^size(14)^nfx(3)");
}

// ---- What a definition takes over -------------------------------------------------------------------------

struct AssignCase {
    uint32_t hostVersion;
    int16_t categoryID;
    uint16_t word26Before;
    bool result;
    uint16_t word26After;
};

void PrintTo(const AssignCase& c, std::ostream* os) {
    *os << std::hex << "host 0x" << c.hostVersion << ", categoryID 0x" << c.categoryID << ", word 26 0x"
        << c.word26Before;
}

class AssignToCategoryTest : public CategoryTest, public ::testing::WithParamInterface<AssignCase> {};

TEST_P(AssignToCategoryTest, TakesIdAndDefaultsByTheBitRules) {
    const AssignCase& c = GetParam();
    UseHost(c.hostVersion);
    AddCategory(1, c.categoryID, "Technique Text");
    FCCategoryDef category;
    ASSERT_TRUE(category.Load(1));

    FCTextExpressionDef definition;
    uint8_t* area = const_cast<uint8_t*>(definition.Data());
    area[26] = static_cast<uint8_t>(c.word26Before & 0xFF);
    area[27] = static_cast<uint8_t>(c.word26Before >> 8);
    const std::vector<uint8_t> before(area, area + definition.LoadedSize());

    EXPECT_EQ(definition.AssignToCategory(&category), c.result);
    const uint8_t* after = definition.Data();
    if (!c.result) {
        EXPECT_EQ(std::vector<uint8_t>(after, after + definition.LoadedSize()), before);
        return;
    }
    EXPECT_EQ(Word(after, 26), c.word26After);
    EXPECT_EQ(definition.GetCategoryID(), static_cast<uint16_t>(c.categoryID) & 0x3FFF);
    // Category defaults 0..5 (278 ... 288, or 86 ... 96) go to 14, 12, 16, 24, 32, 30.
    EXPECT_EQ(Word(after, 14), kDefaults[0]);
    EXPECT_EQ(Word(after, 12), kDefaults[1]);
    EXPECT_EQ(Word(after, 16), kDefaults[2]);
    EXPECT_EQ(Word(after, 24), kDefaults[3]);
    EXPECT_EQ(Word(after, 32), kDefaults[4]);
    EXPECT_EQ(Word(after, 30), kDefaults[5]);
    // Nothing else changes.
    for (std::size_t offset : {0u, 2u, 4u, 6u, 8u, 10u, 18u, 20u, 22u, 28u})
        EXPECT_EQ(Word(after, offset), 0);
}

INSTANTIATE_TEST_SUITE_P(Bits, AssignToCategoryTest,
                         ::testing::Values(AssignCase{kWideHost, 0, 0xC123, false, 0},
                                           AssignCase{kWideHost, -3, 0, false, 0},
                                           AssignCase{kNarrowHost, 0, 0, false, 0},
                                           AssignCase{kWideHost, 5, 0xC000 | 0x1234, true, 0xC005},
                                           AssignCase{kWideHost, 5, 0, true, 0xC005},
                                           AssignCase{kWideHost, 0x7FFF, 0, true, 0xFFFF},
                                           AssignCase{kNarrowHost, 5, 0, true, 0x0005},
                                           AssignCase{kNarrowHost, 5, 0x4000 | 0x0123, true, 0x4005},
                                           AssignCase{kNarrowHost, 1, 0x8000, true, 0x8001}));

}  // namespace
