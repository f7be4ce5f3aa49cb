// The About box: construction, layout, closing and the two links.
#include "about/formabout.h"

#include "services/text.h"

namespace TQUtility {

namespace {

FormAbout* AboutOf(GUIElement* element) {
    if (element == nullptr) return nullptr;
    if (dynamic_cast<Child*>(element) != nullptr) {
        for (GUIElement* at = element->parent; at != nullptr; at = at->parent)
            if (FormAbout* about = dynamic_cast<FormAbout*>(at)) return about;
        return nullptr;
    }
    return dynamic_cast<FormAbout*>(element);
}

void RouteAboutCreate(GUIElement* element, HWND) {
    if (FormAbout* about = dynamic_cast<FormAbout*>(element)) about->BuildContents();
}
bool RouteAboutClose(GUIElement* element) {
    FormAbout* about = dynamic_cast<FormAbout*>(element);
    return about == nullptr || about->ReleaseOwner();
}
void RouteAboutSize(GUIElement* element) {
    if (FormAbout* about = dynamic_cast<FormAbout*>(element)) about->HandleSize();
}
int RouteAboutKeyDown(GUIElement* element, int key) {
    if (FormAbout* about = dynamic_cast<FormAbout*>(element)) about->HandleKeyDown(key);
    return 0;
}
int RouteAboutKeyUp(GUIElement* element, int key) {
    if (FormAbout* about = dynamic_cast<FormAbout*>(element)) about->HandleKeyUp(key);
    return 0;
}
bool RouteAboutChar(GUIElement* element, int ch) {
    FormAbout* about = AboutOf(element);
    return about == nullptr || about->HandleChar(ch);
}
int RouteAboutLink(GUIElement* element, HWND, int x, int y) {
    if (FormAbout* about = AboutOf(element)) about->OpenLink(element, x, y);
    return 0;
}
void RouteAboutCommand(GUIElement* element) {
    if (element == nullptr) return;
    if (FormAbout* about = dynamic_cast<FormAbout*>(element->parent)) about->HandleCommand(element);
}

// Stores the place and, once the window exists, moves it there.
void Place(GUIElement* element, int x, int y) {
    element->SetPosition(x, y);
}

}  // namespace

FormAbout::FormAbout(Form* ownerForm)
    : Form(ownerForm != nullptr ? ownerForm->hInstance : nullptr, true),
      owner(ownerForm),
      titleFont(nullptr),
      linkFont(nullptr),
      banner(nullptr),
      titleLabel(nullptr),
      copyrightLabel(nullptr),
      bannerPanel(nullptr),
      noticeBox(nullptr),
      okButton(nullptr),
      webLink(nullptr),
      mailLink(nullptr),
      imageId(0),
      imageWidth(0),
      imageHeight(0) {
    topMost = false;
    font = new FontSpec("Arial", 14);
    titleFont = new FontSpec("Arial", 16);
    titleFont->bold = true;
    linkFont = new FontSpec("Arial", 16);
    linkFont->underline = true;
    modalFrame = true;
    SetSize(600, 300);
    CenterOnScreen();
    SetText(std::string("Info..."));
    minimizeBox = false;
    sizable = false;
    onCreate = RouteAboutCreate;
    onClose = RouteAboutClose;
    onSize = RouteAboutSize;
    onChar = RouteAboutChar;
    onKeyDown = RouteAboutKeyDown;
    onKeyUp = RouteAboutKeyUp;
    if (owner != nullptr) {
        owner->SetEnabled(false);
        owner->modalChild = this;
    }
}

FormAbout::~FormAbout() {
    // A box whose window still exists is closed first, while its elements
    // are alive: closing re-enables the owner and the window's messages may
    // still look elements up.
    if (hwnd != nullptr && IsWindow(hwnd)) {
        SendMessageW(hwnd, WM_CLOSE, 0, 0);
        if (IsWindow(hwnd)) DestroyWindow(hwnd);
    }
    created = false;
    if (owner != nullptr && owner->modalChild == this) owner->modalChild = nullptr;
    delete banner;
    delete titleLabel;
    delete copyrightLabel;
    delete bannerPanel;
    delete noticeBox;
    delete okButton;
    delete webLink;
    delete mailLink;
    delete font;
    font = nullptr;
    delete titleFont;
    delete linkFont;
}

void FormAbout::OnShow() {
    SetClientSize(600, 300);
}

void FormAbout::BuildContents() {
    int W = width, H = height;
    if (created) {
        RECT client{};
        GetClientRect(hwnd, &client);
        W = width = client.right - client.left;
        H = height = client.bottom - client.top;
    }
    const int P = imageWidth + 20;
    const int X = P + 25;
    const int L = W - P - 35;

    bannerPanel = new PanelChildren(this);
    bannerPanel->onChar = RouteAboutChar;
    bannerPanel->SetSize(P, H - 20);
    Place(bannerPanel, 10, 10);
    bannerPanel->border = true;
    bannerPanel->flatBorder = false;
    bannerPanel->Create();

    banner = new Image(bannerPanel, imageId);
    banner->onChar = RouteAboutChar;
    banner->SetSize(imageWidth, imageHeight);
    Place(banner, 5, 5);
    banner->Create();

    titleLabel = new Label(this, title);
    titleLabel->onChar = RouteAboutChar;
    titleLabel->SetSize(L, 25);
    Place(titleLabel, X, 10);
    titleLabel->font = titleFont;
    titleLabel->Create();

    copyrightLabel = new Label(this, copyright);
    copyrightLabel->onChar = RouteAboutChar;
    copyrightLabel->SetSize(L, 25);
    Place(copyrightLabel, X, 35);
    copyrightLabel->font = font;
    copyrightLabel->Create();

    auto link = [&](CellControl*& field, const std::string& text, int left) {
        field = new CellControl(this);
        field->onChar = RouteAboutChar;
        field->SetSize(150, 22);
        Place(field, left, 55);
        field->SetForeColor(0xFF0000);
        field->SetAlignment(AlignLeft);
        field->SetText(text);
        field->SetHandCursor(true);
        field->onLButtonDown = RouteAboutLink;
        field->font = linkFont;
        field->Create();
    };
    link(webLink, webAddress, X);
    link(mailLink, ReplaceAll(webAddress, "http://www.", "info@"), X + 160);

    noticeBox = new TextBox(this, notice);
    noticeBox->onChar = RouteAboutChar;
    noticeBox->SetSize(L, H - 145);
    Place(noticeBox, X, 85);
    noticeBox->multiline = true;
    noticeBox->readOnly = true;
    noticeBox->verticalScroll = true;
    noticeBox->Create();

    okButton = new Button(this, "OK");
    okButton->onChar = RouteAboutChar;
    okButton->onCommand = RouteAboutCommand;
    okButton->SetSize(80, 25);
    int B = okButton->width;
    if (okButton->created) B = okButton->GetSize().cx;
    Place(okButton, L / 2 + X - B / 2, H - 50);
    okButton->Create();
    okButton->Focus();
}

bool FormAbout::ReleaseOwner() {
    if (owner != nullptr) {
        owner->modalChild = nullptr;
        owner->SetEnabled(true);
    }
    return true;
}

void FormAbout::HandleSize() {}

bool FormAbout::HandleChar(int ch) {
    if (ch == 13 || ch == 27) {
        HandleCommand(okButton);
        return false;
    }
    return true;
}

void FormAbout::HandleKeyDown(int) {}
void FormAbout::HandleKeyUp(int) {}

void FormAbout::HandleCommand(GUIElement* element) {
    if (element == nullptr || okButton == nullptr || element->id != okButton->id) return;
    if (hwnd != nullptr) SendMessageW(hwnd, WM_CLOSE, 0, 0);
    created = false;
}

void FormAbout::OpenLink(GUIElement* element, int, int) {
    if (element == nullptr) return;
    if (webLink != nullptr && element->id == webLink->id) {
        ShellOpen(webAddress);
    } else if (mailLink != nullptr && element->id == mailLink->id) {
        ShellOpen("mailto:" + mailLink->GetTextNarrow());
    }
}

}  // namespace TQUtility
