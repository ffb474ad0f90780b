// Compresses every payload file the manifest lists into one complete zlib
// stream and writes the resource script that embeds them as BINARY
// resources under the upper-case form of their names.
//
//   pack_payload [--zopfli PATH] PAYLOAD_DIR OUT_DIR
//
// A file is compressed again only when it is newer than its packed form.
// Output is checked by inflating it back. Also writes OUT_DIR/payload.rc.d,
// a depfile naming every input, for the build system, and
// OUT_DIR/packed_payload.h: the inflated size of every file, with which the
// installer checks for room before it writes, and the SHA-256 of every
// resource's bytes, which the installer's image carries so that what it
// reads from its file is known to be what was built (and signed).
#include "engine/product_manifest.h"

#include <openssl/evp.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<unsigned char> ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::string ShellQuote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

void CompressWithZlib(const std::vector<unsigned char>& data, const fs::path& out)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::vector<unsigned char> packed(size);
    if (compress2(packed.data(), &size, data.data(), static_cast<uLong>(data.size()), 9) != Z_OK)
        throw std::runtime_error("zlib could not compress " + out.string());
    WriteAll(out, std::string(packed.begin(), packed.begin() + static_cast<long>(size)));
}

void CompressWithZopfli(const std::string& zopfli, const fs::path& in, const fs::path& out)
{
    const std::string command = ShellQuote(zopfli) + " --zlib -c " + ShellQuote(in.string()) + " > " +
                                ShellQuote(out.string());
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("zopfli failed on " + in.string());
}

// The packed form must be one zlib stream that inflates to the input exactly.
void Verify(const std::vector<unsigned char>& original, const fs::path& packedPath)
{
    const auto packed = ReadAll(packedPath);
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
                    std::equal(original.begin(), original.end(), out.begin()) && (packed[1] & 0x20) == 0;
    inflateEnd(&zs);
    if (!ok)
        throw std::runtime_error("packed form does not inflate back: " + packedPath.string());
}

// Rewrites a generated file only when its text changed, so that what
// depends on it is not rebuilt; the build still sees it as fresh.
void WriteIfChanged(const fs::path& path, const std::string& text)
{
    std::string old;
    if (fs::exists(path)) {
        const auto bytes = ReadAll(path);
        old.assign(bytes.begin(), bytes.end());
    }
    if (old != text)
        WriteAll(path, text);
    else
        fs::last_write_time(path, fs::file_time_type::clock::now());
}

std::string Sha256Initializer(const std::vector<unsigned char>& data)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!EVP_Digest(data.data(), data.size(), digest, &length, EVP_sha256(), nullptr) || length != 32)
        throw std::runtime_error("SHA-256 failed");
    std::ostringstream text;
    text << "{{";
    for (unsigned int i = 0; i < length; ++i)
        text << (i ? ", " : "") << "0x" << std::hex << static_cast<int>(digest[i]);
    return text.str() + "}}";
}

std::string Upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

std::string RcString(const std::string& path)
{
    std::string s;
    for (char c : path)
        s += c == '\\' ? std::string("\\\\") : c == '"' ? std::string("\"\"") : std::string(1, c);
    return s;
}

std::string DepfileEscape(const std::string& path)
{
    std::string s;
    for (char c : path) {
        if (c == ' ' || c == '#' || c == '\\')
            s += '\\';
        if (c == '$')
            s += '$';
        s += c;
    }
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    std::string zopfli;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--zopfli" && i + 1 < argc)
            zopfli = argv[++i];
        else
            args.emplace_back(argv[i]);
    }
    if (args.size() != 2) {
        std::cerr << "usage: pack_payload [--zopfli PATH] PAYLOAD_DIR OUT_DIR\n";
        return 2;
    }
    const fs::path payloadDir = fs::absolute(args[0]);
    const fs::path outDir = fs::absolute(args[1]);

    try {
        fs::create_directories(outDir);
        std::vector<ProductManifest::TPayloadRow> rows(ProductManifest::PayloadTable.begin(),
                                                       ProductManifest::PayloadTable.end());
        rows.insert(rows.end(), ProductManifest::DeviceTable.begin(), ProductManifest::DeviceTable.end());

        std::ostringstream rc;
        std::ostringstream dep;
        std::vector<std::string> sizes, digests;
        rc << "// Generated by pack_payload from the product manifest: do not edit.\n";
        dep << DepfileEscape((outDir / "payload.rc").string()) << ":";
        for (const auto& row : rows) {
            const fs::path in = payloadDir / row.FileName;
            const fs::path out = outDir / (std::string(row.ResourceName) + ".z");
            if (!fs::exists(in))
                throw std::runtime_error("payload file missing: " + in.string());
            // The installer's streams count in signed 32 bits.
            const auto size = fs::file_size(in);
            if (size > static_cast<uintmax_t>(std::numeric_limits<int32_t>::max()))
                throw std::runtime_error(in.string() + ": " + std::to_string(size) +
                                         " bytes, more than the 2147483647 the installer can unpack");
            const bool fresh = fs::exists(out) && fs::last_write_time(out) >= fs::last_write_time(in);
            const auto data = ReadAll(in);
            if (!fresh) {
                const fs::path tmp = out.string() + ".tmp";
                if (zopfli.empty())
                    CompressWithZlib(data, tmp);
                else
                    CompressWithZopfli(zopfli, in, tmp);
                Verify(data, tmp);
                fs::rename(tmp, out);
            }
            rc << Upper(row.ResourceName) << " BINARY \"" << RcString(out.generic_string()) << "\"\n";
            dep << " \\\n  " << DepfileEscape(in.string());
            sizes.push_back(std::to_string(size));
            digests.push_back(Sha256Initializer(ReadAll(out)));
        }
        dep << "\n";

        // Payload rows first, then the devices, as in rows above.
        const auto table = [&](const std::vector<std::string>& items, std::size_t from, std::size_t count) {
            std::string text;
            for (std::size_t i = from; i < from + count; ++i)
                text += (i > from ? ",\n    " : "\n    ") + items[i];
            return text + "\n";
        };
        const std::size_t payloads = ProductManifest::PayloadTable.size();
        const std::size_t devices = ProductManifest::DeviceTable.size();
        std::ostringstream header;
        header << "// Generated by pack_payload from the product manifest: do not edit.\n"
               << "#pragma once\n\n#include \"engine/product_manifest.h\"\n\n#include <array>\n#include <cstdint>\n\n"
               << "// Inflated bytes of each row, in table order.\n"
               << "inline constexpr std::array<uint32_t, ProductManifest::PayloadTable.size()> PayloadInflatedSizes{{"
               << table(sizes, 0, payloads) << "}};\n"
               << "inline constexpr std::array<uint32_t, ProductManifest::DeviceTable.size()> DeviceInflatedSizes{{"
               << table(sizes, payloads, devices) << "}};\n\n"
               << "// SHA-256 of each row's resource bytes, in table order.\n"
               << "using TPackedDigest = std::array<uint8_t, 32>;\n"
               << "inline constexpr std::array<TPackedDigest, ProductManifest::PayloadTable.size()> PayloadDigests{{"
               << table(digests, 0, payloads) << "}};\n"
               << "inline constexpr std::array<TPackedDigest, ProductManifest::DeviceTable.size()> DeviceDigests{{"
               << table(digests, payloads, devices) << "}};\n";

        WriteIfChanged(outDir / "payload.rc", rc.str());
        WriteIfChanged(outDir / "packed_payload.h", header.str());
        WriteAll(outDir / "payload.rc.d", dep.str());
    } catch (const std::exception& e) {
        std::cerr << "pack_payload: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
