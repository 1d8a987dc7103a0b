#include "vlm/consiste.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "vcl/exceptions.h"
#include "vcl/grid.h"
#include "vcl/text_format.h"

namespace vlm {
namespace {

bool IsBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

constexpr std::string_view kInvalidAnswer = "Resposta inválida do servidor";

}  // namespace

bool TConsiste::EmptyString(std::string_view text) {
    return Trim(text).empty();
}

std::string TConsiste::Ajusta(std::string_view code, int width) {
    const std::string_view trimmed = Trim(code);
    const bool digitsOnly = !trimmed.empty() && std::all_of(trimmed.begin(), trimmed.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
    std::string result(trimmed);
    if (digitsOnly && width > 0 && result.size() < static_cast<std::size_t>(width)) {
        result.insert(0, static_cast<std::size_t>(width) - result.size(), '0');
    }
    return result;
}

std::string TConsiste::PictPess(char personType) {
    switch (std::toupper(static_cast<unsigned char>(personType))) {
        case 'F':
            return "999.999.999-99;0;_";
        case 'J':
            return "99.999.999/9999-99;0;_";
        default:
            return "";
    }
}

std::string TConsiste::PictPess(std::string_view personType) {
    const std::string_view trimmed = Trim(personType);
    return trimmed.size() == 1 ? PictPess(trimmed.front()) : std::string();
}

double TConsiste::RoundDec(double value, int decimals) {
    return vcl::RoundDecimal(value, decimals);
}

int TConsiste::IndiceCol(const vcl::TDBGrid& grid, std::string_view fieldName) {
    const auto& columns = grid.Columns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (vcl::EqualsIgnoreCase(columns[i]->FieldName, fieldName))
            return static_cast<int>(i);
    }
    return -1;
}

int TConsiste::IndiceCol(const vcl::TDBGrid* grid, std::string_view fieldName) {
    return grid ? IndiceCol(*grid, fieldName) : -1;
}

void TConsiste::MensErro(std::string_view text, bool abort) const {
    services_.ShowMessage(contracts::TMsgDlgType::Error, std::string(text), {contracts::TMsgDlgBtn::OK});
    if (abort)
        vcl::Abort();
}

vcl::Variant TConsiste::CheckResultServ(const vcl::Variant& result, bool abort, int /*helpContext*/) const {
    std::string error;
    if (!result.IsArray() || result.ArrayLength() != 2) {
        error = kInvalidAnswer;
    } else if (const vcl::Variant& status = result[0]; !status.IsEmpty()) {
        if (status.type() != vcl::Variant::Type::String) {
            error = kInvalidAnswer;
        } else if (!EmptyString(status.AsString())) {
            error = status.AsString();
        }
    }
    if (error.empty())
        return result[1];
    MensErro(error, abort);
    return vcl::Variant::Null();
}

}  // namespace vlm
