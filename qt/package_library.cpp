#include "qt/package_library.h"

#include <dlfcn.h>

#include <filesystem>
#include <stdexcept>

namespace zrmqt {

namespace {

template <class Fn>
Fn Bind(void* handle, const char* name, const std::string& path) {
    void* symbol = dlsym(handle, name);
    if (symbol == nullptr) {
        throw std::runtime_error(path + " has no entry point " + name);
    }
    return reinterpret_cast<Fn>(symbol);
}

}  // namespace

PackageLibrary::PackageLibrary(const std::string& path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (handle_ == nullptr) {
        const char* reason = dlerror();
        throw std::runtime_error("cannot load the package " + path + ": " +
                                 (reason ? reason : "unknown reason"));
    }
    initialize_ = Bind<void (*)(vlm::THost*)>(handle_, "Initialize", path);
    finalize_ = Bind<void (*)()>(handle_, "Finalize", path);
    iniProc_ = Bind<void (*)(const vcl::Variant*)>(handle_, "IniProc", path);
}

PackageLibrary::~PackageLibrary() {
    Finalize();
    dlclose(handle_);  // with RTLD_NODELETE the code stays mapped
}

void PackageLibrary::Initialize(vlm::THost& host) {
    if (!initialized_) {
        initialize_(&host);
        initialized_ = true;
    }
}

void PackageLibrary::Finalize() {
    if (initialized_) {
        initialized_ = false;
        finalize_();
    }
}

void PackageLibrary::IniProc(const vcl::Variant& params) const {
    if (!initialized_) {
        throw std::logic_error("the package is not initialized");
    }
    iniProc_(&params);
}

std::string PackageLibrary::DefaultPath() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    const std::filesystem::path dir = error ? std::filesystem::current_path() : exe.parent_path();
    // Installed: bin/ beside lib/zrm/; in the build tree: bin/ beside lib/.
    const std::filesystem::path installed = dir.parent_path() / "lib" / "zrm" / "libPkg_zrm90000.so";
    if (std::filesystem::exists(installed, error))
        return installed.string();
    return (dir.parent_path() / "lib" / "libPkg_zrm90000.so").string();
}

}  // namespace zrmqt
