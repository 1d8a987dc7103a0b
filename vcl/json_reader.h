// A pull reader over JSON text, strict to RFC 8259: the wire decoder walks
// values with it and builds variants and column stores directly, without an
// intermediate document. The text must have been checked as UTF-8 first.
#pragma once

#include <bit>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vcl {

// Text taken out of a reader's text before it was read: `bytes` stood
// before the character now at `at`.
struct TextCut {
    std::size_t at = 0;
    std::size_t bytes = 0;
};

class JsonReader {
public:
    explicit JsonReader(std::string_view text) : text_(text) {}

    // Next significant character ('\0' at the end); skips blanks.
    char Peek() {
        SkipBlanks();
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }
    bool AtEnd() { return Peek() == '\0' && pos_ >= text_.size(); }
    bool Consume(char c) {
        if (Peek() != c)
            return false;
        ++pos_;
        return true;
    }
    void Expect(char c) {
        if (!Consume(c))
            ExpectFailed(c);
    }

    // A string literal; the view points into the text, or into `scratch`
    // when the literal holds escapes.
    std::string_view ReadString(std::string& scratch);
    // A number: integer when written without fraction or exponent and in range.
    bool ReadNumber(std::int64_t& integer, double& real);
    // true, false or null; returns which ('t', 'f', 'n').
    char ReadLiteral();

    // Readings of the commonest forms for callers with a fast path: each
    // reads at the current position (no blanks skipped) and, when the text
    // there is not of that form, returns false (or None) and stays put,
    // leaving the text to the readings above.
    enum class Number { None, Integer, Real };
    // [-](0|[1-9][0-9]*)[.[0-9]+] of at most 19 digits, within range.
    Number TryReadPlainNumber(std::int64_t& integer, double& real) {
        const char* const first = text_.data() + pos_;
        const char* const end = text_.data() + text_.size();
        const char* p = first;
        if (p < end && *p == '-')
            ++p;
        std::uint64_t mantissa = 0;
        std::ptrdiff_t count = 0, fraction = 0;
        if (p < end && *p == '0') {
            ++p;
            count = 1;
        } else {
            for (; p < end && IsDigit(*p); ++p, ++count)
                mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
        }
        if (count == 0 || (p < end && IsDigit(*p)))
            return Number::None;
        if (p < end && *p == '.') {
            ++p;
            for (; p < end && IsDigit(*p); ++p, ++fraction)
                mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
            if (fraction == 0)
                return Number::None;
        }
        if ((p < end && (*p == 'e' || *p == 'E')) || count + fraction > 19)
            return Number::None;
        const Number number = ValueOf({first, p, mantissa, count, fraction, false}, integer, real);
        if (number != Number::None)
            pos_ += static_cast<std::size_t>(p - first);
        return number;
    }
    // A string literal without escapes, as a view of the text.
    bool TryReadPlainString(std::string_view& text) {
        if (pos_ >= text_.size() || text_[pos_] != '"')
            return false;
        const std::size_t end = FindSpecialNear(pos_ + 1);
        if (end >= text_.size() || text_[end] != '"')
            return false;
        text = std::string_view(text_.data() + pos_ + 1, end - pos_ - 1);
        pos_ = end + 1;
        return true;
    }
    bool TryConsume(char c) {
        if (pos_ >= text_.size() || text_[pos_] != c)
            return false;
        ++pos_;
        return true;
    }
    bool TryConsume(std::string_view word) {
        if (text_.compare(pos_, word.size(), word) != 0)
            return false;
        pos_ += word.size();
        return true;
    }
    // The character at the current position, blanks included ('\0' at the end).
    char Current() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    // Skips one value (checking it) and returns its text.
    std::string_view SkipValue();

    std::size_t Position() const { return pos_; }
    // Continues at `position`, which must be where a value ended.
    void Seek(std::size_t position) { pos_ = position; }
    std::size_t Size() const { return text_.size(); }
    // The text from the current position on.
    std::string_view Remaining() const { return text_.substr(pos_); }

    // Nesting guard for recursive readers.
    void Enter();
    void Leave() { --depth_; }

    [[noreturn]] void Fail(const std::string& reason) const;
    // Offsets in messages count these cuts (in order of `at`), so that they
    // are offsets in the text as it was written.
    void CountCuts(std::span<const TextCut> cuts) { cuts_ = cuts; }

private:
    std::size_t WrittenOffset(std::size_t position) const;
    void SkipBlanks() {
        while (pos_ < text_.size()) {
            const auto c = static_cast<unsigned char>(text_[pos_]);
            if (c > ' ' || (c != ' ' && c != '\n' && c != '\r' && c != '\t'))
                break;
            ++pos_;
        }
    }
    // A number's text, read and checked, and its digits gathered (`mantissa`
    // holds them when there are at most 19).
    struct NumberText {
        const char* first;
        const char* last;
        std::uint64_t mantissa;
        std::ptrdiff_t count, fraction;
        bool exponent;
    };
    static Number ValueOf(const NumberText& text, std::int64_t& integer, double& real) {
        const bool negative = *text.first == '-';
        if (text.fraction == 0 && !text.exponent && text.count <= 18) {
            const auto value = static_cast<std::int64_t>(text.mantissa);
            integer = negative ? -value : value;
            return Number::Integer;
        }
        // At most 15 digits: the mantissa and the power of ten are exact
        // doubles, so one correctly rounded division gives the same double
        // as from_chars.
        static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                  1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        if (!text.exponent && text.count + text.fraction <= 15) {
            const double value = static_cast<double>(text.mantissa) / kPowersOfTen[text.fraction];
            real = negative ? -value : value;
            return Number::Real;
        }
        return ValueOfByText(text, integer, real);
    }
    // The value of a longer number, through from_chars; None when out of range.
    static Number ValueOfByText(const NumberText& text, std::int64_t& integer, double& real);
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
#if defined(__SSE2__)
    // Bit i set when byte i of the 16 at `p` is '"', '\\' or below 0x20.
    static unsigned SpecialBytes16(const char* p) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i quote = _mm_cmpeq_epi8(v, _mm_set1_epi8('"'));
        const __m128i backslash = _mm_cmpeq_epi8(v, _mm_set1_epi8('\\'));
        const __m128i below = _mm_cmpeq_epi8(_mm_max_epu8(v, _mm_set1_epi8(0x1F)), _mm_set1_epi8(0x1F));
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(quote, backslash), below)));
    }
#endif
    // The first quote, backslash or control character from `from` on; the size when none.
    std::size_t FindSpecial(std::size_t from) const;
    // The same, looking at the next 16 bytes in place first (most texts are short).
    std::size_t FindSpecialNear(std::size_t from) const {
#if defined(__SSE2__)
        if (from + 16 <= text_.size()) {
            const unsigned stop = SpecialBytes16(text_.data() + from);
            if (stop != 0)
                return from + static_cast<std::size_t>(std::countr_zero(stop));
            return FindSpecial(from + 16);
        }
#endif
        return FindSpecial(from);
    }
    unsigned ReadHex4();
    [[noreturn]] void ExpectFailed(char c);
    std::string_view ReadEscaped(std::size_t start, std::string& scratch);

    std::string_view text_;
    std::size_t pos_ = 0;
    int depth_ = 0;
    std::span<const TextCut> cuts_;
};

}  // namespace vcl
