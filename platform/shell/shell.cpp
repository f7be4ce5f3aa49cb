// ShellExecuteW: hands a target to the desktop's opener, xdg-open, which
// picks the default browser for a web address and the mail program for a
// "mailto:" link.
//
// The target goes to the opener as one argument of a spawned process
// (posix_spawnp with an argument vector), never through a shell, so blanks,
// quotes, ';', '$(...)' and newlines reach it unchanged. A target that begins
// with '-' would be read by the opener as an option and is refused.
//
// The call returns as soon as the opener has started. A detached thread per
// opener waits for it to end, so no zombie process is left behind and the GUI
// thread never waits; it was chosen over a SIGCHLD handler, which would take
// a process-wide signal from anyone else who spawns children, and over
// reaping with WNOHANG on the next call, which would leave a zombie until
// then. Opening is rare, so one short-lived thread per opener costs nothing.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <thread>

#include "platform/winapi.h"

extern char** environ;

namespace {

// The results the system gives for a refused request (32 or less).
constexpr std::intptr_t kOutOfResources = 0;
constexpr std::intptr_t kFileNotFound = 2;
constexpr std::intptr_t kAccessDenied = 5;
constexpr std::intptr_t kOutOfMemory = 8;
constexpr std::intptr_t kNoAssociation = 31;
// Any value above 32 means success.
constexpr std::intptr_t kStarted = 42;

HINSTANCE Result(std::intptr_t value) {
    return reinterpret_cast<HINSTANCE>(value);
}

bool EqualsAsciiNoCase(const char16_t* text, const char16_t* word) {
    for (; *text && *word; ++text, ++word) {
        char16_t a = *text;
        if (a >= u'A' && a <= u'Z') a = static_cast<char16_t>(a - u'A' + u'a');
        if (a != *word) return false;
    }
    return *text == 0 && *word == 0;
}

// UTF-16 to UTF-8; false for a lone surrogate, which has no UTF-8 form.
bool ToUtf8(const char16_t* text, std::string* out) {
    for (; *text; ++text) {
        char32_t c = *text;
        if (c >= 0xD800 && c <= 0xDBFF) {
            const char32_t low = text[1];
            if (low < 0xDC00 || low > 0xDFFF) return false;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            ++text;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
        if (c < 0x80) {
            out->push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out->push_back(static_cast<char>(0xC0 | (c >> 6)));
            out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out->push_back(static_cast<char>(0xE0 | (c >> 12)));
            out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out->push_back(static_cast<char>(0xF0 | (c >> 18)));
            out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return true;
}

std::intptr_t SpawnError(int e) {
    switch (e) {
        case ENOENT:
        case ENOTDIR:
            return kFileNotFound;
        case EACCES:
        case EPERM:
            return kAccessDenied;
        case ENOMEM:
        case EAGAIN:
            return kOutOfMemory;
        default:
            return kOutOfResources;
    }
}

HINSTANCE Fail(std::intptr_t value, DWORD error) {
    SetLastError(error);
    return Result(value);
}

}  // namespace

HINSTANCE ShellExecuteW(HWND owner, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        int showCommand) {
    (void)owner;        // the opener shows its own windows
    (void)showCommand;  // and decides how
    if (operation && !EqualsAsciiNoCase(operation, u"open")) return Fail(kNoAssociation, ERROR_NOT_SUPPORTED);
    // xdg-open takes exactly one target and nothing else.
    if (parameters && *parameters) return Fail(kNoAssociation, ERROR_NOT_SUPPORTED);
    if (!file || !*file) return Fail(kFileNotFound, ERROR_FILE_NOT_FOUND);
    if (*file == u'-') return Fail(kAccessDenied, ERROR_ACCESS_DENIED);

    std::string target, folder;
    if (!ToUtf8(file, &target)) return Fail(kFileNotFound, ERROR_FILE_NOT_FOUND);
    if (directory && *directory && !ToUtf8(directory, &folder))
        return Fail(kFileNotFound, ERROR_PATH_NOT_FOUND);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    char opener[] = "xdg-open";
    char* argv[] = {opener, target.data(), nullptr};
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, opener, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return Fail(SpawnError(rc), rc == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);

    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return Result(kStarted);
}
