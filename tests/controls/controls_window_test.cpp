// The system controls as a program sees them through messages: button
// clicks and owner drawing, static hit testing and bitmaps, edit boxes
// (typing, selection, clipboard, read-only, limit, scrolling), scroll info,
// menus driven by keys posted into their loop, and the message box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/controls/controls.h"
#include "platform/core/handles.h"
#include "platform/winapi.h"
#include "platform/wm/wm_internal.h"

namespace {

struct Record {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    DRAWITEMSTRUCT item{};
    COLORREF bk = 0, text = 0;
    HGDIOBJ font = nullptr;
};

std::vector<Record> records;
HBRUSH ctlBrush = nullptr;
constexpr COLORREF kParentBk = RGB(10, 20, 30);
constexpr COLORREF kParentText = RGB(200, 100, 50);

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND:
            records.push_back({msg, wParam, lParam});
            return 0;
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetBkColor(dc, kParentBk);
            SetTextColor(dc, kParentText);
            records.push_back({msg, wParam, lParam});
            return reinterpret_cast<LRESULT>(ctlBrush);
        }
        case WM_DRAWITEM: {
            Record r{msg, wParam, lParam};
            r.item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            r.bk = GetBkColor(r.item.hDC);
            r.text = GetTextColor(r.item.hDC);
            r.font = GetCurrentObject(r.item.hDC, OBJ_FONT);
            records.push_back(r);
            return TRUE;
        }
        default:
            return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

void Pump() {
    MSG m{};
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

std::vector<Record> Commands() {
    std::vector<Record> out;
    for (const Record& r : records) {
        if (r.msg == WM_COMMAND) out.push_back(r);
    }
    return out;
}

std::u16string TextOf(HWND hwnd) {
    std::u16string s(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, u'\0');
    s.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, s.data(), static_cast<int>(s.size()))));
    return s;
}

LPARAM At(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

class Controls : public ::testing::Test {
protected:
    void SetUp() override {
        static bool registered = false;
        if (!registered) {
            WNDCLASSW wc{};
            wc.lpfnWndProc = ParentProc;
            wc.lpszClassName = u"ControlsTestParent";
            wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
            RegisterClassW(&wc);
            registered = true;
        }
        windowsBefore = platform::LiveObjects(platform::Kind::Window);
        menusBefore = platform::LiveObjects(platform::Kind::Menu);
        graphicsBefore = platform::LiveGraphicsObjects();
        ctlBrush = CreateSolidBrush(kParentBk);
        parent = CreateWindowExW(0, u"ControlsTestParent", u"parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50,
                                 50, 400, 300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(parent, nullptr);
        Pump();
        records.clear();
    }
    void TearDown() override {
        DestroyWindow(parent);
        Pump();
        DeleteObject(ctlBrush);
        // Nothing the controls made outlives them.
        EXPECT_EQ(platform::LiveObjects(platform::Kind::Window), windowsBefore);
        EXPECT_EQ(platform::LiveObjects(platform::Kind::Menu), menusBefore);
        EXPECT_EQ(platform::LiveGraphicsObjects(), graphicsBefore);
    }
    HWND Child(LPCWSTR cls, LPCWSTR text, DWORD style, int id, int w = 100, int h = 30) {
        HWND c = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 10, 10, w, h, parent,
                                 reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(id)), nullptr, nullptr);
        EXPECT_NE(c, nullptr);
        return c;
    }
    HWND parent = nullptr;
    std::size_t windowsBefore = 0, menusBefore = 0, graphicsBefore = 0;
};

// --- Buttons ---------------------------------------------------------------

