// Writes Kelvo's artwork: the board sprite sheet, the two banners and the
// program icon, into the folder named on the command line. Everything is
// drawn here from a few primitives (fill, shaded ellipse, a small pixel font)
// so the pictures can be regenerated and reviewed as code. The output files
// are committed in resources/; the program never runs this.
//
//   sheet.bmp     200 x 40, 24 bpp: eight 25 x 40 board tiles side by side
//   banner.bmp    200 x 50, 24 bpp: the main window's banner, "TQ Kelvo"
//   about.bmp     163 x 50, 24 bpp: the About box's banner
//   kelvo.ico     16, 32 and 48 pixel images of 16 colours with AND masks
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Rgb {
    int r = 0, g = 0, b = 0;
};

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kMaroon{128, 0, 0};
constexpr Rgb kFrameBlue{64, 64, 255};
constexpr Rgb kWireTop{241, 220, 151};
constexpr Rgb kWireBottom{137, 98, 27};

struct BeadColours {
    Rgb dark, body, highlight;
};
constexpr BeadColours kRed{{120, 24, 8}, {222, 72, 28}, {255, 178, 130}};
constexpr BeadColours kGold{{96, 70, 10}, {172, 136, 29}, {239, 204, 98}};

Rgb Mix(Rgb a, Rgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {static_cast<int>(std::lround(a.r + (b.r - a.r) * t)),
            static_cast<int>(std::lround(a.g + (b.g - a.g) * t)),
            static_cast<int>(std::lround(a.b + (b.b - a.b) * t))};
}

struct Image {
    int width, height;
    std::vector<Rgb> pixels;
    Image(int w, int h, Rgb fill) : width(w), height(h), pixels(static_cast<size_t>(w * h), fill) {}
    Rgb& At(int x, int y) { return pixels[static_cast<size_t>(y * width + x)]; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    void Fill(int x0, int y0, int x1, int y1, Rgb c) {  // inclusive corners
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (Inside(x, y)) At(x, y) = c;
    }
};

// A bead: an ellipse lit from the upper left, shaded from `dark` through
// `body` with a soft highlight, its rim blended into what lies below by
// 4 x 4 supersampling.
void DrawBead(Image& img, double cx, double cy, double rx, double ry, const BeadColours& c) {
    const double lx = -0.45, ly = -0.6, lz = 0.66;  // light direction, unit length
    const double len = std::sqrt(lx * lx + ly * ly + lz * lz);
    for (int y = static_cast<int>(cy - ry) - 1; y <= static_cast<int>(cy + ry) + 1; ++y) {
        for (int x = static_cast<int>(cx - rx) - 1; x <= static_cast<int>(cx + rx) + 1; ++x) {
            if (!img.Inside(x, y)) continue;
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    double u = (x + (sx + 0.5) / 4 - cx) / rx, v = (y + (sy + 0.5) / 4 - cy) / ry;
                    if (u * u + v * v <= 1.0) ++hits;
                }
            if (hits == 0) continue;
            double u = (x + 0.5 - cx) / rx, v = (y + 0.5 - cy) / ry;
            double d = std::min(1.0, u * u + v * v);
            double nz = std::sqrt(1.0 - d);
            double diffuse = std::max(0.0, (u * lx + v * ly + nz * lz) / len);
            Rgb shade = Mix(c.dark, c.body, diffuse * 1.35);
            // A small specular spot, up and to the left of the centre.
            double hx = u + 0.38, hy = v + 0.45;
            double spot = std::exp(-(hx * hx + hy * hy) * 9.0);
            shade = Mix(shade, c.highlight, spot * 1.1);
            img.At(x, y) = Mix(img.At(x, y), shade, hits / 16.0);
        }
    }
}

// --- The board tiles --------------------------------------------------------

void DrawWire(Image& img, int x0, int x1) {
    for (int y = 18; y <= 22; ++y)
        img.Fill(x0, y, x1, y, Mix(kWireTop, kWireBottom, (y - 18) / 4.0));
}

// A vertical bar ten pixels wide starting at column x0, from row 0 to y1:
// black edges, maroon between.
void VerticalBar(Image& img, int x0, int y1) {
    img.Fill(x0, 0, x0, y1, kBlack);
    img.Fill(x0 + 1, 0, x0 + 8, y1, kMaroon);
    img.Fill(x0 + 9, 0, x0 + 9, y1, kBlack);
}

