// The plug-ins folder as mirel-standin reads it: `menu` builds the Plug-ins menu from every module of the
// folder and its subfolders and reports the ones it leaves out; `run --command` runs the module behind an entry.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/program_fixture.h"

namespace {

namespace fs = std::filesystem;

class PluginFolderTest : public testsupport::ProgramFolderTest {
  protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        plugins_ = dir_ / "Plug-ins";
        fs::create_directories(plugins_ / "Arrange" / "Empty");
        fs::create_directories(plugins_ / "Zeta");
        fs::copy_file(MIREL_MODULE_PATH, plugins_ / "mirelinstrumentchange.fxt");
        fs::copy_file(MIREL_MODULE_PATH, plugins_ / "Arrange" / "copy.fxt");
        fs::copy_file(MIREL_NOT_A_PLUGIN, plugins_ / "broken.fxt");
        fs::copy_file(MIREL_REFUSING_PLUGIN, plugins_ / "Zeta" / "refusing.fxt");
        std::ofstream(plugins_ / "notes.fxt") << "a text file, not a module\n";
        std::ofstream(plugins_ / "readme.txt") << "not a module either, and not named like one\n";
    }
    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    fs::path plugins_;
};

TEST_F(PluginFolderTest, MenuListsEveryCommandInNameOrderAndReportsTheModulesLeftOut) {
    // The UTF-16 enumeration from 0x11000000 on, the 8-bit one below: the same menu.
    for (const char* hostVersion : {"0x12050000", "0x10000000"}) {
        SCOPED_TRACE(hostVersion);
        ASSERT_EQ(Program("menu --plugins Plug-ins --host-version " + std::string(hostVersion)), 0)
            << stderr_;
        const std::vector<std::string> lines = Lines(stdout_);
        ASSERT_EQ(lines.size(), 8u) << stdout_;
        EXPECT_EQ(lines[0], "Plug-ins folder: Plug-ins (host version " + std::string(hostVersion) + ")");
        EXPECT_EQ(lines[1], "Plug-ins menu:");
        EXPECT_EQ(lines[2], "  Arrange >");
        EXPECT_EQ(lines[3], "    Mirel Instrument Change...  [Arrange/copy.fxt]");
        EXPECT_EQ(lines[4], "  Mirel Instrument Change...  [mirelinstrumentchange.fxt]");
        EXPECT_EQ(lines[5], "Left out broken.fxt: the module does not export FinaleExtensionInit");
        EXPECT_EQ(lines[6].rfind("Left out notes.fxt: cannot load Plug-ins/notes.fxt: ", 0), 0u) << lines[6];
        EXPECT_EQ(lines[7], "Left out Zeta/refusing.fxt: it refuses host version " +
                                std::string(hostVersion) + " (FinaleExtensionVersion answered 0)");
    }

    EXPECT_EQ(Program("menu --plugins Missing"), 2);
    EXPECT_NE(stderr_.find("the plug-ins folder Missing does not exist"), std::string::npos) << stderr_;
}

TEST_F(PluginFolderTest, RunByMenuCommandRunsTheModuleBehindTheEntry) {
    const std::string score = testsupport::ExamplePath("chamber.json");
    ASSERT_EQ(Program("run '" + score + "' --module Plug-ins/mirelinstrumentchange.fxt"), 0) << stderr_;
    const std::string byModule = stdout_;
    ASSERT_EQ(Program("run '" + score + "' --plugins Plug-ins --command 'Mirel Instrument Change...'"), 0)
        << stderr_;
    // The same account but for the module's path.
    const auto withoutModuleLine = [](const std::string& text) {
        std::string kept;
        for (const std::string& line : Lines(text)) {
            if (line.rfind("Module: ", 0) != 0) kept += line + "\n";
        }
        return kept;
    };
    EXPECT_NE(stdout_.find("Module: Plug-ins/"), std::string::npos) << stdout_;
    EXPECT_NE(byModule.find("FinaleExtensionInvoke answered 1"), std::string::npos) << byModule;
    EXPECT_EQ(withoutModuleLine(stdout_), withoutModuleLine(byModule));

    EXPECT_EQ(Program("run '" + score + "' --plugins Plug-ins --command 'Instrument Change'"), 2);
    EXPECT_NE(stderr_.find("has no command \"Instrument Change\" (it has \"Mirel Instrument Change...\""),
              std::string::npos)
        << stderr_;
    EXPECT_EQ(Program("run '" + score + "' --command X --module Plug-ins/mirelinstrumentchange.fxt"), 2);
}

}  // namespace
