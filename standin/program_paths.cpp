#include "standin/program_paths.h"

#include <filesystem>

namespace standin {

std::string DefaultModulePath(const char* argv0) {
    std::error_code ec;
    std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", ec);
    if (ec) self = std::filesystem::absolute(argv0 != nullptr ? argv0 : ".", ec);
    return (self.parent_path() / "mirelinstrumentchange.fxt").string();
}

}  // namespace standin
