// Drawing: the painting helper for one paint of one element. It wraps one
// device context (from BeginPaint, or lent by the system for an owner-draw
// request) and offers a few primitives. It keeps no system object between
// calls: every primitive creates and deletes its own pens, brushes, memory
// device contexts and masks, so an interrupted paint leaks nothing.
#pragma once

#include <cstdint>
#include <string>

#include "framework/element.h"
#include "platform/winapi.h"

namespace TQUtility {

// Horizontal alignment codes of WriteText and CellControl; any other value
// is treated as left.
using TextAlign = std::int32_t;
constexpr TextAlign AlignLeft = 0;
constexpr TextAlign AlignRight = 1;
constexpr TextAlign AlignCenter = 2;

class Drawing {
public:
    GUIElement* owner;  // not owned
    HDC dc;             // null while idle
    bool lent;          // dc came from Attach; the system keeps it
    PAINTSTRUCT paintInfo;

    explicit Drawing(GUIElement* owner);
    ~Drawing();  // calls End(), which does nothing when already ended
    Drawing(const Drawing&) = delete;
    Drawing& operator=(const Drawing&) = delete;

    void Begin();          // BeginPaint on the owner's window
    void Attach(HDC hdc);  // draw on a device context the system lent us
    void End();

    // Every primitive does nothing while idle. Colours are 0x00BBGGRR.
    void FillRectangle(int x, int y, int w, int h, COLORREF colour);
    void FrameRectangle(int x, int y, int w, int h, COLORREF colour);  // 1-pixel outline
    // At most 1023 characters; with w or h 0 the text starts at (x, y),
    // left-aligned and unclipped. Laid out from the top of the box.
    void WriteText(TextAlign align, int x, int y, int w, int h, const std::u16string& text, COLORREF colour,
                   FontSpec* font);
    void WriteText(TextAlign align, int x, int y, int w, int h, const std::string& text, COLORREF colour,
                   FontSpec* font);
    // The font's cell height, or -1 (idle, no font, or the metrics failed).
    std::int32_t TextHeight(FontSpec* font);
    void Blit(int x, int y, int w, int h, HBITMAP bitmap, int srcX, int srcY);
    // As Blit, but pure black pixels of the bitmap leave the destination as it was.
    void BlitTransparent(int x, int y, int w, int h, HBITMAP bitmap, int srcX, int srcY);

    // A step failed; the default reads the last error and reports nothing.
    virtual void OnError();
};

}  // namespace TQUtility
