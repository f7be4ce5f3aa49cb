// Decoding of the two image formats the program's resources use: BMP files
// (or packed DIBs without the file header) at 1, 4, 8, 24 and 32 bits per
// pixel, bottom-up or top-down, and ICO files with BMP-style images and
// their AND masks. Every offset and size is checked against the data, so a
// damaged resource gives false, never a read outside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::res {

struct Image {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::vector<std::uint32_t> argb;  // top-down, 0xAARRGGBB
};

// A BMP file or packed DIB. Alpha is 0xFF everywhere except for 32-bit
// images that carry an alpha channel.
bool DecodeBmp(const unsigned char* data, std::size_t size, Image* out);

struct IconEntry {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::size_t offset = 0;
    std::size_t size = 0;
};

// The directory of an ICO file (icons, not cursors); false when damaged.
bool ReadIconDirectory(const unsigned char* data, std::size_t size, std::vector<IconEntry>* entries);

// One icon image with its transparency (from the AND mask, or from the alpha
// channel of a 32-bit image). PNG images are not supported (false).
bool DecodeIconImage(const unsigned char* data, std::size_t size, const IconEntry& entry, Image* out);

// The entry nearest to the wanted size (ties: more colours).
int PickIcon(const std::vector<IconEntry>& entries, int width, int height);

}  // namespace platform::res
