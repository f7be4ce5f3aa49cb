// Button: creation over the system "Button" class and the owner-drawn face.
#include "framework/button.h"

#include "framework/drawing.h"
#include "framework/registry.h"
#include "framework/wndproc.h"
#include "services/text.h"

namespace TQUtility {

Button::Button(GUIElement* p, const std::string& caption) : Child(nullptr), ownerDraw(false) {
    parent = p;
    text = ToWide(caption);
    width = 80;
    height = 30;
    typeName = "button";
}

DWORD Button::WindowStyle() const {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    if (ownerDraw) style |= BS_OWNERDRAW;
    if (!enabled) style |= WS_DISABLED;
    return style;
}

void Button::Create() {
    if (created) return;
    id = ++lastElementId;
    hwnd = CreateSystemChild(this, 0, u"Button", WindowStyle());
    SubclassElement(this);
    created = true;
    ApplyFont();
}

void Button::PaintFace(const DRAWITEMSTRUCT* drawItem) {
    if (drawItem == nullptr) return;
    const RECT r = drawItem->rcItem;
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    HDC dc = drawItem->hDC;

    Drawing drawing(this);
    COLORREF textColour = GetTextColor(dc);

    // The height of the font the device context holds: selecting a probe font
    // hands back the button's own font, whose description gives its height.
    FontSpec probe;
    HGDIOBJ buttonFont = SelectObject(dc, probe.GetHandle());
    LOGFONTW described{};
    GetObjectW(buttonFont, sizeof(described), &described);
    SelectObject(dc, buttonFont);
    int textTop = (h - described.lfHeight) / 2;
    if (textTop < 0) textTop = 0;

    drawing.Attach(dc);
    drawing.FillRectangle(r.left, r.top, w, h, GetBkColor(dc));

    COLORREF outline = textColour;
    if (drawItem->itemState & ODS_DISABLED) {
        textColour = 0x969696;
        outline = 0x696969;
    } else if (drawItem->itemState & ODS_SELECTED) {
        outline = 0xFFFFFF - textColour;
    }
    drawing.FrameRectangle(r.left, r.top, w, h, outline);
    drawing.WriteText(AlignCenter, r.left, r.top + textTop, w, h, GetTextNarrow(), textColour, nullptr);
    if (drawItem->itemState & ODS_FOCUS) {
        RECT focus{r.left + 3, r.top + 3, r.right - 3, r.bottom - 3};
        DrawFocusRect(dc, &focus);
    }
    drawing.End();
}

}  // namespace TQUtility
