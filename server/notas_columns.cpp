#include "server/notas_columns.h"

#include <algorithm>
#include <cmath>

#include "contracts/packets.h"
#include "vcl/exceptions.h"

namespace server {

namespace {

const std::string& NoteSendsSomething() {
    static const std::string sql = "CASE WHEN " + NoteHasItemToSendSql() + " THEN 'S' ELSE 'N' END";
    return sql;
}

std::vector<SelectedColumn> NoteTable(std::string_view sends) {
    return {
        {"CDFILIAL", "N.CDFILIAL", ColumnRead::Text},
        {"NRLANCTONF", "N.NRLANCTONF", ColumnRead::Text},
        {"IDMARCADO", "'N'", ColumnRead::Text},
        {"NRINSJURFORN", "F.NRINSJURFORN", ColumnRead::Text},
        {"DTENTRSAID", "CAST(N.DTENTRSAID AS VARCHAR(10))", ColumnRead::IsoDate},
        {"NRNOTAFISC", "N.NRNOTAFISC", ColumnRead::Text},
        {"CDSERIEENTR", "N.CDSERIEENTR", ColumnRead::Text},
        {"VRNOTAFISC", "N.VRNOTAFISC", ColumnRead::Number},
        {"CDFILIRECE", "N.CDFILIRECE", ColumnRead::Text},
        {"ENVIA", sends, ColumnRead::Text},
        {"IDTPIJURNF", "F.IDTPIJURFORN", ColumnRead::Text},
    };
}

const std::string& Remaining() {
    static const std::string sql =
        "CASE WHEN " + std::string(ItemOpenAnalysisSql()) + " THEN 0 ELSE I.QTITEMPROD - I.QTREMETIDA END";
    return sql;
}

// The packet fields of `columns`, typed and sized as the client declares them.
std::vector<vcl::FieldDef> FieldsOf(std::span<const SelectedColumn> columns,
                                    const std::vector<vcl::FieldDef>& declared) {
    std::vector<vcl::FieldDef> fields;
    for (const SelectedColumn& column : columns) {
        const auto found = std::find_if(declared.begin(), declared.end(),
                                        [&](const vcl::FieldDef& def) { return def.name == column.field; });
        if (found == declared.end())
            throw vcl::EConvertError("campo " + std::string(column.field) + " fora do pacote");
        fields.push_back(*found);
    }
    return fields;
}

}  // namespace

std::string_view ItemOpenAnalysisSql() {
    return "EXISTS (SELECT 1 FROM AUDITORIA A WHERE A.CDFILIAL = I.CDFILIAL AND A.NRLANCTONF = I.NRLANCTONF"
           " AND A.NRSEQITPROD = I.NRSEQITPROD AND A.IDSITUACAO = 'A')";
}

std::string NoteHasItemToSendSql() {
    return "EXISTS (SELECT 1 FROM ITEMENTRADA I WHERE I.CDFILIAL = N.CDFILIAL AND I.NRLANCTONF = N.NRLANCTONF"
           " AND I.QTITEMPROD > I.QTREMETIDA AND NOT " +
           std::string(ItemOpenAnalysisSql()) + ")";
}

std::span<const SelectedColumn> NoteColumns(bool filterRequiresPending) {
    static const std::vector<SelectedColumn> ofFilter = NoteTable("'S'");
    static const std::vector<SelectedColumn> ofKeys = NoteTable(NoteSendsSomething());
    return filterRequiresPending ? ofFilter : ofKeys;
}

std::span<const SelectedColumn> ItemColumns() {
    static const std::vector<SelectedColumn> table = {
        {"IDMARCADO", "'N'", ColumnRead::Text},
        {"CDFILIAL", "I.CDFILIAL", ColumnRead::Text},
        {"NRLANCTONF", "I.NRLANCTONF", ColumnRead::Text},
        {"NRSEQITPROD", "I.NRSEQITPROD", ColumnRead::Text},
        {"CDPRODUTO", "I.CDPRODUTO", ColumnRead::Text},
        {"CDARVPROD", "P.CDARVPROD", ColumnRead::Text},
        {"NMPRODUTO", "P.NMPRODUTO", ColumnRead::Text},
        {"QTITEMPROD", "I.QTITEMPROD", ColumnRead::Number},
        {"QTENVIADA", Remaining(), ColumnRead::Remaining},
        {"VRUNITITEM", "I.VRUNITITEM", ColumnRead::Number},
        {"VRTOTAITEM", "I.VRTOTAITEM", ColumnRead::Number},
        {"CDFILIMOVI", "I.CDFILIMOVI", ColumnRead::Text},
        {"CDALMOXARIFE", "I.CDALMOXARIFE", ColumnRead::Text},
        {"CDLOCALESTOQ", "I.CDLOCALESTOQ", ColumnRead::Text},
        {"NRLOTEESTQ", "I.NRLOTEESTQ", ColumnRead::Text},
        {"NRSUBLOTE", "I.NRSUBLOTE", ColumnRead::Text},
        {"DTVALILOTE", "CAST(I.DTVALILOTE AS VARCHAR(10))", ColumnRead::IsoDate},
        {"SGUNIDADE", "P.SGUNIDADE", ColumnRead::Text},
        {"CDPRODESTO", "P.CDPRODESTO", ColumnRead::Text},
    };
    return table;
}

vcl::Cell CellOf(ColumnRead read, bool null, std::string_view text, double number) {
    switch (read) {
        case ColumnRead::Text:
            return vcl::Cell::Text(null ? std::string_view() : text);
        case ColumnRead::Number:
            return null ? vcl::Cell::Null() : vcl::Cell::Float(number);
        case ColumnRead::Remaining:
            return vcl::Cell::Float(null ? 0.0 : std::max(0.0, std::round(number * 1000.0) / 1000.0));
        case ColumnRead::IsoDate: {
            if (null)
                return vcl::Cell::Null();
            const auto date = vcl::TDate::ParseIso(text.substr(0, 10));
            return date ? vcl::Cell::DateTime(vcl::TDateTime::FromDate(*date)) : vcl::Cell::Null();
        }
    }
    return vcl::Cell::Null();
}

std::string SelectList(std::span<const SelectedColumn> columns) {
    std::string list;
    for (const SelectedColumn& column : columns) {
        if (!list.empty())
            list += ", ";
        list += column.sql;
    }
    return list;
}

std::vector<vcl::FieldDef> NoteFields() {
    return FieldsOf(NoteColumns(true), contracts::NotesPacketFields());
}

std::vector<vcl::FieldDef> ItemFields() {
    return FieldsOf(ItemColumns(), contracts::ItemsPacketFields());
}

}  // namespace server
