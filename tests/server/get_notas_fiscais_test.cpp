#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "contracts/packets.h"
#include "db/connection.h"
#include "remessa_fixture.h"
#include "server/call_error.h"
#include "server/dispatch.h"
#include "server/notas_sql.h"
#include "test_database.h"

namespace {

using testsrv::Column;
using testsrv::NotasArgs;
using vcl::TDate;
using vcl::Variant;
using Strings = std::vector<std::string>;

const TDate kMarch1 = TDate::FromYmd(2026, 3, 1);
const TDate kMarch31 = TDate::FromYmd(2026, 3, 31);

class GetNotasFiscaisTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        ZRM_SKIP_UNLESS_AVAILABLE(database_);
        db::Open(session_, database_.Connect());
        testsrv::SeedSmall(session_);
    }

    vcl::wire::Answer Call(const vcl::VariantArray& args) {
        return server::Dispatch(session_, "zrm90000.rdmRemessaAnalise", "getNotasFiscais", args,
                                server::LocalCaller("0001"));
    }

    // [notes, items] of a successful call.
    std::pair<vcl::DataPacket, vcl::DataPacket> Payload(const vcl::VariantArray& args) {
        const vcl::wire::Answer answer = Call(args);
        EXPECT_EQ(answer.result[0].AsString(), "");
        const Variant& payload = answer.result[1];
        return {payload[0].AsPacket(), payload[1].AsPacket()};
    }

    testdb::TestDatabase database_{GetParam()};
    soci::session session_;
};

TEST_P(GetNotasFiscaisTest, LoadSelectsTheNotesWithSomethingToSendAndTheirItems) {
    const vcl::wire::Answer answer =
        Call(NotasArgs(Variant::Null(), "0001", "", kMarch1, kMarch31, "", "", "S"));
    ASSERT_EQ(answer.result.ArrayLength(), 2u);
    EXPECT_EQ(answer.result[0].AsString(), "");
    ASSERT_EQ(answer.refs.count(3), 1u);
    EXPECT_EQ(answer.refs.at(3), Variant(""));
    const vcl::DataPacket notes = answer.result[1][0].AsPacket();
    const vcl::DataPacket items = answer.result[1][1].AsPacket();

    // The packets carry the fields the client binds, as the contract declares them.
    EXPECT_EQ(notes.Fields(), contracts::NotesPacketFields());
    EXPECT_EQ(items.Fields(), contracts::ItemsPacketFields());

    // Note 2 is left out: one item fully sent, the other under an open analysis.
    EXPECT_EQ(Column(notes, "NRLANCTONF"), (Strings{"0000000001", "0000000003"}));
    EXPECT_EQ(Column(notes, "IDMARCADO"), (Strings{"N", "N"}));
    EXPECT_EQ(Column(notes, "ENVIA"), (Strings{"S", "S"}));
    EXPECT_EQ(Column(notes, "IDTPIJURNF"), (Strings{"J", "F"}));
    EXPECT_EQ(Column(notes, "NRINSJURFORN"), (Strings{"11222333000181", "52998224725"}));
    EXPECT_EQ(Column(notes, "DTENTRSAID"), (Strings{"05/03/2026", "20/03/2026"}));
    EXPECT_EQ(Column(notes, "VRNOTAFISC"), (Strings{"125", "80"}));

    EXPECT_EQ(Column(items, "NRLANCTONF"), (Strings{"0000000001", "0000000001", "0000000003"}));
    EXPECT_EQ(Column(items, "NRSEQITPROD"), (Strings{"0001", "0002", "0001"}));
    EXPECT_EQ(Column(items, "QTITEMPROD"), (Strings{"10", "5", "8"}));
    EXPECT_EQ(Column(items, "QTENVIADA"), (Strings{"10", "5", "5"}));  // 8 received, 3 already sent
    EXPECT_EQ(Column(items, "CDARVPROD"), (Strings{"0101001", "0101002", "0101001"}));
    EXPECT_EQ(Column(items, "SGUNIDADE"), (Strings{"CENTO", "M", "CENTO"}));
    EXPECT_EQ(Column(items, "CDPRODESTO"), (Strings{"000001", "000002", "000001"}));
    EXPECT_EQ(Column(items, "DTVALILOTE"), (Strings{"", "", "31/01/2027"}));
    EXPECT_EQ(Column(items, "IDMARCADO"), (Strings{"N", "N", "N"}));
}

