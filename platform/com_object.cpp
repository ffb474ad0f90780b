#include "platform/com_object.h"

#include "platform/errors.h"
#include "platform/win_error.h"

std::string GuidText(const GUID& guid)
{
    wchar_t wide[40];
    const int length = StringFromGUID2(guid, wide, 40);
    // The registry form is plain ASCII.
    std::string text;
    for (int i = 0; i + 1 < length; ++i)
        text += static_cast<char>(wide[i]);
    return text;
}

TComPtr<IUnknown> CreateComObject(const CLSID& classId)
{
    TComPtr<IUnknown> object;
    const HRESULT result = CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                            IID_IUnknown, object.put_void());
    if (FAILED(result))
        throw EOleSysError(SystemErrorText(static_cast<DWORD>(result)) + ", ClassID: " + GuidText(classId));
    return object;
}

void QueryComInterface(IUnknown* object, const IID& iid, void** result)
{
    *result = nullptr;
    if (FAILED(object->QueryInterface(iid, result)) || !*result) {
        *result = nullptr;
        throw EOleSysError("Interface not supported");
    }
}
