// Font faces for the graphics layer: maps a LOGFONTW to a sized face through
// our own substitution table (whose families are opened from their known
// files) and fontconfig (started only for other families, or when one of
// those files is missing), and renders anti-aliased glyphs
// through FreeType. Faces and glyphs are cached per face, size and style, so
// drawing the same digits every tick costs only the blending.
//
// When no font file can be opened at all, an instance still exists with
// sensible metrics and empty glyphs: text calls then draw nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/winapi.h"

namespace platform::gdi {

struct Glyph {
    int left = 0;  // bitmap offset from the pen position
    int top = 0;   // bitmap rows above the baseline
    int width = 0;
    int height = 0;
    int advance = 0;  // whole pixels
    std::vector<std::uint8_t> coverage;
};

struct FontMetrics {
    int height = 16;  // ascent + descent
    int ascent = 13;
    int descent = 3;
    int internalLeading = 0;
    int aveCharWidth = 7;
    int maxCharWidth = 14;
    int underlinePosition = 2;  // pixels below the baseline
    int underlineThickness = 1;
    int strikeoutPosition = 4;  // pixels above the baseline
    bool fixedPitch = false;
};

struct FontInstance {
    FontMetrics metrics;
    bool hasFace = false;
    std::string file;  // the font file in use (empty without a face)
};

// The cached instance for a logical font (never null).
FontInstance* ResolveFont(const LOGFONTW& logFont);

// The rendered glyph for one code point (cached; never null).
const Glyph* GetGlyph(FontInstance* font, char32_t codePoint);

// The family name our substitution table gives a requested face ("" when
// fontconfig decides).
std::string SubstituteFace(const std::u16string& face, bool* forceBold);

}  // namespace platform::gdi
