// The module running headlessly on scripted host services: the package is
// initialised and the screen opened, with no application server behind it
// (the connections fail silently), so datasets are filled directly.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "contracts/packets.h"
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
    return contracts::NotesPacketFields();
}
inline std::vector<vcl::FieldDef> ItemFields() {
    return contracts::ItemsPacketFields();
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
