// Draws the wizard's artwork and writes it in the formats the resource
// compiler takes: the program icon (48, 32 and 16 pixels at 32 bits per
// pixel), the two 32 x 32 application icons at 24 bits per pixel,
// and the button glyphs as 24-bit bitmaps on magenta. Each picture is drawn
// again, from its shapes and never resampled, for 125, 150 and 200 % display
// scale (and the program icon at the class icons' sizes for each). The
// pictures of one scale are written as one bundle, compressed as one zlib
// stream (the pictures share much, so together they take a quarter less
// than one by one), with scaled.rc embedding each as type ARTWORK under
// "ARTWORK_" and the scale. In a bundle each picture is its name, a zero
// byte, its length in 4 bytes (little-endian) and its bytes. Pure
// arithmetic, no randomness: the same sources give the same bytes.
//
//   make_artwork [--zopfli PATH] OUT_DIR
#include "tools/compress.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct TColour {
    double r, g, b;
};

TColour Mix(TColour a, TColour b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// One shape of a picture in unit coordinates (0..1 across, y downwards).
struct TShape {
    std::function<bool(double, double)> inside;
    std::function<TColour(double, double)> colour;
};

using TScene = std::vector<TShape>; // back to front

std::function<TColour(double, double)> Solid(TColour c)
{
    return [c](double, double) { return c; };
}

std::function<TColour(double, double)> Vertical(TColour top, TColour bottom, double y0, double y1)
{
    return [=](double, double y) { return Mix(top, bottom, std::clamp((y - y0) / (y1 - y0), 0.0, 1.0)); };
}

std::function<bool(double, double)> Rect(double x0, double y0, double x1, double y1)
{
    return [=](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; };
}

std::function<bool(double, double)> RoundRect(double x0, double y0, double x1, double y1, double r)
{
    return [=](double x, double y) {
        if (x < x0 || x >= x1 || y < y0 || y >= y1)
            return false;
        const double cx = std::clamp(x, x0 + r, x1 - r), cy = std::clamp(y, y0 + r, y1 - r);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
    };
}

std::function<bool(double, double)> Disc(double cx, double cy, double r)
{
    return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}

struct TPoint {
    double x, y;
};

std::function<bool(double, double)> Polygon(std::vector<TPoint> points)
{
    return [points](double x, double y) {
        bool in = false;
        for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            const TPoint& a = points[i];
            const TPoint& b = points[j];
            if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
                in = !in;
        }
        return in;
    };
}