// More rows than one fetch batch holds: every item arrives once, in order,
// with its remaining quantity; nulls in the last batch stay as they were.
TEST_P(GetNotasFiscaisTest, ItemsSpanningSeveralFetchBatchesArriveWholeAndInOrder) {
    constexpr int kItems = 1100;
    {
        soci::transaction tx(session_);
        session_
            << "INSERT INTO NOTAENTRADA VALUES ('0001', '0000000009', '000001', '900', '1', '2026-03-25',"
               " 1.0, '0001')";
        std::string sequence;
        double sent = 0;
        soci::statement insert =
            (session_.prepare << "INSERT INTO ITEMENTRADA VALUES ('0001', '0000000009', :s, '000001', 2, 1.0,"
                                 " 2.0, '0001', '000001', 'L01', '', '', NULL, :q)",
             soci::use(sequence), soci::use(sent));
        for (int i = 1; i <= kItems; ++i) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "%04d", i);
            sequence = buffer;
            sent = i % 2 == 0 ? 0.5 : 0;  // every other item half sent
            insert.execute(true);
        }
        tx.commit();
    }
    const auto [notes, items] =
        Payload(NotasArgs(Variant::Null(), "0001", "", kMarch1, kMarch31, "", "", "S"));
    EXPECT_EQ(Column(notes, "NRLANCTONF"), (Strings{"0000000001", "0000000003", "0000000009"}));
    const Strings launches = Column(items, "NRLANCTONF");
    const Strings sequences = Column(items, "NRSEQITPROD");
    const Strings remaining = Column(items, "QTENVIADA");
    ASSERT_EQ(launches.size(), 3u + kItems);
    for (int i = 1; i <= kItems; ++i) {
        const std::size_t row = 2 + static_cast<std::size_t>(i);
        char expected[8];
        std::snprintf(expected, sizeof expected, "%04d", i);
        ASSERT_EQ(launches[row], "0000000009") << "row " << row;
        ASSERT_EQ(sequences[row], expected) << "row " << row;
        ASSERT_EQ(remaining[row], i % 2 == 0 ? "1.5" : "2") << "row " << row;
    }
    EXPECT_EQ(Column(items, "DTVALILOTE").back(), "");
    EXPECT_EQ(Column(items, "NMPRODUTO").back(), "Parafuso sextavado");
}

// More notes than one items statement takes: the items of every note arrive
// once, in key order, across the statements.
TEST_P(GetNotasFiscaisTest, NotesSpanningSeveralItemStatementsKeepEveryItemInOrder) {
    const int notesAdded = static_cast<int>(server::kNotesPerItemsQuery) + 30;
    {
        soci::transaction tx(session_);
        std::string launch, sequence;
        soci::statement note =
            (session_.prepare
                 << "INSERT INTO NOTAENTRADA VALUES ('0001', :l, '000001', '900', '1', '2026-03-20',"
                    " 1.0, '0001')",
             soci::use(launch));
        soci::statement item =
            (session_.prepare
                 << "INSERT INTO ITEMENTRADA VALUES ('0001', :l, :s, '000001', 2, 1.0, 2.0, '0001',"
                    " '000001', 'L01', '', '', NULL, 0)",
             soci::use(launch), soci::use(sequence));
        for (int n = notesAdded; n >= 1; --n) {  // stored in the reverse of the listing's order
            launch = std::to_string(1000000000 + n);
            note.execute(true);
            for (const char* s : {"0002", "0001"}) {
                sequence = s;
                item.execute(true);
            }
        }
        tx.commit();
    }
    const auto [notes, items] =
        Payload(NotasArgs(Variant::Null(), "0001", "", kMarch1, kMarch31, "", "", "S"));
    const Strings noteLaunches = Column(notes, "NRLANCTONF");
    ASSERT_EQ(noteLaunches.size(), 2u + static_cast<std::size_t>(notesAdded));
    const Strings launches = Column(items, "NRLANCTONF");
    const Strings sequences = Column(items, "NRSEQITPROD");
    Strings got;  // "launch/sequence" of every item, as they came
    for (std::size_t i = 0; i < launches.size(); ++i)
        got.push_back(launches[i] + "/" + sequences[i]);
    EXPECT_TRUE(std::is_sorted(got.begin(), got.end()));
    EXPECT_EQ(std::adjacent_find(got.begin(), got.end()), got.end()) << "an item came twice";
    Strings added, expected;
    std::copy_if(got.begin(), got.end(), std::back_inserter(added),
                 [](const std::string& key) { return key.starts_with("1"); });
    for (int n = 1; n <= notesAdded; ++n)
        for (const char* s : {"/0001", "/0002"})
            expected.push_back(std::to_string(1000000000 + n) + s);
    EXPECT_EQ(added, expected);
}

