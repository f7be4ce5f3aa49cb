// The environment the whole program is tested in: the Italian locale (so the
// total is grouped with dots), a private folder holding the settings, and a
// recording stand-in for the desktop's opener first on PATH, which appends
// the one argument it is given to <folder>/opened; and the end of one run.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "abacus/formmain.h"
#include "framework/registry.h"
#include "framework/wndproc.h"
#include "platform/host/headless/headless.h"

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

// Ends a run of the program as the entry does after its loop, then forgets
// the run's elements, so that another run starts as a fresh process would.
template <class Form>  // MyGame::FormMain or a test's subclass of it
void EndProgramRun(Form*& form, platform::headless::Driver& d) {
    if (form != nullptr && IsWindow(form->hwnd)) DestroyWindow(form->hwnd);
    d.Pump();
    for (TQUtility::GUIElement* e : TQUtility::deferredDeletes)
        delete e;
    TQUtility::deferredDeletes.clear();
    delete form;
    form = nullptr;
    TQUtility::registeredElements.clear();
    TQUtility::mainWindow = nullptr;
    TQUtility::activeForm = nullptr;
    TQUtility::mouseTracking = false;
}

}  // namespace testsupport
