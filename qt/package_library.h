// The runtime package, loaded with dlopen as the original host loaded its
// packages: Initialize once with the host's context, IniProc from the menu,
// Finalize at exit.
#pragma once

#include <string>

#include "vcl/variant.h"
#include "vlm/host.h"

namespace zrmqt {

class PackageLibrary {
public:
    // Loads the library and binds its entry points; std::runtime_error with
    // the loader's reason when it cannot.
    explicit PackageLibrary(const std::string& path);
    // Finalizes the package when it was initialized. The library stays mapped
    // until the process ends: objects it made may still run its code.
    ~PackageLibrary();
    PackageLibrary(const PackageLibrary&) = delete;
    PackageLibrary& operator=(const PackageLibrary&) = delete;

    void Initialize(vlm::THost& host);
    void Finalize();
    void IniProc(const vcl::Variant& params) const;
    bool Initialized() const { return initialized_; }

    // libPkg_zrm90000.so in the lib folder beside the executable's folder
    // (build/bin/zrm-host -> build/lib/).
    static std::string DefaultPath();

private:
    void* handle_ = nullptr;
    void (*initialize_)(vlm::THost*) = nullptr;
    void (*finalize_)() = nullptr;
    void (*iniProc_)(const vcl::Variant*) = nullptr;
    bool initialized_ = false;
};

}  // namespace zrmqt
