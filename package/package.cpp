// Pkg_zrm90000: entry points, unit initialisation and finalisation, version.
#include "package/package.h"

#include "geracao/frm_geracao.h"
#include "remessa/frm_remessa_analise.h"
#include "vcl/forms.h"
#include "vcl/scope_exit.h"

namespace {

// The host's context, bound at package load.
vlm::THost* boundHost = nullptr;

vlm::THost& Host() {
    if (boundHost == nullptr)
        throw vcl::Exception("Pkg_zrm90000: the package was not initialised by its host");
    return *boundHost;
}

}  // namespace

extern "C" {

void Initialize(vlm::THost* host) {
    boundHost = host;
    Cli_zrm90000::Initialization();
    Cli_zrm90001::Initialization();
}

void Finalize() {
    if (boundHost != nullptr) {
        // Forms still alive go with the package.
        if (Cli_zrm90001::frmGeracao != nullptr)
            boundHost->Application.ReleaseForm(*Cli_zrm90001::frmGeracao);
        if (Cli_zrm90000::frmRemessaAnalise != nullptr)
            boundHost->Application.ReleaseForm(*Cli_zrm90000::frmRemessaAnalise);
    }
    Cli_zrm90001::Finalization();
    Cli_zrm90000::Finalization();
    boundHost = nullptr;
}

void IniProc(const vcl::Variant* params) {
    const vcl::Variant unused = params != nullptr ? *params : vcl::Variant();  // accepted and not used
    (void)unused;
    criaRemessaAnalise();
}

void criaRemessaAnalise() {
    using namespace Cli_zrm90000;
    vlm::THost& host = Host();
    vcl::TScreen& screen = host.Application.Screen();
    screen.Cursor = static_cast<int>(vcl::TCursor::HourGlass);
    // The default cursor comes back also when creating or showing fails.
    vcl::Finally restoreCursor([&] { screen.Cursor = static_cast<int>(vcl::TCursor::Default); });
    if (!boIdCriado) {
        frmRemessaAnalise = &host.Application.CreateForm<TfrmRemessaAnalise>("frmRemessaAnalise", host);
        boIdCriado = true;
    }
    frmRemessaAnalise->Show();
}

const ZrmVersionInfo* PackageVersionInfo() {
    static const ZrmVersionInfo info{
        "6.25.9.0",   "6.25.9.0", "6.25.009", 0x0416, 1252, "Equipe de Sistemas", "Remessa para análise",
        "Uso interno"};
    return &info;
}
}
