// A realistic items packet: notes of about 20 items, products from a catalogue.
#pragma once

#include <string>

#include "contracts/note_key.h"
#include "vcl/data_packet.h"

namespace bench {

using contracts::NoteKey;

std::vector<vcl::FieldDef> ItemFields();
// `notes` notes of 10..30 items each (about 20 on average).
vcl::DataPacket MakeItemsPacket(std::size_t notes, std::vector<NoteKey>* keys = nullptr);

}  // namespace bench
