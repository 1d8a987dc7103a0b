#include <gtest/gtest.h>

#include <type_traits>

#include "db/connection.h"
#include "remessa_fixture.h"
#include "server/call_error.h"
#include "server/dispatch.h"
#include "server/gera_saida_plan.h"
#include "test_database.h"

namespace {

// A plan's shipments point into its own notes: a copy would point into the original.
static_assert(!std::is_copy_constructible_v<server::gera::Plan> &&
              !std::is_copy_assignable_v<server::gera::Plan>);
static_assert(std::is_move_constructible_v<server::gera::Plan>);

using testsrv::Column;
using testsrv::Count;
using testsrv::GeraSaidaCall;
using testsrv::Number;
using vcl::Variant;
using Strings = std::vector<std::string>;

// As the user of the branch the request names (argument 8): the checks of
// the caller have tests of their own.
vcl::wire::Answer CallOn(soci::session& session, const vcl::VariantArray& args) {
    const std::string branch =
        args.size() == 8 && args[7].type() == Variant::Type::String ? args[7].AsString() : "";
    return server::Dispatch(session, "zrm90000.rdmRemessaAnalise", "GeraSaida", args,
                            server::LocalCaller(branch));
}

// Everything GeraSaida may write, as one text: equal before and after a
// refused call.
std::string WrittenState(soci::session& session) {
    std::string out;
    for (const char* sql : {
             "SELECT COUNT(*) FROM NOTASAIDA",
             "SELECT COUNT(*) FROM ITEMSAIDA",
             "SELECT COUNT(*) FROM AUDITORIA",
             "SELECT COUNT(*) FROM NUMERACAO",
             "SELECT SUM(NRULTNOTA) FROM SERIESAIDA",
             "SELECT CAST(SUM(QTESTOQUE) * 1000 AS BIGINT) FROM ESTOQUE",
             "SELECT CAST(SUM(QTREMETIDA) * 1000 AS BIGINT) FROM ITEMENTRADA",
         })
        out += std::to_string(Count(session, sql)) + ";";
    return out;
}

// The call's answer must be "N" with exactly these DSERRO texts, and the
// database unchanged.
vcl::DataPacket ExpectRefusedOn(soci::session& session, const GeraSaidaCall& call, const Strings& errors,
                                const std::string& name) {
    const std::string before = WrittenState(session);
    const vcl::wire::Answer answer = CallOn(session, call.Args());
    EXPECT_EQ(answer.result[0].AsString(), "N") << name;
    EXPECT_EQ(answer.result[1].AsPacket().RowCount(), 0u) << name;
    const vcl::DataPacket errorRows = answer.result[2].AsPacket();
    EXPECT_EQ(Column(errorRows, "DSERRO"), errors) << name;
    EXPECT_EQ(WrittenState(session), before) << name;
    return errorRows;
}

class GeraSaidaTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        ZRM_SKIP_UNLESS_AVAILABLE(database_);
        db::Open(session_, database_.Connect());
        testsrv::SeedSmall(session_);
    }

    vcl::wire::Answer Call(const vcl::VariantArray& args) { return CallOn(session_, args); }
    std::string WrittenState() { return ::WrittenState(session_); }
    vcl::DataPacket ExpectRefused(const GeraSaidaCall& call, const Strings& errors, const std::string& name) {
        return ExpectRefusedOn(session_, call, errors, name);
    }

    testdb::TestDatabase database_{GetParam()};
    soci::session session_;
};

