#include "db/brazil_ids.h"

#include <gtest/gtest.h>

namespace {

struct IdCase {
    const char* name;
    const char* digits;
    bool cpf;
    bool valid;
};

TEST(BrazilIds, CheckDigitsAcceptRealNumbersAndRejectAlteredOnes) {
    const IdCase cases[] = {
        {"a valid CPF", "52998224725", true, true},
        {"a CPF whose last digit is wrong", "52998224726", true, false},
        {"a CPF whose first check digit is wrong", "52998224715", true, false},
        {"a CPF that is too short", "5299822472", true, false},
        {"a CPF holding a letter", "5299822472X", true, false},
        {"a valid CNPJ", "11222333000181", false, true},
        {"a CNPJ whose last digit is wrong", "11222333000182", false, false},
        {"a CNPJ with a transposed base", "11222333001081", false, false},
        {"a CNPJ that is too long", "112223330001810", false, false},
    };
    for (const auto& c : cases) {
        const bool result = c.cpf ? db::IsValidCpf(c.digits) : db::IsValidCnpj(c.digits);
        EXPECT_EQ(result, c.valid) << c.name;
    }
}

TEST(BrazilIds, CompletingTheBaseGivesTheKnownCheckDigits) {
    EXPECT_EQ(db::CompleteCpf("529982247"), "52998224725");
    EXPECT_EQ(db::CompleteCnpj("112223330001"), "11222333000181");
}

}  // namespace