Image SpriteSheet() {
    Image sheet(200, 40, kWhite);
    auto tile = [&](int k) { return 25 * k; };
    // 0 red bead and 7 gold bead: the wire runs behind the sphere.
    for (int k : {0, 7}) {
        DrawWire(sheet, tile(k), tile(k) + 24);
        DrawBead(sheet, tile(k) + 12.5, 20.5, 12.5, 13.5, k == 0 ? kRed : kGold);
    }
    // 1 bare rod.
    DrawWire(sheet, tile(1), tile(1) + 24);
    // 2 right side of the frame, 3 left side.
    sheet.Fill(tile(2), 0, tile(2) + 24, 39, kFrameBlue);
    VerticalBar(sheet, tile(2), 39);
    sheet.Fill(tile(3), 0, tile(3) + 24, 39, kFrameBlue);
    VerticalBar(sheet, tile(3) + 15, 39);
    // 4 bottom bar.
    sheet.Fill(tile(4), 0, tile(4) + 24, 39, kFrameBlue);
    sheet.Fill(tile(4), 0, tile(4) + 24, 0, kBlack);
    sheet.Fill(tile(4), 1, tile(4) + 24, 8, kMaroon);
    sheet.Fill(tile(4), 9, tile(4) + 24, 9, kBlack);
    // 5 lower end of the right side, 6 of the left side: the side bar stops
    // at row 8 and a black line closes it in row 9.
    sheet.Fill(tile(5), 0, tile(5) + 24, 39, kFrameBlue);
    VerticalBar(sheet, tile(5), 8);
    sheet.Fill(tile(5), 9, tile(5) + 9, 9, kBlack);
    sheet.Fill(tile(6), 0, tile(6) + 24, 39, kFrameBlue);
    VerticalBar(sheet, tile(6) + 15, 8);
    sheet.Fill(tile(6) + 15, 9, tile(6) + 24, 9, kBlack);
    return sheet;
}

// --- Lettering ----------------------------------------------------------------

