// Calendar values: a date without time and a date with time to the second.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vcl {

struct TDate {
    std::int32_t days = 0;  // days since 1970-01-01

    static TDate FromYmd(int year, int month, int day);
    int Year() const;
    int Month() const;
    int Day() const;
    std::string ToBr() const;   // dd/mm/yyyy
    std::string ToIso() const;  // yyyy-mm-dd
    // dd/mm/yyyy; nullopt when the text is not a real calendar date.
    static std::optional<TDate> ParseBr(std::string_view text);
    static std::optional<TDate> ParseIso(std::string_view text);
    friend auto operator<=>(const TDate&, const TDate&) = default;
};

struct TDateTime {
    std::int64_t seconds = 0;  // seconds since 1970-01-01T00:00:00

    static TDateTime FromDate(TDate date) { return {std::int64_t{date.days} * 86400}; }
    TDate Date() const;
    std::string ToBr() const;   // dd/mm/yyyy, plus " hh:mm:ss" when the time is not midnight
    std::string ToIso() const;  // yyyy-mm-ddThh:mm:ss
    // The same text appended to `out`, without formatting calls: the wire
    // writes one per date cell.
    void AppendIso(std::string& out) const;
    static std::optional<TDateTime> ParseIso(std::string_view text);
    friend auto operator<=>(const TDateTime&, const TDateTime&) = default;
};

}  // namespace vcl
