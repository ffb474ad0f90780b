// COM: the owning interface pointer, the apartment of the calling thread,
// and creating objects and asking them for interfaces with the errors the
// installer reports when either is refused.
#pragma once

#include <objbase.h>

#include <string>
#include <utility>

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

// The program's thread in a single-threaded apartment (the shell links and
// the folder browser rely on one) from the first use of COM to the
// program's end, never left in between: leaving would unload shell
// libraries that live objects still use. COM is loaded only then. Every COM
// object of the installer is made on that thread. Returns what entering
// gave (RPC_E_CHANGED_MODE: the thread was in another kind already).
HRESULT EnterComApartment();

// CoCreateInstance, after EnterComApartment.
HRESULT CreateComInstance(const CLSID& classId, DWORD context, const IID& iid, void** result);

// The class identifier in its registry form, braces included.
std::string GuidText(const GUID& guid);

// Creates an object of the class (in-process or local server), asking for
// IUnknown. Raises "<system text>, ClassID: {...}" when that fails.
TComPtr<IUnknown> CreateComObject(const CLSID& classId);

// What the object's IPersistStream saves, in memory: the bytes its file
// would hold, for the caller to write through a handle of its own. Empty
// when the object offers no such interface or the save fails.
std::string PersistedBytes(IUnknown* object);

// Raises "Interface not supported" when the object does not offer iid.
void QueryComInterface(IUnknown* object, const IID& iid, void** result);

template <typename I>
TComPtr<I> QueryComInterface(IUnknown* object, const IID& iid)
{
    TComPtr<I> result;
    QueryComInterface(object, iid, result.put_void());
    return result;
}
