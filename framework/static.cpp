// Label and Image over the system "static" class.
#include "framework/static.h"

#include "framework/registry.h"
#include "framework/wndproc.h"
#include "services/text.h"

namespace TQUtility {

// ---------------------------------------------------------------------------
// Label
// ---------------------------------------------------------------------------

Label::Label(GUIElement* p, const std::string& caption) : Child(nullptr) {
    parent = p;
    text = ToWide(caption);
    width = 80;
    height = 30;
    typeName = "label";
}

DWORD Label::WindowStyle() const {
    DWORD style = WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_LEFT;
    if (!enabled) style |= WS_DISABLED;
    return style;
}

void Label::Create() {
    if (created) return;
    id = ++lastElementId;
    hwnd = CreateSystemChild(this, 0, u"static", WindowStyle());
    SubclassElement(this);
    created = true;
    ApplyFont();
}

// ---------------------------------------------------------------------------
// Image
// ---------------------------------------------------------------------------

Image::Image(GUIElement* p, std::int32_t resource) : Child(nullptr), bitmap(nullptr), resourceId(resource) {
    parent = p;
    typeName = "image";
}

Image::~Image() {
    if (bitmap != nullptr) DeleteObject(bitmap);
}

DWORD Image::WindowStyle() const {
    DWORD style = WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_BITMAP;
    if (!enabled) style |= WS_DISABLED;
    return style;
}

void Image::Create() {
    if (created) return;
    id = ++lastElementId;
    hwnd = CreateSystemChild(this, 0, u"static", WindowStyle());
    if (hwnd == nullptr) {
        static_cast<void>(GetLastError());
        return;
    }
    created = true;
    SetImage(resourceId);
    SubclassElement(this);
    ApplyFont();
}

void Image::SetImage(std::int32_t resource) {
    resourceId = resource;
    if (!created || resource <= 0) return;
    // The new picture is loaded before the old one is released, so that a
    // failed load leaves the control showing a bitmap that still exists.
    auto* loaded = static_cast<HBITMAP>(LoadImageW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(static_cast<std::uintptr_t>(resource) & 0xFFFF),
        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (loaded == nullptr) {
        static_cast<void>(GetLastError());
        return;
    }
    SendMessageW(hwnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(loaded));
    if (bitmap != nullptr) DeleteObject(bitmap);
    bitmap = loaded;
}

}  // namespace TQUtility
