// The menu objects behind HMENU: a menu bar or a drop-down menu is a list of
// items, each a command with an identifier, a separator, or a title that opens
// a submenu. Menus live in the handle table (Kind::Menu), so a stale handle
// fails and a forgotten menu shows up in the live-object counts.
#pragma once

#include <string>
#include <vector>

#include "platform/core/handles.h"
#include "platform/winapi.h"

namespace platform::controls {

struct MenuItem {
    UINT flags = 0;   // MF_GRAYED, MF_DISABLED, MF_SEPARATOR, MF_POPUP
    UINT_PTR id = 0;  // command identifier (not for MF_POPUP)
    HMENU submenu = nullptr;
    std::u16string text;  // with '&' before the access key
};

struct MenuObject : Object {
    explicit MenuObject(bool isPopup) : Object(Kind::Menu), popup(isPopup) {}
    bool popup;
    std::vector<MenuItem> items;
};

// The menu behind a handle, or null with ERROR_INVALID_MENU_HANDLE.
MenuObject* FindMenu(HMENU menu);

// The access key of a caption ("&File" -> 'f'), lower case; 0 when none.
WCHAR AccessKeyOf(const std::u16string& text);

// A caption without its '&' marks ("&&" stays one '&'), and the index of the
// underlined character in the result (-1 when none).
std::u16string StripAccessMarks(const std::u16string& text, int* underlined);

// True when the item can be chosen or opened.
inline bool ItemEnabled(const MenuItem& item) {
    return (item.flags & (MF_GRAYED | MF_DISABLED)) == 0;
}

}  // namespace platform::controls
