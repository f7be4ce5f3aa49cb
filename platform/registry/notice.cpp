// The replaceable notice hook (see notice.h).
#include "platform/registry/notice.h"

#include <cstdio>
#include <utility>

namespace platform {
namespace {

NoticeHook& currentHook() {
    static NoticeHook hook;
    return hook;
}

}  // namespace

NoticeHook SetNoticeHook(NoticeHook hook) {
    return std::exchange(currentHook(), std::move(hook));
}

void Notice(const std::string& message) {
    const NoticeHook& hook = currentHook();
    if (hook) {
        hook(message);
        return;
    }
    std::fprintf(stderr, "kelvo: %s\n", message.c_str());
}

}  // namespace platform
