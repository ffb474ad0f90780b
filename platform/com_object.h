// Creating COM objects and asking them for interfaces, with the errors the
// installer reports when either is refused.
#pragma once

#include "platform/handle.h"

#include <string>

// The class identifier in its registry form, braces included.
std::string GuidText(const GUID& guid);

// Creates an object of the class (in-process or local server), asking for
// IUnknown. Raises "<system text>, ClassID: {...}" when that fails.
TComPtr<IUnknown> CreateComObject(const CLSID& classId);

// Raises "Interface not supported" when the object does not offer iid.
void QueryComInterface(IUnknown* object, const IID& iid, void** result);

template <typename I>
TComPtr<I> QueryComInterface(IUnknown* object, const IID& iid)
{
    TComPtr<I> result;
    QueryComInterface(object, iid, result.put_void());
    return result;
}
