// TextBox over the system "edit" class.
#include "framework/textbox.h"

#include "framework/registry.h"
#include "framework/wndproc.h"
#include "services/text.h"

namespace TQUtility {

TextBox::TextBox(GUIElement* p, const std::string& initial)
    : Child(nullptr), multiline(false), verticalScroll(false), readOnly(false) {
    parent = p;
    text = ToWide(initial);
    width = 80;
    height = 30;
    typeName = "textbox";
}

DWORD TextBox::WindowStyle() const {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    if (!enabled) style |= WS_DISABLED;
    if (verticalScroll) style |= WS_VSCROLL;
    style |= WS_BORDER | ES_AUTOHSCROLL | ES_LEFT;
    if (multiline) style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
    if (readOnly) style |= ES_READONLY;
    return style;
}

void TextBox::Create() {
    if (created) return;
    id = ++lastElementId;
    hwnd = CreateSystemChild(this, WS_EX_CLIENTEDGE, u"edit", WindowStyle());
    SubclassElement(this);
    created = true;
    ApplyFont();
}

void TextBox::ApplyStyle() {
    if (!created) return;
    if (SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(WindowStyle())) == 0) {
        static_cast<void>(GetLastError());
        return;
    }
    SendMessageW(hwnd, EM_SETREADONLY, readOnly ? 1 : 0, 0);
    SendMessageW(hwnd, EM_SETPASSWORDCHAR, 0, 0);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
}

}  // namespace TQUtility
