#include "vcl/filter.h"

#include "vcl/exceptions.h"
#include "vcl/text_format.h"

namespace vcl {
namespace {

class FilterParser {
public:
    explicit FilterParser(std::string_view text) : text_(text) {}

    std::vector<FilterTerm> Parse() {
        std::vector<FilterTerm> terms;
        SkipBlanks();
        if (AtEnd())
            return terms;
        for (;;) {
            FilterTerm term;
            term.field = Identifier();
            SkipBlanks();
            Expect('=');
            SkipBlanks();
            term.value = Quoted();
            terms.push_back(std::move(term));
            SkipBlanks();
            if (AtEnd())
                return terms;
            Keyword("AND");
            SkipBlanks();
        }
    }

private:
    [[noreturn]] void Fail(const std::string& why) const {
        throw EDatabaseError("Expressão de filtro inválida '" + std::string(text_) + "': " + why +
                             " na posição " + std::to_string(pos_ + 1));
    }
    bool AtEnd() const { return pos_ >= text_.size(); }
    static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    static bool IsIdentChar(char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    }
    void SkipBlanks() {
        while (!AtEnd() && IsBlank(text_[pos_]))
            ++pos_;
    }
    void Expect(char c) {
        if (AtEnd() || text_[pos_] != c)
            Fail(std::string("expected '") + c + "'");
        ++pos_;
    }
    std::string Identifier() {
        const bool bracketed = !AtEnd() && text_[pos_] == '[';
        if (bracketed)
            ++pos_;
        const std::size_t start = pos_;
        while (!AtEnd() && IsIdentChar(text_[pos_]))
            ++pos_;
        if (pos_ == start || (text_[start] >= '0' && text_[start] <= '9'))
            Fail("expected a field name");
        std::string name(text_.substr(start, pos_ - start));
        if (bracketed)
            Expect(']');
        return name;
    }
    std::string Quoted() {
        Expect('\'');
        std::string value;
        for (;;) {
            if (AtEnd())
                Fail("unterminated quoted text");
            const char c = text_[pos_++];
            if (c != '\'') {
                value.push_back(c);
            } else if (!AtEnd() && text_[pos_] == '\'') {
                value.push_back('\'');
                ++pos_;
            } else {
                return value;
            }
        }
    }
    void Keyword(std::string_view word) {
        if (!EqualsIgnoreCase(text_.substr(pos_, word.size()), word))
            Fail("expected AND");
        pos_ += word.size();
        if (AtEnd() || !IsBlank(text_[pos_])) {
            if (AtEnd() || IsIdentChar(text_[pos_]))
                Fail("expected AND");
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::vector<FilterTerm> ParseFilter(std::string_view text) {
    return FilterParser(text).Parse();
}

std::string QuotedStr(std::string_view value) {
    std::string out = "'";
    for (char c : value) {
        if (c == '\'')
            out.push_back('\'');
        out.push_back(c);
    }
    out.push_back('\'');
    return out;
}

}  // namespace vcl
