// The element model of the TQUtility framework: GUIElement, the base of every
// piece of the user interface, its parented variant Child, the font
// description FontSpec and the callback types.
//
// An element holds the state every kind shares (window, geometry, colours,
// texts, enabled state, identifier, parent) and two layers of events: the
// shared window procedure calls a virtual event operation (OnLButtonDown,
// OnClose, ...), whose default calls the plain function-pointer callback of
// the same name in lower camel case (onLButtonDown, onClose, ...) with the
// element as first argument. Derived classes override operations; whoever
// builds a user interface sets callbacks. Setters store their value and, once
// the window exists (`created`), apply it to the window at once.
//
// Elements register themselves in the element registry when constructed and
// are never removed from it, so no element may be deleted while the message
// loop runs (see registry.h). Destructors never destroy windows; only the Form
// destructor closes a window that still exists.
#pragma once

#include <cstdint>
#include <string>

#include "platform/winapi.h"

namespace TQUtility {

class GUIElement;

// A font description that makes its system font on first use and keeps it
// for its whole life. Forms own their FontSpecs; elements only point at one.
class FontSpec {
public:
    HFONT handle;  // made by GetHandle, deleted by the destructor
    std::u16string faceName;
    std::int32_t height;  // passed unchanged to CreateFontW
    bool bold;            // weight 700 instead of 400
    bool italic;
    bool underline;
    bool fixedPitch;  // FIXED_PITCH instead of DEFAULT_PITCH

    // Face "System", height 0 (the font mapper's default size), no flags.
    FontSpec();
    // The face converted with ToWide; flags are set directly afterwards,
    // before the first GetHandle.
    FontSpec(const std::string& face, std::int32_t height);
    ~FontSpec();
    FontSpec(const FontSpec&) = delete;
    FontSpec& operator=(const FontSpec&) = delete;

    // Creates the font on the first call (and again after a failed attempt);
    // every later call returns the same handle, whatever the fields say now.
    HFONT GetHandle();
};

// Callback types. The first argument is always the element itself.
using CreateCallback = void (*)(GUIElement* element, HWND hwnd);
using MouseButtonCallback = int (*)(GUIElement* element, HWND hwnd, int x, int y);  // result ignored
using KeyCallback = int (*)(GUIElement* element, int key);                          // result ignored
using CharCallback = bool (*)(GUIElement* element, int ch);  // false swallows the character
using NotifyCallback = void (*)(GUIElement* element);
using CloseCallback = bool (*)(GUIElement* element);  // false vetoes closing
using MouseMoveCallback = void (*)(GUIElement* element, int x, int y);

// "No colour set" for colour fields that may be empty (backColor).
constexpr std::int32_t NoColor = -1;

class GUIElement {
public:
    bool waitCursor;  // wait cursor while the mouse is over the element
    bool handCursor;  // hand cursor while the mouse is over the element (wins over wait)
    HWND hwnd;        // the element's window; menu bars and menus keep their menu here
    HINSTANCE hInstance;
    WNDCLASSW windowClass;  // filled by the kinds that register a class of their own
    FontSpec* font;         // not owned; null: the window's default font
    int width;
    int height;
    int x;  // parent client coordinates for children, screen coordinates for forms
    int y;
    bool created;
    std::int32_t backColor;  // 0x00BBGGRR, or NoColor
    std::u16string text;
    std::u16string focusText;  // the window text when the element last got the focus
    bool paintBackColor;       // OnPaint refills the background first
    bool enabled;
    std::int32_t id;       // process-unique; control, menu-command and timer identifier
    std::string typeName;  // "form", "panel", "button", ...
    GUIElement* parent;    // not owned; null for forms
    WNDPROC oldWndProc;    // the procedure replaced by subclassing, or null

    CreateCallback onCreate;
    bool createNotified;  // OnCreate has run once
    MouseButtonCallback onLButtonUp;
    MouseButtonCallback onLButtonDown;
    MouseButtonCallback onLButtonDblClk;
    MouseButtonCallback onRButtonUp;
    MouseButtonCallback onRButtonDown;
    MouseButtonCallback onRButtonDblClk;
    KeyCallback onKeyUp;
    KeyCallback onKeyDown;
    CharCallback onChar;
    NotifyCallback onMove;
    NotifyCallback onSize;
    NotifyCallback onPaint;
    CloseCallback onClose;
    NotifyCallback onDestroy;
    NotifyCallback onSetFocus;
    NotifyCallback onKillFocus;
    NotifyCallback onActivate;
    NotifyCallback onDeactivate;
    NotifyCallback onTextChanged;  // called by OnKillFocus when the text changed
    MouseMoveCallback onMouseMove;
    NotifyCallback onMouseHover;
    NotifyCallback onMouseLeave;

    // Sets the defaults (100 x 50 at 100, 100; no colour; enabled; id 0; all
    // callbacks null) and registers the element as its last step.
    explicit GUIElement(HINSTANCE hInstance);
    GUIElement(const GUIElement&) = delete;
    GUIElement& operator=(const GUIElement&) = delete;

    // --- Virtual operations, in slot order ---
    virtual void SetSize(int width, int height);
    virtual void SetBackColor(std::int32_t color);
    virtual void SetEnabled(bool flag);
    virtual void SetText(const std::u16string& text);
    // Converts with ToWide and calls the wide form through the virtual table.
    // A class that overrides only the wide form should add
    // `using GUIElement::SetText;` so the narrow form stays visible.
    virtual void SetText(const std::string& text);
    virtual int OnLButtonUp(int x, int y);
    virtual int OnLButtonDown(int x, int y);
    virtual int OnLButtonDblClk(int x, int y);
    virtual int OnRButtonUp(int x, int y);
    virtual int OnRButtonDown(int x, int y);
    virtual int OnRButtonDblClk(int x, int y);
    virtual int OnKeyUp(int key);
    virtual int OnKeyDown(int key);
    // Result counts: false swallows the character (the control never sees it).
    virtual bool OnChar(int ch);
    virtual void OnMouseMove(int x, int y);
    virtual void OnMouseHover();
    virtual void OnMouseLeave();
    virtual void Focus();
    virtual void OnMove();
    virtual void OnSize();
    virtual void OnPaint();
    // Result counts: a brush returned here colours the control asking for it
    // (the element is the control's parent); null leaves the default colours.
    virtual HBRUSH OnCtlColor(HDC dc);
    // Result counts: false vetoes closing the window.
    virtual bool OnClose();
    virtual void OnDestroy();
    virtual void OnSetFocus();
    virtual void OnKillFocus();
    virtual void OnActivate();
    virtual void OnDeactivate();
    virtual void OnCreate(HWND windowHandle);
    virtual void Redraw();
    virtual bool GetWaitCursor();
    virtual bool GetHandCursor();
    virtual void SetWaitCursor(bool flag);
    virtual void SetHandCursor(bool flag);
    virtual void OnShow();
    virtual void Create() = 0;

    // Destroys the element object only: the window and the registry entry stay.
    virtual ~GUIElement();

    // --- Non-virtual operations ---
    void SetPosition(int x, int y);
    POINT GetPosition();  // refreshes x/y from the window when created
    SIZE GetSize();       // refreshes width/height from the window when created
    std::u16string GetText();
    std::string GetTextNarrow();
    void ApplyFont();  // WM_SETFONT with the font's handle, when a font is set
};

// The base of every element that lives inside a parent element (every kind
// except forms). It adds nothing; being a Child means having a parent.
class Child : public GUIElement {
public:
    using GUIElement::GUIElement;
};

}  // namespace TQUtility
