// The system "static" class: a line of text (SS_LEFT, SS_CENTER, SS_RIGHT)
// coloured through the parent's WM_CTLCOLORSTATIC answer, or a bitmap
// (SS_BITMAP, STM_SETIMAGE) drawn at its own size. Without SS_NOTIFY the
// control is transparent to the mouse; with it a click sends STN_CLICKED.
#include <unordered_map>

#include "platform/controls/controls_internal.h"
#include "platform/controls/draw_util.h"
#include "platform/controls/menu_model.h"

namespace platform::controls {
namespace {

struct StaticState {
    HFONT font = nullptr;
    HANDLE image = nullptr;  // not owned: the caller keeps and deletes it
};

std::unordered_map<HWND, StaticState>& States() {
    static auto* states = new std::unordered_map<HWND, StaticState>;
    return *states;
}

DWORD Style(HWND hwnd) {
    return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
}

void Paint(HWND hwnd, StaticState& s) {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd, &ps);
    if (!dc) return;
    RECT rc{};
    GetClientRect(hwnd, &rc);
    HGDIOBJ oldFont = SelectObject(dc, s.font ? s.font : DefaultGuiFont());
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    HBRUSH brush = nullptr;
    if (HWND parent = GetParent(hwnd)) {
        brush = reinterpret_cast<HBRUSH>(SendMessageW(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                      reinterpret_cast<LPARAM>(hwnd)));
    }
    if (!brush) brush = GetSysColorBrush(COLOR_BTNFACE);
    const DWORD style = Style(hwnd);
    if ((style & SS_TYPEMASK) == SS_BITMAP) {
        BITMAP info{};
        if (s.image && GetObjectW(s.image, sizeof(info), &info) != 0) {
            // Only the area the bitmap leaves free gets the background.
            RECT right{info.bmWidth, 0, rc.right, rc.bottom};
            RECT below{0, info.bmHeight, info.bmWidth < rc.right ? info.bmWidth : rc.right, rc.bottom};
            if (right.left < right.right) FillRect(dc, &right, brush);
            if (below.top < below.bottom) FillRect(dc, &below, brush);
            HDC memory = CreateCompatibleDC(dc);
            HGDIOBJ oldBitmap = SelectObject(memory, s.image);
            BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
            SelectObject(memory, oldBitmap);
            DeleteDC(memory);
        } else {
            FillRect(dc, &rc, brush);
        }
    } else {
        FillRect(dc, &rc, brush);
        if (!IsWindowEnabled(hwnd)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        UINT format = DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX;
        if ((style & SS_TYPEMASK) == SS_CENTER) format |= DT_CENTER;
        if ((style & SS_TYPEMASK) == SS_RIGHT) format |= DT_RIGHT;
        const std::u16string text = StripAccessMarks(WindowText(hwnd), nullptr);
        if (!text.empty()) DrawTextW(dc, text.data(), static_cast<int>(text.size()), &rc, format);
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCDESTROY) {
        States().erase(hwnd);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    StaticState& s = States()[hwnd];
    switch (msg) {
        case WM_NCHITTEST:
            if (!(Style(hwnd) & SS_NOTIFY)) return HTTRANSPARENT;
            break;
        case WM_LBUTTONDOWN:
            if (Style(hwnd) & SS_NOTIFY) NotifyParent(hwnd, STN_CLICKED);
            return 0;
        case WM_LBUTTONDBLCLK:
            if (Style(hwnd) & SS_NOTIFY) NotifyParent(hwnd, STN_DBLCLK);
            return 0;
        case WM_GETDLGCODE:
            return DLGC_STATIC;
        case WM_SETFONT:
            s.font = reinterpret_cast<HFONT>(wParam);
            if (LOWORD(static_cast<std::uintptr_t>(lParam))) InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(s.font);
        case WM_SETTEXT: {
            const LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
            InvalidateRect(hwnd, nullptr, TRUE);
            return r;
        }
        case WM_ENABLE:
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case STM_SETIMAGE: {
            if (wParam != IMAGE_BITMAP) return 0;
            HANDLE previous = s.image;
            s.image = reinterpret_cast<HANDLE>(lParam);
            InvalidateRect(hwnd, nullptr, TRUE);
            return reinterpret_cast<LRESULT>(previous);
        }
        case STM_GETIMAGE:
            return wParam == IMAGE_BITMAP ? reinterpret_cast<LRESULT>(s.image) : 0;
        case WM_ERASEBKGND:
            return 1;  // painting fills the whole client area
        case WM_PAINT:
            Paint(hwnd, s);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterStaticClass() {
    RegisterControlClass(u"static", StaticProc, CS_DBLCLKS, IDC_ARROW);
}

}  // namespace platform::controls
