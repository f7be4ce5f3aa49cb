// Graphics objects and device contexts: pens, brushes, fonts, bitmaps, the
// stock objects and system colours, selection into DCs, deletion, and the
// window-DC seam the window manager uses.
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "platform/gdi/gdi_internal.h"

namespace platform::gdi {

void Surface::Resize(int w, int h) {
    width = std::max(0, w);
    height = std::max(0, h);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    // Nothing is kept, so a larger surface lets the old pixels go first: a
    // window sized after its creation never holds two surfaces at once.
    if (count > pixels.capacity()) std::vector<std::uint32_t>().swap(pixels);
    pixels.assign(count, 0);
}

namespace {

// The largest bitmap we agree to allocate (pixels); more fails cleanly.
constexpr long long kMaxBitmapPixels = 64LL * 1024 * 1024;

template <class T>
T* AddPermanent(std::unique_ptr<T> object, void** handle) {
    object->permanent = true;
    T* raw = object.get();
    *handle = AddObject(std::move(object));
    return raw;
}

HGDIOBJ MakeStockPen(int style, COLORREF color) {
    auto p = std::make_unique<Pen>();
    p->style = style;
    p->color = color;
    void* h = nullptr;
    AddPermanent(std::move(p), &h);
    return h;
}

HGDIOBJ MakeStockBrush(bool hollow, COLORREF color) {
    auto b = std::make_unique<Brush>();
    b->hollow = hollow;
    b->color = color;
    void* h = nullptr;
    AddPermanent(std::move(b), &h);
    return h;
}

HGDIOBJ MakeStockFont(int height, int weight, const char16_t* face) {
    auto f = std::make_unique<Font>();
    f->logFont.lfHeight = height;
    f->logFont.lfWeight = weight;
    f->logFont.lfCharSet = static_cast<BYTE>(DEFAULT_CHARSET);
    std::u16string name(face);
    std::copy(name.begin(), name.end(), f->logFont.lfFaceName);
    void* h = nullptr;
    AddPermanent(std::move(f), &h);
    return h;
}

struct Stock {
    std::array<HGDIOBJ, 18> objects{};
    HGDIOBJ defaultBitmap = nullptr;
};

Stock& stock() {
    static Stock* s = [] {
        auto* st = new Stock;
        st->objects[WHITE_BRUSH] = MakeStockBrush(false, RGB(255, 255, 255));
        st->objects[LTGRAY_BRUSH] = MakeStockBrush(false, RGB(192, 192, 192));
        st->objects[GRAY_BRUSH] = MakeStockBrush(false, RGB(128, 128, 128));
        st->objects[DKGRAY_BRUSH] = MakeStockBrush(false, RGB(64, 64, 64));
        st->objects[BLACK_BRUSH] = MakeStockBrush(false, RGB(0, 0, 0));
        st->objects[NULL_BRUSH] = MakeStockBrush(true, 0);
        st->objects[WHITE_PEN] = MakeStockPen(PS_SOLID, RGB(255, 255, 255));
        st->objects[BLACK_PEN] = MakeStockPen(PS_SOLID, RGB(0, 0, 0));
        st->objects[NULL_PEN] = MakeStockPen(PS_NULL, 0);
        st->objects[SYSTEM_FONT] = MakeStockFont(16, FW_BOLD, u"System");
        st->objects[DEFAULT_GUI_FONT] = MakeStockFont(-11, FW_NORMAL, u"Tahoma");
        auto bmp = std::make_unique<Bitmap>();
        bmp->mono = true;
        bmp->surface.Resize(1, 1);
        bmp->surface.pixels[0] = 0;
        void* h = nullptr;
        AddPermanent(std::move(bmp), &h);
        st->defaultBitmap = h;
        return st;
    }();
    return *s;
}

// A light desktop theme, as COLORREF values.
constexpr int kSysColorCount = 31;
constexpr std::array<COLORREF, kSysColorCount> kSysColors = {
    RGB(200, 200, 200),  // 0 scroll bar
    RGB(0, 99, 177),     // 1 desktop
    RGB(153, 180, 209),  // 2 active caption
    RGB(191, 205, 219),  // 3 inactive caption
    RGB(240, 240, 240),  // 4 menu
    RGB(255, 255, 255),  // 5 window
    RGB(100, 100, 100),  // 6 window frame
    RGB(0, 0, 0),        // 7 menu text
    RGB(0, 0, 0),        // 8 window text
    RGB(0, 0, 0),        // 9 caption text
    RGB(180, 180, 180),  // 10 active border
    RGB(244, 247, 252),  // 11 inactive border
    RGB(171, 171, 171),  // 12 app workspace
    RGB(0, 120, 215),    // 13 highlight
    RGB(255, 255, 255),  // 14 highlight text
    RGB(240, 240, 240),  // 15 button face
    RGB(160, 160, 160),  // 16 button shadow
    RGB(109, 109, 109),  // 17 grey text
    RGB(0, 0, 0),        // 18 button text
    RGB(0, 0, 0),        // 19 inactive caption text
    RGB(255, 255, 255),  // 20 button highlight
    RGB(105, 105, 105),  // 21 3D dark shadow
    RGB(227, 227, 227),  // 22 3D light
    RGB(0, 0, 0),        // 23 tooltip text
    RGB(255, 255, 225),  // 24 tooltip background
    RGB(0, 0, 0),        // 25 unused
    RGB(0, 102, 204),    // 26 hot-tracked item
    RGB(185, 209, 234),  // 27 gradient active caption
    RGB(215, 228, 242),  // 28 gradient inactive caption
    RGB(0, 120, 215),    // 29 menu highlight
    RGB(240, 240, 240),  // 30 menu bar
};

std::array<HBRUSH, kSysColorCount>& sysBrushes() {
    static std::array<HBRUSH, kSysColorCount> b{};
    return b;
}

Dc* FindDc(HDC dc) {
    return Find<Dc>(dc, Kind::Dc);
}

}  // namespace

// ---------------------------------------------------------------------------
// Stock objects and defaults
// ---------------------------------------------------------------------------

HPEN StockPen(int index) {
    return static_cast<HPEN>(stock().objects[index]);
}
HBRUSH StockBrush(int index) {
    return static_cast<HBRUSH>(stock().objects[index]);
}
HFONT StockFont(int index) {
    return static_cast<HFONT>(stock().objects[index]);
}
HBITMAP DefaultBitmap() {
    return static_cast<HBITMAP>(stock().defaultBitmap);
}

Pen* CurrentPen(Dc* dc) {
    if (auto* p = static_cast<Pen*>(FindAnyObject(dc->pen)); p && p->kind == Kind::Pen) return p;
    return static_cast<Pen*>(FindAnyObject(StockPen(BLACK_PEN)));
}

Brush* CurrentBrush(Dc* dc) {
    if (auto* b = static_cast<Brush*>(FindAnyObject(dc->brush)); b && b->kind == Kind::Brush) return b;
    return static_cast<Brush*>(FindAnyObject(StockBrush(WHITE_BRUSH)));
}

Font* CurrentFont(Dc* dc) {
    if (auto* f = static_cast<Font*>(FindAnyObject(dc->font)); f && f->kind == Kind::Font) return f;
    return static_cast<Font*>(FindAnyObject(StockFont(SYSTEM_FONT)));
}

Bitmap* CurrentBitmap(Dc* dc) {
    if (!dc->memory) return nullptr;
    if (auto* b = static_cast<Bitmap*>(FindAnyObject(dc->bitmap)); b && b->kind == Kind::Bitmap) return b;
    return static_cast<Bitmap*>(FindAnyObject(DefaultBitmap()));
}

Brush* ResolveBrush(HBRUSH brush) {
    const auto value = reinterpret_cast<std::uintptr_t>(brush);
    if (value >= 1 && value <= kSysColorCount)
        return static_cast<Brush*>(FindAnyObject(GetSysColorBrush(value - 1)));
    return Find<Brush>(brush, Kind::Brush);
}

// ---------------------------------------------------------------------------
// Targets and rectangles
// ---------------------------------------------------------------------------

bool IsEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

RECT Intersect(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (IsEmpty(r)) return RECT{0, 0, 0, 0};
    return r;
}

void Unite(RECT* into, const RECT& r) {
    if (IsEmpty(r)) return;
    if (IsEmpty(*into)) {
        *into = r;
        return;
    }
    into->left = std::min(into->left, r.left);
    into->top = std::min(into->top, r.top);
    into->right = std::max(into->right, r.right);
    into->bottom = std::max(into->bottom, r.bottom);
}

bool ResolveTarget(Dc* dc, Target* t) {
    t->dc = dc;
    t->clip.clear();
    if (dc->memory) {
        Bitmap* b = CurrentBitmap(dc);
        if (!b) return false;
        t->surface = &b->surface;
        t->mono = b->mono;
        t->origin = POINT{0, 0};
        t->clip.push_back(RECT{0, 0, b->surface.width, b->surface.height});
        return true;
    }
    if (!dc->surface) return false;
    t->surface = dc->surface;
    t->mono = false;
    t->origin = dc->origin;
    const RECT bounds{0, 0, dc->surface->width, dc->surface->height};
    for (const RECT& c : dc->clip) {
        const RECT piece = Intersect(c, bounds);
        if (!IsEmpty(piece)) t->clip.push_back(piece);
    }
    return true;
}

void NoteDrawn(Target& target, const RECT& r) {
    if (target.dc && !target.dc->memory) Unite(&target.dc->drawn, r);
}

std::uint32_t PixelFor(const Target& target, COLORREF c) {
    const std::uint32_t p = ToPixel(c & 0xFFFFFF);
    if (!target.mono) return p;
    const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    const int toBlack = r * r + g * g + b * b;
    const int toWhite = (255 - r) * (255 - r) + (255 - g) * (255 - g) + (255 - b) * (255 - b);
    return toWhite <= toBlack ? 0xFFFFFFu : 0u;
}

void FillLogical(Target& target, int l, int t, int r, int b, std::uint32_t pixel) {
    Surface* s = target.surface;
    ForEachPiece(target, l, t, r, b, [&](const RECT& p) {
        for (int y = p.top; y < p.bottom; ++y) {
            std::uint32_t* row = s->pixels.data() + static_cast<std::size_t>(y) * s->width;
            std::fill(row + p.left, row + p.right, pixel);
        }
    });
}

// ---------------------------------------------------------------------------
// Window DC seam
// ---------------------------------------------------------------------------

HDC CreateWindowDC(Surface* surface, HWND owner, POINT origin, const std::vector<RECT>& clip) {
    auto dc = std::make_unique<Dc>();
    dc->surface = surface;
    dc->owner = owner;
    dc->origin = origin;
    dc->clip = clip;
    return static_cast<HDC>(AddObject(std::move(dc)));
}

void SetWindowDCGeometry(HDC hdc, Surface* surface, POINT origin, const std::vector<RECT>& clip) {
    Dc* dc = FindDc(hdc);
    if (!dc || dc->memory) return;
    dc->surface = surface;
    dc->origin = origin;
    dc->clip = clip;
}

RECT TakeDrawnBounds(HDC hdc) {
    Dc* dc = FindDc(hdc);
    if (!dc) return RECT{0, 0, 0, 0};
    const RECT r = dc->drawn;
    dc->drawn = RECT{0, 0, 0, 0};
    return r;
}

bool BitmapPixels(HBITMAP bitmap, std::vector<std::uint32_t>* argb, int* width, int* height) {
    auto* b = Find<Bitmap>(bitmap, Kind::Bitmap);
    if (!b) return false;
    if (argb) {
        argb->resize(b->surface.pixels.size());
        std::transform(b->surface.pixels.begin(), b->surface.pixels.end(), argb->begin(),
                       [](std::uint32_t p) { return p | 0xFF000000u; });
    }
    if (width) *width = b->surface.width;
    if (height) *height = b->surface.height;
    return true;
}

}  // namespace platform::gdi

