// The one file that talks to FreeType and fontconfig. See fontface.h.
#include "platform/gdi/fontface.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include <unistd.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <tuple>
#include <unordered_map>

namespace platform::gdi {
namespace {

struct Instance : FontInstance {
    FT_Face face = nullptr;
    bool emboldenSynthetic = false;
    bool slantSynthetic = false;
    std::unordered_map<char32_t, std::unique_ptr<Glyph>> glyphs;
};

struct Library {
    FT_Library ft = nullptr;
    bool fcStarted = false;  // fontconfig is started on first need only
    bool fcReady = false;
    std::map<std::tuple<std::string, int, int, int, bool, bool>, std::unique_ptr<Instance>> instances;
};

Library& library() {
    static Library* lib = [] {
        auto* l = new Library;
        if (FT_Init_FreeType(&l->ft) != 0) l->ft = nullptr;
        return l;
    }();
    return *lib;
}

std::string Lower(const std::u16string& s) {
    std::string out;
    for (char16_t c : s)
        out += (c < 128) ? static_cast<char>(std::tolower(static_cast<int>(c))) : '?';
    return out;
}

std::string Utf8(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// A font file chosen for a family and style.
struct FontFile {
    std::string path;  // "" when none
    int index = 0;     // face index inside the file
    bool bold = false;
    bool italic = false;
    bool mono = false;
};

// The families our substitution table names, in the files Debian's
// fonts-liberation and fonts-dejavu-core install, by style: regular, bold,
// italic, bold italic. Opening these directly spares the program starting
// fontconfig, which parses its whole configuration (a fifth of the
// program's start-up and much of its peak memory); fontconfig still decides
// every other family, and these too when a file is missing.
struct KnownFamily {
    const char* family;
    const char* folder;
    const char* files[4];
    bool mono;
};
constexpr KnownFamily kKnownFamilies[] = {
    {"Liberation Sans",
     "/usr/share/fonts/truetype/liberation/",
     {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf", "LiberationSans-Italic.ttf",
      "LiberationSans-BoldItalic.ttf"},
     false},
    {"Liberation Serif",
     "/usr/share/fonts/truetype/liberation/",
     {"LiberationSerif-Regular.ttf", "LiberationSerif-Bold.ttf", "LiberationSerif-Italic.ttf",
      "LiberationSerif-BoldItalic.ttf"},
     false},
    {"Liberation Mono",
     "/usr/share/fonts/truetype/liberation/",
     {"LiberationMono-Regular.ttf", "LiberationMono-Bold.ttf", "LiberationMono-Italic.ttf",
      "LiberationMono-BoldItalic.ttf"},
     true},
    {"DejaVu Sans",
     "/usr/share/fonts/truetype/dejavu/",
     {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSans-Oblique.ttf", "DejaVuSans-BoldOblique.ttf"},
     false},
    {"DejaVu Sans Mono",
     "/usr/share/fonts/truetype/dejavu/",
     {"DejaVuSansMono.ttf", "DejaVuSansMono-Bold.ttf", "DejaVuSansMono-Oblique.ttf",
      "DejaVuSansMono-BoldOblique.ttf"},
     true},
};

FontFile KnownFile(const std::string& family, bool bold, bool italic) {
    // A person who points fontconfig at a configuration of their own wants
    // that configuration to choose every face.
    static const bool ownConfig = std::getenv("FONTCONFIG_FILE") || std::getenv("FONTCONFIG_PATH");
    if (ownConfig) return {};
    for (const KnownFamily& k : kKnownFamilies) {
        if (family != k.family) continue;
        FontFile f;
        f.path = std::string(k.folder) + k.files[(bold ? 1 : 0) + (italic ? 2 : 0)];
        if (access(f.path.c_str(), R_OK) != 0) return {};
        f.bold = bold;
        f.italic = italic;
        f.mono = k.mono;
        return f;
    }
    return {};
}

// A font file for a family and style through fontconfig; no path when none.
FontFile MatchFile(const std::string& family, bool bold, bool italic) {
    Library& lib = library();
    if (!lib.fcStarted) {
        lib.fcStarted = true;
        lib.fcReady = FcInit() == FcTrue;
    }
    if (!lib.fcReady) return {};
    FcPattern* pattern = FcPatternCreate();
    if (!family.empty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FontFile file;
    if (match) {
        FcChar8* path = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path) {
            file.path = reinterpret_cast<const char*>(path);
        }
        int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN, spacing = FC_PROPORTIONAL;
        FcPatternGetInteger(match, FC_INDEX, 0, &file.index);
        FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(match, FC_SLANT, 0, &slant);
        FcPatternGetInteger(match, FC_SPACING, 0, &spacing);
        file.bold = weight >= FC_WEIGHT_DEMIBOLD;
        file.italic = slant != FC_SLANT_ROMAN;
        file.mono = spacing == FC_MONO;
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}

// The file of a known family when it is installed, else fontconfig's choice.
FontFile FindFile(const std::string& family, bool bold, bool italic) {
    FontFile f = KnownFile(family, bold, italic);
    return f.path.empty() ? MatchFile(family, bold, italic) : f;
}

void FillMetrics(Instance* in, int requested) {
    FT_Face f = in->face;
    const double upem = f->units_per_EM ? f->units_per_EM : 2048;
    double asc = f->ascender, desc = -f->descender;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2)); os2 && os2->usWinAscent) {
        asc = os2->usWinAscent;
        desc = os2->usWinDescent;
    }
    if (asc + desc <= 0) {
        asc = upem * 0.8;
        desc = upem * 0.2;
    }
    // Positive: the cell height; negative: the em height.
    double ppem;
    FontMetrics& m = in->metrics;
    if (requested > 0) {
        ppem = requested * upem / (asc + desc);
        m.height = requested;
        m.ascent = static_cast<int>(std::lround(asc * ppem / upem));
        m.descent = m.height - m.ascent;
    } else {
        ppem = -requested;
        m.ascent = static_cast<int>(std::lround(asc * ppem / upem));
        m.descent = static_cast<int>(std::lround(desc * ppem / upem));
        m.height = m.ascent + m.descent;
    }
    m.internalLeading = std::max(0, m.height - static_cast<int>(std::lround(ppem)));
    FT_Set_Char_Size(f, 0, static_cast<FT_F26Dot6>(std::lround(ppem * 64)), 72, 72);
    const double scale = ppem / upem;
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
    m.aveCharWidth = os2 && os2->xAvgCharWidth > 0 ? static_cast<int>(std::lround(os2->xAvgCharWidth * scale))
                                                   : static_cast<int>(std::lround(ppem / 2));
    m.maxCharWidth = std::max(1, static_cast<int>(std::lround((f->bbox.xMax - f->bbox.xMin) * scale)));
    m.underlinePosition = std::max(1, static_cast<int>(std::lround(-f->underline_position * scale)));
    m.underlineThickness = std::max(1, static_cast<int>(std::lround(f->underline_thickness * scale)));
    m.strikeoutPosition = std::max(1, static_cast<int>(std::lround(m.ascent * 0.3)));
    if (in->emboldenSynthetic) m.aveCharWidth += 1;
}

}  // namespace

std::string SubstituteFace(const std::u16string& face, bool* forceBold) {
    const std::string f = Lower(face);
    *forceBold = false;
    if (f == "arial") return "Liberation Sans";
    if (f == "times new roman") return "Liberation Serif";
    if (f == "courier new") return "Liberation Mono";
    if (f == "tahoma" || f == "ms shell dlg" || f == "ms shell dlg 2" || f == "ms sans serif" ||
        f == "microsoft sans serif" || f == "segoe ui" || f == "verdana")
        return "DejaVu Sans";
    if (f == "lucida console") return "DejaVu Sans Mono";
    if (f == "system" || f.empty()) {
        *forceBold = f == "system";
        return "DejaVu Sans";
    }
    return {};
}

FontInstance* ResolveFont(const LOGFONTW& lf) {
    Library& lib = library();
    std::u16string face;
    for (int i = 0; i < LF_FACESIZE && lf.lfFaceName[i]; ++i)
        face += lf.lfFaceName[i];
    bool forceBold = false;
    std::string family = SubstituteFace(face, &forceBold);
    if (family.empty()) family = Utf8(face);
    const bool bold = forceBold || lf.lfWeight >= 600;
    const bool italic = lf.lfItalic != 0;
    const int height = lf.lfHeight == 0 ? 16 : lf.lfHeight;
    auto key = std::make_tuple(family, height, bold ? 1 : 0, italic ? 1 : 0, lf.lfUnderline != 0,
                               lf.lfStrikeOut != 0);
    auto it = lib.instances.find(key);
    if (it != lib.instances.end()) return it->second.get();

    auto in = std::make_unique<Instance>();
    FontFile file = FindFile(family, bold, italic);
    if (file.path.empty()) file = FindFile("DejaVu Sans", bold, italic);
    if (lib.ft && !file.path.empty() && FT_New_Face(lib.ft, file.path.c_str(), file.index, &in->face) == 0) {
        in->hasFace = true;
        in->file = file.path;
        in->emboldenSynthetic = bold && !file.bold;
        in->slantSynthetic = italic && !file.italic;
        FillMetrics(in.get(), height);
        in->metrics.fixedPitch = file.mono || FT_IS_FIXED_WIDTH(in->face);
    } else {
        in->face = nullptr;
        FontMetrics& m = in->metrics;
        m.height = std::abs(height);
        m.ascent = (m.height * 4 + 2) / 5;
        m.descent = m.height - m.ascent;
        m.aveCharWidth = std::max(1, m.height / 2);
        m.maxCharWidth = m.height;
    }
    if (in->slantSynthetic) {
        FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};
        FT_Set_Transform(in->face, &shear, nullptr);
    }
    FontInstance* result = in.get();
    lib.instances.emplace(key, std::move(in));
    return result;
}

