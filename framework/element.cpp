// The GUIElement defaults, setters and default event operations, and
// FontSpec's one-time font creation.
#include "framework/element.h"

#include <vector>

#include "framework/registry.h"
#include "services/text.h"

namespace TQUtility {

// ---------------------------------------------------------------------------
// FontSpec
// ---------------------------------------------------------------------------

FontSpec::FontSpec()
    : handle(nullptr),
      faceName(u"System"),
      height(0),
      bold(false),
      italic(false),
      underline(false),
      fixedPitch(false) {}

FontSpec::FontSpec(const std::string& face, std::int32_t h)
    : handle(nullptr),
      faceName(ToWide(face)),
      height(h),
      bold(false),
      italic(false),
      underline(false),
      fixedPitch(false) {}

FontSpec::~FontSpec() {
    if (handle != nullptr) DeleteObject(handle);
}

HFONT FontSpec::GetHandle() {
    if (handle != nullptr) return handle;
    handle = CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic ? 1 : 0, underline ? 1 : 0, 0,
                         DEFAULT_CHARSET, OUT_OUTLINE_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                         fixedPitch ? FIXED_PITCH : DEFAULT_PITCH, faceName.c_str());
    return handle;
}

// ---------------------------------------------------------------------------
// GUIElement: construction
// ---------------------------------------------------------------------------

GUIElement::GUIElement(HINSTANCE instance)
    : waitCursor(false),
      handCursor(false),
      hwnd(nullptr),
      hInstance(instance),
      windowClass{},
      font(nullptr),
      width(100),
      height(50),
      x(100),
      y(100),
      created(false),
      backColor(NoColor),
      paintBackColor(false),
      enabled(true),
      id(0),
      parent(nullptr),
      oldWndProc(nullptr),
      onCreate(nullptr),
      createNotified(false),
      onLButtonUp(nullptr),
      onLButtonDown(nullptr),
      onLButtonDblClk(nullptr),
      onRButtonUp(nullptr),
      onRButtonDown(nullptr),
      onRButtonDblClk(nullptr),
      onKeyUp(nullptr),
      onKeyDown(nullptr),
      onChar(nullptr),
      onMove(nullptr),
      onSize(nullptr),
      onPaint(nullptr),
      onClose(nullptr),
      onDestroy(nullptr),
      onSetFocus(nullptr),
      onKillFocus(nullptr),
      onActivate(nullptr),
      onDeactivate(nullptr),
      onTextChanged(nullptr),
      onMouseMove(nullptr),
      onMouseHover(nullptr),
      onMouseLeave(nullptr) {
    RegisterElement(this);
}

GUIElement::~GUIElement() = default;

// ---------------------------------------------------------------------------
// Setters and commands
// ---------------------------------------------------------------------------

void GUIElement::SetSize(int w, int h) {
    width = w;
    height = h;
    if (!created) return;
    SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOMOVE | SWP_NOZORDER);
    Redraw();
}

void GUIElement::SetBackColor(std::int32_t color) {
    backColor = color;
    if (!created) return;
    InvalidateRect(hwnd, nullptr, FALSE);
    RECT client{};
    GetClientRect(hwnd, &client);
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd, &ps);
    SetBkColor(dc, static_cast<COLORREF>(color));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, u"", 0, nullptr);
    EndPaint(hwnd, &ps);
    paintBackColor = true;
}

void GUIElement::SetEnabled(bool flag) {
    enabled = flag;
    if (created) EnableWindow(hwnd, flag ? TRUE : FALSE);
}

void GUIElement::SetText(const std::u16string& value) {
    text = value;
    if (created) SetWindowTextW(hwnd, text.c_str());
}

void GUIElement::SetText(const std::string& value) {
    SetText(ToWide(value));
}

void GUIElement::Focus() {
    if (created) SetFocus(hwnd);
}

void GUIElement::Redraw() {
    if (created) RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

bool GUIElement::GetWaitCursor() {
    return waitCursor;
}
bool GUIElement::GetHandCursor() {
    return handCursor;
}
void GUIElement::SetWaitCursor(bool flag) {
    waitCursor = flag;
}
void GUIElement::SetHandCursor(bool flag) {
    handCursor = flag;
}

void GUIElement::SetPosition(int newX, int newY) {
    x = newX;
    y = newY;
    if (!created) return;
    SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOSIZE | SWP_NOZORDER);
    Redraw();
}

