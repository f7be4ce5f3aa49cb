// TextBox: an editable text field over the system "edit" class, with a thin
// border and sunken edge. Changes are reported when the box loses the focus
// (onTextChanged, see element.h), characters can be filtered with onChar.
#pragma once

#include <string>

#include "framework/element.h"

namespace TQUtility {

class TextBox : public Child {
public:
    bool multiline;       // several lines; Enter starts a new line
    bool verticalScroll;  // vertical scroll bar
    bool readOnly;

    TextBox(GUIElement* parent, const std::string& text);

    void Create() override;
    // Re-applies the flags to a created window; nothing before Create.
    void ApplyStyle();
    DWORD WindowStyle() const;
};

}  // namespace TQUtility
