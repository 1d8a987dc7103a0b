// TfrmRemessaAnalise: creation, connections, first focus; the unit's globals.
#include "remessa/frm_remessa_analise.h"

namespace Cli_zrm90000 {

TfrmRemessaAnalise* frmRemessaAnalise = nullptr;
bool boIdCriado = false;
bool boPesqFilial = false;
bool boPesqForn = false;
bool boPesqSerie = false;
std::string stCdfilial;
std::string stNrlanctonf;
std::string stCdForneced;
vcl::Variant oleNotas;

namespace {
int initCount = 0;
}

void Initialization() {
    if (initCount++ != 0)
        return;
    boIdCriado = false;
    boPesqFilial = false;
    boPesqForn = false;
    boPesqSerie = false;
}

void Finalization() {
    if (initCount == 0 || --initCount != 0)
        return;
    oleNotas = vcl::Variant();
    stCdForneced.clear();
    stNrlanctonf.clear();
    stCdfilial.clear();
}

TfrmRemessaAnalise::TfrmRemessaAnalise(vcl::TComponent* owner, std::string name, vlm::THost& host)
    : vlm::TfrmFiltroPadrao(owner, std::move(name), host) {
    BuildForm();
}

TfrmRemessaAnalise::~TfrmRemessaAnalise() {
    // A screen freed on close must be created anew by the next IniProc, and
    // that screen's filter fields start empty: what the globals remember of
    // this screen's fields (their validation, the supplier's code) goes with it.
    if (frmRemessaAnalise == this) {
        frmRemessaAnalise = nullptr;
        boIdCriado = false;
        boPesqFilial = false;
        boPesqForn = false;
        boPesqSerie = false;
        stCdForneced.clear();
    }
}

void TfrmRemessaAnalise::FormCreate(vcl::TObject* Sender) {
    vlm::TfrmFiltroPadrao::FormCreate(Sender);
    netRemesAnalise->SetConnected(true);
    netEstoque->SetConnected(true);
    cdsItensNota->FieldByName("CDARVPROD").EditMask = Valmora.DBPict(0);
}

void TfrmRemessaAnalise::FormClose(vcl::TObject* Sender, vcl::TCloseAction& Action) {
    vlm::TfrmFiltroPadrao::FormClose(Sender, Action);
    netRemesAnalise->SetConnected(false);
    netEstoque->SetConnected(false);
}

void TfrmRemessaAnalise::FormShow(vcl::TObject* /*Sender*/) {
    medFilial->SetFocus();
}

void TfrmRemessaAnalise::netRemesAnaliseBeforeConnect(vcl::TObject* /*Sender*/) {
    netRemesAnalise->Host = Valmora.WebURL();
    netRemesAnalise->Port = Valmora.WebPort();
}

void TfrmRemessaAnalise::netEstoqueBeforeConnect(vcl::TObject* /*Sender*/) {
    netEstoque->Host = Valmora.WebURL();
    netEstoque->Port = Valmora.WebPort();
}

}  // namespace Cli_zrm90000
