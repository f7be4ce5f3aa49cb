// MenuBar, Menu and SubMenu over the system menu functions.
#include "framework/menu.h"

#include "framework/registry.h"
#include "services/text.h"

namespace TQUtility {

// ---------------------------------------------------------------------------
// MenuBar
// ---------------------------------------------------------------------------

MenuBar::MenuBar(GUIElement* form) : Child(nullptr), menuHandle(nullptr) {
    parent = form;
    typeName = "menubar";
}

void MenuBar::AddItem(GUIElement* element) {
    items.push_back(element);
    if (created) element->Create();
}

void MenuBar::Create() {
    if (created) return;
    if (parent == nullptr || parent->hwnd == nullptr) return;
    menuHandle = CreateMenu();
    for (GUIElement* item : items)
        item->Create();
    SetMenu(parent->hwnd, menuHandle);
    created = true;
    hwnd = reinterpret_cast<HWND>(menuHandle);
}

// ---------------------------------------------------------------------------
// Menu
// ---------------------------------------------------------------------------

Menu::Menu(const std::string& caption, MenuBar* bar) : Child(nullptr), menuHandle(nullptr) {
    text = ToWide(caption);
    parent = bar;
    typeName = "menu";
    if (bar != nullptr) bar->AddItem(this);
}

void Menu::AddItem(GUIElement* element) {
    items.push_back(element);
    if (created) element->Create();
}

void Menu::Create() {
    if (created) return;
    auto* bar = dynamic_cast<MenuBar*>(parent);
    if (bar == nullptr || bar->menuHandle == nullptr) return;
    menuHandle = CreateMenu();
    for (GUIElement* item : items)
        item->Create();
    AppendMenuW(bar->menuHandle, MF_POPUP, reinterpret_cast<UINT_PTR>(menuHandle), text.c_str());
    created = true;
    hwnd = reinterpret_cast<HWND>(menuHandle);
}

// ---------------------------------------------------------------------------
// SubMenu
// ---------------------------------------------------------------------------

SubMenu::SubMenu(const std::string& caption, Menu* menu) : Child(nullptr) {
    parent = menu;
    text = ToWide(caption);
    typeName = "submenu";
    id = ++lastElementId;
    if (menu != nullptr) menu->AddItem(this);
}

void SubMenu::SetEnabled(bool flag) {
    enabled = flag;
    if (!created) return;
    auto* menu = dynamic_cast<Menu*>(parent);
    if (menu == nullptr) return;
    EnableMenuItem(menu->menuHandle, static_cast<UINT>(id), flag ? MF_ENABLED : MF_GRAYED);
}

void SubMenu::Create() {
    if (created) return;
    auto* menu = dynamic_cast<Menu*>(parent);
    if (menu == nullptr || menu->menuHandle == nullptr) return;
    AppendMenuW(menu->menuHandle, MF_STRING, static_cast<UINT_PTR>(id),
                text.empty() ? nullptr : text.c_str());
    created = true;
    if (!enabled) SetEnabled(false);
}

}  // namespace TQUtility
