// Opened font faces at one size and style, with their rendered glyphs. The
// only user of FreeType and fontconfig is fontface.cpp; the rest of the
// graphics layer sees metrics and coverage bitmaps.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/winapi.h"

namespace platform::gdi {

struct Glyph {
    int advance = 0;  // pixels to the next pen position
    int left = 0;     // bitmap offset from the pen position
    int top = 0;      // bitmap rows above the baseline
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> coverage;  // width * height, 0..255
};

struct FontInstance {
    int height = 16;  // cell height: ascent + descent
    int ascent = 13;
    int descent = 3;
    int internalLeading = 0;
    int aveCharWidth = 7;
    int maxCharWidth = 14;
    int weight = FW_NORMAL;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    bool fixedPitch = false;
    int underlinePos = 2;  // rows below the baseline
    int lineThickness = 1;

    // The glyph for a code point; an empty glyph when there is no face.
    virtual const Glyph& GlyphFor(char32_t cp) = 0;
    virtual ~FontInstance() = default;
};

// The cached instance for a logical font; never null (without any font file
// it measures but draws nothing). Owned by the cache for the whole process.
FontInstance* InstanceFor(const LOGFONTW& font);

}  // namespace platform::gdi
