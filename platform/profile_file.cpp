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

namespace {

// Names and values the system's functions write as they are given: no
// blanks to trim around them, nothing that reads back as another line, a
// section or a key, and names in ASCII, whose case is compared here.
bool Plain(const std::string& text, bool name)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    if (!text.empty() && (blank(text.front()) || (name && blank(text.back()))))
        return false;
    for (const char c : text)
        if (static_cast<unsigned char>(c) < ' ' ? c != '\t'
                                               : name && (c == '=' || c == '[' || c == ']' || c == ';' || c < 0))
            return false;
    return true;
}

// Whether text holds, from `at`, the name (ASCII case apart), then `end`.
bool NameAt(const std::string& text, size_t at, const std::string& name, char end)
{
    if (text.size() - at <= name.size() || text[at + name.size()] != end)
        return false;
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c; };
    for (size_t i = 0; i < name.size(); ++i)
        if (lower(text[at + i]) != lower(name[i]))
            return false;
    return true;
}

} // namespace

TProfileWriter::~TProfileWriter()
{
    file_.reset();
    FlushProfile(path_);
}

void TProfileWriter::Write(const std::string& section, const std::string& key, const std::string& value)
{
    if (!opened_) {
        opened_ = true;
        // CREATE_NEW: never into a file, or through a link, that is there.
        file_.reset(CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    if (file_ && WriteDirectly(section, key, value))
        return;
    // From here on the file is the system's to merge into.
    file_.reset();
    WriteProfileValue(path_, section, key, value);
}

// Adds the key at the end of its section, or the section at the end of the
// file; false, with nothing written, when the system's functions must do it.
bool TProfileWriter::WriteDirectly(const std::string& section, const std::string& key, const std::string& value)
{
    if (!Plain(section, true) || !Plain(key, true) || !Plain(value, false))
        return false;
    size_t at = text_.size();
    bool found = false;
    // Every line of text_ ends in a line feed.
    for (size_t line = 0; line < text_.size(); line = text_.find('\n', line) + 1) {
        if (text_[line] == '[') {
            if (found) {
                at = line;
                break;
            }
            found = NameAt(text_, line + 1, section, ']');
        } else if (found && NameAt(text_, line, key, '=')) {
            return false; // a new value for a key already written
        }
    }
    std::string added;
    if (!found)
        added.append("[").append(section).append("]\r\n");
    added.append(key).append("=").append(value).append("\r\n");
    text_.insert(at, added);
    // The offset in the OVERLAPPED: on a handle opened without the
    // overlapped flag the write starts there and completes before returning.
    OVERLAPPED place{};
    place.Offset = static_cast<DWORD>(at);
    const DWORD count = static_cast<DWORD>(text_.size() - at);
    DWORD written = 0;
    if (!WriteFile(file_.get(), text_.data() + at, count, &written, &place) || written != count) {
        text_.erase(at, added.size());
        throw EIniFileException(path_);
    }
    return true;
}
