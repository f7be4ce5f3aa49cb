// The SDL host's translation of keys and text, which every key press and
// every typed character of the program goes through.
#include "platform/host/sdl/sdl_keys.h"

#include <gtest/gtest.h>

namespace sdl = platform::host::sdl;

namespace {

// Keys reach the window manager as the system's virtual-key codes; either
// Shift, Control or Alt gives the one generic code the menu and dialog
// handling look for (Alt+F4 is VK_MENU then VK_F4).
TEST(SdlKeys, VirtualKeyCodes) {
    struct Case {
        SDL_Keycode sym;
        SDL_Scancode scancode;
        int vk;
    };
    const Case cases[] = {
        {SDLK_a, SDL_SCANCODE_A, 'A'},
        {SDLK_z, SDL_SCANCODE_Z, 'Z'},
        {SDLK_q, SDL_SCANCODE_A, 'Q'},          // AZERTY: the layout's letter counts
        {SDLK_AMPERSAND, SDL_SCANCODE_1, '1'},  // AZERTY digit row: by position
        {SDLK_0, SDL_SCANCODE_0, '0'},
        {SDLK_9, SDL_SCANCODE_9, '9'},
        {SDLK_F1, SDL_SCANCODE_F1, 0x70},
        {SDLK_F4, SDL_SCANCODE_F4, 0x73},
        {SDLK_F12, SDL_SCANCODE_F12, 0x7B},
        {SDLK_LALT, SDL_SCANCODE_LALT, 0x12},
        {SDLK_RALT, SDL_SCANCODE_RALT, 0x12},
        {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, 0x10},
        {SDLK_RCTRL, SDL_SCANCODE_RCTRL, 0x11},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, 0x0D},
        {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 0x0D},
        {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 0x1B},
        {SDLK_TAB, SDL_SCANCODE_TAB, 0x09},
        {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, 0x08},
        {SDLK_SPACE, SDL_SCANCODE_SPACE, 0x20},
        {SDLK_LEFT, SDL_SCANCODE_LEFT, 0x25},
        {SDLK_DOWN, SDL_SCANCODE_DOWN, 0x28},
        {SDLK_HOME, SDL_SCANCODE_HOME, 0x24},
        {SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, 0x22},
        {SDLK_DELETE, SDL_SCANCODE_DELETE, 0x2E},
        {SDLK_INSERT, SDL_SCANCODE_INSERT, 0x2D},
        {SDLK_KP_0, SDL_SCANCODE_KP_0, 0x60},
        {SDLK_KP_9, SDL_SCANCODE_KP_9, 0x69},
        {SDLK_COMMA, SDL_SCANCODE_COMMA, 0xBC},
        {SDLK_MINUS, SDL_SCANCODE_MINUS, 0xBD},
        {SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sdl::VirtualKeyFromSdl(c.sym, c.scancode), c.vk) << "key " << SDL_GetKeyName(c.sym);
    }
}

// Typed text and the clipboard cross as UTF-8; accented letters, the
// copyright sign and characters beyond the first plane survive the round
// trip, and malformed input is replaced, never truncated or over-read.
TEST(SdlKeys, Utf8AndUtf16) {
    struct Case {
        const char* utf8;
        std::u16string utf16;
    };
    const Case cases[] = {
        {"", u""},
        {"abc", u"abc"},
        {"\xC3\xA8\xC3\xA0 \xC2\xA9", u"\u00E8\u00E0 \u00A9"},
        {"\xE2\x82\xAC", u"\u20AC"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sdl::Utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
        EXPECT_EQ(sdl::Utf16ToUtf8(c.utf16), c.utf8);
    }
    EXPECT_EQ(sdl::Utf8ToUtf16(nullptr), u"");
    EXPECT_EQ(sdl::Utf8ToUtf16("a\xC3"), u"a\uFFFD");  // cut short at the end
    EXPECT_EQ(sdl::Utf8ToUtf16("\xFF"
                               "b"),
              u"\uFFFD"
              "b");                                          // not a lead byte
    EXPECT_EQ(sdl::Utf8ToUtf16("\xC0\xAF"), u"\uFFFD");      // overlong
    EXPECT_EQ(sdl::Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");  // an encoded surrogate
    EXPECT_EQ(sdl::Utf16ToUtf8(std::u16string(1, u'\xD800') + u"x"),
              "\xEF\xBF\xBD"
              "x");
}

// Alt+letter is a menu access key and Control+letter a shortcut, so neither
// types text; AltGr (Control and Alt together) does.
TEST(SdlKeys, TextWithModifiers) {
    EXPECT_TRUE(sdl::TextAllowedWithModifiers(KMOD_NONE));
    EXPECT_TRUE(sdl::TextAllowedWithModifiers(KMOD_LSHIFT));
    EXPECT_TRUE(sdl::TextAllowedWithModifiers(KMOD_MODE));
    EXPECT_FALSE(sdl::TextAllowedWithModifiers(KMOD_LALT));
    EXPECT_FALSE(sdl::TextAllowedWithModifiers(KMOD_RCTRL));
    EXPECT_TRUE(sdl::TextAllowedWithModifiers(static_cast<SDL_Keymod>(KMOD_LCTRL | KMOD_RALT)));
}

}  // namespace
