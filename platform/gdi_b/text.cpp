// Text: metrics, extents, ExtTextOutW/TextOutW and DrawTextW's layout
// (alignment, explicit and word line breaks, access-key prefixes, clipping).
// Glyph coverage is blended in the text colour over the destination.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/gdi_b/fontface.h"
#include "platform/gdi_b/gdi_internal.h"

using namespace platform;
using namespace platform::gdi;

namespace {

Dc* FindDc(HDC dc) {
    return Find<Dc>(dc, Kind::Dc);
}

FontInstance* InstanceOf(Dc* dc) {
    Font* f = CurrentFont(dc);
    if (!f->instance) f->instance = InstanceFor(f->logFont);
    return f->instance;
}

// Next code point of UTF-16 text; lone surrogates become U+FFFD.
char32_t Next(const WCHAR* text, std::size_t count, std::size_t* i) {
    const char16_t c = text[(*i)++];
    if (c >= 0xD800 && c <= 0xDBFF && *i < count && text[*i] >= 0xDC00 && text[*i] <= 0xDFFF) {
        const char16_t d = text[(*i)++];
        return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (d - 0xDC00);
    }
    if (c >= 0xD800 && c <= 0xDFFF) return 0xFFFD;
    return c;
}

int Width(FontInstance* fi, const WCHAR* text, std::size_t count) {
    int w = 0;
    for (std::size_t i = 0; i < count;)
        w += fi->GlyphFor(Next(text, count, &i)).advance;
    return w;
}

void BlendGlyph(Target& t, const Glyph& g, int penX, int baseline, COLORREF color) {
    if (g.width <= 0 || g.height <= 0) return;
    const int gx = penX + g.left, gy = baseline - g.top;
    const std::uint32_t fg = ToPixel(color);
    const int fr = (fg >> 16) & 0xFF, fgG = (fg >> 8) & 0xFF, fb = fg & 0xFF;
    const std::uint32_t monoInk = PixelFor(t, color);
    Surface* s = t.surface;
    ForEachPiece(t, gx, gy, gx + g.width, gy + g.height, [&](const RECT& p) {
        for (int sy = p.top; sy < p.bottom; ++sy) {
            const std::uint8_t* cov =
                g.coverage.data() + static_cast<std::size_t>(sy - (gy + t.origin.y)) * g.width;
            std::uint32_t* row = s->pixels.data() + static_cast<std::size_t>(sy) * s->width;
            for (int sx = p.left; sx < p.right; ++sx) {
                const int a = cov[sx - (gx + t.origin.x)];
                if (a == 0) continue;
                if (t.mono) {
                    if (a >= 128) row[sx] = monoInk;
                    continue;
                }
                const std::uint32_t d = row[sx];
                const int dr = (d >> 16) & 0xFF, dg = (d >> 8) & 0xFF, db = d & 0xFF;
                const int r = (dr * (255 - a) + fr * a + 127) / 255;
                const int gg = (dg * (255 - a) + fgG * a + 127) / 255;
                const int b = (db * (255 - a) + fb * a + 127) / 255;
                row[sx] = (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(gg) << 8) |
                          static_cast<std::uint32_t>(b);
            }
        }
    });
}

// Draws one run of text with its top-left cell corner at (x, y); `underlineAt`
// is the index of a code unit to underline (an access key), or npos.
// Returns the run's width.
int DrawRun(Target& t, Dc* dc, FontInstance* fi, int x, int y, const WCHAR* text, std::size_t count,
            const int* dx, std::size_t underlineAt = std::u16string::npos) {
    const int baseline = y + fi->ascent;
    const std::uint32_t ink = PixelFor(t, dc->textColor);
    int pen = x;
    std::size_t index = 0;
    for (std::size_t i = 0; i < count;) {
        const std::size_t start = i;
        const Glyph& g = fi->GlyphFor(Next(text, count, &i));
        BlendGlyph(t, g, pen, baseline, dc->textColor);
        const int advance = dx ? dx[index] : g.advance;
        if (start == underlineAt) {
            FillLogical(t, pen, baseline + 1, pen + g.advance, baseline + 1 + fi->lineThickness, ink);
        }
        pen += advance;
        ++index;
    }
    const int width = pen - x;
    if (fi->underline) {
        const int uy = baseline + fi->underlinePos;
        FillLogical(t, x, uy, pen, uy + fi->lineThickness, ink);
    }
    if (fi->strikeOut) {
        const int sy = baseline - fi->ascent / 3;
        FillLogical(t, x, sy, pen, sy + fi->lineThickness, ink);
    }
    return width;
}

}  // namespace