TEST_P(GetNotasFiscaisTest, FilterNarrowsBySupplierSeriesNumberAndDates) {
    struct Case {
        const char* name;
        const char* supplier;
        const char* series;
        const char* number;
        const char* flag;
        TDate from, to;
        Strings launches;
        std::size_t items;
    };
    const Case cases[] = {
        {"the search fetches notes only",
         "",
         "",
         "",
         "N",
         kMarch1,
         kMarch31,
         {"0000000001", "0000000003"},
         0},
        {"a supplier keeps its notes", "000002", "", "", "S", kMarch1, kMarch31, {"0000000003"}, 1},
        {"a series keeps its notes", "", "1", "", "S", kMarch1, kMarch31, {"0000000001", "0000000003"}, 3},
        {"a series whose notes sent everything gives none", "", "2", "", "S", kMarch1, kMarch31, {}, 0},
        {"a number narrows the load", "", "", "200", "S", kMarch1, kMarch31, {"0000000003"}, 1},
        {"the search ignores the number",
         "",
         "",
         "200",
         "N",
         kMarch1,
         kMarch31,
         {"0000000001", "0000000003"},
         0},
        {"both ends of the range count",
         "",
         "",
         "",
         "S",
         TDate::FromYmd(2026, 3, 5),
         TDate::FromYmd(2026, 3, 5),
         {"0000000001"},
         2},
        {"another month",
         "",
         "",
         "",
         "S",
         TDate::FromYmd(2026, 4, 1),
         TDate::FromYmd(2026, 4, 30),
         {"0000000004"},
         1},
    };
    for (const auto& c : cases) {
        const auto [notes, items] =
            Payload(NotasArgs(Variant::Null(), "0001", c.supplier, c.from, c.to, c.series, c.number, c.flag));
        EXPECT_EQ(Column(notes, "NRLANCTONF"), c.launches) << c.name;
        EXPECT_EQ(items.RowCount(), c.items) << c.name;
    }
}

TEST_P(GetNotasFiscaisTest, LoadWithAPacketReturnsThoseNotesWhateverTheyHold) {
    // Note 2 has nothing left to send and note 4 lies outside the range;
    // an unknown key is skipped.
    const vcl::DataPacket given = testsrv::NotesAux(
        {{"0001", "0000000004"}, {"0001", "0000000002"}, {"0001", "9999999999"}, {"0001", "0000000002"}});
    const auto [notes, items] = Payload(NotasArgs(given, "0001", "", kMarch1, kMarch31, "", "", "S"));
    EXPECT_EQ(Column(notes, "NRLANCTONF"), (Strings{"0000000002", "0000000004"}));
    EXPECT_EQ(Column(notes, "ENVIA"), (Strings{"N", "S"}));
    EXPECT_EQ(Column(items, "NRLANCTONF"), (Strings{"0000000002", "0000000002", "0000000004"}));
    // Fully sent, and under an open analysis: nothing to send either way.
    EXPECT_EQ(Column(items, "QTENVIADA"), (Strings{"0", "0", "2"}));
}

