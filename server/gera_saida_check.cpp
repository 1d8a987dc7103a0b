// GeraSaida's checks: reads (and on PostgreSQL locks) every row the request
// touches, in one fixed order so that concurrent requests cannot deadlock,
// and collects every error.
#include <algorithm>
#include <map>
#include <set>
#include <tuple>

#include "db/connection.h"
#include "server/gera_saida_plan.h"

namespace server::gera {

namespace {

using vcl::Variant;

// Error texts the client shows as they are.
constexpr const char* kBranchUnknown = "Filial não cadastrada";
constexpr const char* kSameBranch = "Filial para geração de remessa deve ser diferente da filial de origem";
constexpr const char* kNoStockControl = "Filial da remessa não parametrizada para controle de estoque";
constexpr const char* kOperationNotFromBranch = "Tipo de operação dever ter filial como origem.";
constexpr const char* kNoDefaultSeries = "Filial não possui série padrão cadastrada";
constexpr const char* kUnderAnalysis = "Existem itens em análise";
constexpr const char* kAboveAvailable = "Quantidade enviada maior que a quantidade disponível";
constexpr const char* kStockShort = "Operação não realizada. Verifique o estoque dos produtos";
constexpr const char* kNoteNotFound = "Nota fiscal não encontrada";
constexpr const char* kItemNotFound = "Item não encontrado na nota fiscal";
constexpr const char* kQuantityNotPositive = "Quantidade enviada deve ser maior que zero";

using StockKey = std::tuple<std::string, std::string, std::string, std::string, std::string, std::string>;

class Checker {
public:
    Checker(soci::session& session, const Request& request)
        : session_(session),
          request_(request),
          lock_(db::BackendOf(session) == db::Backend::Postgres ? " FOR UPDATE" : "") {}

    Plan Run() {
        CheckDestination();
        CheckOperation();
        LockSeries();
        for (const auto& key : SortedNotes())
            ReadNote(key);
        CheckItems();
        CheckStock();
        return std::move(plan_);
    }

private:
    std::vector<NoteKey> SortedNotes() const {
        std::vector<NoteKey> keys = request_.notes;
        std::sort(keys.begin(), keys.end());
        return keys;
    }

    // A row of the errors packet; the note's and the item's fields as far
    // as they are known.
    void AddError(const char* text, const NoteKey* key = nullptr, const std::string* sequence = nullptr,
                  const StoredItem* item = nullptr, const std::string& audit = {}) {
        const StoredNote* note = nullptr;
        if (key) {
            const auto found = plan_.notes.find(*key);
            note = found == plan_.notes.end() ? nullptr : &found->second;
        }
        Variant entryDate = Variant::Null();
        if (note) {
            if (const auto date = vcl::TDate::ParseIso(note->entryDate.substr(0, 10)))
                entryDate = *date;
        }
        plan_.errors.push_back(
            {key ? key->branch : std::string(), key ? key->launch : std::string(), text,
             note ? note->registration : std::string(), note ? note->number : std::string(),
             note ? note->series : std::string(), note ? Variant(note->value) : Variant::Null(),
             sequence ? *sequence : std::string(), item ? item->product : std::string(),
             item ? item->tree : std::string(), item ? item->name : std::string(), entryDate, audit});
    }

    bool BranchControlsStock(const std::string& branch) {
        const auto cached = controlsStock_.find(branch);
        if (cached != controlsStock_.end())
            return cached->second;
        std::string flag;
        soci::indicator found = soci::i_null;
        session_ << "SELECT IDCTRLESTQ FROM FILIAL WHERE CDFILIAL = :f", soci::use(branch),
            soci::into(flag, found);
        const bool controls = session_.got_data() && found == soci::i_ok && flag == "S";
        controlsStock_[branch] = controls;
        return controls;
    }

    void CheckDestination() {
        long long known = 0;
        session_ << "SELECT COUNT(*) FROM FILIAL WHERE CDFILIAL = :f", soci::use(request_.destination),
            soci::into(known);
        if (known == 0) {
            AddError(kBranchUnknown);
            return;
        }
        std::set<std::string> origins;
        for (const auto& note : request_.notes)
            origins.insert(note.branch);
        for (const auto& origin : origins) {
            if (origin == request_.destination) {
                const NoteKey key{origin, std::string()};
                AddError(kSameBranch, &key);
            }
        }
        if (!BranchControlsStock(request_.destination))
            AddError(kNoStockControl);
    }

