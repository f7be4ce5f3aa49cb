// DefWindowProcW: what every window gets for the messages its own procedure
// passes on: closing, painting, background, cursor, hit testing, text, font,
// icon, control colours, the system close command, the menu keyboard and the
// non-client presses on the menu bar and the scroll bar.
#include <algorithm>

#include "platform/controls/controls.h"
#include "platform/gdi/surface.h"
#include "platform/wm/wm_internal.h"
#include "platform/wm/wm_state.h"

namespace platform::wm {
HBRUSH ClassBackground(Window* w);
}

using namespace platform;
using namespace platform::wm;

namespace {

LRESULT HitTest(Window* w, LPARAM lp) {
    POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    POINT o = WindowOriginScreen(w);
    POINT in{p.x - o.x, p.y - o.y};
    if (!Contains(RECT{0, 0, w->Width(), w->Height()}, in)) return HTNOWHERE;
    if (Contains(ClientRectInWindow(w), in)) return HTCLIENT;
    if (Contains(MenuBarRect(w->self), in)) return HTMENU;
    if (Contains(VerticalScrollBarRect(w->self), in)) return HTVSCROLL;
    return HTBORDER;
}

void OpenMenuFromKeyboard(HWND hwnd, WCHAR key) {
    Window* top = Root(Peek(hwnd));
    if (top && top->menu) controls::TrackMenuFromKeyboard(top->self, top->menu, key);
}

}  // namespace

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* w = Win(hwnd);
    if (!w) return 0;
    switch (msg) {
        case WM_NCCREATE:
            return TRUE;
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            if (BeginPaint(hwnd, &ps)) EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND: {
            HBRUSH b = ClassBackground(w);
            if (!b) return 0;
            RECT r{0, 0, ClientWidth(w), ClientHeight(w)};
            FillRect(reinterpret_cast<HDC>(wParam), &r, b);
            return 1;
        }
        case WM_SETCURSOR: {
            if (w->IsChild() && SendMessageW(w->parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
            if (!(w = Peek(hwnd))) return FALSE;
            const WORD hit = LOWORD(static_cast<std::uintptr_t>(lParam));
            if (hit == HTCLIENT && w->cls->cursor)
                SetCursor(w->cls->cursor);
            else
                SetCursor(LoadCursorW(nullptr, IDC_ARROW));
            return FALSE;
        }
        case WM_NCHITTEST:
            return HitTest(w, lParam);
        case WM_SETTEXT: {
            w->text = FromWide(reinterpret_cast<LPCWSTR>(lParam));
            if (!w->IsChild()) H().SetTitle(w->hostId, ToUtf8(w->text));
            return TRUE;
        }
        case WM_GETTEXT: {
            auto* buf = reinterpret_cast<WCHAR*>(lParam);
            const int max = static_cast<int>(wParam);
            if (!buf || max <= 0) return 0;
            const int n = std::min<int>(static_cast<int>(w->text.size()), max - 1);
            std::copy_n(w->text.data(), n, buf);
            buf[n] = 0;
            return n;
        }
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(w->text.size());
        case WM_SETFONT:
            w->font = reinterpret_cast<HFONT>(wParam);
            if (LOWORD(static_cast<std::uintptr_t>(lParam))) InvalidateClient(w, nullptr, true);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(w->font);
        case WM_SETICON: {
            HICON icon = reinterpret_cast<HICON>(lParam);
            HICON old = wParam == ICON_BIG ? w->iconBig : w->iconSmall;
            (wParam == ICON_BIG ? w->iconBig : w->iconSmall) = icon;
            if (!w->IsChild() && icon) {
                std::vector<std::uint32_t> argb;
                int iw = 0, ih = 0;
                if (gdi::IconPixels(icon, &argb, &iw, &ih) ||
                    gdi::BitmapPixels(reinterpret_cast<HBITMAP>(icon), &argb, &iw, &ih))
                    H().SetIcon(w->hostId, argb, iw, ih);
            }
            return reinterpret_cast<LRESULT>(old);
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLORSCROLLBAR: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            const int back =
                (msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX) ? COLOR_WINDOW : COLOR_BTNFACE;
            SetTextColor(dc, GetSysColor(msg == WM_CTLCOLORBTN ? COLOR_BTNTEXT : COLOR_WINDOWTEXT));
            SetBkColor(dc, GetSysColor(back));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(back));
        }
        case WM_SYSCOMMAND:
            switch (wParam & 0xFFF0) {
                case SC_CLOSE:
                    if (!EnabledChain(w)) return 0;
                    SendMessageW(Root(w)->self, WM_CLOSE, 0, 0);
                    return 0;
                case SC_MINIMIZE:
                    ShowWindow(Root(w)->self, SW_MINIMIZE);
                    return 0;
                case SC_KEYMENU:
                    OpenMenuFromKeyboard(hwnd, static_cast<WCHAR>(lParam));
                    return 0;
                default:
                    return 0;
            }
        case WM_SYSKEYDOWN:
            if (wParam == static_cast<WPARAM>(VK_F4) && (lParam & (1 << 29))) {
                SendMessageW(Root(w)->self, WM_SYSCOMMAND, SC_CLOSE, 0);
            } else if (wParam == static_cast<WPARAM>(VK_F10)) {
                SendMessageW(Root(w)->self, WM_SYSCOMMAND, SC_KEYMENU, 0);
            }
            return 0;
        case WM_SYSKEYUP:
            if (wParam == static_cast<WPARAM>(VK_MENU) && S().altTap) {
                S().altTap = false;
                SendMessageW(Root(w)->self, WM_SYSCOMMAND, SC_KEYMENU, 0);
            }
            return 0;
        case WM_SYSCHAR:
            SendMessageW(Root(w)->self, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wParam));
            return 0;
        case WM_NCLBUTTONDOWN: {
            POINT o = WindowOriginScreen(w);
            POINT pt{GET_X_LPARAM(lParam) - o.x, GET_Y_LPARAM(lParam) - o.y};
            if (wParam == static_cast<WPARAM>(HTMENU) && w->menu)
                controls::TrackMenuFromMouse(hwnd, w->menu, pt);
            else if (wParam == static_cast<WPARAM>(HTVSCROLL))
                controls::TrackScrollBar(hwnd, pt);
            return 0;
        }
        case WM_MOUSEWHEEL:
            if (w->IsChild()) return SendMessageW(w->parent, msg, wParam, lParam);
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE && !w->IsChild() && !w->minimized) {
                HWND f = GetFocus();
                if (!f || !IsDescendant(hwnd, f)) {
                    HWND restore = w->lastFocus;
                    SetFocus(Peek(restore) && IsDescendant(hwnd, restore) ? restore : hwnd);
                }
            }
            return 0;
        default:
            return 0;
    }
}
