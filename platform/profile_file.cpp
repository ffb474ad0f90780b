#include "platform/profile_file.h"

#include "platform/errors.h"
#include "platform/file_system.h"

#include <windows.h>

#include <algorithm>

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

namespace {

// The blanks the system's functions trim: white space and the end-of-file
// character.
bool IsBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a';
}

std::string Trimmed(const std::string& text, bool end)
{
    size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (end && last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

bool SameName(const std::string& a, const std::string& b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

} // namespace

void TProfileWriter::Open()
{
    opened_ = true;
    // CREATE_NEW: never into a file, or through a link, that is there.
    file_.reset(CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file_)
        return;
    const DWORD error = GetLastError();
    // An old file, which its owner could not remove, is not written into:
    // what it says would stay beside what this writer writes.
    const DWORD attributes = GetFileAttributesA(path_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        RaiseCreateError(path_, ERROR_CANT_RESOLVE_FILENAME);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        RaiseCreateError(path_, error);
    throw EIniFileException(path_);
}

std::string TProfileWriter::Text() const
{
    std::string text;
    for (const TSection& section : sections_) {
        text.append("[").append(section.Name).append("]\r\n");
        for (const TKey& key : section.Keys)
            text.append(key.Name).append("=").append(key.Value).append("\r\n");
    }
    return text;
}

void TProfileWriter::Write(const std::string& section, const std::string& key, const std::string& value)
{
    if (!opened_)
        Open();
    const std::vector<TSection> before = sections_;
    const std::string sectionName = Trimmed(section, true), keyName = Trimmed(key, true);
    auto place = std::find_if(sections_.begin(), sections_.end(),
                              [&](const TSection& s) { return SameName(s.Name, sectionName); });
    if (place == sections_.end())
        place = sections_.insert(sections_.end(), TSection{sectionName, {}});
    auto entry = std::find_if(place->Keys.begin(), place->Keys.end(),
                              [&](const TKey& k) { return SameName(k.Name, keyName); });
    if (entry == place->Keys.end())
        entry = place->Keys.insert(place->Keys.end(), TKey{keyName, {}});
    entry->Value = Trimmed(value, false);

    const std::string text = Text();
    size_t at = 0;
    while (at < text.size() && at < text_.size() && text[at] == text_[at])
        ++at;
    if (at == text.size() && text.size() == text_.size())
        return;
    // The offset in the OVERLAPPED: on a handle opened without the
    // overlapped flag the write starts there and completes before returning.
    OVERLAPPED offset{};
    offset.Offset = static_cast<DWORD>(at);
    const DWORD count = static_cast<DWORD>(text.size() - at);
    DWORD written = 0;
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(text.size());
    if ((count && (!WriteFile(file_.get(), text.data() + at, count, &written, &offset) || written != count)) ||
        (text.size() < text_.size() &&
         (!SetFilePointerEx(file_.get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file_.get())))) {
        sections_ = before;
        throw EIniFileException(path_);
    }
    text_ = text;
}