TEST_P(GeraSaidaTest, GeneratesOneNumberedRemittancePerNoteAndMovesEverything) {
    GeraSaidaCall call;
    call.notes = {{"0001", "0000000003"}, {"0001", "0000000001"}};
    call.items = {{"0001", "0000000001", "0001", 4},
                  {"0001", "0000000001", "0002", 2.5},
                  {"0001", "0000000003", "0001", 5}};
    const vcl::wire::Answer answer = Call(call.Args());
    ASSERT_EQ(answer.result[0].AsString(), "OK") << Column(answer.result[2].AsPacket(), "DSERRO").size();
    EXPECT_EQ(answer.result[2].AsPacket().RowCount(), 0u);
    EXPECT_EQ(answer.refs.at(4), Variant("1"));
    EXPECT_EQ(answer.refs.at(5), Variant("01"));

    // In the client's order of the notes, numbered from the series' last number 10.
    const vcl::DataPacket generated = answer.result[1].AsPacket();
    EXPECT_EQ(Column(generated, "NRLANCTOENT"), (Strings{"0000000003", "0000000001"}));
    EXPECT_EQ(Column(generated, "NRNOTAFISC"), (Strings{"11", "12"}));
    EXPECT_EQ(Column(generated, "NRLANCTONF"), (Strings{"0000000001", "0000000002"}));
    EXPECT_EQ(Column(generated, "CDFILIRECE"), (Strings{"0002", "0002"}));
    EXPECT_EQ(Column(generated, "VRNOTAFISC"), (Strings{"50", "52.5"}));
    EXPECT_EQ(Column(generated, "NRINSJURFORN"), (Strings{"52998224725", "11222333000181"}));

    EXPECT_EQ(Count(session_, "SELECT NRULTNOTA FROM SERIESAIDA WHERE CDFILIAL = '0001' AND CDSERIE = '1'"),
              12);
    EXPECT_EQ(Count(session_,
                    "SELECT COUNT(*) FROM NOTASAIDA WHERE CDFILIDEST = '0002' AND CDTIPOOPER = '01'"
                    " AND CDFILIPROC = '0001' AND DTSAIDA = '2026-03-31'"),
              2);
    EXPECT_EQ(Count(session_, "SELECT COUNT(*) FROM ITEMSAIDA"), 3);
    EXPECT_DOUBLE_EQ(Number(session_,
                            "SELECT QTREMETIDA FROM ITEMENTRADA WHERE NRLANCTONF = '0000000001'"
                            " AND NRSEQITPROD = '0002'"),
                     2.5);
    EXPECT_DOUBLE_EQ(Number(session_,
                            "SELECT QTREMETIDA FROM ITEMENTRADA WHERE CDFILIAL = '0001'"
                            " AND NRLANCTONF = '0000000003'"),
                     8);
    EXPECT_DOUBLE_EQ(Number(session_,
                            "SELECT QTESTOQUE FROM ESTOQUE WHERE CDFILIAL = '0001'"
                            " AND CDPRODUTO = '000001'"),
                     91);
    EXPECT_DOUBLE_EQ(Number(session_,
                            "SELECT QTESTOQUE FROM ESTOQUE WHERE CDFILIAL = '0001'"
                            " AND CDPRODUTO = '000002'"),
                     0.5);
    // One open analysis per shipped item, numbered after the highest one.
    EXPECT_EQ(Count(session_,
                    "SELECT COUNT(*) FROM AUDITORIA WHERE IDSITUACAO = 'A' AND NRAUDITORIA IN"
                    " ('0000000004', '0000000005', '0000000006') AND CDFILISAID = '0001'"),
              3);
}

