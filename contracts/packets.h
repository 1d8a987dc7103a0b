// The data packets getNotasFiscais answers: element 0 the notes, element 1
// their items. The screen's datasets bind these fields by name.
#pragma once

#include <vector>

#include "vcl/data_packet.h"

namespace contracts {

inline std::vector<vcl::FieldDef> NotesPacketFields() {
    using vcl::FieldType;
    return {{"CDFILIAL", FieldType::String, 4},     {"NRLANCTONF", FieldType::String, 10},
            {"IDMARCADO", FieldType::FixedChar, 1}, {"NRINSJURFORN", FieldType::String, 20},
            {"DTENTRSAID", FieldType::DateTime, 0}, {"NRNOTAFISC", FieldType::String, 20},
            {"CDSERIEENTR", FieldType::String, 5},  {"VRNOTAFISC", FieldType::Float, 0},
            {"CDFILIRECE", FieldType::String, 4},   {"ENVIA", FieldType::String, 1},
            {"IDTPIJURNF", FieldType::String, 1}};
}

inline std::vector<vcl::FieldDef> ItemsPacketFields() {
    using vcl::FieldType;
    return {{"IDMARCADO", FieldType::FixedChar, 1}, {"CDFILIAL", FieldType::String, 4},
            {"NRLANCTONF", FieldType::String, 10},  {"NRSEQITPROD", FieldType::String, 4},
            {"CDPRODUTO", FieldType::String, 10},   {"CDARVPROD", FieldType::String, 20},
            {"NMPRODUTO", FieldType::String, 50},   {"QTITEMPROD", FieldType::Float, 0},
            {"QTENVIADA", FieldType::Float, 0},     {"VRUNITITEM", FieldType::Float, 0},
            {"VRTOTAITEM", FieldType::Float, 0},    {"CDFILIMOVI", FieldType::String, 4},
            {"CDALMOXARIFE", FieldType::String, 6}, {"CDLOCALESTOQ", FieldType::String, 6},
            {"NRLOTEESTQ", FieldType::String, 20},  {"NRSUBLOTE", FieldType::String, 4},
            {"DTVALILOTE", FieldType::DateTime, 0}, {"SGUNIDADE", FieldType::String, 10},
            {"CDPRODESTO", FieldType::String, 10}};
}

}  // namespace contracts
