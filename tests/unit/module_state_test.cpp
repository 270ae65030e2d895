// Module-wide state behind the exports: the host version, the settings and the exception boundary.
#include <gtest/gtest.h>

#include <new>

#include "host/host_version.h"
#include "plugin/entry_points.h"
#include "plugin/module_state.h"
#include "tests/support/host_fixture.h"
#include "tests/unit/allocation_failure.h"

namespace {

class ModuleStateTest : public testsupport::HostFixture {};

TEST_F(ModuleStateTest, VersionIsStoredAndReadAtUse) {
    FinaleExtensionVersion(0x10FFFFFF);
    EXPECT_EQ(gHostVersion, 0x10FFFFFFu);
    EXPECT_FALSE(HostUsesWideText());
    FinaleExtensionVersion(0x11000000);
    EXPECT_TRUE(HostUsesWideText());
}

TEST_F(ModuleStateTest, InitPutsTheDefaultsBackAfterAChange) {
    uint32_t flags = 0;
    gPluginSettings.prefixText.AssignNarrow("Auf ");
    gPluginSettings.suffixText.AssignNarrow("");
    gPluginSettings.categoryName.AssignNarrow("Expressive Text");
    ASSERT_EQ(FinaleExtensionInit(0, &flags), 1u);
    EXPECT_STREQ(gPluginSettings.prefixText.ToNarrow(), "To ");
    EXPECT_STREQ(gPluginSettings.suffixText.ToNarrow(), ":");
    EXPECT_STREQ(gPluginSettings.categoryName.ToNarrow(), "Technique Text");
}

TEST_F(ModuleStateTest, OutOfMemoryDoesNotLeaveAnEntryPoint) {
    gPluginSettings.prefixText.AssignNarrow(nullptr);  // the next assignment must allocate
    uint32_t flags = 0;
    uint32_t answer = 1;
    unsigned char record[MIREL_MENU_RECORD_UTF16_SIZE] = {};
    int16_t wideAnswer = 1;
    {
        AllocationFailure failing;
        answer = FinaleExtensionInit(0, &flags);
        wideAnswer = FinaleExtensionEnumerate_UTF16(0, 0, record);
    }
    EXPECT_EQ(answer, 0u);
    EXPECT_EQ(wideAnswer, 0);
}

}  // namespace
