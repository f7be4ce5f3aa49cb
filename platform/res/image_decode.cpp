// BMP and ICO decoding; see image_decode.h.
#include "platform/res/image_decode.h"

#include <cstdlib>
#include <cstring>

namespace platform::res {
namespace {

constexpr long long kMaxPixels = 64LL * 1024 * 1024;

std::uint32_t U32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t U16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// Decodes a DIB whose info header starts at `dib`. `pixelOffset` (from
// `dib`) is where the colour bits start, or 0 to take them right after the
// palette. For icons `iconRows` is the real height (the header holds twice
// that) and the AND mask follows the colour bits.
bool DecodeDib(const unsigned char* dib, std::size_t size, std::size_t pixelOffset, int iconRows,
               Image* out) {
    if (size < 40) return false;
    const std::uint32_t headerSize = U32(dib);
    if (headerSize < 40 || headerSize > size) return false;
    const auto width = static_cast<std::int32_t>(U32(dib + 4));
    auto height = static_cast<std::int32_t>(U32(dib + 8));
    const int bpp = U16(dib + 14);
    const std::uint32_t compression = U32(dib + 16);
    std::uint32_t colorsUsed = U32(dib + 32);
    if (U16(dib + 12) != 1) return false;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return false;
    if (compression != 0 && !(compression == 3 && bpp == 32)) return false;
    bool topDown = height < 0;
    if (height == INT32_MIN) return false;
    height = std::abs(height);
    if (iconRows > 0) {
        if (height != 2 * iconRows && height != iconRows) return false;
        height = iconRows;
        topDown = false;
    }
    if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > kMaxPixels) return false;

    std::size_t paletteAt = headerSize;
    if (compression == 3 && headerSize == 40) paletteAt += 12;  // the three channel masks
    std::size_t paletteCount = 0;
    if (bpp <= 8) {
        const std::uint32_t maxColors = 1u << bpp;
        if (colorsUsed == 0 || colorsUsed > maxColors) colorsUsed = maxColors;
        paletteCount = colorsUsed;
    }
    if (paletteAt + paletteCount * 4 > size) return false;
    const unsigned char* palette = dib + paletteAt;
    const std::size_t bitsAt = pixelOffset ? pixelOffset : paletteAt + paletteCount * 4;
    const std::size_t stride = ((static_cast<std::size_t>(width) * bpp + 31) / 32) * 4;
    const std::size_t bitsSize = stride * static_cast<std::size_t>(height);
    if (bitsAt > size || size - bitsAt < bitsSize) return false;
    const unsigned char* bits = dib + bitsAt;

    out->width = width;
    out->height = height;
    out->bitsPerPixel = bpp;
    out->argb.assign(static_cast<std::size_t>(width) * height, 0);
    bool anyAlpha = false;
    for (int row = 0; row < height; ++row) {
        const unsigned char* in = bits + stride * static_cast<std::size_t>(row);
        const int y = topDown ? row : height - 1 - row;
        std::uint32_t* dst = out->argb.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            std::uint32_t v = 0;
            switch (bpp) {
                case 32:
                    v = U32(in + x * 4);
                    if (v >> 24) anyAlpha = true;
                    break;
                case 24:
                    v = 0xFF000000u | in[x * 3] | (in[x * 3 + 1] << 8) |
                        (static_cast<std::uint32_t>(in[x * 3 + 2]) << 16);
                    break;
                default: {
                    std::size_t index;
                    if (bpp == 8) {
                        index = in[x];
                    } else if (bpp == 4) {
                        index = (in[x / 2] >> ((x % 2) ? 0 : 4)) & 0xF;
                    } else {
                        index = (in[x / 8] >> (7 - x % 8)) & 1;
                    }
                    if (index < paletteCount)
                        v = 0xFF000000u | (U32(palette + index * 4) & 0xFFFFFF);
                    else
                        v = 0xFF000000u;
                }
            }
            dst[x] = v;
        }
    }
    if (bpp == 32 && !anyAlpha) {
        for (auto& p : out->argb)
            p |= 0xFF000000u;
    }
    if (iconRows > 0) {
        // The AND mask: 1 bit per pixel, set where the icon is transparent.
        const std::size_t maskStride = ((static_cast<std::size_t>(width) + 31) / 32) * 4;
        const std::size_t maskAt = bitsAt + bitsSize;
        const bool haveMask = maskAt <= size && size - maskAt >= maskStride * height;
        if (bpp == 32 && anyAlpha) return true;
        for (int row = 0; row < height && haveMask; ++row) {
            const unsigned char* in = dib + maskAt + maskStride * static_cast<std::size_t>(row);
            std::uint32_t* dst = out->argb.data() + static_cast<std::size_t>(height - 1 - row) * width;
            for (int x = 0; x < width; ++x) {
                if ((in[x / 8] >> (7 - x % 8)) & 1)
                    dst[x] &= 0x00FFFFFFu;
                else
                    dst[x] |= 0xFF000000u;
            }
        }
    }
    return true;
}

}  // namespace

bool DecodeBmp(const unsigned char* data, std::size_t size, Image* out) {
    if (!data || !out) return false;
    if (size >= 14 && data[0] == 'B' && data[1] == 'M') {
        const std::uint32_t offBits = U32(data + 10);
        if (offBits < 14 + 40 || offBits > size) return false;
        return DecodeDib(data + 14, size - 14, offBits - 14, 0, out);
    }
    return DecodeDib(data, size, 0, 0, out);
}

bool ReadIconDirectory(const unsigned char* data, std::size_t size, std::vector<IconEntry>* entries) {
    entries->clear();
    if (!data || size < 6 || U16(data) != 0 || U16(data + 2) != 1) return false;
    const int count = U16(data + 4);
    if (count == 0 || 6 + static_cast<std::size_t>(count) * 16 > size) return false;
    for (int i = 0; i < count; ++i) {
        const unsigned char* e = data + 6 + i * 16;
        IconEntry entry;
        entry.width = e[0] ? e[0] : 256;
        entry.height = e[1] ? e[1] : 256;
        entry.bitsPerPixel = U16(e + 6);
        if (entry.bitsPerPixel == 0) entry.bitsPerPixel = e[2] == 16 ? 4 : (e[2] == 2 ? 1 : 8);
        entry.size = U32(e + 8);
        entry.offset = U32(e + 12);
        if (entry.offset > size || size - entry.offset < entry.size) return false;
        entries->push_back(entry);
    }
    return true;
}

bool DecodeIconImage(const unsigned char* data, std::size_t size, const IconEntry& entry, Image* out) {
    if (!data || entry.offset > size || size - entry.offset < entry.size) return false;
    const unsigned char* img = data + entry.offset;
    if (entry.size >= 8 && std::memcmp(img, "\x89PNG", 4) == 0) return false;
    if (entry.size < 40) return false;
    const auto height = static_cast<std::int32_t>(U32(img + 8));
    return DecodeDib(img, entry.size, 0, std::abs(height) / 2 > 0 ? std::abs(height) / 2 : 0, out);
}

int PickIcon(const std::vector<IconEntry>& entries, int width, int height) {
    int best = -1;
    long long bestScore = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const IconEntry& e = entries[i];
        const long long score =
            (std::llabs(e.width - width) + std::llabs(e.height - height)) * 1000 - e.bitsPerPixel;
        if (best < 0 || score < bestScore) {
            best = static_cast<int>(i);
            bestScore = score;
        }
    }
    return best;
}

}  // namespace platform::res
