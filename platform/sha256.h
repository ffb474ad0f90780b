// SHA-256 digests, made by the system's cryptography (CNG, bcrypt.dll from
// the system folder, loaded on first use). Portable: no Windows headers.
#pragma once

#include "platform/unique_handle.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

using TSha256Digest = std::array<uint8_t, 32>;

namespace handle_detail {
void DestroyHash(void* hash) noexcept;
} // namespace handle_detail

using THashHandle = TUniqueHandle<TNullTraits<void*, handle_detail::DestroyHash>>;

// One digest, fed in pieces. Raises the system's text when the system
// cannot hash.
class TSha256 {
public:
    TSha256();

    void Update(const void* data, size_t length);
    // The digest of everything fed; the object is spent afterwards.
    TSha256Digest Finish();

private:
    std::vector<uint8_t> state_; // the hash object's memory, which CNG leaves to the caller
    THashHandle hash_;
};
