// Form: class registration, window styles, creation, client sizing,
// centring, the small icon and the closing destructor.
#include "framework/form.h"

#include "framework/registry.h"
#include "framework/wndproc.h"
#include "services/text.h"

namespace TQUtility {

HWND mainWindow = nullptr;

namespace {
constexpr DWORD kTitledStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MAXIMIZEBOX;  // 0x10C90000
constexpr DWORD kModalFrameBit = 0x80;
}  // namespace

Form::Form(HINSTANCE instance, bool dialog)
    : GUIElement(instance),
      modalChild(nullptr),
      topMost(true),
      minimizeBox(true),
      sizable(true),
      titled(true),
      dialogStyle(dialog),
      modalFrame(false),
      iconHandle(nullptr),
      iconId(0) {
    typeName = "form";
}

Form::~Form() {
    if (iconHandle != nullptr) DeleteObject(iconHandle);
    if (created && hwnd != nullptr) {
        SendMessageW(hwnd, WM_CLOSE, 0, 0);
        created = false;
        DestroyWindow(hwnd);
    }
}

DWORD Form::WindowStyle() const {
    DWORD style;
    if (titled) {
        style = kTitledStyle;
        if (minimizeBox) style |= WS_MINIMIZEBOX;
        if (sizable) style |= WS_THICKFRAME | WS_MAXIMIZEBOX;
    } else {
        style = WS_POPUP;
    }
    if (dialogStyle) style = modalFrame ? (kTitledStyle | kModalFrameBit) : kTitledStyle;
    if (!sizable) style &= ~WS_MAXIMIZEBOX;
    if (!minimizeBox) style &= ~WS_MINIMIZEBOX;
    if (!enabled) style |= WS_DISABLED;
    return style;
}

DWORD Form::WindowExStyle() const {
    if (!dialogStyle) return 0;
    DWORD ex = WS_EX_TOOLWINDOW | WS_EX_DLGMODALFRAME;
    if (topMost) ex |= WS_EX_TOPMOST;
    return ex;
}

void Form::Create() {
    if (created) return;
    std::u16string caption = text;
    std::int32_t n = lastElementId;
    id = ++lastElementId;
    std::u16string className = u"Window" + Int64ToWideText(n);

    windowClass = WNDCLASSW{};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = ElementWndProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = hInstance;
    windowClass.hbrBackground = backColor == NoColor ? GetSysColorBrush(COLOR_BTNFACE)
                                                     : CreateSolidBrush(static_cast<COLORREF>(backColor));
    windowClass.lpszMenuName = nullptr;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = iconId != 0
                            ? LoadIconW(hInstance, MAKEINTRESOURCEW(static_cast<std::uintptr_t>(iconId)))
                            : LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.lpszClassName = className.c_str();
    RegisterClassW(&windowClass);
    // The record keeps no pointer into this function's strings.
    windowClass.lpszClassName = nullptr;

    hwnd = CreateWindowExW(WindowExStyle(), className.c_str(), caption.c_str(), WindowStyle(), x, y, width,
                           height, nullptr, nullptr, hInstance, nullptr);
    if (mainWindow == nullptr) mainWindow = hwnd;
    OnCreate(hwnd);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    created = true;
    ApplyFont();
}

void Form::SetClientSize(int w, int h) {
    if (!created) return;
    RECT window{};
    RECT client{};
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    int dx = (window.right - window.left) - (client.right - client.left);
    int dy = (window.bottom - window.top) - (client.bottom - client.top);
    if (dx < 0) dx = 0;
    if (dy < 0) dy = 0;
    GetPosition();
    SetSize(w + dx, h + dy);
}

void Form::CenterOnScreen() {
    int screenW = GetSystemMetrics(SM_CXSCREEN);
    int screenH = GetSystemMetrics(SM_CYSCREEN);
    if (created) GetSize();
    x = (screenW - width) / 2;
    y = (screenH - height) / 2;
    if (created) {
        SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOSIZE | SWP_NOZORDER);
        Redraw();
    }
}

void Form::SetIcon(std::int32_t resourceId) {
    iconId = resourceId;
    if (!created) return;
    HICON loaded = LoadIconW(hInstance, MAKEINTRESOURCEW(static_cast<std::uintptr_t>(resourceId)));
    // A failed load keeps the icon the window still shows, so that the
    // destructor can release it.
    if (loaded == nullptr) return;
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(loaded));
    if (iconHandle != nullptr) DeleteObject(iconHandle);
    iconHandle = loaded;
}

}  // namespace TQUtility