TEST_P(GetNotasFiscaisTest, FilterErrorsAnswerTheirTextAndNoPayload) {
    struct Case {
        const char* branch;
        const char* supplier;
        const char* series;
        TDate from, to;
        const char* error;
    };
    const Case cases[] = {
        {"", "", "", kMarch1, kMarch31, "Filial deve ser informada"},
        {"0009", "", "", kMarch1, kMarch31, "Filial não cadastrada"},
        {"0001", "999999", "", kMarch1, kMarch31, "Fornecedor não cadastrado"},
        {"0001", "", "Z", kMarch1, kMarch31, "Série não cadastrada"},
        {"0001", "", "", kMarch31, kMarch1, "Data inicial deve ser menor que a data final"},
    };
    for (const auto& c : cases) {
        const vcl::wire::Answer answer =
            Call(NotasArgs(Variant::Null(), c.branch, c.supplier, c.from, c.to, c.series, "", "S"));
        EXPECT_EQ(answer.result[0].AsString(), c.error);
        EXPECT_TRUE(answer.result[1].IsNull()) << c.error;
        EXPECT_EQ(answer.refs.at(3), Variant(c.supplier)) << c.error;
    }
}

TEST_P(GetNotasFiscaisTest, MalformedArgumentsAreRefused) {
    const Variant noPacket = Variant::Null();
    vcl::PacketBuilder lacking({{"CDFILIAL", vcl::FieldType::String, 4}});
    lacking.AppendRow({"0001"});
    const vcl::DataPacket withoutLaunch = lacking.Finish();
    struct Case {
        const char* name;
        vcl::VariantArray args;
    };
    const Case cases[] = {
        {"seven arguments", {noPacket, "0001", "", kMarch1, kMarch31, "", ""}},
        {"an unknown flag", NotasArgs(noPacket, "0001", "", kMarch1, kMarch31, "", "", "X")},
        {"a date that is a text", {noPacket, "0001", "", "2026-03-01", kMarch31, "", "", "S"}},
        {"a null date", {noPacket, "0001", "", Variant::Null(), kMarch31, "", "", "S"}},
        {"a branch that is a number", {noPacket, 1, "", kMarch1, kMarch31, "", "", "S"}},
        {"a packet that is a text", NotasArgs("packet", "0001", "", kMarch1, kMarch31, "", "", "S")},
        {"a packet without the launch number",
         NotasArgs(withoutLaunch, "0001", "", kMarch1, kMarch31, "", "", "S")},
    };
    for (const auto& c : cases) {
        try {
            Call(c.args);
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const server::CallError& e) {
            EXPECT_EQ(e.Status(), server::CallStatus::BadRequest) << c.name;
            EXPECT_NE(std::string(e.what()), "") << c.name;
        }
    }
}

TEST_P(GetNotasFiscaisTest, GetSerieAnswersTheDefaultSeriesOrNoRow) {
    struct Case {
        const char* branch;
        const char* error;
        Strings series;
        Strings companies;
    };
    const Case cases[] = {
        {"0001", "", {"1"}, {"01"}},
        {"0004", "", {}, {}},  // a series, but not the default
        {"0009", "Filial não cadastrada", {}, {}},
    };
    for (const auto& c : cases) {
        const vcl::wire::Answer answer = server::Dispatch(session_, "zrm90000.rdmRemessaAnalise", "getSerie",
                                                          {c.branch}, server::LocalCaller("0001"));
        EXPECT_EQ(answer.result[0].AsString(), c.error) << c.branch;
        if (*c.error) {
            EXPECT_TRUE(answer.result[1].IsNull());
            continue;
        }
        EXPECT_EQ(Column(answer.result[1].AsPacket(), "CDSERIE"), c.series) << c.branch;
        EXPECT_EQ(Column(answer.result[1].AsPacket(), "CDEMPRESA"), c.companies) << c.branch;
    }
    EXPECT_THROW(
        server::Dispatch(session_, "zrm90000.rdmRemessaAnalise", "getSerie", {}, server::LocalCaller("0001")),
        server::CallError);
}

INSTANTIATE_TEST_SUITE_P(Backends, GetNotasFiscaisTest, ::testing::ValuesIn(testdb::AllBackends()),
                         testdb::BackendName());

}  // namespace
