// The program's module handle and the images made from its resource table
// (platform/resources.h): bitmaps (LoadImageW), icons (LoadIconW, LoadImageW, DestroyIcon) and
// the system cursors and icons, which are drawn here in code.
#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi_b/decode.h"
#include "platform/gdi_b/gdi_internal.h"
#include "platform/resources.h"

using namespace platform;
using namespace platform::gdi;

namespace {

struct Module : Object {
    Module() : Object(Kind::Module) {}
};

HMODULE ProgramModule() {
    static HMODULE module = [] {
        auto m = std::make_unique<Module>();
        m->permanent = true;
        return static_cast<HMODULE>(AddObject(std::move(m)));
    }();
    return module;
}

// The module argument of a loading call: null or the program's own module.
bool OwnModule(HINSTANCE instance) {
    return instance == nullptr || instance == ProgramModule();
}

// The bytes of a resource named by number, or of a file with LR_LOADFROMFILE.
bool ResourceBytes(LPCWSTR name, ResourceType type, UINT flags, std::vector<unsigned char>* owned,
                   const unsigned char** data, std::size_t* size) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (flags & LR_LOADFROMFILE) {
        if (IS_INTRESOURCE(name)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return false;
        }
        std::string path;
        for (const WCHAR* p = name; *p; ++p) {
            const char16_t c = *p;
            if (c < 0x80) {
                path += static_cast<char>(c);
            } else if (c < 0x800) {
                path += static_cast<char>(0xC0 | (c >> 6));
                path += static_cast<char>(0x80 | (c & 0x3F));
            } else {
                path += static_cast<char>(0xE0 | (c >> 12));
                path += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                path += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return false;
        }
        owned->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        *data = owned->data();
        *size = owned->size();
        return true;
    }
    if (!IS_INTRESOURCE(name)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);  // resources are numbered only
        return false;
    }
    const int id = static_cast<int>(reinterpret_cast<std::uintptr_t>(name));
    const ResourceEntry* e = FindResourceEntry(type, id);
    if (!e || !e->data) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return false;
    }
    *data = e->data;
    *size = e->size;
    return true;
}

HICON MakeIcon(Image image, bool permanent) {
    auto icon = std::make_unique<Icon>();
    icon->width = image.width;
    icon->height = image.height;
    icon->argb = std::move(image.pixels);
    icon->permanent = permanent;
    return static_cast<HICON>(AddObject(std::move(icon)));
}

// --- System icons, drawn in code -------------------------------------------

// The application icon: a small window with a blue title bar.
Image ApplicationIcon() {
    Image im{32, 32, std::vector<std::uint32_t>(32 * 32, 0)};
    for (int y = 3; y < 29; ++y) {
        for (int x = 2; x < 30; ++x) {
            const bool border = x == 2 || x == 29 || y == 3 || y == 28;
            std::uint32_t c = 0xFFFFFFFFu;
            if (border) {
                c = 0xFF404040u;
            } else if (y < 9) {
                c = 0xFF1E64C8u;
            }
            im.pixels[static_cast<std::size_t>(y) * 32 + x] = c;
        }
    }
    return im;
}

// The question icon: a blue disc with a white question mark.
Image QuestionIcon() {
    Image im{32, 32, std::vector<std::uint32_t>(32 * 32, 0)};
    static const char* const kMark[] = {
        "..####..", ".##..##.", ".##..##.", ".....##.", "....##..", "...##...",
        "...##...", "...##...", "........", "...##...", "...##...",
    };
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const double d = std::hypot(x + 0.5 - 16, y + 0.5 - 16);
            const double a = std::clamp(15.0 - d, 0.0, 1.0);
            if (a <= 0) continue;
            std::uint32_t c = 0x1E64C8u;
            const int mx = (x - 8) / 2, my = (y - 5) / 2;
            if (x >= 8 && mx < 8 && y >= 5 && my < 11 && kMark[my][mx] == '#') c = 0xFFFFFFu;
            im.pixels[static_cast<std::size_t>(y) * 32 + x] =
                (static_cast<std::uint32_t>(std::lround(a * 255)) << 24) | c;
        }
    }
    return im;
}

HICON SystemIcon(LPCWSTR name) {
    static std::map<std::uintptr_t, HICON> icons;
    const auto id = reinterpret_cast<std::uintptr_t>(name);
    if (name != IDI_APPLICATION && name != IDI_QUESTION) return nullptr;
    HICON& slot = icons[id];
    if (!slot) slot = MakeIcon(name == IDI_QUESTION ? QuestionIcon() : ApplicationIcon(), true);
    return slot;
}

}  // namespace