// A stroke of the given width between two points, with round ends.
std::function<bool(double, double)> Stroke(TPoint a, TPoint b, double width)
{
    return [=](double x, double y) {
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double t = std::clamp(((x - a.x) * dx + (y - a.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        const double px = a.x + t * dx - x, py = a.y + t * dy - y;
        return px * px + py * py <= width * width / 4;
    };
}

std::vector<TPoint> StarPoints(double cx, double cy, double outer, double inner)
{
    std::vector<TPoint> points;
    const double pi = 3.14159265358979323846;
    for (int i = 0; i < 10; ++i) {
        const double angle = -pi / 2 + i * pi / 5;
        const double r = i % 2 ? inner : outer;
        points.push_back({cx + r * std::cos(angle), cy + r * std::sin(angle)});
    }
    return points;
}

// Straight (not premultiplied) colour with coverage 0..1.
struct TPixel {
    TColour c;
    double a;
};

using TImage = std::vector<TPixel>; // size * size, rows top down

TImage Render(const TScene& scene, int width, int height)
{
    constexpr int samples = 6;
    TImage image(static_cast<size_t>(width) * height);
    for (int py = 0; py < height; ++py) {
        for (int px = 0; px < width; ++px) {
            TColour sum{0, 0, 0};
            int covered = 0;
            for (int sy = 0; sy < samples; ++sy) {
                for (int sx = 0; sx < samples; ++sx) {
                    const double x = (px + (sx + 0.5) / samples) / width;
                    const double y = (py + (sy + 0.5) / samples) / height;
                    for (auto shape = scene.rbegin(); shape != scene.rend(); ++shape) {
                        if (shape->inside(x, y)) {
                            const TColour c = shape->colour(x, y);
                            sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                            ++covered;
                            break;
                        }
                    }
                }
            }
            TPixel& out = image[static_cast<size_t>(py) * width + px];
            out.a = static_cast<double>(covered) / (samples * samples);
            out.c = covered ? TColour{sum.r / covered, sum.g / covered, sum.b / covered} : TColour{0, 0, 0};
        }
    }
    return image;
}

uint8_t Byte(double v)
{
    return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

// ---- The pictures ----

const TColour White{255, 255, 255};

void AddMonitor(TScene& scene)
{
    scene.push_back({RoundRect(0.04, 0.08, 0.96, 0.72, 0.07), Solid({58, 62, 72})});
    scene.push_back({Rect(0.10, 0.14, 0.90, 0.66), Vertical({60, 130, 230}, {12, 44, 128}, 0.14, 0.66)});
    scene.push_back({Polygon({{0.42, 0.72}, {0.58, 0.72}, {0.62, 0.85}, {0.38, 0.85}}), Solid({92, 96, 106})});
    scene.push_back({RoundRect(0.22, 0.84, 0.78, 0.93, 0.03), Solid({70, 74, 84})});
}

// The main application: a screen with a star and a loudspeaker.
TScene ProgramPicture()
{
    TScene scene;
    AddMonitor(scene);
    scene.push_back({Polygon(StarPoints(0.34, 0.41, 0.21, 0.09)), Solid({255, 214, 40})});
    const TColour speaker{232, 232, 238};
    scene.push_back({Rect(0.58, 0.34, 0.66, 0.50), Solid(speaker)});
    scene.push_back({Polygon({{0.655, 0.34}, {0.80, 0.23}, {0.80, 0.61}, {0.655, 0.50}}), Solid(speaker)});
    return scene;
}

// The simulator: a screen with a star and a coloured spectrum.
TScene SimulatorPicture()
{
    TScene scene;
    AddMonitor(scene);
    scene.push_back({Polygon(StarPoints(0.30, 0.37, 0.17, 0.075)), Solid({255, 214, 40})});
    const std::array<TColour, 6> colours{{{230, 40, 40}, {255, 140, 0}, {250, 230, 30}, {40, 200, 60},
                                          {30, 200, 230}, {170, 80, 230}}};
    const std::array<double, 6> heights{0.16, 0.30, 0.42, 0.26, 0.36, 0.20};
    for (int i = 0; i < 6; ++i) {
        const double x0 = 0.52 + i * 0.06;
        scene.push_back({Rect(x0, 0.62 - heights[i], x0 + 0.045, 0.62), Solid(colours[i])});
    }
    return scene;
}

struct TDiscColours {
    TColour rim, top, bottom, mark;
};

const TDiscColours Green{{0, 96, 0}, {96, 210, 96}, {0, 140, 0}, White};
const TDiscColours Grey{{120, 120, 120}, {200, 200, 200}, {150, 150, 150}, {240, 240, 240}};

void AddDisc(TScene& scene, const TDiscColours& colours)
{
    scene.push_back({Disc(0.5, 0.5, 0.47), Solid(colours.rim)});
    scene.push_back({Disc(0.5, 0.5, 0.41), Vertical(colours.top, colours.bottom, 0.1, 0.9)});
}

TScene ArrowPicture(const TDiscColours& colours, bool right)
{
    TScene scene;
    AddDisc(scene, colours);
    auto flip = [right](double x) { return right ? x : 1.0 - x; };
    std::vector<TPoint> arrow{{flip(0.24), 0.42}, {flip(0.52), 0.42}, {flip(0.52), 0.27}, {flip(0.78), 0.50},
                              {flip(0.52), 0.73}, {flip(0.52), 0.58}, {flip(0.24), 0.58}};
    scene.push_back({Polygon(arrow), Solid(colours.mark)});
    return scene;
}

TScene CrossPicture()
{
    TScene scene;
    AddDisc(scene, Green);
    scene.push_back({Stroke({0.33, 0.33}, {0.67, 0.67}, 0.15), Solid(White)});
    scene.push_back({Stroke({0.67, 0.33}, {0.33, 0.67}, 0.15), Solid(White)});
    return scene;
}

TScene FolderPicture()
{
    TScene scene;
    const TColour edge{160, 120, 20};
    scene.push_back({Polygon({{0.03, 0.16}, {0.40, 0.16}, {0.48, 0.27}, {0.97, 0.27}, {0.97, 0.88}, {0.03, 0.88}}),
                     Solid(edge)});
    scene.push_back({Polygon({{0.10, 0.23}, {0.37, 0.23}, {0.44, 0.34}, {0.90, 0.34}, {0.90, 0.81}, {0.10, 0.81}}),
                     Vertical({255, 226, 110}, {236, 184, 40}, 0.2, 0.8)});
    scene.push_back({Rect(0.10, 0.34, 0.90, 0.40), Solid({255, 240, 170})});
    return scene;
}

// ---- Writers ----

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

using HostCompress::Compressed;
using HostCompress::WriteAll;

size_t RowBytes(int width, int bits)
{
    return ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
}

// BITMAPINFOHEADER
void PutInfoHeader(std::vector<uint8_t>& out, int width, int height, int bits, uint32_t imageSize, uint32_t colours)
{
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(width));
    Put32(out, static_cast<uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(bits));
    Put32(out, 0); // BI_RGB
    Put32(out, imageSize);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, colours);
    Put32(out, 0);
}

// A glyph strip: images side by side on magenta, the bottom-left pixel
// being the transparent colour. Edges are blended into a light grey, not
// into magenta, so no pink fringe shows.
std::vector<uint8_t> GlyphBitmap(const std::vector<TImage>& images, int size)
{
    const TColour matte{224, 224, 224};
    const int width = size * static_cast<int>(images.size());
    const size_t row = RowBytes(width, 24);
    std::vector<uint8_t> pixels(row * size);
    for (int y = 0; y < size; ++y) {
        uint8_t* line = &pixels[row * (size - 1 - y)];
        for (int x = 0; x < width; ++x) {
            const TPixel& p = images[static_cast<size_t>(x / size)][static_cast<size_t>(y) * size + x % size];
            TColour c{255, 0, 255};
            if (p.a >= 0.5)
                c = Mix(matte, p.c, p.a);
            line[x * 3 + 0] = Byte(c.b);
            line[x * 3 + 1] = Byte(c.g);
            line[x * 3 + 2] = Byte(c.r);
        }
    }
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, static_cast<uint32_t>(14 + 40 + pixels.size()));
    Put32(out, 0);
    Put32(out, 14 + 40);
    PutInfoHeader(out, width, size, 24, static_cast<uint32_t>(pixels.size()), 0);
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

// One icon image (BITMAPINFOHEADER, colour bits, AND mask) at 24 or 32 bits.
std::vector<uint8_t> IconImage(const TImage& image, int size, int bits)
{
    const TColour matte{220, 220, 220};
    const size_t colourRow = RowBytes(size, bits);
    const size_t maskRow = RowBytes(size, 1);
    std::vector<uint8_t> colour(colourRow * size), mask(maskRow * size);
    for (int y = 0; y < size; ++y) {
        uint8_t* line = &colour[colourRow * (size - 1 - y)];
        uint8_t* maskLine = &mask[maskRow * (size - 1 - y)];
        for (int x = 0; x < size; ++x) {
            const TPixel& p = image[static_cast<size_t>(y) * size + x];
            const bool opaque = bits == 32 ? p.a > 0 : p.a >= 0.5;
            if (!opaque)
                maskLine[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            if (bits == 32) {
                line[x * 4 + 0] = Byte(p.c.b);
                line[x * 4 + 1] = Byte(p.c.g);
                line[x * 4 + 2] = Byte(p.c.r);
                line[x * 4 + 3] = Byte(p.a * 255);
                continue;
            }
            const TColour c = opaque ? Mix(matte, p.c, p.a) : TColour{0, 0, 0};
            line[x * 3 + 0] = Byte(c.b);
            line[x * 3 + 1] = Byte(c.g);
            line[x * 3 + 2] = Byte(c.r);
        }
    }
    std::vector<uint8_t> out;
    PutInfoHeader(out, size, size * 2, bits, static_cast<uint32_t>(colour.size() + mask.size()), 0);
    out.insert(out.end(), colour.begin(), colour.end());
    out.insert(out.end(), mask.begin(), mask.end());
    return out;
}

struct TIconEntry {
    int size;
    int bits;
    std::vector<uint8_t> data;
};

std::vector<uint8_t> IconFile(const std::vector<TIconEntry>& entries)
{
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(entries.size()));
    uint32_t offset = static_cast<uint32_t>(6 + 16 * entries.size());
    for (const TIconEntry& e : entries) {
        out.push_back(static_cast<uint8_t>(e.size));
        out.push_back(static_cast<uint8_t>(e.size));
        out.push_back(static_cast<uint8_t>(e.bits == 4 ? 16 : 0));
        out.push_back(0);
        Put16(out, 1);
        Put16(out, static_cast<uint32_t>(e.bits));
        Put32(out, static_cast<uint32_t>(e.data.size()));
        Put32(out, offset);
        offset += static_cast<uint32_t>(e.data.size());
    }
    for (const TIconEntry& e : entries)
        out.insert(out.end(), e.data.begin(), e.data.end());
    return out;
}

void PutBigEndian32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutPngChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data)
{
    PutBigEndian32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian32(out, static_cast<uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

// A 32-bit icon image as PNG, which icons may hold since Windows Vista: a
// fraction of the plain image's bytes. Each row is filtered with whichever
// of None, Sub, Up and Average leaves the smallest sum.
std::vector<uint8_t> PngImage(const TImage& image, int size)
{
    const size_t row = static_cast<size_t>(size) * 4;
    std::vector<uint8_t> raw(row * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const TPixel& p = image[static_cast<size_t>(y) * size + x];
            uint8_t* out = &raw[row * y + static_cast<size_t>(x) * 4];
            out[0] = Byte(p.c.r);
            out[1] = Byte(p.c.g);
            out[2] = Byte(p.c.b);
            out[3] = Byte(p.a * 255);
        }
    std::vector<uint8_t> filtered;
    std::vector<uint8_t> candidate(row);
    for (int y = 0; y < size; ++y) {
        const uint8_t* line = &raw[row * y];
        const uint8_t* above = y > 0 ? &raw[row * (y - 1)] : nullptr;
        std::vector<uint8_t> best;
        uint64_t bestSum = ~uint64_t{0};
        for (uint8_t filter = 0; filter < 4; ++filter) {
            uint64_t sum = 0;
            for (size_t i = 0; i < row; ++i) {
                const int left = i >= 4 ? line[i - 4] : 0, up = above ? above[i] : 0;
                const int predicted = filter == 0 ? 0 : filter == 1 ? left : filter == 2 ? up : (left + up) / 2;
                candidate[i] = static_cast<uint8_t>(line[i] - predicted);
                sum += static_cast<uint8_t>(candidate[i]) < 128 ? candidate[i] : 256 - candidate[i];
            }
            if (sum < bestSum) {
                bestSum = sum;
                best.assign(1, filter);
                best.insert(best.end(), candidate.begin(), candidate.end());
            }
        }
        filtered.insert(filtered.end(), best.begin(), best.end());
    }
    std::vector<uint8_t> header;
    PutBigEndian32(header, static_cast<uint32_t>(size));
    PutBigEndian32(header, static_cast<uint32_t>(size));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits a channel, RGBA
    std::vector<uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutPngChunk(out, "IHDR", header);
    PutPngChunk(out, "IDAT", Compressed(filtered));
    PutPngChunk(out, "IEND", {});
    return out;
}


} // namespace

int main(int argc, char** argv)
{
    std::string zopfli;
    if (argc == 4 && std::string(argv[1]) == "--zopfli")
        zopfli = argv[2];
    else if (argc != 2) {
        std::cerr << "usage: make_artwork [--zopfli PATH] OUT_DIR\n";
        return 2;
    }
    try {
        const fs::path out = argv[argc - 1];
        fs::create_directories(out);

        std::vector<TIconEntry> mainIcon;
        for (int size : {48, 32, 16}) {
            const TImage image = Render(ProgramPicture(), size, size);
            // 32 bits only: every display since Windows 7 shows them, and
            // the system converts them for one that has fewer colours.
            mainIcon.push_back({size, 32, PngImage(image, size)});
        }
        WriteAll(out / "mainicon.ico", IconFile(mainIcon));
        std::string script = "// Written by make_artwork: the window's pictures at every display scale.\n";
        for (int scale : {100, 125, 150, 200}) {
            std::vector<uint8_t> bundle;
            const auto add = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
                bundle.insert(bundle.end(), name.begin(), name.end());
                bundle.push_back(0);
                Put32(bundle, static_cast<uint32_t>(bytes.size()));
                bundle.insert(bundle.end(), bytes.begin(), bytes.end());
            };
            const auto scaled = [scale](int size) { return size * scale / 100; };
            const int app = scaled(32), glyph = scaled(24), folder = scaled(16);
            // The class icons at 100 % are MAINICON's own.
            if (scale != 100) {
                std::vector<TIconEntry> classIcons;
                for (int size : {scaled(32), scaled(16)})
                    classIcons.push_back({size, 32, IconImage(Render(ProgramPicture(), size, size), size, 32)});
                add("MAINICON", IconFile(classIcons));
            }
            add("QOVAICON", IconFile({{app, 24, IconImage(Render(ProgramPicture(), app, app), app, 24)}}));
            add("QOVASIMICON", IconFile({{app, 24, IconImage(Render(SimulatorPicture(), app, app), app, 24)}}));
            add("GLYPH_CONTINUE", GlyphBitmap({Render(ArrowPicture(Green, true), glyph, glyph),
                                               Render(ArrowPicture(Grey, true), glyph, glyph)},
                                              glyph));
            add("GLYPH_BACK", GlyphBitmap({Render(ArrowPicture(Green, false), glyph, glyph),
                                           Render(ArrowPicture(Grey, false), glyph, glyph)},
                                          glyph));
            add("GLYPH_EXIT", GlyphBitmap({Render(CrossPicture(), glyph, glyph)}, glyph));
            add("GLYPH_FOLDER", GlyphBitmap({Render(FolderPicture(), folder, folder)}, folder));
            const std::string name = "artwork_" + std::to_string(scale);
            WriteAll(out / (name + ".bin"), bundle);
            HostCompress::CompressFile(zopfli, bundle, out / (name + ".bin"), out / (name + ".z"));
            script += "ARTWORK_" + std::to_string(scale) + " ARTWORK \"" + name + ".z\"\n";
        }
        WriteAll(out / "scaled.rc", std::vector<uint8_t>(script.begin(), script.end()));
    } catch (const std::exception& e) {
        std::cerr << "make_artwork: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
