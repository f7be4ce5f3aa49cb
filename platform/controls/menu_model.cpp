// Menu objects: creation, items, enabling and state queries.
#include "platform/controls/menu_model.h"

#include <cwctype>
#include <memory>

namespace platform::controls {

MenuObject* FindMenu(HMENU menu) {
    auto* m = Find<MenuObject>(menu, Kind::Menu);
    if (!m) SetLastError(ERROR_INVALID_MENU_HANDLE);
    return m;
}

WCHAR AccessKeyOf(const std::u16string& text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&') continue;
        if (text[i + 1] == u'&') {
            ++i;
            continue;
        }
        return static_cast<WCHAR>(std::towlower(static_cast<wint_t>(text[i + 1])));
    }
    return 0;
}

std::u16string StripAccessMarks(const std::u16string& text, int* underlined) {
    std::u16string out;
    int mark = -1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) {
            if (text[i + 1] != u'&' && mark < 0) mark = static_cast<int>(out.size());
            ++i;
        }
        out.push_back(text[i]);
    }
    if (underlined) *underlined = mark;
    return out;
}

namespace {

// The item that `idOrPosition` names: by position in `menu`, or by command
// identifier anywhere in `menu` and its submenus.
MenuItem* LocateItem(MenuObject* menu, UINT idOrPosition, UINT flags, int depth = 0) {
    if (flags & MF_BYPOSITION) {
        if (idOrPosition >= menu->items.size()) return nullptr;
        return &menu->items[idOrPosition];
    }
    if (depth > 32) return nullptr;  // a menu listed inside itself must not recurse forever
    for (MenuItem& item : menu->items) {
        if (!(item.flags & MF_POPUP) && !(item.flags & MF_SEPARATOR) && item.id == idOrPosition) return &item;
    }
    for (MenuItem& item : menu->items) {
        if (!(item.flags & MF_POPUP)) continue;
        if (MenuObject* sub = Find<MenuObject>(item.submenu, Kind::Menu)) {
            if (MenuItem* found = LocateItem(sub, idOrPosition, flags & ~MF_BYPOSITION, depth + 1))
                return found;
        }
    }
    return nullptr;
}

void DestroyMenuTree(HMENU menu, int depth) {
    auto* m = Find<MenuObject>(menu, Kind::Menu);
    if (!m || depth > 32) return;
    std::vector<HMENU> subs;
    for (const MenuItem& item : m->items) {
        if (item.flags & MF_POPUP) subs.push_back(item.submenu);
    }
    RemoveObject(menu);
    for (HMENU sub : subs)
        DestroyMenuTree(sub, depth + 1);
}

}  // namespace

}  // namespace platform::controls

using platform::controls::FindMenu;
using platform::controls::MenuItem;
using platform::controls::MenuObject;

HMENU CreateMenu() {
    return static_cast<HMENU>(platform::AddObject(std::make_unique<MenuObject>(false)));
}

HMENU CreatePopupMenu() {
    return static_cast<HMENU>(platform::AddObject(std::make_unique<MenuObject>(true)));
}

BOOL DestroyMenu(HMENU menu) {
    if (!FindMenu(menu)) return FALSE;
    platform::controls::DestroyMenuTree(menu, 0);
    return TRUE;
}

BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCWSTR text) {
    MenuObject* m = FindMenu(menu);
    if (!m) return FALSE;
    MenuItem item;
    item.flags = flags & (MF_GRAYED | MF_DISABLED | MF_SEPARATOR | MF_POPUP);
    if (flags & MF_POPUP) {
        HMENU sub = reinterpret_cast<HMENU>(idOrPopup);
        // A submenu must be a live menu other than the menu itself.
        if (sub == menu || !FindMenu(sub)) {
            SetLastError(ERROR_INVALID_MENU_HANDLE);
            return FALSE;
        }
        item.submenu = sub;
    } else if (!(flags & MF_SEPARATOR)) {
        item.id = idOrPopup;
    }
    if (text && !(flags & MF_SEPARATOR)) item.text = text;
    m->items.push_back(std::move(item));
    return TRUE;
}

BOOL EnableMenuItem(HMENU menu, UINT idOrPosition, UINT flags) {
    MenuObject* m = FindMenu(menu);
    if (!m) return -1;
    MenuItem* item = platform::controls::LocateItem(m, idOrPosition, flags);
    if (!item) return -1;
    const UINT previous = item->flags & (MF_GRAYED | MF_DISABLED);
    item->flags = (item->flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
    return static_cast<BOOL>(previous);
}

int GetMenuItemCount(HMENU menu) {
    MenuObject* m = FindMenu(menu);
    if (!m) return -1;
    return static_cast<int>(m->items.size());
}

UINT GetMenuState(HMENU menu, UINT idOrPosition, UINT flags) {
    MenuObject* m = FindMenu(menu);
    if (!m) return static_cast<UINT>(-1);
    MenuItem* item = platform::controls::LocateItem(m, idOrPosition, flags);
    if (!item) return static_cast<UINT>(-1);
    if (item->flags & MF_POPUP) {
        // A submenu title reports its item count in the high byte of the low word.
        const int count = GetMenuItemCount(item->submenu);
        return (static_cast<UINT>(count < 0 ? 0 : count) << 8) | (item->flags & 0xFF) | MF_POPUP;
    }
    return item->flags;
}
