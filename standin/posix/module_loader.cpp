#include "standin/host/module_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace standin {

namespace {

std::string MakePrivateCopy(const std::string& path, std::string& error) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/mirel-module-XXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd < 0) {
        error = "cannot create a temporary copy of " + path;
        return {};
    }
    close(fd);
    std::error_code ec;
    std::filesystem::copy_file(path, pattern, std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
        error = "cannot copy " + path + ": " + ec.message();
        std::filesystem::remove(pattern, ec);
        return {};
    }
    return pattern;
}

}  // namespace

std::unique_ptr<LoadedModule> LoadedModule::Load(const std::string& path, std::string& error,
                                                 bool privateCopy) {
    std::unique_ptr<LoadedModule> module(new LoadedModule());
    module->path_ = path;
    std::string loadPath = path;
    if (privateCopy) {
        module->copyPath_ = MakePrivateCopy(path, error);
        if (module->copyPath_.empty()) return nullptr;
        loadPath = module->copyPath_;
    }
    module->handle_ = dlopen(loadPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module->handle_ == nullptr) {
        const char* reason = dlerror();
        error = "cannot load " + path + ": " + (reason != nullptr ? reason : "unknown error");
        return nullptr;
    }
    void* handle = module->handle_;
    const auto find = [handle](const char* name) { return dlsym(handle, name); };
    return BindExports(module->exports_, find, error) ? std::move(module) : nullptr;
}

LoadedModule::~LoadedModule() {
    if (handle_ != nullptr) dlclose(handle_);
    if (!copyPath_.empty()) {
        std::error_code ec;
        std::filesystem::remove(copyPath_, ec);
    }
}

}  // namespace standin
