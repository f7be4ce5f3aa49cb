// Images from the program's resources and the built-in ones: the module
// handle, LoadImageW (bitmaps as DIB sections, icons), LoadIconW,
// LoadCursorW and DestroyIcon, and the seam that hands icon pixels and
// cursor shapes to the window manager.
//
// Icons and cursors are colour images with alpha. The built-in icons (the
// application window, the question mark) are drawn here in code. Icons that
// LoadIconW gives out are shared, like the system's: one permanent object per
// resource, so releasing one with DeleteObject or DestroyIcon is harmless.
#include <cmath>
#include <map>
#include <memory>

#include "platform/gdi/gdi_internal.h"
#include "platform/res/image_decode.h"
#include "platform/resources.h"

using namespace platform;
using namespace platform::gdi;

namespace {

struct Icon : Object {
    explicit Icon(Kind k) : Object(k) {}
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
    int cursorShape = -1;
};

struct Module : Object {
    Module() : Object(Kind::Module) {}
};

HMODULE ProgramModule() {
    static HMODULE m = [] {
        auto mod = std::make_unique<Module>();
        mod->permanent = true;
        return static_cast<HMODULE>(AddObject(std::move(mod)));
    }();
    return m;
}

HICON AddIcon(const res::Image& img, bool shared) {
    auto icon = std::make_unique<Icon>(Kind::Icon);
    icon->width = img.width;
    icon->height = img.height;
    icon->argb = img.argb;
    icon->permanent = shared;
    return static_cast<HICON>(AddObject(std::move(icon)));
}

// The application icon: a small window with a blue title bar.
res::Image ApplicationImage() {
    res::Image img;
    img.width = img.height = 32;
    img.argb.assign(32 * 32, 0);
    for (int y = 3; y < 29; ++y)
        for (int x = 2; x < 30; ++x) {
            const bool edge = x == 2 || x == 29 || y == 3 || y == 28;
            img.argb[y * 32 + x] = edge ? 0xFF404040u : (y < 9 ? 0xFF2060C0u : 0xFFFFFFFFu);
        }
    return img;
}

// The question icon: a blue disc with a white question mark.
res::Image QuestionImage() {
    static const char* mark[] = {
        "..XXXX..", ".XX..XX.", ".XX..XX.", ".....XX.", "....XX..",
        "...XX...", "...XX...", "........", "...XX...", "...XX...",
    };
    res::Image img;
    img.width = img.height = 32;
    img.argb.assign(32 * 32, 0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const double dx = x + 0.5 - 16, dy = y + 0.5 - 16;
            if (std::sqrt(dx * dx + dy * dy) <= 15) img.argb[y * 32 + x] = 0xFF1E5AC8u;
        }
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 8; ++c)
            if (mark[r][c] == 'X')
                for (int k = 0; k < 4; ++k)
                    img.argb[(6 + r * 2 + k / 2) * 32 + (8 + c * 2 + k % 2)] = 0xFFFFFFFFu;
    return img;
}