const Glyph* GetGlyph(FontInstance* font, char32_t cp) {
    auto* in = static_cast<Instance*>(font);
    auto it = in->glyphs.find(cp);
    if (it != in->glyphs.end()) return it->second.get();
    auto g = std::make_unique<Glyph>();
    if (!in->face) {
        g->advance = in->metrics.aveCharWidth;
    } else if (FT_Load_Char(in->face, cp, FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT) == 0) {
        FT_GlyphSlot slot = in->face->glyph;
        if (in->emboldenSynthetic && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            FT_Outline_Embolden(&slot->outline, std::max<FT_Pos>(32, in->face->size->metrics.y_ppem * 3));
        }
        g->advance = static_cast<int>((slot->advance.x + 32) >> 6) + (in->emboldenSynthetic ? 1 : 0);
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0) {
            const FT_Bitmap& bm = slot->bitmap;
            g->left = slot->bitmap_left;
            g->top = slot->bitmap_top;
            g->width = static_cast<int>(bm.width);
            g->height = static_cast<int>(bm.rows);
            g->coverage.resize(static_cast<std::size_t>(g->width) * g->height);
            for (int y = 0; y < g->height; ++y) {
                const unsigned char* row = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
                std::copy(row, row + g->width,
                          g->coverage.begin() + static_cast<std::ptrdiff_t>(y) * g->width);
            }
        }
    }
    const Glyph* result = g.get();
    in->glyphs.emplace(cp, std::move(g));
    return result;
}

}  // namespace platform::gdi
