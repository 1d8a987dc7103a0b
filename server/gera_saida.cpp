// GeraSaida: generates the remittance notes for analysis, all or nothing.
#include <chrono>
#include <cmath>
#include <set>
#include <thread>

#include "contracts/packets.h"
#include "contracts/server_api.h"
#include "db/connection.h"
#include "server/arguments.h"
#include "server/call_error.h"
#include "server/failure_log.h"
#include "server/gera_saida_plan.h"
#include "server/remessa_methods.h"
#include "vcl/text_format.h"

namespace server {

namespace gera {

namespace {

using Kind = PacketReader::Kind;

constexpr PacketReader::Field kNoteFields[] = {{"CDFILIAL", Kind::Text, 4}, {"NRLANCTONF", Kind::Text, 10}};
constexpr PacketReader::Field kItemFields[] = {{"CDFILIAL", Kind::Text, 4},
                                               {"NRLANCTONF", Kind::Text, 10},
                                               {"NRSEQITPROD", Kind::Text, 4},
                                               {"QTENVIADA", Kind::Number}};

// Rows of the client's datasets count when marked; a packet without the
// mark field sends all its rows.
bool Marked(const PacketReader& reader, std::size_t row) {
    return !reader.Has("IDMARCADO") || reader.Text(row, "IDMARCADO") == "S";
}

}  // namespace

// Rounds the decimal value the client meant, as the screen checks it: 4.0005
// (binary 4.000499...) is 4.001, so what the screen accepted is what ships.
std::int64_t ToThousandths(double quantity) {
    return std::llround(vcl::RoundDecimal(quantity, 3) * 1000.0);
}
double FromThousandths(std::int64_t quantity) {
    return static_cast<double>(quantity) / 1000.0;
}

std::vector<vcl::FieldDef> ErrorFields() {
    return contracts::ErrorsPacketFields();
}

std::vector<vcl::FieldDef> GeneratedFields() {
    return contracts::GeneratedNotesPacketFields();
}

Request ParseRequest(const vcl::VariantArray& args, std::string& requestError) {
    Arguments in(contracts::kGeraSaida, args);
    in.ExpectCount(8);
    const vcl::DataPacket notesPacket = in.Packet(0, "notes packet");
    const vcl::DataPacket itemsPacket = in.Packet(1, "items packet");
    Request request;
    request.destination = in.Text(2, "destination branch", 4);
    in.Text(3, "series", 5);
    in.Text(4, "company", 2);
    request.seriesRef = in.Raw(3).IsUnassigned() ? vcl::Variant::Null() : in.Raw(3);
    request.companyRef = in.Raw(4).IsUnassigned() ? vcl::Variant::Null() : in.Raw(4);
    request.departure = in.Date(5, "departure date");
    request.operation = in.Text(6, "operation type", 2);
    request.userBranch = in.Text(7, "branch of the user", 4);

    const PacketReader notes(notesPacket, "notes", kNoteFields);
    std::set<NoteKey> marked;
    for (std::size_t row = 0; row < notes.RowCount(); ++row) {
        if (!Marked(notes, row))
            continue;
        NoteKey key{notes.Text(row, "CDFILIAL"), notes.Text(row, "NRLANCTONF")};
        if (marked.insert(key).second)
            request.notes.push_back(std::move(key));
    }
    const PacketReader items(itemsPacket, "items", kItemFields);
    std::set<std::pair<NoteKey, std::string>> seen;
    std::set<NoteKey> withItems;
    for (std::size_t row = 0; row < items.RowCount(); ++row) {
        if (!Marked(items, row))
            continue;
        RequestedItem item{{items.Text(row, "CDFILIAL"), items.Text(row, "NRLANCTONF")},
                           items.Text(row, "NRSEQITPROD"),
                           items.Number(row, "QTENVIADA")};
        const std::string name =
            "item " + item.sequence + " da nota " + item.note.branch + "/" + item.note.launch;
        if (!marked.contains(item.note)) {
            requestError = "O " + name + " não pertence a nenhuma nota enviada";
            return request;
        }
        if (!seen.insert({item.note, item.sequence}).second) {
            requestError = "O " + name + " foi enviado mais de uma vez";
            return request;
        }
        withItems.insert(item.note);
        request.items.push_back(std::move(item));
    }
    // Notes without items to send produce no remittance.
    std::erase_if(request.notes, [&](const NoteKey& key) { return !withItems.contains(key); });
    if (request.items.empty())
        requestError = "Nenhum item a enviar";
    return request;
}

}  // namespace gera

namespace {

constexpr int kAttempts = 5;

vcl::wire::Answer Reply(const std::string& status, vcl::DataPacket generated, vcl::DataPacket errors,
                        const vcl::Variant& series, const vcl::Variant& company) {
    vcl::wire::Answer answer;
    answer.result = vcl::VariantArray{status, std::move(generated), std::move(errors)};
    answer.refs[4] = series;
    answer.refs[5] = company;
    return answer;
}

vcl::DataPacket Packet(std::vector<vcl::FieldDef> fields,
                       const std::vector<std::vector<vcl::Variant>>& rows) {
    vcl::PacketBuilder builder(std::move(fields));
    for (const auto& row : rows)
        builder.AppendRow(row);
    return builder.Finish();
}

}  // namespace

namespace gera {

bool AccountMayGenerate(soci::session& session, const std::string& user) {
    std::string active, generate;
    soci::indicator found = soci::i_null;
    session << "SELECT IDATIVO, IDGERA FROM USUARIO WHERE CDUSUARIO = :u", soci::use(user),
        soci::into(active, found), soci::into(generate);
    return session.got_data() && found == soci::i_ok && active == "S" && generate == "S";
}

}  // namespace gera

vcl::wire::Answer GeraSaida(soci::session& session, const vcl::VariantArray& args, const Caller& caller,
                            const CallGuard& guard) {
    std::string requestError;
    gera::Request request = gera::ParseRequest(args, requestError);
    request.user = caller.user;
    const auto empty = [](std::vector<vcl::FieldDef> fields) {
        return vcl::PacketBuilder(std::move(fields)).Finish();
    };
    const auto refuse = [&](const std::string& status) {
        return Reply(status, empty(gera::GeneratedFields()), empty(gera::ErrorFields()), request.seriesRef,
                     request.companyRef);
    };
    if (request.userBranch != caller.branch)
        return refuse(std::string(gera::kBranchMismatchText));
    if (!caller.mayGenerate)
        return refuse(std::string(gera::kNotAllowedText));
    if (!requestError.empty())
        return refuse(requestError);
    for (int attempt = 1;; ++attempt) {
        try {
            db::WriteTransaction transaction(session);
            // The account may have been disabled or lost its permission
            // since it logged in.
            if (caller.account && !gera::AccountMayGenerate(session, caller.user))
                return refuse(std::string(gera::kNotAllowedText));
            const gera::Plan plan = gera::CheckRequest(session, request);
            if (!plan.errors.empty()) {
                return Reply("N", empty(gera::GeneratedFields()), Packet(gera::ErrorFields(), plan.errors),
                             request.seriesRef, request.companyRef);
            }
            const auto generated = gera::WriteRemittances(session, request, plan);
            const gera::OriginSeries& used = plan.series.begin()->second;
            vcl::wire::Answer answer =
                Reply("OK", Packet(gera::GeneratedFields(), generated), empty(gera::ErrorFields()),
                      vcl::Variant(used.series), vcl::Variant(used.company));
            guard.BeforeCommit(session, answer);
            transaction.Commit();
            return answer;
        } catch (const DeadlineExceeded&) {
            return refuse(std::string(kBusyText));
        } catch (const gera::BadStoredNumber&) {
            return Reply("Numeração inválida no banco de dados; nada foi gravado",
                         empty(gera::GeneratedFields()), empty(gera::ErrorFields()), request.seriesRef,
                         request.companyRef);
        } catch (const soci::soci_error& e) {
            if (db::IsTransient(e) && attempt < kAttempts && !guard.Expired()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5 * attempt));
                continue;
            }
            if (db::IsBusy(e))
                return refuse(std::string(kBusyText));
            return refuse(DatabaseFailure(e.what()));
        }
    }
}

}  // namespace server
