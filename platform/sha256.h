// SHA-256 digests: a small implementation of the standard, on the
// processor's SHA extensions where it has them. Portable: no Windows
// headers, no system library (the system's CNG costs Wine 2 MiB to load).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

using TSha256Digest = std::array<uint8_t, 32>;

// One digest, fed in pieces.
class TSha256 {
public:
    // With useExtensions false, the plain code runs on any processor.
    explicit TSha256(bool useExtensions = true);

    void Update(const void* data, size_t length);
    // The digest of everything fed; the object is spent afterwards.
    TSha256Digest Finish();

    // Whether this processor has the SHA extensions that the first form uses.
    static bool HasExtensions();

private:
    void Compress(const uint8_t* blocks, size_t count);

    std::array<uint32_t, 8> state_;
    std::array<uint8_t, 64> pending_{};
    size_t pendingLength_ = 0;
    uint64_t length_ = 0;
    bool extensions_;
};
