// One owning wrapper for every kind of Windows handle: the close function
// and the invalid value are parameters. Copies are deleted, moves allowed.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <utility>

// Traits: the handle type, its invalid value and how it is closed.
template <typename T, void (*Close)(T)>
struct TNullTraits {
    using Type = T;
    static Type Invalid() noexcept { return nullptr; }
    static void Free(Type value) noexcept { Close(value); }
};

template <void (*Close)(HANDLE)>
struct TInvalidValueTraits {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
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
inline void CloseKernelObject(HANDLE h) { ::CloseHandle(h); }
inline void ReleaseScreenDC(HDC dc) { ::ReleaseDC(nullptr, dc); }
inline void CloseKey(HKEY k) { ::RegCloseKey(k); }
inline void CloseFind(HANDLE h) { ::FindClose(h); }
inline void ReleaseResource(HGLOBAL g) { ::FreeResource(g); }
inline void CloseLibrary(HMODULE m) { ::FreeLibrary(m); }
inline void DestroyWnd(HWND w) { ::DestroyWindow(w); }
inline void DeleteFont(HFONT o) { ::DeleteObject(o); }
inline void DeleteBitmap(HBITMAP o) { ::DeleteObject(o); }
inline void DeleteBrush(HBRUSH o) { ::DeleteObject(o); }
inline void DestroyIco(HICON i) { ::DestroyIcon(i); }
inline void DeleteMemDC(HDC dc) { ::DeleteDC(dc); }
inline void DestroyImages(HIMAGELIST l) { ::ImageList_Destroy(l); }
} // namespace handle_detail

// CreateFile and FindFirstFile fail with INVALID_HANDLE_VALUE, most others with null.
using TFileHandle = TUniqueHandle<TInvalidValueTraits<handle_detail::CloseKernelObject>>;
// Processes, threads, events: null when they could not be made.
using TKernelHandle = TUniqueHandle<TNullTraits<HANDLE, handle_detail::CloseKernelObject>>;
using TFindHandle = TUniqueHandle<TInvalidValueTraits<handle_detail::CloseFind>>;
using TRegKey = TUniqueHandle<TNullTraits<HKEY, handle_detail::CloseKey>>;
using TResourceHandle = TUniqueHandle<TNullTraits<HGLOBAL, handle_detail::ReleaseResource>>;
using TModuleHandle = TUniqueHandle<TNullTraits<HMODULE, handle_detail::CloseLibrary>>;
using TWindowHandle = TUniqueHandle<TNullTraits<HWND, handle_detail::DestroyWnd>>;
using TFontHandle = TUniqueHandle<TNullTraits<HFONT, handle_detail::DeleteFont>>;
using TBitmapHandle = TUniqueHandle<TNullTraits<HBITMAP, handle_detail::DeleteBitmap>>;
using TBrushHandle = TUniqueHandle<TNullTraits<HBRUSH, handle_detail::DeleteBrush>>;
using TIconHandle = TUniqueHandle<TNullTraits<HICON, handle_detail::DestroyIco>>;
using TMemoryDC = TUniqueHandle<TNullTraits<HDC, handle_detail::DeleteMemDC>>;
// The whole screen's device context, from GetDC(nullptr).
using TScreenDC = TUniqueHandle<TNullTraits<HDC, handle_detail::ReleaseScreenDC>>;
using TImageListHandle = TUniqueHandle<TNullTraits<HIMAGELIST, handle_detail::DestroyImages>>;

// Owning pointer to a COM interface; put() releases the old pointer first.
template <typename I>
class TComPtr {
public:
    TComPtr() noexcept = default;
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;
    TComPtr(TComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    TComPtr& operator=(TComPtr&& other) noexcept
    {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ~TComPtr() { reset(); }

    I* get() const noexcept { return p_; }
    I* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    void reset() noexcept
    {
        if (p_)
            std::exchange(p_, nullptr)->Release();
    }
    I** put() noexcept
    {
        reset();
        return &p_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

private:
    I* p_ = nullptr;
};

// The calling thread in a single-threaded COM apartment for the object's
// life. CoUninitialize is called only when the initialisation succeeded
// (S_OK, or S_FALSE when the thread was already in one).
class TComApartment {
public:
    TComApartment() noexcept : result_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    TComApartment(const TComApartment&) = delete;
    TComApartment& operator=(const TComApartment&) = delete;
    ~TComApartment()
    {
        if (SUCCEEDED(result_))
            ::CoUninitialize();
    }

    HRESULT Result() const noexcept { return result_; }

private:
    HRESULT result_;
};
