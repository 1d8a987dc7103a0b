// Brazilian registration numbers: CPF (persons, 11 digits) and CNPJ
// (companies, 14 digits), with their two check digits.
#pragma once

#include <string>
#include <string_view>

namespace db {

// Appends the two check digits to 9 base digits.
std::string CompleteCpf(std::string_view nineDigits);
// Appends the two check digits to 12 base digits.
std::string CompleteCnpj(std::string_view twelveDigits);

bool IsValidCpf(std::string_view digits);
bool IsValidCnpj(std::string_view digits);

}  // namespace db
