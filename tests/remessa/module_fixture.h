// The module running headlessly on scripted host services: the package is
// initialised and the screen opened, with no application server behind it
// (the connections fail silently), so datasets are filled directly.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "package/package.h"
#include "remessa/frm_remessa_analise.h"
#include "vcl/data_packet.h"
#include "vcl/forms.h"
#include "vlm/db_geral.h"
#include "vlm/scripted_services.h"

namespace zrm_test {

// A modal dialog closes as soon as it is shown; errors are recorded.
class ClosingLoop : public vcl::THostLoop {
public:
    void ShowError(const std::string& message) override { errors.push_back(message); }
    void RunModal(vcl::TForm& form) override {
        ++modalShown;
        form.Close();
    }
    std::vector<std::string> errors;
    int modalShown = 0;
};

class ModuleFixture {
public:
    ModuleFixture() {
        application.SetHostLoop(&loop);
        Initialize(&host);
        application.Dispatch([] { IniProc(nullptr); });
    }
    ~ModuleFixture() { Finalize(); }
    ModuleFixture(const ModuleFixture&) = delete;
    ModuleFixture& operator=(const ModuleFixture&) = delete;

    Cli_zrm90000::TfrmRemessaAnalise& Form() const { return *Cli_zrm90000::frmRemessaAnalise; }

    vcl::TScreen screen;
    vcl::TApplication application{screen};
    ClosingLoop loop;
    vlm::ScriptedServices services;
    vlm::TdtmDBGeral database{""};
    vlm::THost host{application, services, vlm::THostConfig{"127.0.0.1", 1, "0001"}, database};
};

// Notes and items packets with the fields the server sends.
inline std::vector<vcl::FieldDef> NoteFields() {
    using vcl::FieldType;
    return {{"CDFILIAL", FieldType::String, 4},     {"NRLANCTONF", FieldType::String, 10},
            {"IDMARCADO", FieldType::FixedChar, 1}, {"NRINSJURFORN", FieldType::String, 20},
            {"DTENTRSAID", FieldType::DateTime, 0}, {"NRNOTAFISC", FieldType::String, 20},
            {"CDSERIEENTR", FieldType::String, 5},  {"VRNOTAFISC", FieldType::Float, 0},
            {"CDFILIRECE", FieldType::String, 4},   {"ENVIA", FieldType::String, 1},
            {"IDTPIJURNF", FieldType::String, 1}};
}

inline std::vector<vcl::FieldDef> ItemFields() {
    using vcl::FieldType;
    return {{"IDMARCADO", FieldType::FixedChar, 1}, {"CDFILIAL", FieldType::String, 4},
            {"NRLANCTONF", FieldType::String, 10},  {"NRSEQITPROD", FieldType::String, 4},
            {"CDPRODUTO", FieldType::String, 10},   {"CDARVPROD", FieldType::String, 20},
            {"NMPRODUTO", FieldType::String, 50},   {"QTITEMPROD", FieldType::Float, 0},
            {"QTENVIADA", FieldType::Float, 0},     {"VRUNITITEM", FieldType::Float, 0},
            {"VRTOTAITEM", FieldType::Float, 0},    {"CDFILIMOVI", FieldType::String, 4},
            {"CDALMOXARIFE", FieldType::String, 6}, {"CDLOCALESTOQ", FieldType::String, 6},
            {"NRLOTEESTQ", FieldType::String, 20},  {"NRSUBLOTE", FieldType::String, 4},
            {"DTVALILOTE", FieldType::DateTime, 0}, {"SGUNIDADE", FieldType::String, 10},
            {"CDPRODESTO", FieldType::String, 10}};
}

// One note row: branch, launch number, mark, number, send flag.
inline std::vector<vcl::Variant> NoteRow(const std::string& filial, const std::string& lancto,
                                         const std::string& mark, const std::string& numero = "1",
                                         const std::string& envia = "S") {
    return {filial, lancto, mark,  "12345678901", vcl::TDateTime::FromDate(vcl::TDate::FromYmd(2026, 3, 10)),
            numero, "1",    100.0, filial,        envia,
            "F"};
}

// One item row of a note with its quantities.
inline std::vector<vcl::Variant> ItemRow(const std::string& filial, const std::string& lancto,
                                         const std::string& seq, double received, double toSend) {
    return {"N",
            filial,
            lancto,
            seq,
            "P" + seq,
            "1234567",
            "Produto " + seq,
            received,
            toSend,
            2.5,
            2.5 * received,
            filial,
            "ALM1",
            "LOC1",
            "L1",
            "1",
            vcl::TDateTime::FromDate(vcl::TDate::FromYmd(2027, 1, 1)),
            "UN",
            "P" + seq};
}

inline vcl::DataPacket Packet(std::vector<vcl::FieldDef> fields,
                              const std::vector<std::vector<vcl::Variant>>& rows) {
    vcl::PacketBuilder builder(std::move(fields));
    for (const auto& row : rows)
        builder.AppendRow(row);
    return builder.Finish();
}

}  // namespace zrm_test
