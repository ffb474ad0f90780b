// The floor of the install phase: the build machine's own zlib inflating the
// packed payload, the same 21 streams that setup.exe carries, and writing the
// files into an empty folder; nothing else an installation does.
//
//   native_install PACKED_DIR WORK_DIR ROUNDS
//
// Prints one line of milliseconds per round for each way: "plain" (written
// and closed) and "synced" (each file also fsync'ed before it is closed, as
// a file replaced whole must be). Measures only.
#include "engine/product_manifest.h"

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct TPacked {
    std::string FileName;
    std::vector<unsigned char> Stream;
};

void InflateInto(const TPacked& packed, const fs::path& path, bool sync)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path.string());
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        throw std::runtime_error("inflateInit failed");
    zs.next_in = const_cast<Bytef*>(packed.Stream.data());
    zs.avail_in = static_cast<uInt>(packed.Stream.size());
    static unsigned char buffer[65536];
    int result = Z_OK;
    while (result != Z_STREAM_END) {
        zs.next_out = buffer;
        zs.avail_out = sizeof buffer;
        result = inflate(&zs, Z_NO_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END)
            throw std::runtime_error("damaged stream for " + packed.FileName);
        const size_t n = sizeof buffer - zs.avail_out;
        if (n && ::write(fd, buffer, n) != static_cast<ssize_t>(n))
            throw std::runtime_error("cannot write " + path.string());
    }
    inflateEnd(&zs);
    if (sync)
        ::fsync(fd);
    ::close(fd);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: native_install PACKED_DIR WORK_DIR ROUNDS\n");
        return 2;
    }
    try {
        std::vector<ProductManifest::TPayloadRow> rows(ProductManifest::PayloadTable.begin(),
                                                       ProductManifest::PayloadTable.end());
        rows.insert(rows.end(), ProductManifest::DeviceTable.begin(), ProductManifest::DeviceTable.end());
        std::vector<TPacked> payload;
        for (const auto& row : rows) {
            std::ifstream in(fs::path(argv[1]) / (std::string(row.ResourceName) + ".z"), std::ios::binary);
            if (!in)
                throw std::runtime_error(std::string("no packed stream for ") + row.FileName);
            payload.push_back({row.FileName, {std::istreambuf_iterator<char>(in), {}}});
        }
        const fs::path work = argv[2];
        const int rounds = std::max(1, std::atoi(argv[3]));
        for (const bool sync : {false, true}) {
            std::printf("%s", sync ? "synced" : "plain");
            // One round more than asked, first and not counted: the page
            // cache and the folder's blocks warm.
            for (int round = -1; round < rounds; ++round) {
                const fs::path folder = work / ("round-" + std::to_string(round + 1));
                fs::remove_all(folder);
                fs::create_directories(folder);
                const auto start = std::chrono::steady_clock::now();
                for (const TPacked& packed : payload)
                    InflateInto(packed, folder / packed.FileName, sync);
                const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
                if (round >= 0)
                    std::printf(" %.3f", took.count());
                fs::remove_all(folder);
            }
            std::printf("\n");
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "native_install: %s\n", e.what());
        return 1;
    }
    return 0;
}
