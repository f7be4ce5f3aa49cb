// BMP and ICO decoding into 32-bit pixels. Every size and offset in the file
// is checked against the bytes given; a damaged file is refused, never read
// past its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform::gdi {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, top row first
};

// A whole .bmp file (file header, info header, palette, rows): 1, 4, 8, 24
// or 32 bits per pixel, uncompressed (32-bit also with bit-field masks),
// bottom-up or top-down. Alpha is 0xFF.
bool DecodeBmp(const unsigned char* data, std::size_t size, Image* image);

// A whole .ico file: the image whose size is nearest `want` x `want` (ties go
// to more colours), with its transparency (alpha channel, else AND mask).
// PNG-compressed entries are skipped.
bool DecodeIco(const unsigned char* data, std::size_t size, int want, Image* image);

}  // namespace platform::gdi
