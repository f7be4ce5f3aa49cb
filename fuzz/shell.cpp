// Fuzz target for ShellOpen and the ShellExecuteW it stands on: any target
// either is refused (empty, an option-like leading '-', a lone surrogate) and
// starts nothing, or reaches the opener as exactly one argument, its UTF-8
// form, unchanged by blanks, quotes, newlines or shell syntax.
//
// The opener is a stand-in xdg-open, alone on PATH, that writes its argument
// count and arguments (each ending in a zero byte) into a FIFO; reading the
// FIFO waits for the opener, so every input is checked before the next one.
#include <fcntl.h>
#include <fuzzer/FuzzedDataProvider.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/support.h"
#include "platform/winapi.h"
#include "services/text.h"

namespace {

using fuzz::Check;
using fuzz::Units;

constexpr const char* kOpener =
    "#!/bin/sh\n"
    "printf '%s\\0' \"$#\" \"$@\" > \"${0%/*}/calls\"\n";

std::string fifo;

// What the opener received, as it wrote it.
std::string ReadCall() {
    // libFuzzer's timer signal for -timeout interrupts the wait every second.
    int fd;
    while ((fd = open(fifo.c_str(), O_RDONLY | O_CLOEXEC)) < 0 && errno == EINTR) {
    }
    Check(fd >= 0, "the opener's FIFO opens");
    std::string call;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        Check(n > 0, "the opener's FIFO reads");
        call.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return call;
}

// UTF-16 to UTF-8 by iconv, which refuses a lone surrogate; false then.
bool Utf8(const std::u16string& text, std::string* out) {
    iconv_t cd = iconv_open("UTF-8", "UTF-16LE");
    Check(cd != reinterpret_cast<iconv_t>(-1), "iconv knows UTF-16LE");
    std::string in;
    for (char16_t unit : text) {
        in.push_back(static_cast<char>(unit & 0xFF));
        in.push_back(static_cast<char>(unit >> 8));
    }
    std::string buffer(in.size() * 2 + 4, '\0');
    char* from = in.data();
    std::size_t fromLeft = in.size();
    char* to = buffer.data();
    std::size_t toLeft = buffer.size();
    const std::size_t rc = iconv(cd, &from, &fromLeft, &to, &toLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1) || fromLeft != 0) return false;
    out->assign(buffer.data(), buffer.size() - toLeft);
    return true;
}

// Checks one request: `accepted` as the call reported it, `target` the text
// up to its first zero unit.
void Expect(bool accepted, const std::u16string& target) {
    std::string utf8;
    const bool valid = !target.empty() && target[0] != u'-' && Utf8(target, &utf8);
    Check(accepted == valid, "a target is accepted exactly when it is non-empty, no option and valid UTF-16");
    if (!accepted) return;
    Check(ReadCall() == std::string("1\0", 2) + utf8 + std::string(1, '\0'),
          "the opener gets the target as one unchanged UTF-8 argument");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string& scratch = fuzz::ScratchFolder();
    const std::string opener = scratch + "/xdg-open";
    std::ofstream(opener) << kOpener;
    Check(chmod(opener.c_str(), 0755) == 0, "the stand-in opener is executable");
    fifo = scratch + "/calls";
    Check(mkfifo(fifo.c_str(), 0600) == 0, "the opener's FIFO is made");
    setenv("PATH", scratch.c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    if (data.ConsumeBool()) {
        const std::string target = data.ConsumeRemainingBytesAsString();
        Expect(TQUtility::ShellOpen(target), TQUtility::ToWide(target));
    } else {
        const std::u16string target = Units(data.ConsumeRemainingBytesAsString(), true);
        const HINSTANCE result = ShellExecuteW(nullptr, u"open", target.c_str(), nullptr, nullptr, SW_SHOW);
        Expect(reinterpret_cast<std::intptr_t>(result) > 32, target);
    }
    return 0;
}
