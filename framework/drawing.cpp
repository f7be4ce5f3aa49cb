// Drawing: the paint-cycle wrapper and its primitives. Each primitive makes
// and releases its own graphics objects within the call.
#include "framework/drawing.h"

#include <algorithm>
#include <array>

#include "services/text.h"

namespace TQUtility {

namespace {
constexpr std::size_t kTextBufferLength = 1024;  // at most 1023 characters are drawn
}

Drawing::Drawing(GUIElement* o) : owner(o), dc(nullptr), lent(false), paintInfo{} {}

Drawing::~Drawing() {
    End();
}

void Drawing::Begin() {
    dc = BeginPaint(owner != nullptr ? owner->hwnd : nullptr, &paintInfo);
}

void Drawing::Attach(HDC hdc) {
    lent = true;
    dc = hdc;
}

void Drawing::End() {
    if (lent) {
        dc = nullptr;
        lent = false;
        return;
    }
    if (dc == nullptr) return;
    EndPaint(owner != nullptr ? owner->hwnd : nullptr, &paintInfo);
    dc = nullptr;
}

void Drawing::FillRectangle(int x, int y, int w, int h, COLORREF colour) {
    if (dc == nullptr) return;
    HPEN pen = CreatePen(PS_NULL, 1, 0);
    HBRUSH brush = CreateSolidBrush(colour);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    // With the null pen the box is filled without its last column and row.
    Rectangle(dc, x, y, x + w, y + h);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
}

void Drawing::FrameRectangle(int x, int y, int w, int h, COLORREF colour) {
    if (dc == nullptr) return;
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    Rectangle(dc, x, y, x + w, y + h);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
}

void Drawing::WriteText(TextAlign align, int x, int y, int w, int h, const std::u16string& text,
                        COLORREF colour, FontSpec* font) {
    if (dc == nullptr) return;
    SetBkMode(dc, TRANSPARENT);
    std::array<WCHAR, kTextBufferLength> buffer{};
    const std::size_t length = std::min(text.size(), kTextBufferLength - 1);
    std::copy_n(text.begin(), length, buffer.begin());
    UINT flags = DT_LEFT;
    if (align == AlignRight) flags = DT_RIGHT;
    if (align == AlignCenter) flags = DT_CENTER;
    HGDIOBJ oldFont = nullptr;
    if (font != nullptr) oldFont = SelectObject(dc, font->GetHandle());
    COLORREF oldColour = SetTextColor(dc, colour);
    if (w != 0 && h != 0) {
        RECT box{x, y, x + w, y + h};
        DrawTextW(dc, buffer.data(), static_cast<int>(length), &box, flags);
    } else {
        TextOutW(dc, x, y, buffer.data(), static_cast<int>(length));
    }
    SetTextColor(dc, oldColour);
    if (font != nullptr) SelectObject(dc, oldFont);
}

void Drawing::WriteText(TextAlign align, int x, int y, int w, int h, const std::string& text, COLORREF colour,
                        FontSpec* font) {
    WriteText(align, x, y, w, h, ToWide(text), colour, font);
}

std::int32_t Drawing::TextHeight(FontSpec* font) {
    if (dc == nullptr || font == nullptr) return -1;
    HGDIOBJ oldFont = SelectObject(dc, font->GetHandle());
    TEXTMETRICW metrics{};
    std::int32_t result = GetTextMetricsW(dc, &metrics) ? metrics.tmHeight : -1;
    SelectObject(dc, oldFont);
    return result;
}

void Drawing::Blit(int x, int y, int w, int h, HBITMAP bitmap, int srcX, int srcY) {
    if (dc == nullptr) return;
    HDC mem = CreateCompatibleDC(dc);
    if (mem == nullptr) OnError();
    HGDIOBJ oldBitmap = SelectObject(mem, bitmap);
    if (!BitBlt(dc, x, y, w, h, mem, srcX, srcY, SRCCOPY)) OnError();
    SelectObject(mem, oldBitmap);
    DeleteDC(mem);
}

void Drawing::BlitTransparent(int x, int y, int w, int h, HBITMAP bitmap, int srcX, int srcY) {
    if (dc == nullptr) return;
    HDC src = CreateCompatibleDC(dc);
    if (src == nullptr) OnError();
    HDC maskDc = CreateCompatibleDC(dc);
    if (maskDc == nullptr) OnError();
    BITMAP info{};
    GetObjectW(bitmap, sizeof(info), &info);
    HBITMAP mask = CreateBitmap(info.bmWidth, info.bmHeight, 1, 1, nullptr);
    if (mask == nullptr) OnError();
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    HGDIOBJ oldBitmap = SelectObject(src, bitmap);
    SetBkColor(src, 0);
    // White where the bitmap is black, black everywhere else.
    if (!BitBlt(maskDc, 0, 0, info.bmWidth, info.bmHeight, src, 0, 0, SRCCOPY)) OnError();
    // Clear the destination under the non-black pixels, then OR them in.
    if (!BitBlt(dc, x, y, w, h, maskDc, srcX, srcY, SRCAND)) OnError();
    if (!BitBlt(dc, x, y, w, h, src, srcX, srcY, SRCPAINT)) OnError();
    SelectObject(maskDc, oldMask);
    SelectObject(src, oldBitmap);
    DeleteObject(mask);
    DeleteDC(maskDc);
    DeleteDC(src);
}

void Drawing::OnError() {
    static_cast<void>(GetLastError());
}

}  // namespace TQUtility
