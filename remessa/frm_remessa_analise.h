// Unit Cli_zrm90000: the screen "Remessa para análise" (TfrmRemessaAnalise).
// The make-up (components, properties, datasets, queries, message table,
// event bindings) is built in frm_remessa_analise_dfm.cpp; the handlers live
// in the other files of this folder, one file per concern.
#pragma once

#include <string>

#include "vcl/controls.h"
#include "vcl/dataset.h"
#include "vcl/grid.h"
#include "vcl/variant.h"
#include "vlm/adoib_query.h"
#include "vlm/btn_pesquisa.h"
#include "vlm/button_flat.h"
#include "vlm/date_edit_plus.h"
#include "vlm/filtro_padrao.h"
#include "vlm/lookup_field.h"
#include "vlm/net_connection.h"

namespace Cli_zrm90000 {

class TfrmRemessaAnalise : public vlm::TfrmFiltroPadrao {
public:
    TfrmRemessaAnalise(vcl::TComponent* owner, std::string name, vlm::THost& host);
    ~TfrmRemessaAnalise() override;

    // Own button of the button column.
    vlm::TButtonFlat* sbtConfirmar;

    // Work area.
    vcl::TPanel* panFiltro;
    vcl::TPanel* panNotaFiscal;
    vcl::TPanel* panProdutos;
    vcl::TDBGrid* dbgNotaFiscal;
    vcl::TSplitter* splNfItem;
    vcl::TDBGrid* dbgItensNota;

    // Filter panel.
    vcl::TLabel* lblFilial;
    vcl::TMaskEdit* medFilial;
    vlm::TBtnPesquisa* btpFilial;
    vcl::TEdit* edtNmFilial;
    vcl::TLabel* lblFornecedor;
    vcl::TMaskEdit* medFornecedor;
    vlm::TBtnPesquisa* btpFornecedor;
    vcl::TEdit* edtNmFornecedor;
    vcl::TLabel* lblDtEntIni;
    vlm::TDateEditPlus* depDtEntIni;
    vcl::TLabel* lblDtEntFin;
    vlm::TDateEditPlus* depDtEntFin;
    vcl::TLabel* lblSerieNf;
    vcl::TMaskEdit* medSerieNf;
    vlm::TBtnPesquisa* btpSerieNf;
    vcl::TLabel* lblNumota;
    vcl::TMaskEdit* medNumNota;
    vlm::TBtnPesquisa* btpNumNota;
    vcl::TImage* imgCheck;
    vcl::TImage* imgDescheck;
    vcl::TImage* imgUncheck;

    // Client datasets and data sources.
    vcl::TClientDataSet* cdsNotaFiscal;
    vcl::TClientDataSet* cdsNotaFiscalGrid;
    vcl::TClientDataSet* cdsNotaAux;
    vcl::TClientDataSet* cdsItensNota;
    vcl::TClientDataSet* cdsItensAux;
    vcl::TDataSource* dtsFilial;
    vcl::TDataSource* dtsFornecedor;
    vcl::TDataSource* dtsSerieNF;
    vcl::TDataSource* dtsNotaFiscal;
    vcl::TDataSource* dtsNotaFiscalGrid;
    vcl::TDataSource* dtsItensNota;

    // Lookup queries and server connections.
    vlm::TADOIBQuery* qryFilial;
    vlm::TADOIBQuery* qryFornecedor;
    vlm::TADOIBQuery* qrySerieNF;
    vlm::TLookupField* lkpFilial;
    vlm::TLookupField* lkpFornecedor;
    vlm::TLookupField* lkpSerieNf;
    vlm::TNetConnection* netRemesAnalise;
    vlm::TNetConnection* netEstoque;

    // Form and connections.
    void FormCreate(vcl::TObject* Sender) override;
    void FormClose(vcl::TObject* Sender, vcl::TCloseAction& Action) override;
    void FormShow(vcl::TObject* Sender);
    void netRemesAnaliseBeforeConnect(vcl::TObject* Sender);
    void netEstoqueBeforeConnect(vcl::TObject* Sender);

    // Filter fields and lookups.
    void btpFilialBeforePesq(vcl::TObject* Sender, bool& Pesquisa);
    void btpFilialAfterPesq(vcl::TObject* Sender);
    void medFilialChange(vcl::TObject* Sender);
    void medFilialExit(vcl::TObject* Sender);
    void btpFornecedorBeforePesq(vcl::TObject* Sender, bool& Pesquisa);
    void btpFornecedorAfterPesq(vcl::TObject* Sender);
    void medFornecedorChange(vcl::TObject* Sender);
    void medFornecedorExit(vcl::TObject* Sender);
    void qryFornecedorNRINSJURFORNGetText(vcl::TField* Sender, std::string& Text, bool DisplayText);
    void btpSerieNfBeforePesq(vcl::TObject* Sender, bool& Pesquisa);
    void btpSerieNfAfterPesq(vcl::TObject* Sender);
    void medSerieNfChange(vcl::TObject* Sender);
    void medSerieNfExit(vcl::TObject* Sender);
    void depDtEntIniExit(vcl::TObject* Sender);
    void vd_datas();

    // Note retrieval.
    void panFiltroEnter(vcl::TObject* Sender);
    void panFiltroExit(vcl::TObject* Sender);
    void btpNumNotaClick(vcl::TObject* Sender);

    // Notes grid.
    void dbgNotaFiscalCellClick(vcl::TColumn& Column);
    void dbgNotaFiscalDrawColumnCell(vcl::TObject* Sender, const vcl::TRect& Rect, int DataCol,
                                     vcl::TColumn& Column, unsigned State);
    void dbgNotaFiscalKeyDown(vcl::TObject* Sender, int& Key, unsigned Shift);
    void dbgNotaFiscalTitleClick(vcl::TColumn& Column);
    void cdsNotaFiscalGridAfterScroll(vcl::TClientDataSet* DataSet);

    // Items grid.
    void dbgItensNotaColEnter(vcl::TObject* Sender);
    void dbgItensNotaColExit(vcl::TObject* Sender);
    void dbgItensNotaKeyPress(vcl::TObject* Sender, char& Key);
    void cdsItensNotaBeforeInsert(vcl::TClientDataSet* DataSet);
    void cdsItensNotaBeforePost(vcl::TClientDataSet* DataSet);
    void cdsItensNotaAfterPost(vcl::TClientDataSet* DataSet);
    void vd_quantidade();

    // Confirmation.
    void sbtConfirmarClick(vcl::TObject* Sender);

private:
    void BuildForm();  // the form resource
    void NRINSJURFORNGridGetText(vcl::TField* Sender, std::string& Text, bool DisplayText);

    // A load runs once at a time: the focus move that ends it leaves the
    // filter panel again, and that exit must not start a second load.
    bool loading_ = false;
    // Set while the notes grid is moved back to the note of an item whose
    // post was refused, so that this move does not try the post again.
    bool restoringNote_ = false;
};

// Unit globals.
extern TfrmRemessaAnalise* frmRemessaAnalise;
extern bool boIdCriado;
extern bool boPesqFilial;
extern bool boPesqForn;
extern bool boPesqSerie;
extern std::string stCdfilial;
extern std::string stNrlanctonf;
extern std::string stCdForneced;
extern vcl::Variant oleNotas;

// Unit initialisation and finalisation; each runs once however often it is
// called (a counter guards it).
void Initialization();
void Finalization();

}  // namespace Cli_zrm90000
