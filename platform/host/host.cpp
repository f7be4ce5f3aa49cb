// Chooses the host backend by name, in one place, for the program and the
// tests alike. A headless host is made on first use when none was chosen.
#include "platform/host/host.h"

#include "platform/host/headless/headless.h"

namespace platform::host {

namespace {
std::unique_ptr<Host>& Current() {
    static auto* h = new std::unique_ptr<Host>;  // lives for the process
    return *h;
}
}  // namespace

bool UseHost(const std::string& name, std::string* error) {
    std::unique_ptr<Host> made;
    if (name == "headless") {
        made = std::make_unique<headless::HeadlessHost>();
    } else if (name == "sdl") {
        if (!MakeSdlHost) {
            if (error) *error = "this program was built without the SDL backend";
            return false;
        }
        made = MakeSdlHost(error);
        if (!made) return false;
    } else {
        if (error) *error = "unknown host backend \"" + name + "\"";
        return false;
    }
    Current() = std::move(made);
    return true;
}

Host& CurrentHost() {
    if (!Current()) Current() = std::make_unique<headless::HeadlessHost>();
    return *Current();
}

}  // namespace platform::host
