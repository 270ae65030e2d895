// Tests that work with files: the example scores, a fresh folder for the running test, and mirel-standin run
// in that folder as a user runs it from a shell.
#ifndef MIREL_TESTS_E2E_PROGRAM_FIXTURE_H
#define MIREL_TESTS_E2E_PROGRAM_FIXTURE_H

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace testsupport {

inline std::string ExamplePath(const std::string& name) {
    return std::string(MIREL_SOURCE_DIR) + "/examples/" + name;
}

// A new empty folder named after the running test; the random part keeps runs side by side apart. The caller
// removes it.
inline std::filesystem::path MakeTestFolder() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("mirel-" + std::string(test->test_suite_name()) + "-" + test->name() +
                                       "-" + std::to_string(std::random_device{}()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

inline std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

class ProgramFolderTest : public ::testing::Test {
  protected:
    void SetUp() override { dir_ = MakeTestFolder(); }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // Runs the program in the folder with `arguments` (the shell's quoting) and `input` as its stdin; keeps
    // what it printed, and leaves no file of its own behind. -1 when the program did not exit by itself.
    int Program(const std::string& arguments, const std::string& input = "/dev/null") {
        const std::string command = "cd '" + dir_.string() + "' && '" + std::string(MIREL_BINARY_DIR) +
                                    "/mirel-standin' " + arguments + " <" + input +
                                    " >stdout.txt 2>stderr.txt";
        const int status = std::system(command.c_str());
        stdout_ = Slurp(dir_ / "stdout.txt");
        stderr_ = Slurp(dir_ / "stderr.txt");
        std::filesystem::remove(dir_ / "stdout.txt");
        std::filesystem::remove(dir_ / "stderr.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::filesystem::path dir_;
    std::string stdout_;
    std::string stderr_;
};

}  // namespace testsupport

#endif
