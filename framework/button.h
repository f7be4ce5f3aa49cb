// Push buttons over the system "Button" class, and CommandElement, the
// second base class that carries the command callback of buttons and menu
// items. A click reaches onCommand through the parent's WM_COMMAND. An
// owner-drawn button gets a flat face painted by PaintFace in the colours of
// its device context: a 1-pixel outline in the text colour (its complement
// while pressed, grey when disabled), a centred caption and a focus
// rectangle.
#pragma once

#include <string>

#include "framework/element.h"

namespace TQUtility {

using CommandCallback = void (*)(GUIElement* element);  // result ignored

class CommandElement {
public:
    CommandCallback onCommand = nullptr;
};

class Button : public Child, public CommandElement {
public:
    bool ownerDraw;  // the face is painted by PaintFace

    Button(GUIElement* parent, const std::string& caption);

    void Create() override;
    // Paints the face for the system's owner-draw request.
    void PaintFace(const DRAWITEMSTRUCT* drawItem);
    DWORD WindowStyle() const;
};

}  // namespace TQUtility
