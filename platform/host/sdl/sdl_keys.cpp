// Key and text translation for the SDL host (see sdl_keys.h).
#include "platform/host/sdl/sdl_keys.h"

#include <cstdint>

namespace platform::host::sdl {

namespace {

// Virtual-key codes beyond the ones platform/winapi.h names; the values are
// the system's.
constexpr int kVkPause = 0x13;
constexpr int kVkCapital = 0x14;
constexpr int kVkSnapshot = 0x2C;
constexpr int kVkLWin = 0x5B;
constexpr int kVkRWin = 0x5C;
constexpr int kVkApps = 0x5D;
constexpr int kVkNumpad0 = 0x60;
constexpr int kVkMultiply = 0x6A;
constexpr int kVkAdd = 0x6B;
constexpr int kVkSubtract = 0x6D;
constexpr int kVkDecimal = 0x6E;
constexpr int kVkDivide = 0x6F;
constexpr int kVkF1 = 0x70;
constexpr int kVkNumLock = 0x90;
constexpr int kVkScroll = 0x91;
constexpr int kVkOem1 = 0xBA;       // ;:
constexpr int kVkOemPlus = 0xBB;    // =+
constexpr int kVkOemComma = 0xBC;   // ,<
constexpr int kVkOemMinus = 0xBD;   // -_
constexpr int kVkOemPeriod = 0xBE;  // .>
constexpr int kVkOem2 = 0xBF;       // /?
constexpr int kVkOem3 = 0xC0;       // `~
constexpr int kVkOem4 = 0xDB;       // [{
constexpr int kVkOem5 = 0xDC;       // backslash |
constexpr int kVkOem6 = 0xDD;       // ]}
constexpr int kVkOem7 = 0xDE;       // '"
constexpr int kVkOem102 = 0xE2;     // <> beside the left Shift

struct ScancodeKey {
    SDL_Scancode scancode;
    int vk;
};

// Keys whose meaning does not depend on the layout, by physical position.
constexpr ScancodeKey kByScancode[] = {
    {SDL_SCANCODE_RETURN, 0x0D},
    {SDL_SCANCODE_KP_ENTER, 0x0D},
    {SDL_SCANCODE_ESCAPE, 0x1B},
    {SDL_SCANCODE_BACKSPACE, 0x08},
    {SDL_SCANCODE_TAB, 0x09},
    {SDL_SCANCODE_SPACE, 0x20},
    {SDL_SCANCODE_PAGEUP, 0x21},
    {SDL_SCANCODE_PAGEDOWN, 0x22},
    {SDL_SCANCODE_END, 0x23},
    {SDL_SCANCODE_HOME, 0x24},
    {SDL_SCANCODE_LEFT, 0x25},
    {SDL_SCANCODE_UP, 0x26},
    {SDL_SCANCODE_RIGHT, 0x27},
    {SDL_SCANCODE_DOWN, 0x28},
    {SDL_SCANCODE_INSERT, 0x2D},
    {SDL_SCANCODE_DELETE, 0x2E},
    {SDL_SCANCODE_LSHIFT, 0x10},
    {SDL_SCANCODE_RSHIFT, 0x10},
    {SDL_SCANCODE_LCTRL, 0x11},
    {SDL_SCANCODE_RCTRL, 0x11},
    {SDL_SCANCODE_LALT, 0x12},
    {SDL_SCANCODE_RALT, 0x12},
    {SDL_SCANCODE_PAUSE, kVkPause},
    {SDL_SCANCODE_CAPSLOCK, kVkCapital},
    {SDL_SCANCODE_PRINTSCREEN, kVkSnapshot},
    {SDL_SCANCODE_LGUI, kVkLWin},
    {SDL_SCANCODE_RGUI, kVkRWin},
    {SDL_SCANCODE_APPLICATION, kVkApps},
    {SDL_SCANCODE_NUMLOCKCLEAR, kVkNumLock},
    {SDL_SCANCODE_SCROLLLOCK, kVkScroll},
    {SDL_SCANCODE_KP_MULTIPLY, kVkMultiply},
    {SDL_SCANCODE_KP_PLUS, kVkAdd},
    {SDL_SCANCODE_KP_MINUS, kVkSubtract},
    {SDL_SCANCODE_KP_PERIOD, kVkDecimal},
    {SDL_SCANCODE_KP_DIVIDE, kVkDivide},
    {SDL_SCANCODE_NONUSBACKSLASH, kVkOem102},
};

struct KeycodeKey {
    SDL_Keycode sym;
    int vk;
};

// Punctuation by the character the layout puts on the key.
constexpr KeycodeKey kPunctuation[] = {
    {SDLK_SEMICOLON, kVkOem1}, {SDLK_EQUALS, kVkOemPlus},    {SDLK_PLUS, kVkOemPlus},
    {SDLK_COMMA, kVkOemComma}, {SDLK_MINUS, kVkOemMinus},    {SDLK_PERIOD, kVkOemPeriod},
    {SDLK_SLASH, kVkOem2},     {SDLK_BACKQUOTE, kVkOem3},    {SDLK_LEFTBRACKET, kVkOem4},
    {SDLK_BACKSLASH, kVkOem5}, {SDLK_RIGHTBRACKET, kVkOem6}, {SDLK_QUOTE, kVkOem7},
};

void AppendUtf16(std::u16string* out, std::uint32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out->push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out->push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out->push_back(static_cast<char16_t>(cp));
    }
}

void AppendUtf8(std::string* out, std::uint32_t cp) {
    if (cp < 0x80) {
        out->push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

int VirtualKeyFromSdl(SDL_Keycode sym, SDL_Scancode scancode) {
    // Letters follow the layout (the key that types "a" is 'A' on a French
    // keyboard too), as the system's virtual keys do.
    if (sym >= SDLK_a && sym <= SDLK_z) return 'A' + static_cast<int>(sym - SDLK_a);
    // Digits of the main row by position: on layouts where they need Shift
    // (French) the keys still are '0'..'9'.
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + (scancode - SDL_SCANCODE_1);
    if (scancode == SDL_SCANCODE_0) return '0';
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
        return kVkF1 + (scancode - SDL_SCANCODE_F1);
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9) {
        return kVkNumpad0 + 1 + (scancode - SDL_SCANCODE_KP_1);
    }
    if (scancode == SDL_SCANCODE_KP_0) return kVkNumpad0;
    for (const ScancodeKey& k : kByScancode) {
        if (k.scancode == scancode) return k.vk;
    }
    for (const KeycodeKey& k : kPunctuation) {
        if (k.sym == sym) return k.vk;
    }
    return 0;
}

std::u16string Utf8ToUtf16(const char* utf8) {
    std::u16string out;
    if (!utf8) return out;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p) {
        unsigned char c = *p;
        int extra = 0;
        std::uint32_t cp = 0;
        std::uint32_t min = 0;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1, cp = c & 0x1F, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, cp = c & 0x0F, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, cp = c & 0x07, min = 0x10000;
        } else {
            out.push_back(u'\uFFFD');
            ++p;
            continue;
        }
        ++p;
        bool ok = true;
        for (int i = 0; i < extra; ++i) {
            if ((*p & 0xC0) != 0x80) {  // also stops at the terminating zero
                ok = false;
                break;
            }
            cp = (cp << 6) | (*p & 0x3F);
            ++p;
        }
        if (!ok || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(u'\uFFFD');
            continue;
        }
        AppendUtf16(&out, cp);
    }
    return out;
}

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(&out, c);
    }
    return out;
}

bool TextAllowedWithModifiers(SDL_Keymod mods) {
    const bool ctrl = (mods & KMOD_CTRL) != 0;
    const bool alt = (mods & KMOD_ALT) != 0;
    return ctrl == alt;  // neither, or both (AltGr)
}

}  // namespace platform::host::sdl
