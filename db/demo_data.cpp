#include "db/demo_data.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "db/brazil_ids.h"
#include "db/connection.h"
#include "db/demo_catalog.h"

namespace db {

namespace {

// SplitMix64: small, fast and the same on every platform (the standard
// distributions are not).
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    int Below(int bound) { return static_cast<int>(Next() % static_cast<std::uint64_t>(bound)); }
    bool Chance(int percent) { return Below(100) < percent; }

private:
    std::uint64_t state_;
};

std::string Pad(long long value, int width) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0*lld", width, value);
    return buffer;
}

std::string Digits(Random& random, int count) {
    std::string out;
    for (int i = 0; i < count; ++i)
        out += static_cast<char>('0' + random.Below(10));
    return out;
}

// Days since 1970-01-01 of a civil date, and back (Howard Hinnant's algorithms).
int DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

std::string IsoDate(int days) {
    days += 719468;
    const int era = (days >= 0 ? days : days - 146096) / 146097;
    const int doe = days - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int d = doy - (153 * mp + 2) / 5 + 1;
    const int m = mp + (mp < 10 ? 3 : -9);
    const int y = yoe + era * 400 + (m <= 2);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", y, m, d);
    return buffer;
}

double Round(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

// Runs one statement with its values bound in order.
template <class... Values>
void Execute(soci::session& session, const std::string& sql, const Values&... values) {
    soci::statement statement = ((session.prepare << sql), ..., soci::use(values));
    statement.execute(true);
}

struct ProductRow {
    std::string code;
    const demo::Product* info;
};

struct ItemRow {
    std::string branch, launch, sequence, product, warehouse, location, lot, sublot;
    double quantity, unitPrice, total, sent = 0;
    int expiry = 0;  // days; 0 when the item has no lot
};

using StockKey = std::tuple<std::string, std::string, std::string, std::string, std::string, std::string>;

// Writes the demo rows through prepared statements inside one transaction.
class DemoWriter {
public:
    DemoWriter(soci::session& session, const DemoOptions& options)
        : session_(session), options_(options), random_(options.seed) {}

    void Run() {
        WriteCatalog();
        WriteNotes();
        WriteHistory();
        WriteStock();
        WriteCounters();
    }

private:
    void WriteCatalog() {
        for (const auto& b : demo::Branches()) {
            Execute(session_,
                    "INSERT INTO FILIAL (CDFILIAL, NMFILIAL, CDEMPRESA, IDCTRLESTQ) VALUES (:a, :b, :c, :d)",
                    std::string(b.code), std::string(b.name), std::string(b.company),
                    std::string(b.controlsStock));
        }
        for (const auto& s : demo::OutSeriesList()) {
            Execute(session_,
                    "INSERT INTO SERIESAIDA (CDFILIAL, CDSERIE, CDEMPRESA, IDPADRAO, NRULTNOTA)"
                    " VALUES (:a, :b, :c, :d, :e)",
                    std::string(s.branch), std::string(s.series), std::string(s.company),
                    std::string(s.isDefault), static_cast<long long>(s.lastNumber));
            if (std::string(s.isDefault) == "S")
                lastNote_[s.branch] = s.lastNumber;
        }
        for (const auto& s : demo::EntrySeries()) {
            Execute(session_, "INSERT INTO SERIEENTR (CDSERIEENTR, DSSERIEENTR) VALUES (:a, :b)",
                    std::string(s.code), std::string(s.name));
        }
        for (const auto& t : demo::OperationTypes()) {
            Execute(session_,
                    "INSERT INTO TIPOOPERAC (CDTIPOOPER, NMTIPOOPER, IDENTRSAIDOP, IDORIGDESTOP)"
                    " VALUES (:a, :b, :c, :d)",
                    std::string(t.code), std::string(t.name), std::string(t.entryOrExit),
                    std::string(t.originKind));
        }
        WriteSuppliers();
        int n = 0;
        for (const auto& p : demo::Products()) {
            ++n;
            ProductRow row{Pad(1000 + n, 6), &p};
            // Product tree code: group, subgroup and item, 7 digits (mask 99.99.999).
            const std::string tree = Pad(1 + (n - 1) / 10, 2) + Pad(1 + (n - 1) % 10 / 5, 2) + Pad(n, 3);
            Execute(session_,
                    "INSERT INTO PRODUTO (CDPRODUTO, CDARVPROD, NMPRODUTO, SGUNIDADE, CDPRODESTO)"
                    " VALUES (:a, :b, :c, :d, :e)",
                    row.code, tree, std::string(p.name), std::string(p.unit), row.code);
            products_.push_back(row);
        }
    }

    void WriteSuppliers() {
        // Companies and persons alternate so that both kinds spread over the notes.
        const auto& companies = demo::CompanyNames();
        const auto& persons = demo::PersonNames();
        std::vector<std::pair<std::string, bool>> names;
        for (std::size_t i = 0; i < std::max(companies.size(), persons.size()); ++i) {
            if (i < companies.size())
                names.emplace_back(companies[i], false);
            if (i < persons.size())
                names.emplace_back(persons[i], true);
        }
        for (const auto& [name, person] : names) {
            std::string number =
                person ? CompleteCpf(Digits(random_, 9)) : CompleteCnpj(Digits(random_, 8) + "0001");
            if (number.front() == '0')
                number.erase(0, 1);  // as imported registers often hold it: without the leading zero
            const std::string code = Pad(static_cast<long long>(suppliers_.size() + 1), 6);
            Execute(session_,
                    "INSERT INTO FORNECEDOR (CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN)"
                    " VALUES (:a, :b, :c, :d)",
                    code, std::string(person ? "F" : "J"), number, name);
            suppliers_.push_back(code);
        }
    }

    const demo::Branch& PickBranch() {
        int roll = random_.Below(100);
        for (const auto& b : demo::Branches()) {
            if (roll < b.weight)
                return b;
            roll -= b.weight;
        }
        return demo::Branches().front();
    }

    void WriteNotes() {
        std::string branch, launch, supplier, number, series, date, receiver;
        double value = 0;
        soci::statement note =
            (session_.prepare << "INSERT INTO NOTAENTRADA (CDFILIAL, NRLANCTONF, CDFORNECED,"
                                 " NRNOTAFISC, CDSERIEENTR, DTENTRSAID, VRNOTAFISC, CDFILIRECE)"
                                 " VALUES (:a, :b, :c, :d, :e, :f, :g, :h)",
             soci::use(branch), soci::use(launch), soci::use(supplier), soci::use(number), soci::use(series),
             soci::use(date), soci::use(value), soci::use(receiver));
        const int firstDay = DaysFromCivil(2026, 1, 1);
        const int numberRange = std::max(20, options_.notes / 4);  // makes numbers repeat across notes
        std::map<std::string, long long> launches;
        for (int i = 0; i < options_.notes; ++i) {
            const auto& b = PickBranch();
            branch = b.code;
            launch = Pad(++launches[branch], 10);
            supplier =
                suppliers_[static_cast<std::size_t>(random_.Below(static_cast<int>(suppliers_.size())))];
            number = std::to_string(1 + random_.Below(numberRange));
            const auto& entrySeries = demo::EntrySeries();
            series =
                entrySeries[static_cast<std::size_t>(random_.Below(static_cast<int>(entrySeries.size())))]
                    .code;
            date = IsoDate(firstDay + random_.Below(365));
            receiver = branch;
            const int count = 1 + random_.Below(6);
            value = 0;
            for (int s = 1; s <= count; ++s) {
                items_.push_back(MakeItem(branch, launch, s, firstDay));
                value += items_.back().total;
            }
            value = Round(value, 2);
            note.execute(true);
        }
        WriteItems();
    }

    ItemRow MakeItem(const std::string& branch, const std::string& launch, int sequence, int firstDay) {
        const auto& product =
            products_[static_cast<std::size_t>(random_.Below(static_cast<int>(products_.size())))];
        ItemRow item;
        item.branch = branch;
        item.launch = launch;
        item.sequence = Pad(sequence, 4);
        item.product = product.code;
        item.quantity = product.info->fractional ? Round((1 + random_.Below(40000)) / 1000.0, 3)
                                                 : static_cast<double>(1 + random_.Below(24));
        item.unitPrice = Round((50 + random_.Below(50000)) / 100.0, 2);
        item.total = Round(item.quantity * item.unitPrice, 2);
        item.warehouse = Pad(1 + random_.Below(2), 6);
        item.location = "L" + Pad(1 + random_.Below(4), 2);
        if (product.info->lotControlled) {
            item.lot = "L26" + Pad(random_.Below(400), 5);
            item.sublot = "0001";
            item.expiry = firstDay + 180 + random_.Below(540);
        }
        return item;
    }

    void WriteItems() {
        ItemRow row;
        std::string expiry;
        soci::indicator expiryNull = soci::i_ok;
        soci::statement insert =
            (session_.prepare
                 << "INSERT INTO ITEMENTRADA (CDFILIAL, NRLANCTONF, NRSEQITPROD, CDPRODUTO, QTITEMPROD,"
                    " VRUNITITEM, VRTOTAITEM, CDFILIMOVI, CDALMOXARIFE, CDLOCALESTOQ, NRLOTEESTQ,"
                    " NRSUBLOTE, DTVALILOTE, QTREMETIDA)"
                    " VALUES (:a, :b, :c, :d, :e, :f, :g, :h, :i, :j, :k, :l, :m, 0)",
             soci::use(row.branch), soci::use(row.launch), soci::use(row.sequence), soci::use(row.product),
             soci::use(row.quantity), soci::use(row.unitPrice), soci::use(row.total), soci::use(row.branch),
             soci::use(row.warehouse), soci::use(row.location), soci::use(row.lot), soci::use(row.sublot),
             soci::use(expiry, expiryNull));
        for (const auto& item : items_) {
            row = item;
            expiry = item.expiry ? IsoDate(item.expiry) : std::string();
            expiryNull = item.expiry ? soci::i_ok : soci::i_null;
            insert.execute(true);
        }
    }

    // Earlier remittances: some items of about one note in twenty were
    // already shipped; most of their analyses are still open.
    void WriteHistory() {
        std::map<std::string, std::string> defaultSeries;
        for (const auto& s : demo::OutSeriesList())
            if (std::string(s.isDefault) == "S")
                defaultSeries[s.branch] = s.series;
        std::size_t i = 0;
        while (i < items_.size()) {
            std::size_t end = i;
            while (end < items_.size() && items_[end].branch == items_[i].branch &&
                   items_[end].launch == items_[i].launch)
                ++end;
            const auto series = defaultSeries.find(items_[i].branch);
            if (series != defaultSeries.end() && random_.Chance(5))
                ShipEarlier(i, end, series->second);
            i = end;
        }
    }

    void ShipEarlier(std::size_t begin, std::size_t end, const std::string& series) {
        ItemRow& first = items_[begin];
        const std::string branch = first.branch;
        const std::string destination = branch == "0001" ? "0002" : "0001";
        const std::string launch = Pad(++lastLaunch_[branch], 10);
        const std::string number = std::to_string(++lastNote_[branch]);
        const std::string date = "2026-01-15";
        double value = 0;
        int sequence = 0;
        for (std::size_t k = begin; k < end; ++k) {
            ItemRow& item = items_[k];
            if (k != begin && !random_.Chance(50))
                continue;
            item.sent = random_.Chance(60) ? item.quantity : Round(item.quantity / 2, 3);
            const double total = Round(item.sent * item.unitPrice, 2);
            value += total;
            const std::string seq = Pad(++sequence, 4);
            Execute(
                session_,
                "INSERT INTO ITEMSAIDA (CDFILIAL, NRLANCTONF, NRSEQITPROD, CDPRODUTO, QTITEMPROD, VRUNITITEM,"
                " VRTOTAITEM, CDFILIMOVI, CDALMOXARIFE, CDLOCALESTOQ, NRLOTEESTQ, NRSUBLOTE, NRSEQITENTR)"
                " VALUES (:a, :b, :c, :d, :e, :f, :g, :h, :i, :j, :k, :l, :m)",
                branch, launch, seq, item.product, item.sent, item.unitPrice, total, item.branch,
                item.warehouse, item.location, item.lot, item.sublot, item.sequence);
            const std::string audit = Pad(++lastAudit_, 10);
            const std::string state = random_.Chance(70) ? "A" : "F";
            Execute(session_,
                    "INSERT INTO AUDITORIA (NRAUDITORIA, CDFILIAL, NRLANCTONF, NRSEQITPROD, CDFILISAID,"
                    " NRLANCTOSAID, QTANALISE, IDSITUACAO, DTABERTURA) VALUES (:a, :b, :c, :d, :e, :f, :g, "
                    ":h, :i)",
                    audit, item.branch, item.launch, item.sequence, branch, launch, item.sent, state, date);
            Execute(session_,
                    "UPDATE ITEMENTRADA SET QTREMETIDA = :q WHERE CDFILIAL = :b AND NRLANCTONF = :l"
                    " AND NRSEQITPROD = :s",
                    item.sent, item.branch, item.launch, item.sequence);
        }
        value = Round(value, 2);
        Execute(session_,
                "INSERT INTO NOTASAIDA (CDFILIAL, NRLANCTONF, CDSERIE, CDEMPRESA, NRNOTAFISC, DTSAIDA, "
                "CDFILIDEST,"
                " CDTIPOOPER, CDFILIPROC, CDFILIENTR, NRLANCTOENT, VRNOTAFISC, DTGERACAO)"
                " VALUES (:a, :b, :c, '01', :d, :e, :f, '01', :g, :h, :i, :j, :k)",
                branch, launch, series, number, date, destination, branch, first.branch, first.launch, value,
                date);
    }

    // Stock covers what is left of most stock keys; about one key in eight
    // holds only part of it, so that some remittances find the stock short.
    void WriteStock() {
        std::map<StockKey, double> needed;
        for (const auto& item : items_) {
            needed[{item.branch, item.product, item.warehouse, item.location, item.lot, item.sublot}] +=
                item.quantity - item.sent;
        }
        StockKey key;
        double quantity = 0;
        soci::statement insert =
            (session_.prepare
                 << "INSERT INTO ESTOQUE (CDFILIAL, CDPRODUTO, CDALMOXARIFE, CDLOCALESTOQ, NRLOTEESTQ,"
                    " NRSUBLOTE, QTESTOQUE) VALUES (:a, :b, :c, :d, :e, :f, :g)",
             soci::use(std::get<0>(key)), soci::use(std::get<1>(key)), soci::use(std::get<2>(key)),
             soci::use(std::get<3>(key)), soci::use(std::get<4>(key)), soci::use(std::get<5>(key)),
             soci::use(quantity));
        for (const auto& [k, need] : needed) {
            key = k;
            quantity = random_.Chance(12) ? Round(need / 3, 3) : Round(need + random_.Below(10), 3);
            insert.execute(true);
        }
    }

    void WriteCounters() {
        Execute(session_, "INSERT INTO NUMERACAO (CDNUMERACAO, NRULTIMO) VALUES ('AUDITORIA', :n)",
                lastAudit_);
        for (const auto& b : demo::Branches()) {
            const std::string name = std::string("NOTASAIDA.") + b.code;
            const long long last = lastLaunch_[b.code];
            Execute(session_, "INSERT INTO NUMERACAO (CDNUMERACAO, NRULTIMO) VALUES (:k, :n)", name, last);
        }
        for (const auto& [branch, last] : lastNote_) {
            Execute(session_, "UPDATE SERIESAIDA SET NRULTNOTA = :n WHERE CDFILIAL = :b AND IDPADRAO = 'S'",
                    last, branch);
        }
    }

    soci::session& session_;
    DemoOptions options_;
    Random random_;
    std::vector<std::string> suppliers_;
    std::vector<ProductRow> products_;
    std::vector<ItemRow> items_;
    std::map<std::string, long long> lastLaunch_;
    std::map<std::string, long long> lastNote_;
    long long lastAudit_ = 0;
};

}  // namespace

void InsertDemoData(soci::session& session, const DemoOptions& options) {
    try {
        long long branches = 0;
        session << "SELECT COUNT(*) FROM FILIAL", soci::into(branches);
        if (branches > 0)
            throw DbError("the database already holds data; demo data go only into an empty database");
        soci::transaction tx(session);
        DemoWriter(session, options).Run();
        tx.commit();
    } catch (const soci::soci_error& e) {
        throw DbError(std::string("cannot write the demo data: ") + e.what());
    }
}

}  // namespace db
