#include "standin/host/module_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace standin {

namespace {

template <typename Fn>
bool Bind(void* handle, const char* name, Fn& slot, std::string& error) {
    slot = reinterpret_cast<Fn>(dlsym(handle, name));
    if (slot == nullptr) error = std::string("the module does not export ") + name;
    return slot != nullptr;
}

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
    ModuleExports& e = module->exports_;
    if (!Bind(module->handle_, "FinaleExtensionVersion", e.version, error) ||
        !Bind(module->handle_, "FinaleExtensionInit", e.init, error) ||
        !Bind(module->handle_, "FinaleExtensionEnumerate", e.enumerate, error) ||
        !Bind(module->handle_, "FinaleExtensionEnumerate_UTF16", e.enumerateUtf16, error) ||
        !Bind(module->handle_, "FinaleExtensionInvoke", e.invoke, error) ||
        !Bind(module->handle_, "FinaleExtensionGetMenuStatus", e.getMenuStatus, error) ||
        !Bind(module->handle_, "FinaleExtensionTerminate", e.terminate, error)) {
        return nullptr;
    }
    return module;
}

LoadedModule::~LoadedModule() {
    if (handle_ != nullptr) dlclose(handle_);
    if (!copyPath_.empty()) {
        std::error_code ec;
        std::filesystem::remove(copyPath_, ec);
    }
}

}  // namespace standin
