// The registry calls: RegOpenKeyExW, RegCreateKeyW, RegQueryValueExW,
// RegSetValueExW, RegDeleteValueW and RegCloseKey over the store (store.h).
//
// A key handle is an object in the handle table that remembers the key's
// path from the hive's root and what it may do. Each call looks the path up
// again inside its own transaction, so a handle can never reach a different
// key, even after the database file was replaced underneath it; a key that is
// no longer there gives ERROR_KEY_DELETED. HKEY_CURRENT_USER stands for the
// hive's root and needs no opening or closing.
#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/handles.h"
#include "platform/registry/store.h"
#include "platform/winapi.h"

namespace {

using platform::registry::KeyPath;

constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;

struct RegKeyObject : platform::Object {
    RegKeyObject(KeyPath p, bool read, bool write)
        : Object(platform::Kind::RegKey), path(std::move(p)), canRead(read), canWrite(write) {}
    KeyPath path;
    bool canRead;
    bool canWrite;
};

bool IsRoot(HKEY key) {
    return key == HKEY_CURRENT_USER;
}

// The path and rights behind `key`, or false for an unknown, stale or
// wrong-kind handle.
bool Resolve(HKEY key, KeyPath* path, bool* canRead, bool* canWrite) {
    if (IsRoot(key)) {
        path->clear();
        *canRead = *canWrite = true;
        return true;
    }
    auto* object = platform::Find<RegKeyObject>(key, platform::Kind::RegKey);
    if (!object) return false;
    *path = object->path;
    *canRead = object->canRead;
    *canWrite = object->canWrite;
    return true;
}

// Splits a backslash-separated sub-key path; one trailing backslash is
// allowed, empty names elsewhere are not.
bool AppendSubKey(LPCWSTR subKey, KeyPath* path) {
    if (!subKey || !*subKey) return true;
    std::u16string text(subKey);
    if (text.back() == u'\\') text.pop_back();
    if (text.empty()) return false;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(u'\\', start);
        std::u16string name =
            text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
        if (name.empty() || name.size() > kMaxKeyNameLength) return false;
        path->push_back(std::move(name));
        if (end == std::u16string::npos) return true;
        start = end + 1;
    }
}

std::u16string ValueName(LPCWSTR name) {
    return name ? std::u16string(name) : std::u16string();
}

LSTATUS Status(DWORD code) {
    return static_cast<LSTATUS>(code);
}

LSTATUS NewHandle(KeyPath path, bool read, bool write, HKEY* result) {
    *result =
        static_cast<HKEY>(platform::AddObject(std::make_unique<RegKeyObject>(std::move(path), read, write)));
    return ERROR_SUCCESS;
}

}  // namespace

LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, HKEY* result) {
    if (!result) return Status(ERROR_INVALID_PARAMETER);
    *result = nullptr;
    if (options != 0) return Status(ERROR_INVALID_PARAMETER);
    KeyPath path;
    bool canRead = false, canWrite = false;
    if (!Resolve(key, &path, &canRead, &canWrite)) return Status(ERROR_INVALID_HANDLE);
    if (!AppendSubKey(subKey, &path)) return Status(ERROR_INVALID_PARAMETER);
    if (!path.empty()) {
        const DWORD rc = platform::registry::KeyExists(path);
        if (rc != ERROR_SUCCESS) return Status(rc == ERROR_FILE_NOT_FOUND ? ERROR_FILE_NOT_FOUND : rc);
    }
    return NewHandle(std::move(path), (access & KEY_QUERY_VALUE) != 0, (access & KEY_SET_VALUE) != 0, result);
}

LSTATUS RegCreateKeyW(HKEY key, LPCWSTR subKey, HKEY* result) {
    if (!result) return Status(ERROR_INVALID_PARAMETER);
    *result = nullptr;
    KeyPath path;
    bool canRead = false, canWrite = false;
    if (!Resolve(key, &path, &canRead, &canWrite)) return Status(ERROR_INVALID_HANDLE);
    if (!AppendSubKey(subKey, &path)) return Status(ERROR_INVALID_PARAMETER);
    if (!path.empty()) {
        const DWORD rc = platform::registry::CreateKey(path);
        if (rc != ERROR_SUCCESS) return Status(rc);
    }
    return NewHandle(std::move(path), true, true, result);
}

LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD byteCount) {
    KeyPath path;
    bool canRead = false, canWrite = false;
    if (!Resolve(key, &path, &canRead, &canWrite)) return Status(ERROR_INVALID_HANDLE);
    if (reserved || (data && !byteCount)) return Status(ERROR_INVALID_PARAMETER);
    if (!canRead) return Status(ERROR_ACCESS_DENIED);
    const std::u16string name = ValueName(valueName);
    if (name.size() > kMaxValueNameLength) return Status(ERROR_FILE_NOT_FOUND);

    std::uint32_t storedType = REG_NONE;
    std::vector<std::uint8_t> bytes;
    const DWORD rc = platform::registry::GetValue(path, name, &storedType, &bytes);
    if (rc != ERROR_SUCCESS) return Status(rc);
    if (type) *type = storedType;
    const auto size = static_cast<DWORD>(bytes.size());
    if (data && *byteCount < size) {
        *byteCount = size;
        return Status(ERROR_MORE_DATA);
    }
    if (data && size > 0) std::copy(bytes.begin(), bytes.end(), data);
    if (byteCount) *byteCount = size;
    return ERROR_SUCCESS;
}

LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                       DWORD byteCount) {
    (void)reserved;  // ignored, as the system does
    KeyPath path;
    bool canRead = false, canWrite = false;
    if (!Resolve(key, &path, &canRead, &canWrite)) return Status(ERROR_INVALID_HANDLE);
    if (!data && byteCount > 0) return Status(ERROR_INVALID_PARAMETER);
    if (!canWrite) return Status(ERROR_ACCESS_DENIED);
    const std::u16string name = ValueName(valueName);
    if (name.size() > kMaxValueNameLength) return Status(ERROR_INVALID_PARAMETER);
    return Status(platform::registry::SetValue(path, name, type, data, byteCount));
}

LSTATUS RegDeleteValueW(HKEY key, LPCWSTR valueName) {
    KeyPath path;
    bool canRead = false, canWrite = false;
    if (!Resolve(key, &path, &canRead, &canWrite)) return Status(ERROR_INVALID_HANDLE);
    if (!canWrite) return Status(ERROR_ACCESS_DENIED);
    return Status(platform::registry::DeleteValue(path, ValueName(valueName)));
}

LSTATUS RegCloseKey(HKEY key) {
    if (IsRoot(key)) return ERROR_SUCCESS;
    if (!platform::Find<RegKeyObject>(key, platform::Kind::RegKey)) return Status(ERROR_INVALID_HANDLE);
    platform::RemoveObject(key);
    return ERROR_SUCCESS;
}
