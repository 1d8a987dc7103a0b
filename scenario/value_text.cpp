#include "scenario/value_text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "vcl/data_packet.h"

namespace scenario {

std::optional<double> ParseNumber(std::string_view text) {
    if (text.empty() || text.size() > 64) {
        return std::nullopt;
    }
    const bool hasComma = text.find(',') != std::string_view::npos;
    const bool hasPoint = text.find('.') != std::string_view::npos;
    std::string plain;
    int separators = 0;
    int digits = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch >= '0' && ch <= '9') {
            plain += ch;
            ++digits;
        } else if ((ch == '-' || ch == '+') && i == 0) {
            plain += ch;
        } else if (ch == '.' && hasComma) {
            continue;  // thousands separator of "1.234,50"
        } else if (ch == ',' || (ch == '.' && hasPoint)) {
            plain += '.';
            ++separators;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0 || separators > 1) {
        return std::nullopt;
    }
    return std::strtod(plain.c_str(), nullptr);
}

FoundText VariantText(const vcl::Variant& value) {
    using Type = vcl::Variant::Type;
    switch (value.type()) {
        case Type::Unassigned:
        case Type::Null:
            return {"null", false};
        case Type::Integer:
        case Type::Float:
            return {value.AsString(), true};
        case Type::Date:
            return {value.AsDate().ToBr(), false};
        case Type::DateTime:
            return {value.AsDateTime().ToBr(), false};
        case Type::Packet:
            return {"rows:" + std::to_string(value.AsPacket().RowCount()), false};
        case Type::Array: {
            std::string text = "[";
            for (std::size_t i = 0; i < value.ArrayLength(); ++i) {
                text += (i ? "; " : "") + VariantText(value[i]).text;
            }
            return {text + "]", false};
        }
        case Type::String:
        case Type::Boolean:
            break;
    }
    return {value.AsString(), false};
}

bool Matches(std::string_view expected, const FoundText& found) {
    if (found.numeric) {
        const auto want = ParseNumber(expected);
        const auto have = ParseNumber(found.text);
        if (want && have) {
            const double scale = std::max({1.0, std::fabs(*want), std::fabs(*have)});
            return std::fabs(*want - *have) <= 1e-9 * scale;
        }
    }
    return expected == found.text;
}

std::string DateTextAsShown(const std::string& text) {
    auto isDigits = [&](std::size_t from, std::size_t count) {
        return std::all_of(text.begin() + from, text.begin() + from + count,
                           [](char ch) { return ch >= '0' && ch <= '9'; });
    };
    const bool isoDate = text.size() >= 10 && isDigits(0, 4) && text[4] == '-' && isDigits(5, 2) &&
                         text[7] == '-' && isDigits(8, 2);
    if (!isoDate) {
        return text;
    }
    const std::string rest = text.substr(10);
    if (!rest.empty() && rest != "T00:00:00" && rest != " 00:00:00") {
        return text;
    }
    return text.substr(8, 2) + "/" + text.substr(5, 2) + "/" + text.substr(0, 4);
}

}  // namespace scenario
