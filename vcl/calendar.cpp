#include "vcl/calendar.h"

#include <charconv>
#include <cstdio>

namespace vcl {
namespace {

// Days from civil date (proleptic Gregorian), 1970-01-01 is day 0.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct Ymd {
    int year;
    int month;
    int day;
};

Ymd CivilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

bool ValidYmd(int y, int m, int d) {
    return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m);
}

// Reads exactly `width` decimal digits at text[pos].
bool ReadDigits(std::string_view text, std::size_t pos, std::size_t width, int& out) {
    if (pos + width > text.size())
        return false;
    int value = 0;
    for (std::size_t i = pos; i < pos + width; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    out = value;
    return true;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

}  // namespace

TDate TDate::FromYmd(int year, int month, int day) {
    return {static_cast<std::int32_t>(
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)))};
}
int TDate::Year() const {
    return CivilFromDays(days).year;
}
int TDate::Month() const {
    return CivilFromDays(days).month;
}
int TDate::Day() const {
    return CivilFromDays(days).day;
}

std::string TDate::ToBr() const {
    const Ymd ymd = CivilFromDays(days);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", ymd.day, ymd.month, ymd.year);
    return buf;
}

std::string TDate::ToIso() const {
    const Ymd ymd = CivilFromDays(days);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", ymd.year, ymd.month, ymd.day);
    return buf;
}

std::optional<TDate> TDate::ParseBr(std::string_view text) {
    int d = 0, m = 0, y = 0;
    if (text.size() != 10 || text[2] != '/' || text[5] != '/')
        return std::nullopt;
    if (!ReadDigits(text, 0, 2, d) || !ReadDigits(text, 3, 2, m) || !ReadDigits(text, 6, 4, y))
        return std::nullopt;
    if (!ValidYmd(y, m, d))
        return std::nullopt;
    return FromYmd(y, m, d);
}

std::optional<TDate> TDate::ParseIso(std::string_view text) {
    int d = 0, m = 0, y = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    if (!ReadDigits(text, 0, 4, y) || !ReadDigits(text, 5, 2, m) || !ReadDigits(text, 8, 2, d))
        return std::nullopt;
    if (!ValidYmd(y, m, d))
        return std::nullopt;
    return FromYmd(y, m, d);
}

TDate TDateTime::Date() const {
    return {static_cast<std::int32_t>(FloorDiv(seconds, 86400))};
}

namespace {
struct Hms {
    int h, m, s;
};
Hms TimeOf(std::int64_t seconds) {
    const std::int64_t rest = seconds - FloorDiv(seconds, 86400) * 86400;
    return {static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60)};
}
}  // namespace

std::string TDateTime::ToBr() const {
    std::string out = Date().ToBr();
    const Hms t = TimeOf(seconds);
    if (t.h != 0 || t.m != 0 || t.s != 0) {
        char buf[16];
        std::snprintf(buf, sizeof buf, " %02d:%02d:%02d", t.h, t.m, t.s);
        out += buf;
    }
    return out;
}

std::string TDateTime::ToIso() const {
    const Hms t = TimeOf(seconds);
    char buf[16];
    std::snprintf(buf, sizeof buf, "T%02d:%02d:%02d", t.h, t.m, t.s);
    return Date().ToIso() + buf;
}

void TDateTime::AppendIso(std::string& out) const {
    const Ymd ymd = CivilFromDays(Date().days);
    if (ymd.year < 0 || ymd.year > 9999) {
        out += ToIso();  // a sign or a fifth digit: as printf writes them
        return;
    }
    const Hms t = TimeOf(seconds);
    char text[19];
    char* at = text;
    const auto two = [&at](int value, char after) {
        *at++ = static_cast<char>('0' + value / 10);
        *at++ = static_cast<char>('0' + value % 10);
        if (after != '\0')
            *at++ = after;
    };
    two(ymd.year / 100, '\0');
    two(ymd.year % 100, '-');
    two(ymd.month, '-');
    two(ymd.day, 'T');
    two(t.h, ':');
    two(t.m, ':');
    two(t.s, '\0');
    out.append(text, sizeof text);
}

std::optional<TDateTime> TDateTime::ParseIso(std::string_view text) {
    if (text.size() == 10) {
        auto date = TDate::ParseIso(text);
        if (!date)
            return std::nullopt;
        return FromDate(*date);
    }
    if (text.size() != 19 || (text[10] != 'T' && text[10] != ' ') || text[13] != ':' || text[16] != ':')
        return std::nullopt;
    auto date = TDate::ParseIso(text.substr(0, 10));
    int h = 0, m = 0, s = 0;
    if (!date || !ReadDigits(text, 11, 2, h) || !ReadDigits(text, 14, 2, m) || !ReadDigits(text, 17, 2, s))
        return std::nullopt;
    if (h > 23 || m > 59 || s > 59)
        return std::nullopt;
    return TDateTime{FromDate(*date).seconds + h * 3600 + m * 60 + s};
}

}  // namespace vcl