using namespace platform;
using namespace platform::gdi;

HWND WindowFromDC(HDC hdc) {
    Dc* dc = FindDc(hdc);
    return dc ? dc->owner : nullptr;
}

// ---------------------------------------------------------------------------
// Object creation
// ---------------------------------------------------------------------------

HPEN CreatePen(int style, int width, COLORREF color) {
    if (style < PS_SOLID || style > PS_NULL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto p = std::make_unique<Pen>();
    p->style = style;
    p->width = std::clamp(width, 1, 1000);
    p->color = color & 0xFFFFFF;
    return static_cast<HPEN>(AddObject(std::move(p)));
}

HBRUSH CreateSolidBrush(COLORREF color) {
    auto b = std::make_unique<Brush>();
    b->color = color & 0xFFFFFF;
    return static_cast<HBRUSH>(AddObject(std::move(b)));
}

HGDIOBJ GetStockObject(int index) {
    if (index < 0 || index >= static_cast<int>(stock().objects.size()) || !stock().objects[index]) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return stock().objects[index];
}

DWORD GetSysColor(int index) {
    if (index < 0 || index >= kSysColorCount) return 0;
    return kSysColors[index];
}

HBRUSH GetSysColorBrush(int index) {
    if (index < 0 || index >= kSysColorCount) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HBRUSH& slot = sysBrushes()[index];
    if (!slot) slot = static_cast<HBRUSH>(MakeStockBrush(false, kSysColors[index]));
    return slot;
}

HFONT CreateFontIndirectW(const LOGFONTW* font) {
    if (!font) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto f = std::make_unique<Font>();
    f->logFont = *font;
    f->logFont.lfFaceName[LF_FACESIZE - 1] = 0;
    return static_cast<HFONT>(AddObject(std::move(f)));
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCWSTR faceName) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = italic ? 1 : 0;
    lf.lfUnderline = underline ? 1 : 0;
    lf.lfStrikeOut = strikeOut ? 1 : 0;
    lf.lfCharSet = static_cast<BYTE>(charSet);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (faceName) {
        for (int i = 0; i < LF_FACESIZE - 1 && faceName[i]; ++i)
            lf.lfFaceName[i] = faceName[i];
    }
    return CreateFontIndirectW(&lf);
}