    void CheckOperation() {
        long long exits = 0;
        session_ << "SELECT COUNT(*) FROM TIPOOPERAC WHERE CDTIPOOPER = :t AND IDENTRSAIDOP = 'S'"
                    " AND IDORIGDESTOP = 'L'",
            soci::use(request_.operation), soci::into(exits);
        if (exits == 0)
            AddError(kOperationNotFromBranch);
    }

    // The default series row of each origin branch, locked: it serialises
    // the numbering of that branch's remittances.
    void LockSeries() {
        std::set<std::string> origins;
        for (const auto& note : request_.notes)
            origins.insert(note.branch);
        for (const auto& origin : origins) {
            OriginSeries series;
            long long last = 0;
            session_ << "SELECT CDSERIE, CDEMPRESA, NRULTNOTA FROM SERIESAIDA WHERE CDFILIAL = :f"
                        " AND IDPADRAO = 'S' ORDER BY CDSERIE LIMIT 1" +
                            lock_,
                soci::use(origin), soci::into(series.series), soci::into(series.company), soci::into(last);
            if (!session_.got_data()) {
                const NoteKey key{origin, std::string()};
                AddError(kNoDefaultSeries, &key);
                continue;
            }
            series.lastNumber = last;
            plan_.series[origin] = series;
        }
    }

    void ReadNote(const NoteKey& key) {
        StoredNote note;
        soci::indicator registrationOk = soci::i_null;
        session_ << "SELECT F.NRINSJURFORN, N.NRNOTAFISC, N.CDSERIEENTR, CAST(N.DTENTRSAID AS VARCHAR(10)),"
                    " N.VRNOTAFISC FROM NOTAENTRADA N LEFT JOIN FORNECEDOR F ON F.CDFORNECED = N.CDFORNECED"
                    " WHERE N.CDFILIAL = :b AND N.NRLANCTONF = :l",
            soci::use(key.branch), soci::use(key.launch), soci::into(note.registration, registrationOk),
            soci::into(note.number), soci::into(note.series), soci::into(note.entryDate),
            soci::into(note.value);
        if (!session_.got_data()) {
            AddError(kNoteNotFound, &key);
            return;
        }
        if (registrationOk != soci::i_ok)
            note.registration.clear();
        ReadItems(key, note);
        plan_.notes.emplace(key, std::move(note));
    }

    void ReadItems(const NoteKey& key, StoredNote& note) {
        StoredItem item;
        std::string sequence;
        double quantity = 0, sent = 0;
        soci::indicator treeOk = soci::i_ok, nameOk = soci::i_ok;
        // PostgreSQL refuses FOR UPDATE beside an outer join's nullable
        // side, so only the item rows are locked ("OF I").
        soci::statement select =
            (session_.prepare << "SELECT I.NRSEQITPROD, I.CDPRODUTO, P.CDARVPROD, P.NMPRODUTO, I.QTITEMPROD,"
                                 " I.QTREMETIDA, I.VRUNITITEM, I.CDFILIMOVI, I.CDALMOXARIFE, I.CDLOCALESTOQ,"
                                 " I.NRLOTEESTQ, I.NRSUBLOTE FROM ITEMENTRADA I"
                                 " LEFT JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO"
                                 " WHERE I.CDFILIAL = :b AND I.NRLANCTONF = :l ORDER BY I.NRSEQITPROD" +
                                     (lock_.empty() ? std::string() : lock_ + " OF I"),
             soci::use(key.branch), soci::use(key.launch), soci::into(sequence), soci::into(item.product),
             soci::into(item.tree, treeOk), soci::into(item.name, nameOk), soci::into(quantity),
             soci::into(sent), soci::into(item.unitPrice), soci::into(item.movedAt),
             soci::into(item.warehouse), soci::into(item.location), soci::into(item.lot),
             soci::into(item.sublot));
        select.execute();
        while (select.fetch()) {
            StoredItem row = item;
            if (treeOk != soci::i_ok)
                row.tree.clear();
            if (nameOk != soci::i_ok)
                row.name.clear();
            row.quantity = ToThousandths(quantity);
            row.sent = ToThousandths(sent);
            note.items[sequence] = std::move(row);
        }
        std::string audit;
        soci::statement audits =
            (session_.prepare << "SELECT NRSEQITPROD, NRAUDITORIA FROM AUDITORIA WHERE CDFILIAL = :b"
                                 " AND NRLANCTONF = :l AND IDSITUACAO = 'A' ORDER BY NRAUDITORIA",
             soci::use(key.branch), soci::use(key.launch), soci::into(sequence), soci::into(audit));
        audits.execute();
        while (audits.fetch()) {
            const auto found = note.items.find(sequence);
            if (found != note.items.end() && found->second.openAudit.empty())
                found->second.openAudit = audit;
        }
    }

