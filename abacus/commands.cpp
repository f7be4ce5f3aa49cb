// The main form's commands: the three buttons, the menu items, the About box,
// the web pages, the rod captions and the exit question.
#include "abacus/formmain.h"
#include "about/formabout.h"
#include "framework/registry.h"
#include "services/settings.h"
#include "services/text.h"

namespace MyGame {

using namespace TQUtility;

const char* const ProductTitle = "TQ Kelvo";
const char* const ProductVersion = "1.0.3.0";
// Narrow text maps byte v to code unit v, so 0xA9 is the copyright sign.
const char* const CopyrightLine = "\xA9 2026 TQ Kelvo";
// A reserved example domain, so no real site ever receives the requests.
const char* const WebAddress = "http://www.example.com";
const char* const AboutNotice =
    "TQ Kelvo \xE8 un abaco da tavolo: sette aste di dieci perline.\r\n"
    "Premi una perlina per spostarla oltre lo spazio vuoto dell'asta; i contatori e il totale "
    "seguono. Le didascalie accanto alle aste vengono ricordate all'uscita.";

namespace {
const char* const kApplication = "Kelvo.exe";
const char* const kCategory = "Categorie";
std::string CaptionKey(int k) {
    return "testo" + Int64ToText(k);
}
}  // namespace

std::string MainCaption() {
    return std::string(ProductTitle) + " " + CopyrightLine;
}

bool AskYesNo(const char* text, const char* caption) {
    return MessageBoxA(nullptr, text, caption, MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) == 6;
}

// The captions use the wide form of the store: the stored layout (UTF-16
// units in a REG_SZ value) is the narrow form's, so captions saved the old
// way read back unchanged, and characters above U+00FF survive the round trip.
std::u16string LoadCaption(int k) {
    return LoadWideSetting(kApplication, kCategory, CaptionKey(k));
}

void SaveCaption(int k, const std::u16string& text) {
    SaveWideSetting(kApplication, kCategory, CaptionKey(k), text);
}

void FormMain::OnButtonCommand(GUIElement* button) {
    if (button == nullptr) return;
    if (closeButton != nullptr && button->id == closeButton->id) {
        OnMenuCommand(exitItem);
    } else if (resetButton != nullptr && button->id == resetButton->id) {
        ResetBoard();
    } else if (infoButton != nullptr && button->id == infoButton->id) {
        OpenAbout();
    }
}

void FormMain::OpenAbout() {
    if (aboutForm != nullptr) deferredDeletes.push_back(aboutForm);
    aboutForm = new FormAbout(this);
    aboutForm->imageId = 1006;
    aboutForm->imageWidth = 164;
    aboutForm->imageHeight = 50;
    aboutForm->title = std::string(ProductTitle) + " " + ProductVersion;
    aboutForm->copyright = CopyrightLine;
    aboutForm->notice = AboutNotice;
    aboutForm->webAddress = WebAddress;
    Focus();
    if (!aboutForm->created) aboutForm->Create();
    if (aboutForm->hwnd != nullptr) ShowWindow(aboutForm->hwnd, SW_SHOWNA);
}

void FormMain::OnMenuCommand(GUIElement* item) {
    if (item == nullptr) return;
    if (exitItem != nullptr && item->id == exitItem->id) {
        SendMessageW(hwnd, WM_CLOSE, 0, 0);
        // Only a window that is really gone stops counting as created; after
        // a No the form's setters must still reach its window.
        if (hwnd == nullptr || !IsWindow(hwnd)) created = false;
    }
    if (homeItem != nullptr && item->id == homeItem->id) ShellOpen(WebAddress);
    if (guideItem != nullptr && item->id == guideItem->id)
        ShellOpen(std::string(WebAddress) + "/" + "Kelvo" + ".asp");
}

bool FormMain::ConfirmClose() {
    if (!AskYesNo("Vuoi realmente uscire?", "Uscita")) return false;
    if (tickTimer != nullptr && tickTimer->running) tickTimer->Stop();
    for (int k = 0; k < RodCount; ++k)
        SaveCaption(k, captionBoxes[k] != nullptr ? captionBoxes[k]->GetText() : std::u16string());
    return true;
}

bool FormMain::OnFormChar(int ch) {
    return ch != 9;
}

bool FormMain::OnCaptionChar(GUIElement*, int ch) {
    return ch != 9 && ch != 13;
}

}  // namespace MyGame
