// The filter that selects one note's items: CDFILIAL = '…' AND NRLANCTONF = '…',
// each value between single quotes with inner quotes doubled.
#pragma once

#include <string>

namespace Cli_zrm90000 {

inline std::string QuotedStr(const std::string& value) {
    std::string quoted = "'";
    for (char c : value) {
        quoted += c;
        if (c == '\'')
            quoted += '\'';
    }
    return quoted + "'";
}

inline std::string NoteFilter(const std::string& cdFilial, const std::string& nrLanctoNf) {
    return "CDFILIAL = " + QuotedStr(cdFilial) + " AND NRLANCTONF = " + QuotedStr(nrLanctoNf);
}

}  // namespace Cli_zrm90000
