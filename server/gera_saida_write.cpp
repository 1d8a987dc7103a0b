// GeraSaida's writes, run after the checks found no error and inside the
// same transaction.
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <system_error>

#include "server/gera_saida_plan.h"

namespace server::gera {

namespace {

std::string Pad(long long value, int width) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0*lld", width, value);
    return buffer;
}

double RoundMoney(double value) {
    return std::round(value * 100.0) / 100.0;
}

std::string Today() {
    const auto days = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
    return vcl::TDate{static_cast<std::int32_t>(days.time_since_epoch().count())}.ToIso();
}

// Reserves `count` numbers of a counter and returns the first. A counter
// not created yet starts after `floor`.
long long Reserve(soci::session& session, const std::string& counter, long long count, long long floor) {
    soci::statement update = (session.prepare << "UPDATE NUMERACAO SET NRULTIMO = NRULTIMO + :n"
                                                 " WHERE CDNUMERACAO = :k",
                              soci::use(count), soci::use(counter));
    update.execute(true);
    if (update.get_affected_rows() == 0) {
        const long long last = floor + count;
        session << "INSERT INTO NUMERACAO (CDNUMERACAO, NRULTIMO) VALUES (:k, :n)", soci::use(counter),
            soci::use(last);
        return floor + 1;
    }
    long long last = 0;
    session << "SELECT NRULTIMO FROM NUMERACAO WHERE CDNUMERACAO = :k", soci::use(counter), soci::into(last);
    return last - count + 1;
}

// The highest number stored in a zero-padded text column (0 when none); a
// value that is not a number stops the numbering rather than restarting it.
long long HighestStored(soci::session& session, const std::string& sql, const std::string& key) {
    std::string highest;
    soci::indicator found = soci::i_null;
    if (key.empty())
        session << sql, soci::into(highest, found);
    else
        session << sql, soci::use(key), soci::into(highest, found);
    if (found != soci::i_ok)
        return 0;
    long long number = 0;
    const char* end = highest.data() + highest.size();
    const auto [stop, error] = std::from_chars(highest.data(), end, number);
    if (highest.empty() || error != std::errc{} || stop != end)
        throw BadStoredNumber("not a number: '" + highest + "' from " + sql);
    return number;
}

// The rows of each statement, one vector per bound column.
struct ExitItemRows {
    std::vector<std::string> branch, launch, sequence, product, movedAt, warehouse, location, lot, sublot,
        entrySequence;
    std::vector<double> quantity, unitPrice, total;
    void Add(const std::string& b, const std::string& l, std::string s, const StoredItem& item, double q,
             double t, const std::string& entry) {
        branch.push_back(b);
        launch.push_back(l);
        sequence.push_back(std::move(s));
        product.push_back(item.product);
        quantity.push_back(q);
        unitPrice.push_back(item.unitPrice);
        total.push_back(t);
        movedAt.push_back(item.movedAt);
        warehouse.push_back(item.warehouse);
        location.push_back(item.location);
        lot.push_back(item.lot);
        sublot.push_back(item.sublot);
        entrySequence.push_back(entry);
    }
};

struct EntryItemRows {
    std::vector<double> quantity;
    std::vector<std::string> branch, launch, sequence;
    void Add(double q, const std::string& b, const std::string& l, const std::string& s) {
        quantity.push_back(q);
        branch.push_back(b);
        launch.push_back(l);
        sequence.push_back(s);
    }
};

struct StockRows {
    std::vector<double> quantity;
    std::vector<std::string> branch, product, warehouse, location, lot, sublot;
    void Add(double q, const StoredItem& item) {
        quantity.push_back(q);
        branch.push_back(item.movedAt);
        product.push_back(item.product);
        warehouse.push_back(item.warehouse);
        location.push_back(item.location);
        lot.push_back(item.lot);
        sublot.push_back(item.sublot);
    }
};

struct AuditRows {
    std::vector<std::string> audit, branch, launch, sequence, exitLaunch;
    std::vector<double> quantity;
    void Add(std::string a, const NoteKey& key, const std::string& s, const std::string& exit, double q) {
        audit.push_back(std::move(a));
        branch.push_back(key.branch);
        launch.push_back(key.launch);
        sequence.push_back(s);
        exitLaunch.push_back(exit);
        quantity.push_back(q);
    }
};

struct ExitNoteRows {
    std::vector<std::string> branch, launch, series, company, number, entryLaunch;
    std::vector<double> value;
    void Add(const NoteKey& key, const std::string& l, const OriginSeries& s, const std::string& n,
             double v) {
        branch.push_back(key.branch);
        launch.push_back(l);
        series.push_back(s.series);
        company.push_back(s.company);
        number.push_back(n);
        entryLaunch.push_back(key.launch);
        value.push_back(v);
    }
};

struct WriteBatches {
    ExitItemRows exitItems;
    EntryItemRows entryItems;
    StockRows stock;
    AuditRows audits;
    ExitNoteRows notes;

