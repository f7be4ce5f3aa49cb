// The settings store over the registry calls (see settings.h).
#include "services/settings.h"

#include <vector>

#include "platform/winapi.h"
#include "services/text.h"

namespace TQUtility {
namespace {

// Opens the category key. Each level is opened from the root with the whole
// path so far (ending in a backslash), and created when it cannot be opened;
// a level that can be neither ends the walk, and so does a database locked by
// another process. Null when the walk failed.
HKEY WalkPath(const std::string& application, const std::string& category, REGSAM access) {
    const std::string components[] = {"Software", "TQSettings", application, category};
    std::u16string path;
    HKEY key = nullptr;
    for (const std::string& component : components) {
        path += ToWide(component);
        path += u'\\';
        if (key) RegCloseKey(key);
        key = nullptr;
        const LSTATUS opened = RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, access, &key);
        if (opened == ERROR_SUCCESS) continue;
        // A lock held by another process stops a create just the same, after
        // another wait.
        if (opened == ERROR_BUSY || RegCreateKeyW(HKEY_CURRENT_USER, path.c_str(), &key) != ERROR_SUCCESS)
            return nullptr;
    }
    return key;
}

// The stored units up to the first zero unit; an odd last byte is dropped.
// The first query uses a buffer that fits every caption; a larger value is
// read again at the size the registry reports, so nothing saved is lost.
std::u16string ReadText(HKEY key, const std::u16string& name) {
    std::vector<BYTE> buffer(4096);
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(buffer.size());
    LSTATUS rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, buffer.data(), &size);
    // The value may grow between the calls (another process saving it).
    for (int attempt = 0; rc == ERROR_MORE_DATA && attempt < 4; ++attempt) {
        buffer.resize(size);
        rc = RegQueryValueExW(key, name.c_str(), nullptr, &type, buffer.data(), &size);
    }
    std::u16string text;
    if (rc != ERROR_SUCCESS) return text;
    for (DWORD i = 0; i + 1 < size; i += 2) {
        const auto unit = static_cast<char16_t>(buffer[i] | (buffer[i + 1] << 8));
        if (unit == 0) break;
        text.push_back(unit);
    }
    return text;
}

// When the store finds its file damaged while writing, it sets the file aside
// and starts a fresh one, where the key just walked to does not exist
// (ERROR_KEY_DELETED): the walk is then made once more, so that the text is
// not lost.
void WriteText(const std::string& application, const std::string& category, const std::string& key,
               const std::u16string& value) {
    std::vector<BYTE> bytes;
    bytes.reserve(value.size() * 2);
    for (char16_t unit : value) {
        bytes.push_back(static_cast<BYTE>(unit & 0xFF));
        bytes.push_back(static_cast<BYTE>(unit >> 8));
    }
    const std::u16string name = ToWide(key);
    for (int attempt = 0; attempt < 2; ++attempt) {
        HKEY handle = WalkPath(application, category, KEY_WRITE);
        if (!handle) return;
        const LSTATUS rc =
            RegSetValueExW(handle, name.c_str(), 0, REG_SZ, bytes.data(), static_cast<DWORD>(bytes.size()));
        RegCloseKey(handle);
        if (rc != ERROR_KEY_DELETED) return;
    }
}

}  // namespace

std::u16string LoadWideSetting(const std::string& application, const std::string& category,
                               const std::string& key) {
    HKEY handle = WalkPath(application, category, KEY_READ);
    if (!handle) return {};
    std::u16string text = ReadText(handle, ToWide(key));
    RegCloseKey(handle);
    return text;
}

std::string LoadSetting(const std::string& application, const std::string& category, const std::string& key) {
    return ToNarrow(LoadWideSetting(application, category, key));
}

void SaveWideSetting(const std::string& application, const std::string& category, const std::string& key,
                     const std::u16string& value) {
    WriteText(application, category, key, value);
}

void SaveSetting(const std::string& application, const std::string& category, const std::string& key,
                 const std::string& value) {
    WriteText(application, category, key, ToWide(value));
}

}  // namespace TQUtility