// A press and release inside clicks; leaving before the release does not;
// the space bar clicks on release; BM_CLICK clicks an enabled button only.
TEST_F(Controls, ButtonClicks) {
    HWND b = Child(u"Button", u"&OK", WS_TABSTOP, 42);
    SendMessageW(b, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    EXPECT_EQ(SendMessageW(b, BM_GETSTATE, 0, 0) & BST_PUSHED, BST_PUSHED);
    SendMessageW(b, WM_LBUTTONUP, 0, At(6, 6));
    ASSERT_EQ(Commands().size(), 1u);
    EXPECT_EQ(Commands()[0].wParam, MAKEWPARAM(42, BN_CLICKED));
    EXPECT_EQ(Commands()[0].lParam, reinterpret_cast<LPARAM>(b));

    records.clear();
    SendMessageW(b, WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    SendMessageW(b, WM_MOUSEMOVE, MK_LBUTTON, At(300, 5));
    EXPECT_EQ(SendMessageW(b, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
    SendMessageW(b, WM_LBUTTONUP, 0, At(300, 5));
    EXPECT_TRUE(Commands().empty());

    SendMessageW(b, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(Commands().empty());
    SendMessageW(b, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(Commands().size(), 1u);

    records.clear();
    EnableWindow(b, FALSE);
    SendMessageW(b, BM_CLICK, 0, 0);
    EXPECT_TRUE(Commands().empty());
    EnableWindow(b, TRUE);
    SendMessageW(b, BM_CLICK, 0, 0);
    EXPECT_EQ(Commands().size(), 1u);
}

// An owner-drawn button asks its parent for colours and then for the face
// with the same device context, which still holds those colours and the
// button's font; the item state follows focus, press and enabling.
TEST_F(Controls, OwnerDrawSequence) {
    HWND b = Child(u"Button", u"RESET", BS_OWNERDRAW | WS_TABSTOP, 7, 80, 30);
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, u"Arial");
    SendMessageW(b, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    struct Case {
        const char* name;
        bool focus, press, disable;
        UINT state;
    };
    const Case cases[] = {
        {"plain", false, false, false, 0},
        {"focused", true, false, false, ODS_FOCUS},
        {"pressed", true, true, false, ODS_FOCUS | ODS_SELECTED},
        {"disabled", false, false, true, ODS_DISABLED},
    };
    for (const Case& c : cases) {
        SetFocus(c.focus ? b : parent);
        EnableWindow(b, c.disable ? FALSE : TRUE);
        if (c.press) SendMessageW(b, WM_LBUTTONDOWN, MK_LBUTTON, At(4, 4));
        Pump();
        records.clear();
        InvalidateRect(b, nullptr, TRUE);
        UpdateWindow(b);
        ASSERT_GE(records.size(), 2u) << c.name;
        const Record& color = records[records.size() - 2];
        const Record& draw = records.back();
        EXPECT_EQ(color.msg, WM_CTLCOLORBTN) << c.name;
        EXPECT_EQ(color.lParam, reinterpret_cast<LPARAM>(b)) << c.name;
        ASSERT_EQ(draw.msg, WM_DRAWITEM) << c.name;
        EXPECT_EQ(draw.wParam, 7u);
        EXPECT_EQ(draw.item.CtlType, ODT_BUTTON);
        EXPECT_EQ(draw.item.CtlID, 7u);
        EXPECT_EQ(draw.item.hwndItem, b);
        EXPECT_EQ(reinterpret_cast<WPARAM>(draw.item.hDC), color.wParam) << c.name;
        EXPECT_EQ(draw.bk, kParentBk) << c.name;
        EXPECT_EQ(draw.text, kParentText) << c.name;
        EXPECT_EQ(draw.font, font) << c.name;
        EXPECT_EQ(draw.item.rcItem.right - draw.item.rcItem.left, 80) << c.name;
        EXPECT_EQ(draw.item.itemState & (ODS_FOCUS | ODS_SELECTED | ODS_DISABLED), c.state) << c.name;
        if (c.press) SendMessageW(b, WM_LBUTTONUP, 0, At(4, 4));
    }
    EnableWindow(b, TRUE);
    records.clear();
    SendMessageW(b, WM_LBUTTONDBLCLK, MK_LBUTTON, At(4, 4));
    ASSERT_EQ(Commands().size(), 1u);
    EXPECT_EQ(HIWORD(Commands()[0].wParam), BN_DOUBLECLICKED);
    DestroyWindow(b);
    DeleteObject(font);
}

TEST_F(Controls, ButtonDialogCodes) {
    struct Case {
        DWORD style;
        LRESULT code;
    };
    const Case cases[] = {{BS_PUSHBUTTON, DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON},
                          {BS_DEFPUSHBUTTON, DLGC_BUTTON | DLGC_DEFPUSHBUTTON},
                          {BS_OWNERDRAW, DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON}};
    for (const Case& c : cases) {
        HWND b = Child(u"Button", u"x", c.style, 1);
        EXPECT_EQ(SendMessageW(b, WM_GETDLGCODE, 0, 0), c.code) << c.style;
        DestroyWindow(b);
    }
}

// --- Statics ---------------------------------------------------------------

// Without SS_NOTIFY the pointer passes through; with it a press notifies.
TEST_F(Controls, StaticNotifyAndPassThrough) {
    HWND quiet = Child(u"static", u"label", 0, 3);
    HWND notify = Child(u"static", u"label", SS_NOTIFY, 4);
    EXPECT_EQ(SendMessageW(quiet, WM_NCHITTEST, 0, 0), HTTRANSPARENT);
    EXPECT_NE(SendMessageW(notify, WM_NCHITTEST, 0, 0), HTTRANSPARENT);
    SendMessageW(quiet, WM_LBUTTONDOWN, MK_LBUTTON, At(2, 2));
    EXPECT_TRUE(Commands().empty());
    SendMessageW(notify, WM_LBUTTONDOWN, MK_LBUTTON, At(2, 2));
    ASSERT_EQ(Commands().size(), 1u);
    EXPECT_EQ(Commands()[0].wParam, MAKEWPARAM(4, STN_CLICKED));
}

// A bitmap static shows the bitmap at its own size and the parent's brush
// around it; STM_SETIMAGE hands back the previous image.
TEST_F(Controls, StaticBitmapPixels) {
    HWND s = Child(u"static", u"", SS_BITMAP | SS_NOTIFY, 5, 20, 10);
    HDC screen = GetDC(parent);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 6, 4);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, bmp);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT all{0, 0, 6, 4};
    FillRect(mem, &all, red);
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(red);
    ReleaseDC(parent, screen);

    EXPECT_EQ(SendMessageW(s, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bmp)), 0);
    EXPECT_EQ(SendMessageW(s, STM_GETIMAGE, IMAGE_BITMAP, 0), reinterpret_cast<LRESULT>(bmp));
    UpdateWindow(s);
    HDC dc = GetDC(s);
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 5, 3), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 10, 2), kParentBk);
    EXPECT_EQ(GetPixel(dc, 2, 7), kParentBk);
    ReleaseDC(s, dc);
    EXPECT_EQ(SendMessageW(s, STM_SETIMAGE, IMAGE_BITMAP, 0), reinterpret_cast<LRESULT>(bmp));
    DestroyWindow(s);
    DeleteObject(bmp);
}