// A 5 x 7 pixel font with just the letters of the product name.
struct Glyph {
    char ch;
    std::array<const char*, 7> rows;
};
const Glyph kFont[] = {
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"}},
    {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    {'e', {".....", ".....", ".###.", "#...#", "#####", "#....", ".###."}},
    {'l', {".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'v', {".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'o', {".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."}},
};

const Glyph* FindGlyph(char ch) {
    for (const Glyph& g : kFont)
        if (g.ch == ch) return &g;
    return nullptr;
}

int TextWidth(const std::string& text, int scale) {
    int w = 0;
    for (char ch : text)
        w += ch == ' ' ? 3 * scale : 6 * scale;
    return w - scale;
}

// Draws `text` with its top-left at (x, y), each font pixel `scale` pixels
// square, filled with a vertical gold gradient over a dark drop shadow.
void DrawText(Image& img, const std::string& text, int x, int y, int scale, int shadow) {
    for (int pass = 0; pass < 2; ++pass) {
        int pen = x;
        for (char ch : text) {
            const Glyph* g = FindGlyph(ch);
            if (g) {
                for (int row = 0; row < 7; ++row)
                    for (int col = 0; col < 5; ++col) {
                        if (g->rows[static_cast<size_t>(row)][col] != '#') continue;
                        for (int dy = 0; dy < scale; ++dy)
                            for (int dx = 0; dx < scale; ++dx) {
                                int px = pen + col * scale + dx, py = y + row * scale + dy;
                                if (pass == 0) {
                                    if (img.Inside(px + shadow, py + shadow))
                                        img.At(px + shadow, py + shadow) = Rgb{40, 0, 0};
                                } else if (img.Inside(px, py)) {
                                    double t = static_cast<double>(py - y) / (7 * scale - 1);
                                    img.At(px, py) =
                                        t < 0.45 ? Mix(kGold.highlight, kGold.body, t / 0.45)
                                                 : Mix(kGold.body, Rgb{238, 196, 80}, (t - 0.45) / 0.55);
                                }
                            }
                    }
            }
            pen += ch == ' ' ? 3 * scale : 6 * scale;
        }
    }
}

// A maroon plate with a black and gold rim, darker towards the bottom.
Image Plate(int w, int h) {
    Image img(w, h, kMaroon);
    for (int y = 0; y < h; ++y)
        img.Fill(0, y, w - 1, y, Mix(Rgb{150, 10, 10}, Rgb{80, 0, 0}, y / (h - 1.0)));
    for (int i = 0; i < 2; ++i) {
        Rgb c = i == 0 ? kBlack : kGold.body;
        img.Fill(i, i, w - 1 - i, i, c);
        img.Fill(i, h - 1 - i, w - 1 - i, h - 1 - i, c);
        img.Fill(i, i, i, h - 1 - i, c);
        img.Fill(w - 1 - i, i, w - 1 - i, h - 1 - i, c);
    }
    return img;
}

Image MainBanner() {
    Image img = Plate(200, 50);
    const std::string name = "TQ Kelvo";
    DrawText(img, name, (200 - TextWidth(name, 4)) / 2, 11, 4, 2);
    return img;
}

Image AboutBanner() {
    Image img = Plate(163, 50);
    const std::string name = "TQ Kelvo";
    DrawText(img, name, (163 - TextWidth(name, 3)) / 2, 5, 3, 1);
    // A short rod with beads under the name: four gold, a gap, four red.
    for (int x = 8; x <= 154; ++x)
        for (int y = 37; y <= 39; ++y)
            img.At(x, y) = Mix(kWireTop, kWireBottom, (y - 37) / 2.0);
    for (int i = 0; i < 8; ++i) {
        double cx = 17 + i * 14 + (i >= 4 ? 18 : 0);
        DrawBead(img, cx, 38.5, 7, 6.5, i < 4 ? kGold : kRed);
    }
    return img;
}

// --- Icon -------------------------------------------------------------------------

// The 16 colours of every icon image.
const Rgb kIconPalette[16] = {
    {0, 0, 0},       {128, 0, 0},     {64, 64, 255},   {255, 255, 255}, {172, 136, 29}, {239, 204, 98},
    {96, 70, 10},    {222, 72, 28},   {255, 178, 130}, {120, 24, 8},    {200, 170, 90}, {30, 30, 150},
    {128, 128, 128}, {192, 192, 192}, {170, 40, 40},   {60, 20, 0},
};

int NearestPaletteIndex(Rgb c) {
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < 16; ++i) {
        long dr = c.r - kIconPalette[i].r, dg = c.g - kIconPalette[i].g, db = c.b - kIconPalette[i].b;
        long d = dr * dr * 3 + dg * dg * 4 + db * db * 2;
        if (bestDistance < 0 || d < bestDistance) bestDistance = d, best = i;
    }
    return best;
}

// A small abacus: a maroon frame on blue with three rods; each rod has beads
// on both sides of its gap (two rods in the smallest size). The four corner pixels are left transparent.
Image IconPicture(int s, std::vector<bool>* transparent) {
    Image img(s, s, kFrameBlue);
    int t = std::max(2, s / 12);
    img.Fill(0, 0, s - 1, s - 1, kBlack);
    img.Fill(1, 1, s - 2, s - 2, kMaroon);
    img.Fill(t, t, s - 1 - t, s - 1 - t, kBlack);
    img.Fill(t + 1, t + 1, s - 2 - t, s - 2 - t, kFrameBlue);
    int inner = s - 2 * (t + 1);
    const int rods = s <= 16 ? 2 : 3;
    double pitch = static_cast<double>(inner) / rods;
    double beadW = inner / 12.0;  // half-width of a bead
    for (int rod = 0; rod < rods; ++rod) {
        double cy = t + 1 + pitch * (rod + 0.5);
        int wireHalf = std::max(0, s / 32);
        img.Fill(t + 1, static_cast<int>(cy) - wireHalf, s - 2 - t, static_cast<int>(cy) + wireHalf,
                 Rgb{200, 170, 90});
        int left = 3 - rod, right = 2 + rod;  // beads on each side of the gap
        for (int i = 0; i < left + right; ++i) {
            int slot = i < left ? i : i + 6 - left - right;
            double cx = t + 1 + beadW * (2 * slot + 1);
            DrawBead(img, cx, cy + 0.5, beadW, std::min(pitch * 0.4, beadW * 1.3), i < left ? kGold : kRed);
        }
    }
    transparent->assign(static_cast<size_t>(s * s), false);
    for (int corner : {0, s - 1, s * (s - 1), s * s - 1})
        (*transparent)[static_cast<size_t>(corner)] = true;
    return img;
}

// --- File writers --------------------------------------------------------------------

void Put16(std::vector<unsigned char>& out, unsigned v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}
void Put32(std::vector<unsigned char>& out, unsigned v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutInfoHeader(std::vector<unsigned char>& out, int w, int h, int bits, unsigned imageSize, int colours) {
    Put32(out, 40);
    Put32(out, static_cast<unsigned>(w));
    Put32(out, static_cast<unsigned>(h));
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(bits));
    Put32(out, 0);  // no compression
    Put32(out, imageSize);
    Put32(out, 2835);  // 72 dpi
    Put32(out, 2835);
    Put32(out, static_cast<unsigned>(colours));
    Put32(out, 0);
}

std::vector<unsigned char> Bmp24(Image& img) {
    const unsigned stride = (static_cast<unsigned>(img.width) * 3 + 3) & ~3u;
    const unsigned imageSize = stride * static_cast<unsigned>(img.height);
    std::vector<unsigned char> out;
    out.push_back('B');
    out.push_back('M');
    Put32(out, 14 + 40 + imageSize);
    Put32(out, 0);
    Put32(out, 14 + 40);
    PutInfoHeader(out, img.width, img.height, 24, imageSize, 0);
    for (int y = img.height - 1; y >= 0; --y) {  // bottom-up
        size_t start = out.size();
        for (int x = 0; x < img.width; ++x) {
            Rgb c = img.At(x, y);
            out.push_back(static_cast<unsigned char>(c.b));
            out.push_back(static_cast<unsigned char>(c.g));
            out.push_back(static_cast<unsigned char>(c.r));
        }
        while (out.size() - start < stride)
            out.push_back(0);
    }
    return out;
}

std::vector<unsigned char> IconImage4(int s) {
    std::vector<bool> transparent;
    Image img = IconPicture(s, &transparent);
    const unsigned xorStride = (static_cast<unsigned>(s) / 2 + 3) & ~3u;
    const unsigned andStride = ((static_cast<unsigned>(s) + 7) / 8 + 3) & ~3u;
    std::vector<unsigned char> out;
    // The height counts the colour image and the mask together.
    PutInfoHeader(out, s, 2 * s, 4, (xorStride + andStride) * static_cast<unsigned>(s), 16);
    for (const Rgb& c : kIconPalette) {
        out.push_back(static_cast<unsigned char>(c.b));
        out.push_back(static_cast<unsigned char>(c.g));
        out.push_back(static_cast<unsigned char>(c.r));
        out.push_back(0);
    }
    for (int y = s - 1; y >= 0; --y) {
        std::vector<unsigned char> row(xorStride, 0);
        for (int x = 0; x < s; ++x) {
            int index = transparent[static_cast<size_t>(y * s + x)] ? 0 : NearestPaletteIndex(img.At(x, y));
            row[static_cast<size_t>(x / 2)] |= static_cast<unsigned char>(x % 2 == 0 ? index << 4 : index);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = s - 1; y >= 0; --y) {
        std::vector<unsigned char> row(andStride, 0);
        for (int x = 0; x < s; ++x)
            if (transparent[static_cast<size_t>(y * s + x)])
                row[static_cast<size_t>(x / 8)] |= static_cast<unsigned char>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::vector<unsigned char> Ico() {
    const int sizes[] = {16, 32, 48};
    std::vector<std::vector<unsigned char>> images;
    for (int s : sizes)
        images.push_back(IconImage4(s));
    std::vector<unsigned char> out;
    Put16(out, 0);
    Put16(out, 1);  // icon
    Put16(out, 3);
    unsigned offset = 6 + 16 * 3;
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<unsigned char>(sizes[i]));
        out.push_back(static_cast<unsigned char>(sizes[i]));
        out.push_back(16);  // colours
        out.push_back(0);
        Put16(out, 1);  // planes
        Put16(out, 4);  // bits per pixel
        Put32(out, static_cast<unsigned>(images[i].size()));
        Put32(out, offset);
        offset += static_cast<unsigned>(images[i].size());
    }
    for (const auto& image : images)
        out.insert(out.end(), image.begin(), image.end());
    return out;
}

bool WriteFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "artgen: cannot write %s\n", path.c_str());
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) std::fprintf(stderr, "artgen: writing %s failed\n", path.c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: artgen OUTPUT_DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    Image sheet = SpriteSheet(), banner = MainBanner(), about = AboutBanner();
    bool ok = WriteFile(dir + "/sheet.bmp", Bmp24(sheet));
    ok = WriteFile(dir + "/banner.bmp", Bmp24(banner)) && ok;
    ok = WriteFile(dir + "/about.bmp", Bmp24(about)) && ok;
    ok = WriteFile(dir + "/kelvo.ico", Ico()) && ok;
    return ok ? 0 : 1;
}
