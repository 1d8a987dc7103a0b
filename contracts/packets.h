// The data packets of the server's methods, field by field: getNotasFiscais
// answers the notes and their items, the screen sends them back to GeraSaida,
// which answers the generated notes and the errors. The forms' datasets
// declare their fields from these, and the server builds them from these.
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

// The notes and items the screen sends to GeraSaida: those of the packets
// above without what only the screen shows.
inline std::vector<vcl::FieldDef> SentNotesPacketFields() {
    std::vector<vcl::FieldDef> fields = NotesPacketFields();
    std::erase_if(fields, [](const vcl::FieldDef& f) { return f.name == "ENVIA" || f.name == "IDTPIJURNF"; });
    return fields;
}
inline std::vector<vcl::FieldDef> SentItemsPacketFields() {
    std::vector<vcl::FieldDef> fields = ItemsPacketFields();
    std::erase_if(fields,
                  [](const vcl::FieldDef& f) { return f.name == "DTVALILOTE" || f.name == "SGUNIDADE"; });
    return fields;
}

// getSerie's payload: the branch's default series and its company.
inline std::vector<vcl::FieldDef> SeriesPacketFields() {
    using vcl::FieldType;
    return {{"CDSERIE", FieldType::String, 5}, {"CDEMPRESA", FieldType::String, 2}};
}

// GeraSaida's element 1: the received notes a remittance was generated for.
inline std::vector<vcl::FieldDef> GeneratedNotesPacketFields() {
    using vcl::FieldType;
    return {{"CDFILIAL", FieldType::String, 4},     {"NRLANCTONF", FieldType::String, 10},
            {"CDFILIRECE", FieldType::String, 4},   {"NRINSJURFORN", FieldType::String, 20},
            {"DTENTRSAID", FieldType::DateTime, 0}, {"CDSERIEENTR", FieldType::String, 5},
            {"VRNOTAFISC", FieldType::Float, 0},    {"NRNOTAFISC", FieldType::String, 20},
            {"CDFILIENTR", FieldType::String, 4},   {"NRLANCTOENT", FieldType::String, 10}};
}

// GeraSaida's element 2: one row per error, naming the note, item and analysis.
inline std::vector<vcl::FieldDef> ErrorsPacketFields() {
    using vcl::FieldType;
    return {{"CDFILIAL", FieldType::String, 4},    {"NRLANCTONF", FieldType::String, 10},
            {"DSERRO", FieldType::String, 85},     {"NRINSJURFORN", FieldType::String, 20},
            {"NRNOTAFISC", FieldType::String, 20}, {"CDSERIEENTR", FieldType::String, 5},
            {"VRNOTAFISC", FieldType::Float, 0},   {"NRSEQITPROD", FieldType::String, 4},
            {"CDPRODUTO", FieldType::String, 10},  {"CDARVPROD", FieldType::String, 20},
            {"NMPRODUTO", FieldType::String, 50},  {"DTENTRSAID", FieldType::Date, 0},
            {"NRAUDITORIA", FieldType::String, 10}};
}

}  // namespace contracts
