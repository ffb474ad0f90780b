// Writes a payload of the vendor's shape: the 21 files under their installed
// names, each of the vendor's inflated size and compressing with zlib level 1
// to about the vendor's size, made of the same kind of content: x86 code with
// its data for the programs and libraries, a JPEG's structure for the
// picture, CR LF text for the notice and the device files.
//
//   make_vendor_payload OUT_DIR
//
// Deterministic: the same files on every machine and every run. A file whose
// bytes are already there is left alone, so the packer does not run again.
#include "engine/product_manifest.h"

#include <zlib.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

enum class TKind { Bin, Text, Jpeg, Ini };

struct TVendorFile {
    const char* Name;
    uint32_t Inflated;
    uint32_t Level1; // the vendor's zlib level 1 stream
    TKind Kind;
};

constexpr TVendorFile VendorFiles[] = {
    {"QOVA.exe", 2321920, 1014767, TKind::Bin},    {"QOVAsim.exe", 1352192, 656210, TKind::Bin},
    {"Uninstall.exe", 479232, 279155, TKind::Bin}, {"Copyright.txt", 269, 182, TKind::Text},
    {"qovaeng.dll", 66560, 26317, TKind::Bin},     {"qovaspa.dll", 75776, 28545, TKind::Bin},
    {"qovasup.dll", 1902592, 769664, TKind::Bin},  {"qsimeng.dll", 37888, 17176, TKind::Bin},
    {"qsimspa.dll", 41984, 18102, TKind::Bin},     {"qsimsup.dll", 1518592, 1000720, TKind::Bin},
    {"background.jpg", 63294, 57841, TKind::Jpeg}, {"bass.dll", 92216, 89754, TKind::Bin},
    {"basscd.dll", 13880, 12334, TKind::Bin},      {"20000.qdev", 838, 471, TKind::Ini},
    {"20010.qdev", 845, 477, TKind::Ini},          {"20011.qsub", 550, 322, TKind::Ini},
    {"20020.qdev", 810, 464, TKind::Ini},          {"20021.qsub", 552, 331, TKind::Ini},
    {"20030.qdev", 823, 472, TKind::Ini},          {"20040.qdev", 823, 480, TKind::Ini},
    {"20041.qsub", 550, 329, TKind::Ini},
};

using TBytes = std::vector<uint8_t>;

