// Drawing helpers shared by the controls.
#include "platform/controls/draw_util.h"

#include <vector>

#include "platform/controls/menu_model.h"

namespace platform::controls {
namespace {

void Line(HDC dc, int x0, int y0, int x1, int y1, COLORREF color) {
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
    SelectObject(dc, old);
    DeleteObject(pen);
}

// Top and left in `light`, bottom and right in `dark`, one pixel inside `r`
// shrunk by `inset`.
void Bevel(HDC dc, const RECT& r, int inset, COLORREF light, COLORREF dark) {
    const int l = r.left + inset, t = r.top + inset, rr = r.right - 1 - inset, b = r.bottom - 1 - inset;
    if (rr <= l || b <= t) return;
    Line(dc, l, b, l, t, light);
    Line(dc, l, t, rr, t, light);
    Line(dc, rr, t, rr, b + 1, dark);
    Line(dc, l, b, rr, b, dark);
}

}  // namespace

void FillSys(HDC dc, const RECT& r, int sysColor) {
    FillRect(dc, &r, GetSysColorBrush(sysColor));
}

void DrawRaisedEdge(HDC dc, const RECT& r) {
    Bevel(dc, r, 0, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_3DDKSHADOW));
    Bevel(dc, r, 1, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_BTNSHADOW));
}

void DrawSunkenEdge(HDC dc, const RECT& r) {
    Bevel(dc, r, 0, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    Bevel(dc, r, 1, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT));
}

SIZE MeasureAccessText(HDC dc, const std::u16string& caption) {
    const std::u16string plain = StripAccessMarks(caption, nullptr);
    SIZE size{0, 0};
    if (!plain.empty()) {
        GetTextExtentPoint32W(dc, plain.data(), static_cast<int>(plain.size()), &size);
    } else {
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        size.cy = tm.tmHeight;
    }
    return size;
}

void DrawAccessText(HDC dc, const std::u16string& caption, const RECT& r, UINT align) {
    int mark = -1;
    const std::u16string plain = StripAccessMarks(caption, &mark);
    if (plain.empty()) return;
    SIZE size{};
    GetTextExtentPoint32W(dc, plain.data(), static_cast<int>(plain.size()), &size);
    int x = r.left;
    if (align & DT_CENTER) {
        x = r.left + (r.right - r.left - size.cx) / 2;
    } else if (align & DT_RIGHT) {
        x = r.right - size.cx;
    }
    const int y = r.top + (r.bottom - r.top - size.cy) / 2;
    ExtTextOutW(dc, x, y, ETO_CLIPPED, &r, plain.data(), static_cast<UINT>(plain.size()), nullptr);
    if (mark < 0) return;
    SIZE before{}, letter{};
    GetTextExtentPoint32W(dc, plain.data(), mark, &before);
    GetTextExtentPoint32W(dc, plain.data() + mark, 1, &letter);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    const int underlineY = y + tm.tmAscent + 1;
    if (letter.cx > 0)
        Line(dc, x + before.cx, underlineY, x + before.cx + letter.cx, underlineY, GetTextColor(dc));
}

HFONT DefaultGuiFont() {
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

std::u16string WindowText(HWND hwnd) {
    const LRESULT length = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    std::vector<WCHAR> buffer(static_cast<std::size_t>(length) + 1);
    const LRESULT got =
        SendMessageW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return std::u16string(buffer.data(), static_cast<std::size_t>(got < 0 ? 0 : got));
}

void NotifyParent(HWND control, WORD code) {
    HWND parent = GetParent(control);
    if (!parent) return;
    const WORD id = static_cast<WORD>(GetDlgCtrlID(control));
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

}  // namespace platform::controls
