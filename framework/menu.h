// Menus: a form's menu bar built from elements that wrap the system menu
// functions instead of windows. MenuBar owns the bar and attaches it to the
// form; Menu is one drop-down entry of the bar; SubMenu is one command item of
// a drop-down and reports its choice through onCommand. Containers create
// their items, in insertion order, when they are created themselves, so the
// owner builds the tree first and creates the bar once; a later AddItem on a
// created container appears at once. The items lists do not own; the form
// deletes every menu element itself.
#pragma once

#include <string>
#include <vector>

#include "framework/button.h"
#include "framework/element.h"

namespace TQUtility {

class MenuBar : public Child {
public:
    std::vector<GUIElement*> items;  // the menus of the bar; not owned
    HMENU menuHandle;

    explicit MenuBar(GUIElement* form);

    void AddItem(GUIElement* element);
    // Nothing while the form has no window.
    void Create() override;
};

class Menu : public Child {
public:
    std::vector<GUIElement*> items;  // the items of the menu; not owned
    HMENU menuHandle;

    // Adds itself to the bar when one is given.
    Menu(const std::string& caption, MenuBar* bar);

    void AddItem(GUIElement* element);
    // Nothing while the bar has no menu.
    void Create() override;
};

class SubMenu : public Child, public CommandElement {
public:
    // Takes its id (the command identifier) here, and adds itself to the
    // menu when one is given.
    SubMenu(const std::string& caption, Menu* menu);

    // Greys or enables the item in the live menu.
    void SetEnabled(bool flag) override;
    void Create() override;
};

}  // namespace TQUtility
