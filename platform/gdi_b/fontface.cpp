// Font faces through fontconfig and FreeType. A requested face name first
// goes through our own substitution table (fontconfig alone would give
// "Lucida Console" a proportional face), then to fontconfig; whatever matches
// nothing falls back to DejaVu Sans, and with no font file at all the
// instance measures text but draws nothing.
//
// Instances are cached per resolved file, size and style for the life of the
// process, and each keeps the glyphs it has rendered, so drawing the same
// digits on every tick costs a table lookup per character.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>

#include "platform/gdi_b/fontface.h"

namespace platform::gdi {
namespace {

std::string Utf8(const WCHAR* s) {
    std::string out;
    for (int i = 0; i < LF_FACESIZE && s[i]; ++i) {
        const char16_t c = s[i];
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0xD800 || c > 0xDFFF) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

struct Substitute {
    const char* from;
    const char* family;
    bool bold;  // the face is always bold
};

// Faces the program names, mapped to installed faces that look and measure
// like them.
constexpr Substitute kSubstitutes[] = {
    {"arial", "Liberation Sans", false},
    {"tahoma", "DejaVu Sans", false},
    {"lucida console", "DejaVu Sans Mono", false},
    {"courier new", "Liberation Mono", false},
    {"times new roman", "Liberation Serif", false},
    {"ms sans serif", "DejaVu Sans", false},
    {"ms shell dlg", "DejaVu Sans", false},
    {"system", "DejaVu Sans", true},
};

struct Match {
    std::string file;
    int index = 0;
    bool bold = false;    // the file is a bold face
    bool italic = false;  // the file is an italic face
};

// fontconfig's choice for a family and style; false when it has none.
bool FindFile(const std::string& family, bool bold, bool italic, bool exactFamily, Match* match) {
    // fontconfig's configuration is released at exit, so leak checkers see
    // only what is really lost.
    static const bool ready = [] {
        if (!FcInit()) return false;
        std::atexit(FcFini);
        return true;
    }();
    if (!ready) return false;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return false;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!found) return false;
    bool ok = false;
    FcChar8* file = nullptr;
    FcChar8* gotFamily = nullptr;
    if (FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch && file) {
        ok = true;
        if (exactFamily && FcPatternGetString(found, FC_FAMILY, 0, &gotFamily) == FcResultMatch &&
            Lower(reinterpret_cast<const char*>(gotFamily)) != Lower(family)) {
            ok = false;
        }
        if (ok) {
            match->file = reinterpret_cast<const char*>(file);
            int index = 0, weight = 0, slant = 0;
            FcPatternGetInteger(found, FC_INDEX, 0, &index);
            FcPatternGetInteger(found, FC_WEIGHT, 0, &weight);
            FcPatternGetInteger(found, FC_SLANT, 0, &slant);
            match->index = index;
            match->bold = weight >= FC_WEIGHT_DEMIBOLD;
            match->italic = slant != FC_SLANT_ROMAN;
        }
    }
    FcPatternDestroy(found);
    return ok;
}

FT_Library Library() {
    static FT_Library library = [] {
        FT_Library l = nullptr;
        if (FT_Init_FreeType(&l) != 0) return static_cast<FT_Library>(nullptr);
        return l;
    }();
    return library;
}

class FaceInstance final : public FontInstance {
public:
    FaceInstance(FT_Face face, bool emboldenSynthetic, bool slantSynthetic)
        : face_(face), embolden_(emboldenSynthetic), slant_(slantSynthetic) {}
    ~FaceInstance() override {
        if (face_) FT_Done_Face(face_);
    }