namespace {

HBITMAP NewBitmap(int width, int height, bool mono) {
    if (width <= 0 || height <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (static_cast<long long>(width) * height > kMaxBitmapPixels) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto b = std::make_unique<Bitmap>();
    b->mono = mono;
    b->surface.Resize(width, height);
    return static_cast<HBITMAP>(AddObject(std::move(b)));
}

}  // namespace

namespace platform::gdi {
// Used by the image loader: a colour bitmap from 0x00RRGGBB pixels.
HBITMAP MakeColorBitmap(int width, int height, std::vector<std::uint32_t> pixels, bool dibSection) {
    HBITMAP h = NewBitmap(width, height, false);
    if (!h) return nullptr;
    auto* b = Find<Bitmap>(h, Kind::Bitmap);
    b->surface.pixels = std::move(pixels);
    b->dibSection = dibSection;
    return h;
}
}  // namespace platform::gdi

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    if (planes != 1 || (bitsPerPixel != 1 && bitsPerPixel != 32)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const bool mono = bitsPerPixel == 1;
    HBITMAP h = NewBitmap(width, height, mono);
    if (!h || !bits) return h;
    auto* b = Find<Bitmap>(h, Kind::Bitmap);
    const auto* src = static_cast<const unsigned char*>(bits);
    if (mono) {
        // Rows of bits, most significant first, each row padded to 16 bits.
        const std::size_t stride = ((static_cast<std::size_t>(width) + 15) / 16) * 2;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const bool set = (src[y * stride + x / 8] >> (7 - x % 8)) & 1;
                b->surface.pixels[static_cast<std::size_t>(y) * width + x] = set ? 0xFFFFFFu : 0u;
            }
        }
    } else {
        // Blue, green, red, unused: one 32-bit little-endian 0x00RRGGBB each.
        for (std::size_t i = 0; i < b->surface.pixels.size(); ++i) {
            std::uint32_t v;
            std::memcpy(&v, src + i * 4, 4);
            b->surface.pixels[i] = v & 0xFFFFFFu;
        }
    }
    return h;
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
    bool mono = false;
    if (hdc) {
        Dc* dc = FindDc(hdc);
        if (!dc) return nullptr;
        // As the system does: a memory DC makes bitmaps like the one it holds,
        // so one still holding its 1 x 1 default makes monochrome bitmaps.
        if (dc->memory) mono = CurrentBitmap(dc)->mono;
    }
    return NewBitmap(width, height, mono);
}

