// SPDX-License-Identifier: MIT
#pragma once

// Runs of one colour in a 32-bit picture: FillPixels (p, n, rgb) writes rgb
// into p[0] .. p[n - 1], nothing when n <= 0, and touches no other word. It is
// the image device's one way of writing a run (a row of a fill, a horizontal
// line, a text run), so it is inline: the device calls it once per row.
//
// How, by length: a short run is a plain loop; a long one (a whole picture, a
// wide fill) goes to the processor's string store, which writes whole cache
// lines without first reading them, as vector stores do; between the two,
// 32-byte stores where the processor has them, else memset for colours whose
// four bytes are alike, else 16-byte stores. The program is built at -O2,
// where std::fill stays a loop of one store per pixel. bench_chart's
// BM_PaintResponse rows show the string store's gain on a large picture.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#include <immintrin.h>
#endif

namespace nc {

namespace pixel_fill {

#if defined(__x86_64__) && defined(__GNUC__)
// Eight pixels per 32-byte store; called only where HasAvx2 says the
// processor has them. Two stores per step: with one, the loop ran markedly
// slower wherever its code happened to straddle an instruction-fetch
// boundary (bench_chart's BM_PaintWindowChart, whose fills are rows of a few
// hundred pixels, shows it).
__attribute__((target("avx2"))) inline void FillPixels8(std::uint32_t* p, std::ptrdiff_t n, std::uint32_t rgb)
{
    const __m256i eight = _mm256_set1_epi32(static_cast<int>(rgb));
    std::ptrdiff_t i = 0;
    for (; i + 16 <= n; i += 16) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i), eight);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i + 8), eight);
    }
    if (i + 8 <= n) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i), eight);
        i += 8;
    }
    for (; i < n; ++i)
        p[i] = rgb;
}

// Looked up once, on the first fill.
inline bool HasAvx2()
{
    static const bool has = [] {
        __builtin_cpu_init(); // may run before the runtime's own start-up look
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

// The processor's string store, one pixel per step in the instruction's
// count: any colour, where memset takes only colours whose bytes are alike.
inline void StorePixelString(std::uint32_t* p, std::ptrdiff_t n, std::uint32_t rgb)
{
    asm volatile("rep stosl" : "+D"(p), "+c"(n) : "a"(rgb) : "memory");
}
#endif

// From this many pixels (8 KB) on, a fill goes to the string store: a whole
// picture is far larger than the caches nearest the core. Below about 1000
// pixels, rows in the caches, its start-up costs more than the vector stores.
inline constexpr std::ptrdiff_t kStringFillPixels = 2048;

} // namespace pixel_fill

inline void FillPixels(std::uint32_t* p, std::ptrdiff_t n, std::uint32_t rgb)
{
    if (n < 8) {
        for (std::ptrdiff_t i = 0; i < n; ++i)
            p[i] = rgb;
        return;
    }
#if defined(__x86_64__) && defined(__GNUC__)
    if (n >= pixel_fill::kStringFillPixels) {
        pixel_fill::StorePixelString(p, n, rgb);
        return;
    }
    if (pixel_fill::HasAvx2()) {
        pixel_fill::FillPixels8(p, n, rgb);
        return;
    }
#endif
    if ((rgb & 0xFFu) * 0x01010101u == rgb) {
        std::memset(p, static_cast<int>(rgb & 0xFFu), static_cast<std::size_t>(n) * sizeof(std::uint32_t));
        return;
    }
#if defined(__SSE2__)
    const __m128i four = _mm_set1_epi32(static_cast<int>(rgb));
    std::ptrdiff_t i = 0;
    for (; i + 4 <= n; i += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + i), four);
    for (; i < n; ++i)
        p[i] = rgb;
#else
    std::fill(p, p + n, rgb);
#endif
}

} // namespace nc
