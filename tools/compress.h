// Compression for the build-time tools: one complete zlib stream per
// resource, as the installer inflates them, by zopfli when the build has
// it (smaller, slower) and by zlib at level 9 otherwise. Either way the
// result is inflated back and compared before it is used.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace HostCompress {

inline std::vector<unsigned char> ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteAll(const std::filesystem::path& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

inline std::string ShellQuote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// One complete zlib stream at level 9.
inline std::vector<unsigned char> Compressed(const std::vector<unsigned char>& data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::vector<unsigned char> packed(size);
    if (compress2(packed.data(), &size, data.data(), static_cast<uLong>(data.size()), 9) != Z_OK)
        throw std::runtime_error("zlib could not compress");
    packed.resize(size);
    return packed;
}

// Throws unless packed is one zlib stream, without a preset dictionary,
// of exactly original's bytes.
inline void Verify(const std::vector<unsigned char>& original, const std::vector<unsigned char>& packed,
                   const std::string& what)
{
    std::vector<unsigned char> out(original.size() + 1);
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        throw std::runtime_error("inflateInit failed");
    zs.next_in = const_cast<Bytef*>(packed.data());
    zs.avail_in = static_cast<uInt>(packed.size());
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    const int rc = inflate(&zs, Z_FINISH);
    const bool ok = rc == Z_STREAM_END && zs.total_out == original.size() && zs.avail_in == 0 &&
                    std::equal(original.begin(), original.end(), out.begin()) && packed.size() > 1 &&
                    (packed[1] & 0x20) == 0;
    inflateEnd(&zs);
    if (!ok)
        throw std::runtime_error("packed form does not inflate back: " + what);
}

// The file in, whose bytes are data, compressed into out; zopfli is the
// program's path, or empty for zlib.
inline void CompressFile(const std::string& zopfli, const std::vector<unsigned char>& data,
                         const std::filesystem::path& in, const std::filesystem::path& out)
{
    if (zopfli.empty()) {
        WriteAll(out, Compressed(data));
    } else {
        const std::string command = ShellQuote(zopfli) + " --zlib -c " + ShellQuote(in.string()) + " > " +
                                    ShellQuote(out.string());
        if (std::system(command.c_str()) != 0)
            throw std::runtime_error("zopfli failed on " + in.string());
    }
    Verify(data, ReadAll(out), out.string());
}

} // namespace HostCompress