// ---------------------------------------------------------------------------
// Selection and deletion
// ---------------------------------------------------------------------------

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
    Dc* dc = FindDc(hdc);
    if (!dc) return nullptr;
    Object* o = FindAnyObject(object);
    if (!o) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    switch (o->kind) {
        case Kind::Pen: {
            HGDIOBJ previous = static_cast<HGDIOBJ>(FindAnyObject(dc->pen) ? dc->pen : StockPen(BLACK_PEN));
            dc->pen = static_cast<HPEN>(object);
            return previous;
        }
        case Kind::Brush: {
            HGDIOBJ previous =
                static_cast<HGDIOBJ>(FindAnyObject(dc->brush) ? dc->brush : StockBrush(WHITE_BRUSH));
            dc->brush = static_cast<HBRUSH>(object);
            return previous;
        }
        case Kind::Font: {
            HGDIOBJ previous =
                static_cast<HGDIOBJ>(FindAnyObject(dc->font) ? dc->font : StockFont(SYSTEM_FONT));
            dc->font = static_cast<HFONT>(object);
            return previous;
        }
        case Kind::Bitmap: {
            if (!dc->memory) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
            }
            auto* b = static_cast<Bitmap*>(o);
            const bool isDefault = object == DefaultBitmap();
            if (!isDefault && b->selectedInto && b->selectedInto != hdc && FindAnyObject(b->selectedInto)) {
                SetLastError(ERROR_INVALID_PARAMETER);  // a bitmap is selected into one DC at a time
                return nullptr;
            }
            HBITMAP previous = FindAnyObject(dc->bitmap) ? dc->bitmap : DefaultBitmap();
            if (auto* old = static_cast<Bitmap*>(FindAnyObject(previous)); old && old->selectedInto == hdc) {
                old->selectedInto = nullptr;
            }
            dc->bitmap = static_cast<HBITMAP>(object);
            if (!isDefault) b->selectedInto = hdc;
            return previous;
        }
        default:
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
    }
}

