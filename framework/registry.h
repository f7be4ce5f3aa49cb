// The element registry: the process-wide list of every element ever
// constructed, the identifier counter and the list of elements whose deletion
// waits until the message loop has ended. The window procedure turns window
// handles and identifiers back into elements through the lookups here.
//
// The registry owns no element and never shrinks, so an element must stay
// alive while windows can still send messages: an element replaced during the
// run goes to deferredDeletes instead of being deleted. Lookups are linear
// scans in registration order; they return null when nothing matches.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/element.h"

namespace TQUtility {

class SubMenu;

// Every element, in construction order; entries are never null or removed.
extern std::vector<GUIElement*> registeredElements;
// The last identifier handed out; identifiers are 1, 2, 3, ...
extern std::int32_t lastElementId;
// Elements to destroy after the message loop, in this order.
extern std::vector<GUIElement*> deferredDeletes;

// Appends the element (the GUIElement constructor's last step).
void RegisterElement(GUIElement* element);

// The first element whose hwnd is h. Failing that, the last registered
// element when it has no window yet (a window sends messages to its procedure
// while it is being created, before its element knows its handle); else null.
GUIElement* FindByWindow(HWND h);

// The first element whose id is `id`, or null.
GUIElement* FindById(std::int32_t id);

// The first SubMenu whose id is `id`, or null (other kinds are skipped).
SubMenu* FindSubMenuById(std::int32_t id);

// Every Child whose parent's window is h, in registration order; children of
// children are not included.
std::vector<Child*> ChildrenOf(HWND h);

}  // namespace TQUtility
