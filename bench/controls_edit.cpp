// How the edit control copes with a long text: typing one character into,
// and repainting, a box that holds 100,000 characters, single-line and
// multi-line. Both should cost about as much as in a short text, because
// only the lines in view are measured and drawn.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/winapi.h"

namespace {

HWND MakeBox(DWORD style, std::size_t length) {
    static HWND parent = CreateWindowExW(0, u"static", u"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                         nullptr, nullptr, nullptr);
    HWND edit = CreateWindowExW(0, u"edit", u"", WS_CHILD | WS_VISIBLE | style, 0, 0, 380, 280, parent,
                                nullptr, nullptr, nullptr);
    SendMessageW(edit, EM_LIMITTEXT, 0, 0);
    std::u16string text;
    const bool multi = (style & ES_MULTILINE) != 0;
    while (text.size() < length)
        text += multi ? u"the quick brown fox jumps over the lazy dog\r\n" : u"abcdefghij";
    text.resize(length);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, length / 2, length / 2);
    return edit;
}

void Type(benchmark::State& state, DWORD style) {
    HWND edit = MakeBox(style, static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        SendMessageW(edit, WM_CHAR, u'x', 0);
        SendMessageW(edit, WM_CHAR, VK_BACK, 0);
        UpdateWindow(edit);
    }
    DestroyWindow(edit);
}

void BM_TypeSingleLine(benchmark::State& state) {
    Type(state, ES_AUTOHSCROLL);
}
void BM_TypeMultiLine(benchmark::State& state) {
    Type(state, ES_MULTILINE | ES_AUTOHSCROLL | WS_VSCROLL);
}

void BM_PaintMultiLine(benchmark::State& state) {
    HWND edit = MakeBox(ES_MULTILINE | ES_AUTOHSCROLL | WS_VSCROLL, static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        InvalidateRect(edit, nullptr, FALSE);
        UpdateWindow(edit);
    }
    DestroyWindow(edit);
}

BENCHMARK(BM_TypeSingleLine)->Arg(100)->Arg(100000);
BENCHMARK(BM_TypeMultiLine)->Arg(100)->Arg(100000);
BENCHMARK(BM_PaintMultiLine)->Arg(100)->Arg(100000);

}  // namespace
