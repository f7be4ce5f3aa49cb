// Text output and measurement: ExtTextOutW, TextOutW, DrawTextW (alignment,
// line breaks, word breaks, access-key prefixes, clipping), metrics and
// extents. Glyphs are anti-aliased coverage blended in the text colour.
#include <algorithm>

#include "platform/gdi/fontface.h"
#include "platform/gdi/gdi_internal.h"

using namespace platform;
using namespace platform::gdi;

namespace {

Dc* FindDc(HDC dc) {
    return Find<Dc>(dc, Kind::Dc);
}

FontInstance* InstanceOf(Dc* dc) {
    Font* f = CurrentFont(dc);
    if (!f->instance) f->instance = ResolveFont(f->logFont);
    return f->instance;
}

char32_t NextCodePoint(const char16_t* s, std::size_t n, std::size_t* i) {
    char32_t c = s[(*i)++];
    if (c >= 0xD800 && c < 0xDC00 && *i < n && s[*i] >= 0xDC00 && s[*i] < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (s[(*i)++] - 0xDC00);
    }
    return c;
}

int Advance(FontInstance* font, char32_t c) {
    if (c == u'\t') c = u' ';
    return GetGlyph(font, c)->advance;
}

int Measure(FontInstance* font, const char16_t* s, std::size_t n) {
    int w = 0;
    for (std::size_t i = 0; i < n;)
        w += Advance(font, NextCodePoint(s, n, &i));
    return w;
}

// Blends one glyph at pen position (x, baseline) in logical coordinates.
void BlendGlyph(Target& t, const Glyph* g, int x, int baseline, std::uint32_t color, const RECT* limit) {
    if (g->width == 0 || g->height == 0) return;
    int l = x + g->left, top = baseline - g->top, r = l + g->width, b = top + g->height;
    if (limit) {
        l = std::max<int>(l, limit->left);
        top = std::max<int>(top, limit->top);
        r = std::min<int>(r, limit->right);
        b = std::min<int>(b, limit->bottom);
    }
    const int gx = x + g->left + t.origin.x, gy = baseline - g->top + t.origin.y;
    const std::uint32_t cr = (color >> 16) & 0xFF, cg = (color >> 8) & 0xFF, cb = color & 0xFF;
    Surface* s = t.surface;
    ForEachPiece(t, l, top, r, b, [&](const RECT& p) {
        for (int sy = p.top; sy < p.bottom; ++sy) {
            const std::uint8_t* cov = g->coverage.data() + static_cast<std::size_t>(sy - gy) * g->width;
            std::uint32_t* row = s->pixels.data() + static_cast<std::size_t>(sy) * s->width;
            for (int sx = p.left; sx < p.right; ++sx) {
                const std::uint32_t a = cov[sx - gx];
                if (a == 0) continue;
                if (t.mono) {
                    if (a >= 128) row[sx] = color;
                    continue;
                }
                if (a == 255) {
                    row[sx] = color;
                    continue;
                }
                const std::uint32_t d = row[sx];
                const std::uint32_t dr = (d >> 16) & 0xFF, dg = (d >> 8) & 0xFF, db = d & 0xFF;
                const std::uint32_t nr = dr + ((cr - dr) * a + 127) / 255;
                const std::uint32_t ng = dg + ((cg - dg) * a + 127) / 255;
                const std::uint32_t nb = db + ((cb - db) * a + 127) / 255;
                row[sx] = ((nr & 0xFF) << 16) | ((ng & 0xFF) << 8) | (nb & 0xFF);
            }
        }
    });
}

// Draws one run with its top-left at (x, y); returns its width. Code units
// listed in `underlined` (indices into s) get an access-key underline.
int DrawRun(Dc* dc, Target& t, int x, int y, const char16_t* s, std::size_t n, const int* dx,
            const RECT* limit, const std::vector<std::size_t>* underlined) {
    FontInstance* font = InstanceOf(dc);
    const FontMetrics& m = font->metrics;
    const int baseline = y + m.ascent;
    const std::uint32_t color = PixelFor(t, dc->textColor);
    int pen = x;
    std::size_t ui = 0;
    for (std::size_t i = 0; i < n;) {
        const std::size_t at = i;
        const char32_t c = NextCodePoint(s, n, &i);
        const Glyph* g = GetGlyph(font, c == u'\t' ? u' ' : c);
        const int adv = dx ? dx[at] : g->advance;
        BlendGlyph(t, g, pen, baseline, color, limit);
        if (underlined) {
            while (ui < underlined->size() && (*underlined)[ui] < at)
                ++ui;
            if (ui < underlined->size() && (*underlined)[ui] == at) {
                const int uy = baseline + m.underlinePosition;
                int l = pen, r = pen + adv, tp = uy, b = uy + m.underlineThickness;
                if (limit) {
                    l = std::max<int>(l, limit->left), r = std::min<int>(r, limit->right);
                    tp = std::max<int>(tp, limit->top), b = std::min<int>(b, limit->bottom);
                }
                FillLogical(t, l, tp, r, b, color);
            }
        }
        pen += adv;
        // Past the right edge of the clip nothing more can show.
        if (limit && pen > limit->right + m.maxCharWidth) break;
    }
    Font* f = CurrentFont(dc);
    auto line = [&](int top, int thickness) {
        int l = x, r = pen, tp = top, b = top + thickness;
        if (limit) {
            l = std::max<int>(l, limit->left), r = std::min<int>(r, limit->right);
            tp = std::max<int>(tp, limit->top), b = std::min<int>(b, limit->bottom);
        }
        FillLogical(t, l, tp, r, b, color);
    };
    if (f->logFont.lfUnderline) line(baseline + m.underlinePosition, m.underlineThickness);
    if (f->logFont.lfStrikeOut) line(baseline - m.strikeoutPosition, m.underlineThickness);
    return pen - x;
}

struct Line {
    std::u16string text;
    std::vector<std::size_t> underlined;  // indices in text
    int width = 0;
};

}  // namespace

BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count,
                 const int* dx) {
    Dc* dc = FindDc(hdc);
    if (!dc) return FALSE;
    if (count > 0 && !text) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Target t;
    if (!ResolveTarget(dc, &t)) return FALSE;
    if (rect && (options & ETO_OPAQUE)) {
        FillLogical(t, rect->left, rect->top, rect->right, rect->bottom, PixelFor(t, dc->bkColor));
    }
    if (count == 0) return TRUE;
    FontInstance* font = InstanceOf(dc);
    const RECT* limit = (rect && (options & ETO_CLIPPED)) ? rect : nullptr;
    if (dc->bkMode == OPAQUE) {
        int w = 0;
        if (dx) {
            for (UINT i = 0; i < count; ++i)
                w += dx[i];
        } else {
            w = Measure(font, text, count);
        }
        int l = x, tp = y, r = x + w, b = y + font->metrics.height;
        if (limit) {
            l = std::max<int>(l, limit->left), r = std::min<int>(r, limit->right);
            tp = std::max<int>(tp, limit->top), b = std::min<int>(b, limit->bottom);
        }
        FillLogical(t, l, tp, r, b, PixelFor(t, dc->bkColor));
    }
    DrawRun(dc, t, x, y, text, count, dx, limit, nullptr);
    return TRUE;
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count) {
    if (count < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return ExtTextOutW(hdc, x, y, 0, nullptr, text, static_cast<UINT>(count), nullptr);
}

BOOL GetTextMetricsW(HDC hdc, TEXTMETRICW* tm) {
    Dc* dc = FindDc(hdc);
    if (!dc) return FALSE;
    if (!tm) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Font* f = CurrentFont(dc);
    const FontMetrics& m = InstanceOf(dc)->metrics;
    *tm = TEXTMETRICW{};
    tm->tmHeight = m.height;
    tm->tmAscent = m.ascent;
    tm->tmDescent = m.descent;
    tm->tmInternalLeading = m.internalLeading;
    tm->tmAveCharWidth = m.aveCharWidth;
    tm->tmMaxCharWidth = m.maxCharWidth;
    tm->tmWeight = f->logFont.lfWeight ? f->logFont.lfWeight : FW_NORMAL;
    tm->tmDigitizedAspectX = 96;
    tm->tmDigitizedAspectY = 96;
    tm->tmFirstChar = 0x20;
    tm->tmLastChar = 0xFFFC;
    tm->tmDefaultChar = 0x1F;
    tm->tmBreakChar = 0x20;
    tm->tmItalic = f->logFont.lfItalic;
    tm->tmUnderlined = f->logFont.lfUnderline;
    tm->tmStruckOut = f->logFont.lfStrikeOut;
    // The low bit set means a variable pitch, as the system reports it.
    tm->tmPitchAndFamily = static_cast<BYTE>((m.fixedPitch ? 0 : 1) | 0x06);
    tm->tmCharSet = f->logFont.lfCharSet;
    return TRUE;
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, SIZE* size) {
    Dc* dc = FindDc(hdc);
    if (!dc) return FALSE;
    if (!size || count < 0 || (count > 0 && !text)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    FontInstance* font = InstanceOf(dc);
    size->cx = Measure(font, text, static_cast<std::size_t>(count));
    size->cy = font->metrics.height;
    return TRUE;
}

int DrawTextW(HDC hdc, LPCWSTR text, int count, RECT* rect, UINT format) {
    Dc* dc = FindDc(hdc);
    if (!dc) return 0;
    if (!rect || (!text && count != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::size_t n = 0;
    if (count < 0) {
        while (text[n])
            ++n;
    } else {
        n = static_cast<std::size_t>(count);
    }
    FontInstance* font = InstanceOf(dc);
    const int lineHeight = font->metrics.height;
    const bool single = format & DT_SINGLELINE;
    const bool prefix = !(format & DT_NOPREFIX);
    const bool showPrefix = !(format & DT_HIDEPREFIX);
    const int boxWidth = rect->right - rect->left;

    // Split into lines at explicit breaks, resolving access-key prefixes.
    std::vector<Line> lines(1);
    for (std::size_t i = 0; i < n; ++i) {
        char16_t c = text[i];
        if (c == u'\r' || c == u'\n') {
            if (single) continue;
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
            lines.emplace_back();
            continue;
        }
        if (prefix && c == u'&') {
            if (i + 1 >= n) continue;
            c = text[++i];
            if (c != u'&' && showPrefix) lines.back().underlined.push_back(lines.back().text.size());
            if (c == u'\r' || c == u'\n') {
                --i;
                if (!lines.back().underlined.empty() &&
                    lines.back().underlined.back() == lines.back().text.size())
                    lines.back().underlined.pop_back();
                continue;
            }
        }
        lines.back().text += c;
    }

    // Word breaks: a line wider than the box breaks after the last space that
    // still fits; a single word wider than the box stays whole.
    if ((format & DT_WORDBREAK) && !single) {
        std::vector<Line> wrapped;
        for (Line& line : lines) {
            const std::u16string& s = line.text;
            std::size_t start = 0;
            while (true) {
                int w = 0;
                std::size_t i = start, lastBreak = std::u16string::npos;
                while (i < s.size()) {
                    const int a = Advance(font, s[i]);
                    if (w + a > boxWidth && i > start) break;
                    if (s[i] == u' ') lastBreak = i;
                    w += a;
                    ++i;
                }
                std::size_t end = i, next = i;
                if (i < s.size()) {
                    if (lastBreak != std::u16string::npos && lastBreak > start) {
                        end = lastBreak;
                        next = lastBreak + 1;
                    } else {
                        // One long word: it runs on to its next space.
                        while (end < s.size() && s[end] != u' ')
                            ++end;
                        next = end < s.size() ? end + 1 : end;
                    }
                }
                Line part;
                part.text = s.substr(start, end - start);
                for (std::size_t u : line.underlined)
                    if (u >= start && u < end) part.underlined.push_back(u - start);
                wrapped.push_back(std::move(part));
                if (next >= s.size()) break;
                start = next;
            }
        }
        lines = std::move(wrapped);
    }

    int maxWidth = 0;
    for (Line& line : lines) {
        line.width = Measure(font, line.text.data(), line.text.size());
        maxWidth = std::max(maxWidth, line.width);
    }
    const int total = lineHeight * static_cast<int>(lines.size());
    int top = rect->top;
    if (single && (format & DT_VCENTER)) top = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
    if (single && (format & DT_BOTTOM)) top = rect->bottom - lineHeight;
    const int result = (top - rect->top) + total;

    if (format & DT_CALCRECT) {
        rect->right = rect->left + maxWidth;
        rect->bottom = rect->top + total;
        return result;
    }

    Target t;
    if (!ResolveTarget(dc, &t)) return 0;
    const RECT* limit = (format & DT_NOCLIP) ? nullptr : rect;
    const std::uint32_t bk = PixelFor(t, dc->bkColor);
    int y = top;
    for (const Line& line : lines) {
        if (limit && y >= limit->bottom) break;
        if (!limit || y + lineHeight > limit->top) {
            int x = rect->left;
            if (format & DT_CENTER) {
                x = rect->left + (boxWidth - line.width) / 2;
            } else if (format & DT_RIGHT) {
                x = rect->right - line.width;
            }
            if (dc->bkMode == OPAQUE) {
                int l = x, r = x + line.width, tp = y, b = y + lineHeight;
                if (limit) {
                    l = std::max<int>(l, limit->left), r = std::min<int>(r, limit->right);
                    tp = std::max<int>(tp, limit->top), b = std::min<int>(b, limit->bottom);
                }
                FillLogical(t, l, tp, r, b, bk);
            }
            DrawRun(dc, t, x, y, line.text.data(), line.text.size(), nullptr, limit, &line.underlined);
        }
        y += lineHeight;
    }
    return result;
}
