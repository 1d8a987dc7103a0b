// Validation and error routines of the host library. Pure helpers are
// static; the message routines go through the host's services.
#pragma once

#include <string>
#include <string_view>

#include "contracts/host_services.h"
#include "vcl/variant.h"

namespace vcl {
class TDBGrid;
}

namespace vlm {

class TConsiste {
public:
    explicit TConsiste(contracts::IHostServices& services) : services_(services) {}

    // True when the text holds nothing but blanks.
    static bool EmptyString(std::string_view text);
    // The code brought to the stored width: trimmed; a digits-only code is
    // padded on the left with zeros ("1" -> "0001"); other codes are returned
    // trimmed; an empty code stays empty; a longer code is left unchanged.
    static std::string Ajusta(std::string_view code, int width);
    // Edit mask of a registration number for a person type: 'F' the CPF mask,
    // 'J' the CNPJ mask, anything else "".
    static std::string PictPess(char personType);
    static std::string PictPess(std::string_view personType);  // first non-blank character
    // Rounded to `decimals` places, half away from zero, immune to binary
    // representation (10.0005 -> 10.001).
    static double RoundDec(double value, int decimals);
    // Index in Columns() of the column bound to the field (case-insensitive); -1 when none.
    static int IndiceCol(const vcl::TDBGrid& grid, std::string_view fieldName);
    static int IndiceCol(const vcl::TDBGrid* grid, std::string_view fieldName);

    // Shows the text as an error; with abort true then ends the operation by
    // the silent abort (vcl::EAbort).
    void MensErro(std::string_view text, bool abort = true) const;

    // Unpacks a server result wrapper [errorText, payload] and returns the
    // payload. A non-empty error text, or a result that is not such a
    // two-element array ("Resposta inválida do servidor"), is shown as an
    // error; then the silent abort when `abort` is true, else Null is returned.
    vcl::Variant CheckResultServ(const vcl::Variant& result, bool abort = true, int helpContext = 0) const;

private:
    contracts::IHostServices& services_;
};

}  // namespace vlm
