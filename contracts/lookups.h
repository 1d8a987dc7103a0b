// The lookup statements of the module's forms, line by line as their queries
// hold them. The server runs, for desktops without a database account, only
// these texts (joined with "\n").
#pragma once

#include <string>
#include <vector>

namespace contracts {

// Branches: every one with P_TCDFILIAL = 'T', else the one P_CDFILIAL names.
inline std::vector<std::string> BranchLookupSql() {
    return {"SELECT CDFILIAL, NMFILIAL", "  FROM FILIAL",
            " WHERE ((CDFILIAL = :P_CDFILIAL) OR (:P_TCDFILIAL = 'T'))", " ORDER BY CDFILIAL"};
}

// Suppliers, by their registration number.
inline std::vector<std::string> SupplierLookupSql() {
    return {"SELECT CDFORNECED, IDTPIJURFORN, NRINSJURFORN, NMRAZSOCFORN", "  FROM FORNECEDOR",
            " WHERE ((NRINSJURFORN = :P_NRINSJURFORN) OR (:P_TNRINSJURFORN = 'T'))", " ", " "};
}

// Entry series.
inline std::vector<std::string> EntrySeriesLookupSql() {
    return {"SELECT CDSERIEENTR, DSSERIEENTR", "  FROM SERIEENTR",
            " WHERE ((CDSERIEENTR = :P_CDSERIEENTR) OR (:P_TCDSERIEENTR = 'T'))", " ORDER BY CDSERIEENTR"};
}

// Operation types that leave a branch.
inline std::vector<std::string> OperationLookupSql() {
    return {"SELECT CDTIPOOPER, NMTIPOOPER",
            "  FROM TIPOOPERAC",
            " WHERE IDENTRSAIDOP = 'S'",
            "   AND IDORIGDESTOP = 'L'",
            "   AND ((CDTIPOOPER = :P_CDTIPOOPER) OR (:P_TCDTIPOOPER = 'T'))",
            " ORDER BY CDTIPOOPER",
            " "};
}

inline std::vector<std::vector<std::string>> LookupStatements() {
    return {BranchLookupSql(), SupplierLookupSql(), EntrySeriesLookupSql(), OperationLookupSql()};
}

// A statement's lines as one text, as a query sends it.
inline std::string JoinedSql(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += '\n';
        text += lines[i];
    }
    return text;
}

}  // namespace contracts
