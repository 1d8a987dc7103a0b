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
            const std::string itemSequence = Pad(++sequence, 4);
            session
                << "INSERT INTO ITEMSAIDA (CDFILIAL, NRLANCTONF, NRSEQITPROD, CDPRODUTO, QTITEMPROD, "
                   "VRUNITITEM,"
                   " VRTOTAITEM, CDFILIMOVI, CDALMOXARIFE, CDLOCALESTOQ, NRLOTEESTQ, NRSUBLOTE, NRSEQITENTR)"
                   " VALUES (:a, :b, :c, :d, :e, :f, :g, :h, :i, :j, :k, :l, :m)",
                soci::use(key.branch), soci::use(launch), soci::use(itemSequence), soci::use(item.product),
                soci::use(quantity), soci::use(item.unitPrice), soci::use(total), soci::use(item.movedAt),
                soci::use(item.warehouse), soci::use(item.location), soci::use(item.lot),
                soci::use(item.sublot), soci::use(shipment->request->sequence);
            session << "UPDATE ITEMENTRADA SET QTREMETIDA = ROUND(QTREMETIDA + :q, 3)"
                       " WHERE CDFILIAL = :b AND NRLANCTONF = :l AND NRSEQITPROD = :s",
                soci::use(quantity), soci::use(key.branch), soci::use(key.launch),
                soci::use(shipment->request->sequence);
            if (shipment->movesStock) {
                session
                    << "UPDATE ESTOQUE SET QTESTOQUE = ROUND(QTESTOQUE - :q, 3) WHERE CDFILIAL = :b"
                       " AND CDPRODUTO = :p AND CDALMOXARIFE = :a AND CDLOCALESTOQ = :c AND NRLOTEESTQ = :l"
                       " AND NRSUBLOTE = :s",
                    soci::use(quantity), soci::use(item.movedAt), soci::use(item.product),
                    soci::use(item.warehouse), soci::use(item.location), soci::use(item.lot),
                    soci::use(item.sublot);
            }
            const std::string audit = Pad(nextAudit++, 10);
            session << "INSERT INTO AUDITORIA (NRAUDITORIA, CDFILIAL, NRLANCTONF, NRSEQITPROD, CDFILISAID,"
                       " NRLANCTOSAID, QTANALISE, IDSITUACAO, DTABERTURA, CDUSUARIO)"
                       " VALUES (:a, :b, :c, :d, :e, :f, :g, 'A', :h, :u)",
                soci::use(audit), soci::use(key.branch), soci::use(key.launch),
                soci::use(shipment->request->sequence), soci::use(key.branch), soci::use(launch),
                soci::use(quantity), soci::use(today), soci::use(request.user);
        }
        value = RoundMoney(value);
        session << "INSERT INTO NOTASAIDA (CDFILIAL, NRLANCTONF, CDSERIE, CDEMPRESA, NRNOTAFISC, DTSAIDA, "
                   "CDFILIDEST,"
                   " CDTIPOOPER, CDFILIPROC, CDFILIENTR, NRLANCTOENT, VRNOTAFISC, DTGERACAO, CDUSUARIO)"
                   " VALUES (:a, :b, :c, :d, :e, :f, :g, :h, :i, :j, :k, :l, :m, :u)",
            soci::use(key.branch), soci::use(launch), soci::use(series.series), soci::use(series.company),
            soci::use(number), soci::use(departure), soci::use(request.destination),
            soci::use(request.operation), soci::use(request.userBranch), soci::use(key.branch),
            soci::use(key.launch), soci::use(value), soci::use(today), soci::use(request.user);
        generated.push_back({key.branch, launch, request.destination, note.registration,
                             vcl::TDateTime::FromDate(request.departure), series.series, value, number,
                             key.branch, key.launch});
    }
    for (const auto& [branch, last] : lastNumber) {
        const OriginSeries& series = plan.series.at(branch);
        session << "UPDATE SERIESAIDA SET NRULTNOTA = :n WHERE CDFILIAL = :b AND CDSERIE = :s",
            soci::use(last), soci::use(branch), soci::use(series.series);
    }
    return generated;
}

}  // namespace server::gera
