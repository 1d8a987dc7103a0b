#include "vcl/json_reader.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "vcl/exceptions.h"

namespace vcl {
namespace {
constexpr int kMaxDepth = 1024;

void AppendUtf8(std::string& out, unsigned code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
}  // namespace

void JsonReader::Fail(const std::string& reason) const {
    throw EWireError("malformed wire data: " + reason + " at offset " + std::to_string(pos_));
}

void JsonReader::Expect(char c) {
    if (!Consume(c)) {
        const char found = Peek();
        Fail(std::string("expected '") + c + "'" + (found == '\0' ? " before the end" : ""));
    }
}

void JsonReader::Enter() {
    if (++depth_ > kMaxDepth)
        Fail("nesting too deep");
}

unsigned JsonReader::ReadHex4() {
    if (pos_ + 4 > text_.size())
        Fail("truncated \\u escape");
    unsigned value = 0;
    for (int i = 0; i < 4; ++i) {
        const char c = text_[pos_++];
        value <<= 4;
        if (c >= '0' && c <= '9') {
            value |= static_cast<unsigned>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            value |= static_cast<unsigned>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            value |= static_cast<unsigned>(c - 'A' + 10);
        } else {
            Fail("invalid \\u escape");
        }
    }
    return value;
}

std::string_view JsonReader::ReadString(std::string& scratch) {
    Expect('"');
    const std::size_t start = pos_;
    // Fast path: no escapes, the literal is a view of the text.
    while (pos_ < text_.size()) {
        const auto c = static_cast<unsigned char>(text_[pos_]);
        if (c == '"')
            return text_.substr(start, pos_++ - start);
        if (c == '\\' || c < 0x20)
            break;
        ++pos_;
    }
    scratch.assign(text_.substr(start, pos_ - start));
    while (pos_ < text_.size()) {
        const auto c = static_cast<unsigned char>(text_[pos_++]);
        if (c == '"')
            return scratch;
        if (c < 0x20)
            Fail("control character in string");
        if (c != '\\') {
            scratch.push_back(static_cast<char>(c));
            continue;
        }
        if (pos_ >= text_.size())
            break;
        switch (text_[pos_++]) {
            case '"':
                scratch.push_back('"');
                break;
            case '\\':
                scratch.push_back('\\');
                break;
            case '/':
                scratch.push_back('/');
                break;
            case 'b':
                scratch.push_back('\b');
                break;
            case 'f':
                scratch.push_back('\f');
                break;
            case 'n':
                scratch.push_back('\n');
                break;
            case 'r':
                scratch.push_back('\r');
                break;
            case 't':
                scratch.push_back('\t');
                break;
            case 'u': {
                unsigned code = ReadHex4();
                if (code >= 0xDC00 && code <= 0xDFFF)
                    Fail("lone low surrogate");
                if (code >= 0xD800 && code <= 0xDBFF) {
                    if (pos_ + 2 > text_.size() || text_[pos_] != '\\' || text_[pos_ + 1] != 'u')
                        Fail("lone high surrogate");
                    pos_ += 2;
                    const unsigned low = ReadHex4();
                    if (low < 0xDC00 || low > 0xDFFF)
                        Fail("invalid surrogate pair");
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                }
                AppendUtf8(scratch, code);
                break;
            }
            default:
                Fail("invalid escape");
        }
    }
    Fail("unterminated string");
}

bool JsonReader::ReadNumber(std::int64_t& integer, double& real) {
    SkipBlanks();
    const std::size_t start = pos_;
    auto digitsFrom = [&] {
        const std::size_t from = pos_;
        while (pos_ < text_.size() && IsDigit(text_[pos_]))
            ++pos_;
        return pos_ - from;
    };
    if (pos_ < text_.size() && text_[pos_] == '-')
        ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '0') {
        ++pos_;
        if (pos_ < text_.size() && IsDigit(text_[pos_]))
            Fail("leading zero in number");
    } else if (digitsFrom() == 0) {
        Fail("invalid number");
    }
    bool isInteger = true;
    if (pos_ < text_.size() && text_[pos_] == '.') {
        ++pos_;
        if (digitsFrom() == 0)
            Fail("invalid number");
        isInteger = false;
    }
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
        ++pos_;
        if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-'))
            ++pos_;
        if (digitsFrom() == 0)
            Fail("invalid number");
        isInteger = false;
    }
    const char* first = text_.data() + start;
    const char* last = text_.data() + pos_;
    if (isInteger) {
        auto [end, ec] = std::from_chars(first, last, integer);
        if (ec == std::errc{} && end == last)
            return true;
    }
    auto [end, ec] = std::from_chars(first, last, real);
    if (ec != std::errc{} || end != last || !std::isfinite(real))
        Fail("number out of range");
    return false;
}

char JsonReader::ReadLiteral() {
    const char c = Peek();
    const std::string_view word = c == 't' ? "true" : c == 'f' ? "false" : "null";
    if (text_.compare(pos_, word.size(), word) != 0)
        Fail("invalid literal");
    pos_ += word.size();
    return c;
}

std::string_view JsonReader::SkipValue() {
    const char c = Peek();
    const std::size_t start = pos_;
    std::string scratch;
    std::int64_t integer = 0;
    double real = 0;
    switch (c) {
        case '"':
            ReadString(scratch);
            break;
        case '{':
            Enter();
            ++pos_;
            if (!Consume('}')) {
                do {
                    ReadString(scratch);
                    Expect(':');
                    SkipValue();
                } while (Consume(','));
                Expect('}');
            }
            Leave();
            break;
        case '[':
            Enter();
            ++pos_;
            if (!Consume(']')) {
                do {
                    SkipValue();
                } while (Consume(','));
                Expect(']');
            }
            Leave();
            break;
        case 't':
        case 'f':
        case 'n':
            ReadLiteral();
            break;
        default:
            if (c == '-' || IsDigit(c)) {
                ReadNumber(integer, real);
            } else {
                Fail(c == '\0' ? "unexpected end" : "unexpected character");
            }
    }
    return text_.substr(start, pos_ - start);
}

}  // namespace vcl
