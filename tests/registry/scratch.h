// Test fixtures shared by the registry and settings tests: a private
// configuration home per test, environment overrides that restore themselves,
// and running this test program again as a child process.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/registry/notice.h"
#include "platform/registry/store.h"
#include "platform/winapi.h"

extern char** environ;

namespace scratch {

// Sets (or, with nullopt, removes) an environment variable for one scope.
class EnvOverride {
public:
    EnvOverride(std::string name, std::optional<std::string> value) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str())) old_ = old;
        if (value)
            setenv(name_.c_str(), value->c_str(), 1);
        else
            unsetenv(name_.c_str());
    }
    ~EnvOverride() {
        if (old_)
            setenv(name_.c_str(), old_->c_str(), 1);
        else
            unsetenv(name_.c_str());
    }
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

// A fresh directory under the system's temporary folder, removed at the end.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kelvo-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A private XDG_CONFIG_HOME for one test; the registry's kept connection is
// dropped on the way in and out, and the busy timeout restored.
class TempHome {
public:
    TempHome() : env_("XDG_CONFIG_HOME", dir_.path() + "/config") { platform::registry::CloseDatabase(); }
    ~TempHome() {
        platform::registry::CloseDatabase();
        platform::registry::SetBusyTimeoutMs(3000);
    }
    std::string config() const { return dir_.path() + "/config"; }
    std::string folder() const { return config() + "/kelvo"; }
    std::string database() const { return folder() + "/registry.sqlite3"; }
    const std::string& root() const { return dir_.path(); }

private:
    TempDir dir_;
    EnvOverride env_;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Starts this test program again, running only the (disabled) helper test
// `test`, with extra environment variables; `quiet` drops its output (for a
// run that is meant to fail). Returns the child's pid.
inline pid_t SpawnSelf(const std::string& test, const std::vector<std::pair<std::string, std::string>>& env,
                       bool quiet = false) {
    std::vector<std::string> strings;
    for (char** e = environ; *e; ++e)
        strings.emplace_back(*e);
    for (const auto& [name, value] : env)
        strings.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& s : strings)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string filter = "--gtest_filter=" + test;
    std::string disabled = "--gtest_also_run_disabled_tests";
    std::string brief = "--gtest_brief=1";
    char* argv[] = {exe.data(), filter.data(), disabled.data(), brief.data(), nullptr};
    pid_t pid = -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet) posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const int rc = posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

// The child's exit code, or -1 when it did not exit normally.
inline int WaitExit(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline int RunSelf(const std::string& test, const std::vector<std::pair<std::string, std::string>>& env,
                   bool quiet = false) {
    const pid_t pid = SpawnSelf(test, env, quiet);
    return pid < 0 ? -1 : WaitExit(pid);
}

// Captures notices for one scope.
class NoticeCapture {
public:
    NoticeCapture() {
        previous_ = platform::SetNoticeHook([this](const std::string& m) { messages.push_back(m); });
    }
    ~NoticeCapture() { platform::SetNoticeHook(previous_); }
    std::vector<std::string> messages;

private:
    platform::NoticeHook previous_;
};

// The files set aside as damaged in `folder`, without their journals.
inline std::vector<std::string> DamagedFiles(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().filename().string().find(".damaged-") != std::string::npos &&
            e.path().filename().string().find("-journal") == std::string::npos)
            found.push_back(e.path().string());
    return found;
}

// The sqlite3 shell holding an exclusive lock on a database until Release
// (or the end of the scope, so a failed test leaves no process behind). It
// waits for our own short read locks instead of giving up at once.
class LockHolder {
public:
    explicit LockHolder(const std::string& db) {
        int fds[2];
        if (pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
        std::string exe = "sqlite3", path = db;
        char* argv[] = {exe.data(), path.data(), nullptr};
        const int rc = posix_spawnp(&pid_, "sqlite3", &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[0]);
        input_ = fds[1];
        if (rc != 0) {
            pid_ = -1;
            return;
        }
        const char begin[] = ".timeout 5000\nBEGIN EXCLUSIVE;\n";
        if (write(input_, begin, sizeof begin - 1) != static_cast<ssize_t>(sizeof begin - 1)) Release();
    }
    ~LockHolder() {
        if (pid_ > 0) kill(pid_, SIGKILL);
        Release();
    }
    bool started() const { return pid_ > 0; }
    // Waits until the shell holds the lock, seen as a registry read giving
    // up busy; leaves the busy timeout at 50 ms.
    bool WaitUntilHeld() {
        platform::registry::SetBusyTimeoutMs(50);
        for (int i = 0; i < 200; ++i) {
            if (platform::registry::KeyExists({u"Software"}) == ERROR_BUSY) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    // Ends the shell by closing its input; its exit code.
    int Release() {
        if (input_ >= 0) close(input_);
        input_ = -1;
        const int code = pid_ > 0 ? WaitExit(pid_) : -1;
        pid_ = -1;
        return code;
    }

private:
    pid_t pid_ = -1;
    int input_ = -1;
};

}  // namespace scratch
