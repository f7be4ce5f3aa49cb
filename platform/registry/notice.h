// The one place where the stand-in tells the user about something it did on
// its own, such as setting a damaged settings database aside. The program
// itself reports nothing; this hook is the platform's only voice. The default
// writes one line to stderr; tests replace it to capture the message.
#pragma once

#include <functional>
#include <string>

namespace platform {

using NoticeHook = std::function<void(const std::string&)>;

// Replaces the hook and returns the previous one. An empty function restores
// the default (one line on stderr).
NoticeHook SetNoticeHook(NoticeHook hook);

// Passes one message (UTF-8, no trailing newline) to the current hook.
void Notice(const std::string& message);

}  // namespace platform
