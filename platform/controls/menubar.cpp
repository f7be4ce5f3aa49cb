// The menu bar of a top-level window and its drop-down menus. The bar is
// drawn into the window's non-client area by the window manager calling
// PaintMenuBar; a press on it, Alt or F10 starts a modal tracking loop here
// that opens drop-downs (top-most pop-up windows of a private class), follows
// the mouse and the keyboard, and posts WM_COMMAND for the chosen item after
// everything has closed. Timers and paints keep running inside the loop.
#include <algorithm>
#include <cwctype>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/controls/controls_internal.h"
#include "platform/controls/draw_util.h"
#include "platform/controls/menu_model.h"
#include "platform/wm/wm_internal.h"

namespace platform::controls {
namespace {

constexpr const WCHAR* kPopupClass = u"KelvoMenuDropDown";
constexpr int kTitlePadding = 7;
constexpr int kItemLeft = 20;
constexpr int kItemRight = 16;
constexpr int kSeparatorHeight = 8;
constexpr int kPopupBorder = 3;

// A DC for measuring menu text (no window needed).
class MeasureDc {
public:
    MeasureDc() : dc_(CreateCompatibleDC(nullptr)) {
        if (dc_) old_ = SelectObject(dc_, DefaultGuiFont());
    }
    ~MeasureDc() {
        if (dc_) {
            SelectObject(dc_, old_);
            DeleteDC(dc_);
        }
    }
    MeasureDc(const MeasureDc&) = delete;
    MeasureDc& operator=(const MeasureDc&) = delete;
    SIZE Text(const std::u16string& caption) {
        if (!dc_) return {static_cast<LONG>(7 * caption.size()), 13};
        return MeasureAccessText(dc_, caption);
    }
    int FontHeight() {
        TEXTMETRICW tm{};
        if (!dc_ || !GetTextMetricsW(dc_, &tm)) return 13;
        return tm.tmHeight;
    }

private:
    HDC dc_;
    HGDIOBJ old_ = nullptr;
};

int RowHeight(MeasureDc& m) {
    return std::max(19, m.FontHeight() + 6);
}
int ItemHeight(MeasureDc& m) {
    return std::max(18, m.FontHeight() + 6);
}

// Title rectangles of a bar laid out in `bar` (rows wrap when full).
std::vector<RECT> TitleRects(const MenuObject& menu, const RECT& bar, MeasureDc& m) {
    std::vector<RECT> rects;
    const int row = RowHeight(m);
    int x = bar.left, y = bar.top;
    for (const MenuItem& item : menu.items) {
        const int w = m.Text(item.text).cx + 2 * kTitlePadding;
        if (x > bar.left && x + w > bar.right) {
            x = bar.left;
            y += row;
        }
        rects.push_back({x, y, x + w, y + row});
        x += w;
    }
    return rects;
}

// --- Tracking state (one menu loop at a time) ---

struct Tracking {
    HWND hwnd = nullptr;
    HMENU bar = nullptr;
    int title = -1;        // highlighted title
    HWND popup = nullptr;  // the open drop-down
    HMENU popupMenu = nullptr;
    int item = -1;                // highlighted item of the drop-down
    std::vector<RECT> itemRects;  // in the drop-down's client coordinates
    bool done = false;
    UINT_PTR chosen = 0;
    bool haveChoice = false;
};

Tracking* current = nullptr;

bool Selectable(const MenuItem& item) {
    return !(item.flags & MF_SEPARATOR);
}

void RedrawBar(Tracking& t) {
    if (IsWindow(t.hwnd)) wm::RedrawNonClient(t.hwnd);
}

void ClosePopup(Tracking& t) {
    if (t.popup) {
        HWND popup = t.popup;
        t.popup = nullptr;
        DestroyWindow(popup);
    }
    t.popupMenu = nullptr;
    t.item = -1;
    t.itemRects.clear();
}

void InvalidatePopup(Tracking& t) {
    if (t.popup) InvalidateRect(t.popup, nullptr, FALSE);
}

// Opens the drop-down of title `index`; `selectFirst` highlights its first item
// (keyboard), otherwise nothing is highlighted (mouse).
void OpenPopup(Tracking& t, int index, bool selectFirst) {
    ClosePopup(t);
    MenuObject* bar = FindMenu(t.bar);
    if (!bar || index < 0 || index >= static_cast<int>(bar->items.size())) return;
    t.title = index;
    RedrawBar(t);
    const MenuItem& title = bar->items[static_cast<std::size_t>(index)];
    if (!(title.flags & MF_POPUP) || !ItemEnabled(title)) return;
    MenuObject* sub = FindMenu(title.submenu);
    if (!sub || sub->items.empty()) return;
    SendMessageW(t.hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(title.submenu),
                 MAKELPARAM(static_cast<WORD>(index), 0));
    sub = FindMenu(title.submenu);  // the owner may have changed it
    if (!sub || sub->items.empty()) return;
    MeasureDc m;
    const int itemHeight = ItemHeight(m);
    int width = 0, y = kPopupBorder;
    std::vector<RECT> rects;
    for (const MenuItem& item : sub->items) {
        const int h = (item.flags & MF_SEPARATOR) ? kSeparatorHeight : itemHeight;
        width = std::max<int>(width, m.Text(item.text).cx);
        rects.push_back({kPopupBorder, y, 0, y + h});
        y += h;
    }
    width += kItemLeft + kItemRight + 2 * kPopupBorder;
    width = std::max(width, 100);
    for (RECT& r : rects)
        r.right = width - kPopupBorder;
    // Under the title, in screen coordinates.
    const RECT barRect = wm::MenuBarRect(t.hwnd);
    const std::vector<RECT> titles = TitleRects(*bar, barRect, m);
    RECT window{};
    GetWindowRect(t.hwnd, &window);
    int x = window.left + titles[static_cast<std::size_t>(index)].left;
    int top = window.top + titles[static_cast<std::size_t>(index)].bottom;
    const int height = y + kPopupBorder;
    const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    if (screenW > 0 && x + width > screenW) x = std::max(0, screenW - width);
    if (screenH > 0 && top + height > screenH)
        top = std::max(0, window.top + titles[static_cast<std::size_t>(index)].top - height);
    t.popupMenu = title.submenu;
    t.itemRects = std::move(rects);
    t.item = -1;
    if (selectFirst) {
        for (std::size_t i = 0; i < sub->items.size(); ++i) {
            if (Selectable(sub->items[i])) {
                t.item = static_cast<int>(i);
                break;
            }
        }
    }
    t.popup = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kPopupClass, nullptr, WS_POPUP, x, top, width,
                              height, nullptr, nullptr, nullptr, nullptr);
    if (t.popup) ShowWindow(t.popup, SW_SHOWNOACTIVATE);
}

void Choose(Tracking& t) {
    MenuObject* sub = FindMenu(t.popupMenu);
    if (!sub || t.item < 0 || t.item >= static_cast<int>(sub->items.size())) return;
    const MenuItem& item = sub->items[static_cast<std::size_t>(t.item)];
    if (!ItemEnabled(item) || (item.flags & (MF_SEPARATOR | MF_POPUP))) return;
    t.chosen = item.id;
    t.haveChoice = true;
    t.done = true;
}

void MoveItem(Tracking& t, int direction) {
    MenuObject* sub = FindMenu(t.popupMenu);
    if (!sub || sub->items.empty()) return;
    const int n = static_cast<int>(sub->items.size());
    int i = t.item;
    for (int step = 0; step < n; ++step) {
        i = i < 0 ? (direction > 0 ? 0 : n - 1) : (i + direction + n) % n;
        if (Selectable(sub->items[static_cast<std::size_t>(i)])) {
            t.item = i;
            InvalidatePopup(t);
            return;
        }
    }
}

void MoveTitle(Tracking& t, int direction) {
    MenuObject* bar = FindMenu(t.bar);
    if (!bar || bar->items.empty()) return;
    const int n = static_cast<int>(bar->items.size());
    const int next = t.title < 0 ? 0 : (t.title + direction + n) % n;
    if (t.popup) {
        OpenPopup(t, next, true);
    } else {
        t.title = next;
        RedrawBar(t);
    }
}

// An access key typed while the menu is active. True when it matched.
bool AccessKey(Tracking& t, WCHAR key) {
    key = static_cast<WCHAR>(std::towlower(static_cast<wint_t>(key)));
    if (MenuObject* sub = t.popup ? FindMenu(t.popupMenu) : nullptr) {
        for (std::size_t i = 0; i < sub->items.size(); ++i) {
            if (Selectable(sub->items[i]) && AccessKeyOf(sub->items[i].text) == key) {
                t.item = static_cast<int>(i);
                InvalidatePopup(t);
                Choose(t);
                return true;
            }
        }
        return false;
    }
    MenuObject* bar = FindMenu(t.bar);
    if (!bar) return false;
    for (std::size_t i = 0; i < bar->items.size(); ++i) {
        if (AccessKeyOf(bar->items[i].text) == key) {
            OpenPopup(t, static_cast<int>(i), true);
            return true;
        }
    }
    return false;
}

// Where a screen point lies: on a title (index) or on a drop-down item.
struct Hit {
    int title = -1;
    int item = -1;
    bool inPopup = false;
};

Hit HitTest(Tracking& t, POINT screen) {
    Hit hit;
    if (t.popup) {
        RECT pr{};
        GetWindowRect(t.popup, &pr);
        if (Contains(pr, screen)) {
            hit.inPopup = true;
            const POINT local{screen.x - pr.left, screen.y - pr.top};
            for (std::size_t i = 0; i < t.itemRects.size(); ++i) {
                if (Contains(t.itemRects[i], local)) hit.item = static_cast<int>(i);
            }
            return hit;
        }
    }
    MenuObject* bar = FindMenu(t.bar);
    if (!bar || !IsWindow(t.hwnd)) return hit;
    RECT window{};
    GetWindowRect(t.hwnd, &window);
    const POINT local{screen.x - window.left, screen.y - window.top};
    MeasureDc m;
    const std::vector<RECT> titles = TitleRects(*bar, wm::MenuBarRect(t.hwnd), m);
    for (std::size_t i = 0; i < titles.size(); ++i) {
        if (Contains(titles[i], local)) hit.title = static_cast<int>(i);
    }
    return hit;
}

POINT ScreenPointOf(const MSG& msg) {
    POINT p{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
    if (msg.message >= WM_MOUSEMOVE && msg.message <= WM_MOUSEWHEEL && msg.message != WM_MOUSEWHEEL) {
        ClientToScreen(msg.hwnd, &p);  // client-area messages carry client coordinates
    }
    return p;
}

WCHAR KeyToChar(WPARAM vk) {
    if (vk >= 'A' && vk <= 'Z') return static_cast<WCHAR>(vk - 'A' + 'a');
    if (vk >= '0' && vk <= '9') return static_cast<WCHAR>(vk);
    return 0;
}

void HandleKey(Tracking& t, WPARAM key) {
    switch (key) {
        case VK_LEFT:
            MoveTitle(t, -1);
            break;
        case VK_RIGHT:
            MoveTitle(t, 1);
            break;
        case VK_DOWN:
            if (t.popup) {
                MoveItem(t, 1);
            } else {
                OpenPopup(t, t.title < 0 ? 0 : t.title, true);
            }
            break;
        case VK_UP:
            if (t.popup) {
                MoveItem(t, -1);
            } else {
                OpenPopup(t, t.title < 0 ? 0 : t.title, true);
            }
            break;
        case VK_RETURN:
            if (t.popup) {
                Choose(t);
            } else {
                OpenPopup(t, t.title < 0 ? 0 : t.title, true);
            }
            break;
        case VK_ESCAPE:
            if (t.popup) {
                ClosePopup(t);
                RedrawBar(t);
            } else {
                t.done = true;
            }
            break;
        case VK_MENU:
        case VK_F10:
            t.done = true;
            break;
        default:
            if (WCHAR c = KeyToChar(key)) AccessKey(t, c);
            break;
    }
}

void HandleMouse(Tracking& t, const MSG& msg) {
    const Hit hit = HitTest(t, ScreenPointOf(msg));
    switch (msg.message) {
        case WM_MOUSEMOVE:
        case WM_NCMOUSEMOVE:
            if (hit.title >= 0 && hit.title != t.title && t.popup) OpenPopup(t, hit.title, false);
            if (hit.inPopup && hit.item != t.item) {
                t.item = hit.item;
                InvalidatePopup(t);
            }
            break;
        case WM_LBUTTONDOWN:
        case WM_NCLBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (hit.inPopup) break;
            if (hit.title >= 0) {
                if (hit.title == t.title && t.popup) {
                    t.done = true;  // a second click on the open title closes the menu
                } else {
                    OpenPopup(t, hit.title, false);
                }
                break;
            }
            t.done = true;  // a click outside closes the menu
            break;
        case WM_LBUTTONUP:
        case WM_NCLBUTTONUP:
            if (hit.inPopup && hit.item >= 0) {
                t.item = hit.item;
                Choose(t);
            }
            break;
        default:
            break;
    }
}

void RunLoop(Tracking& t) {
    Tracking* outer = current;
    current = &t;
    SendMessageW(t.hwnd, WM_ENTERMENULOOP, 0, 0);
    SetCapture(t.hwnd);
    RedrawBar(t);
    MSG msg{};
    while (!t.done && IsWindow(t.hwnd)) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the outer loop
            break;
        }
        switch (msg.message) {
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN:
                HandleKey(t, msg.wParam);
                continue;
            case WM_CHAR:
            case WM_SYSCHAR:
                // Letters and digits were taken from the key presses already.
                if (!KeyToChar(std::towupper(static_cast<wint_t>(msg.wParam))))
                    AccessKey(t, static_cast<WCHAR>(msg.wParam));
                continue;
            case WM_KEYUP:
            case WM_SYSKEYUP:
                continue;
            case WM_MOUSEMOVE:
            case WM_NCMOUSEMOVE:
            case WM_LBUTTONDOWN:
            case WM_LBUTTONUP:
            case WM_LBUTTONDBLCLK:
            case WM_NCLBUTTONDOWN:
            case WM_NCLBUTTONUP:
            case WM_RBUTTONDOWN:
            case WM_RBUTTONUP:
            case WM_MBUTTONDOWN:
            case WM_MBUTTONUP:
            case WM_MOUSEWHEEL:
                HandleMouse(t, msg);
                continue;
            default:
                break;
        }
        DispatchMessageW(&msg);
        if (IsWindow(t.hwnd) && GetCapture() != t.hwnd) t.done = true;  // another window took the mouse
    }
    ClosePopup(t);
    if (IsWindow(t.hwnd) && GetCapture() == t.hwnd) ReleaseCapture();
    t.title = -1;
    current = outer;
    if (IsWindow(t.hwnd)) {
        RedrawBar(t);
        SendMessageW(t.hwnd, WM_EXITMENULOOP, 0, 0);
        // Characters of the keys the menu consumed must not reach the window.
        MSG drop{};
        while (PeekMessageW(&drop, nullptr, WM_CHAR, WM_CHAR, PM_REMOVE)) {
        }
        while (PeekMessageW(&drop, nullptr, WM_SYSCHAR, WM_SYSCHAR, PM_REMOVE)) {
        }
        if (t.haveChoice) PostMessageW(t.hwnd, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(t.chosen), 0), 0);
    }
}