TEST_P(GeraSaidaTest, EachFaultIsReportedWithItsTextAndNothingIsWritten) {
    struct Case {
        const char* name;
        const char* setup;  // SQL run first, or empty
        GeraSaidaCall call;
        Strings errors;
    };
    const testsrv::NoteKey note1{"0001", "0000000001"};
    const testsrv::NoteKey note2{"0001", "0000000002"};
    const testsrv::NoteKey note3{"0001", "0000000003"};
    const testsrv::ItemToSend fine{"0001", "0000000001", "0001", 1};
    const auto make = [&](std::vector<testsrv::NoteKey> notes, std::vector<testsrv::ItemToSend> items,
                          const char* destination = "0002", const char* operation = "01") {
        GeraSaidaCall call;
        call.notes = std::move(notes);
        call.items = std::move(items);
        call.destination = destination;
        call.operation = operation;
        return call;
    };
    const Case cases[] = {
        {"an unknown destination", "", make({note1}, {fine}, "0009"), {"Filial não cadastrada"}},
        {"the destination is the origin",
         "",
         make({note1}, {fine}, "0001"),
         {"Filial para geração de remessa deve ser diferente da filial de origem"}},
        {"the destination does not control stock",
         "",
         make({note1}, {fine}, "0003"),
         {"Filial da remessa não parametrizada para controle de estoque"}},
        {"an entry operation",
         "",
         make({note1}, {fine}, "0002", "10"),
         {"Tipo de operação dever ter filial como origem."}},
        {"an exit to a customer",
         "",
         make({note1}, {fine}, "0002", "20"),
         {"Tipo de operação dever ter filial como origem."}},
        {"an unknown operation",
         "",
         make({note1}, {fine}, "0002", "99"),
         {"Tipo de operação dever ter filial como origem."}},
        {"no default series at the origin",
         "UPDATE SERIESAIDA SET IDPADRAO = 'N' WHERE CDFILIAL = '0001'",
         make({note1}, {fine}),
         {"Filial não possui série padrão cadastrada"}},
        {"an item under an open analysis",
         "",
         make({note2}, {{"0001", "0000000002", "0002", 1}}),
         {"Existem itens em análise"}},
        {"more than remains to send",
         "",
         make({note3}, {{"0001", "0000000003", "0001", 5.001}}),
         {"Quantidade enviada maior que a quantidade disponível"}},
        {"an item already sent whole",
         "",
         make({note2}, {{"0001", "0000000002", "0001", 1}}),
         {"Quantidade enviada maior que a quantidade disponível"}},
        {"a quantity that is not positive",
         "",
         make({note1}, {{"0001", "0000000001", "0001", -1}}),
         {"Quantidade enviada deve ser maior que zero"}},
        {"stock short at the origin",
         "",
         make({note1}, {{"0001", "0000000001", "0002", 3.5}}),
         {"Operação não realizada. Verifique o estoque dos produtos"}},
        {"no stock row at the origin",
         "DELETE FROM ESTOQUE WHERE CDPRODUTO = '000002'",
         make({note1}, {{"0001", "0000000001", "0002", 1}}),
         {"Operação não realizada. Verifique o estoque dos produtos"}},
        {"stock short only for the items together",
         "UPDATE ESTOQUE SET QTESTOQUE = 12 WHERE CDFILIAL = '0001'",
         make({note1, note3}, {{"0001", "0000000001", "0001", 10}, {"0001", "0000000003", "0001", 5}}),
         {"Operação não realizada. Verifique o estoque dos produtos",
          "Operação não realizada. Verifique o estoque dos produtos"}},
        {"an unknown note",
         "",
         make({{"0001", "0000000077"}}, {{"0001", "0000000077", "0001", 1}}),
         {"Nota fiscal não encontrada"}},
        {"an unknown item",
         "",
         make({note1}, {{"0001", "0000000001", "0009", 1}}),
         {"Item não encontrado na nota fiscal"}},
    };
    for (const auto& c : cases) {
        testdb::TestDatabase database(GetParam());
        soci::session session;
        db::Open(session, database.Connect());
        testsrv::SeedSmall(session);
        if (*c.setup)
            session << c.setup;
        ExpectRefusedOn(session, c.call, c.errors, c.name);
    }
}

TEST_P(GeraSaidaTest, EveryErrorIsCollectedAndNamesItsNoteItemAndAnalysis) {
    GeraSaidaCall call;
    call.operation = "10";
    call.notes = {{"0001", "0000000001"}, {"0001", "0000000002"}, {"0001", "0000000003"}};
    call.items = {{"0001", "0000000001", "0001", 1},
                  {"0001", "0000000002", "0002", 1},
                  {"0001", "0000000003", "0001", 9}};
    const vcl::DataPacket errors =
        ExpectRefused(call,
                      {"Tipo de operação dever ter filial como origem.", "Existem itens em análise",
                       "Quantidade enviada maior que a quantidade disponível"},
                      "three faults");
    EXPECT_EQ(Column(errors, "NRLANCTONF"), (Strings{"", "0000000002", "0000000003"}));
    EXPECT_EQ(Column(errors, "NRSEQITPROD"), (Strings{"", "0002", "0001"}));
    EXPECT_EQ(Column(errors, "NRAUDITORIA"), (Strings{"", "0000000002", ""}));
    EXPECT_EQ(Column(errors, "NRNOTAFISC"), (Strings{"", "100", "200"}));
    EXPECT_EQ(Column(errors, "NMPRODUTO"), (Strings{"", "Parafuso sextavado", "Parafuso sextavado"}));
    EXPECT_EQ(Column(errors, "DTENTRSAID"), (Strings{"", "10/03/2026", "20/03/2026"}));
}