// splitmix64: the same sequence everywhere.
class TRandom {
public:
    explicit TRandom(uint64_t seed) : state_(seed) {}
    uint64_t Next()
    {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
    uint8_t Byte() { return static_cast<uint8_t>(Next()); }

private:
    uint64_t state_;
};

uint64_t Seed(const std::string& name)
{
    uint64_t h = 1469598103934665603ull; // FNV-1a
    for (unsigned char c : name)
        h = (h ^ c) * 1099511628211ull;
    return h;
}

uint32_t Level1Size(const TBytes& data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    TBytes packed(size);
    if (compress2(packed.data(), &size, data.data(), static_cast<uLong>(data.size()), 1) != Z_OK)
        throw std::runtime_error("zlib could not compress");
    return static_cast<uint32_t>(size);
}

void Put32(TBytes& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutText(TBytes& out, const char* text)
{
    out.insert(out.end(), text, text + std::strlen(text));
}

const char* const Words[] = {
    "device", "channel", "show", "cue", "fixture", "dimmer", "scene", "stage", "output", "input", "value",
    "preset", "colour", "position", "beam", "group", "universe", "address", "library", "profile", "simulator",
    "window", "file", "error", "cannot", "open", "save", "project", "sound", "space", "timeline", "fade",
    "intensity", "shutter", "strobe", "gobo", "prism", "focus", "zoom", "pan", "tilt", "speed", "mode",
};

// 32-bit x86 code as a compiler lays it out: functions with frames, loads
// and stores of locals, calls to earlier functions and through the import
// table, tests and short branches, padding to 16 bytes.
class TCodeWriter {
public:
    TCodeWriter(TRandom& random, uint32_t imageBase) : random_(random), base_(imageBase)
    {
        for (uint32_t i = 0; i < 48; ++i)
            constants_.push_back(i < 16 ? i * 4 : static_cast<uint32_t>(random_.Next()) & 0x00FFFFFF);
        for (uint32_t i = 0; i < 96; ++i)
            imports_.push_back(base_ + 0x9000 + i * 4);
    }

    void Function(TBytes& out)
    {
        functions_.push_back(static_cast<uint32_t>(out.size()));
        const uint8_t saved[] = {0x53, 0x56, 0x57};
        const unsigned kept = random_.Below(4);
        out.insert(out.end(), {0x55, 0x8B, 0xEC});
        const uint8_t locals = static_cast<uint8_t>(4 * (1 + random_.Below(16)));
        if (random_.Below(4))
            out.insert(out.end(), {0x83, 0xEC, locals});
        for (unsigned i = 0; i < kept; ++i)
            out.push_back(saved[i]);
        for (uint32_t n = 4 + random_.Below(40); n > 0; --n)
            Instruction(out, locals);
        for (unsigned i = kept; i > 0; --i)
            out.push_back(saved[i - 1]);
        out.insert(out.end(), {0x8B, 0xE5, 0x5D});
        if (random_.Below(3)) {
            out.push_back(0xC3);
        } else {
            out.insert(out.end(), {0xC2, static_cast<uint8_t>(4 * (1 + random_.Below(4))), 0x00});
        }
        while (out.size() % 16)
            out.push_back(0xCC);
    }

private:
    // Any register but esp.
    uint8_t Reg()
    {
        const uint8_t r = static_cast<uint8_t>(random_.Below(7));
        return r < 4 ? r : static_cast<uint8_t>(r + 1);
    }
    uint8_t Local(uint8_t locals) { return static_cast<uint8_t>(-4 * static_cast<int>(1 + random_.Below(locals / 4))); }
    uint8_t Argument() { return static_cast<uint8_t>(8 + 4 * random_.Below(5)); }
    uint32_t Constant() { return random_.Below(10) < 7 ? constants_[random_.Below(48)] : static_cast<uint32_t>(random_.Next()); }

    void Instruction(TBytes& out, uint8_t locals)
    {
        const uint32_t here = static_cast<uint32_t>(out.size());
        switch (random_.Below(14)) {
        case 0: // mov r32, [ebp+disp8]
            out.insert(out.end(), {0x8B, static_cast<uint8_t>(0x45 | Reg() << 3),
                                   random_.Below(2) ? Local(locals) : Argument()});
            break;
        case 1: // mov [ebp+disp8], r32
            out.insert(out.end(), {0x89, static_cast<uint8_t>(0x45 | Reg() << 3), Local(locals)});
            break;
        case 2: // mov r32, imm32
            out.push_back(static_cast<uint8_t>(0xB8 + Reg()));
            Put32(out, Constant());
            break;
        case 3: // push r32 / push imm32
            if (random_.Below(2)) {
                out.push_back(static_cast<uint8_t>(0x50 + Reg()));
            } else {
                out.push_back(0x68);
                Put32(out, random_.Below(2) ? base_ + 0x8000 + 4 * random_.Below(4096) : Constant());
            }
            break;
        case 4: // call rel32 to an earlier function
            if (!functions_.empty()) {
                const uint32_t target = functions_[random_.Below(static_cast<uint32_t>(functions_.size()))];
                out.push_back(0xE8);
                Put32(out, target - (here + 5));
                if (random_.Below(2))
                    out.insert(out.end(), {0x83, 0xC4, static_cast<uint8_t>(4 * (1 + random_.Below(4)))});
            }
            break;
        case 5: // call dword ptr [import]
            out.insert(out.end(), {0xFF, 0x15});
            Put32(out, imports_[random_.Below(96)]);
            break;
        case 6: // test eax, eax; jz/jnz short
            out.insert(out.end(), {0x85, 0xC0, static_cast<uint8_t>(0x74 + random_.Below(2)),
                                   static_cast<uint8_t>(2 + random_.Below(40))});
            break;
        case 7: // lea r32, [ebp+disp8]
            out.insert(out.end(), {0x8D, static_cast<uint8_t>(0x45 | Reg() << 3), Local(locals)});
            break;
        case 8: // cmp r32, imm8; jcc short
            out.insert(out.end(), {0x83, static_cast<uint8_t>(0xF8 + Reg()), static_cast<uint8_t>(random_.Below(32)),
                                   static_cast<uint8_t>(0x72 + random_.Below(14)),
                                   static_cast<uint8_t>(2 + random_.Below(60))});
            break;
        case 9: // xor r32, r32
        {
            const uint8_t r = Reg();
            out.insert(out.end(), {0x33, static_cast<uint8_t>(0xC0 | r << 3 | r)});
            break;
        }
        case 10: // mov r32, r32
            out.insert(out.end(), {0x8B, static_cast<uint8_t>(0xC0 | Reg() << 3 | Reg())});
            break;
        case 11: // mov r32, [r32+disp8]
            out.insert(out.end(), {0x8B, static_cast<uint8_t>(0x40 | Reg() << 3 | (Reg() & 3)),
                                   static_cast<uint8_t>(4 * random_.Below(24))});
            break;
        case 12: // add/sub r32, imm8
            out.insert(out.end(), {0x83, static_cast<uint8_t>((random_.Below(2) ? 0xC0 : 0xE8) + Reg()),
                                   static_cast<uint8_t>(1 + random_.Below(16))});
            break;
        default: // mov eax, [mem32] / mov [mem32], eax
            out.push_back(random_.Below(2) ? 0xA1 : 0xA3);
            Put32(out, base_ + 0xA000 + 4 * random_.Below(2048));
            break;
        }
    }

    TRandom& random_;
    uint32_t base_;
    std::vector<uint32_t> constants_, imports_, functions_;
};

// Read-only data: messages and names with their terminators, tables of
// addresses into the image, runs of zeros.
void DataBlock(TRandom& random, TBytes& out, uint32_t imageBase, size_t blockSize)
{
    const size_t end = out.size() + blockSize;
    while (out.size() < end) {
        switch (random.Below(4)) {
        case 0:
        case 1:
            for (uint32_t n = 1 + random.Below(8); n > 0; --n) {
                PutText(out, Words[random.Below(std::size(Words))]);
                out.push_back(n > 1 ? ' ' : '\0');
            }
            break;
        case 2:
            for (uint32_t n = 2 + random.Below(12); n > 0; --n)
                Put32(out, imageBase + 0x1000 + 16 * random.Below(65536));
            break;
        default:
            out.insert(out.end(), 4 * (1 + random.Below(16)), 0);
            break;
        }
    }
    out.resize(end);
}

// Packed or compressed data inside an image: next to no redundancy.
void PackedBlock(TRandom& random, TBytes& out, size_t blockSize)
{
    for (size_t i = 0; i < blockSize; ++i)
        out.push_back(random.Byte());
}

void PeHeader(TBytes& out, uint32_t imageBase, bool dll)
{
    out.assign(1024, 0);
    out[0] = 'M';
    out[1] = 'Z';
    const char stub[] = "This program cannot be run in DOS mode.\r\r\n$";
    std::memcpy(&out[0x4E], stub, sizeof stub - 1);
    out[0x3C] = 0x80;
    std::memcpy(&out[0x80], "PE\0\0", 4);
    out[0x84] = 0x4C; // i386
    out[0x85] = 0x01;
    out[0x86] = 4; // sections
    out[0x94] = 0xE0;
    out[0x96] = 0x02; // executable image
    out[0x97] = static_cast<uint8_t>(dll ? 0x21 : 0x01);
    out[0x98] = 0x0B; // PE32
    out[0x99] = 0x01;
    std::memcpy(&out[0xB4], &imageBase, 4);
    out[0xDC] = 2; // Windows GUI
    const char* const sections[] = {".text", ".rdata", ".data", ".rsrc"};
    for (int i = 0; i < 4; ++i)
        std::memcpy(&out[0x178 + 40 * i], sections[i], std::strlen(sections[i]));
}

// An image of `size` bytes: header, then 1 KB blocks of code, data or
// packed bytes. mix < 0 turns that share of the code blocks into data,
// mix > 0 into packed bytes, spread evenly through the file.
TBytes Binary(const TVendorFile& file, double mix)
{
    TRandom random(Seed(file.Name));
    const uint32_t imageBase = std::string(file.Name).ends_with(".dll") ? 0x10000000 : 0x00400000;
    TBytes out;
    PeHeader(out, imageBase, imageBase != 0x00400000);
    TCodeWriter code(random, imageBase);
    constexpr size_t Block = 1024;
    double share = 0;
    while (out.size() < file.Inflated) {
        share += std::fabs(mix);
        if (share >= 1) {
            share -= 1;
            if (mix < 0)
                DataBlock(random, out, imageBase, Block);
            else
                PackedBlock(random, out, Block);
        } else {
            const size_t end = out.size() + Block;
            while (out.size() < end)
                code.Function(out);
        }
    }
    out.resize(file.Inflated);
    return out;
}

void Marker(TBytes& out, uint8_t code, const TBytes& body)
{
    out.insert(out.end(), {0xFF, code, static_cast<uint8_t>((body.size() + 2) >> 8),
                           static_cast<uint8_t>((body.size() + 2) & 0xFF)});
    out.insert(out.end(), body.begin(), body.end());
}

// A baseline JFIF: its markers and tables, then entropy-coded data with the
// 0xFF bytes stuffed. mix is the share of the data drawn from a skewed
// alphabet, as smooth areas of a picture code to.
TBytes Jpeg(const TVendorFile& file, double mix)
{
    TRandom random(Seed(file.Name));
    TBytes out{0xFF, 0xD8};
    Marker(out, 0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 1, 0, 72, 0, 72, 0, 0});
    for (uint8_t table = 0; table < 2; ++table) {
        TBytes q{table};
        for (int i = 0; i < 64; ++i)
            q.push_back(static_cast<uint8_t>(2 + (i * (table ? 3 : 2)) / 3));
        Marker(out, 0xDB, q);
    }
    Marker(out, 0xC0, {8, 0x02, 0x58, 0x03, 0x20, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1});
    for (uint8_t table : {0x00, 0x10, 0x01, 0x11}) {
        TBytes h{table};
        for (int i = 0; i < 16; ++i)
            h.push_back(static_cast<uint8_t>(i < 8 ? 1 + i % 3 : i % 2));
        for (int i = 0; i < 24; ++i)
            h.push_back(static_cast<uint8_t>(i * 7 + table));
        Marker(out, 0xC4, h);
    }
    Marker(out, 0xDA, {3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0});
    double share = 0;
    while (out.size() + 2 < file.Inflated) {
        share += mix;
        const bool skewed = share >= 1;
        if (skewed)
            share -= 1;
        for (int i = 0; i < 512 && out.size() + 2 < file.Inflated; ++i) {
            const uint8_t b = skewed ? static_cast<uint8_t>(random.Below(24) * random.Below(8)) : random.Byte();
            out.push_back(b);
            if (b == 0xFF && out.size() + 2 < file.Inflated)
                out.push_back(0x00);
        }
    }
    out.resize(file.Inflated - 2);
    out.insert(out.end(), {0xFF, 0xD9});
    return out;
}

// CR LF text of exactly the file's size; the seed picks the words.
TBytes Notice(const TVendorFile& file, uint64_t seed)
{
    TRandom random(seed);
    std::string text = "Qovarium 1.5\r\nCopyright (c) 2004-2026 Norvane Brelkon. All rights reserved.\r\n";
    while (text.size() + 2 < file.Inflated) {
        text += Words[random.Below(std::size(Words))];
        text += random.Below(12) ? " " : ".\r\n";
    }
    text.resize(file.Inflated - 2);
    text += "\r\n";
    return {text.begin(), text.end()};
}

// An INI-style device definition of exactly the file's size: a header,
// then one section per channel with its function, range and labels.
TBytes Device(const TVendorFile& file, uint64_t seed)
{
    TRandom random(seed);
    const auto word = [&] { return std::string(Words[random.Below(std::size(Words))]); };
    const std::string id = std::string(file.Name).substr(0, 5);
    std::string text = "[Device]\r\nId=" + id + "\r\nName=" + word() + " " + word() + " " +
                       std::to_string(100 + random.Below(900)) + "\r\nManufacturer=Norvane\r\nChannels=" +
                       std::to_string(4 + random.Below(28)) + "\r\n";
    for (int channel = 1; text.size() + 2 < file.Inflated; ++channel) {
        const unsigned low = random.Below(128);
        text += "[Ch" + std::to_string(channel) + "]\r\n" + word() + "=" + std::to_string(low) + "-" +
                std::to_string(low + random.Below(128)) + "\r\nLabel=" + word() + " " + word() + "\r\n";
        if (random.Below(2))
            text += word() + "=" + std::to_string(random.Below(65536)) + "\r\n";
    }
    text.resize(file.Inflated - 2);
    text += "\r\n";
    return {text.begin(), text.end()};
}

// The mix in [lo, hi] whose level 1 size comes nearest the vendor's; the
// size grows with the mix.
template <typename Make>
TBytes Tune(const TVendorFile& file, double lo, double hi, Make make)
{
    TBytes best = make(lo);
    for (int step = 0; step < 24; ++step) {
        const double mid = (lo + hi) / 2;
        TBytes data = make(mid);
        const uint32_t size = Level1Size(data);
        if (std::labs(static_cast<long>(size) - static_cast<long>(file.Level1)) <
            std::labs(static_cast<long>(Level1Size(best)) - static_cast<long>(file.Level1)))
            best = data;
        (size < file.Level1 ? lo : hi) = mid;
    }
    return best;
}

template <typename Make>
TBytes BestSeed(const TVendorFile& file, Make make)
{
    TBytes best;
    long bestDistance = 0;
    for (uint64_t seed = Seed(file.Name); seed < Seed(file.Name) + 400; ++seed) {
        TBytes data = make(file, seed);
        const long distance = std::labs(static_cast<long>(Level1Size(data)) - static_cast<long>(file.Level1));
        if (best.empty() || distance < bestDistance) {
            best = std::move(data);
            bestDistance = distance;
        }
    }
    return best;
}

TBytes Make(const TVendorFile& file)
{
    switch (file.Kind) {
    case TKind::Bin:
        return Tune(file, -1, 1, [&](double mix) { return Binary(file, mix); });
    case TKind::Jpeg:
        return Tune(file, 1, 0, [&](double mix) { return Jpeg(file, mix); });
    case TKind::Text:
        return BestSeed(file, Notice);
    case TKind::Ini:
        return BestSeed(file, Device);
    }
    return {};
}

TBytes ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_vendor_payload OUT_DIR\n");
        return 2;
    }
    try {
        const fs::path out = argv[1];
        fs::create_directories(out);
        // Every file the manifest installs, and nothing else.
        std::vector<std::string> names;
        for (const auto& row : ProductManifest::PayloadTable)
            names.emplace_back(row.FileName);
        for (const auto& row : ProductManifest::DeviceTable)
            names.emplace_back(row.FileName);
        if (names.size() != std::size(VendorFiles))
            throw std::runtime_error("the manifest lists " + std::to_string(names.size()) + " files, not " +
                                     std::to_string(std::size(VendorFiles)));
        uint64_t inflated = 0, level1 = 0, vendorLevel1 = 0;
        std::printf("%-15s %10s %10s %10s\n", "vendor-shaped", "inflated", "level 1", "vendor's");
        for (const TVendorFile& file : VendorFiles) {
            bool listed = false;
            for (const std::string& name : names)
                listed |= name == file.Name;
            if (!listed)
                throw std::runtime_error(std::string(file.Name) + " is not in the manifest");
            const TBytes data = Make(file);
            const fs::path path = out / file.Name;
            if (!fs::exists(path) || ReadAll(path) != data) {
                std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                                            static_cast<std::streamsize>(data.size()));
                if (ReadAll(path) != data)
                    throw std::runtime_error("cannot write " + path.string());
            }
            const uint32_t size = Level1Size(data);
            inflated += data.size();
            level1 += size;
            vendorLevel1 += file.Level1;
            std::printf("%-15s %10zu %10u %10u\n", file.Name, data.size(), size, file.Level1);
        }
        std::printf("%-15s %10llu %10llu %10llu\n", "together", static_cast<unsigned long long>(inflated),
                    static_cast<unsigned long long>(level1), static_cast<unsigned long long>(vendorLevel1));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_vendor_payload: %s\n", e.what());
        return 1;
    }
    return 0;
}
