#include "remessa_fixture.h"

#include "db/schema.h"

namespace testsrv {

void SeedSmall(soci::session& session) {
    db::CreateSchema(session);
    const char* statements[] = {
        "INSERT INTO FILIAL VALUES ('0001', 'Matriz', '01', 'S')",
        "INSERT INTO FILIAL VALUES ('0002', 'Campinas', '01', 'S')",
        "INSERT INTO FILIAL VALUES ('0003', 'Rio', '01', 'N')",
        "INSERT INTO FILIAL VALUES ('0004', 'Belo Horizonte', '02', 'S')",
        "INSERT INTO SERIESAIDA VALUES ('0001', '1', '01', 'S', 10)",
        "INSERT INTO SERIESAIDA VALUES ('0001', '2', '01', 'N', 0)",
        "INSERT INTO SERIESAIDA VALUES ('0002', '1', '01', 'S', 0)",
        "INSERT INTO SERIESAIDA VALUES ('0003', 'U', '01', 'S', 0)",
        "INSERT INTO SERIESAIDA VALUES ('0004', '2', '02', 'N', 0)",
        "INSERT INTO TIPOOPERAC VALUES ('01', 'Remessa para análise', 'S', 'L')",
        "INSERT INTO TIPOOPERAC VALUES ('10', 'Compra', 'E', 'F')",
        "INSERT INTO TIPOOPERAC VALUES ('20', 'Venda', 'S', 'C')",
        "INSERT INTO SERIEENTR VALUES ('1', 'Série 1')",
        "INSERT INTO SERIEENTR VALUES ('2', 'Série 2')",
        "INSERT INTO FORNECEDOR VALUES ('000001', 'J', '11222333000181', 'Metalúrgica Santa Rita S.A.')",
        "INSERT INTO FORNECEDOR VALUES ('000002', 'F', '52998224725', 'José Carlos da Silva')",
        "INSERT INTO PRODUTO VALUES ('000001', '0101001', 'Parafuso sextavado', 'CENTO', '000001')",
        "INSERT INTO PRODUTO VALUES ('000002', '0101002', 'Cabo flexível', 'M', '000002')",
        "INSERT INTO NOTAENTRADA VALUES ('0001', '0000000001', '000001', '100', '1', '2026-03-05', 125.0, "
        "'0001')",
        "INSERT INTO NOTAENTRADA VALUES ('0001', '0000000002', '000002', '100', '2', '2026-03-10', 50.0, "
        "'0001')",
        "INSERT INTO NOTAENTRADA VALUES ('0001', '0000000003', '000002', '200', '1', '2026-03-20', 80.0, "
        "'0001')",
        "INSERT INTO NOTAENTRADA VALUES ('0001', '0000000004', '000001', '300', '1', '2026-04-02', 20.0, "
        "'0001')",
        "INSERT INTO NOTAENTRADA VALUES ('0002', '0000000001', '000001', '100', '1', '2026-03-07', 10.0, "
        "'0002')",
        "INSERT INTO NOTAENTRADA VALUES ('0003', '0000000001', '000001', '400', '1', '2026-03-08', 10.0, "
        "'0003')",
        "INSERT INTO ITEMENTRADA VALUES ('0001', '0000000001', '0001', '000001', 10, 10.0, 100.0, '0001', "
        "'000001',"
        " 'L01', '', '', NULL, 0)",
        "INSERT INTO ITEMENTRADA VALUES ('0001', '0000000001', '0002', '000002', 5, 5.0, 25.0, '0001', "
        "'000001',"
        " 'L01', '', '', NULL, 0)",
        "INSERT INTO ITEMENTRADA VALUES ('0001', '0000000002', '0001', '000001', 4, 5.0, 20.0, '0001', "
        "'000001',"
        " 'L01', '', '', NULL, 4)",
        "INSERT INTO ITEMENTRADA VALUES ('0001', '0000000002', '0002', '000001', 6, 5.0, 30.0, '0001', "
        "'000001',"
        " 'L01', '', '', NULL, 2)",
        "INSERT INTO ITEMENTRADA VALUES ('0001', '0000000003', '0001', '000001', 8, 10.0, 80.0, '0001', "
        "'000001',"
        " 'L01', '', '', '2027-01-31', 3)",
        "INSERT INTO ITEMENTRADA VALUES ('0001', '0000000004', '0001', '000001', 2, 10.0, 20.0, '0001', "
        "'000001',"
        " 'L01', '', '', NULL, 0)",
        "INSERT INTO ITEMENTRADA VALUES ('0002', '0000000001', '0001', '000001', 1, 10.0, 10.0, '0002', "
        "'000001',"
        " 'L01', '', '', NULL, 0)",
        "INSERT INTO ITEMENTRADA VALUES ('0003', '0000000001', '0001', '000001', 1, 10.0, 10.0, '0003', "
        "'000001',"
        " 'L01', '', '', NULL, 0)",
        "INSERT INTO AUDITORIA VALUES ('0000000001', '0001', '0000000002', '0001', '0001', '0000000001', 4, "
        "'F',"
        " '2026-03-11', NULL)",
        "INSERT INTO AUDITORIA VALUES ('0000000002', '0001', '0000000002', '0002', '0001', '0000000001', 2, "
        "'A',"
        " '2026-03-11', NULL)",
        "INSERT INTO AUDITORIA VALUES ('0000000003', '0001', '0000000003', '0001', '0001', '0000000001', 3, "
        "'F',"
        " '2026-03-21', NULL)",
        "INSERT INTO ESTOQUE VALUES ('0001', '000001', '000001', 'L01', '', '', 100)",
        "INSERT INTO ESTOQUE VALUES ('0001', '000002', '000001', 'L01', '', '', 3)",
        "INSERT INTO ESTOQUE VALUES ('0002', '000001', '000001', 'L01', '', '', 1)",
    };
    soci::transaction tx(session);
    for (const char* statement : statements)
        session << statement;
    tx.commit();
}

vcl::DataPacket NotesAux(const std::vector<NoteKey>& notes) {
    using vcl::FieldType;
    vcl::PacketBuilder builder({{"CDFILIAL", FieldType::String, 4},
                                {"NRLANCTONF", FieldType::String, 10},
                                {"IDMARCADO", FieldType::FixedChar, 1},
                                {"NRINSJURFORN", FieldType::String, 20},
                                {"DTENTRSAID", FieldType::DateTime, 0},
                                {"NRNOTAFISC", FieldType::String, 20},
                                {"CDSERIEENTR", FieldType::String, 5},
                                {"VRNOTAFISC", FieldType::Float, 0},
                                {"CDFILIRECE", FieldType::String, 4}});
    for (const auto& note : notes) {
        builder.AppendRow(
            {note.branch, note.launch, "S", "", vcl::Variant::Null(), "", "", 0.0, note.branch});
    }
    return builder.Finish();
}

vcl::DataPacket ItemsAux(const std::vector<ItemToSend>& items) {
    using vcl::FieldType;
    vcl::PacketBuilder builder({{"IDMARCADO", FieldType::FixedChar, 1},
                                {"CDFILIAL", FieldType::String, 4},
                                {"NRLANCTONF", FieldType::String, 10},
                                {"NRSEQITPROD", FieldType::String, 4},
                                {"CDPRODUTO", FieldType::String, 10},
                                {"CDARVPROD", FieldType::String, 20},
                                {"NMPRODUTO", FieldType::String, 50},
                                {"QTITEMPROD", FieldType::Float, 0},
                                {"QTENVIADA", FieldType::Float, 0},
                                {"VRUNITITEM", FieldType::Float, 0},
                                {"VRTOTAITEM", FieldType::Float, 0},
                                {"CDFILIMOVI", FieldType::String, 4},
                                {"CDALMOXARIFE", FieldType::String, 6},
                                {"CDLOCALESTOQ", FieldType::String, 6},
                                {"NRLOTEESTQ", FieldType::String, 20},
                                {"NRSUBLOTE", FieldType::String, 4},
                                {"CDPRODESTO", FieldType::String, 10}});
    for (const auto& item : items) {
        builder.AppendRow({"S", item.branch, item.launch, item.sequence, "", "", "", 0.0, item.quantity, 0.0,
                           0.0, item.branch, "", "", "", "", ""});
    }
    return builder.Finish();
}

vcl::VariantArray GeraSaidaCall::Args() const {
    return {NotesAux(notes), ItemsAux(items), destination, "1", "01", departure, operation, origin};
}

vcl::VariantArray NotasArgs(const vcl::Variant& packet, const std::string& branch,
                            const std::string& supplier, vcl::TDate from, vcl::TDate to,
                            const std::string& series, const std::string& number, const std::string& flag) {
    return {packet, branch, supplier, from, to, series, number, flag};
}

long long Count(soci::session& session, const std::string& sql) {
    long long n = 0;
    session << sql, soci::into(n);
    return n;
}

double Number(soci::session& session, const std::string& sql) {
    double n = 0;
    session << sql, soci::into(n);
    return n;
}

std::vector<std::string> Column(const vcl::DataPacket& packet, const std::string& field) {
    std::vector<std::string> out;
    const int column = packet.FieldIndex(field);
    if (column < 0)
        return out;
    for (std::size_t row = 0; row < packet.RowCount(); ++row)
        out.push_back(packet.Value(row, static_cast<std::size_t>(column)).AsString());
    return out;
}

}  // namespace testsrv