TEST_P(GeraSaidaTest, ARetryAfterASuccessIsRefusedByTheOpenAnalyses) {
    GeraSaidaCall call;
    call.notes = {{"0001", "0000000001"}};
    call.items = {{"0001", "0000000001", "0001", 1}, {"0001", "0000000001", "0002", 1}};
    ASSERT_EQ(Call(call.Args()).result[0].AsString(), "OK");
    const vcl::DataPacket errors =
        ExpectRefused(call, {"Existem itens em análise", "Existem itens em análise"}, "the retry");
    EXPECT_EQ(Column(errors, "NRAUDITORIA"), (Strings{"0000000004", "0000000005"}));
}

// 4.0005 typed is 4.001 on the screen (half up on the decimal text); the
// double 4.000499... must not ship 4.000.
TEST_P(GeraSaidaTest, QuantitiesRoundAsTheScreenRoundsThem) {
    GeraSaidaCall call;
    call.notes = {{"0001", "0000000001"}};
    call.items = {{"0001", "0000000001", "0001", 4.0005}};
    ASSERT_EQ(Call(call.Args()).result[0].AsString(), "OK");
    EXPECT_EQ(Count(session_,
                    "SELECT CAST(ROUND(QTREMETIDA * 1000) AS BIGINT) FROM ITEMENTRADA"
                    " WHERE CDFILIAL = '0001' AND NRLANCTONF = '0000000001' AND NRSEQITPROD = '0001'"),
              4001);
    EXPECT_EQ(Count(session_, "SELECT CAST(ROUND(QTITEMPROD * 1000) AS BIGINT) FROM ITEMSAIDA"), 4001);
}

TEST_P(GeraSaidaTest, AnOriginWithoutStockControlShipsWithoutStock) {
    GeraSaidaCall call;
    call.origin = "0003";
    call.notes = {{"0003", "0000000001"}};
    call.items = {{"0003", "0000000001", "0001", 1}};
    const vcl::wire::Answer answer = Call(call.Args());
    EXPECT_EQ(answer.result[0].AsString(), "OK");
    EXPECT_EQ(answer.refs.at(4), Variant("U"));
    EXPECT_EQ(Count(session_, "SELECT COUNT(*) FROM NOTASAIDA WHERE CDFILIAL = '0003' AND CDSERIE = 'U'"), 1);
}

// A launch or analysis number that is not a number must not restart the
// numbering at 1 (it would collide with what exists): the call is refused.
TEST_P(GeraSaidaTest, ANonNumericStoredNumberRefusesTheCall) {
    for (const char* bad : {
             "INSERT INTO NOTASAIDA (CDFILIAL, NRLANCTONF, CDSERIE, CDEMPRESA, NRNOTAFISC, DTSAIDA, "
             "CDFILIDEST,"
             " CDTIPOOPER, CDFILIPROC, CDFILIENTR, NRLANCTOENT, VRNOTAFISC, DTGERACAO) VALUES ('0001', 'X1',"
             " '9', '01', '1', '2026-03-01', '0002', '01', '0001', '0001', '0000000004', 0, '2026-03-01')",
             "UPDATE AUDITORIA SET NRAUDITORIA = 'A3' WHERE NRAUDITORIA = '0000000003'",
         }) {
        session_ << bad;
        GeraSaidaCall call;
        call.notes = {{"0001", "0000000001"}};
        call.items = {{"0001", "0000000001", "0001", 1}};
        const std::string before = WrittenState();
        const vcl::wire::Answer answer = Call(call.Args());
        EXPECT_EQ(answer.result[0].AsString(), "Numeração inválida no banco de dados; nada foi gravado")
            << bad;
        EXPECT_EQ(WrittenState(), before) << bad;
        session_ << "DELETE FROM NOTASAIDA WHERE NRLANCTONF = 'X1'";
    }
}