    // The same writes, row for row, as one statement at a time would make.
    void Write(soci::session& session, const Request& request, const std::string& departure,
               const std::string& today) {
        if (exitItems.branch.empty())
            return;
        const ExitItemRows& i = exitItems;
        session << "INSERT INTO ITEMSAIDA (CDFILIAL, NRLANCTONF, NRSEQITPROD, CDPRODUTO, QTITEMPROD, "
                   "VRUNITITEM, VRTOTAITEM, CDFILIMOVI, CDALMOXARIFE, CDLOCALESTOQ, NRLOTEESTQ, NRSUBLOTE,"
                   " NRSEQITENTR) VALUES (:a, :b, :c, :d, :e, :f, :g, :h, :i, :j, :k, :l, :m)",
            soci::use(i.branch), soci::use(i.launch), soci::use(i.sequence), soci::use(i.product),
            soci::use(i.quantity), soci::use(i.unitPrice), soci::use(i.total), soci::use(i.movedAt),
            soci::use(i.warehouse), soci::use(i.location), soci::use(i.lot), soci::use(i.sublot),
            soci::use(i.entrySequence);
        const EntryItemRows& e = entryItems;
        session << "UPDATE ITEMENTRADA SET QTREMETIDA = ROUND(QTREMETIDA + :q, 3)"
                   " WHERE CDFILIAL = :b AND NRLANCTONF = :l AND NRSEQITPROD = :s",
            soci::use(e.quantity), soci::use(e.branch), soci::use(e.launch), soci::use(e.sequence);
        if (!stock.quantity.empty()) {
            const StockRows& s = stock;
            session << "UPDATE ESTOQUE SET QTESTOQUE = ROUND(QTESTOQUE - :q, 3) WHERE CDFILIAL = :b"
                       " AND CDPRODUTO = :p AND CDALMOXARIFE = :a AND CDLOCALESTOQ = :c AND NRLOTEESTQ = :l"
                       " AND NRSUBLOTE = :s",
                soci::use(s.quantity), soci::use(s.branch), soci::use(s.product), soci::use(s.warehouse),
                soci::use(s.location), soci::use(s.lot), soci::use(s.sublot);
        }
        const AuditRows& a = audits;
        std::vector<std::string> days(a.audit.size(), today), users(a.audit.size(), request.user);
        session << "INSERT INTO AUDITORIA (NRAUDITORIA, CDFILIAL, NRLANCTONF, NRSEQITPROD, CDFILISAID,"
                   " NRLANCTOSAID, QTANALISE, IDSITUACAO, DTABERTURA, CDUSUARIO)"
                   " VALUES (:a, :b, :c, :d, :e, :f, :g, 'A', :h, :u)",
            soci::use(a.audit), soci::use(a.branch), soci::use(a.launch), soci::use(a.sequence),
            soci::use(a.branch), soci::use(a.exitLaunch), soci::use(a.quantity), soci::use(days),
            soci::use(users);
        const ExitNoteRows& n = notes;
        const std::size_t count = n.branch.size();
        std::vector<std::string> departures(count, departure), destinations(count, request.destination),
            operations(count, request.operation), userBranches(count, request.userBranch),
            generatedOn(count, today), noteUsers(count, request.user);
        session << "INSERT INTO NOTASAIDA (CDFILIAL, NRLANCTONF, CDSERIE, CDEMPRESA, NRNOTAFISC, DTSAIDA, "
                   "CDFILIDEST, CDTIPOOPER, CDFILIPROC, CDFILIENTR, NRLANCTOENT, VRNOTAFISC, DTGERACAO,"
                   " CDUSUARIO) VALUES (:a, :b, :c, :d, :e, :f, :g, :h, :i, :j, :k, :l, :m, :u)",
            soci::use(n.branch), soci::use(n.launch), soci::use(n.series), soci::use(n.company),
            soci::use(n.number), soci::use(departures), soci::use(destinations), soci::use(operations),
            soci::use(userBranches), soci::use(n.branch), soci::use(n.entryLaunch), soci::use(n.value),
            soci::use(generatedOn), soci::use(noteUsers);
    }
};

}  // namespace

