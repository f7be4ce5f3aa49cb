// The program entry: chooses the desktop backend, builds the one main form,
// runs the message loop until the main window is gone and cleans up.
#include <cstdio>
#include <string>

#include "abacus/formmain.h"
#include "framework/messageloop.h"
#include "platform/host/host.h"

int main() {
    std::string error;
    if (!platform::host::UseHost("sdl", &error)) {
        // The host's reason names DISPLAY and xvfb-run; say it ourselves when
        // it gave none.
        if (error.empty())
            error =
                "no display (DISPLAY is not set). Start it from a desktop session, or under a virtual "
                "display: xvfb-run build/kelvo";
        std::fprintf(stderr, "kelvo: cannot open a window: %s\n", error.c_str());
        return 1;
    }
    MyGame::FormMain* form = new MyGame::FormMain(GetModuleHandleW(nullptr), MyGame::MainCaption());
    TQUtility::RunMessageLoop(form);
    delete form;
    return 0;
}
