// Pkg_zrm90000: the runtime package of the screen "Remessa para análise".
// The host loads it (dlopen), binds its context once with Initialize, then
// opens the screen through IniProc as many times as it likes.
#pragma once

#include "vcl/variant.h"
#include "vlm/host.h"

extern "C" {

// Package load: runs the units' initialisation sections and keeps the host's
// context for the forms the package creates. The context must outlive the package's use.
void Initialize(vlm::THost* host);
// Package unload: frees the screen if it still exists and runs the units'
// finalisation sections.
void Finalize();
// The host's entry: opens the screen (creates it on the first call, shows it on every call).
// The argument is accepted and not used.
void IniProc(const vcl::Variant* params);
// Opens the screen; no argument, no result.
void criaRemessaAnalise();

// The version resource: "6.25.009", file and product version 6.25.9.0,
// language Portuguese (Brazil) (0x0416), code page 1252.
struct ZrmVersionInfo {
    const char* fileVersion;     // "6.25.9.0"
    const char* productVersion;  // "6.25.9.0"
    const char* shownVersion;    // "6.25.009"
    unsigned languageId;         // 0x0416
    unsigned codePage;           // 1252
    const char* companyName;
    const char* productName;
    const char* legalCopyright;
};
const ZrmVersionInfo* PackageVersionInfo();
}
