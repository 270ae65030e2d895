// The binding of the host's functions: when and where they are looked up, what each call passes, and what the
// module makes of an absent host or function.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/host_api.h"
#include "tests/unit/framework_test_records.h"

namespace {

using testsupport::kHostVersion;
constexpr uint32_t kTag = testrecords::kFixedTag;

class HostBindingTest : public testrecords::HostTest {
  protected:
    static std::vector<std::string> ModuleNamesAsked() {
        std::vector<std::string> names;
        for (const auto& call : standin::Host().CallsTo("GetModuleHandleA")) names.push_back(call.text);
        return names;
    }
    static int ProcLookups(const std::string& name) {
        const auto& lookups = standin::Host().ProcAddressRequests();
        auto it = lookups.find(name);
        return it == lookups.end() ? 0 : it->second;
    }
    static int HostCalls(const std::string& name) { return standin::Host().Counts().Of(name); }
    // Calls a handful of host functions twice each.
    static void CallSeveral() {
        char font[256];
        for (int round = 0; round < 2; ++round) {
            host::FX_GetCurrentEnigmaDocument();
            host::FX_SlotToInst(1, 0);
            host::FX_InstToSlot(10);
            host::FX_FontNumToName(1, font);
            host::FX_GetCurrentWindow();
        }
    }
};

// ---- Look-up rules ----------------------------------------------------------------------------------------

TEST_F(HostBindingTest, NothingIsLookedUpBeforeTheFirstCall) {
    EXPECT_EQ(Host().Counts().Of("GetModuleHandleA"), 0);
    EXPECT_TRUE(Host().ProcAddressRequests().empty());
}

TEST_F(HostBindingTest, ModuleHandleIsLookedUpOnceForAllFunctions) {
    Host().SetStaffOrder({10});
    Host().AddFont(1, "Maestro");
    CallSeveral();
    EXPECT_EQ(Host().Counts().Of("GetModuleHandleA"), 1);
    EXPECT_EQ(ModuleNamesAsked(), (std::vector<std::string>{"FINALE.EXE"}));
    for (const char* name : {"FX_GetCurrentEnigmaDocument", "FX_SlotToInst", "FX_InstToSlot",
                             "FX_FontNumToName", "FX_GetCurrentWindow"}) {
        EXPECT_EQ(ProcLookups(name), 1) << name;
        EXPECT_EQ(HostCalls(name), 2) << name;
    }
}

TEST_F(HostBindingTest, DemoExecutableServesWhenTheFullOneIsAbsent) {
    Host().AnswerAs({"FINDEMO.EXE"});
    Host().SetDocumentID(7);
    Host().SetStaffOrder({10, 20});
    EXPECT_EQ(host::FX_GetCurrentEnigmaDocument(), 7);
    EXPECT_EQ(host::FX_SlotToInst(2, 0), 20);
    EXPECT_EQ(host::FX_InstToSlot(20), 2);
    EXPECT_EQ(ModuleNamesAsked(), (std::vector<std::string>{"FINALE.EXE", "FINDEMO.EXE"}));
    EXPECT_EQ(Host().Counts().Of("GetModuleHandleA"), 2);
    EXPECT_EQ(HostCalls("FX_SlotToInst"), 1);
}

TEST_F(HostBindingTest, FullExecutableIsPreferredWhenBothAreLoaded) {
    Host().AnswerAs({"FINALE.EXE", "FINDEMO.EXE"});
    EXPECT_EQ(host::FX_GetCurrentEnigmaDocument(), 1);
    EXPECT_EQ(ModuleNamesAsked(), (std::vector<std::string>{"FINALE.EXE"}));
}

TEST_F(HostBindingTest, WithoutAHostModuleEveryOperationAnswersZeroAndNothingIsAskedAgain) {
    Host().AnswerAs({});
    Host().SetStaffOrder({10});
    uint8_t key[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    uint8_t buffer[8] = {};
    uint32_t size = sizeof buffer;
    char text[16] = "unchanged";
    char16_t wide[4] = {u'x', u'y', 0, 0};
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(host::FX_LoadEData(kTag, key, buffer, &size, kHostVersion), 0);
        EXPECT_EQ(host::FX_SaveEData(kTag, key, buffer, size, kHostVersion), 0);
        EXPECT_EQ(host::FX_CreateEData(kTag, key, buffer, size, kHostVersion), 0);
        EXPECT_EQ(host::FX_DeleteEData(kTag, key, kHostVersion), 0);
        EXPECT_EQ(host::FX_NextEData(kTag, key, kHostVersion), 0);
        EXPECT_EQ(host::FX_Dialog(20128, nullptr, nullptr, nullptr), 0);
        host::FX_EndDialog(nullptr);
        EXPECT_EQ(host::FX_EnableDlgItem(nullptr, 5, true), 0);
        EXPECT_EQ(host::FX_GetDlgItemVal(nullptr, 5, 0), 0);
        EXPECT_EQ(host::FX_SetDlgItemVal(nullptr, 5, 3, 12), 0);
        host::FX_GetDlgString(nullptr, 5, text, sizeof text);
        host::FX_GetDlgString_UTF16(nullptr, 5, wide, 4);
        EXPECT_EQ(host::FX_SetDlgString(nullptr, 5, "a"), 0);
        EXPECT_EQ(host::FX_SetDlgString_UTF16(nullptr, 5, u"a"), 0);
        EXPECT_EQ(host::FX_GetCurrentWindow(), nullptr);
        EXPECT_EQ(host::FX_GetCurrentWindowInfo(buffer), 0);
        EXPECT_EQ(host::FX_GetCurrentEnigmaDocument(), 0);
        EXPECT_EQ(host::FX_SlotToInst(1, 0), 0);
        EXPECT_EQ(host::FX_InstToSlot(10), 0);
        EXPECT_EQ(host::FX_FontNumToName(1, nullptr), 0);
    }
    // A text the host cannot fill reads as empty.
    EXPECT_EQ(text[0], 0);
    EXPECT_EQ(wide[0], 0);
    EXPECT_EQ(Host().Counts().Of("GetModuleHandleA"), 2);
    EXPECT_TRUE(Host().ProcAddressRequests().empty());
    for (const auto& [function, count] : Host().Counts().ByName())
        EXPECT_NE(function.rfind("FX_", 0), 0u) << function;
}

TEST_F(HostBindingTest, AbsentFunctionIsLookedUpOnceAndAnswersZeroOnEveryCall) {
    Host().HideFunction("FX_SlotToInst");
    Host().SetStaffOrder({10, 20});
    for (int i = 0; i < 3; ++i) EXPECT_EQ(host::FX_SlotToInst(2, 0), 0);
    EXPECT_EQ(ProcLookups("FX_SlotToInst"), 1);
    EXPECT_EQ(HostCalls("FX_SlotToInst"), 0);
    // Its neighbours are unaffected.
    EXPECT_EQ(host::FX_InstToSlot(20), 2);
    EXPECT_EQ(Host().Counts().Of("GetModuleHandleA"), 1);
}

TEST_F(HostBindingTest, AbsentDataFunctionFailsOnlyItsOwnCall) {
    Host().HideFunction("FX_SaveEData");
    Host().Doc().Put(kTag, standin::RecordKey::Other(1), testrecords::Le32(5, 6));
    testrecords::FixedRecord record;
    ASSERT_TRUE(record.Load(1));
    record.SetFirst(50);
    EXPECT_FALSE(record.Save());
    EXPECT_FALSE(record.Save());
    EXPECT_EQ(*Host().Doc().Find(kTag, standin::RecordKey::Other(1)), testrecords::Le32(5, 6));
    EXPECT_TRUE(record.SaveNew());
    EXPECT_EQ(ProcLookups("FX_SaveEData"), 1);
}

// ---- What each call passes --------------------------------------------------------------------------------

TEST_F(HostBindingTest, NonDataCallsAppendTheInterfaceVersion) {
    Host().SetStaffOrder({10, 20});
    Host().AddFont(4, "Broadway");
    char font[256];
    uint8_t info[MIREL_WINDOW_INFO_SIZE] = {};
    host::FX_GetCurrentEnigmaDocument();
    host::FX_SlotToInst(2, -3);
    host::FX_InstToSlot(20);
    host::FX_FontNumToName(4, font);
    host::FX_GetCurrentWindow();
    host::FX_GetCurrentWindowInfo(info);
    struct Case {
        const char* function;
        std::vector<int64_t> args;
    };
    const Case cases[] = {
        {"FX_GetCurrentEnigmaDocument", {kHostVersion}}, {"FX_SlotToInst", {2, -3, kHostVersion}},
        {"FX_InstToSlot", {20, 0, kHostVersion}},        {"FX_FontNumToName", {4, 1, kHostVersion}},
        {"FX_GetCurrentWindow", {kHostVersion}},         {"FX_GetCurrentWindowInfo", {1, kHostVersion}},
    };
    for (const Case& c : cases) {
        const auto calls = Host().CallsTo(c.function);
        ASSERT_EQ(calls.size(), 1u) << c.function;
        EXPECT_EQ(calls[0].args, c.args) << c.function;
    }
    EXPECT_STREQ(font, "Broadway");
}

TEST_F(HostBindingTest, DataCallsReachTheHostWithTheCallersTagKeyBufferSizeAndVersion) {
    constexpr uint32_t kVersion = 0x0F000000;
    Host().Doc().Put(kTag, standin::RecordKey::Other(2), standin::Bytes(6, 0x5A));
    uint8_t key[8] = {2, 0, 0, 0, 0, 0, 0, 0};
    uint8_t buffer[16] = {};
    const uint32_t writesBefore = host::AcceptedWrites();

    // A size query copies nothing and reports the size.
    uint32_t size = 0;
    EXPECT_EQ(host::FX_LoadEData(kTag, key, nullptr, &size, kVersion), 1);
    EXPECT_EQ(size, 6u);
    size = sizeof buffer;
    EXPECT_EQ(host::FX_LoadEData(kTag, key, buffer, &size, kVersion), 1);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(buffer[5], 0x5A);
    EXPECT_EQ(buffer[6], 0);
    EXPECT_EQ(host::FX_SaveEData(kTag, key, buffer, 4, kVersion), 1);
    uint8_t created[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
    EXPECT_EQ(host::FX_CreateEData(kTag, created, buffer, 4, kVersion), 1);
    uint8_t walk[8] = {};
    EXPECT_EQ(host::FX_NextEData(kTag, walk, kVersion), 1);
    EXPECT_EQ(host::FX_DeleteEData(kTag, key, kVersion), 1);

    const auto loads = Host().CallsTo("FX_LoadEData");
    ASSERT_EQ(loads.size(), 2u);
    EXPECT_EQ(loads[0].args, (std::vector<int64_t>{kTag, 2, 0, 0, 0, 0, 0, kVersion}));
    EXPECT_EQ(loads[1].args, (std::vector<int64_t>{kTag, 2, 0, 0, 0, 1, 16, kVersion}));
    EXPECT_EQ(Host().CallsTo("FX_SaveEData")[0].args,
              (std::vector<int64_t>{kTag, 2, 0, 0, 0, 1, 4, kVersion}));
    EXPECT_EQ(Host().CallsTo("FX_CreateEData")[0].args,
              (std::vector<int64_t>{kTag, -1, -1, 0, 0, 1, 4, kVersion}));
    EXPECT_EQ(Host().CallsTo("FX_NextEData")[0].args,
              (std::vector<int64_t>{kTag, 0, 0, 0, 0, 0, 0, kVersion}));
    EXPECT_EQ(Host().CallsTo("FX_DeleteEData")[0].args, (std::vector<int64_t>{kTag, 2, 0, 0, 0, kVersion}));
    // The keys the host wrote back: the new item, and the first record of the walk.
    EXPECT_EQ(created[0], 3);
    EXPECT_EQ(created[2], 0);
    EXPECT_EQ(walk[0], 2);
    EXPECT_EQ(Host().Doc().Find(kTag, standin::RecordKey::Other(2)), nullptr);
    EXPECT_EQ(Host().Doc().Find(kTag, standin::RecordKey::Other(3))->size(), 4u);
    // The writes the host accepted are counted, each once; a refused one is not.
    EXPECT_EQ(host::FX_DeleteEData(kTag, key, kVersion), 0);
    EXPECT_EQ(host::AcceptedWrites() - writesBefore, 3u);
}

TEST_F(HostBindingTest, SixteenBitResultsKeepTheirSign) {
    Host().SetDocumentID(-5);
    Host().SetStaffOrder({-2, 10});
    EXPECT_EQ(host::FX_GetCurrentEnigmaDocument(), -5);
    EXPECT_EQ(host::FX_SlotToInst(1, 0), -2);
    EXPECT_EQ(host::FX_InstToSlot(-2), 1);
}

TEST_F(HostBindingTest, OnlyTheLowSixteenBitsOfTheseResultsCount) {
    Host().SetResultHighBits(0x1234);
    Host().SetDocumentID(-5);
    Host().SetStaffOrder({7});
    uint8_t key[8] = {};
    uint32_t size = 4;
    uint8_t buffer[4] = {};
    EXPECT_EQ(host::FX_GetCurrentEnigmaDocument(), -5);
    EXPECT_EQ(host::FX_SlotToInst(1, 0), 7);
    EXPECT_EQ(host::FX_InstToSlot(7), 1);
    EXPECT_EQ(host::FX_InstToSlot(8), 0);  // 0x12340000 from the host: not in the score
    EXPECT_EQ(host::FX_LoadEData(0x54455354, key, buffer, &size, 0x12050000), 0);  // no such record
    EXPECT_EQ(host::FX_NextEData(0x54455354, key, 0x12050000), 0);
    char name[256];
    EXPECT_EQ(host::FX_FontNumToName(99, name), 0);
}

TEST_F(HostBindingTest, FontNameArrivesTerminatedAndAnUnknownFontFails) {
    Host().AddFont(2, std::string(300, 'F'));
    char name[256];
    std::memset(name, 'x', sizeof name);
    EXPECT_EQ(host::FX_FontNumToName(2, name), 1);
    EXPECT_EQ(std::strlen(name), 255u);
    EXPECT_EQ(host::FX_FontNumToName(3, name), 0);
}

TEST_F(HostBindingTest, ResetForgetsEveryLookup) {
    host::FX_GetCurrentEnigmaDocument();
    host::gBindingCache = host::BindingCache();
    Host().AnswerAs({"FINDEMO.EXE"});
    Host().SetDocumentID(9);
    EXPECT_EQ(host::FX_GetCurrentEnigmaDocument(), 9);
    EXPECT_EQ(Host().Counts().Of("GetModuleHandleA"), 3);
    EXPECT_EQ(ProcLookups("FX_GetCurrentEnigmaDocument"), 2);
}

}  // namespace

// The window-info record carries a window as 32 bits on every platform. The value is sign-extended to a
// pointer, as the system converts handles on 64-bit Windows, and comes back unchanged whatever its top bit.
TEST(WindowValueTest, ThirtyTwoBitWindowValuesSurviveThePointerRoundTrip) {
    for (uint32_t value : {0u, 0x00010000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu}) {
        const HWND window = MirelWindowFromValue(value);
        EXPECT_EQ(MirelWindowValue(window), value);
        EXPECT_EQ(reinterpret_cast<intptr_t>(window), static_cast<int32_t>(value));
    }
}
