#pragma once

#include <bit>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Zelkor {

/// The first byte of [p, end) that is not c, or end. The table file is mostly runs of one byte
/// (the "0" of the empty cover cells, the commas between empty cells), which this passes over
/// sixteen or sixty-four bytes at a time.
inline const char *skipByteRun(const char *p, const char *end, char c)
{
#if defined(__SSE2__)
    const __m128i cc = _mm_set1_epi8(c);
    while (end - p >= 64) {
        const __m128i a = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)), cc);
        const __m128i b = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16)), cc);
        const __m128i d = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 32)), cc);
        const __m128i e = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 48)), cc);
        if (_mm_movemask_epi8(_mm_and_si128(_mm_and_si128(a, b), _mm_and_si128(d, e))) != 0xFFFF)
            break;
        p += 64;
    }
    while (end - p >= 16) {
        const __m128i v = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)), cc);
        const unsigned other = unsigned(_mm_movemask_epi8(v)) ^ 0xFFFFu;
        if (other)
            return p + std::countr_zero(other);
        p += 16;
    }
#endif
    while (p < end && *p == c)
        ++p;
    return p;
}

} // namespace Zelkor
