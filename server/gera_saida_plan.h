// GeraSaida's working data: the request as the client sent it, what the
// database holds for it, and the rows it answers with.
#pragma once

#include <soci/soci.h>

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "contracts/note_key.h"
#include "vcl/calendar.h"
#include "vcl/data_packet.h"
#include "vcl/exceptions.h"
#include "vcl/variant.h"

namespace server::gera {

using contracts::NoteKey;

struct RequestedItem {
    NoteKey note;
    std::string sequence;
    double quantity = 0;
};

struct Request {
    std::vector<NoteKey> notes;  // marked notes, in the client's order, each once
    std::vector<RequestedItem> items;
    std::string destination;
    vcl::Variant seriesRef, companyRef;  // by-reference arguments as sent
    vcl::TDate departure;
    std::string operation;
    std::string userBranch;
    std::string user;  // the session's user, written into CDUSUARIO
};

// Parses and checks the eight arguments; CallError(BadRequest) for a
// malformed argument or packet. `requestError` receives a reason when the
// request is well formed but cannot be processed (nothing to send, an item
// of no note, an item sent twice).
Request ParseRequest(const vcl::VariantArray& args, std::string& requestError);

struct StoredItem {
    std::string product, tree, name;
    std::int64_t quantity = 0, sent = 0;  // thousandths
    double unitPrice = 0;
    std::string movedAt, warehouse, location, lot, sublot;
    std::string openAudit;  // NRAUDITORIA of an open analysis, or empty
};

struct StoredNote {
    std::string registration, number, series, entryDate;
    double value = 0;
    std::map<std::string, StoredItem> items;  // by sequence
};

struct OriginSeries {
    std::string series, company;
    std::int64_t lastNumber = 0;
};

// One item to ship, with everything the writes need.
struct Shipment {
    const RequestedItem* request = nullptr;
    const StoredItem* stored = nullptr;
    std::int64_t quantity = 0;  // thousandths
    bool movesStock = false;
};

// What the checks found: the database rows (locked for the transaction) and
// the error rows. Shipments point into `notes`, so a plan moves (map nodes
// stay put) but is never copied.
struct Plan {
    Plan() = default;
    Plan(const Plan&) = delete;
    Plan& operator=(const Plan&) = delete;
    Plan(Plan&&) = default;
    Plan& operator=(Plan&&) = default;

    std::map<NoteKey, StoredNote> notes;
    std::map<std::string, OriginSeries> series;  // by origin branch
    std::vector<Shipment> shipments;
    std::vector<std::vector<vcl::Variant>> errors;  // rows of the errors packet
};

// The statuses of a caller that may not generate this request.
inline constexpr std::string_view kBranchMismatchText = "Filial do usuário não confere com a sessão";
inline constexpr std::string_view kNotAllowedText = "Usuário sem permissão para gerar remessa";

// Whether the account is still active and allowed to generate.
bool AccountMayGenerate(soci::session& session, const std::string& user);

std::vector<vcl::FieldDef> ErrorFields();
std::vector<vcl::FieldDef> GeneratedFields();

// Reads and locks what the request touches and collects every error.
Plan CheckRequest(soci::session& session, const Request& request);

// A stored code that numbering reads is not a number: nothing can be numbered.
class BadStoredNumber : public vcl::Error {
public:
    using vcl::Error::Error;
};

// Writes the remittance notes, items, analyses, stock and numbering; returns
// the rows of the generated-notes packet. Throws BadStoredNumber.
std::vector<std::vector<vcl::Variant>> WriteRemittances(soci::session& session, const Request& request,
                                                        const Plan& plan);

std::int64_t ToThousandths(double quantity);
double FromThousandths(std::int64_t quantity);

}  // namespace server::gera
