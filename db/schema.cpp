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

std::vector<Table> BuildTables() {
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
          Date("DTGERACAO"), Text("CDUSUARIO", 20, false)},
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
          Date("DTABERTURA"), Text("CDUSUARIO", 20, false)},
         {"NRAUDITORIA"},
         {{"AUDITORIA_ITEM", {"CDFILIAL", "NRLANCTONF", "NRSEQITPROD", "IDSITUACAO"}, false}}},
        // Accounts: DSHASH is an Argon2id string; IDATIVO 'S'/'N' whether the
        // account may log in, IDGERA 'S'/'N' whether it may generate remittances.
        {"USUARIO",
         {Text("CDUSUARIO", 20), Text("NMUSUARIO", 60, false), Text("CDFILIAL", 4), Text("DSHASH", 255),
          Text("IDATIVO", 1), Text("IDGERA", 1)},
         {"CDUSUARIO"},
         {}},
        // Last number issued per counter ("AUDITORIA", "NOTASAIDA.<branch>").
        {"NUMERACAO", {Text("CDNUMERACAO", 30), Int("NRULTIMO")}, {"CDNUMERACAO"}, {}},
    };
}

std::string TypeOf(const Column& column) {
    switch (column.kind) {
        case ColumnKind::Text:
            return "VARCHAR(" + std::to_string(column.size) + ")";
        case ColumnKind::Quantity:
            return "NUMERIC(15,3)";
        case ColumnKind::Money:
            return "NUMERIC(15,2)";
        case ColumnKind::Date:
            return "DATE";
        case ColumnKind::Integer:
            return "BIGINT";
    }
    return "VARCHAR(1)";
}

std::string Join(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& name : names) {
        if (!out.empty())
            out += ", ";
        out += name;
    }
    return out;
}

}  // namespace

const std::vector<Table>& Tables() {
    static const std::vector<Table> tables = BuildTables();
    return tables;
}

std::vector<std::string> SchemaStatements() {
    std::vector<std::string> out;
    for (const auto& table : Tables()) {
        std::string ddl = "CREATE TABLE IF NOT EXISTS " + table.name + " (";
        for (const auto& column : table.columns) {
            ddl += column.name + " " + TypeOf(column);
            if (column.notNull)
                ddl += " NOT NULL";
            ddl += ", ";
        }
        ddl += "PRIMARY KEY (" + Join(table.primaryKey) + "))";
        out.push_back(std::move(ddl));
        for (const auto& index : table.indexes) {
            out.push_back(std::string("CREATE ") + (index.unique ? "UNIQUE " : "") + "INDEX IF NOT EXISTS " +
                          index.name + " ON " + table.name + " (" + Join(index.columns) + ")");
        }
    }
    return out;
}

void CreateSchema(soci::session& session) {
    const auto statements = SchemaStatements();
    try {
        soci::transaction tx(session);
        for (const auto& statement : statements)
            session << statement;
        tx.commit();
    } catch (const soci::soci_error& e) {
        throw DbError(std::string("cannot create the schema: ") + e.what());
    }
}

}  // namespace db
