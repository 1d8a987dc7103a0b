// The remote data modules the module calls and their methods.
#pragma once

#include <string_view>

namespace contracts {

inline constexpr std::string_view kRemessaServer = "zrm90000.rdmRemessaAnalise";
inline constexpr std::string_view kEstoqueServer = "Est00000.rdmEstoque";

inline constexpr std::string_view kGetNotasFiscais = "getNotasFiscais";  // 8 arguments, #3 by reference
inline constexpr std::string_view kGetSerie = "getSerie";                // 1 argument
inline constexpr std::string_view kGeraSaida = "GeraSaida";  // 8 arguments, #4 and #5 by reference
inline constexpr std::string_view kRemessaMethods[] = {kGetNotasFiscais, kGetSerie, kGeraSaida};

// The lookups of desktops that hold no database account (lookups.h).
inline constexpr std::string_view kLookupServer = "dtmDBGeral";
inline constexpr std::string_view kLookupMethod = "query";

}  // namespace contracts