// --- Edit boxes ------------------------------------------------------------

void Type(HWND edit, const std::u16string& s) {
    for (char16_t c : s)
        SendMessageW(edit, WM_CHAR, c, 0);
}

std::pair<DWORD, DWORD> Sel(HWND edit) {
    DWORD a = 0, b = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    return {a, b};
}

int Notifications(WORD code) {
    int n = 0;
    for (const Record& r : Commands())
        n += HIWORD(r.wParam) == code;
    return n;
}

// Typed characters go in, Backspace takes one out, control characters and
// Tab are not text; each change by the user sends EN_CHANGE; the window
// text follows.
TEST_F(Controls, EditTyping) {
    HWND e = Child(u"edit", u"", ES_AUTOHSCROLL, 9);
    Type(e, u"ab\tc\x01\x16");
    SendMessageW(e, WM_CHAR, VK_BACK, 0);
    Type(e, u"d\r");
    EXPECT_EQ(TextOf(e), u"abd");
    EXPECT_EQ(Notifications(EN_CHANGE), 5);  // a, b, c, Backspace, d
    EXPECT_EQ(SendMessageW(e, WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS);

    HWND m = Child(u"edit", u"", ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_AUTOHSCROLL, 10, 100, 60);
    Type(m, u"one\rtwo");
    EXPECT_EQ(TextOf(m), u"one\r\ntwo");
    EXPECT_EQ(SendMessageW(m, EM_GETLINECOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(m, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS, DLGC_WANTALLKEYS);
}

// Press-drag selects, a double click selects a word, and the clipboard
// commands copy, cut and paste through the desktop clipboard.
TEST_F(Controls, EditMouseSelectionAndClipboard) {
    HWND e = Child(u"edit", u"hello world", ES_AUTOHSCROLL, 11, 200, 24);
    SendMessageW(e, WM_LBUTTONDOWN, MK_LBUTTON, At(1, 5));
    SendMessageW(e, WM_MOUSEMOVE, MK_LBUTTON, At(199, 5));
    SendMessageW(e, WM_LBUTTONUP, 0, At(199, 5));
    EXPECT_EQ(Sel(e), std::make_pair(DWORD{0}, DWORD{11}));
    SendMessageW(e, WM_LBUTTONDBLCLK, MK_LBUTTON, At(4, 5));
    EXPECT_EQ(Sel(e), std::make_pair(DWORD{0}, DWORD{5}));

    SendMessageW(e, WM_COPY, 0, 0);
    EXPECT_EQ(platform::wm::ClipboardText(), u"hello");
    SendMessageW(e, WM_CUT, 0, 0);
    EXPECT_EQ(TextOf(e), u" world");
    SendMessageW(e, EM_SETSEL, 6, 6);
    SendMessageW(e, WM_PASTE, 0, 0);
    EXPECT_EQ(TextOf(e), u" worldhello");
    // A pasted line break ends a single-line paste.
    platform::wm::SetClipboardText(u"x\r\ny");
    SendMessageW(e, EM_SETSEL, 0, -1);
    SendMessageW(e, WM_PASTE, 0, 0);
    EXPECT_EQ(TextOf(e), u"x");
}

// A read-only box takes no changes, still selects and copies, and paints
// through WM_CTLCOLORSTATIC; turning it editable again restores editing and
// WM_CTLCOLOREDIT.
TEST_F(Controls, EditReadOnly) {
    HWND e = Child(u"edit", u"fixed", ES_AUTOHSCROLL | ES_READONLY, 12);
    Type(e, u"zz");
    SendMessageW(e, WM_CHAR, VK_BACK, 0);
    platform::wm::SetClipboardText(u"pasted");
    SendMessageW(e, WM_PASTE, 0, 0);
    SendMessageW(e, EM_SETSEL, 0, -1);
    SendMessageW(e, WM_CUT, 0, 0);
    EXPECT_EQ(TextOf(e), u"fixed");
    SendMessageW(e, WM_COPY, 0, 0);
    EXPECT_EQ(platform::wm::ClipboardText(), u"fixed");
    EXPECT_EQ(Notifications(EN_CHANGE), 0);

    auto paintColorMessage = [&] {
        records.clear();
        InvalidateRect(e, nullptr, TRUE);
        UpdateWindow(e);
        for (const Record& r : records) {
            if (r.msg == WM_CTLCOLORSTATIC || r.msg == WM_CTLCOLOREDIT) return r.msg;
        }
        return UINT{0};
    };
    EXPECT_EQ(paintColorMessage(), WM_CTLCOLORSTATIC);
    SendMessageW(e, EM_SETREADONLY, FALSE, 0);
    EXPECT_EQ(paintColorMessage(), WM_CTLCOLOREDIT);
    SendMessageW(e, EM_SETSEL, 5, 5);
    Type(e, u"!");
    EXPECT_EQ(TextOf(e), u"fixed!");
}

// The default limit is 30,000 characters: typing and pasting stop there and
// report EN_MAXTEXT; WM_SETTEXT is not cut.
TEST_F(Controls, EditLimit) {
    HWND e = Child(u"edit", u"", ES_AUTOHSCROLL, 13);
    EXPECT_EQ(SendMessageW(e, EM_GETLIMITTEXT, 0, 0), 30000);
    const std::u16string almost(29998, u'a');
    SendMessageW(e, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(almost.c_str()));
    SendMessageW(e, EM_SETSEL, 29998, 29998);
    Type(e, u"bcd");
    EXPECT_EQ(GetWindowTextLengthW(e), 30000);
    EXPECT_EQ(Notifications(EN_MAXTEXT), 1);
    platform::wm::SetClipboardText(u"more");
    SendMessageW(e, WM_PASTE, 0, 0);
    EXPECT_EQ(GetWindowTextLengthW(e), 30000);
    const std::u16string over(30010, u'z');
    SendMessageW(e, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(over.c_str()));
    EXPECT_EQ(GetWindowTextLengthW(e), 30010);
    SendMessageW(e, EM_LIMITTEXT, 5, 0);
    SendMessageW(e, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u""));
    Type(e, u"1234567");
    EXPECT_EQ(TextOf(e), u"12345");
}

// A multi-line box keeps its scroll bar in step with its lines: line,
// page, thumb and wheel scrolling move the first visible line.
TEST_F(Controls, EditVerticalScrolling) {
    HWND e = Child(u"edit", u"", ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY | WS_VSCROLL,
                   14, 150, 80);
    std::u16string text;
    for (int i = 0; i < 40; ++i)
        text += u"line " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + u"\r\n";
    SendMessageW(e, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SCROLLINFO si{sizeof(si), SIF_ALL};
    ASSERT_TRUE(GetScrollInfo(e, SB_VERT, &si));
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 40);  // 41 lines: the last is empty
    ASSERT_GT(si.nPage, 0u);
    const int page = static_cast<int>(si.nPage);
    struct Step {
        UINT msg;
        WPARAM wParam;
        int first;
    };
    const Step steps[] = {
        {WM_VSCROLL, SB_LINEDOWN, 1},
        {WM_VSCROLL, SB_LINEDOWN, 2},
        {WM_VSCROLL, SB_LINEUP, 1},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 4},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 1},
        {WM_VSCROLL, SB_PAGEDOWN, 1 + std::max(1, page - 1)},
        {WM_VSCROLL, SB_TOP, 0},
        {WM_VSCROLL, SB_BOTTOM, 41 - page},
        {WM_VSCROLL, SB_LINEDOWN, 41 - page},
    };
    for (const Step& s : steps) {
        SendMessageW(e, s.msg, s.wParam, 0);
        EXPECT_EQ(SendMessageW(e, EM_GETFIRSTVISIBLELINE, 0, 0), s.first) << s.msg << " " << s.wParam;
        GetScrollInfo(e, SB_VERT, &si);
        EXPECT_EQ(si.nPos, s.first);
    }
}

