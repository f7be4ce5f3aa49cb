// The registry calls over the per-user database: handles, rights, names,
// value queries and the file's location and permissions.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/handles.h"
#include "platform/winapi.h"
#include "tests/registry/scratch.h"

namespace {

HKEY Create(const char16_t* path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, path, &key), ERROR_SUCCESS) << "creating a key";
    return key;
}

LSTATUS SetBytes(HKEY key, const char16_t* name, DWORD type, const std::string& bytes) {
    return RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size()));
}

// Closed handles, handles of another kind and made-up numbers fail with
// ERROR_INVALID_HANDLE in every call and touch nothing.
TEST(Registry, StaleAndWrongKindHandlesFail) {
    scratch::TempHome home;
    const std::size_t before = platform::LiveObjects(platform::Kind::RegKey);
    HKEY stale = Create(u"Software\\Stale");
    ASSERT_EQ(SetBytes(stale, u"v", REG_BINARY, "x"), ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(stale), ERROR_SUCCESS);
    EXPECT_EQ(platform::LiveObjects(platform::Kind::RegKey), before) << "closing released the handle";

    void* pen = platform::AddObject(std::make_unique<platform::Object>(platform::Kind::Pen));
    const HKEY handles[] = {stale, static_cast<HKEY>(pen), reinterpret_cast<HKEY>(std::uintptr_t{0x12345678}),
                            nullptr};
    for (HKEY h : handles) {
        SCOPED_TRACE(reinterpret_cast<std::uintptr_t>(h));
        HKEY out = reinterpret_cast<HKEY>(std::uintptr_t{1});
        EXPECT_EQ(RegOpenKeyExW(h, u"x", 0, KEY_READ, &out), ERROR_INVALID_HANDLE);
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(RegCreateKeyW(h, u"x", &out), ERROR_INVALID_HANDLE);
        DWORD size = 16;
        BYTE data[16];
        EXPECT_EQ(RegQueryValueExW(h, u"v", nullptr, nullptr, data, &size), ERROR_INVALID_HANDLE);
        EXPECT_EQ(SetBytes(h, u"v", REG_BINARY, "y"), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegDeleteValueW(h, u"v"), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegCloseKey(h), ERROR_INVALID_HANDLE);
    }
    EXPECT_NE(platform::FindObject(pen, platform::Kind::Pen), nullptr) << "the pen survived";
    platform::RemoveObject(pen);

    HKEY again = Create(u"Software\\Stale");
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(again, u"v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 1u) << "the value written before was not touched";
    RegCloseKey(again);
}

// Rights follow the access asked for: a read handle cannot write, a write
// handle cannot read, a created handle can do both.
TEST(Registry, AccessRights) {
    scratch::TempHome home;
    HKEY created = Create(u"Software\\Rights");
    ASSERT_EQ(SetBytes(created, u"v", REG_BINARY, "old"), ERROR_SUCCESS);
    HKEY reader = nullptr, writer = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Rights", 0, KEY_READ, &reader), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Rights", 0, KEY_WRITE, &writer), ERROR_SUCCESS);

    EXPECT_EQ(SetBytes(reader, u"v", REG_BINARY, "new"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueW(reader, u"v"), ERROR_ACCESS_DENIED);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(writer, u"v", nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);

    BYTE data[8] = {};
    size = sizeof data;
    ASSERT_EQ(RegQueryValueExW(reader, u"v", nullptr, nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), "old")
        << "the refused writes changed nothing";

    EXPECT_EQ(SetBytes(writer, u"v", REG_BINARY, "new"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(created, u"v"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(created, u"v"), ERROR_FILE_NOT_FOUND);
    for (HKEY h : {created, reader, writer})
        EXPECT_EQ(RegCloseKey(h), ERROR_SUCCESS);
}

// Key and value names match without regard to ASCII case and nothing else;
// paths are checked for empty names.
TEST(Registry, NamesAndPaths) {
    scratch::TempHome home;
    HKEY key = Create(u"Software\\MixedCase\\Deeper\\");
    ASSERT_EQ(SetBytes(key, u"Name", REG_BINARY, "1"), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(key, u"nAME", REG_BINARY, "22"), ERROR_SUCCESS) << "replaces, does not add";
    RegCloseKey(key);

    struct Case {
        const char16_t* path;
        LSTATUS expected;
    } cases[] = {
        {u"SOFTWARE\\mixedcase\\DEEPER", ERROR_SUCCESS},
        {u"software\\MIXEDCASE\\deeper\\", ERROR_SUCCESS},
        {u"Software\\MixedCase", ERROR_SUCCESS},
        {u"Software\\MixedCase\\Missing", ERROR_FILE_NOT_FOUND},
        {u"Software\\\\MixedCase", ERROR_INVALID_PARAMETER},
        {u"\\Software", ERROR_INVALID_PARAMETER},
        {u"Software\\\\", ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.path, c.path + std::char_traits<char16_t>::length(c.path)));
        HKEY h = nullptr;
        EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, c.path, 0, KEY_READ, &h), c.expected);
        EXPECT_EQ(h != nullptr, c.expected == ERROR_SUCCESS);
        if (h) RegCloseKey(h);
    }

    HKEY open = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"software\\mixedcase\\deeper", 0, KEY_READ, &open), 0);
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExW(open, u"NAME", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 2u);
    RegCloseKey(open);

    // Only ASCII letters fold: U+00C4 and U+00E4 are two keys.
    HKEY upper = Create(u"Software\\\u00C4");
    ASSERT_EQ(SetBytes(upper, u"v", REG_BINARY, "x"), ERROR_SUCCESS);
    HKEY lower = Create(u"Software\\\u00E4");
    EXPECT_EQ(RegQueryValueExW(lower, u"v", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(upper);
    RegCloseKey(lower);
}

// RegQueryValueExW: the type, the size query, ERROR_MORE_DATA with the size
// needed and the buffer left alone, missing values.
TEST(Registry, QueryValue) {
    scratch::TempHome home;
    HKEY key = Create(u"Software\\Query");
    ASSERT_EQ(SetBytes(key, u"ten", REG_DWORD, "0123456789"), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(key, u"empty", REG_SZ, ""), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(key, nullptr, REG_BINARY, "d"), ERROR_SUCCESS);

    struct Case {
        const char16_t* name;
        DWORD capacity;
        LSTATUS result;
        DWORD size;        // byte count afterwards
        std::string data;  // buffer afterwards (the prefix that matters)
    } cases[] = {
        {u"ten", 10, ERROR_SUCCESS, 10, "0123456789"}, {u"ten", 64, ERROR_SUCCESS, 10, "0123456789"},
        {u"ten", 9, ERROR_MORE_DATA, 10, "#########"}, {u"ten", 0, ERROR_MORE_DATA, 10, ""},
        {u"empty", 4, ERROR_SUCCESS, 0, "####"},       {u"", 4, ERROR_SUCCESS, 1, "d###"},
        {u"none", 4, ERROR_FILE_NOT_FOUND, 4, "####"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name)) + " capacity " +
                     std::to_string(c.capacity));
        std::vector<BYTE> buffer(64, '#');
        DWORD size = c.capacity;
        DWORD type = 99;
        EXPECT_EQ(RegQueryValueExW(key, c.name, nullptr, &type, buffer.data(), &size), c.result);
        EXPECT_EQ(size, c.size);
        EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + c.data.size()), c.data);
        if (c.result != ERROR_FILE_NOT_FOUND) {
            const std::u16string name(c.name);
            EXPECT_EQ(type, name == u"ten" ? REG_DWORD : name == u"empty" ? REG_SZ : REG_BINARY);
        }
    }
    DWORD size = 1;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"ten", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 10u) << "a null buffer asks for the size";
    EXPECT_EQ(type, REG_DWORD);
    BYTE one[1];
    EXPECT_EQ(RegQueryValueExW(key, u"ten", nullptr, nullptr, one, nullptr), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

// The file and its folder are the owner's only; a value written is in the
// file when the call returns (read back through a new connection).
TEST(Registry, LocationPermissionsAndDurability) {
    scratch::TempHome home;
    EXPECT_EQ(platform::registry::DatabasePath(), home.database());
    HKEY key = Create(u"Software\\Durable");
    ASSERT_EQ(SetBytes(key, u"v", REG_BINARY, "kept"), ERROR_SUCCESS);
    struct stat st {};
    ASSERT_EQ(stat(home.database().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(stat(home.folder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    platform::registry::CloseDatabase();
    BYTE data[8] = {};
    DWORD size = sizeof data;
    EXPECT_EQ(RegQueryValueExW(key, u"v", nullptr, nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), "kept");
    RegCloseKey(key);
}

// A handle whose database was replaced (set aside by another process) never
// reaches a key of the new file: its key is reported as deleted.
TEST(Registry, HandleOutlivingItsDatabase) {
    scratch::TempHome home;
    HKEY key = Create(u"Software\\Gone");
    ASSERT_EQ(SetBytes(key, u"v", REG_BINARY, "old"), ERROR_SUCCESS);
    ASSERT_EQ(std::rename(home.database().c_str(), (home.database() + ".elsewhere").c_str()), 0);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(SetBytes(key, u"v", REG_BINARY, "new"), ERROR_KEY_DELETED);
    HKEY fresh = Create(u"Software\\Gone");
    EXPECT_EQ(RegQueryValueExW(fresh, u"v", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(fresh);
    RegCloseKey(key);
}

}  // namespace
