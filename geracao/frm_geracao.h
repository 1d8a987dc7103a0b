// Unit Cli_zrm90001: the dialog "Dados da Remessa" (TfrmGeracao): destination
// branch, operation type and departure date, then the generation call. The
// make-up is built in frm_geracao_dfm.cpp.
#pragma once

#include <string>

#include "vcl/controls.h"
#include "vcl/dataset.h"
#include "vlm/adoib_query.h"
#include "vlm/btn_pesquisa.h"
#include "vlm/date_edit_plus.h"
#include "vlm/lookup_field.h"
#include "vlm/roti_geral.h"

namespace Cli_zrm90001 {

class TfrmGeracao : public vlm::TfrmRotiGeral {
public:
    TfrmGeracao(vcl::TComponent* owner, std::string name, vlm::THost& host);
    ~TfrmGeracao() override;

    vcl::TLabel* lblFilial;
    vcl::TMaskEdit* medFilial;
    vlm::TBtnPesquisa* btnFilial;
    vcl::TMaskEdit* medNmFilial;
    vcl::TLabel* lblTipoOperac;
    vcl::TMaskEdit* medCdOperacao;
    vlm::TBtnPesquisa* btpOperacao;
    vcl::TEdit* edtNmOperacao;
    vcl::TLabel* lblDtSaid;
    vlm::TDateEditPlus* depDtSaida;

    vlm::TADOIBQuery* qryFilial;
    vlm::TADOIBQuery* qryPesqOper;
    vlm::TLookupField* lkpFilial;
    vlm::TLookupField* lkpOperacao;
    vcl::TDataSource* dtsFilial;
    vcl::TDataSource* dtsPesqOper;
    vcl::TClientDataSet* cdsSerie;
    vcl::TClientDataSet* cdsNotasGeradas;
    vcl::TClientDataSet* cdsErro;
    vcl::TClientDataSet* cdsItensAnalise;

    void FormCreate(vcl::TObject* Sender) override;
    void FormActivate(vcl::TObject* Sender);
    void medFilialChange(vcl::TObject* Sender);
    void medFilialExit(vcl::TObject* Sender);
    void btnFilialBeforePesq(vcl::TObject* Sender, bool& Pesquisa);
    void btnFilialAfterPesq(vcl::TObject* Sender);
    void medCdOperacaoChange(vcl::TObject* Sender);
    void medCdOperacaoExit(vcl::TObject* Sender);
    void btpOperacaoBeforePesq(vcl::TObject* Sender, bool& Pesquisa);
    void btpOperacaoAfterPesq(vcl::TObject* Sender);
    void depDtSaidaExit(vcl::TObject* Sender);
    void sbtConfirmaClick(vcl::TObject* Sender);

    void Vd_TipoOper(bool Obrigatorio);
    void Vd_DataSaida(bool Obrigatorio);
    void getSerie();

private:
    void BuildForm();  // the form resource
};

// Unit globals.
extern TfrmGeracao* frmGeracao;
extern bool boPesqTipoOp;
extern bool boPesqFilRem;
extern std::string stSerie;
extern std::string stEmpresa;

void Initialization();
void Finalization();

}  // namespace Cli_zrm90001
