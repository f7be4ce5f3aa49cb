// MessageBoxA / MessageBoxW: a small top-level window of its own, centred on
// the screen, with the caption, an icon, the text and push buttons labelled in
// the user's language. While it is open every other top-level window of the
// program is disabled (and re-enabled afterwards exactly as it was); a modal
// loop inside the call keeps timers and paints going. Enter presses the
// default (first) button or the focused one, Tab and the arrows move between
// buttons, each button's access key presses it. Escape and the close box give
// the "negative" answer: Cancel when there is one, otherwise No (Yes/No) or OK.
#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/controls/controls_internal.h"
#include "platform/controls/draw_util.h"
#include "platform/controls/menu_model.h"
#include "platform/gdi/surface.h"
#include "platform/wm/wm_internal.h"

namespace platform::controls {
namespace {

constexpr const WCHAR* kBoxClass = u"KelvoMessageBox";
constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;
constexpr int kMaxTextWidth = 480;

struct BoxButton {
    int id;
    std::u16string label;
};

struct Box {
    std::vector<std::u16string> lines;  // the text, wrapped
    HICON icon = nullptr;
    int textLeft = kMargin;
    int lineHeight = 13;
    std::vector<HWND> buttons;
    std::vector<int> ids;
    int escapeAnswer = IDOK;
    int lastFocused = 0;  // the button that had the focus last
    int result = 0;
    bool done = false;
};

std::unordered_map<HWND, Box*>& Boxes() {
    static auto* boxes = new std::unordered_map<HWND, Box*>;
    return *boxes;
}

// The language of messages as the C library reads it: LC_ALL, LC_MESSAGES,
// then LANG, the first that is set and not empty.
bool ItalianUser() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return value[0] == 'i' && value[1] == 't';
    }
    return false;
}

std::vector<BoxButton> ButtonsFor(UINT type) {
    const bool it = ItalianUser();
    switch (type & MB_TYPEMASK) {
        case MB_YESNO:
            return {{IDYES, it ? u"&S\u00ec" : u"&Yes"}, {IDNO, u"&No"}};
        case MB_OKCANCEL:
            return {{IDOK, u"OK"}, {IDCANCEL, it ? u"&Annulla" : u"&Cancel"}};
        default:
            return {{IDOK, u"OK"}};
    }
}

int EscapeAnswerFor(UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_YESNO:
            return IDNO;
        case MB_OKCANCEL:
            return IDCANCEL;
        default:
            return IDOK;
    }
}

// Splits at explicit line breaks and wraps lines wider than `maxWidth` at blanks.
std::vector<std::u16string> WrapText(HDC dc, const std::u16string& text, int maxWidth) {
    std::vector<std::u16string> out;
    auto width = [&](const std::u16string& s) {
        SIZE size{};
        if (!s.empty()) GetTextExtentPoint32W(dc, s.data(), static_cast<int>(s.size()), &size);
        return static_cast<int>(size.cx);
    };
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string::npos) end = text.size();
        std::u16string line = text.substr(start, end - start);
        while (width(line) > maxWidth) {
            std::size_t cut = line.size();
            while (cut > 0 && width(line.substr(0, cut)) > maxWidth) {
                const std::size_t blank = line.rfind(u' ', cut - 1);
                cut = (blank == std::u16string::npos || blank == 0) ? cut - 1 : blank;
            }
            if (cut == 0) cut = 1;
            out.push_back(line.substr(0, cut));
            line.erase(0, cut);
            while (!line.empty() && line.front() == u' ')
                line.erase(0, 1);
        }
        out.push_back(line);
        if (end >= text.size()) break;
        start = (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ? end + 2 : end + 1;
    }
    return out;
}

void DrawIconAt(HDC dc, HICON icon, int x, int y) {
    std::vector<std::uint32_t> argb;
    int w = 0, h = 0;
    if (!icon || !gdi::IconPixels(icon, &argb, &w, &h)) return;
    const int scale = std::max(1, kIconSize / std::max(1, std::max(w, h)));
    for (int row = 0; row < h; ++row) {
        for (int col = 0; col < w; ++col) {
            const std::uint32_t p = argb[static_cast<std::size_t>(row) * w + col];
            const std::uint32_t a = p >> 24;
            if (a == 0) continue;
            for (int dy = 0; dy < scale; ++dy) {
                for (int dx = 0; dx < scale; ++dx) {
                    const int px = x + col * scale + dx, py = y + row * scale + dy;
                    COLORREF color = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
                    if (a < 255) {
                        const COLORREF under = GetPixel(dc, px, py);
                        auto mix = [a](int top, int bottom) {
                            return (top * static_cast<int>(a) + bottom * (255 - static_cast<int>(a))) / 255;
                        };
                        color = RGB(mix(GetRValue(color), GetRValue(under)),
                                    mix(GetGValue(color), GetGValue(under)),
                                    mix(GetBValue(color), GetBValue(under)));
                    }
                    SetPixel(dc, px, py, color);
                }
            }
        }
    }
}

