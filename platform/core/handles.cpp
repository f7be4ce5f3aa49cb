// The handle table: a map from never-reused numbers to owned objects.
#include "platform/core/handles.h"

#include <array>
#include <unordered_map>

#include "platform/winapi.h"

namespace platform {
namespace {

struct Table {
    std::unordered_map<std::uintptr_t, std::unique_ptr<Object>> objects;
    std::array<std::size_t, static_cast<std::size_t>(Kind::Count_)> live{};
    std::array<std::size_t, static_cast<std::size_t>(Kind::Count_)> permanent{};
    // Handles start well above the small integers that callers use as
    // resource and control identifiers, so a mix-up is caught rather than
    // silently accepted. The low bits step by 4 so a handle never looks like
    // a packed resource identifier either.
    std::uintptr_t next = 0x10000;
};

Table& table() {
    static Table* t = new Table;  // lives for the process; objects may be used at exit
    return *t;
}

}  // namespace

void* AddObject(std::unique_ptr<Object> object) {
    Table& t = table();
    t.next += 4;
    const std::uintptr_t h = t.next;
    const auto k = static_cast<std::size_t>(object->kind);
    ++t.live[k];
    if (object->permanent) ++t.permanent[k];
    t.objects.emplace(h, std::move(object));
    return reinterpret_cast<void*>(h);
}

Object* FindAnyObject(const void* handle) {
    Table& t = table();
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == t.objects.end() ? nullptr : it->second.get();
}

Object* FindObject(const void* handle, Kind kind) {
    Object* o = FindAnyObject(handle);
    if (!o || o->kind != kind) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return o;
}

bool RemoveObject(const void* handle) {
    Table& t = table();
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == t.objects.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    if (it->second->permanent) return false;
    // Move the object out before destroying it: its destructor may look up
    // or remove other handles, which would invalidate the iterator.
    std::unique_ptr<Object> doomed = std::move(it->second);
    t.objects.erase(it);
    --t.live[static_cast<std::size_t>(doomed->kind)];
    doomed.reset();
    return true;
}

std::size_t LiveObjects(Kind kind) {
    const auto k = static_cast<std::size_t>(kind);
    return table().live[k] - table().permanent[k];
}

std::size_t LiveGraphicsObjects() {
    return LiveObjects(Kind::Dc) + LiveObjects(Kind::Pen) + LiveObjects(Kind::Brush) +
           LiveObjects(Kind::Font) + LiveObjects(Kind::Bitmap);
}

}  // namespace platform
