// Translation of SDL key and text events into what the window manager
// expects from a host: Windows virtual-key codes and UTF-16 text. Kept apart
// from the host object so that the tables can be checked without a display.
#pragma once

#include <SDL.h>

#include <string>

namespace platform::host::sdl {

// The virtual-key code of a key: letters 'A'..'Z' by the character the
// keyboard layout gives them, digits '0'..'9', function, navigation and
// editing keys, the modifier keys (either side maps to the same generic
// code), the keypad and the common punctuation keys. 0 for a key we do not
// translate.
int VirtualKeyFromSdl(SDL_Keycode sym, SDL_Scancode scancode);

// UTF-8 text as the desktop typed it, as UTF-16. Malformed sequences become
// U+FFFD each, so a broken input never loses the rest of the text.
std::u16string Utf8ToUtf16(const char* utf8);

// UTF-16 text as UTF-8 for the desktop (titles, clipboard). An unpaired
// surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);

// Whether typed text should reach the program while these modifiers are
// held: not with Alt alone (Alt+letter is a menu access key, as the system
// does with its "system characters"), and not with Control alone (shortcuts);
// Control+Alt together is AltGr on many layouts and types characters.
bool TextAllowedWithModifiers(SDL_Keymod mods);

}  // namespace platform::host::sdl
