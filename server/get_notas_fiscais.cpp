// getNotasFiscais: the received notes of a branch that still have something
// to send, and their items with the quantity that remains.
#include <algorithm>
#include <functional>
#include <set>
#include <span>
#include <tuple>

#include "contracts/note_key.h"
#include "server/arguments.h"
#include "server/call_error.h"
#include "server/failure_log.h"
#include "server/notas_columns.h"
#include "server/notas_sql.h"
#include "server/remessa_methods.h"
#include "server/row_batch.h"
#include "server/row_hand_off.h"
#include "server/selected_rows.h"
#include "server/sql_query.h"
#include "vcl/data_packet.h"
#include "vcl/wire_stream.h"

namespace server {

namespace {

using vcl::Variant;

// A note of the client's packet, kept to be put in the order of the filter.
struct NoteRow {
    std::string entryDate, branch, launch;  // for ordering
    std::vector<std::string> texts;         // owns the texts `cells` refer to
    std::vector<vcl::Cell> cells;
};

constexpr std::size_t kBranch = 0, kLaunch = 1, kEntryDate = 4;  // in NoteColumns()

// Takes each selected row's cells: a packet's builder, or the answer's
// writer when the answer is streamed.
using RowSink = std::function<void(std::span<const vcl::Cell>)>;

RowSink Into(vcl::PacketBuilder& packet) {
    return [&packet](std::span<const vcl::Cell> cells) { packet.AppendCells(cells); };
}

// The notes matching `where` (a condition over NOTAENTRADA N), in the order
// of entry date, branch and launch number, handed to `out`; their launch
// numbers appended to `launches`.
void AppendNotes(soci::session& session, const SqlQuery& where, const RowSink& out,
                 std::vector<std::string>& launches) {
    SqlQuery query(NotesSql(where.Text(), true));
    for (const auto& value : where.Values())
        query.Add("", value);
    SelectedRows(session, NoteColumns(true)).Run(query, [&](std::span<const vcl::Cell> cells) {
        out(cells);
        launches.emplace_back(cells[kLaunch].text());
    });
}

// The notes of one key, whatever the filter says, with their cells copied.
void SelectKeyedNotes(soci::session& session, const SqlQuery& where, std::vector<NoteRow>& rows) {
    SqlQuery query(NotesSql(where.Text(), false));
    for (const auto& value : where.Values())
        query.Add("", value);
    RowBatch batch(NoteColumns(false), 4);
    FetchBatches(session, query, batch, [&] {
        for (std::size_t row = 0; row < batch.Size(); ++row) {
            NoteRow note{std::string(batch.Text(kEntryDate, row)),
                         std::string(batch.Text(kBranch, row)),
                         std::string(batch.Text(kLaunch, row)),
                         {},
                         {}};
            RowCells(batch, row, note.cells);
            note.texts.reserve(note.cells.size());
            for (vcl::Cell& cell : note.cells) {
                if (cell.kind() == vcl::Cell::Kind::Text)
                    cell = vcl::Cell::Text(note.texts.emplace_back(cell.text()));
            }
            rows.push_back(std::move(note));
        }
    });
}

// The items of the notes of `branch` numbered `launches`, ordered by note
// and sequence, a bounded number of notes per statement.
void AppendItems(soci::session& session, const std::string& branch, std::vector<std::string> launches,
                 const RowSink& out) {
    SelectedRows rows(session, ItemColumns());
    for (const SqlQuery& query : ItemsOfNotesQueries(branch, std::move(launches)))
        rows.Run(query, out);
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

// Runs `read`, whose rows are encoded by `encode` on a second thread while
// the next ones are read; returns once all are encoded.
void ReadWhileEncoding(const RowSink& encode, const std::function<void(const RowSink&)>& read) {
    RowHandOff handOff(encode);
    read([&handOff](std::span<const vcl::Cell> cells) { handOff.Add(cells); });
    handOff.Drain();
}

// The answer of a selection by filter written to `output` as the rows come:
// ["", [notes, items]] and the supplier by reference, the same text the
// packets would give. Past the first piece the call's deadline is checked
// at every piece.
void StreamSelection(soci::session& session, const SqlQuery& where, const std::string& branch, bool withItems,
                     const vcl::Variant& supplierRef, const CallGuard& guard, AnswerOutput& output) {
    vcl::wire::AnswerWriter writer(
        [&](std::string_view piece) {
            if (output.Started() && guard.Expired())
                throw DeadlineExceeded();
            output.Write(piece);
        },
        output.PieceBytes());
    const RowSink encode = [&writer](std::span<const vcl::Cell> cells) { writer.Row(cells); };
    writer.BeginArray();
    writer.Value(vcl::Variant(""));
    writer.BeginArray();
    writer.BeginPacket(NoteFields());
    std::vector<std::string> launches;
    ReadWhileEncoding(encode, [&](const RowSink& row) { AppendNotes(session, where, row, launches); });
    writer.EndPacket();
    writer.BeginPacket(ItemFields());
    if (withItems)
        ReadWhileEncoding(
            encode, [&](const RowSink& row) { AppendItems(session, branch, std::move(launches), row); });
    writer.EndPacket();
    writer.EndArray();
    writer.EndArray();
    writer.Finish({{3, supplierRef}});
    output.Complete();
}

using contracts::NoteKey;

}  // namespace

vcl::wire::Answer GetNotasFiscais(soci::session& session, const vcl::VariantArray& args,
                                  const CallGuard& guard, AnswerOutput* output) {
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

        vcl::PacketBuilder notes(NoteFields());
        vcl::PacketBuilder items(ItemFields());
        if (flag == "S" && !packetIsNull) {
            // The client's notes, whatever the filter says: looked up by key.
            std::sort(keys.begin(), keys.end());
            std::vector<NoteRow> rows;
            for (const auto& key : keys)
                SelectKeyedNotes(session, NoteKeyWhere(key.branch, key.launch), rows);
            // Items by branch, in key order as the keys were sorted.
            for (auto first = keys.begin(); first != keys.end();) {
                const auto end = std::find_if(
                    first, keys.end(), [&](const NoteKey& key) { return key.branch != first->branch; });
                std::vector<std::string> launches;
                for (auto key = first; key != end; ++key)
                    launches.push_back(key->launch);
                AppendItems(session, first->branch, std::move(launches), Into(items));
                first = end;
            }
            std::stable_sort(rows.begin(), rows.end(), [](const NoteRow& a, const NoteRow& b) {
                return std::tie(a.entryDate, a.branch, a.launch) < std::tie(b.entryDate, b.branch, b.launch);
            });
            for (const auto& row : rows)
                notes.AppendCells(row.cells);
        } else {
            const SqlQuery where = NotesFilterWhere(
                {branch, from.ToIso(), to.ToIso(), supplier, series, flag == "S" ? number : std::string()});
            if (output && output->CanStream()) {
                StreamSelection(session, where, branch, flag == "S", supplierRef, guard, *output);
                return {};
            }
            std::vector<std::string> launches;
            AppendNotes(session, where, Into(notes), launches);
            if (flag == "S")
                AppendItems(session, branch, std::move(launches), Into(items));
        }
        vcl::wire::Answer answer;
        answer.result = vcl::VariantArray{"", vcl::VariantArray{notes.Finish(), items.Finish()}};
        answer.refs[3] = supplierRef;
        return answer;
    } catch (const soci::soci_error& e) {
        // Once pieces have left, the status cannot change: the caller cuts the answer short.
        if (output && output->Started())
            throw;
        if (output)
            output->Discard();
        return Failure(DatabaseFailure(e.what()), supplierRef);
    }
}

}  // namespace server
