// A realistic items packet: notes of about 20 items, products from a catalogue.
#pragma once

#include <string>

#include "vcl/data_packet.h"

namespace bench {

struct NoteKey {
    std::string branch;
    std::string launch;
};

std::vector<vcl::FieldDef> ItemFields();
// `notes` notes of 10..30 items each (about 20 on average).
vcl::DataPacket MakeItemsPacket(std::size_t notes, std::vector<NoteKey>* keys = nullptr);

}  // namespace bench