POINT GUIElement::GetPosition() {
    if (created) {
        RECT r{};
        GetWindowRect(hwnd, &r);
        POINT p{r.left, r.top};
        if (parent != nullptr) ScreenToClient(parent->hwnd, &p);
        x = p.x;
        y = p.y;
    }
    return POINT{x, y};
}

SIZE GUIElement::GetSize() {
    if (created) {
        RECT r{};
        GetWindowRect(hwnd, &r);
        width = r.right - r.left;
        height = r.bottom - r.top;
    }
    return SIZE{width, height};
}

std::u16string GUIElement::GetText() {
    if (created) {
        int length = GetWindowTextLengthW(hwnd);
        if (length <= 0) {
            text.clear();
        } else {
            std::vector<WCHAR> buffer(static_cast<std::size_t>(length) + 1, 0);
            int got = GetWindowTextW(hwnd, buffer.data(), length + 1);
            if (got != 0) text.assign(buffer.data(), static_cast<std::size_t>(got));
        }
    }
    return text;
}

std::string GUIElement::GetTextNarrow() {
    return ToNarrow(GetText());
}

void GUIElement::ApplyFont() {
    if (font != nullptr) {
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font->GetHandle()), TRUE);
    }
}

// ---------------------------------------------------------------------------
// Default event operations: bookkeeping, then the callback of the same name
// ---------------------------------------------------------------------------

int GUIElement::OnLButtonUp(int mx, int my) {
    return onLButtonUp ? onLButtonUp(this, hwnd, mx, my) : 0;
}
int GUIElement::OnLButtonDown(int mx, int my) {
    return onLButtonDown ? onLButtonDown(this, hwnd, mx, my) : 0;
}
int GUIElement::OnLButtonDblClk(int mx, int my) {
    return onLButtonDblClk ? onLButtonDblClk(this, hwnd, mx, my) : 0;
}
int GUIElement::OnRButtonUp(int mx, int my) {
    return onRButtonUp ? onRButtonUp(this, hwnd, mx, my) : 0;
}
int GUIElement::OnRButtonDown(int mx, int my) {
    return onRButtonDown ? onRButtonDown(this, hwnd, mx, my) : 0;
}
int GUIElement::OnRButtonDblClk(int mx, int my) {
    return onRButtonDblClk ? onRButtonDblClk(this, hwnd, mx, my) : 0;
}
int GUIElement::OnKeyUp(int key) {
    return onKeyUp ? onKeyUp(this, key) : 0;
}
int GUIElement::OnKeyDown(int key) {
    return onKeyDown ? onKeyDown(this, key) : 0;
}
bool GUIElement::OnChar(int ch) {
    return onChar ? onChar(this, ch) : true;
}

void GUIElement::OnMouseMove(int mx, int my) {
    if (onMouseMove) onMouseMove(this, mx, my);
}
void GUIElement::OnMouseHover() {
    if (onMouseHover) onMouseHover(this);
}
void GUIElement::OnMouseLeave() {
    if (onMouseLeave) onMouseLeave(this);
}

void GUIElement::OnMove() {
    GetPosition();
    if (onMove) onMove(this);
}

void GUIElement::OnSize() {
    if (onSize) onSize(this);
}

void GUIElement::OnPaint() {
    if (paintBackColor) SetBackColor(backColor);
    if (onPaint) onPaint(this);
}

HBRUSH GUIElement::OnCtlColor(HDC) {
    return nullptr;
}

bool GUIElement::OnClose() {
    return onClose ? onClose(this) : true;
}

void GUIElement::OnDestroy() {
    if (onDestroy) onDestroy(this);
}

void GUIElement::OnSetFocus() {
    focusText = GetText();
    if (onSetFocus) onSetFocus(this);
}

void GUIElement::OnKillFocus() {
    if (onKillFocus) onKillFocus(this);
    if (GetText() != focusText && onTextChanged) onTextChanged(this);
}

void GUIElement::OnActivate() {
    if (onActivate) onActivate(this);
}
void GUIElement::OnDeactivate() {
    if (onDeactivate) onDeactivate(this);
}

void GUIElement::OnCreate(HWND windowHandle) {
    if (hwnd == nullptr) hwnd = windowHandle;
    if (!createNotified && onCreate) onCreate(this, hwnd);
    createNotified = true;
}

void GUIElement::OnShow() {}

}  // namespace TQUtility
