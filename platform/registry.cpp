#include "platform/registry.h"

#include "platform/errors.h"

#include <vector>

namespace {

std::string WithoutLeadingBackslash(const std::string& path)
{
    return !path.empty() && path.front() == '\\' ? path.substr(1) : path;
}

} // namespace

TRegKey OpenRegKey(HKEY root, const std::string& path, REGSAM access)
{
    TRegKey key;
    if (RegOpenKeyExA(root, WithoutLeadingBackslash(path).c_str(), 0, access, key.put()) != ERROR_SUCCESS)
        key.release();
    return key;
}

TRegKey CreateRegKey(HKEY root, const std::string& path, REGSAM access)
{
    TRegKey key;
    if (RegCreateKeyExA(root, WithoutLeadingBackslash(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                        nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        key.release();
    return key;
}

TRegValueInfo QueryRegValueInfo(HKEY key, const std::string& name)
{
    TRegValueInfo info;
    info.Exists = RegQueryValueExA(key, name.c_str(), nullptr, &info.Type, nullptr, &info.Size) == ERROR_SUCCESS;
    return info;
}

std::string ReadRegString(HKEY key, const std::string& name)
{
    const TRegValueInfo info = QueryRegValueInfo(key, name);
    if (!info.Exists || info.Size == 0)
        return {};
    if (info.Type != REG_SZ && info.Type != REG_EXPAND_SZ)
        throw ERegistryException("Invalid data type for '" + name + "'");
    std::vector<char> data(info.Size + 1, '\0');
    DWORD type = 0;
    DWORD size = info.Size;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return {};
    return std::string(data.data());
}

void WriteRegString(HKEY key, const std::string& name, const std::string& value)
{
    if (RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS)
        throw ERegistryException("Failed to set data for '" + name + "'");
}

void WriteRegDword(HKEY key, const std::string& name, DWORD value)
{
    if (RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) !=
        ERROR_SUCCESS)
        throw ERegistryException("Failed to set data for '" + name + "'");
}
