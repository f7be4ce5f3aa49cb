// The element registry's lists, counter and lookups. The lists are
// constant-initialised (empty vectors need no constructor code), so elements
// constructed during static initialisation elsewhere still register safely.
#include "framework/registry.h"

#include "framework/menu.h"

namespace TQUtility {

constinit std::vector<GUIElement*> registeredElements;
constinit std::int32_t lastElementId = 0;
constinit std::vector<GUIElement*> deferredDeletes;

void RegisterElement(GUIElement* element) {
    registeredElements.push_back(element);
}

GUIElement* FindByWindow(HWND h) {
    for (GUIElement* e : registeredElements) {
        if (e->hwnd == h) return e;
    }
    if (!registeredElements.empty() && registeredElements.back()->hwnd == nullptr) {
        return registeredElements.back();
    }
    return nullptr;
}

GUIElement* FindById(std::int32_t id) {
    for (GUIElement* e : registeredElements) {
        if (e->id == id) return e;
    }
    return nullptr;
}

SubMenu* FindSubMenuById(std::int32_t id) {
    for (GUIElement* e : registeredElements) {
        if (e->id != id) continue;
        if (auto* item = dynamic_cast<SubMenu*>(e)) return item;
    }
    return nullptr;
}

std::vector<Child*> ChildrenOf(HWND h) {
    std::vector<Child*> result;
    for (GUIElement* e : registeredElements) {
        if (e->parent == nullptr || e->parent->hwnd != h) continue;
        if (auto* child = dynamic_cast<Child*>(e)) result.push_back(child);
    }
    return result;
}

}  // namespace TQUtility
