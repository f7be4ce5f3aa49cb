// ShellOpen through ShellExecuteW and a stand-in opener: the target reaches
// the opener as one unchanged argument, refused targets start nothing, and no
// zombie process is left behind.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/winapi.h"
#include "services/text.h"
#include "tests/registry/scratch.h"

namespace {

// An xdg-open that records its arguments, NUL-separated after their count, in
// one file per call under calls/ next to itself. Builtins only, as PATH holds
// nothing else.
constexpr const char* kOpener =
    "#!/bin/sh\n"
    "d=${0%/*}\n"
    "printf '%s\\0' \"$#\" \"$@\" > \"$d/calls/.$$\"\n"
    "exec /bin/mv \"$d/calls/.$$\" \"$d/calls/$$\"\n";

class Shell : public ::testing::Test {
protected:
    void SetUp() override {
        bin_ = dir_.path() + "/bin";
        std::filesystem::create_directories(bin_ + "/calls");
        scratch::WriteFile(bin_ + "/xdg-open", kOpener);
        chmod((bin_ + "/xdg-open").c_str(), 0755);
    }

    std::vector<std::string> Calls() const {
        std::vector<std::string> calls;
        for (const auto& e : std::filesystem::directory_iterator(bin_ + "/calls"))
            if (e.path().filename().string()[0] != '.') calls.push_back(scratch::ReadFile(e.path().string()));
        return calls;
    }

    // Waits for `count` recorded calls (the opener runs on its own).
    std::vector<std::string> WaitForCalls(std::size_t count) const {
        for (int i = 0; i < 500 && Calls().size() < count; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return Calls();
    }

    scratch::TempDir dir_;
    std::string bin_;
};

// Child processes of this one, running or ended but not reaped.
int Children() {
    int count = 0;
    const std::string self = std::to_string(getpid());
    for (const auto& e : std::filesystem::directory_iterator("/proc")) {
        const std::string name = e.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string stat = scratch::ReadFile(e.path().string() + "/stat");
        const auto close = stat.rfind(')');
        if (close == std::string::npos || close + 4 > stat.size()) continue;
        const std::string rest = stat.substr(close + 4);
        if (rest.substr(0, rest.find(' ')) == self) ++count;
    }
    return count;
}

TEST_F(Shell, TargetArrivesAsOneUnchangedArgument) {
    scratch::EnvOverride path("PATH", bin_);
    const std::string targets[] = {
        "http://www.example.com/Kelvo.asp",
        "mailto:info@example.com",
        "a b 'c' \"d\" ; $(touch /tmp/kelvo-pwned) `id` | & > x\nsecond line",
    };
    for (const std::string& t : targets)
        EXPECT_TRUE(TQUtility::ShellOpen(t)) << t;
    std::vector<std::string> calls = WaitForCalls(std::size(targets));
    ASSERT_EQ(calls.size(), std::size(targets));
    std::vector<std::string> expected;
    for (const std::string& t : targets)
        expected.push_back(std::string("1\0", 2) + t + '\0');
    std::sort(calls.begin(), calls.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(calls, expected);

    // Every opener has ended; the reaper collects each one, so soon no child
    // is left, not even a zombie.
    int children = Children();
    for (int i = 0; i < 300 && children > 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        children = Children();
    }
    EXPECT_EQ(children, 0);
}

// Refused requests return 32 or less and start nothing; a later valid request
// shows that the opener was reachable all along.
TEST_F(Shell, RefusedRequestsStartNothing) {
    scratch::EnvOverride path("PATH", bin_);
    EXPECT_FALSE(TQUtility::ShellOpen("-e"));
    EXPECT_FALSE(TQUtility::ShellOpen("--help http://x"));
    EXPECT_FALSE(TQUtility::ShellOpen(""));
    const struct {
        const char16_t* operation;
        const char16_t* file;
        const char16_t* parameters;
    } refused[] = {
        {u"edit", u"http://x", nullptr},
        {u"open", u"http://x", u"--flag"},
        {u"open", u"bad\xD800surrogate", nullptr},
        {nullptr, nullptr, nullptr},
    };
    for (const auto& r : refused)
        EXPECT_LE(reinterpret_cast<std::intptr_t>(
                      ShellExecuteW(nullptr, r.operation, r.file, r.parameters, nullptr, SW_SHOW)),
                  32);
    EXPECT_GT(reinterpret_cast<std::intptr_t>(
                  ShellExecuteW(nullptr, nullptr, u"http://ok", nullptr, nullptr, SW_SHOW)),
              32)
        << "a null operation means open";
    const std::vector<std::string> calls = WaitForCalls(1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], std::string("1\0http://ok\0", 12));
}

TEST_F(Shell, NoOpenerOnPath) {
    scratch::TempDir empty;
    scratch::EnvOverride path("PATH", empty.path());
    EXPECT_FALSE(TQUtility::ShellOpen("http://www.example.com"));
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(
                  ShellExecuteW(nullptr, u"open", u"http://www.example.com", nullptr, nullptr, SW_SHOW)),
              2);
}

}  // namespace
