// The program module's resource table: entries registered at start by the
// generated artwork table, or by tests with fixtures of their own.
#include "platform/resources.h"

#include <map>
#include <utility>

namespace platform {
namespace {

std::map<std::pair<int, int>, ResourceEntry>& table() {
    static auto* t = new std::map<std::pair<int, int>, ResourceEntry>;  // used by static initialisers
    return *t;
}

}  // namespace

void RegisterResources(const ResourceEntry* entries, std::size_t count) {
    if (!entries) return;
    for (std::size_t i = 0; i < count; ++i) {
        table()[{static_cast<int>(entries[i].type), entries[i].id}] = entries[i];
    }
}

const ResourceEntry* FindResourceEntry(ResourceType type, int id) {
    auto it = table().find({static_cast<int>(type), id});
    return it == table().end() ? nullptr : &it->second;
}

}  // namespace platform
