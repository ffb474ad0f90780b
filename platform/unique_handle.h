// One owning wrapper for every kind of handle: the close function and the
// invalid value are parameters. Copies are deleted, moves allowed.
// Portable: no Windows headers. The kernel's own handles (files, processes,
// searches, resources) are plain void* to Windows, so their owners are
// declared here and engine code can hold them without <windows.h>.
#pragma once

#include <cstdint>
#include <utility>

// Traits: the handle type, its invalid value and how it is closed.
template <typename T, void (*Close)(T) noexcept>
struct TNullTraits {
    using Type = T;
    static Type Invalid() noexcept { return nullptr; }
    static void Free(Type value) noexcept { Close(value); }
};

// CreateFile and FindFirstFile fail with INVALID_HANDLE_VALUE, (void*)-1.
template <void (*Close)(void*) noexcept>
struct TInvalidValueTraits {
    using Type = void*;
    static Type Invalid() noexcept { return reinterpret_cast<void*>(static_cast<std::intptr_t>(-1)); }
    static void Free(Type value) noexcept { Close(value); }
};

template <typename Traits>
class TUniqueHandle {
public:
    using Type = typename Traits::Type;

    TUniqueHandle() noexcept = default;
    explicit TUniqueHandle(Type value) noexcept : value_(value) {}
    TUniqueHandle(const TUniqueHandle&) = delete;
    TUniqueHandle& operator=(const TUniqueHandle&) = delete;
    TUniqueHandle(TUniqueHandle&& other) noexcept : value_(other.release()) {}
    TUniqueHandle& operator=(TUniqueHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~TUniqueHandle() { reset(); }

    Type get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::Invalid(); }

    void reset(Type value = Traits::Invalid()) noexcept
    {
        if (value_ != Traits::Invalid())
            Traits::Free(value_);
        value_ = value;
    }

    Type release() noexcept { return std::exchange(value_, Traits::Invalid()); }

    // Out-parameter access: closes the old value first so nothing leaks.
    Type* put() noexcept
    {
        reset();
        return &value_;
    }

private:
    Type value_ = Traits::Invalid();
};

namespace handle_detail {
void CloseKernelObject(void* handle) noexcept;
void CloseFind(void* handle) noexcept;
void ReleaseResource(void* handle) noexcept;
} // namespace handle_detail

// Files from CreateFile.
using TFileHandle = TUniqueHandle<TInvalidValueTraits<handle_detail::CloseKernelObject>>;
// Processes, threads, events: null when they could not be made.
using TKernelHandle = TUniqueHandle<TNullTraits<void*, handle_detail::CloseKernelObject>>;
using TFindHandle = TUniqueHandle<TInvalidValueTraits<handle_detail::CloseFind>>;
using TResourceHandle = TUniqueHandle<TNullTraits<void*, handle_detail::ReleaseResource>>;
