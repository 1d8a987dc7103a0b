// A pull reader over JSON text, strict to RFC 8259: the wire decoder walks
// values with it and builds variants and column stores directly, without an
// intermediate document. The text must have been checked as UTF-8 first.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vcl {

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
    Number TryReadPlainNumber(std::int64_t& integer, double& real);
    // A string literal without escapes, as a view of the text.
    bool TryReadPlainString(std::string_view& text);
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

private:
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
    static Number ValueOf(const NumberText& text, std::int64_t& integer, double& real);
    // The first quote, backslash or control character from `from` on; the size when none.
    std::size_t FindSpecial(std::size_t from) const;
    unsigned ReadHex4();
    [[noreturn]] void ExpectFailed(char c);
    std::string_view ReadEscaped(std::size_t start, std::string& scratch);

    std::string_view text_;
    std::size_t pos_ = 0;
    int depth_ = 0;
};

}  // namespace vcl