    // Per item one error at most, the first that applies: not found, under
    // analysis, quantity not allowed. Items that pass are planned to ship.
    void CheckItems() {
        for (const auto& requested : request_.items) {
            const auto note = plan_.notes.find(requested.note);
            if (note == plan_.notes.end())
                continue;  // the note's own error row says it
            const auto found = note->second.items.find(requested.sequence);
            if (found == note->second.items.end()) {
                AddError(kItemNotFound, &requested.note, &requested.sequence);
                continue;
            }
            const StoredItem& item = found->second;
            const std::int64_t quantity = ToThousandths(requested.quantity);
            if (!item.openAudit.empty()) {
                AddError(kUnderAnalysis, &requested.note, &requested.sequence, &item, item.openAudit);
            } else if (quantity <= 0) {
                AddError(kQuantityNotPositive, &requested.note, &requested.sequence, &item);
            } else if (quantity > item.quantity - item.sent) {
                AddError(kAboveAvailable, &requested.note, &requested.sequence, &item);
            } else {
                plan_.shipments.push_back({&requested, &item, quantity, BranchControlsStock(item.movedAt)});
            }
        }
    }

    // Stock of the origin per key (branch of the stock movement, product,
    // warehouse, location, lot, sub-lot), summed over the items that share
    // it; a missing stock row holds nothing.
    void CheckStock() {
        std::map<StockKey, std::int64_t> needed;
        for (const auto& shipment : plan_.shipments) {
            if (shipment.movesStock)
                needed[KeyOf(*shipment.stored)] += shipment.quantity;
        }
        std::set<StockKey> short_;
        for (const auto& [key, quantity] : needed) {
            double stock = 0;
            session_ << "SELECT QTESTOQUE FROM ESTOQUE WHERE CDFILIAL = :b AND CDPRODUTO = :p AND "
                        "CDALMOXARIFE = :a"
                        " AND CDLOCALESTOQ = :c AND NRLOTEESTQ = :l AND NRSUBLOTE = :s" +
                            lock_,
                soci::use(std::get<0>(key)), soci::use(std::get<1>(key)), soci::use(std::get<2>(key)),
                soci::use(std::get<3>(key)), soci::use(std::get<4>(key)), soci::use(std::get<5>(key)),
                soci::into(stock);
            if (!session_.got_data() || ToThousandths(stock) < quantity)
                short_.insert(key);
        }
        for (const auto& shipment : plan_.shipments) {
            if (shipment.movesStock && short_.contains(KeyOf(*shipment.stored))) {
                AddError(kStockShort, &shipment.request->note, &shipment.request->sequence, shipment.stored);
            }
        }
    }

    static StockKey KeyOf(const StoredItem& item) {
        return {item.movedAt, item.product, item.warehouse, item.location, item.lot, item.sublot};
    }

    soci::session& session_;
    const Request& request_;
    const std::string lock_;
    Plan plan_;
    std::map<std::string, bool> controlsStock_;
};

}  // namespace

Plan CheckRequest(soci::session& session, const Request& request) {
    return Checker(session, request).Run();
}

}  // namespace server::gera
