// The system "Button" class: push buttons with a raised 3-D face, and
// owner-drawn buttons whose parent paints the face (WM_CTLCOLORBTN, then
// WM_DRAWITEM with the same device context). A press and release inside the
// button, the space bar, or BM_CLICK sends BN_CLICKED to the parent.
#include <unordered_map>

#include "platform/controls/controls_internal.h"
#include "platform/controls/draw_util.h"

namespace platform::controls {
namespace {

struct ButtonState {
    HFONT font = nullptr;
    bool mouseDown = false;  // the left button went down here and is held (capture)
    bool pressed = false;    // drawn pushed: held with the pointer inside, or the space bar
    bool spaceDown = false;
};

std::unordered_map<HWND, ButtonState>& States() {
    static auto* states = new std::unordered_map<HWND, ButtonState>;
    return *states;
}

DWORD ButtonType(HWND hwnd) {
    return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & BS_TYPEMASK;
}

void SetPressed(HWND hwnd, ButtonState& s, bool pressed) {
    if (s.pressed == pressed) return;
    s.pressed = pressed;
    InvalidateRect(hwnd, nullptr, FALSE);
}

void Click(HWND hwnd) {
    if (!IsWindowEnabled(hwnd)) return;
    NotifyParent(hwnd, BN_CLICKED);
}

void PaintSystemFace(HWND hwnd, const ButtonState& s, HDC dc, const RECT& rc) {
    const bool enabled = IsWindowEnabled(hwnd) != FALSE;
    const bool focused = GetFocus() == hwnd;
    FillSys(dc, rc, COLOR_BTNFACE);
    RECT face = rc;
    if (ButtonType(hwnd) == BS_DEFPUSHBUTTON || (focused && enabled)) {
        // The default button carries a dark outline around its edges.
        FrameRect(dc, &face, GetSysColorBrush(COLOR_WINDOWFRAME));
        face = {face.left + 1, face.top + 1, face.right - 1, face.bottom - 1};
    }
    if (s.pressed) {
        FrameRect(dc, &face, GetSysColorBrush(COLOR_BTNSHADOW));
    } else {
        DrawRaisedEdge(dc, face);
    }
    RECT text = face;
    if (s.pressed) OffsetRectBy(&text, 1, 1);
    SetBkMode(dc, TRANSPARENT);
    const std::u16string caption = WindowText(hwnd);
    if (enabled) {
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawAccessText(dc, caption, text, DT_CENTER);
    } else {
        // Embossed grey: a highlight copy one pixel down-right under the grey text.
        RECT shadow = text;
        OffsetRectBy(&shadow, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawAccessText(dc, caption, shadow, DT_CENTER);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawAccessText(dc, caption, text, DT_CENTER);
    }
    if (focused) {
        RECT focus{face.left + 3, face.top + 3, face.right - 3, face.bottom - 3};
        DrawFocusRect(dc, &focus);
    }
}

void Paint(HWND hwnd, ButtonState& s) {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd, &ps);
    if (!dc) return;
    RECT rc{};
    GetClientRect(hwnd, &rc);
    HGDIOBJ oldFont = SelectObject(dc, s.font ? s.font : DefaultGuiFont());
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    HWND parent = GetParent(hwnd);
    // The parent may choose the colours; for an owner-drawn button they stay
    // in the device context for the face painter.
    if (parent)
        SendMessageW(parent, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd));
    if (ButtonType(hwnd) == BS_OWNERDRAW) {
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
        item.itemAction = ODA_DRAWENTIRE;
        if (s.pressed) item.itemState |= ODS_SELECTED;
        if (GetFocus() == hwnd) item.itemState |= ODS_FOCUS;
        if (!IsWindowEnabled(hwnd)) item.itemState |= ODS_DISABLED;
        item.hwndItem = hwnd;
        item.hDC = dc;
        item.rcItem = rc;
        if (parent) SendMessageW(parent, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    } else {
        PaintSystemFace(hwnd, s, dc, rc);
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCDESTROY) {
        States().erase(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    ButtonState& s = States()[hwnd];
    switch (msg) {
        case WM_GETDLGCODE:
            return DLGC_BUTTON |
                   (ButtonType(hwnd) == BS_DEFPUSHBUTTON ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        case WM_SETFONT:
            s.font = reinterpret_cast<HFONT>(wParam);
            if (LOWORD(static_cast<std::uintptr_t>(lParam))) InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(s.font);
        case WM_SETTEXT: {
            const LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
            InvalidateRect(hwnd, nullptr, FALSE);
            return r;
        }
        case WM_ENABLE:
            if (!wParam) {
                s.spaceDown = false;
                if (s.mouseDown && GetCapture() == hwnd) ReleaseCapture();
                s.mouseDown = false;
                s.pressed = false;
            }
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_SETFOCUS:
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_KILLFOCUS:
            s.spaceDown = false;
            if (s.mouseDown && GetCapture() == hwnd) ReleaseCapture();
            s.mouseDown = false;
            s.pressed = false;
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_LBUTTONDBLCLK:
            if (ButtonType(hwnd) == BS_OWNERDRAW) {
                NotifyParent(hwnd, BN_DOUBLECLICKED);
                return 0;
            }
            [[fallthrough]];
        case WM_LBUTTONDOWN:
            if (GetFocus() != hwnd) SetFocus(hwnd);
            SetCapture(hwnd);
            s.mouseDown = true;
            SetPressed(hwnd, s, true);
            return 0;
        case WM_MOUSEMOVE:
            if (s.mouseDown) {
                RECT rc{};
                GetClientRect(hwnd, &rc);
                SetPressed(hwnd, s, Contains(rc, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
            }
            return 0;
        case WM_LBUTTONUP: {
            if (!s.mouseDown) return 0;
            const bool inside = s.pressed;
            s.mouseDown = false;
            SetPressed(hwnd, s, false);
            if (GetCapture() == hwnd) ReleaseCapture();
            if (inside) Click(hwnd);
            return 0;
        }
        case WM_CAPTURECHANGED:
            if (s.mouseDown) {
                s.mouseDown = false;
                SetPressed(hwnd, s, false);
            }
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_SPACE && !s.mouseDown) {
                s.spaceDown = true;
                SetPressed(hwnd, s, true);
                return 0;
            }
            break;
        case WM_KEYUP:
            if (wParam == VK_SPACE && s.spaceDown) {
                s.spaceDown = false;
                SetPressed(hwnd, s, false);
                Click(hwnd);
                return 0;
            }
            break;
        case BM_CLICK:
            Click(hwnd);
            return 0;
        case BM_GETSTATE:
            return (s.pressed ? BST_PUSHED : 0) | (GetFocus() == hwnd ? BST_FOCUS : 0);
        case BM_SETSTATE:
            SetPressed(hwnd, s, wParam != 0);
            return 0;
        case BM_SETSTYLE: {
            const DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
            SetWindowLongW(
                hwnd, GWL_STYLE,
                static_cast<LONG_PTR>((style & ~BS_TYPEMASK) | (static_cast<DWORD>(wParam) & BS_TYPEMASK)));
            if (LOWORD(static_cast<std::uintptr_t>(lParam))) InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // the face covers the whole client area
        case WM_PAINT:
            Paint(hwnd, s);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterButtonClass() {
    RegisterControlClass(u"Button", ButtonProc, CS_DBLCLKS, IDC_ARROW);
}

}  // namespace platform::controls
