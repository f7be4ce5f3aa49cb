// What the fuzz targets share: failing a check, a scratch folder that goes
// away at exit, and reading bytes as UTF-16 units.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzz {

// A failed property: the message, then abort(), which libFuzzer reports as a
// crash and keeps the input for.
inline void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

// A fresh folder, removed at a normal exit. It is made in KELVO_FUZZ_TMP when
// set (the runner's folder, which it removes even after a crash), otherwise
// in /dev/shm, where synchronous writes cost nothing, or the temporary folder.
inline const std::string& ScratchFolder() {
    // Never destroyed, so that it is still there for the removal at exit.
    static const std::string* folder = [] {
        std::error_code ec;
        const char* given = std::getenv("KELVO_FUZZ_TMP");
        std::string base = given && *given ? std::string(given)
                           : std::filesystem::is_directory("/dev/shm", ec)
                               ? std::string("/dev/shm")
                               : std::filesystem::temp_directory_path().string();
        auto* made = new std::string(base + "/kelvo-fuzz-XXXXXX");
        Check(mkdtemp(made->data()) != nullptr, "a scratch folder can be made");
        return made;
    }();
    static const bool removedAtExit = std::atexit([] {
                                          std::error_code error;
                                          std::filesystem::remove_all(*folder, error);
                                      }) == 0;
    (void)removedAtExit;
    return *folder;
}

// Bytes taken two at a time as little-endian units; an odd last byte is
// dropped, and with `toZero` so is everything from the first zero unit on.
inline std::u16string Units(const std::string& bytes, bool toZero) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (toZero && unit == 0) break;
        text.push_back(unit);
    }
    return text;
}

}  // namespace fuzz
