#include "platform/com_object.h"

#include "platform/dll_search.h"
#include "platform/errors.h"
#include "platform/win_error.h"

namespace {

template <typename F>
F Ole32(const char* name)
{
    return SystemFunction<F>("ole32.dll", name);
}

// CoUninitialize only when the initialisation succeeded (S_OK, or S_FALSE
// when the thread was already in one).
class TComApartment {
public:
    TComApartment()
    {
        static const auto initialize = Ole32<decltype(&::CoInitializeEx)>("CoInitializeEx");
        result_ = initialize(nullptr, COINIT_APARTMENTTHREADED);
    }
    TComApartment(const TComApartment&) = delete;
    TComApartment& operator=(const TComApartment&) = delete;
    ~TComApartment()
    {
        static const auto uninitialize = Ole32<decltype(&::CoUninitialize)>("CoUninitialize");
        if (SUCCEEDED(result_))
            uninitialize();
    }

    HRESULT Result() const noexcept { return result_; }

private:
    HRESULT result_;
};

} // namespace

HRESULT EnterComApartment()
{
    static const TComApartment apartment;
    return apartment.Result();
}

HRESULT CreateComInstance(const CLSID& classId, DWORD context, const IID& iid, void** result)
{
    EnterComApartment();
    static const auto create = Ole32<decltype(&::CoCreateInstance)>("CoCreateInstance");
    return create(classId, nullptr, context, iid, result);
}

std::string GuidText(const GUID& guid)
{
    static const auto guidText = Ole32<decltype(&::StringFromGUID2)>("StringFromGUID2");
    wchar_t wide[40];
    const int length = guidText(guid, wide, 40);
    // The registry form is plain ASCII.
    std::string text;
    for (int i = 0; i + 1 < length; ++i)
        text += static_cast<char>(wide[i]);
    return text;
}

TComPtr<IUnknown> CreateComObject(const CLSID& classId)
{
    TComPtr<IUnknown> object;
    const HRESULT result =
        CreateComInstance(classId, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown, object.put_void());
    if (FAILED(result))
        throw EOleSysError(SystemErrorText(static_cast<DWORD>(result)) + ", ClassID: " + GuidText(classId));
    return object;
}

std::string PersistedBytes(IUnknown* object)
{
    TComPtr<IPersistStream> persist;
    if (FAILED(object->QueryInterface(IID_IPersistStream, persist.put_void())) || !persist)
        return {};
    static const auto createStream = Ole32<decltype(&::CreateStreamOnHGlobal)>("CreateStreamOnHGlobal");
    static const auto memoryOf = Ole32<decltype(&::GetHGlobalFromStream)>("GetHGlobalFromStream");
    TComPtr<IStream> stream;
    if (FAILED(createStream(nullptr, TRUE, stream.put())) || !stream || FAILED(persist->Save(stream.get(), TRUE)))
        return {};
    // The stream started empty, so where the save left it is its length.
    ULARGE_INTEGER length{};
    HGLOBAL memory = nullptr;
    if (FAILED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &length)) || FAILED(memoryOf(stream.get(), &memory)))
        return {};
    const void* bytes = GlobalLock(memory);
    if (!bytes)
        return {};
    std::string result(static_cast<const char*>(bytes), static_cast<size_t>(length.QuadPart));
    GlobalUnlock(memory);
    return result;
}

void QueryComInterface(IUnknown* object, const IID& iid, void** result)
{
    *result = nullptr;
    if (FAILED(object->QueryInterface(iid, result)) || !*result) {
        *result = nullptr;
        throw EOleSysError("Interface not supported");
    }
}
