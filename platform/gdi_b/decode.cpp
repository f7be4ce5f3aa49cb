// BMP and ICO decoding; see decode.h.
#include "platform/gdi_b/decode.h"

#include <cstdlib>
#include <limits>

namespace platform::gdi {
namespace {

constexpr long long kMaxPixels = 64LL * 1024 * 1024;

struct Reader {
    const unsigned char* data;
    std::size_t size;
    bool Has(std::size_t at, std::size_t n) const { return at <= size && n <= size - at; }
    std::uint32_t U16(std::size_t at) const { return data[at] | (data[at + 1] << 8); }
    std::uint32_t U32(std::size_t at) const {
        return static_cast<std::uint32_t>(data[at]) | (static_cast<std::uint32_t>(data[at + 1]) << 8) |
               (static_cast<std::uint32_t>(data[at + 2]) << 16) |
               (static_cast<std::uint32_t>(data[at + 3]) << 24);
    }
    std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }
};

int Shift(std::uint32_t mask) {
    int s = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++s;
    }
    return s;
}

std::uint32_t Channel(std::uint32_t v, std::uint32_t mask) {
    if (!mask) return 0;
    const int s = Shift(mask);
    const std::uint32_t m = mask >> s;
    return ((v & mask) >> s) * 255 / m;
}

// The pixel rows of a device-independent bitmap: `header` is the offset of
// its BITMAPINFOHEADER, `bits` the offset of its rows (0: right after the
// palette). `rows` overrides the height (icons store twice their height).
// Sets *alphaUsed when a 32-bit image carries any alpha.
bool DecodeDib(const Reader& r, std::size_t header, std::size_t bits, int rowsOverride, Image* image,
               bool* alphaUsed, std::size_t* end) {
    if (!r.Has(header, 40)) return false;
    const std::uint32_t headerSize = r.U32(header);
    if (headerSize < 40 || !r.Has(header, headerSize)) return false;
    const std::int32_t width = r.I32(header + 4);
    std::int32_t height = r.I32(header + 8);
    const std::uint32_t planes = r.U16(header + 12);
    const std::uint32_t bpp = r.U16(header + 14);
    const std::uint32_t compression = r.U32(header + 16);
    std::uint32_t colorsUsed = r.U32(header + 32);
    if (planes != 1 || width <= 0 || height == 0 || height == std::numeric_limits<std::int32_t>::min())
        return false;
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (rowsOverride > 0) height = rowsOverride;
    if (static_cast<long long>(width) * height > kMaxPixels) return false;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return false;
    std::uint32_t masks[4] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u};
    std::size_t paletteAt = header + headerSize;
    if (compression == 3) {  // bit fields: 32-bit only
        if (bpp != 32) return false;
        if (headerSize >= 52) {
            for (int i = 0; i < 3; ++i)
                masks[i] = r.U32(header + 40 + 4 * i);
            masks[3] = headerSize >= 56 ? r.U32(header + 52) : 0;
        } else {
            if (!r.Has(paletteAt, 12)) return false;
            for (int i = 0; i < 3; ++i)
                masks[i] = r.U32(paletteAt + 4 * i);
            masks[3] = 0;
            paletteAt += 12;
        }
    } else if (compression != 0) {
        return false;
    }
    std::vector<std::uint32_t> palette;
    if (bpp <= 8) {
        if (colorsUsed == 0 || colorsUsed > (1u << bpp)) colorsUsed = 1u << bpp;
        if (!r.Has(paletteAt, static_cast<std::size_t>(colorsUsed) * 4)) return false;
        for (std::uint32_t i = 0; i < colorsUsed; ++i) {
            const std::size_t at = paletteAt + i * 4;
            palette.push_back(0xFF000000u | (r.data[at + 2] << 16) | (r.data[at + 1] << 8) | r.data[at]);
        }
        paletteAt += static_cast<std::size_t>(colorsUsed) * 4;
    }
    if (bits == 0) bits = paletteAt;
    const std::size_t stride = ((static_cast<std::size_t>(width) * bpp + 31) / 32) * 4;
    if (!r.Has(bits, stride * static_cast<std::size_t>(height))) return false;
    image->width = width;
    image->height = height;
    image->pixels.assign(static_cast<std::size_t>(width) * height, 0xFF000000u);
    bool alpha = false;
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = r.data + bits + stride * static_cast<std::size_t>(y);
        const int outY = topDown ? y : height - 1 - y;
        std::uint32_t* out = image->pixels.data() + static_cast<std::size_t>(outY) * width;
        for (int x = 0; x < width; ++x) {
            std::uint32_t p = 0;
            switch (bpp) {
                case 1:
                case 4:
                case 8: {
                    const std::size_t bit = static_cast<std::size_t>(x) * bpp;
                    const unsigned v = (row[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
                    p = v < palette.size() ? palette[v] : 0xFF000000u;
                    break;
                }
                case 24:
                    p = 0xFF000000u | (row[x * 3 + 2] << 16) | (row[x * 3 + 1] << 8) | row[x * 3];
                    break;
                default: {
                    const std::uint32_t v = static_cast<std::uint32_t>(row[x * 4]) | (row[x * 4 + 1] << 8) |
                                            (row[x * 4 + 2] << 16) |
                                            (static_cast<std::uint32_t>(row[x * 4 + 3]) << 24);
                    const std::uint32_t a = masks[3] ? Channel(v, masks[3]) : 0;
                    if (a) alpha = true;
                    p = (a << 24) | (Channel(v, masks[0]) << 16) | (Channel(v, masks[1]) << 8) |
                        Channel(v, masks[2]);
                }
            }
            out[x] = p;
        }
    }
    if (alphaUsed) *alphaUsed = alpha;
    if (end) *end = bits + stride * static_cast<std::size_t>(height);
    // Plain bitmaps are opaque whatever their unused byte holds.
    if (!alphaUsed) {
        for (auto& p : image->pixels)
            p |= 0xFF000000u;
    }
    return true;
}

}  // namespace

