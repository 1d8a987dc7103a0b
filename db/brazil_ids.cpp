#include "db/brazil_ids.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace db {

namespace {

bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

// Modulo-11 check digit over `digits` with the weights given, left to right.
char CheckDigit(std::string_view digits, const int* weights) {
    int sum = 0;
    for (std::size_t i = 0; i < digits.size(); ++i)
        sum += (digits[i] - '0') * weights[i];
    const int rest = sum % 11;
    return static_cast<char>('0' + (rest < 2 ? 0 : 11 - rest));
}

std::string CompleteWith(std::string_view base, const int* firstWeights, const int* secondWeights) {
    std::string out(base);
    out += CheckDigit(out, firstWeights);
    out += CheckDigit(out, secondWeights);
    return out;
}

constexpr std::array<int, 10> kCpfWeights{11, 10, 9, 8, 7, 6, 5, 4, 3, 2};
constexpr std::array<int, 13> kCnpjWeights{6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};

}  // namespace

std::string CompleteCpf(std::string_view nineDigits) {
    return CompleteWith(nineDigits, kCpfWeights.data() + 1, kCpfWeights.data());
}

std::string CompleteCnpj(std::string_view twelveDigits) {
    return CompleteWith(twelveDigits, kCnpjWeights.data() + 1, kCnpjWeights.data());
}

bool IsValidCpf(std::string_view digits) {
    return digits.size() == 11 && AllDigits(digits) && CompleteCpf(digits.substr(0, 9)) == digits;
}

bool IsValidCnpj(std::string_view digits) {
    return digits.size() == 14 && AllDigits(digits) && CompleteCnpj(digits.substr(0, 12)) == digits;
}

}  // namespace db