BOOL DeleteObject(HGDIOBJ object) {
    Object* o = FindAnyObject(object);
    if (!o) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    switch (o->kind) {
        case Kind::Pen:
        case Kind::Brush:
        case Kind::Font:
        case Kind::Bitmap:
            // Stock objects and system-colour brushes stay; deleting them is harmless.
            if (o->permanent) return TRUE;
            return RemoveObject(object) ? TRUE : FALSE;
        case Kind::Icon:
        case Kind::Cursor:
            // Not graphics objects: left alone and usable (DestroyIcon owns them).
            return FALSE;
        default:
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
    }
}

int GetObjectW(HGDIOBJ object, int size, LPVOID buffer) {
    Object* o = FindAnyObject(object);
    if (!o) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    auto give = [&](const void* data, int bytes) {
        if (!buffer) return bytes;
        if (size <= 0) return 0;
        const int n = std::min(size, bytes);
        std::memcpy(buffer, data, static_cast<std::size_t>(n));
        return n;
    };
    switch (o->kind) {
        case Kind::Font:
            return give(&static_cast<Font*>(o)->logFont, static_cast<int>(sizeof(LOGFONTW)));
        case Kind::Bitmap: {
            auto* b = static_cast<Bitmap*>(o);
            BITMAP bm{};
            bm.bmType = 0;
            bm.bmWidth = b->surface.width;
            bm.bmHeight = b->surface.height;
            bm.bmPlanes = 1;
            bm.bmBitsPixel = b->mono ? 1 : 32;
            bm.bmWidthBytes = b->mono ? ((b->surface.width + 15) / 16) * 2 : b->surface.width * 4;
            bm.bmBits = b->dibSection ? b->surface.pixels.data() : nullptr;
            return give(&bm, static_cast<int>(sizeof(BITMAP)));
        }
        case Kind::Pen: {
            auto* p = static_cast<Pen*>(o);
            struct {
                UINT style;
                POINT width;
                COLORREF color;
            } lp{static_cast<UINT>(p->style), POINT{p->width, 0}, p->color};
            return give(&lp, static_cast<int>(sizeof(lp)));
        }
        case Kind::Brush: {
            auto* b = static_cast<Brush*>(o);
            struct {
                UINT style;
                COLORREF color;
                ULONG_PTR hatch;
            } lb{b->hollow ? 1u : 0u, b->color, 0};
            return give(&lb, static_cast<int>(sizeof(lb)));
        }
        default:
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
    }
}

