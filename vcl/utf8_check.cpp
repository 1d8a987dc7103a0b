#include "vcl/utf8_check.h"

#include <bit>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vcl::utf8 {
namespace {

// Skips ASCII bytes from `p`; returns the first byte at or above 0x80, or `end`.
const unsigned char* SkipAscii(const unsigned char* p, const unsigned char* end) {
#if defined(__SSE2__)
    while (end - p >= 32) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
        if (_mm_movemask_epi8(_mm_or_si128(a, b)) != 0)
            break;
        p += 32;
    }
    while (end - p >= 16) {
        const auto mask =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
        if (mask != 0)
            return p + std::countr_zero(mask);
        p += 16;
    }
#endif
    while (end - p >= 8) {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        const std::uint64_t high = v & 0x8080808080808080ull;
        if (high != 0) {
            static_assert(std::endian::native == std::endian::little);
            return p + std::countr_zero(high) / 8;
        }
        p += 8;
    }
    while (p < end && *p < 0x80)
        ++p;
    return p;
}

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Length of the well-formed sequence starting with the non-ASCII byte at `p`; 0 when malformed.
std::size_t SequenceLength(const unsigned char* p, const unsigned char* end) {
    const unsigned char lead = p[0];
    const auto left = end - p;
    if (lead >= 0xC2 && lead <= 0xDF)
        return left >= 2 && IsContinuation(p[1]) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (left < 3 || !IsContinuation(p[1]) || !IsContinuation(p[2]))
            return 0;
        if (lead == 0xE0 && p[1] < 0xA0)
            return 0;  // overlong
        if (lead == 0xED && p[1] > 0x9F)
            return 0;  // a surrogate
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (left < 4 || !IsContinuation(p[1]) || !IsContinuation(p[2]) || !IsContinuation(p[3]))
            return 0;
        if (lead == 0xF0 && p[1] < 0x90)
            return 0;  // overlong
        if (lead == 0xF4 && p[1] > 0x8F)
            return 0;  // above U+10FFFF
        return 4;
    }
    return 0;  // a continuation byte, an overlong two-byte lead or a byte no form uses
}

}  // namespace

bool IsValid(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned char* const end = p + text.size();
    for (;;) {
        p = SkipAscii(p, end);
        if (p == end)
            return true;
        // A run of non-ASCII characters, then back to the fast path.
        do {
            const std::size_t length = SequenceLength(p, end);
            if (length == 0)
                return false;
            p += length;
        } while (p < end && *p >= 0x80);
    }
}

}  // namespace vcl::utf8
