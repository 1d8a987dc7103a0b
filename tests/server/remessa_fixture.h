// A small database whose every row is known, and helpers to build the
// arguments the screen sends.
#pragma once

#include <soci/soci.h>

#include <string>
#include <vector>

#include "contracts/note_key.h"
#include "vcl/data_packet.h"
#include "vcl/variant.h"

namespace testsrv {

// Creates the schema and these rows:
//  branches 0001 (default series "1", last number 10, controls stock),
//           0002 (default series "1", controls stock), 0003 (default series,
//           no stock control), 0004 (a series, none the default);
//  operation types 01 (exit from a branch), 10 (entry), 20 (exit to a customer);
//  note 0001/0000000001, 2026-03-05, number "100", series "1", supplier 000001 (CNPJ):
//       item 0001 product 000001 qty 10; item 0002 product 000002 qty 5;
//  note 0001/0000000002, 2026-03-10, number "100", series "2", supplier 000002 (CPF):
//       item 0001 product 000001 qty 4, all sent, analysis 0000000001 closed;
//       item 0002 product 000001 qty 6, 2 sent, analysis 0000000002 open;
//  note 0001/0000000003, 2026-03-20, number "200", series "1", supplier 000002:
//       item 0001 product 000001 qty 8, 3 sent, analysis 0000000003 closed;
//  note 0001/0000000004, 2026-04-02, number "300": item 0001 product 000001 qty 2;
//  note 0002/0000000001, 2026-03-07, number "100": item 0001 product 000001 qty 1;
//  note 0003/0000000001, 2026-03-08: item 0001 product 000001 qty 1;
//  stock of 0001 (warehouse 000001, location L01, no lot): product 000001 holds 100,
//  product 000002 holds 3; of 0002: product 000001 holds 1.
void SeedSmall(soci::session& session);

using contracts::NoteKey;

struct ItemToSend {
    std::string branch, launch, sequence;
    double quantity;
};

// The packets of the screen's cdsNotaAux and cdsItensAux (all rows marked).
vcl::DataPacket NotesAux(const std::vector<NoteKey>& notes);
vcl::DataPacket ItemsAux(const std::vector<ItemToSend>& items);

struct GeraSaidaCall {
    std::vector<NoteKey> notes;
    std::vector<ItemToSend> items;
    std::string destination = "0002";
    std::string operation = "01";
    std::string origin = "0001";  // branch of the user
    vcl::TDate departure = vcl::TDate::FromYmd(2026, 3, 31);
    vcl::VariantArray Args() const;
};

vcl::VariantArray NotasArgs(const vcl::Variant& packet, const std::string& branch,
                            const std::string& supplier, vcl::TDate from, vcl::TDate to,
                            const std::string& series, const std::string& number, const std::string& flag);

long long Count(soci::session& session, const std::string& sql);
double Number(soci::session& session, const std::string& sql);

// Column `field` of every row of `packet`, as text.
std::vector<std::string> Column(const vcl::DataPacket& packet, const std::string& field);

}  // namespace testsrv
