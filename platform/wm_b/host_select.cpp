// The one place where the backend is chosen by name.
#include <memory>

#include "platform/host/headless_b/headless.h"
#include "platform/host/host.h"

namespace platform::host {

namespace {
std::unique_ptr<Host>& Current() {
    static std::unique_ptr<Host> host;
    return host;
}
}  // namespace

bool UseHost(const std::string& name, std::string* error) {
    std::unique_ptr<Host> made;
    if (name == "headless") {
        made = std::make_unique<headless_b::HeadlessHost>();
    } else if (name == "sdl") {
        if (MakeSdlHost == nullptr) {
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
    if (!Current()) Current() = std::make_unique<headless_b::HeadlessHost>();
    return *Current();
}

}  // namespace platform::host
