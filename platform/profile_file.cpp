#include "platform/profile_file.h"

#include "platform/errors.h"
#include "platform/file_system.h"
#include "platform/folder_security.h"
#include "platform/replacement_file.h"

#include <windows.h>

#include <algorithm>

namespace {

std::string FolderOf(const std::string& path)
{
    const auto end = path.find_last_of('\\');
    return end == std::string::npos ? std::string(".") : path.substr(0, end + 1);
}

// The bytes of the file at path itself, not of what a link there names;
// false when it is missing or such a link, or cannot be read.
bool ReadFileItself(const std::string& path, std::string& bytes, bool& missing)
{
    const TFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    missing = !file && GetLastError() == ERROR_FILE_NOT_FOUND;
    unsigned long attributes = 0;
    bool isLink = false;
    if (!file || EntryKindOf(file.get(), attributes, isLink) != ERROR_SUCCESS || isLink)
        return false;
    bytes.clear();
    char buffer[4096];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr))
            return false;
        if (got == 0)
            return true;
        bytes.append(buffer, got);
    }
}

bool WriteAll(void* file, const std::string& bytes)
{
    DWORD written = 0;
    return bytes.empty() || (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                             written == bytes.size());
}

// What the profile functions make of the file's bytes (none: no file) with
// one value written, on a copy in folder.
bool ProfileBytesAfter(std::string& bytes, bool existed, const std::string& section, const std::string& key,
                       const std::string& value, const std::string& folder)
{
    std::string scratch;
    unsigned long error = ERROR_SUCCESS;
    TFileHandle copy = CreateTemporaryFile(folder, scratch, error);
    if (!copy)
        return false;
    bool done = WriteAll(copy.get(), bytes);
    // Without a file to begin with, the functions make it themselves.
    if (!existed)
        DisposeOpenFile(copy.get());
    copy.reset();
    done = done && WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), scratch.c_str());
    // The three nulls flush what the system may keep of the file in memory.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, scratch.c_str());
    bool missing = false;
    done = done && ReadFileItself(scratch, bytes, missing);
    DeleteFileA(scratch.c_str());
    return done;
}

} // namespace

void WriteProfileValue(const std::string& path, const std::string& section, const std::string& key,
                       const std::string& value, const std::string& scratchFolder)
{
    const TUserFolder way(FolderOf(path));
    std::string bytes;
    bool missing = false;
    if (way.Error() || (!ReadFileItself(path, bytes, missing) && !missing) ||
        !ProfileBytesAfter(bytes, !missing, section, key, value, scratchFolder))
        throw EIniFileException(path);
    // In one step, so that the user's other settings are never half written.
    try {
        TReplacementFile file(path);
        file.Stream().WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
        file.Commit();
    } catch (const Exception&) {
        throw EIniFileException(path);
    }
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
