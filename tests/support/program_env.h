// The environment the whole program is tested in: the Italian locale (so the
// total is grouped with dots), a private folder holding the settings, and a
// recording stand-in for the desktop's opener first on PATH, which appends
// the one argument it is given to <folder>/opened.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace testsupport {

// Sets the environment up and returns the private folder, made from
// `pattern` (a mkdtemp pattern ending in XXXXXX).
inline std::string PrepareProgramEnvironment(std::string pattern) {
    setenv("LC_ALL", "it_IT.UTF-8", 1);
    const std::string dir = mkdtemp(pattern.data());
    setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
    mkdir((dir + "/bin").c_str(), 0700);
    std::ofstream script(dir + "/bin/xdg-open");
    script << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> " << dir << "/opened\n";
    script.close();
    chmod((dir + "/bin/xdg-open").c_str(), 0700);
    setenv("PATH", (dir + "/bin:" + std::getenv("PATH")).c_str(), 1);
    return dir;
}

}  // namespace testsupport
