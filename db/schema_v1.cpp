// Version 1 of the schema: the tables as they stood before schema versions
// existed. Frozen: databases of that version hold exactly these tables, and
// the migrations start from them. Change the schema with a new migration.
#include "db/schema.h"

namespace db {

namespace {

Column Text(std::string name, int size, bool notNull = true) {
    return {std::move(name), ColumnKind::Text, size, notNull};
}
Column Qty(std::string name) {
    return {std::move(name), ColumnKind::Quantity, 0, true};
}
Column Money(std::string name) {
    return {std::move(name), ColumnKind::Money, 0, true};
}
Column Date(std::string name, bool notNull = true) {
    return {std::move(name), ColumnKind::Date, 0, notNull};
}
Column Int(std::string name) {
    return {std::move(name), ColumnKind::Integer, 0, true};
}

std::vector<Table> BuildTablesV1() {
    return {
        {"FILIAL",
         {Text("CDFILIAL", 4), Text("NMFILIAL", 100), Text("CDEMPRESA", 2), Text("IDCTRLESTQ", 1)},
         {"CDFILIAL"},
         {}},
        {"FORNECEDOR",
         {Text("CDFORNECED", 21), Text("IDTPIJURFORN", 1), Text("NRINSJURFORN", 20),
          Text("NMRAZSOCFORN", 100)},
         {"CDFORNECED"},
         {{"FORNECEDOR_INSCRICAO", {"NRINSJURFORN"}, true}}},
        {"SERIEENTR", {Text("CDSERIEENTR", 5), Text("DSSERIEENTR", 20)}, {"CDSERIEENTR"}, {}},
        {"TIPOOPERAC",
         {Text("CDTIPOOPER", 2), Text("NMTIPOOPER", 30), Text("IDENTRSAIDOP", 1), Text("IDORIGDESTOP", 1)},
         {"CDTIPOOPER"},
         {}},
        {"PRODUTO",
         {Text("CDPRODUTO", 10), Text("CDARVPROD", 20), Text("NMPRODUTO", 50), Text("SGUNIDADE", 10),
          Text("CDPRODESTO", 10)},
         {"CDPRODUTO"},
         {}},
        {"SERIESAIDA",
         {Text("CDFILIAL", 4), Text("CDSERIE", 5), Text("CDEMPRESA", 2), Text("IDPADRAO", 1),
          Int("NRULTNOTA")},
         {"CDFILIAL", "CDSERIE"},
         {}},
        {"NOTAENTRADA",
         {Text("CDFILIAL", 4), Text("NRLANCTONF", 10), Text("CDFORNECED", 21), Text("NRNOTAFISC", 20),
          Text("CDSERIEENTR", 5), Date("DTENTRSAID"), Money("VRNOTAFISC"), Text("CDFILIRECE", 4)},
         {"CDFILIAL", "NRLANCTONF"},
         {{"NOTAENTRADA_FILIAL_DATA", {"CDFILIAL", "DTENTRSAID"}, false}}},
        {"ITEMENTRADA",
         {Text("CDFILIAL", 4), Text("NRLANCTONF", 10), Text("NRSEQITPROD", 4), Text("CDPRODUTO", 10),
          Qty("QTITEMPROD"), Money("VRUNITITEM"), Money("VRTOTAITEM"), Text("CDFILIMOVI", 4),
          Text("CDALMOXARIFE", 6), Text("CDLOCALESTOQ", 6), Text("NRLOTEESTQ", 20), Text("NRSUBLOTE", 4),
          Date("DTVALILOTE", false), Qty("QTREMETIDA")},
         {"CDFILIAL", "NRLANCTONF", "NRSEQITPROD"},
         {}},
        {"ESTOQUE",
         {Text("CDFILIAL", 4), Text("CDPRODUTO", 10), Text("CDALMOXARIFE", 6), Text("CDLOCALESTOQ", 6),
          Text("NRLOTEESTQ", 20), Text("NRSUBLOTE", 4), Qty("QTESTOQUE")},
         {"CDFILIAL", "CDPRODUTO", "CDALMOXARIFE", "CDLOCALESTOQ", "NRLOTEESTQ", "NRSUBLOTE"},
         {}},
        {"NOTASAIDA",
         {Text("CDFILIAL", 4), Text("NRLANCTONF", 10), Text("CDSERIE", 5), Text("CDEMPRESA", 2),
          Text("NRNOTAFISC", 20), Date("DTSAIDA"), Text("CDFILIDEST", 4), Text("CDTIPOOPER", 2),
          Text("CDFILIPROC", 4), Text("CDFILIENTR", 4), Text("NRLANCTOENT", 10), Money("VRNOTAFISC"),
          Date("DTGERACAO")},
         {"CDFILIAL", "NRLANCTONF"},
         {{"NOTASAIDA_NUMERO", {"CDFILIAL", "CDSERIE", "NRNOTAFISC"}, true},
          {"NOTASAIDA_ENTRADA", {"CDFILIENTR", "NRLANCTOENT"}, false}}},
        {"ITEMSAIDA",
         {Text("CDFILIAL", 4), Text("NRLANCTONF", 10), Text("NRSEQITPROD", 4), Text("CDPRODUTO", 10),
          Qty("QTITEMPROD"), Money("VRUNITITEM"), Money("VRTOTAITEM"), Text("CDFILIMOVI", 4),
          Text("CDALMOXARIFE", 6), Text("CDLOCALESTOQ", 6), Text("NRLOTEESTQ", 20), Text("NRSUBLOTE", 4),
          Text("NRSEQITENTR", 4)},
         {"CDFILIAL", "NRLANCTONF", "NRSEQITPROD"},
         {}},
        // CDFILIAL, NRLANCTONF, NRSEQITPROD name the received item;
        // CDFILISAID, NRLANCTOSAID the remittance note that shipped it.
        {"AUDITORIA",
         {Text("NRAUDITORIA", 10), Text("CDFILIAL", 4), Text("NRLANCTONF", 10), Text("NRSEQITPROD", 4),
          Text("CDFILISAID", 4), Text("NRLANCTOSAID", 10), Qty("QTANALISE"), Text("IDSITUACAO", 1),
          Date("DTABERTURA")},
         {"NRAUDITORIA"},
         {{"AUDITORIA_ITEM", {"CDFILIAL", "NRLANCTONF", "NRSEQITPROD", "IDSITUACAO"}, false}}},
        // Last number issued per counter ("AUDITORIA", "NOTASAIDA.<branch>").
        {"NUMERACAO", {Text("CDNUMERACAO", 30), Int("NRULTIMO")}, {"CDNUMERACAO"}, {}},
    };
}

}  // namespace

const std::vector<Table>& TablesV1() {
    static const std::vector<Table> tables = BuildTablesV1();
    return tables;
}

}  // namespace db
