#include "vcl/json_reader.h"

#include <bit>
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

// High bit set in each byte of the 8 at `p` that is '"', '\\' or below 0x20.
// Only the lowest marked byte is exact (borrows may mark bytes above it).
std::uint64_t SpecialBytes(const char* p) {
    static_assert(std::endian::native == std::endian::little);
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    std::uint64_t v;
    std::memcpy(&v, p, 8);
    auto zeroBytes = [](std::uint64_t x) { return (x - kOnes) & ~x & kHigh; };
    const std::uint64_t below = (v - kOnes * 0x20) & ~v & kHigh;
    return zeroBytes(v ^ (kOnes * '"')) | zeroBytes(v ^ (kOnes * '\\')) | below;
}

}  // namespace

std::size_t JsonReader::WrittenOffset(std::size_t position) const {
    std::size_t offset = position;
    for (const TextCut& cut : cuts_) {
        if (cut.at > position)
            break;
        offset += cut.bytes;
    }
    return offset;
}

void JsonReader::Fail(const std::string& reason) const {
    throw EWireError("malformed wire data: " + reason + " at offset " + std::to_string(WrittenOffset(pos_)));
}

void JsonReader::ExpectFailed(char c) {
    const char found = Peek();
    Fail(std::string("expected '") + c + "'" + (found == '\0' ? " before the end" : ""));
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

std::size_t JsonReader::FindSpecial(std::size_t from) const {
    const std::size_t size = text_.size();
    const char* const text = text_.data();
    // Sixteen or eight bytes at a time while they fit.
#if defined(__SSE2__)
    for (; from + 16 <= size; from += 16) {
        const unsigned stop = SpecialBytes16(text + from);
        if (stop != 0)
            return from + static_cast<std::size_t>(std::countr_zero(stop));
    }
#endif
    for (; from + 8 <= size; from += 8) {
        const std::uint64_t stop = SpecialBytes(text + from);
        if (stop != 0)
            return from + static_cast<std::size_t>(std::countr_zero(stop)) / 8;
    }
    for (; from < size; ++from) {
        const auto c = static_cast<unsigned char>(text[from]);
        if (c == '"' || c == '\\' || c < 0x20)
            return from;
    }
    return size;
}

std::string_view JsonReader::ReadString(std::string& scratch) {
    Expect('"');
    const std::size_t start = pos_;
    // Fast path: no escapes, the literal is a view of the text.
    pos_ = FindSpecialNear(pos_);
    if (pos_ < text_.size() && text_[pos_] == '"')
        return text_.substr(start, pos_++ - start);
    return ReadEscaped(start, scratch);
}

// The rest of a literal from the first escape or control character at pos_.
std::string_view JsonReader::ReadEscaped(std::size_t start, std::string& scratch) {
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
    const char* const first = text_.data() + pos_;
    const char* const end = text_.data() + text_.size();
    const char* p = first;
    // Digits are gathered into `mantissa` on the way (only meaningful while
    // there are at most 19 of them) so that common numbers skip from_chars.
    std::uint64_t mantissa = 0;
    auto digits = [&] {
        const char* from = p;
        while (p < end && JsonReader::IsDigit(*p))
            mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
        return p - from;
    };
    auto fail = [&](const char* reason) {
        pos_ += static_cast<std::size_t>(p - first);
        Fail(reason);
    };
    if (p < end && *p == '-')
        ++p;
    std::ptrdiff_t count = 0;
    if (p < end && *p == '0') {
        ++p;
        if (p < end && JsonReader::IsDigit(*p))
            fail("leading zero in number");
        count = 1;
    } else if ((count = digits()) == 0) {
        fail("invalid number");
    }
    std::ptrdiff_t fraction = 0;
    if (p < end && *p == '.') {
        ++p;
        if ((fraction = digits()) == 0)
            fail("invalid number");
    }
    bool exponent = false;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < end && (*p == '+' || *p == '-'))
            ++p;
        const char* from = p;
        while (p < end && JsonReader::IsDigit(*p))
            ++p;
        if (p == from)
            fail("invalid number");
        exponent = true;
    }
    pos_ += static_cast<std::size_t>(p - first);
    const Number number = ValueOf({first, p, mantissa, count, fraction, exponent}, integer, real);
    if (number == Number::None)
        Fail("number out of range");
    return number == Number::Integer;
}

JsonReader::Number JsonReader::ValueOfByText(const NumberText& text, std::int64_t& integer, double& real) {
    const bool isInteger = text.fraction == 0 && !text.exponent;
    if (isInteger) {
        auto [last, ec] = std::from_chars(text.first, text.last, integer);
        if (ec == std::errc{} && last == text.last)
            return Number::Integer;
    }
    auto [last, ec] = std::from_chars(text.first, text.last, real);
    if (ec != std::errc{} || last != text.last || !std::isfinite(real))
        return Number::None;
    return Number::Real;
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
            if (c == '-' || JsonReader::IsDigit(c)) {
                ReadNumber(integer, real);
            } else {
                Fail(c == '\0' ? "unexpected end" : "unexpected character");
            }
    }
    return text_.substr(start, pos_ - start);
}

}  // namespace vcl
