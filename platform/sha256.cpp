#include "platform/sha256.h"

#include "platform/dll_search.h"
#include "platform/errors.h"
#include "platform/win_error.h"

#include <windows.h>
#include <bcrypt.h>

#include <limits>

namespace {

template <typename F>
F Cng(const char* name)
{
    return SystemFunction<F>("bcrypt.dll", name);
}

[[noreturn]] void RaiseStatus(NTSTATUS status)
{
    using TToDosError = ULONG(WINAPI*)(NTSTATUS);
    static const auto toDosError = SystemFunction<TToDosError>("ntdll.dll", "RtlNtStatusToDosError");
    throw Exception(SystemErrorText(toDosError(status)));
}

void Check(NTSTATUS status)
{
    if (!BCRYPT_SUCCESS(status))
        RaiseStatus(status);
}

// The algorithm, opened once and kept for the process's life, and the size
// of the memory each hash object needs (Windows 7 wants it from the caller).
struct TAlgorithm {
    BCRYPT_ALG_HANDLE Handle = nullptr;
    DWORD ObjectLength = 0;
};

TAlgorithm OpenAlgorithm()
{
    static const auto open = Cng<decltype(&::BCryptOpenAlgorithmProvider)>("BCryptOpenAlgorithmProvider");
    static const auto property = Cng<decltype(&::BCryptGetProperty)>("BCryptGetProperty");
    TAlgorithm algorithm;
    Check(open(&algorithm.Handle, BCRYPT_SHA256_ALGORITHM, nullptr, 0));
    ULONG got = 0;
    Check(property(algorithm.Handle, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&algorithm.ObjectLength),
                   sizeof algorithm.ObjectLength, &got, 0));
    return algorithm;
}

const TAlgorithm& Algorithm()
{
    static const TAlgorithm algorithm = OpenAlgorithm();
    return algorithm;
}

} // namespace

void handle_detail::DestroyHash(void* hash) noexcept
{
    // Only a hash that was made is destroyed, so the library is loaded.
    static const auto destroy = Cng<decltype(&::BCryptDestroyHash)>("BCryptDestroyHash");
    destroy(hash);
}

TSha256::TSha256()
{
    static const auto create = Cng<decltype(&::BCryptCreateHash)>("BCryptCreateHash");
    const TAlgorithm& algorithm = Algorithm();
    state_.resize(algorithm.ObjectLength);
    Check(create(algorithm.Handle, hash_.put(), state_.data(), algorithm.ObjectLength, nullptr, 0, 0));
}

void TSha256::Update(const void* data, size_t length)
{
    static const auto hashData = Cng<decltype(&::BCryptHashData)>("BCryptHashData");
    auto* bytes = static_cast<PUCHAR>(const_cast<void*>(data));
    while (length > 0) {
        const ULONG piece = length > std::numeric_limits<ULONG>::max() ? std::numeric_limits<ULONG>::max()
                                                                        : static_cast<ULONG>(length);
        Check(hashData(hash_.get(), bytes, piece, 0));
        bytes += piece;
        length -= piece;
    }
}

TSha256Digest TSha256::Finish()
{
    static const auto finish = Cng<decltype(&::BCryptFinishHash)>("BCryptFinishHash");
    TSha256Digest digest{};
    Check(finish(hash_.get(), digest.data(), static_cast<ULONG>(digest.size()), 0));
    hash_.reset();
    return digest;
}
