#include "vcl/text_format.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

namespace vcl {

std::string FloatToText(double value) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    if (ec != std::errc{})
        return "0";
    return std::string(buf, end);
}

double RoundDecimal(double value, int decimals) {
    if (!std::isfinite(value))
        return value;
    decimals = std::clamp(decimals, 0, 15);
    // The shortest decimal text that reads back as the same double is the
    // value the user meant (10.0005, not 10.000499999...); round that text.
    char text[64] = {};
    for (int precision = 1; precision <= 17; ++precision) {
        std::snprintf(text, sizeof text, "%.*e", precision - 1, value);
        if (std::strtod(text, nullptr) == value)
            break;
    }
    // text is d.ddddde±XX: the digits and the exponent of the decimal form.
    const std::string_view form(text);
    const bool negative = form.front() == '-';
    const std::size_t ePos = form.find('e');
    std::string digits;
    for (char c : form.substr(0, ePos)) {
        if (std::isdigit(static_cast<unsigned char>(c)))
            digits += c;
    }
    const int exponent = std::atoi(text + ePos + 1);
    // Digits kept: those up to the `decimals`-th place after the point.
    const int keep = exponent + 1 + decimals;
    if (keep < 0)
        return negative ? -0.0 : 0.0;
    if (static_cast<std::size_t>(keep) >= digits.size())
        return value;
    const bool roundUp = digits[static_cast<std::size_t>(keep)] >= '5';
    std::string kept = digits.substr(0, static_cast<std::size_t>(keep));
    if (kept.empty())
        kept = "0";
    if (roundUp) {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9')
            kept[static_cast<std::size_t>(i--)] = '0';
        if (i >= 0) {
            ++kept[static_cast<std::size_t>(i)];
        } else {
            kept.insert(kept.begin(), '1');
        }
    }
    // kept holds the integer number of 10^-decimals units.
    const std::string rebuilt = (negative ? "-" : "") + kept + "e-" + std::to_string(decimals);
    return std::strtod(rebuilt.c_str(), nullptr);
}

std::string FloatToBrText(double value) {
    std::string text = FloatToText(value);
    for (char& c : text)
        if (c == '.')
            c = ',';
    return text;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::optional<double> ParseDecimal(std::string_view text) {
    text = Trim(text);
    if (text.empty() || text.size() > 400)
        return std::nullopt;
    std::string normal;
    normal.reserve(text.size());
    const bool hasComma = text.find(',') != std::string_view::npos;
    for (char c : text) {
        if (c == '.' && hasComma)
            continue;  // thousands separator
        normal.push_back(c == ',' ? '.' : c);
    }
    std::string_view digits = normal;
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    if (digits.empty())
        return std::nullopt;
    for (char c : digits)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == 'e' || c == 'E' || c == '+'))
            return std::nullopt;
    double value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc{} || end != digits.data() + digits.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> ParseInteger(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::int64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::string FormatFloat(std::string_view pattern, double value) {
    if (!std::isfinite(value))
        return FloatToBrText(value);
    std::string_view section = pattern;
    bool negativeSection = false;
    if (auto semi = pattern.find(';'); semi != std::string_view::npos) {
        if (value < 0 && semi + 1 < pattern.size()) {
            section = pattern.substr(semi + 1);
            if (auto next = section.find(';'); next != std::string_view::npos)
                section = section.substr(0, next);
            negativeSection = true;
        } else {
            section = pattern.substr(0, semi);
        }
    }
    // Split into prefix, number part and suffix.
    auto isNumberChar = [](char c) { return c == '0' || c == '#' || c == ',' || c == '.'; };
    std::size_t first = 0;
    while (first < section.size() && !isNumberChar(section[first]))
        ++first;
    std::size_t last = first;
    while (last < section.size() && isNumberChar(section[last]))
        ++last;
    const std::string_view prefix = section.substr(0, first);
    const std::string_view number = section.substr(first, last - first);
    const std::string_view suffix = section.substr(last);

    bool grouping = false;
    int minInt = 0, minFrac = 0, maxFrac = 0;
    bool afterPoint = false;
    for (char c : number) {
        if (c == '.') {
            afterPoint = true;
        } else if (c == ',') {
            if (!afterPoint)
                grouping = true;
        } else if (afterPoint) {
            ++maxFrac;
            if (c == '0')
                minFrac = maxFrac;
        } else if (c == '0') {
            ++minInt;
        }
    }
    maxFrac = std::min(maxFrac, 30);
    minFrac = std::min(minFrac, maxFrac);
    double magnitude = std::fabs(value);
    // Halves round away from zero, as users expect from a display format.
    const double scale = std::pow(10.0, maxFrac);
    if (magnitude * scale < 9e15)
        magnitude = std::round(magnitude * scale) / scale;
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", maxFrac, magnitude);
    std::string_view fixed = buf;
    std::string_view intPart = fixed.substr(0, fixed.find('.'));
    std::string frac = maxFrac > 0 ? std::string(fixed.substr(fixed.find('.') + 1)) : std::string();
    while (static_cast<int>(frac.size()) > minFrac && !frac.empty() && frac.back() == '0')
        frac.pop_back();
    std::string digits(intPart);
    if (digits == "0" && minInt == 0)
        digits.clear();
    while (static_cast<int>(digits.size()) < minInt)
        digits.insert(digits.begin(), '0');
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (grouping && i > 0 && (digits.size() - i) % 3 == 0)
            grouped.push_back('.');
        grouped.push_back(digits[i]);
    }
    bool anyDigit = false;
    for (char c : grouped + frac)
        if (c != '0' && c != '.')
            anyDigit = true;
    std::string out;
    if (value < 0 && anyDigit && !negativeSection)
        out.push_back('-');
    out += prefix;
    out += grouped;
    if (!frac.empty()) {
        out.push_back(',');
        out += frac;
    }
    out += suffix;
    return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

std::string ToUpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return out;
}

bool MatchesUpper(std::string_view text, std::string_view upper, bool prefix) {
    if (prefix ? text.size() < upper.size() : text.size() != upper.size())
        return false;
    bool afterC3 = false;
    for (std::size_t i = 0; i < upper.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (afterC3) {
            if (c >= 0xA0 && c <= 0xBE && c != 0xB7)
                c = static_cast<unsigned char>(c - 0x20);
            afterC3 = false;
        } else if (c >= 'a' && c <= 'z') {
            c = static_cast<unsigned char>(c - 32);
        } else if (c == 0xC3) {
            afterC3 = true;
        }
        if (c != static_cast<unsigned char>(upper[i]))
            return false;
    }
    return true;
}

std::string UpperText(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'a' && c <= 'z') {
            out[i] = static_cast<char>(c - 32);
        } else if (c == 0xC3 && i + 1 < out.size()) {
            // U+00E0..U+00FE (except U+00F7) fold to U+00C0..U+00DE.
            auto next = static_cast<unsigned char>(out[i + 1]);
            if (next >= 0xA0 && next <= 0xBE && next != 0xB7)
                out[i + 1] = static_cast<char>(next - 0x20);
            ++i;
        }
    }
    return out;
}

}  // namespace vcl