TEST_P(GeraSaidaTest, RequestsThatCannotBeProcessedAnswerAMessage) {
    struct Case {
        const char* name;
        GeraSaidaCall call;
        const char* status;
    };
    GeraSaidaCall orphan;
    orphan.notes = {{"0001", "0000000001"}};
    orphan.items = {{"0001", "0000000003", "0001", 1}};
    GeraSaidaCall twice;
    twice.notes = {{"0001", "0000000001"}};
    twice.items = {{"0001", "0000000001", "0001", 1}, {"0001", "0000000001", "0001", 1}};
    GeraSaidaCall nothing;
    nothing.notes = {{"0001", "0000000001"}};
    const Case cases[] = {
        {"an item of no note sent", orphan,
         "O item 0001 da nota 0001/0000000003 não pertence a nenhuma nota enviada"},
        {"an item sent twice", twice, "O item 0001 da nota 0001/0000000001 foi enviado mais de uma vez"},
        {"no item", nothing, "Nenhum item a enviar"},
    };
    for (const auto& c : cases) {
        const std::string before = WrittenState();
        const vcl::wire::Answer answer = Call(c.call.Args());
        EXPECT_EQ(answer.result[0].AsString(), c.status) << c.name;
        EXPECT_EQ(answer.result[1].AsPacket().RowCount(), 0u) << c.name;
        EXPECT_EQ(answer.result[2].AsPacket().RowCount(), 0u) << c.name;
        EXPECT_EQ(WrittenState(), before) << c.name;
    }
}

TEST_P(GeraSaidaTest, MalformedArgumentsAreRefused) {
    GeraSaidaCall call;
    call.notes = {{"0001", "0000000001"}};
    call.items = {{"0001", "0000000001", "0001", 1}};
    const vcl::VariantArray good = call.Args();
    const auto with = [&](std::size_t index, Variant value) {
        vcl::VariantArray args = good;
        args[index] = std::move(value);
        return args;
    };
    vcl::PacketBuilder textQuantity({{"CDFILIAL", vcl::FieldType::String, 4},
                                     {"NRLANCTONF", vcl::FieldType::String, 10},
                                     {"NRSEQITPROD", vcl::FieldType::String, 4},
                                     {"QTENVIADA", vcl::FieldType::String, 10}});
    textQuantity.AppendRow({"0001", "0000000001", "0001", "1"});
    vcl::PacketBuilder noSequence({{"CDFILIAL", vcl::FieldType::String, 4},
                                   {"NRLANCTONF", vcl::FieldType::String, 10},
                                   {"QTENVIADA", vcl::FieldType::Float, 0}});
    noSequence.AppendRow({"0001", "0000000001", 1.0});
    struct Case {
        const char* name;
        vcl::VariantArray args;
    };
    const Case cases[] = {
        {"seven arguments", vcl::VariantArray(good.begin(), good.end() - 1)},
        {"a null notes packet", with(0, Variant::Null())},
        {"an items packet that is a text", with(1, "items")},
        {"items without their sequence", with(1, noSequence.Finish())},
        {"a quantity held as text", with(1, textQuantity.Finish())},
        {"a destination that is a number", with(2, 2)},
        {"a departure date that is a text", with(5, "31/03/2026")},
        {"a departure date that is null", with(5, Variant::Null())},
    };
    const std::string before = WrittenState();
    for (const auto& c : cases) {
        try {
            Call(c.args);
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const server::CallError& e) {
            EXPECT_EQ(e.Status(), server::CallStatus::BadRequest) << c.name;
        }
    }
    EXPECT_EQ(WrittenState(), before);
}

INSTANTIATE_TEST_SUITE_P(Backends, GeraSaidaTest, ::testing::ValuesIn(testdb::AllBackends()),
                         testdb::BackendName());

}  // namespace