DWORD GetObjectType(HGDIOBJ object) {
    Object* o = FindAnyObject(object);
    if (!o) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    switch (o->kind) {
        case Kind::Pen:
            return OBJ_PEN;
        case Kind::Brush:
            return OBJ_BRUSH;
        case Kind::Font:
            return OBJ_FONT;
        case Kind::Bitmap:
            return OBJ_BITMAP;
        case Kind::Dc:
            return static_cast<Dc*>(o)->memory ? OBJ_MEMDC : OBJ_DC;
        default:
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
    }
}

// ---------------------------------------------------------------------------
// Device contexts
// ---------------------------------------------------------------------------

HDC CreateCompatibleDC(HDC hdc) {
    if (hdc && !FindDc(hdc)) return nullptr;
    auto dc = std::make_unique<Dc>();
    dc->memory = true;
    dc->bitmap = DefaultBitmap();
    return static_cast<HDC>(AddObject(std::move(dc)));
}

BOOL DeleteDC(HDC hdc) {
    Dc* dc = FindDc(hdc);
    if (!dc) return FALSE;
    if (auto* b = static_cast<Bitmap*>(FindAnyObject(dc->bitmap));
        b && b->kind == Kind::Bitmap && b->selectedInto == hdc) {
        b->selectedInto = nullptr;
    }
    return RemoveObject(hdc) ? TRUE : FALSE;
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
    Dc* dc = FindDc(hdc);
    if (!dc) return nullptr;
    switch (type) {
        case OBJ_PEN:
            return FindAnyObject(dc->pen) ? dc->pen : StockPen(BLACK_PEN);
        case OBJ_BRUSH:
            return FindAnyObject(dc->brush) ? dc->brush : StockBrush(WHITE_BRUSH);
        case OBJ_FONT:
            return FindAnyObject(dc->font) ? dc->font : StockFont(SYSTEM_FONT);
        case OBJ_BITMAP:
            if (!dc->memory) return nullptr;
            return FindAnyObject(dc->bitmap) ? dc->bitmap : DefaultBitmap();
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
    }
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
    Dc* dc = FindDc(hdc);
    if (!dc) return CLR_INVALID;
    const COLORREF old = dc->bkColor;
    dc->bkColor = color & 0xFFFFFF;
    return old;
}

COLORREF GetBkColor(HDC hdc) {
    Dc* dc = FindDc(hdc);
    return dc ? dc->bkColor : CLR_INVALID;
}

int SetBkMode(HDC hdc, int mode) {
    Dc* dc = FindDc(hdc);
    if (!dc) return 0;
    if (mode != TRANSPARENT && mode != OPAQUE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const int old = dc->bkMode;
    dc->bkMode = mode;
    return old;
}

int GetBkMode(HDC hdc) {
    Dc* dc = FindDc(hdc);
    return dc ? dc->bkMode : 0;
}

COLORREF SetTextColor(HDC hdc, COLORREF color) {
    Dc* dc = FindDc(hdc);
    if (!dc) return CLR_INVALID;
    const COLORREF old = dc->textColor;
    dc->textColor = color & 0xFFFFFF;
    return old;
}

COLORREF GetTextColor(HDC hdc) {
    Dc* dc = FindDc(hdc);
    return dc ? dc->textColor : CLR_INVALID;
}
