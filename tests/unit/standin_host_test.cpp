// The stand-in's kernel look-up (GetModuleHandleA, GetProcAddress) and its staff, font, window and document
// functions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/win32_subset.h"
#include "standin/host/host.h"
#include "standin/host/host_functions.h"
#include "tests/support/host_fixture.h"

namespace {

using standin::Host;

using testsupport::kHostVersion;

class StandinHostTest : public testsupport::HostFixture {
  protected:
};

template <typename Fn>
FARPROC AsProc(Fn function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

// ---- GetModuleHandleA ----

TEST_F(StandinHostTest, ModuleHandleAnswersOnlyRegisteredNamesWhateverTheirCase) {
    struct Case {
        const char* name;
        bool found;
    };
    const Case cases[] = {{"FINALE.EXE", true},   {"finale.exe", true}, {"Finale.Exe", true},
                          {"FINDEMO.EXE", false}, {"FINALE", false},    {"", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(GetModuleHandleA(c.name) != nullptr, c.found);
    }
    EXPECT_EQ(GetModuleHandleA(nullptr), nullptr);
    EXPECT_EQ(Host().Counts().Of("GetModuleHandleA"), 7);
}

TEST_F(StandinHostTest, ADemoHostAnswersOnlyToItsOwnName) {
    Host().AnswerAs({"FINDEMO.EXE"});
    EXPECT_EQ(GetModuleHandleA("FINALE.EXE"), nullptr);
    EXPECT_NE(GetModuleHandleA("FINDEMO.EXE"), nullptr);
    Host().AnswerAs({});
    EXPECT_EQ(GetModuleHandleA("FINDEMO.EXE"), nullptr);
}

// ---- GetProcAddress ----

TEST_F(StandinHostTest, EveryFunctionIsFoundUnderItsName) {
    HMODULE module = GetModuleHandleA("FINALE.EXE");
    ASSERT_NE(module, nullptr);
    struct Case {
        const char* name;
        FARPROC address;
    };
    const Case cases[] = {
        {"FX_LoadEData", AsProc(&FX_LoadEData)},
        {"FX_SaveEData", AsProc(&FX_SaveEData)},
        {"FX_CreateEData", AsProc(&FX_CreateEData)},
        {"FX_DeleteEData", AsProc(&FX_DeleteEData)},
        {"FX_NextEData", AsProc(&FX_NextEData)},
        {"FX_Dialog", AsProc(&FX_Dialog)},
        {"FX_EndDialog", AsProc(&FX_EndDialog)},
        {"FX_EnableDlgItem", AsProc(&FX_EnableDlgItem)},
        {"FX_GetDlgItemVal", AsProc(&FX_GetDlgItemVal)},
        {"FX_SetDlgItemVal", AsProc(&FX_SetDlgItemVal)},
        {"FX_GetDlgString", AsProc(&FX_GetDlgString)},
        {"FX_GetDlgString_UTF16", AsProc(&FX_GetDlgString_UTF16)},
        {"FX_SetDlgString", AsProc(&FX_SetDlgString)},
        {"FX_SetDlgString_UTF16", AsProc(&FX_SetDlgString_UTF16)},
        {"FX_GetCurrentWindow", AsProc(&FX_GetCurrentWindow)},
        {"FX_GetCurrentWindowInfo", AsProc(&FX_GetCurrentWindowInfo)},
        {"FX_GetCurrentEnigmaDocument", AsProc(&FX_GetCurrentEnigmaDocument)},
        {"FX_SlotToInst", AsProc(&FX_SlotToInst)},
        {"FX_InstToSlot", AsProc(&FX_InstToSlot)},
        {"FX_FontNumToName", AsProc(&FX_FontNumToName)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(GetProcAddress(module, c.name), c.address);
        EXPECT_EQ(Host().ProcAddressRequests(c.name), 1);
    }
}

TEST_F(StandinHostTest, HiddenUnknownAndMisaddressedLookUpsFindNothingButAreCounted) {
    HMODULE module = GetModuleHandleA("FINALE.EXE");
    Host().HideFunction("FX_SlotToInst");
    EXPECT_EQ(GetProcAddress(module, "FX_SlotToInst"), nullptr);
    EXPECT_EQ(GetProcAddress(module, "FX_SlotToInst"), nullptr);
    EXPECT_NE(GetProcAddress(module, "FX_InstToSlot"), nullptr) << "only the hidden one is missing";
    EXPECT_EQ(GetProcAddress(module, "FX_slottoinst"), nullptr) << "names are exact";
    EXPECT_EQ(GetProcAddress(module, "FX_NoSuchFunction"), nullptr);
    EXPECT_EQ(GetProcAddress(nullptr, "FX_InstToSlot"), nullptr);
    char elsewhere = 0;
    EXPECT_EQ(GetProcAddress(reinterpret_cast<HMODULE>(&elsewhere), "FX_InstToSlot"), nullptr);
    EXPECT_EQ(GetProcAddress(module, nullptr), nullptr);
    EXPECT_EQ(Host().ProcAddressRequests("FX_SlotToInst"), 2);
    EXPECT_EQ(Host().ProcAddressRequests("FX_InstToSlot"), 3);
    EXPECT_EQ(Host().ProcAddressRequests("FX_NoSuchFunction"), 1);
}

TEST_F(StandinHostTest, AFunctionFoundByNameAnswersLikeTheHost) {
    Host().SetDocumentID(7);
    Host().LogCalls(true);
    auto fn = reinterpret_cast<FX_GetCurrentEnigmaDocumentFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleA("finale.exe"), "FX_GetCurrentEnigmaDocument")));
    ASSERT_NE(fn, nullptr);
    EXPECT_EQ(fn(kHostVersion), 7);
    ASSERT_EQ(Host().CountCalls("FX_GetCurrentEnigmaDocument"), 1);
    EXPECT_EQ(Host().CallsTo("FX_GetCurrentEnigmaDocument")[0].args, (std::vector<int64_t>{kHostVersion}));
    const auto lookups = Host().CallsTo("GetProcAddress");
    ASSERT_EQ(lookups.size(), 1u);
    EXPECT_EQ(lookups[0].text, "FX_GetCurrentEnigmaDocument");
    EXPECT_EQ(lookups[0].result, 1);
    const auto handles = Host().CallsTo("GetModuleHandleA");
    ASSERT_EQ(handles.size(), 1u);
    EXPECT_EQ(handles[0].text, "finale.exe");
    EXPECT_EQ(handles[0].result, 1);
}

// ---- Slots and staves ----

TEST_F(StandinHostTest, SlotsAndStaffNumbersTranslateThroughTheStaffOrder) {
    Host().SetStaffOrder({5, 2, 9});
    struct Case {
        int32_t slot;
        int32_t staff;
    };
    const Case slots[] = {{1, 5}, {2, 2}, {3, 9}, {0, 0}, {4, 0}, {-1, 0}, {0x10002, 2} /* low 16 bits */};
    for (const Case& c : slots) {
        SCOPED_TRACE(c.slot);
        EXPECT_EQ(FX_SlotToInst(c.slot, 0, kHostVersion), c.staff);
    }
    const Case staves[] = {{1, 5}, {2, 2}, {3, 9}, {0, 0}, {0, 7}, {0, 0x10007}, {1, 0x10005}};
    for (const Case& c : staves) {
        SCOPED_TRACE(c.staff);
        EXPECT_EQ(FX_InstToSlot(c.staff, 0, kHostVersion), c.slot);
    }
}

// ---- Fonts ----

TEST_F(StandinHostTest, FontNamesComeFromTheFontTable) {
    Host().SetFonts({{0, "Times New Roman"}, {14, "Maestro"}, {20, std::string(300, 'x')}});
    char buffer[256];
    std::memset(buffer, 'Q', sizeof buffer);
    EXPECT_NE(FX_FontNumToName(14, buffer, kHostVersion), 0);
    EXPECT_STREQ(buffer, "Maestro");
    EXPECT_NE(FX_FontNumToName(0, buffer, kHostVersion), 0);
    EXPECT_STREQ(buffer, "Times New Roman");

    std::memset(buffer, 'Q', sizeof buffer);
    EXPECT_EQ(FX_FontNumToName(15, buffer, kHostVersion), 0);
    EXPECT_EQ(buffer[0], 'Q') << "an unknown font leaves the buffer alone";
    EXPECT_EQ(FX_FontNumToName(0x1000E, buffer, kHostVersion), 0) << "font numbers are 16-bit";
    EXPECT_EQ(FX_FontNumToName(14, nullptr, kHostVersion), 0);

    EXPECT_NE(FX_FontNumToName(20, buffer, kHostVersion), 0);
    EXPECT_EQ(std::strlen(buffer), 255u) << "a long name is cut to fit the 256-byte buffer";
}

// ---- Window and document ----

TEST_F(StandinHostTest, WindowInfoCarriesTheMainWindowAtOffset520) {
    Host().SetMainWindow(0x12345678);
    uint8_t info[MIREL_WINDOW_INFO_SIZE + 4];
    std::memset(info, 0xEE, sizeof info);
    ASSERT_NE(FX_GetCurrentWindowInfo(info, kHostVersion), 0);
    EXPECT_EQ(info[520], 0x78);
    EXPECT_EQ(info[521], 0x56);
    EXPECT_EQ(info[522], 0x34);
    EXPECT_EQ(info[523], 0x12);
    EXPECT_EQ(info[519], 0xEE) << "nothing before the window value is written";
    EXPECT_EQ(info[524], 0xEE) << "nothing after the record";
    EXPECT_EQ(MirelWindowValue(FX_GetCurrentWindow(kHostVersion)), 0x12345678u);

    Host().SetWindowInfoAvailable(false);
    std::memset(info, 0, sizeof info);
    EXPECT_EQ(FX_GetCurrentWindowInfo(info, kHostVersion), 0);
    EXPECT_EQ(info[520], 0);
    EXPECT_EQ(FX_GetCurrentWindowInfo(nullptr, kHostVersion), 0);
}

TEST_F(StandinHostTest, ResetGivesANewProcessState) {
    Host().Doc().Put(1, standin::RecordKey::Other(1), {1});
    Host().SetStaffOrder({1});
    Host().AddFont(1, "A");
    Host().AnswerAs({"FINDEMO.EXE"});
    Host().HideFunction("FX_LoadEData");
    Host().LogCalls(true);
    Host().SetDocumentID(9);
    Host().SetWindowInfoAvailable(false);
    GetModuleHandleA("FINALE.EXE");
    Host().Reset();
    EXPECT_EQ(Host().Doc().RecordCount(), 0u);
    EXPECT_TRUE(Host().StaffOrder().empty());
    EXPECT_TRUE(Host().Fonts().empty());
    EXPECT_EQ(Host().ModuleNames(), std::set<std::string>{"FINALE.EXE"});
    EXPECT_TRUE(Host().HiddenFunctions().empty());
    EXPECT_FALSE(Host().LoggingCalls());
    EXPECT_TRUE(Host().Calls().empty());
    EXPECT_TRUE(Host().Counts().ByName().empty());
    EXPECT_EQ(Host().Counts().Of("GetModuleHandleA"), 0);
    EXPECT_EQ(Host().DocumentID(), 1);
    EXPECT_TRUE(Host().WindowInfoAvailable());
    EXPECT_EQ(FX_GetCurrentEnigmaDocument(kHostVersion), 1);
}

}  // namespace
