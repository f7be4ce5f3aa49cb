// Keyboard navigation of dialogs and forms: the tab stops of a window in
// creation order, and the Tab, arrow, Enter and Escape keys.
#include "platform/wm_b/wm_state.h"

namespace platform::wm {
namespace {

void TabStops(Window* w, std::vector<Window*>* out) {
    for (Window* c : w->children) {
        if (!(c->style & WS_VISIBLE) || (c->style & WS_DISABLED)) continue;
        if (c->style & WS_TABSTOP) out->push_back(c);
        TabStops(c, out);
    }
}

// The push button that Enter presses: the focused one, else the default one.
Window* DefaultButton(Window* w) {
    for (Window* c : w->children) {
        if (!(c->style & WS_VISIBLE) || (c->style & WS_DISABLED)) continue;
        if (Send(c, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) return c;
        if (Window* d = DefaultButton(c)) return d;
    }
    return nullptr;
}

}  // namespace
}  // namespace platform::wm

using namespace platform;
using namespace platform::wm;

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
    Window* d = FindWindow(dialog);
    if (d == nullptr) return nullptr;
    std::vector<Window*> stops;
    TabStops(d, &stops);
    if (stops.empty()) return nullptr;
    Window* c = Peek(control);
    std::size_t i = 0;
    for (; i < stops.size(); ++i)
        if (stops[i] == c) break;
    if (i == stops.size()) return (previous ? stops.back() : stops.front())->handle;
    const std::size_t n = stops.size();
    return stops[previous ? (i + n - 1) % n : (i + 1) % n]->handle;
}

BOOL IsDialogMessageW(HWND dialog, MSG* msg) {
    Window* d = FindWindow(dialog);
    if (d == nullptr || msg == nullptr) return FALSE;
    Window* target = Peek(msg->hwnd);
    if (target == nullptr || !IsDescendant(d, target)) return FALSE;
    if (msg->message == WM_KEYDOWN) {
        const int vk = static_cast<int>(msg->wParam);
        const LRESULT code = Send(target, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
        if (Peek(msg->hwnd) == nullptr) return TRUE;
        const bool all = (code & DLGC_WANTALLKEYS) != 0;
        switch (vk) {
            case VK_TAB:
                if (all || (code & DLGC_WANTTAB)) break;
                if (HWND next = GetNextDlgTabItem(dialog, GetFocus(), S().keys[VK_SHIFT] ? TRUE : FALSE))
                    SetFocus(next);
                return TRUE;
            case VK_LEFT:
            case VK_RIGHT:
            case VK_UP:
            case VK_DOWN:
                if (all || (code & DLGC_WANTARROWS)) break;
                if (HWND next =
                        GetNextDlgTabItem(dialog, GetFocus(), (vk == VK_LEFT || vk == VK_UP) ? TRUE : FALSE))
                    SetFocus(next);
                return TRUE;
            case VK_RETURN: {
                if (all) break;
                Window* button = nullptr;
                if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) button = target;
                if (button == nullptr) button = DefaultButton(d);
                const WORD id = button ? static_cast<WORD>(button->id) : IDOK;
                Send(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button ? button->handle : nullptr));
                return TRUE;
            }
            case VK_ESCAPE:
                if (all) break;
                Send(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                return TRUE;
            default:
                break;
        }
    }
    TranslateMessage(msg);
    DispatchMessageW(msg);
    return TRUE;
}