void FocusButton(Box& box, int index);

void Finish(Box& box, int answer) {
    if (box.done) return;
    box.result = answer;
    box.done = true;
}

LRESULT CALLBACK BoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto it = Boxes().find(hwnd);
    Box* box = it == Boxes().end() ? nullptr : it->second;
    switch (msg) {
        case WM_COMMAND:
            if (box && lParam != 0 && HIWORD(wParam) == BN_CLICKED) Finish(*box, LOWORD(wParam));
            return 0;
        case WM_CLOSE:
            if (box) Finish(*box, box->escapeAnswer);
            return 0;
        case WM_SETFOCUS:
            // As a dialog does: the focus goes on to the button that had it.
            if (box && !box->buttons.empty()) FocusButton(*box, box->lastFocused);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps{};
            HDC dc = BeginPaint(hwnd, &ps);
            if (!dc) return 0;
            RECT rc{};
            GetClientRect(hwnd, &rc);
            FillSys(dc, rc, COLOR_BTNFACE);
            if (box) {
                if (box->icon) DrawIconAt(dc, box->icon, kMargin, kMargin);
                HGDIOBJ oldFont = SelectObject(dc, DefaultGuiFont());
                SetBkMode(dc, TRANSPARENT);
                SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
                const int textHeight = static_cast<int>(box->lines.size()) * box->lineHeight;
                int y = kMargin + (box->icon && textHeight < kIconSize ? (kIconSize - textHeight) / 2 : 0);
                for (const std::u16string& line : box->lines) {
                    if (!line.empty()) {
                        ExtTextOutW(dc, box->textLeft, y, 0, nullptr, line.data(),
                                    static_cast<UINT>(line.size()), nullptr);
                    }
                    y += box->lineHeight;
                }
                SelectObject(dc, oldFont);
            }
            EndPaint(hwnd, &ps);
            return 0;
        }
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

int IndexOfButton(const Box& box, HWND hwnd) {
    for (std::size_t i = 0; i < box.buttons.size(); ++i) {
        if (box.buttons[i] == hwnd) return static_cast<int>(i);
    }
    return -1;
}

void FocusButton(Box& box, int index) {
    const int n = static_cast<int>(box.buttons.size());
    if (n == 0) return;
    index = ((index % n) + n) % n;
    box.lastFocused = index;
    SetFocus(box.buttons[static_cast<std::size_t>(index)]);
}

// Keys meant for the box. True when the key was taken here.
bool BoxKey(Box& box, const MSG& msg) {
    // When the box itself holds the focus (activation gave it back), the
    // button that had it last counts.
    int focused = IndexOfButton(box, GetFocus());
    if (focused < 0) focused = box.lastFocused;
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        switch (msg.wParam) {
            case VK_RETURN:
                Finish(box, box.ids[static_cast<std::size_t>(focused)]);
                return true;
            case VK_ESCAPE:
                Finish(box, box.escapeAnswer);
                return true;
            case VK_TAB:
                FocusButton(box, focused + ((GetKeyState(VK_SHIFT) & 0x8000) ? -1 : 1));
                return true;
            case VK_LEFT:
            case VK_UP:
                FocusButton(box, focused - 1);
                return true;
            case VK_RIGHT:
            case VK_DOWN:
                FocusButton(box, focused + 1);
                return true;
            default:
                break;
        }
        const WPARAM vk = msg.wParam;
        if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
            const WCHAR key = static_cast<WCHAR>(std::towlower(static_cast<wint_t>(vk)));
            for (std::size_t i = 0; i < box.buttons.size(); ++i) {
                if (AccessKeyOf(WindowText(box.buttons[i])) == key) {
                    Finish(box, box.ids[i]);
                    return true;
                }
            }
        }
        return msg.message == WM_SYSKEYDOWN && msg.wParam != VK_F4;
    }
    if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) return true;  // nothing in the box takes text
    return false;
}

