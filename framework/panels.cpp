// PanelChildren, ImageFrame and CellControl: class registration and
// creation, control colours, and the two self-painted faces.
#include "framework/panels.h"

#include "framework/registry.h"
#include "framework/wndproc.h"
#include "services/text.h"

namespace TQUtility {

// ---------------------------------------------------------------------------
// PanelChildren
// ---------------------------------------------------------------------------

PanelChildren::PanelChildren(GUIElement* p)
    : Child(nullptr), border(false), flatBorder(false), tabStop(true), ctlBrush(nullptr) {
    parent = p;
    typeName = "panel";
}

PanelChildren::~PanelChildren() {
    if (ctlBrush != nullptr) DeleteObject(ctlBrush);
}

DWORD PanelChildren::WindowStyle() const {
    DWORD style = WS_CHILD | WS_VISIBLE;
    if (tabStop) style |= WS_TABSTOP;
    if (!enabled) style |= WS_DISABLED;
    if (border) style |= WS_BORDER;
    return style;
}

DWORD PanelChildren::WindowExStyle() const {
    return border && !flatBorder ? WS_EX_CLIENTEDGE : 0;
}

void PanelChildren::Create() {
    if (created) return;
    std::u16string className = u"PanelChildren" + Int64ToWideText(lastElementId);
    id = ++lastElementId;

    windowClass = WNDCLASSW{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = ElementWndProc;
    windowClass.hInstance = parent != nullptr ? parent->hInstance : nullptr;
    windowClass.hIcon = nullptr;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = backColor == NoColor ? GetSysColorBrush(COLOR_BTNFACE)
                                                     : CreateSolidBrush(static_cast<COLORREF>(backColor));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = className.c_str();
    RegisterClassW(&windowClass);
    windowClass.lpszClassName = nullptr;  // no pointer into this function's string

    hwnd = CreateWindowExW(WindowExStyle(), className.c_str(), text.c_str(), WindowStyle(), x, y, width,
                           height, parent != nullptr ? parent->hwnd : nullptr,
                           reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), nullptr, nullptr);
    if (hwnd == nullptr) static_cast<void>(GetLastError());
    // Marked created before the first paint: the paint that UpdateWindow
    // sends draws the cell's content, which needs `created`; otherwise a
    // cell made on a visible form stays blank until something invalidates it.
    created = true;
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    if (onCreate != nullptr) onCreate(this, hwnd);
    ApplyFont();
}

void PanelChildren::SetBorder(bool on) {
    border = on;
    if (!created) return;
    SetLastError(0);
    if (SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(WindowStyle())) == 0 && GetLastError() != 0) {
        return;
    }
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
}

HBRUSH PanelChildren::OnCtlColor(HDC dc) {
    if (ctlBrush != nullptr) DeleteObject(ctlBrush);
    if (font != nullptr) SelectObject(dc, font->GetHandle());
    if (backColor == NoColor) {
        ctlBrush = GetSysColorBrush(COLOR_BTNFACE);
    } else {
        SetBkColor(dc, static_cast<COLORREF>(backColor));
        ctlBrush = CreateSolidBrush(static_cast<COLORREF>(backColor));
    }
    return ctlBrush;
}

// ---------------------------------------------------------------------------
// ImageFrame
// ---------------------------------------------------------------------------

ImageFrame::ImageFrame(GUIElement* p, HBITMAP s, std::int32_t code, std::int32_t row)
    : PanelChildren(p), transparent(true), sheet(s), tileCode(code), tileRow(row) {
    tabStop = false;
}

namespace {
// The picture must not be painted over, so the background refill of the
// element's default OnPaint is left out around the callback.
void NotifyPaintWithoutRefill(GUIElement* e) {
    bool saved = e->paintBackColor;
    e->paintBackColor = false;
    if (e->onPaint != nullptr) e->onPaint(e);
    e->paintBackColor = saved;
}
}  // namespace

void ImageFrame::OnPaint() {
    RECT client{};
    if (created && sheet != nullptr && GetClientRect(hwnd, &client)) {
        Drawing drawing(this);
        drawing.Begin();
        if (paintBackColor) {
            drawing.FillRectangle(0, 0, client.right - client.left, client.bottom - client.top,
                                  static_cast<COLORREF>(backColor));
        }
        SIZE size = GetSize();
        int w = size.cx;
        int h = size.cy;
        if (transparent) {
            drawing.BlitTransparent(0, 0, w, h, sheet, w * tileCode, h * tileRow);
        } else {
            drawing.Blit(0, 0, w, h, sheet, w * tileCode, h * tileRow);
        }
        drawing.End();
    }
    NotifyPaintWithoutRefill(this);
}

// ---------------------------------------------------------------------------
// CellControl
// ---------------------------------------------------------------------------

CellControl::CellControl(GUIElement* p)
    : PanelChildren(p), faceName("Tahoma"), fontHeight(14), textAlign(AlignCenter), textColor(0) {
    tabStop = false;
}

void CellControl::SetText(const std::u16string& value) {
    GUIElement::SetText(value);
    if (created) InvalidateRect(hwnd, nullptr, TRUE);
}

void CellControl::SetText(const std::string& value) {
    GUIElement::SetText(ToWide(value));
    if (created) InvalidateRect(hwnd, nullptr, TRUE);
}

void CellControl::SetForeColor(COLORREF colour) {
    textColor = colour;
    if (created) InvalidateRect(hwnd, nullptr, TRUE);
}

void CellControl::SetAlignment(TextAlign align) {
    textAlign = align;
    if (created) InvalidateRect(hwnd, nullptr, TRUE);
}

void CellControl::OnPaint() {
    RECT client{};
    if (created && GetClientRect(hwnd, &client)) {
        const int w = client.right - client.left;
        const int h = client.bottom - client.top;
        Drawing drawing(this);
        FontSpec defaultFont(faceName, fontHeight);
        drawing.Begin();
        if (paintBackColor) drawing.FillRectangle(0, 0, w, h, static_cast<COLORREF>(backColor));
        std::int32_t th = drawing.TextHeight(font != nullptr ? font : &defaultFont);
        if (!text.empty()) {
            int top = (h - th) / 2;
            drawing.WriteText(textAlign, 0, top, w, h - top, text, textColor,
                              font != nullptr ? font : &defaultFont);
        }
        drawing.End();
    }
    NotifyPaintWithoutRefill(this);
}

}  // namespace TQUtility
