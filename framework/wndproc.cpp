// ElementWndProc, the shared window procedure.
//
// Index:
//   - globals
//   - activation, Tab navigation, command routing, owner draw
//   - the procedure: lookup, one switch over message kinds, default processing
#include "framework/wndproc.h"

#include "framework/button.h"
#include "framework/form.h"
#include "framework/menu.h"
#include "framework/registry.h"
#include "framework/timer.h"

namespace TQUtility {

// ---------------------------------------------------------------------------
// Globals
// ---------------------------------------------------------------------------

HCURSOR waitCursorHandle = nullptr;
HCURSOR handCursorHandle = nullptr;
Form* activeForm = nullptr;
bool mouseTracking = false;

namespace {

// ---------------------------------------------------------------------------
// Activation: the decision asks the system which window is in front.
// ---------------------------------------------------------------------------

void Activate(Form* f) {
    if (GetForegroundWindow() != f->hwnd) {
        f->OnDeactivate();
        return;
    }
    if (activeForm != nullptr) activeForm->OnDeactivate();
    f->OnActivate();
    activeForm = f;
    Form* child = f->modalChild;
    if (child != nullptr && child->created && f->hwnd != nullptr) {
        // Keep the modal child in front of its owner: the owner goes directly
        // behind the child, so a click on the owner never buries the window
        // that expects the input. While the owner is disabled (the child is
        // modal for it), the child also takes the activation; an enabled
        // owner keeps it, or the owner's default activation handling would
        // take it straight back and the two would trade it forever.
        SetWindowPos(f->hwnd, child->hwnd, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
        if (!IsWindowEnabled(f->hwnd)) SetForegroundWindow(child->hwnd);
    }
}

// ---------------------------------------------------------------------------
// Tab navigation: the focus moves to the next (Shift: previous) tab stop of
// the element's dialog window, its parent's window for children.
// ---------------------------------------------------------------------------

void TabNavigate(GUIElement* element, HWND hwnd) {
    HWND dialog = hwnd;
    if (element->parent != nullptr && dynamic_cast<Child*>(element) != nullptr)
        dialog = element->parent->hwnd;
    BOOL backwards = (static_cast<unsigned short>(GetKeyState(VK_SHIFT)) & 0x8000) != 0 ? TRUE : FALSE;
    HWND next = GetNextDlgTabItem(dialog, hwnd, backwards);
    if (next == nullptr) return;
    if (GUIElement* target = FindByWindow(next)) target->Focus();
}

// ---------------------------------------------------------------------------
// Commands: menu items by identifier, control notifications by window.
// ---------------------------------------------------------------------------

void RouteCommand(WPARAM wParam, LPARAM lParam) {
    if (lParam == 0) {
        if (HIWORD(wParam) != 0) return;  // accelerators: nothing
        SubMenu* item = FindSubMenuById(LOWORD(wParam));
        if (item != nullptr && item->onCommand != nullptr) item->onCommand(item);
        return;
    }
    GUIElement* control = FindByWindow(reinterpret_cast<HWND>(lParam));
    if (control == nullptr) return;
    auto* command = dynamic_cast<CommandElement*>(control);
    if (command != nullptr && command->onCommand != nullptr) command->onCommand(control);
}

// True when the request was for an owner-drawn button's face and it was painted.
bool RouteDrawItem(WPARAM wParam, LPARAM lParam) {
    auto* button = dynamic_cast<Button*>(FindById(static_cast<std::int32_t>(wParam)));
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (button == nullptr || item == nullptr || item->CtlType != ODT_BUTTON) return false;
    button->PaintFace(item);
    return true;
}

void RouteTimer(WPARAM wParam) {
    auto* timer = dynamic_cast<Timer*>(FindById(static_cast<std::int32_t>(wParam)));
    if (timer != nullptr && timer->onTick != nullptr) timer->onTick(timer);
}

}  // namespace

// ---------------------------------------------------------------------------
// The procedure
// ---------------------------------------------------------------------------

HWND CreateSystemChild(GUIElement* e, DWORD exStyle, LPCWSTR className, DWORD style) {
    return CreateWindowExW(exStyle, className, e->text.c_str(), style, e->x, e->y, e->width, e->height,
                           e->parent != nullptr ? e->parent->hwnd : nullptr,
                           reinterpret_cast<HMENU>(static_cast<std::intptr_t>(e->id)), nullptr, nullptr);
}

void SubclassElement(GUIElement* e) {
    if (e->hwnd == nullptr) {
        static_cast<void>(GetLastError());
        return;
    }
    e->oldWndProc = reinterpret_cast<WNDPROC>(
        SetWindowLongW(e->hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&ElementWndProc)));
}

LRESULT ElementWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    GUIElement* element = FindByWindow(hwnd);
    if (waitCursorHandle == nullptr) waitCursorHandle = LoadCursorW(nullptr, IDC_WAIT);
    if (handCursorHandle == nullptr) handCursorHandle = LoadCursorW(nullptr, IDC_HAND);
    // Taken before handling: a handler may replace the element's procedure.
    WNDPROC previous = element != nullptr ? element->oldWndProc : nullptr;
    const int mx = GET_X_LPARAM(lParam);
    const int my = GET_Y_LPARAM(lParam);

