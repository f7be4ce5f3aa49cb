// The stand-in's one handle table. Every object that a call hands out as a
// handle (windows, device contexts, pens, brushes, fonts, bitmaps, menus,
// icons, cursors, registry keys) lives here, and so do timers, which are
// counted with the rest although the program names them by identifier.
//
// A handle is a number that is never reused within the process. Looking one
// up checks both that it is alive and that it is of the expected kind, so a
// stale handle, or one of another kind, fails (ERROR_INVALID_HANDLE) and never
// reaches a newer object. Permanent objects (stock objects, system-colour
// brushes, system cursors and icons) refuse deletion and stay usable.
//
// Single-threaded by design: the GUI thread owns every object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

enum class Kind : std::uint8_t {
    Window,
    Dc,
    Pen,
    Brush,
    Font,
    Bitmap,
    Menu,
    Icon,
    Cursor,
    RegKey,
    Timer,
    Module,
    Count_
};

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    const Kind kind;
    bool permanent = false;  // stock and system objects: never deleted
};

// Takes ownership and returns the new handle (never 0, never reused).
void* AddObject(std::unique_ptr<Object> object);

// The live object behind `handle` when it is of kind `kind`; otherwise null,
// with ERROR_INVALID_HANDLE as the last error.
Object* FindObject(const void* handle, Kind kind);

// The live object behind `handle`, whatever its kind; null when stale.
Object* FindAnyObject(const void* handle);

template <class T>
T* Find(const void* handle, Kind kind) {
    return static_cast<T*>(FindObject(handle, kind));
}

// Destroys the object. False (ERROR_INVALID_HANDLE) for a stale handle; false
// without touching anything for a permanent object.
bool RemoveObject(const void* handle);

// Number of live objects of one kind (tests show that nothing leaks).
std::size_t LiveObjects(Kind kind);

// Graphics objects together: DCs, pens, brushes, fonts and bitmaps that are
// not permanent.
std::size_t LiveGraphicsObjects();

}  // namespace platform