    const Glyph& GlyphFor(char32_t cp) override {
        auto it = glyphs_.find(cp);
        if (it != glyphs_.end()) return it->second;
        Glyph& g = glyphs_[cp];
        if (!face_ || cp < 0x20) return g;  // control characters take no room
        if (FT_Load_Char(face_, cp, FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT) != 0) return g;
        FT_GlyphSlot slot = face_->glyph;
        if (embolden_) FT_GlyphSlot_Embolden(slot);
        if (slant_) FT_GlyphSlot_Oblique(slot);
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return g;
        g.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        g.left = slot->bitmap_left;
        g.top = slot->bitmap_top;
        const FT_Bitmap& bm = slot->bitmap;
        g.width = static_cast<int>(bm.width);
        g.height = static_cast<int>(bm.rows);
        g.coverage.resize(static_cast<std::size_t>(g.width) * g.height);
        for (int y = 0; y < g.height; ++y) {
            const unsigned char* row = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
            std::copy(row, row + g.width, g.coverage.begin() + static_cast<std::ptrdiff_t>(y) * g.width);
        }
        return g;
    }

private:
    FT_Face face_;
    bool embolden_;
    bool slant_;
    std::unordered_map<char32_t, Glyph> glyphs_;
};

// Sizes the face so that a positive request is the cell height and a
// negative one the em height, and fills in the metrics.
void SizeAndMeasure(FT_Face face, int requested, FontInstance* inst) {
    const double upem = face->units_per_EM ? face->units_per_EM : 2048;
    double asc = face->ascender, desc = -face->descender;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)); os2 && os2->usWinAscent) {
        asc = os2->usWinAscent;
        desc = os2->usWinDescent;
    }
    if (asc + desc <= 0) {
        asc = upem * 0.8;
        desc = upem * 0.2;
    }
    double ppem;
    if (requested > 0) {
        ppem = requested * upem / (asc + desc);
        inst->height = requested;
        inst->ascent = static_cast<int>(std::lround(asc * ppem / upem));
        inst->descent = requested - inst->ascent;
    } else {
        ppem = -requested;
        inst->ascent = static_cast<int>(std::lround(asc * ppem / upem));
        inst->descent = static_cast<int>(std::lround(desc * ppem / upem));
        inst->height = inst->ascent + inst->descent;
    }
    inst->internalLeading = std::max(0, inst->height - static_cast<int>(std::lround(ppem)));
    FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(ppem * 64)), 72, 72);
    const double scale = ppem / upem;
    inst->maxCharWidth =
        std::max(1, static_cast<int>(std::lround((face->bbox.xMax - face->bbox.xMin) * scale)));
    inst->fixedPitch = FT_IS_FIXED_WIDTH(face);
    inst->underlinePos = std::max(1, static_cast<int>(std::lround(-face->underline_position * scale)));
    inst->lineThickness = std::max(1, static_cast<int>(std::lround(face->underline_thickness * scale)));
}

class EmptyInstance final : public FontInstance {
public:
    const Glyph& GlyphFor(char32_t) override { return empty_; }

private:
    Glyph empty_;
};

using Key = std::tuple<std::string, int, int, bool, bool, bool, bool>;

std::map<Key, std::unique_ptr<FontInstance>>& Cache() {
    static auto* cache = new std::map<Key, std::unique_ptr<FontInstance>>;
    return *cache;
}

}  // namespace

FontInstance* InstanceFor(const LOGFONTW& lf) {
    int requested = lf.lfHeight == 0 ? 16 : std::clamp<int>(lf.lfHeight, -2000, 2000);
    const std::string name = Lower(Utf8(lf.lfFaceName));
    std::string family = name.empty() ? std::string("DejaVu Sans") : Utf8(lf.lfFaceName);
    bool bold = lf.lfWeight >= 600;
    bool exact = false;
    for (const Substitute& s : kSubstitutes) {
        if (name == s.from) {
            family = s.family;
            bold = bold || s.bold;
            exact = true;
        }
    }
    const bool italic = lf.lfItalic != 0;
    const Key key{family, requested, bold ? 700 : 400, italic, lf.lfUnderline != 0, lf.lfStrikeOut != 0,
                  exact};
    auto& cache = Cache();
    if (auto it = cache.find(key); it != cache.end()) return it->second.get();

    Match match;
    bool found = FindFile(family, bold, italic, exact, &match);
    if (!found) found = FindFile("DejaVu Sans", bold, italic, false, &match);
    FT_Face face = nullptr;
    if (found && Library()) {
        if (FT_New_Face(Library(), match.file.c_str(), match.index, &face) != 0) face = nullptr;
    }
    std::unique_ptr<FontInstance> inst;
    if (face) {
        inst = std::make_unique<FaceInstance>(face, bold && !match.bold, italic && !match.italic);
        SizeAndMeasure(face, requested, inst.get());
    } else {
        inst = std::make_unique<EmptyInstance>();
        const int h = requested > 0 ? requested : -requested * 6 / 5;
        inst->height = std::max(1, h);
        inst->ascent = inst->height * 4 / 5;
        inst->descent = inst->height - inst->ascent;
        inst->maxCharWidth = inst->height;
    }
    inst->weight = bold ? FW_BOLD : (lf.lfWeight ? lf.lfWeight : FW_NORMAL);
    inst->italic = italic;
    inst->underline = lf.lfUnderline != 0;
    inst->strikeOut = lf.lfStrikeOut != 0;
    // The average width of the lower-case letters and space, as text metrics give it.
    int sum = 0, n = 0;
    for (char32_t c = U'a'; c <= U'z'; ++c, ++n)
        sum += inst->GlyphFor(c).advance;
    const int measured = n ? sum / n : 0;
    inst->aveCharWidth = face && measured > 0 ? measured : std::max(1, inst->height / 2);
    FontInstance* raw = inst.get();
    cache.emplace(key, std::move(inst));
    return raw;
}

}  // namespace platform::gdi
