// A small program of the stand-in for the desktop smoke test: one top-level
// window through RegisterClassW/CreateWindowExW on the SDL host, filled with
// a known colour, that reports on stdout every click, key and character it
// receives ("click X Y", "key VK", "char CODE"), one line each. The test
// drives it from outside with xdotool and reads its pixels off the screen.
// It ends with exit code 0 when its window is closed (Alt+F4) or the
// desktop asks it to end (SIGTERM).
#include <cstdio>
#include <string>

#include "platform/host/host.h"
#include "platform/winapi.h"

namespace {

constexpr COLORREF kFill = RGB(12, 200, 34);

LRESULT CALLBACK SmokeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            HBRUSH brush = CreateSolidBrush(kFill);
            RECT client;
            GetClientRect(hwnd, &client);
            FillRect(dc, &client, brush);
            DeleteObject(brush);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_LBUTTONDOWN:
            std::printf("click %d %d\n", GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            std::fflush(stdout);
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            std::printf("key %u\n", static_cast<unsigned>(wParam));
            std::fflush(stdout);
            break;
        case WM_CHAR:
            std::printf("char %u\n", static_cast<unsigned>(wParam));
            std::fflush(stdout);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int main() {
    std::string error;
    if (!platform::host::UseHost("sdl", &error)) {
        std::fprintf(stderr, "smoke_window: %s\n", error.c_str());
        return 2;
    }
    HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = SmokeProc;
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = u"KelvoSmoke";
    if (!RegisterClassW(&wc)) return 3;
    HWND hwnd = CreateWindowExW(0, u"KelvoSmoke", u"Kelvo smoke \u00A9 \u00E0\u00E8",
                                WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 100, 100, 320, 240, nullptr, nullptr,
                                module, nullptr);
    if (!hwnd) return 4;
    SetForegroundWindow(hwnd);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