HICON SystemIcon(LPCWSTR name) {
    static HICON application = nullptr, question = nullptr;
    if (name == IDI_APPLICATION) {
        if (!application) application = AddIcon(ApplicationImage(), true);
        return application;
    }
    if (name == IDI_QUESTION) {
        if (!question) question = AddIcon(QuestionImage(), true);
        return question;
    }
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

HCURSOR SystemCursor(LPCWSTR name) {
    static std::map<int, HCURSOR> cursors;
    int shape = -1;
    if (name == IDC_ARROW) shape = 0;
    if (name == IDC_HAND) shape = 1;
    if (name == IDC_WAIT) shape = 2;
    if (name == IDC_IBEAM) shape = 3;
    if (shape < 0) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    HCURSOR& slot = cursors[shape];
    if (!slot) {
        auto c = std::make_unique<Icon>(Kind::Cursor);
        c->permanent = true;
        c->cursorShape = shape;
        slot = static_cast<HCURSOR>(AddObject(std::move(c)));
    }
    return slot;
}

// The module's resource entry for an integer name; sets the error otherwise.
const ResourceEntry* ModuleResource(HINSTANCE instance, LPCWSTR name, ResourceType type) {
    if (!FindObject(instance, Kind::Module)) return nullptr;
    if (!IS_INTRESOURCE(name)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const ResourceEntry* e =
        FindResourceEntry(type, static_cast<int>(reinterpret_cast<std::uintptr_t>(name)));
    if (!e) SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return e;
}

bool DecodeIcon(const ResourceEntry* e, int cx, int cy, res::Image* img) {
    std::vector<res::IconEntry> entries;
    if (!res::ReadIconDirectory(e->data, e->size, &entries)) return false;
    const int pick = res::PickIcon(entries, cx, cy);
    return pick >= 0 && res::DecodeIconImage(e->data, e->size, entries[pick], img);
}

HBITMAP LoadBitmapResource(const ResourceEntry* e, int cx, int cy, UINT flags) {
    res::Image img;
    if (!res::DecodeBmp(e->data, e->size, &img)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const int w = cx > 0 ? cx : img.width, h = cy > 0 ? cy : img.height;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p =
                img.argb[static_cast<std::size_t>(y * img.height / h) * img.width + x * img.width / w];
            pixels[static_cast<std::size_t>(y) * w + x] = p & 0xFFFFFFu;
        }
    return MakeColorBitmap(w, h, std::move(pixels), (flags & LR_CREATEDIBSECTION) != 0);
}

}  // namespace

HMODULE GetModuleHandleW(LPCWSTR moduleName) {
    if (!moduleName) return ProgramModule();
    const std::u16string name(moduleName);
    if (name == u"Kelvo.exe" || name == u"Kelvo" || name == u"kelvo") return ProgramModule();
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
}

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
    if (instance) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);  // the program has no cursor resources
        return nullptr;
    }
    return SystemCursor(name);
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
    if (!instance) return SystemIcon(name);
    const ResourceEntry* e = ModuleResource(instance, name, ResourceType::GroupIcon);
    if (!e) return nullptr;
    static std::map<const unsigned char*, HICON> shared;
    if (auto it = shared.find(e->data); it != shared.end()) return it->second;
    res::Image img;
    if (!DecodeIcon(e, 32, 32, &img)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HICON icon = AddIcon(img, true);
    shared[e->data] = icon;
    return icon;
}

HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int cx, int cy, UINT flags) {
    if (cx < 0 || cy < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    switch (type) {
        case IMAGE_BITMAP: {
            const ResourceEntry* e = ModuleResource(instance, name, ResourceType::Bitmap);
            return e ? LoadBitmapResource(e, cx, cy, flags) : nullptr;
        }
        case IMAGE_ICON: {
            if (!instance) return SystemIcon(name);
            const ResourceEntry* e = ModuleResource(instance, name, ResourceType::GroupIcon);
            if (!e) return nullptr;
            res::Image img;
            if (!DecodeIcon(e, cx ? cx : 32, cy ? cy : 32, &img)) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
            }
            return AddIcon(img, (flags & LR_SHARED) != 0);
        }
        case IMAGE_CURSOR:
            return LoadCursorW(instance, name);
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
    }
}

BOOL DestroyIcon(HICON icon) {
    Object* o = FindAnyObject(icon);
    if (!o || (o->kind != Kind::Icon && o->kind != Kind::Cursor)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (o->permanent) return TRUE;  // shared icons stay
    return RemoveObject(icon) ? TRUE : FALSE;
}

namespace platform::gdi {

bool IconPixels(HICON icon, std::vector<std::uint32_t>* argb, int* width, int* height) {
    Object* o = FindAnyObject(icon);
    if (!o || o->kind != Kind::Icon) return false;
    auto* i = static_cast<Icon*>(o);
    if (argb) *argb = i->argb;
    if (width) *width = i->width;
    if (height) *height = i->height;
    return true;
}

int SystemCursorShape(HCURSOR cursor) {
    Object* o = FindAnyObject(cursor);
    if (!o || o->kind != Kind::Cursor) return -1;
    return static_cast<Icon*>(o)->cursorShape;
}

}  // namespace platform::gdi
