// Test fixtures shared by the registry and settings tests: a private
// configuration home per test, environment overrides that restore themselves,
// and running this test program again as a child process.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry/store.h"

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

}  // namespace scratch
