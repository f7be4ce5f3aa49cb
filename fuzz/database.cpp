// Fuzz target for the settings database file itself: the input is what is
// found at $XDG_CONFIG_HOME/kelvo/registry.sqlite3 when the program starts
// (the seeds are real databases, so that mutations give damaged pages,
// odd column types and broken records as well as plain garbage). Reading a
// setting from it must not crash, and whatever it held, the store must work
// afterwards: a damaged file is set aside and a fresh one started, so a text
// saved next reads back.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "fuzz/support.h"
#include "platform/registry/notice.h"
#include "platform/registry/store.h"
#include "services/settings.h"

namespace {

using fuzz::Check;

std::string folder;

// Writes the input as the database, in place of whatever the last one left.
void PlaceDatabase(const std::uint8_t* bytes, std::size_t size) {
    platform::registry::CloseDatabase();
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    std::filesystem::create_directories(folder);
    const std::string path = platform::registry::DatabasePath();
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    Check(fd >= 0, "the database file can be written");
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = write(fd, bytes + done, size - done);
        Check(n > 0, "the database file can be written");
        done += static_cast<std::size_t>(n);
    }
    close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string& home = fuzz::ScratchFolder();
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    folder = home + "/kelvo";
    platform::SetNoticeHook([](const std::string&) {});  // a set-aside file is expected here
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    PlaceDatabase(bytes, size);
    (void)TQUtility::LoadSetting("Kelvo", "Captions", "Rod1");
    (void)TQUtility::LoadWideSetting("Kelvo", "Captions", "Rod2");
    TQUtility::SaveSetting("Kelvo", "Captions", "Rod1", "saved after");
    Check(TQUtility::LoadSetting("Kelvo", "Captions", "Rod1") == "saved after",
          "the store works again after reading whatever file it found");
    return 0;
}
