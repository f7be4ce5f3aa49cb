// FormAbout: the framework's About box. A fixed-size dialog-style form with a
// framed banner, the product title and version, the copyright line, a web
// link and a mail link derived from it, a read-only notice and an "OK"
// button. While it is open its owner form is disabled, so it behaves modally
// inside the program's one message loop. Enter or Escape typed anywhere in
// it, the "OK" button and the close box close it.
#pragma once

#include <cstdint>
#include <string>

#include "framework/button.h"
#include "framework/form.h"
#include "framework/panels.h"
#include "framework/static.h"
#include "framework/textbox.h"

namespace TQUtility {

class FormAbout : public Form {
public:
    Form* owner;  // not owned; disabled while the box is open
    FontSpec* titleFont;
    FontSpec* linkFont;
    Image* banner;
    Label* titleLabel;
    Label* copyrightLabel;
    PanelChildren* bannerPanel;
    TextBox* noticeBox;
    Button* okButton;
    CellControl* webLink;
    CellControl* mailLink;
    int imageId;
    int imageWidth;
    int imageHeight;
    std::string title;
    std::string copyright;
    std::string notice;      // may hold CR LF line breaks
    std::string webAddress;  // begins with "http://www."

    // Disables the owner and becomes its modal child.
    explicit FormAbout(Form* owner);
    ~FormAbout() override;

    void OnShow() override;

    virtual void BuildContents();
    virtual bool ReleaseOwner();
    virtual void HandleSize();
    virtual bool HandleChar(int ch);
    virtual void HandleKeyDown(int key);
    virtual void HandleKeyUp(int key);
    virtual void HandleCommand(GUIElement* element);
    virtual void OpenLink(GUIElement* element, int x, int y);
};

}  // namespace TQUtility
