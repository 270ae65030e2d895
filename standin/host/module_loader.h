#ifndef MIREL_STANDIN_MODULE_LOADER_H
#define MIREL_STANDIN_MODULE_LOADER_H

#include <memory>
#include <string>
#include <type_traits>

#include "contract/mirel_contract.h"

namespace standin {

// The seven entry points of a loaded plug-in module.
struct ModuleExports {
    FinaleExtensionVersionFn version = nullptr;
    FinaleExtensionInitFn init = nullptr;
    FinaleExtensionEnumerateFn enumerate = nullptr;
    FinaleExtensionEnumerate_UTF16Fn enumerateUtf16 = nullptr;
    FinaleExtensionInvokeFn invoke = nullptr;
    FinaleExtensionGetMenuStatusFn getMenuStatus = nullptr;
    FinaleExtensionTerminateFn terminate = nullptr;
};

// Takes the seven entry points by name through `find`, the platform's look-up (a name to the address the
// module exports under it, null for none); false, with the missing one named in `error`, when one is missing.
template <typename Find>
bool BindExports(ModuleExports& exports, Find find, std::string& error) {
    const auto bind = [&](const char* name, auto& slot) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(find(name));
        if (slot == nullptr) error = std::string("the module does not export ") + name;
        return slot != nullptr;
    };
    return bind("FinaleExtensionVersion", exports.version) && bind("FinaleExtensionInit", exports.init) &&
           bind("FinaleExtensionEnumerate", exports.enumerate) &&
           bind("FinaleExtensionEnumerate_UTF16", exports.enumerateUtf16) &&
           bind("FinaleExtensionInvoke", exports.invoke) &&
           bind("FinaleExtensionGetMenuStatus", exports.getMenuStatus) &&
           bind("FinaleExtensionTerminate", exports.terminate);
}

// A plug-in module loaded into this process, as the application loads one: by path, taking the seven exports
// by name. Unloaded when destroyed.
class LoadedModule {
  public:
    // Loads the module; on failure returns null and puts the reason into `error`.
    // With `privateCopy` the file is first copied to a fresh temporary name, so that this load gets
    // module-wide state of its own even when the same module is already loaded in the process.
    static std::unique_ptr<LoadedModule> Load(const std::string& path, std::string& error,
                                              bool privateCopy = false);
    ~LoadedModule();

    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    const ModuleExports& Exports() const { return exports_; }
    const std::string& Path() const { return path_; }
    // The handle the platform gave the module (its instance handle on Windows).
    void* NativeHandle() const { return handle_; }

  private:
    LoadedModule() = default;

    void* handle_ = nullptr;
    std::string path_;
    std::string copyPath_;
    ModuleExports exports_;
};

}  // namespace standin

#endif
