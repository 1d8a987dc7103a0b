// getNotasFiscais: the received notes of a branch that still have something
// to send, and their items with the quantity that remains.
#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <tuple>

#include "contracts/packets.h"
#include "server/arguments.h"
#include "server/call_error.h"
#include "server/failure_log.h"
#include "server/notas_sql.h"
#include "server/remessa_methods.h"
#include "server/sql_query.h"
#include "vcl/data_packet.h"

namespace server {

namespace {

using vcl::FieldDef;
using vcl::FieldType;
using vcl::Variant;

double Round3(double value) {
    return std::round(value * 1000.0) / 1000.0;
}

Variant DateTimeOrNull(const std::string& iso, soci::indicator indicator) {
    if (indicator != soci::i_ok)
        return Variant::Null();
    const auto date = vcl::TDate::ParseIso(iso.substr(0, 10));
    return date ? Variant(vcl::TDateTime::FromDate(*date)) : Variant::Null();
}

struct NoteRow {
    std::string entryDate;  // ISO, for ordering
    std::string branch, launch;
    std::array<Variant, 11> values;  // in the order of contracts::NotesPacketFields()
};

// The notes matching `where` (a condition over NOTAENTRADA N), in the order
// of entry date, branch and launch number.
std::vector<NoteRow> SelectNotes(soci::session& session, const SqlQuery& where, bool filterRequiresPending) {
    SqlQuery query(NotesSql(where.Text(), filterRequiresPending));
    for (const auto& value : where.Values())
        query.Add("", value);

    std::vector<NoteRow> rows;
    std::string branch, launch, registration, date, number, series, receiver, personType, send;
    double value = 0;
    soci::indicator registrationOk = soci::i_ok, personOk = soci::i_ok;
    RunQuery(
        session, query,
        [&](soci::statement& s) {
            s.exchange(soci::into(branch));
            s.exchange(soci::into(launch));
            s.exchange(soci::into(registration, registrationOk));
            s.exchange(soci::into(date));
            s.exchange(soci::into(number));
            s.exchange(soci::into(series));
            s.exchange(soci::into(value));
            s.exchange(soci::into(receiver));
            s.exchange(soci::into(personType, personOk));
            s.exchange(soci::into(send));
        },
        [&] {
            rows.push_back({date,
                            branch,
                            launch,
                            {branch, launch, "N", registrationOk == soci::i_ok ? registration : std::string(),
                             DateTimeOrNull(date, soci::i_ok), number, series, value, receiver, send,
                             personOk == soci::i_ok ? personType : std::string()}});
        });
    return rows;
}

// The items of the notes matching `where`, ordered by note and sequence.
void AppendItems(soci::session& session, const SqlQuery& where, vcl::PacketBuilder& out) {
    SqlQuery query(ItemsSql(where.Text()));
    for (const auto& value : where.Values())
        query.Add("", value);

    std::string branch, launch, sequence, product, tree, name, movedAt, warehouse, location, lot, sublot,
        expiry, unit, stockProduct;
    double quantity = 0, sent = 0, unitPrice = 0, total = 0;
    int underAnalysis = 0;
    soci::indicator treeOk, nameOk, expiryOk, unitOk, stockOk;
    const auto orEmpty = [](const std::string& text, soci::indicator indicator) {
        return indicator == soci::i_ok ? Variant(text) : Variant(std::string());
    };
    RunQuery(
        session, query,
        [&](soci::statement& s) {
            s.exchange(soci::into(branch));
            s.exchange(soci::into(launch));
            s.exchange(soci::into(sequence));
            s.exchange(soci::into(product));
            s.exchange(soci::into(tree, treeOk));
            s.exchange(soci::into(name, nameOk));
            s.exchange(soci::into(quantity));
            s.exchange(soci::into(sent));
            s.exchange(soci::into(underAnalysis));
            s.exchange(soci::into(unitPrice));
            s.exchange(soci::into(total));
            s.exchange(soci::into(movedAt));
            s.exchange(soci::into(warehouse));
            s.exchange(soci::into(location));
            s.exchange(soci::into(lot));
            s.exchange(soci::into(sublot));
            s.exchange(soci::into(expiry, expiryOk));
            s.exchange(soci::into(unit, unitOk));
            s.exchange(soci::into(stockProduct, stockOk));
        },
        [&] {
            const double remaining = underAnalysis ? 0.0 : std::max(0.0, Round3(quantity - sent));
            const Variant row[] = {"N",
                                   branch,
                                   launch,
                                   sequence,
                                   product,
                                   orEmpty(tree, treeOk),
                                   orEmpty(name, nameOk),
                                   quantity,
                                   remaining,
                                   unitPrice,
                                   total,
                                   movedAt,
                                   warehouse,
                                   location,
                                   lot,
                                   sublot,
                                   DateTimeOrNull(expiry, expiryOk),
                                   orEmpty(unit, unitOk),
                                   orEmpty(stockProduct, stockOk)};
            out.AppendRow(row);
        });
}

bool Exists(soci::session& session, const char* sql, const std::string& key) {
    long long count = 0;
    session << sql, soci::use(key), soci::into(count);
    return count > 0;
}

vcl::wire::Answer Failure(const std::string& message, const vcl::Variant& supplier) {
    vcl::wire::Answer answer;
    answer.result = vcl::VariantArray{message, Variant::Null()};
    answer.refs[3] = supplier;
    return answer;
}

struct NoteKey {
    std::string branch, launch;
    friend auto operator<=>(const NoteKey&, const NoteKey&) = default;
};

}  // namespace

vcl::wire::Answer GetNotasFiscais(soci::session& session, const vcl::VariantArray& args) {
    Arguments in("getNotasFiscais", args);
    in.ExpectCount(8);
    bool packetIsNull = true;
    const vcl::DataPacket given = in.Packet(0, "notes packet", packetIsNull);
    const std::string branch = in.Text(1, "branch", 4);
    const std::string supplier = in.Text(2, "supplier code", 21);
    const vcl::TDate from = in.Date(3, "initial date");
    const vcl::TDate to = in.Date(4, "final date");
    const std::string series = in.Text(5, "series", 5);
    const std::string number = in.Text(6, "note number", 20);
    const std::string flag = in.Text(7, "flag", 1);
    if (flag != "N" && flag != "S")
        BadRequest("getNotasFiscais: argument 8 (flag) must be \"N\" or \"S\"");
    std::vector<NoteKey> keys;
    if (flag == "S" && !packetIsNull) {
        static constexpr PacketReader::Field kRequired[] = {{"CDFILIAL", PacketReader::Kind::Text, 4},
                                                            {"NRLANCTONF", PacketReader::Kind::Text, 10}};
        const PacketReader reader(given, "notes", kRequired);
        std::set<NoteKey> seen;
        for (std::size_t row = 0; row < reader.RowCount(); ++row) {
            NoteKey key{reader.Text(row, "CDFILIAL"), reader.Text(row, "NRLANCTONF")};
            if (seen.insert(key).second)
                keys.push_back(std::move(key));
        }
    }
    const Variant supplierRef = in.Raw(2).IsUnassigned() ? Variant::Null() : in.Raw(2);

    try {
        if (branch.empty())
            return Failure("Filial deve ser informada", supplierRef);
        if (!Exists(session, "SELECT COUNT(*) FROM FILIAL WHERE CDFILIAL = :f", branch))
            return Failure("Filial não cadastrada", supplierRef);
        if (!supplier.empty() &&
            !Exists(session, "SELECT COUNT(*) FROM FORNECEDOR WHERE CDFORNECED = :f", supplier))
            return Failure("Fornecedor não cadastrado", supplierRef);
        if (!series.empty() &&
            !Exists(session, "SELECT COUNT(*) FROM SERIEENTR WHERE CDSERIEENTR = :s", series))
            return Failure("Série não cadastrada", supplierRef);
        if (to < from)
            return Failure("Data inicial deve ser menor que a data final", supplierRef);

        vcl::PacketBuilder notes(contracts::NotesPacketFields());
        vcl::PacketBuilder items(contracts::ItemsPacketFields());
        if (flag == "S" && !packetIsNull) {
            // The client's notes, whatever the filter says: looked up by key.
            std::sort(keys.begin(), keys.end());
            std::vector<NoteRow> rows;
            for (const auto& key : keys) {
                const SqlQuery where = NoteKeyWhere(key.branch, key.launch);
                for (auto& row : SelectNotes(session, where, false))
                    rows.push_back(std::move(row));
                AppendItems(session, where, items);
            }
            std::stable_sort(rows.begin(), rows.end(), [](const NoteRow& a, const NoteRow& b) {
                return std::tie(a.entryDate, a.branch, a.launch) < std::tie(b.entryDate, b.branch, b.launch);
            });
            for (const auto& row : rows)
                notes.AppendRow(row.values);
        } else {
            const SqlQuery where = NotesFilterWhere(
                {branch, from.ToIso(), to.ToIso(), supplier, series, flag == "S" ? number : std::string()});
            for (const auto& row : SelectNotes(session, where, true))
                notes.AppendRow(row.values);
            if (flag == "S")
                AppendItems(session, where, items);
        }
        vcl::wire::Answer answer;
        answer.result = vcl::VariantArray{"", vcl::VariantArray{notes.Finish(), items.Finish()}};
        answer.refs[3] = supplierRef;
        return answer;
    } catch (const soci::soci_error& e) {
        return Failure(DatabaseFailure(e.what()), supplierRef);
    }
}

}  // namespace server
