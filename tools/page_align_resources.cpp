// Moves setup.exe's resource section, and what follows it, to the next
// 4 KB offset in the file. The image keeps the 512-byte file alignment
// Windows maps it with; Wine maps a section from the file only when it
// starts on a page and reads any other into private memory, and the
// resources, the payload among them, are nearly all of the file.
//
//   page_align_resources EXE
//
// The file is rewritten in place; one already aligned is left as it is.
// Nothing in an unsigned image refers to file offsets past the section
// table but the sections' own raw-data pointers.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t Page = 4096;

template <typename T>
T Read(const std::vector<char>& file, std::size_t at)
{
    if (at + sizeof(T) > file.size())
        throw std::runtime_error("the file ends inside its headers");
    T value;
    std::memcpy(&value, file.data() + at, sizeof(T));
    return value;
}

void Write32(std::vector<char>& file, std::size_t at, std::uint32_t value)
{
    std::memcpy(file.data() + at, &value, 4);
}

// The image checksum: 16-bit words summed with their carries, the field's
// own bytes left out, plus the file's length.
std::uint32_t Checksum(const std::vector<char>& file, std::size_t field)
{
    std::uint64_t sum = 0;
    for (std::size_t at = 0; at < file.size(); at += 2) {
        if (at >= field && at < field + 4)
            continue;
        std::uint16_t word = static_cast<unsigned char>(file[at]);
        if (at + 1 < file.size())
            word |= static_cast<std::uint16_t>(static_cast<unsigned char>(file[at + 1]) << 8);
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return static_cast<std::uint32_t>(sum + file.size());
}

void Align(std::vector<char>& file)
{
    const std::uint32_t pe = Read<std::uint32_t>(file, 0x3C);
    if (Read<std::uint32_t>(file, pe) != 0x00004550)
        throw std::runtime_error("not a PE image");
    const std::size_t coff = pe + 4, optional = coff + 20;
    const std::uint16_t sections = Read<std::uint16_t>(file, coff + 2), optionalSize = Read<std::uint16_t>(file, coff + 16);
    const std::uint16_t magic = Read<std::uint16_t>(file, optional);
    // The certificate table and the COFF symbols point into the file; a
    // signature comes after this step, and symbols are stripped.
    const std::size_t directories = optional + (magic == 0x20B ? 112 : 96);
    if (Read<std::uint32_t>(file, directories + 4 * 8) != 0 || Read<std::uint32_t>(file, coff + 8) != 0)
        throw std::runtime_error("the image has a signature or symbols");
    const std::size_t table = optional + optionalSize;
    if (table + 40 * std::size_t{sections} > file.size())
        throw std::runtime_error("the file ends inside its section table");
    std::size_t resources = 0;
    for (std::size_t i = 0; i < sections && !resources; ++i)
        if (std::memcmp(file.data() + table + 40 * i, ".rsrc\0\0\0", 8) == 0)
            resources = table + 40 * i;
    if (!resources)
        throw std::runtime_error("no .rsrc section");
    const std::uint32_t start = Read<std::uint32_t>(file, resources + 20);
    if (start > file.size())
        throw std::runtime_error("the resources lie past the end of the file");
    const std::uint32_t pad = (Page - start % Page) % Page;
    if (pad == 0)
        return;
    for (std::size_t i = 0; i < sections; ++i) {
        const std::size_t raw = table + 40 * i + 20;
        if (const std::uint32_t at = Read<std::uint32_t>(file, raw); at >= start && Read<std::uint32_t>(file, raw - 4) != 0)
            Write32(file, raw, at + pad);
    }
    file.insert(file.begin() + start, pad, '\0');
    if (Read<std::uint32_t>(file, optional + 64) != 0)
        Write32(file, optional + 64, Checksum(file, optional + 64));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: page_align_resources EXE\n");
        return 2;
    }
    try {
        std::vector<char> file;
        {
            std::ifstream in(argv[1], std::ios::binary);
            if (!in)
                throw std::runtime_error("cannot be read");
            file.assign(std::istreambuf_iterator<char>(in), {});
        }
        const std::size_t before = file.size();
        Align(file);
        if (file.size() != before) {
            std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
            if (!out.write(file.data(), static_cast<std::streamsize>(file.size())) || !out.flush())
                throw std::runtime_error("cannot be written");
        }
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "page_align_resources: %s: %s\n", argv[1], error.what());
        return 1;
    }
}
