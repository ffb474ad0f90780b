#include "platform/profile_file.h"

#include "platform/errors.h"

#include <windows.h>

void WriteProfileValue(const std::string& path, const std::string& section, const std::string& key,
                       const std::string& value)
{
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()))
        throw EIniFileException(path);
}

std::string ReadProfileValue(const std::string& path, const std::string& section, const std::string& key,
                             const std::string& defaultValue, unsigned bufferSize)
{
    std::string buffer(bufferSize, '\0');
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                                             bufferSize, path.c_str());
    buffer.resize(n);
    return buffer;
}

std::vector<std::string> ReadProfileKeys(const std::string& path, const std::string& section, unsigned bufferSize)
{
    std::string buffer(bufferSize, '\0');
    const DWORD n =
        GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer.data(), bufferSize, path.c_str());
    std::vector<std::string> keys;
    for (size_t start = 0; start < n;) {
        const size_t end = buffer.find('\0', start);
        if (end == start || end == std::string::npos)
            break;
        keys.push_back(buffer.substr(start, end - start));
        start = end + 1;
    }
    return keys;
}

void FlushProfile(const std::string& path)
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}
