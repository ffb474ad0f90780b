#include "platform/sha256.h"

#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#define QOVA_SHA_EXTENSIONS 1
#endif

namespace {

constexpr uint32_t K[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

constexpr std::array<uint32_t, 8> Initial = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                             0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

uint32_t Rotr(uint32_t x, int n)
{
    return (x >> n) | (x << (32 - n));
}

uint32_t BigEndian(const uint8_t* p)
{
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}

void CompressPlain(uint32_t* state, const uint8_t* data, size_t blocks)
{
    for (; blocks > 0; --blocks, data += 64) {
        uint32_t w[64];
        for (int t = 0; t < 16; ++t)
            w[t] = BigEndian(data + 4 * t);
        for (int t = 16; t < 64; ++t) {
            const uint32_t s0 = Rotr(w[t - 15], 7) ^ Rotr(w[t - 15], 18) ^ (w[t - 15] >> 3);
            const uint32_t s1 = Rotr(w[t - 2], 17) ^ Rotr(w[t - 2], 19) ^ (w[t - 2] >> 10);
            w[t] = w[t - 16] + s0 + w[t - 7] + s1;
        }
        uint32_t a = state[0], b = state[1], c = state[2], d = state[3], e = state[4], f = state[5], g = state[6],
                 h = state[7];
        for (int t = 0; t < 64; ++t) {
            const uint32_t t1 = h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + K[t] + w[t];
            const uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            h = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        state[0] += a;
        state[1] += b;
        state[2] += c;
        state[3] += d;
        state[4] += e;
        state[5] += f;
        state[6] += g;
        state[7] += h;
    }
}

#ifdef QOVA_SHA_EXTENSIONS
// Four rounds a step: the message schedule and the rounds are the
// processor's (sha256msg1, sha256msg2, sha256rnds2), the state kept as
// ABEF and CDGH as they want it. The stack is aligned on entry: these
// instructions take their memory operands 16-byte aligned, and 32-bit
// Windows calls a window procedure on any multiple of 4.
__attribute__((target("sha,sse4.1,ssse3"), force_align_arg_pointer)) void CompressWithExtensions(
    uint32_t* state, const uint8_t* data, size_t blocks)
{
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i cdab = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0xB1);
    __m128i efgh = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4)), 0x1B);
    __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
    __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);
    for (; blocks > 0; --blocks, data += 64) {
        const __m128i abefBefore = abef, cdghBefore = cdgh;
        __m128i w[4];
        for (int step = 0; step < 16; ++step) {
            __m128i& words = w[step & 3];
            if (step < 4)
                words = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * step)), byteSwap);
            else
                words = _mm_sha256msg2_epu32(
                    _mm_add_epi32(_mm_sha256msg1_epu32(words, w[(step + 1) & 3]),
                                  _mm_alignr_epi8(w[(step + 3) & 3], w[(step + 2) & 3], 4)),
                    w[(step + 3) & 3]);
            __m128i message = _mm_add_epi32(words, _mm_loadu_si128(reinterpret_cast<const __m128i*>(K + 4 * step)));
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, message);
            message = _mm_shuffle_epi32(message, 0x0E);
            abef = _mm_sha256rnds2_epu32(abef, cdgh, message);
        }
        abef = _mm_add_epi32(abef, abefBefore);
        cdgh = _mm_add_epi32(cdgh, cdghBefore);
    }
    const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}

bool ProcessorHasExtensions()
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & bit_SSE4_1) || !(c & bit_SSSE3))
        return false;
    return __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & bit_SHA);
}

// Asked before main, while there is one thread: the payload is hashed on two.
const bool Extensions = ProcessorHasExtensions();
#endif

} // namespace

bool TSha256::HasExtensions()
{
#ifdef QOVA_SHA_EXTENSIONS
    return Extensions;
#else
    return false;
#endif
}

TSha256::TSha256(bool useExtensions) : state_(Initial), extensions_(useExtensions && HasExtensions()) {}

void TSha256::Compress(const uint8_t* blocks, size_t count)
{
#ifdef QOVA_SHA_EXTENSIONS
    if (extensions_) {
        CompressWithExtensions(state_.data(), blocks, count);
        return;
    }
#endif
    CompressPlain(state_.data(), blocks, count);
}

void TSha256::Update(const void* data, size_t length)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    length_ += length;
    if (pendingLength_ > 0) {
        const size_t taken = length < 64 - pendingLength_ ? length : 64 - pendingLength_;
        std::memcpy(pending_.data() + pendingLength_, bytes, taken);
        pendingLength_ += taken;
        bytes += taken;
        length -= taken;
        if (pendingLength_ < 64)
            return;
        Compress(pending_.data(), 1);
        pendingLength_ = 0;
    }
    if (length >= 64) {
        Compress(bytes, length / 64);
        bytes += length / 64 * 64;
        length %= 64;
    }
    std::memcpy(pending_.data(), bytes, length);
    pendingLength_ = length;
}

TSha256Digest TSha256::Finish()
{
    const uint64_t bits = length_ * 8;
    uint8_t tail[128] = {};
    std::memcpy(tail, pending_.data(), pendingLength_);
    tail[pendingLength_] = 0x80;
    const size_t total = pendingLength_ + 9 <= 64 ? 64 : 128;
    for (int i = 0; i < 8; ++i)
        tail[total - 1 - i] = static_cast<uint8_t>(bits >> (8 * i));
    Compress(tail, total / 64);
    TSha256Digest digest{};
    for (size_t i = 0; i < 8; ++i)
        for (size_t j = 0; j < 4; ++j)
            digest[4 * i + j] = static_cast<uint8_t>(state_[i] >> (24 - 8 * j));
    return digest;
}