int RunBox(LPCWSTR text, LPCWSTR caption, UINT type) {
    Box box;
    box.escapeAnswer = EscapeAnswerFor(type);
    if (type & MB_ICONMASK) box.icon = LoadIconW(nullptr, IDI_QUESTION);
    const std::vector<BoxButton> labels = ButtonsFor(type);
    // Measure the text in the font the box paints with.
    int textWidth = 0;
    {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = dc ? SelectObject(dc, DefaultGuiFont()) : nullptr;
        if (dc) {
            TEXTMETRICW tm{};
            if (GetTextMetricsW(dc, &tm))
                box.lineHeight = std::max<int>(1, tm.tmHeight + tm.tmExternalLeading);
            box.lines = WrapText(dc, text ? std::u16string(text) : std::u16string(), kMaxTextWidth);
            for (const std::u16string& line : box.lines) {
                SIZE size{};
                if (!line.empty())
                    GetTextExtentPoint32W(dc, line.data(), static_cast<int>(line.size()), &size);
                textWidth = std::max<int>(textWidth, size.cx);
            }
            SelectObject(dc, old);
            DeleteDC(dc);
        } else {
            box.lines = {text ? std::u16string(text) : std::u16string()};
            textWidth = static_cast<int>(box.lines[0].size()) * 7;
        }
    }
    box.textLeft = kMargin + (box.icon ? kIconSize + kMargin : 0);
    const int textHeight = static_cast<int>(box.lines.size()) * box.lineHeight;
    const int bodyHeight = std::max(textHeight, box.icon ? kIconSize : 0);
    const int buttonsWidth = static_cast<int>(labels.size()) * (kButtonWidth + kButtonGap) - kButtonGap;
    const int width = std::max(box.textLeft + textWidth + kMargin, buttonsWidth + 2 * kMargin);
    const int height = kMargin + bodyHeight + kMargin + kButtonHeight + kMargin;
    const int x = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
    const int y = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);

    const HWND previousActive = GetActiveWindow();
    const HWND previousFocus = GetFocus();
    HWND hwnd = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, kBoxClass, caption ? caption : u"",
                                WS_POPUP | WS_CAPTION | WS_SYSMENU, x, y, width, height, nullptr, nullptr,
                                nullptr, nullptr);
    if (!hwnd) return 0;
    Boxes()[hwnd] = &box;
    int bx = (width - buttonsWidth) / 2;
    const int by = height - kMargin - kButtonHeight;
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        HWND button = CreateWindowExW(
            0, u"Button", labels[i].label.c_str(), style, bx, by, kButtonWidth, kButtonHeight, hwnd,
            reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(labels[i].id)), nullptr, nullptr);
        if (button) {
            SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultGuiFont()), 0);
            box.buttons.push_back(button);
            box.ids.push_back(labels[i].id);
        }
        bx += kButtonWidth + kButtonGap;
    }
    if (box.buttons.empty()) {
        Boxes().erase(hwnd);
        DestroyWindow(hwnd);
        return 0;
    }
    // Every other top-level window waits for the answer.
    std::vector<HWND> disabled;
    for (HWND other : wm::TopLevelWindows()) {
        if (other != hwnd && IsWindowEnabled(other)) {
            EnableWindow(other, FALSE);
            disabled.push_back(other);
        }
    }
    ShowWindow(hwnd, SW_SHOW);
    SetForegroundWindow(hwnd);
    FocusButton(box, 0);

    MSG msg{};
    while (!box.done && IsWindow(hwnd)) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop ends too
            box.result = 0;
            break;
        }
        const bool forBox = msg.hwnd == hwnd || (msg.hwnd && GetAncestor(msg.hwnd, GA_ROOT) == hwnd);
        if (forBox && BoxKey(box, msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    const int answer = box.done && IsWindow(hwnd) ? box.result : 0;
    Boxes().erase(hwnd);
    for (HWND other : disabled) {
        if (IsWindow(other)) EnableWindow(other, TRUE);
    }
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    if (previousActive && IsWindow(previousActive)) SetForegroundWindow(previousActive);
    if (previousFocus && IsWindow(previousFocus)) SetFocus(previousFocus);
    return answer;
}

}  // namespace

void RegisterMessageBoxClass() {
    RegisterControlClass(kBoxClass, BoxProc, 0, IDC_ARROW);
}

}  // namespace platform::controls

int MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
    return platform::controls::RunBox(text, caption, type);
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    // Narrow text maps byte value v to code unit v.
    auto widen = [](LPCSTR s) {
        std::u16string out;
        for (; s && *s; ++s)
            out.push_back(static_cast<char16_t>(static_cast<unsigned char>(*s)));
        return out;
    };
    const std::u16string wideText = widen(text);
    const std::u16string wideCaption = widen(caption);
    return MessageBoxW(owner, wideText.c_str(), caption ? wideCaption.c_str() : nullptr, type);
}