    switch (message) {
        case WM_CREATE:
            if (auto* form = dynamic_cast<Form*>(element)) form->OnCreate(hwnd);
            break;
        case WM_DESTROY:
            if (element != nullptr) element->OnDestroy();
            if (hwnd == mainWindow) PostQuitMessage(0);
            break;
        case WM_MOVE:
            if (element != nullptr) element->OnMove();
            break;
        case WM_SIZE:
            if (element != nullptr) element->OnSize();
            break;
        case WM_ACTIVATE:
            if (auto* form = dynamic_cast<Form*>(element)) Activate(form);
            break;
        case WM_SETFOCUS:
            if (element != nullptr) element->OnSetFocus();
            break;
        case WM_KILLFOCUS:
            if (element != nullptr) element->OnKillFocus();
            break;
        case WM_PAINT:
            if (element != nullptr) element->OnPaint();
            break;
        case WM_CLOSE:
            if (element != nullptr && !element->OnClose()) return 1;
            break;
        case WM_SHOWWINDOW:
            if (element != nullptr) {
                element->OnShow();
                element->OnSize();
            }
            break;
        case WM_SETCURSOR:
            if (element != nullptr &&
                static_cast<LRESULT>(LOWORD(static_cast<std::uintptr_t>(lParam))) == HTCLIENT) {
                if (element->GetHandCursor()) {
                    SetCursor(handCursorHandle);
                    return TRUE;
                }
                if (element->GetWaitCursor()) {
                    SetCursor(waitCursorHandle);
                    return TRUE;
                }
            }
            break;
        case WM_DRAWITEM:
            if (RouteDrawItem(wParam, lParam)) return TRUE;
            break;
        case WM_KEYDOWN:
            if (element != nullptr) {
                if (wParam == static_cast<WPARAM>(VK_TAB)) TabNavigate(element, hwnd);
                element->OnKeyDown(static_cast<int>(wParam));
            }
            break;
        case WM_KEYUP:
            if (element != nullptr) element->OnKeyUp(static_cast<int>(wParam));
            break;
        case WM_CHAR:
            if (element != nullptr && !element->OnChar(static_cast<int>(wParam))) return 1;
            break;
        case WM_COMMAND:
            RouteCommand(wParam, lParam);
            break;
        case WM_TIMER:
            RouteTimer(wParam);
            break;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            if (element != nullptr) {
                if (HBRUSH brush = element->OnCtlColor(reinterpret_cast<HDC>(wParam))) {
                    return reinterpret_cast<LRESULT>(brush);
                }
            }
            break;
        case WM_MOUSEMOVE:
            if (element != nullptr) {
                element->OnMouseMove(mx, my);
                if (!mouseTracking) {
                    TRACKMOUSEEVENT request{};
                    request.cbSize = 16;
                    request.dwFlags = TME_HOVER | TME_LEAVE;
                    request.hwndTrack = element->hwnd;
                    request.dwHoverTime = HOVER_DEFAULT;
                    mouseTracking = TrackMouseEvent(&request) != FALSE;
                }
            }
            break;
        case WM_LBUTTONDOWN:
            if (element != nullptr) element->OnLButtonDown(mx, my);
            break;
        case WM_LBUTTONUP:
            if (element != nullptr) element->OnLButtonUp(mx, my);
            break;
        case WM_LBUTTONDBLCLK:
            if (element != nullptr) element->OnLButtonDblClk(mx, my);
            break;
        case WM_RBUTTONDOWN:
            if (element != nullptr) element->OnRButtonDown(mx, my);
            break;
        case WM_RBUTTONUP:
            if (element != nullptr) element->OnRButtonUp(mx, my);
            break;
        case WM_RBUTTONDBLCLK:
            if (element != nullptr) element->OnRButtonDblClk(mx, my);
            break;
        case WM_MOUSEHOVER:
            if (element != nullptr) element->OnMouseHover();
            break;
        case WM_MOUSELEAVE:
            mouseTracking = false;
            if (element != nullptr) element->OnMouseLeave();
            break;
        default:
            break;
    }

    if (previous != nullptr) return CallWindowProcW(previous, hwnd, message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace TQUtility