std::vector<std::vector<vcl::Variant>> WriteRemittances(soci::session& session, const Request& request,
                                                        const Plan& plan) {
    const std::string today = Today();
    const std::string departure = request.departure.ToIso();

    // Shipments grouped by note, in the client's order of the notes.
    std::map<NoteKey, std::vector<const Shipment*>> byNote;
    for (const auto& shipment : plan.shipments)
        byNote[shipment.request->note].push_back(&shipment);

    // Numbers: counters are taken in name order ("AUDITORIA" before
    // "NOTASAIDA.*") so that concurrent requests lock them alike.
    long long nextAudit = Reserve(session, "AUDITORIA", static_cast<long long>(plan.shipments.size()),
                                  HighestStored(session, "SELECT MAX(NRAUDITORIA) FROM AUDITORIA", {}));
    std::map<std::string, long long> notesPerBranch;
    for (const auto& key : request.notes)
        if (byNote.contains(key))
            ++notesPerBranch[key.branch];
    std::map<std::string, long long> nextLaunch;
    for (const auto& [branch, count] : notesPerBranch) {
        nextLaunch[branch] = Reserve(
            session, "NOTASAIDA." + branch, count,
            HighestStored(session, "SELECT MAX(NRLANCTONF) FROM NOTASAIDA WHERE CDFILIAL = :b", branch));
    }
    std::map<std::string, long long> lastNumber;
    for (const auto& [branch, series] : plan.series)
        lastNumber[branch] = series.lastNumber;

    // Every row is gathered first and each statement runs once over vectors
    // of values, in the order the rows were made.
    WriteBatches rows;
    std::vector<std::vector<vcl::Variant>> generated;
    for (const auto& key : request.notes) {
        const auto shipments = byNote.find(key);
        if (shipments == byNote.end())
            continue;
        const StoredNote& note = plan.notes.at(key);
        const OriginSeries& series = plan.series.at(key.branch);
        const std::string launch = Pad(nextLaunch[key.branch]++, 10);
        const std::string number = std::to_string(++lastNumber[key.branch]);
        double value = 0;
        int sequence = 0;
        for (const Shipment* shipment : shipments->second) {
            const StoredItem& item = *shipment->stored;
            const double quantity = FromThousandths(shipment->quantity);
            const double total = RoundMoney(quantity * item.unitPrice);
            value += total;
            rows.exitItems.Add(key.branch, launch, Pad(++sequence, 4), item, quantity, total,
                               shipment->request->sequence);
            rows.entryItems.Add(quantity, key.branch, key.launch, shipment->request->sequence);
            if (shipment->movesStock)
                rows.stock.Add(quantity, item);
            rows.audits.Add(Pad(nextAudit++, 10), key, shipment->request->sequence, launch, quantity);
        }
        value = RoundMoney(value);
        rows.notes.Add(key, launch, series, number, value);
        generated.push_back({key.branch, launch, request.destination, note.registration,
                             vcl::TDateTime::FromDate(request.departure), series.series, value, number,
                             key.branch, key.launch});
    }
    rows.Write(session, request, departure, today);
    for (const auto& [branch, last] : lastNumber) {
        const OriginSeries& series = plan.series.at(branch);
        session << "UPDATE SERIESAIDA SET NRULTNOTA = :n WHERE CDFILIAL = :b AND CDSERIE = :s",
            soci::use(last), soci::use(branch), soci::use(series.series);
    }
    return generated;
}

}  // namespace server::gera