// --- Scroll info -----------------------------------------------------------

// Range, page and position are clamped as the system does: the page never
// exceeds the range, the position stays where a whole page fits.
TEST_F(Controls, ScrollInfoClamping) {
    struct Case {
        int min, max;
        UINT page;
        int pos;
        UINT wantPage;
        int wantPos;
    };
    const Case cases[] = {
        {0, 99, 10, 50, 10, 50}, {0, 99, 10, 95, 10, 90}, {0, 99, 10, -5, 10, 0},
        {0, 9, 50, 3, 10, 0},    {5, 5, 0, 9, 0, 5},      {10, 2, 1, 7, 1, 10},
    };
    for (const Case& c : cases) {
        SCROLLINFO si{sizeof(si), SIF_ALL, c.min, c.max, c.page, c.pos, 0};
        const int returned = SetScrollInfo(parent, SB_VERT, &si, FALSE);
        SCROLLINFO got{sizeof(got), SIF_ALL};
        ASSERT_TRUE(GetScrollInfo(parent, SB_VERT, &got));
        EXPECT_EQ(returned, c.wantPos) << c.min << ".." << c.max << " page " << c.page << " pos " << c.pos;
        EXPECT_EQ(got.nPage, c.wantPage);
        EXPECT_EQ(got.nPos, c.wantPos);
    }
    HWND gone = Child(u"static", u"", 0, 20);
    DestroyWindow(gone);
    SCROLLINFO si{sizeof(si), SIF_POS};
    EXPECT_EQ(SetScrollInfo(gone, SB_VERT, &si, FALSE), 0);
    EXPECT_FALSE(GetScrollInfo(gone, SB_VERT, &si));
}

}  // namespace