HMODULE GetModuleHandleW(LPCWSTR moduleName) {
    if (moduleName) {
        SetLastError(ERROR_FILE_NOT_FOUND);  // only the program's own module exists
        return nullptr;
    }
    return ProgramModule();
}

HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int cx, int cy, UINT flags) {
    if (type == IMAGE_ICON && !instance && !(flags & LR_LOADFROMFILE)) {
        if (HICON icon = SystemIcon(name)) return icon;
    }
    if (type == IMAGE_CURSOR) return LoadCursorW(instance, name);
    if (!(flags & LR_LOADFROMFILE) && !OwnModule(instance)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    std::vector<unsigned char> owned;
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    if (type == IMAGE_BITMAP) {
        if (!ResourceBytes(name, ResourceType::Bitmap, flags, &owned, &data, &size)) return nullptr;
        Image im;
        if (!DecodeBmp(data, size, &im)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        std::vector<std::uint32_t> pixels(im.pixels.size());
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = im.pixels[i] & 0xFFFFFFu;
        if (flags & LR_MONOCHROME) {
            HBITMAP h = CreateBitmap(im.width, im.height, 1, 1, nullptr);
            if (!h) return nullptr;
            auto* b = Find<Bitmap>(h, Kind::Bitmap);
            for (std::size_t i = 0; i < pixels.size(); ++i) {
                const std::uint32_t p = pixels[i];
                const int lum = ((p >> 16) & 0xFF) * 30 + ((p >> 8) & 0xFF) * 59 + (p & 0xFF) * 11;
                b->surface.pixels[i] = lum >= 12750 ? 0xFFFFFFu : 0u;
            }
            return h;
        }
        return MakeColorBitmap(im.width, im.height, std::move(pixels), (flags & LR_CREATEDIBSECTION) != 0);
    }
    if (type == IMAGE_ICON) {
        if (!ResourceBytes(name, ResourceType::GroupIcon, flags, &owned, &data, &size)) return nullptr;
        const int want = cx > 0 ? cx : (cy > 0 ? cy : 32);
        Image im;
        if (!DecodeIco(data, size, want, &im)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        return MakeIcon(std::move(im), false);
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
    if (!instance) {
        if (HICON icon = SystemIcon(name)) return icon;
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    if (!FindObject(instance, Kind::Module)) return nullptr;
    // Icons loaded this way are shared: one object per resource, never destroyed.
    static std::map<std::uintptr_t, HICON> shared;
    const auto key = reinterpret_cast<std::uintptr_t>(name);
    if (IS_INTRESOURCE(name)) {
        if (auto it = shared.find(key); it != shared.end() && FindAnyObject(it->second)) return it->second;
    }
    HICON icon = static_cast<HICON>(LoadImageW(instance, name, IMAGE_ICON, 32, 32, 0));
    if (!icon) return nullptr;
    FindAnyObject(icon)->permanent = true;
    shared[key] = icon;
    return icon;
}

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
    static std::array<HCURSOR, 4> cursors{};
    int shape = -1;
    if (name == IDC_ARROW) {
        shape = 0;
    } else if (name == IDC_HAND) {
        shape = 1;
    } else if (name == IDC_WAIT) {
        shape = 2;
    } else if (name == IDC_IBEAM) {
        shape = 3;
    }
    if (instance || shape < 0) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);  // the program has no cursor resources
        return nullptr;
    }
    HCURSOR& slot = cursors[static_cast<std::size_t>(shape)];
    if (!slot) {
        auto c = std::make_unique<Cursor>();
        c->shape = shape;
        c->permanent = true;
        slot = static_cast<HCURSOR>(AddObject(std::move(c)));
    }
    return slot;
}

BOOL DestroyIcon(HICON icon) {
    Object* o = FindAnyObject(icon);
    if (!o || (o->kind != Kind::Icon && o->kind != Kind::Cursor)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (o->permanent) return TRUE;  // shared and system icons stay
    return RemoveObject(icon) ? TRUE : FALSE;
}

namespace platform::gdi {

bool IconPixels(HICON icon, std::vector<std::uint32_t>* argb, int* width, int* height) {
    auto* i = Find<Icon>(icon, Kind::Icon);
    if (!i) return false;
    if (argb) *argb = i->argb;
    if (width) *width = i->width;
    if (height) *height = i->height;
    return true;
}

int SystemCursorShape(HCURSOR cursor) {
    auto* c = Find<Cursor>(cursor, Kind::Cursor);
    return c ? c->shape : -1;
}

}  // namespace platform::gdi