void PaintPopup(HWND popup) {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(popup, &ps);
    if (!dc) return;
    RECT rc{};
    GetClientRect(popup, &rc);
    FillSys(dc, rc, COLOR_MENU);
    DrawRaisedEdge(dc, rc);
    Tracking* t = current;
    MenuObject* sub = t && t->popup == popup ? FindMenu(t->popupMenu) : nullptr;
    if (sub) {
        HGDIOBJ oldFont = SelectObject(dc, DefaultGuiFont());
        SetBkMode(dc, TRANSPARENT);
        for (std::size_t i = 0; i < sub->items.size() && i < t->itemRects.size(); ++i) {
            const MenuItem& item = sub->items[i];
            const RECT r = t->itemRects[i];
            if (item.flags & MF_SEPARATOR) {
                const int y = (r.top + r.bottom) / 2;
                RECT dark{r.left + 1, y - 1, r.right - 1, y};
                RECT light{r.left + 1, y, r.right - 1, y + 1};
                FillSys(dc, dark, COLOR_BTNSHADOW);
                FillSys(dc, light, COLOR_BTNHIGHLIGHT);
                continue;
            }
            const bool highlighted = static_cast<int>(i) == t->item;
            if (highlighted) FillSys(dc, r, COLOR_HIGHLIGHT);
            RECT text{r.left + kItemLeft, r.top, r.right - kItemRight, r.bottom};
            if (!ItemEnabled(item)) {
                if (!highlighted) {
                    RECT shadow = text;
                    OffsetRectBy(&shadow, 1, 1);
                    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
                    DrawAccessText(dc, item.text, shadow, DT_LEFT);
                }
                SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
            } else {
                SetTextColor(dc, GetSysColor(highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
            }
            DrawAccessText(dc, item.text, text, DT_LEFT);
        }
        SelectObject(dc, oldFont);
    }
    EndPaint(popup, &ps);
}

LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT:
            PaintPopup(hwnd);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void Track(HWND hwnd, HMENU menu, int title, bool open, bool keyboard) {
    if (current || !IsWindow(hwnd) || !FindMenu(menu)) return;  // one menu at a time
    Tracking t;
    t.hwnd = hwnd;
    t.bar = menu;
    t.title = title;
    if (open) OpenPopup(t, title, keyboard);
    RunLoop(t);
}

}  // namespace

void RegisterMenuClasses() {
    RegisterControlClass(kPopupClass, PopupProc, 0, IDC_ARROW);
}

int MenuBarHeight(HMENU menu, int width) {
    MenuObject* m = FindMenu(menu);
    if (!m) return 0;
    MeasureDc dc;
    const std::vector<RECT> titles = TitleRects(*m, {0, 0, std::max(1, width), 0}, dc);
    return titles.empty() ? RowHeight(dc) : static_cast<int>(titles.back().bottom);
}

void PaintMenuBar(HWND hwnd, HMENU menu, HDC dc, const RECT& bar) {
    FillSys(dc, bar, COLOR_MENUBAR);
    MenuObject* m = FindMenu(menu);
    if (!m) return;
    MeasureDc measure;
    const std::vector<RECT> titles = TitleRects(*m, bar, measure);
    const int highlighted = current && current->hwnd == hwnd ? current->title : -1;
    HGDIOBJ oldFont = SelectObject(dc, DefaultGuiFont());
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColor = GetTextColor(dc);
    for (std::size_t i = 0; i < titles.size(); ++i) {
        const MenuItem& item = m->items[i];
        const bool lit = static_cast<int>(i) == highlighted;
        if (lit) FillSys(dc, titles[i], COLOR_HIGHLIGHT);
        SetTextColor(dc, GetSysColor(!ItemEnabled(item) ? COLOR_GRAYTEXT
                                     : lit              ? COLOR_HIGHLIGHTTEXT
                                                        : COLOR_MENUTEXT));
        DrawAccessText(dc, item.text, titles[i], DT_CENTER);
    }
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
}

void TrackMenuFromMouse(HWND hwnd, HMENU menu, POINT windowPoint) {
    MenuObject* m = FindMenu(menu);
    if (!m || !IsWindow(hwnd)) return;
    MeasureDc measure;
    const std::vector<RECT> titles = TitleRects(*m, wm::MenuBarRect(hwnd), measure);
    for (std::size_t i = 0; i < titles.size(); ++i) {
        if (Contains(titles[i], windowPoint)) {
            Track(hwnd, menu, static_cast<int>(i), true, false);
            return;
        }
    }
}

void TrackMenuFromKeyboard(HWND hwnd, HMENU menu, WCHAR accessKey) {
    MenuObject* m = FindMenu(menu);
    if (!m || m->items.empty() || !IsWindow(hwnd)) return;
    if (accessKey == 0) {
        Track(hwnd, menu, 0, false, true);
        return;
    }
    const WCHAR key = static_cast<WCHAR>(std::towlower(static_cast<wint_t>(accessKey)));
    for (std::size_t i = 0; i < m->items.size(); ++i) {
        if (AccessKeyOf(m->items[i].text) == key) {
            Track(hwnd, menu, static_cast<int>(i), true, true);
            return;
        }
    }
}

void ForgetMenuOwner(HWND hwnd) {
    if (current && current->hwnd == hwnd) current->done = true;
}

}  // namespace platform::controls