bool DecodeBmp(const unsigned char* data, std::size_t size, Image* image) {
    const Reader r{data, size};
    if (!data || !r.Has(0, 14 + 40) || data[0] != 'B' || data[1] != 'M') return false;
    const std::uint32_t offBits = r.U32(10);
    if (offBits < 14 + 40 || offBits >= size) return false;
    return DecodeDib(r, 14, offBits, 0, image, nullptr, nullptr);
}

bool DecodeIco(const unsigned char* data, std::size_t size, int want, Image* image) {
    const Reader r{data, size};
    if (!data || !r.Has(0, 6) || r.U16(0) != 0 || r.U16(2) != 1) return false;
    const std::uint32_t count = r.U16(4);
    if (count == 0 || !r.Has(6, static_cast<std::size_t>(count) * 16)) return false;
    // Candidates in order of preference: nearest size, then more bits.
    int best = -1;
    long bestDistance = 0;
    std::uint32_t bestBits = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t e = 6 + i * 16;
        const int w = data[e] ? data[e] : 256, h = data[e + 1] ? data[e + 1] : 256;
        const std::uint32_t bytes = r.U32(e + 8), offset = r.U32(e + 12);
        if (!r.Has(offset, bytes) || bytes < 40) continue;
        if (data[offset] == 0x89 && data[offset + 1] == 'P') continue;  // PNG
        const std::uint32_t bits = r.Has(offset, 40) ? r.U16(offset + 14) : 0;
        const long distance = std::labs(w - want) + std::labs(h - want);
        if (best < 0 || distance < bestDistance || (distance == bestDistance && bits > bestBits)) {
            best = static_cast<int>(i);
            bestDistance = distance;
            bestBits = bits;
        }
    }
    if (best < 0) return false;
    const std::size_t e = 6 + static_cast<std::size_t>(best) * 16;
    const std::uint32_t bytes = r.U32(e + 8), offset = r.U32(e + 12);
    const Reader sub{data + offset, bytes};  // the image may not read beyond its own entry
    const std::int32_t storedHeight = sub.I32(8);
    if (storedHeight <= 0) return false;
    const int height = storedHeight / 2;
    if (height <= 0) return false;
    bool alpha = false;
    std::size_t end = 0;
    if (!DecodeDib(sub, 0, 0, height, image, &alpha, &end)) return false;
    if (!alpha) {
        // The AND mask: 1 bit per pixel, bottom-up, rows padded to 32 bits; 1 is transparent.
        const std::size_t stride = ((static_cast<std::size_t>(image->width) + 31) / 32) * 4;
        const bool hasMask = sub.Has(end, stride * static_cast<std::size_t>(height));
        for (int y = 0; y < height; ++y) {
            std::uint32_t* out =
                image->pixels.data() + static_cast<std::size_t>(height - 1 - y) * image->width;
            for (int x = 0; x < image->width; ++x) {
                const bool clear = hasMask && ((sub.data[end + stride * y + x / 8] >> (7 - x % 8)) & 1);
                out[x] = clear ? 0u : (out[x] | 0xFF000000u);
            }
        }
    }
    return true;
}

}  // namespace platform::gdi
