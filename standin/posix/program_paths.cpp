#include "standin/posix/program_paths.h"

#include <filesystem>

namespace standin {

namespace {

std::filesystem::path ProgramFolder(const char* argv0) {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", ec);
    if (ec) self = std::filesystem::absolute(argv0 != nullptr ? argv0 : ".", ec);
    return self.parent_path();
}

}  // namespace

std::string DefaultModulePath(const char* argv0) {
    return (ProgramFolder(argv0) / "mirelinstrumentchange.fxt").string();
}

std::string DefaultPluginsFolder(const char* argv0) {
    return (ProgramFolder(argv0) / "Plug-ins").string();
}

}  // namespace standin
