// Form resource of TfrmGeracao: controls, queries, datasets, message table
// and event bindings. Behaviour lives in frm_geracao.cpp and generation.cpp.
#include <initializer_list>
#include <string>

#include "contracts/lookups.h"
#include "contracts/packets.h"
#include "geracao/frm_geracao.h"
#include "remessa/frm_remessa_analise.h"
#include "vlm/db_geral.h"
#include "vlm/form_resources.h"
#include "vlm/glyphs.h"

namespace Cli_zrm90001 {

void TfrmGeracao::BuildForm() {
    Caption = "Dados da Remessa";
    SetBounds(244, 225, Width, Height);
    ClientWidth = 516;
    ClientHeight = 90;
    PixelsPerInch = 96;
    TextHeight = 13;
    OnActivate = [this](vcl::TObject* s) { FormActivate(s); };

    lblCodTela->Caption = "ZRM90001";
    lblCodTela->Width = 51;
    grbDadosRel->Width = 461;
    grbDadosRel->Height = 90;
    panMenu->Left = 461;
    panMenu->Height = 90;
    sbtHelp->Visible = false;
    sbtConfirma->Glyph = vlm::ThumbsUpGlyph();
    sbtConfirma->OnClick = [this](vcl::TObject* s) { sbtConfirmaClick(s); };

    dtsFilial = &Make<vcl::TDataSource>("dtsFilial");
    dtsPesqOper = &Make<vcl::TDataSource>("dtsPesqOper");

    auto label = [this](const char* name, const char* caption, int left, int top, int width) {
        vcl::TLabel& l = Make<vcl::TLabel>(name);
        l.SetParent(grbDadosRel);
        l.SetBounds(left, top, width, 13);
        l.Caption = caption;
        l.Font = vlm::BoldLabelFont();
        return &l;
    };
    lblFilial = label("lblFilial", "Filial", 8, 14, 27);
    medFilial = &Make<vcl::TMaskEdit>("medFilial");
    medFilial->SetParent(grbDadosRel);
    medFilial->SetBounds(119, 11, 50, 21);
    medFilial->MaxLength = 4;
    medFilial->Color = vcl::clInfoBk;
    medFilial->TabOrder = 0;
    medFilial->TabStop = true;
    btnFilial =
        &vlm::MakeSearchButton(*this, "btnFilial", grbDadosRel, 174, 11, medFilial, "Filial", dtsFilial, "");
    medNmFilial = &Make<vcl::TMaskEdit>("medNmFilial");
    medNmFilial->SetParent(grbDadosRel);
    medNmFilial->SetBounds(200, 11, 249, 21);
    medNmFilial->Enabled = false;
    medNmFilial->Color = vcl::clBtnFace;
    medNmFilial->TabOrder = 6;

    lblTipoOperac = label("lblTipoOperac", "Tipo de Operação ", 6, 38, 107);
    medCdOperacao = &Make<vcl::TMaskEdit>("medCdOperacao");
    medCdOperacao->SetParent(grbDadosRel);
    medCdOperacao->SetBounds(119, 35, 30, 21);
    medCdOperacao->EditMask = "99;0; ";
    medCdOperacao->MaxLength = 2;
    medCdOperacao->Color = vcl::clInfoBk;
    medCdOperacao->TabOrder = 1;
    medCdOperacao->TabStop = true;
    btpOperacao =
        &vlm::MakeSearchButton(*this, "btpOperacao", grbDadosRel, 154, 35, medCdOperacao, "Tipo de Operação",
                               dtsPesqOper, "Não há tipo de operação cadastrado");
    edtNmOperacao = &Make<vcl::TEdit>("edtNmOperacao");
    edtNmOperacao->SetParent(grbDadosRel);
    edtNmOperacao->SetBounds(181, 35, 268, 21);
    edtNmOperacao->Enabled = false;
    edtNmOperacao->TabStop = false;
    edtNmOperacao->Color = vcl::clBtnFace;
    edtNmOperacao->TabOrder = 3;

    lblDtSaid = label("lblDtSaid", "Data de Saída", 6, 64, 84);
    depDtSaida = &Make<vlm::TDateEditPlus>("depDtSaida", Host.Services);
    depDtSaida->SetParent(grbDadosRel);
    depDtSaida->SetBounds(119, 61, 100, 21);
    depDtSaida->Color = vcl::clInfoBk;
    depDtSaida->ValidDateColor = vcl::clBlue;
    depDtSaida->SaveTime = false;
    depDtSaida->NomeSemana = true;
    depDtSaida->TabOrder = 2;
    depDtSaida->TabStop = true;

    // Lookup queries.
    vlm::TdtmDBGeral& db = Host.dtmDBGeral;
    qryFilial = &Make<vlm::TADOIBQuery>("qryFilial", db);
    qryFilial->SQL = contracts::BranchLookupSql();
    qryFilial->SQL_IB = qryFilial->SQL;
    qryFilial->AddStringField("CDFILIAL", 4, "Código");
    qryFilial->AddStringField("NMFILIAL", 100, "Nome");

    qryPesqOper = &Make<vlm::TADOIBQuery>("qryPesqOper", db);
    qryPesqOper->SQL = contracts::OperationLookupSql();
    qryPesqOper->SQL_IB = qryPesqOper->SQL;
    qryPesqOper->AddStringField("CDTIPOOPER", 2, "Código").Required = true;
    qryPesqOper->AddStringField("NMTIPOOPER", 30, "Nome");

    dtsFilial->SetDataSet(&qryFilial->Query);
    dtsPesqOper->SetDataSet(&qryPesqOper->Query);

    // Lookups: a typed or picked code checked against its query.
    lkpFilial = &Make<vlm::TLookupField>("lkpFilial", Host.Services);
    lkpFilial->Edit = medFilial;
    lkpFilial->Query = qryFilial;
    lkpFilial->KeyParam = "P_CDFILIAL";
    lkpFilial->AllParam = "P_TCDFILIAL";
    lkpFilial->KeyField = "CDFILIAL";
    lkpFilial->NameEdit = medNmFilial;
    lkpFilial->NameField = "NMFILIAL";
    lkpFilial->Width = 4;
    lkpFilial->Picked = &boPesqFilRem;
    lkpFilial->NotFound = [] { return Cli_zrm90000::frmRemessaAnalise->msgPadrao->Msg("Fil_Cad"); };

    lkpOperacao = &Make<vlm::TLookupField>("lkpOperacao", Host.Services);
    lkpOperacao->Edit = medCdOperacao;
    lkpOperacao->Query = qryPesqOper;
    lkpOperacao->KeyParam = "P_CDTIPOOPER";
    lkpOperacao->AllParam = "P_TCDTIPOOPER";
    lkpOperacao->KeyField = "CDTIPOOPER";
    lkpOperacao->NameEdit = edtNmOperacao;
    lkpOperacao->NameField = "NMTIPOOPER";
    lkpOperacao->Width = 2;
    lkpOperacao->Picked = &boPesqTipoOp;
    lkpOperacao->NotFound = [this] { return msgPadrao->Msg("Oper_Cad"); };

    // Client datasets, declared from the packets the server answers.
    cdsSerie = &Make<vcl::TClientDataSet>("cdsSerie");
    vlm::AddFields(*cdsSerie, contracts::SeriesPacketFields(),
                   {{"CDSERIE", "CDSERIE"}, {"CDEMPRESA", "CDEMPRESA"}});
    cdsNotasGeradas = &Make<vcl::TClientDataSet>("cdsNotasGeradas");
    vlm::AddFields(*cdsNotasGeradas, contracts::GeneratedNotesPacketFields(),
                   {{"CDFILIAL", "Filial Lançamento"},
                    {"NRLANCTONF", "Nº Lançamento"},
                    {"CDFILIRECE", "Filial"},
                    {"NRINSJURFORN", "Inscrição"},
                    {"DTENTRSAID", "Data Entrada"},
                    {"CDSERIEENTR", "Série"},
                    {"VRNOTAFISC", "Valor"}});
    constexpr bool hidden = false;
    cdsErro = &Make<vcl::TClientDataSet>("cdsErro");
    vlm::AddFields(*cdsErro, contracts::ErrorsPacketFields(),
                   {{"CDFILIAL", {}, {}, hidden},
                    {"NRLANCTONF", {}, {}, hidden},
                    {"DSERRO", "Descrição"},
                    {"NRINSJURFORN", "Inscrição"},
                    {"NRNOTAFISC", "Número NF"},
                    {"CDSERIEENTR", "Série"},
                    {"VRNOTAFISC", "Valor"},
                    {"NRSEQITPROD", {}, {}, hidden},
                    {"CDPRODUTO", {}, {}, hidden},
                    {"CDARVPROD", "Código"},
                    {"NMPRODUTO", "Nome"},
                    {"DTENTRSAID", "Data de Saída"},
                    {"NRAUDITORIA", "Nº da Auditoria"}});
    // Items under analysis: named as in the errors packet.
    cdsItensAnalise = &Make<vcl::TClientDataSet>("cdsItensAnalise");
    vlm::AddFields(*cdsItensAnalise, contracts::ErrorsPacketFields(),
                   {{"CDFILIAL", {}, {}, hidden},
                    {"NRLANCTONF", {}, {}, hidden},
                    {"NRSEQITPROD", {}, {}, hidden},
                    {"CDPRODUTO", {}, {}, hidden},
                    {"CDARVPROD", "Código"},
                    {"NMPRODUTO", "Nome"},
                    {"NRAUDITORIA", "Nº da Auditoria"}});
    cdsErro->FieldByName("VRNOTAFISC").DisplayFormat = "#,##0.00";

    // Events.
    medFilial->OnChange = [this](vcl::TObject* s) { medFilialChange(s); };
    medFilial->OnExit = [this](vcl::TObject* s) { medFilialExit(s); };
    btnFilial->OnBeforePesq = [this](vcl::TObject* s, bool& p) { btnFilialBeforePesq(s, p); };
    btnFilial->OnAfterPesq = [this](vcl::TObject* s) { btnFilialAfterPesq(s); };
    medCdOperacao->OnChange = [this](vcl::TObject* s) { medCdOperacaoChange(s); };
    medCdOperacao->OnExit = [this](vcl::TObject* s) { medCdOperacaoExit(s); };
    btpOperacao->OnBeforePesq = [this](vcl::TObject* s, bool& p) { btpOperacaoBeforePesq(s, p); };
    btpOperacao->OnAfterPesq = [this](vcl::TObject* s) { btpOperacaoAfterPesq(s); };
    depDtSaida->OnExit = [this](vcl::TObject* s) { depDtSaidaExit(s); };

    msgPadrao->Messages = {
        "Oper_Inf|Tipo de operação deve ser informado",
        "Oper_Cad|Tipo de operação não cadastrado",
        "DtSaida_Inf|Data de saída deve ser informada.",
        "Oper_Fil|Tipo de operação dever ter filial como origem.",
        "Fil_Dif|Filial para geração de remessa deve ser diferente da filial de origem",
        "Serie_Vazia|Filial não possui série padrão cadastrada",
        "Lan_Sucesso|Notas de remessa geradas com sucesso!",
        "IrreEsto|Operação não realizada. Verifique o estoque dos produtos",
        "Est_Atu|Filial da remessa não parametrizada para controle de estoque",
        "Itens_N_Ger|Existem itens em análise",
        "Erros_Geracao|Alguns erros foram encontrados durante a geração da remessa.",
        "Fil_Deve|Filial deve ser informada",
    };
}

}  // namespace Cli_zrm90001