BOOL GetTextMetricsW(HDC hdc, TEXTMETRICW* tm) {
    Dc* dc = FindDc(hdc);
    if (!dc) return FALSE;
    if (!tm) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    FontInstance* fi = InstanceOf(dc);
    *tm = TEXTMETRICW{};
    tm->tmHeight = fi->height;
    tm->tmAscent = fi->ascent;
    tm->tmDescent = fi->descent;
    tm->tmInternalLeading = fi->internalLeading;
    tm->tmAveCharWidth = fi->aveCharWidth;
    tm->tmMaxCharWidth = fi->maxCharWidth;
    tm->tmWeight = fi->weight;
    tm->tmDigitizedAspectX = 96;
    tm->tmDigitizedAspectY = 96;
    tm->tmFirstChar = 0x20;
    tm->tmLastChar = 0xFFFC;
    tm->tmDefaultChar = 0x1F;
    tm->tmBreakChar = 0x20;
    tm->tmItalic = fi->italic ? 1 : 0;
    tm->tmUnderlined = fi->underline ? 1 : 0;
    tm->tmStruckOut = fi->strikeOut ? 1 : 0;
    // As the system reports it, the low bit is set for variable pitch.
    tm->tmPitchAndFamily = static_cast<BYTE>(fi->fixedPitch ? 0 : 1);
    tm->tmCharSet = CurrentFont(dc)->logFont.lfCharSet;
    return TRUE;
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, SIZE* size) {
    Dc* dc = FindDc(hdc);
    if (!dc) return FALSE;
    if (!size || count < 0 || (!text && count > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    FontInstance* fi = InstanceOf(dc);
    size->cx = count ? Width(fi, text, static_cast<std::size_t>(count)) : 0;
    size->cy = fi->height;
    return TRUE;
}

BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count,
                 const int* dx) {
    Dc* dc = FindDc(hdc);
    if (!dc) return FALSE;
    if (!text && count > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Target t;
    if (!ResolveTarget(dc, &t)) return FALSE;
    if (rect && (options & ETO_OPAQUE)) {
        FillLogical(t, rect->left, rect->top, rect->right, rect->bottom, PixelFor(t, dc->bkColor));
    }
    if (count == 0) return TRUE;
    if (rect && (options & ETO_CLIPPED)) ClipTo(t, *rect);
    FontInstance* fi = InstanceOf(dc);
    if (dc->bkMode == OPAQUE) {
        int w = 0;
        if (dx) {
            // dx has one entry per code point drawn.
            std::size_t n = 0;
            for (std::size_t i = 0; i < count; ++n) {
                Next(text, count, &i);
                w += dx[n];
            }
        } else {
            w = Width(fi, text, count);
        }
        FillLogical(t, x, y, x + w, y + fi->height, PixelFor(t, dc->bkColor));
    }
    DrawRun(t, dc, fi, x, y, text, count, dx);
    return TRUE;
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count) {
    if (count < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return ExtTextOutW(hdc, x, y, 0, nullptr, text, static_cast<UINT>(count), nullptr);
}

// ---------------------------------------------------------------------------
// DrawTextW
// ---------------------------------------------------------------------------

namespace {

struct Line {
    std::u16string text;
    std::size_t accessKey = std::u16string::npos;  // index within text
    int width = 0;
};

// Removes access-key prefixes: "&x" underlines x, "&&" is one '&'.
std::u16string StripPrefixes(const std::u16string& in, std::vector<bool>* marked) {
    std::u16string out;
    out.reserve(in.size());
    marked->clear();
    bool markNext = false;
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] == u'&') {
            if (i + 1 < in.size() && in[i + 1] == u'&') {
                out += u'&';
                marked->push_back(markNext);
                markNext = false;
                ++i;
                continue;
            }
            markNext = true;
            continue;
        }
        out += in[i];
        marked->push_back(markNext);
        markNext = false;
    }
    return out;
}

std::u16string ExpandTabs(const std::u16string& in) {
    std::u16string out;
    for (char16_t c : in) {
        if (c == u'\t') {
            out.append(8, u' ');
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

int DrawTextW(HDC hdc, LPCWSTR text, int count, RECT* rect, UINT format) {
    Dc* dc = FindDc(hdc);
    if (!dc) return 0;
    if (!rect || (!text && count != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string source;
    if (text) {
        if (count < 0) {
            source = text;
        } else {
            source.assign(text, static_cast<std::size_t>(count));
        }
    }
    if (format & DT_EXPANDTABS) source = ExpandTabs(source);
    std::vector<bool> marked;
    std::u16string plain;
    if (format & DT_NOPREFIX) {
        plain = std::move(source);
        marked.assign(plain.size(), false);
    } else {
        plain = StripPrefixes(source, &marked);
    }
    const bool showKey = !(format & (DT_NOPREFIX | DT_HIDEPREFIX));

    FontInstance* fi = InstanceOf(dc);
    const int boxWidth = rect->right - rect->left;

    // Lines: explicit breaks (CR, LF, CR LF) unless single-line; word breaks
    // at spaces when the line would overflow the box.
    std::vector<Line> lines;
    auto push = [&](std::size_t from, std::size_t to) {
        Line line;
        line.text = plain.substr(from, to - from);
        for (std::size_t i = from; i < to; ++i) {
            if (marked[i] && showKey) {
                line.accessKey = i - from;
                break;
            }
        }
        line.width = Width(fi, line.text.data(), line.text.size());
        lines.push_back(std::move(line));
    };
    auto breakWords = [&](std::size_t from, std::size_t to) {
        if (!(format & DT_WORDBREAK)) {
            push(from, to);
            return;
        }
        std::size_t start = from;
        while (true) {
            int w = 0;
            std::size_t i = start, lastSpace = std::u16string::npos;
            bool overflow = false;
            while (i < to) {
                const std::size_t at = i;
                w += fi->GlyphFor(Next(plain.data(), to, &i)).advance;
                if (plain[at] == u' ') lastSpace = at;
                if (w > boxWidth && lastSpace != std::u16string::npos && lastSpace > start) {
                    overflow = true;
                    break;
                }
            }
            if (!overflow) {
                push(start, to);
                return;
            }
            push(start, lastSpace);
            start = lastSpace;
            while (start < to && plain[start] == u' ')
                ++start;
            if (start >= to) return;
        }
    };
    if (format & DT_SINGLELINE) {
        breakWords(0, plain.size());
    } else {
        std::size_t from = 0;
        for (std::size_t i = 0; i <= plain.size(); ++i) {
            if (i == plain.size()) {
                breakWords(from, i);
                break;
            }
            if (plain[i] == u'\r' || plain[i] == u'\n') {
                breakWords(from, i);
                if (plain[i] == u'\r' && i + 1 < plain.size() && plain[i + 1] == u'\n') ++i;
                from = i + 1;
            }
        }
    }

    const int lineHeight = fi->height;
    const int total = lineHeight * static_cast<int>(lines.size());
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const Line& l : lines)
            widest = std::max(widest, l.width);
        rect->right = rect->left + widest;
        rect->bottom = rect->top + total;
        return total;
    }

    Target t;
    if (!ResolveTarget(dc, &t)) return 0;
    if (!(format & DT_NOCLIP)) ClipTo(t, *rect);
    int y = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER) {
            y = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
        } else if (format & DT_BOTTOM) {
            y = rect->bottom - lineHeight;
        }
    }
    const bool clipped = !(format & DT_NOCLIP);
    for (const Line& l : lines) {
        if (clipped && y >= rect->bottom) break;  // nothing below the box shows
        if (!(clipped && y + lineHeight <= rect->top)) {
            int x = rect->left;
            if (format & DT_CENTER) {
                x = rect->left + (boxWidth - l.width) / 2;
            } else if (format & DT_RIGHT) {
                x = rect->right - l.width;
            }
            if (dc->bkMode == OPAQUE)
                FillLogical(t, x, y, x + l.width, y + lineHeight, PixelFor(t, dc->bkColor));
            DrawRun(t, dc, fi, x, y, l.text.data(), l.text.size(), nullptr, l.accessKey);
        }
        y += lineHeight;
    }
    return total;
}
