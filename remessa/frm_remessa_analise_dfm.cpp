// Form resource of TfrmRemessaAnalise: components, properties, datasets and
// fields, queries, message table and event bindings. Behaviour lives in the
// handler files.
#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>

#include "contracts/lookups.h"
#include "contracts/packets.h"
#include "contracts/server_api.h"
#include "remessa/frm_remessa_analise.h"
#include "vcl/forms.h"
#include "vlm/db_geral.h"
#include "vlm/form_resources.h"
#include "vlm/glyphs.h"

namespace Cli_zrm90000 {

namespace {

using vcl::FieldDef;
using vcl::FieldType;

vcl::TFont SymbolTitleFont() {
    vcl::TFont font;
    font.Symbol = true;
    return font;
}

using vlm::BoldLabelFont;
using vlm::CheckBitmap;
using vlm::DescheckBitmap;
using vlm::MakeSearchButton;
using vlm::ThumbsUpGlyph;
using vlm::UncheckBitmap;

bool Listed(std::initializer_list<std::string_view> names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The notes datasets declare the notes packet's fields; cdsNotaAux, sent to
// the generation, those of the sent notes.
void AddNoteFields(vcl::TClientDataSet& cds, bool withFlags, std::initializer_list<std::string_view> visible,
                   std::string_view totalFormat) {
    const std::vector<FieldDef> packet =
        withFlags ? contracts::NotesPacketFields() : contracts::SentNotesPacketFields();
    const auto label = [](std::string_view name) -> std::string_view {
        if (name == "NRINSJURFORN")
            return "Inscrição";
        if (name == "DTENTRSAID")
            return "Data Entrada";
        if (name == "NRNOTAFISC")
            return "Número NF";
        if (name == "CDSERIEENTR")
            return "Série";
        return {};
    };
    std::vector<vlm::FieldDisplay> fields;
    for (const FieldDef& def : packet)
        fields.push_back({def.name, label(def.name),
                          def.name == "VRNOTAFISC" ? totalFormat : std::string_view(),
                          Listed(visible, def.name)});
    vlm::AddFields(cds, packet, fields);
}

// The items datasets likewise; cdsItensAux holds the sent items.
void AddItemFields(vcl::TClientDataSet& cds, bool withShownOnly,
                   std::initializer_list<std::string_view> hidden) {
    const std::vector<FieldDef> packet =
        withShownOnly ? contracts::ItemsPacketFields() : contracts::SentItemsPacketFields();
    const auto format = [](std::string_view name) -> std::string_view {
        if (name == "QTITEMPROD" || name == "QTENVIADA")
            return "#,##0.000";
        if (name == "VRUNITITEM" || name == "VRTOTAITEM")
            return "#,##0.00";
        return {};
    };
    std::vector<vlm::FieldDisplay> fields;
    for (const FieldDef& def : packet)
        fields.push_back({def.name, {}, format(def.name), !Listed(hidden, def.name)});
    vlm::AddFields(cds, packet, fields);
}

struct ColumnDecl {
    const char* field;
    const char* title;
    vcl::TAlignment titleAlignment = vcl::TAlignment::LeftJustify;
    int width = 0;
    bool visible = true;
    bool readOnly = false;
    vcl::TAlignment alignment = vcl::TAlignment::LeftJustify;
};

void AddColumns(vcl::TDBGrid& grid, std::initializer_list<ColumnDecl> columns) {
    for (const ColumnDecl& entry : columns) {
        vcl::TColumn& column = grid.AddColumn(entry.field);
        column.Title.Caption = entry.title;
        column.Title.Alignment = entry.titleAlignment;
        column.Width = entry.width;
        column.Visible = entry.visible;
        column.ReadOnly = entry.readOnly;
        column.Alignment = entry.alignment;
        column.Color = vcl::clInfoBk;
        if (std::string_view(entry.title) == "4" && std::string_view(entry.field) == "IDMARCADO") {
            column.Title.Font = SymbolTitleFont();
        }
    }
}

void SetupGrid(vcl::TDBGrid& grid) {
    using O = vcl::TGridOption;
    grid.Color = vcl::clInfoBk;
    grid.Options = {O::Titles, O::ColumnResize, O::ColLines, O::RowLines, O::Tabs, O::AlwaysShowSelection};
    grid.Align = vcl::TAlign::Client;
    grid.TabStop = true;
    grid.TabOrder = 0;
}

}  // namespace

void TfrmRemessaAnalise::BuildForm() {
    using vcl::TAlign;
    constexpr auto Right = vcl::TAlignment::RightJustify;

    // Window.
    Caption = "Remessa para análise";
    FormStyle = vcl::TFormStyle::MDIChild;
    BorderStyle = vcl::TBorderStyle::Sizeable;
    SetBounds(80, 151, 1264, 481);
    PixelsPerInch = 96;
    TextHeight = 13;
    OnShow = [this](vcl::TObject* s) { FormShow(s); };

    // What the screen changes of the base's components.
    lblCodTela->Caption = "ZRM90000";
    lblCodTela->Width = 51;
    grbFiltroPadrao->Width = 1201;
    grbFiltroPadrao->Height = 450;
    panMenu->Left = 1201;
    panMenu->Height = 450;
    panBotoes->Height = 108;
    sbtCancel->Top = 81;
    sbtConfirma->Left = 76;
    sbtConfirma->Hint = "Gerar nota";
    sbtConfirma->Glyph = ThumbsUpGlyph();
    sbtConfirma->Visible = false;
    btfSaveOpc->Left = 170;
    btfSaveOpc->Visible = false;
    panBotao->Left = 162;
    btfLoadOpc->Left = 112;
    btfLoadOpc->Visible = false;

    sbtConfirmar = &Make<vlm::TButtonFlat>("sbtConfirmar");
    sbtConfirmar->SetParent(panBotoes);
    sbtConfirmar->SetBounds(4, 16, 40, 21);
    sbtConfirmar->Flat = true;
    sbtConfirmar->Glyph = ThumbsUpGlyph();
    sbtConfirmar->OnClick = [this](vcl::TObject* s) { sbtConfirmarClick(s); };
    ConfirmButton = sbtConfirmar;

    // Work area: filter, notes, items.
    panFiltro = &Make<vcl::TPanel>("panFiltro");
    panFiltro->SetParent(grbFiltroPadrao);
    panFiltro->Align = TAlign::Top;
    panFiltro->SetBounds(2, 15, 1197, 99);
    panFiltro->BevelOuter = vcl::TBevelCut::None;
    panFiltro->TabOrder = 1;
    panFiltro->TabStop = false;
    panFiltro->OnEnter = [this](vcl::TObject* s) { panFiltroEnter(s); };
    panFiltro->OnExit = [this](vcl::TObject* s) { panFiltroExit(s); };

    panNotaFiscal = &Make<vcl::TPanel>("panNotaFiscal");
    panNotaFiscal->SetParent(grbFiltroPadrao);
    panNotaFiscal->Align = TAlign::Client;
    panNotaFiscal->SetBounds(2, 114, 1197, 146);
    panNotaFiscal->TabOrder = 2;

    panProdutos = &Make<vcl::TPanel>("panProdutos");
    panProdutos->SetParent(grbFiltroPadrao);
    panProdutos->Align = TAlign::Bottom;
    panProdutos->SetBounds(2, 260, 1197, 188);
    panProdutos->TabOrder = 0;

    // Filter panel: labels, lookup fields, dates, note number.
    auto label = [this](const char* name, const char* caption, int left, int top) {
        vcl::TLabel& l = Make<vcl::TLabel>(name);
        l.SetParent(panFiltro);
        l.Caption = caption;
        l.Left = left;
        l.Top = top;
        l.Font = BoldLabelFont();
        l.Color = vcl::clBtnFace;
        return &l;
    };
    auto maskEdit = [this](const char* name, int left, int top, int width, int maxLength, vcl::TColor color,
                           int tabOrder) {
        vcl::TMaskEdit& e = Make<vcl::TMaskEdit>(name);
        e.SetParent(panFiltro);
        e.SetBounds(left, top, width, 21);
        e.MaxLength = maxLength;
        e.Color = color;
        e.TabOrder = tabOrder;
        e.TabStop = true;
        return &e;
    };
    auto nameDisplay = [this](const char* name, int left, int top, int width, int tabOrder) {
        vcl::TEdit& e = Make<vcl::TEdit>(name);
        e.SetParent(panFiltro);
        e.SetBounds(left, top, width, 21);
        e.Color = vcl::clBtnFace;
        e.Enabled = false;
        e.TabOrder = tabOrder;
        return &e;
    };
    auto dateEdit = [this](const char* name, int left, int top, int tabOrder) {
        vlm::TDateEditPlus& d = Make<vlm::TDateEditPlus>(name, Host.Services);
        d.SetParent(panFiltro);
        d.SetBounds(left, top, 121, 21);
        d.Color = vcl::clInfoBk;
        d.ValidDateColor = vcl::clBlue;
        d.NomeSemana = true;
        d.SaveTime = false;
        d.TabOrder = tabOrder;
        d.TabStop = true;
        d.OnExit = [this](vcl::TObject* s) { depDtEntIniExit(s); };
        return &d;
    };

    // Data sources first: the search buttons refer to them.
    auto dataSource = [this](const char* name) { return &Make<vcl::TDataSource>(name); };
    dtsFilial = dataSource("dtsFilial");
    dtsFornecedor = dataSource("dtsFornecedor");
    dtsSerieNF = dataSource("dtsSerieNF");
    dtsNotaFiscal = dataSource("dtsNotaFiscal");
    dtsNotaFiscalGrid = dataSource("dtsNotaFiscalGrid");
    dtsItensNota = dataSource("dtsItensNota");

    lblFilial = label("lblFilial", "Filial", 8, 6);
    medFilial = maskEdit("medFilial", 128, 0, 50, 4, vcl::clInfoBk, 1);
    btpFilial = &MakeSearchButton(*this, "btpFilial", panFiltro, 181, 0, medFilial, "Filial", dtsFilial,
                                  "Não há filial cadastrada");
    edtNmFilial = nameDisplay("edtNmFilial", 206, 0, 558, 10);

    lblFornecedor = label("lblFornecedor", "Fornecedor", 8, 30);
    medFornecedor = maskEdit("medFornecedor", 128, 23, 121, 20, vcl::clWindow, 2);
    btpFornecedor = &MakeSearchButton(*this, "btpFornecedor", panFiltro, 253, 23, medFornecedor, "Fornecedor",
                                      dtsFornecedor, "Não há fornecedor cadastrado");
    edtNmFornecedor = nameDisplay("edtNmFornecedor", 281, 23, 483, 11);

    lblDtEntIni = label("lblDtEntIni", "Dt. Entrada Inicial", 8, 54);
    depDtEntIni = dateEdit("depDtEntIni", 128, 48, 4);
    lblDtEntFin = label("lblDtEntFin", "Dt. Entrada Final", 264, 54);
    depDtEntFin = dateEdit("depDtEntFin", 376, 48, 5);

    lblSerieNf = label("lblSerieNf", "Série NF", 8, 78);
    medSerieNf = maskEdit("medSerieNf", 128, 72, 50, 5, vcl::clWindow, 6);
    btpSerieNf = &MakeSearchButton(*this, "btpSerieNf", panFiltro, 181, 72, medSerieNf, "Série", dtsSerieNF,
                                   "Não há série cadastrada");

    lblNumota = label("lblNumota", "Nº da NF", 216, 78);
    medNumNota = maskEdit("medNumNota", 274, 72, 121, 20, vcl::clWindow, 8);
    btpNumNota = &MakeSearchButton(*this, "btpNumNota", panFiltro, 399, 72, medNumNota, "Número da NF",
                                   dtsNotaFiscal, "");

    auto checkImage = [this](const char* name, int left, vcl::TBitmap bitmap) {
        vcl::TImage& image = Make<vcl::TImage>(name);
        image.SetParent(panFiltro);
        image.SetBounds(left, 56, 16, 16);
        image.Picture = std::move(bitmap);
        image.AutoSize = true;
        image.Visible = false;
        return &image;
    };
    imgCheck = checkImage("imgCheck", 541, CheckBitmap());
    imgDescheck = checkImage("imgDescheck", 557, DescheckBitmap());
    imgUncheck = checkImage("imgUncheck", 571, UncheckBitmap());

    // Client datasets.
    cdsNotaFiscal = &Make<vcl::TClientDataSet>("cdsNotaFiscal");
    AddNoteFields(*cdsNotaFiscal, true, {"NRNOTAFISC"}, "");
    cdsNotaFiscalGrid = &Make<vcl::TClientDataSet>("cdsNotaFiscalGrid");
    AddNoteFields(*cdsNotaFiscalGrid, true, {"NRNOTAFISC", "CDFILIRECE", "ENVIA", "IDTPIJURNF"}, "#,##0.00");
    cdsNotaAux = &Make<vcl::TClientDataSet>("cdsNotaAux");
    AddNoteFields(*cdsNotaAux, false, {"NRNOTAFISC", "CDFILIRECE"}, "");
    cdsItensNota = &Make<vcl::TClientDataSet>("cdsItensNota");
    AddItemFields(*cdsItensNota, true, {"CDPRODESTO"});
    cdsItensAux = &Make<vcl::TClientDataSet>("cdsItensAux");
    AddItemFields(*cdsItensAux, false, {});

    // Each row's registration number is shown with the mask of its own person type.
    cdsNotaFiscalGrid->FieldByName("NRINSJURFORN").OnGetText =
        [this](vcl::TField* f, std::string& t, bool d) { NRINSJURFORNGridGetText(f, t, d); };
    cdsNotaFiscalGrid->AfterScroll = [this](vcl::TClientDataSet* ds) { cdsNotaFiscalGridAfterScroll(ds); };
    cdsItensNota->BeforeInsert = [this](vcl::TClientDataSet* ds) { cdsItensNotaBeforeInsert(ds); };
    cdsItensNota->BeforePost = [this](vcl::TClientDataSet* ds) { cdsItensNotaBeforePost(ds); };
    cdsItensNota->AfterPost = [this](vcl::TClientDataSet* ds) { cdsItensNotaAfterPost(ds); };

    dtsNotaFiscal->SetDataSet(cdsNotaFiscal);
    dtsNotaFiscalGrid->SetDataSet(cdsNotaFiscalGrid);
    dtsItensNota->SetDataSet(cdsItensNota);

    // Grids.
    dbgNotaFiscal = &Make<vcl::TDBGrid>("dbgNotaFiscal");
    dbgNotaFiscal->SetParent(panNotaFiscal);
    SetupGrid(*dbgNotaFiscal);
    dbgNotaFiscal->SetDataSource(dtsNotaFiscalGrid);
    AddColumns(*dbgNotaFiscal, {{"CDFILIAL", "", {}, 0, false},
                                {"NRLANCTONF", "", {}, 0, false},
                                {"IDMARCADO", "4", {}, 17, true},
                                {"NRINSJURFORN", ""},
                                {"DTENTRSAID", ""},
                                {"NRNOTAFISC", ""},
                                {"CDSERIEENTR", ""},
                                {"VRNOTAFISC", "Total NF", Right, 89, true, false, Right}});
    dbgNotaFiscal->OnCellClick = [this](vcl::TColumn& c) { dbgNotaFiscalCellClick(c); };
    dbgNotaFiscal->OnDrawColumnCell = [this](vcl::TObject* s, const vcl::TRect& r, int d, vcl::TColumn& c,
                                             unsigned st) { dbgNotaFiscalDrawColumnCell(s, r, d, c, st); };
    dbgNotaFiscal->OnKeyDown = [this](vcl::TObject* s, int& k, unsigned sh) {
        dbgNotaFiscalKeyDown(s, k, sh);
    };
    dbgNotaFiscal->OnTitleClick = [this](vcl::TColumn& c) { dbgNotaFiscalTitleClick(c); };

    splNfItem = &Make<vcl::TSplitter>("splNfItem");
    splNfItem->SetParent(panNotaFiscal);
    splNfItem->Align = TAlign::Bottom;
    splNfItem->Height = 3;
    splNfItem->Cursor = vcl::TCursor::VSplit;

    dbgItensNota = &Make<vcl::TDBGrid>("dbgItensNota");
    dbgItensNota->SetParent(panProdutos);
    SetupGrid(*dbgItensNota);
    dbgItensNota->SetDataSource(dtsItensNota);
    AddColumns(*dbgItensNota, {{"IDMARCADO", "4", {}, 0, false},
                               {"CDFILIAL", "", {}, 0, false},
                               {"NRLANCTONF", "", {}, 0, false},
                               {"NRSEQITPROD", "", {}, 0, false},
                               {"CDPRODUTO", "Produtos", {}, 0, false},
                               {"CDARVPROD", "Produto"},
                               {"NMPRODUTO", "Nome"},
                               {"SGUNIDADE", "Unid. Medida"},
                               {"QTITEMPROD", "Qt. Original", Right, 0, true, false, Right},
                               {"QTENVIADA", "Qt. Enviada", Right, 0, true, false, Right},
                               {"VRUNITITEM", "Preço Unit.", Right, 0, true, false, Right},
                               {"VRTOTAITEM", "Total", Right, 80, true, false, Right},
                               {"CDALMOXARIFE", "Almoxarifado", {}, 0, true, true},
                               {"CDLOCALESTOQ", "Localização", {}, 0, true, true},
                               {"NRLOTEESTQ", "Lote", {}, 0, true, true},
                               {"NRSUBLOTE", "Sub. Lote", {}, 0, true, true},
                               {"DTVALILOTE", "Data de Validade", {}, 87, true, true}});
    dbgItensNota->OnColEnter = [this](vcl::TObject* s) { dbgItensNotaColEnter(s); };
    dbgItensNota->OnColExit = [this](vcl::TObject* s) { dbgItensNotaColExit(s); };
    dbgItensNota->OnKeyPress = [this](vcl::TObject* s, char& k) { dbgItensNotaKeyPress(s, k); };
    dbgItensNota->OnKeyDown = [this](vcl::TObject* s, int& k, unsigned sh) {
        dbgNotaFiscalKeyDown(s, k, sh);
    };

    // Lookup queries over the host's database module.
    vlm::TdtmDBGeral& db = Host.dtmDBGeral;
    qryFilial = &Make<vlm::TADOIBQuery>("qryFilial", db);
    qryFilial->SQL = contracts::BranchLookupSql();
    qryFilial->SQL_IB = qryFilial->SQL;
    qryFilial->AddStringField("CDFILIAL", 4, "Código");
    qryFilial->AddStringField("NMFILIAL", 100, "Nome");

    qryFornecedor = &Make<vlm::TADOIBQuery>("qryFornecedor", db);
    qryFornecedor->SQL = contracts::SupplierLookupSql();
    qryFornecedor->AddStringField("CDFORNECED", 21, "", false);
    qryFornecedor->AddStringField("IDTPIJURFORN", 1, "", false);
    qryFornecedor->AddStringField("NRINSJURFORN", 20, "Inscrição").OnGetText =
        [this](vcl::TField* f, std::string& t, bool d) { qryFornecedorNRINSJURFORNGetText(f, t, d); };
    qryFornecedor->AddStringField("NMRAZSOCFORN", 100, "Nome");

    qrySerieNF = &Make<vlm::TADOIBQuery>("qrySerieNF", db);
    qrySerieNF->SQL = contracts::EntrySeriesLookupSql();
    qrySerieNF->AddStringField("CDSERIEENTR", 5, "Código");
    qrySerieNF->AddStringField("DSSERIEENTR", 20, "Descrição");

    dtsFilial->SetDataSet(&qryFilial->Query);
    dtsFornecedor->SetDataSet(&qryFornecedor->Query);
    dtsSerieNF->SetDataSet(&qrySerieNF->Query);

    // Lookups: a typed or picked code checked against its query.
    lkpFilial = &Make<vlm::TLookupField>("lkpFilial", Host.Services);
    lkpFilial->Edit = medFilial;
    lkpFilial->Query = qryFilial;
    lkpFilial->KeyParam = "P_CDFILIAL";
    lkpFilial->AllParam = "P_TCDFILIAL";
    lkpFilial->KeyField = "CDFILIAL";
    lkpFilial->NameEdit = edtNmFilial;
    lkpFilial->NameField = "NMFILIAL";
    lkpFilial->Width = 4;
    lkpFilial->Picked = &boPesqFilial;
    lkpFilial->NotFound = [this] { return msgPadrao->Msg("Fil_Cad"); };
    lkpFilial->OnChanged = [this] { medNumNota->Clear(); };

    // The supplier is typed by its registration number and remembered by its code.
    lkpFornecedor = &Make<vlm::TLookupField>("lkpFornecedor", Host.Services);
    lkpFornecedor->Edit = medFornecedor;
    lkpFornecedor->Query = qryFornecedor;
    lkpFornecedor->KeyParam = "P_NRINSJURFORN";
    lkpFornecedor->AllParam = "P_TNRINSJURFORN";
    lkpFornecedor->KeyField = "NRINSJURFORN";
    lkpFornecedor->NameEdit = edtNmFornecedor;
    lkpFornecedor->NameField = "NMRAZSOCFORN";
    lkpFornecedor->Picked = &boPesqForn;
    lkpFornecedor->NotFound = [this] { return msgPadrao->Msg("For_Cad"); };
    lkpFornecedor->OnFound = [this] { stCdForneced = qryFornecedor->FieldByName("CDFORNECED").AsString(); };
    lkpFornecedor->OnChanged = [this] {
        medNumNota->Clear();
        if (vlm::TConsiste::EmptyString(medFornecedor->Text()))
            stCdForneced.clear();
    };

    lkpSerieNf = &Make<vlm::TLookupField>("lkpSerieNf", Host.Services);
    lkpSerieNf->Edit = medSerieNf;
    lkpSerieNf->Query = qrySerieNF;
    lkpSerieNf->KeyParam = "P_CDSERIEENTR";
    lkpSerieNf->AllParam = "P_TCDSERIEENTR";
    lkpSerieNf->KeyField = "CDSERIEENTR";
    lkpSerieNf->Picked = &boPesqSerie;
    lkpSerieNf->NotFound = [this] { return msgPadrao->Msg("Serie_Cad"); };
    lkpSerieNf->OnChanged = [this] { medNumNota->Clear(); };

    // Lookup field events.
    btpFilial->OnBeforePesq = [this](vcl::TObject* s, bool& p) { btpFilialBeforePesq(s, p); };
    btpFilial->OnAfterPesq = [this](vcl::TObject* s) { btpFilialAfterPesq(s); };
    medFilial->OnChange = [this](vcl::TObject* s) { medFilialChange(s); };
    medFilial->OnExit = [this](vcl::TObject* s) { medFilialExit(s); };
    btpFornecedor->OnBeforePesq = [this](vcl::TObject* s, bool& p) { btpFornecedorBeforePesq(s, p); };
    btpFornecedor->OnAfterPesq = [this](vcl::TObject* s) { btpFornecedorAfterPesq(s); };
    medFornecedor->OnChange = [this](vcl::TObject* s) { medFornecedorChange(s); };
    medFornecedor->OnExit = [this](vcl::TObject* s) { medFornecedorExit(s); };
    btpSerieNf->OnBeforePesq = [this](vcl::TObject* s, bool& p) { btpSerieNfBeforePesq(s, p); };
    btpSerieNf->OnAfterPesq = [this](vcl::TObject* s) { btpSerieNfAfterPesq(s); };
    medSerieNf->OnChange = [this](vcl::TObject* s) { medSerieNfChange(s); };
    medSerieNf->OnExit = [this](vcl::TObject* s) { medSerieNfExit(s); };
    btpNumNota->OnClick = [this](vcl::TObject* s) { btpNumNotaClick(s); };

    // Application-server connections.
    netRemesAnalise = &Make<vlm::TNetConnection>("netRemesAnalise");
    netRemesAnalise->ServerName = std::string(contracts::kRemessaServer);
    netRemesAnalise->ThrowException = false;
    netRemesAnalise->BeforeConnect = [this](vcl::TObject* s) { netRemesAnaliseBeforeConnect(s); };
    netEstoque = &Make<vlm::TNetConnection>("netEstoque");
    netEstoque->ServerName = std::string(contracts::kEstoqueServer);
    netEstoque->ThrowException = false;
    netEstoque->BeforeConnect = [this](vcl::TObject* s) { netEstoqueBeforeConnect(s); };

    // Message table.
    msgPadrao->Messages = {
        "Fil_Cad|Filial não cadastrada",
        "For_Cad|Fornecedor não cadastrado",
        "Serie_Cad|Série não cadastrada",
        "DataIni_Deve|Data de Entrada inicial deve ser informada",
        "DataFin_Deve|Data de Entrada final deve ser informada",
        "Data_Menor|Data inicial deve ser menor que a data final",
        "Filial_deve|Filial deve ser informada",
        "NUMNOTA|Número da nota",
        "N_NOTA_LANC|Não foi encontrado lançamento para os dados informados",
        "get|Buscando informações do servidor...",
        "TipOp_Cad|Tipo de operação não cadastrado",
        "QtEnv_Maior|Quantidade enviada deve ser menor ou igual a quantidade original",
        "Nota_Marcada|Nenhuma nota foi marcada para envio",
        "QtEnv_zero|Quantidade enviada deve ser diferente de zero para pelo menos um produto da nota "
        "selecionada",
    };
}

}  // namespace Cli_zrm90000
