// Fuzz target for the settings read path: whatever another program left in
// the registry, of any type and any bytes, reads back through LoadSetting and
// LoadWideSetting as its bytes taken as UTF-16 units up to the first zero unit,
// without reading or writing outside a buffer. RegQueryValueExW is given a
// buffer of exactly the size the input names, so that ASan sees any write past
// it; and the texts saved by SaveSetting and SaveWideSetting come back as
// they went in.
//
// The database lives in a scratch XDG_CONFIG_HOME, under /dev/shm when there
// is one (synchronous writes cost nothing there), and is started afresh every
// few thousand inputs so that the keys the inputs create do not pile up.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/support.h"
#include "platform/registry/store.h"
#include "platform/winapi.h"
#include "services/settings.h"
#include "services/text.h"

namespace {

using fuzz::Check;
using fuzz::Units;
using TQUtility::LoadSetting;
using TQUtility::LoadWideSetting;
using TQUtility::SaveSetting;
using TQUtility::SaveWideSetting;
using TQUtility::ToNarrow;
using TQUtility::ToWide;

// Drops the database so that the next call starts a fresh one.
void FreshDatabase() {
    platform::registry::CloseDatabase();
    const std::string path = platform::registry::DatabasePath();
    std::error_code ec;
    std::filesystem::remove(path, ec);
    std::filesystem::remove(path + "-journal", ec);
}

// Value types a settings value meets: texts, numbers, binary, and odd ones.
constexpr DWORD kTypes[] = {
    REG_SZ, REG_BINARY, REG_DWORD, REG_NONE, 2 /* expandable text */, 7 /* text list */,
    11 /* 64-bit number */};

// A name: mostly one the program uses (so that values are found under keys
// that exist), otherwise any bytes, backslashes and zero bytes included.
std::string Name(FuzzedDataProvider& data, const char* usual) {
    if (data.ConsumeBool()) return usual;
    return data.ConsumeRandomLengthString(24);
}

// Opens (creating) the key that the settings of application/category live
// under, named as LoadSetting names it (with a closing backslash, so that an
// empty category is no valid path); null when the names make no valid path.
HKEY OpenCategory(const std::string& application, const std::string& category) {
    const std::u16string path =
        u"Software\\TQSettings\\" + ToWide(application) + u"\\" + ToWide(category) + u"\\";
    HKEY key = nullptr;
    return RegCreateKeyW(HKEY_CURRENT_USER, path.c_str(), &key) == ERROR_SUCCESS ? key : nullptr;
}

// Reads the value with a buffer of exactly `capacity` bytes.
void QueryExactly(HKEY key, const std::u16string& name, DWORD type, const std::string& bytes,
                  std::size_t capacity) {
    DWORD size = 0;
    DWORD gotType = REG_NONE;
    Check(RegQueryValueExW(key, name.c_str(), nullptr, &gotType, nullptr, &size) == ERROR_SUCCESS,
          "a size query succeeds");
    Check(size == bytes.size() && gotType == type, "the size query reports the stored size and type");

    const std::unique_ptr<BYTE[]> buffer(new BYTE[capacity]);
    size = static_cast<DWORD>(capacity);
    const LSTATUS rc = RegQueryValueExW(key, name.c_str(), nullptr, &gotType, buffer.get(), &size);
    if (capacity < bytes.size()) {
        Check(rc == ERROR_MORE_DATA && size == bytes.size(),
              "a short buffer gives ERROR_MORE_DATA and the size");
    } else {
        Check(rc == ERROR_SUCCESS && size == bytes.size() && gotType == type,
              "a large enough buffer is filled");
        Check(std::equal(bytes.begin(), bytes.end(), buffer.get(),
                         [](char a, BYTE b) { return static_cast<BYTE>(a) == b; }),
              "the bytes read are the bytes stored");
    }
}

// Any type, any bytes, stored by someone else and read back.
void ForeignValue(FuzzedDataProvider& data) {
    const std::string application = Name(data, "Kelvo");
    const std::string category = Name(data, "Captions");
    const std::string key = Name(data, "Rod1");
    const DWORD type = data.ConsumeBool()
                           ? kTypes[data.ConsumeIntegralInRange<std::size_t>(0, std::size(kTypes) - 1)]
                           : data.ConsumeIntegral<DWORD>();
    // Repeated, so that some values outgrow the first read's buffer.
    const int copies = data.ConsumeIntegralInRange(1, 40);
    const std::size_t capacity = data.ConsumeIntegralInRange<std::size_t>(0, 1 << 16);
    const std::string piece = data.ConsumeRandomLengthString(1024);
    std::string bytes;
    for (int i = 0; i < copies; ++i)
        bytes += piece;

    HKEY handle = OpenCategory(application, category);
    if (!handle) {
        Check(LoadWideSetting(application, category, key).empty(), "no value under a path that cannot exist");
        return;
    }
    const std::u16string name = ToWide(key);
    Check(RegSetValueExW(handle, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                         static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS,
          "RegSetValueExW stores the value");
    QueryExactly(handle, name, type, bytes, capacity);
    RegCloseKey(handle);

    const std::u16string expected = Units(bytes, true);
    Check(LoadWideSetting(application, category, key) == expected,
          "LoadWideSetting reads the units up to the first zero unit");
    Check(LoadSetting(application, category, key) == ToNarrow(expected),
          "LoadSetting is ToNarrow of the wide");
}

// The name with the case of its ASCII letters swapped; other bytes stay.
std::string SwapCase(std::string name) {
    for (char& c : name)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) c = static_cast<char>(c ^ 0x20);
    return name;
}

// Texts saved through either form come back through both, also when the
// names are spelt with their ASCII letters in the other case.
void SavedText(FuzzedDataProvider& data) {
    const std::string application = Name(data, "Kelvo");
    const std::string category = Name(data, "Captions");
    const std::string key = Name(data, "Rod2");
    HKEY handle = OpenCategory(application, category);
    if (!handle) return;
    RegCloseKey(handle);

    if (data.ConsumeBool()) {
        const std::string value = data.ConsumeRandomLengthString(600);
        SaveSetting(application, category, key, value);
        const std::string head = value.substr(0, value.find('\0'));
        Check(LoadSetting(application, category, key) == head, "SaveSetting then LoadSetting gives the text");
        Check(LoadWideSetting(application, category, key) == ToWide(head),
              "and LoadWideSetting its wide form");
    } else {
        const std::u16string value = Units(data.ConsumeRandomLengthString(1200), false);
        SaveWideSetting(application, category, key, value);
        const std::u16string head = value.substr(0, value.find(u'\0'));
        Check(LoadWideSetting(application, category, key) == head,
              "SaveWideSetting then LoadWideSetting gives the text up to a zero unit");
        Check(LoadSetting(application, category, key) == ToNarrow(head), "and LoadSetting its narrow form");
    }
    Check(LoadWideSetting(SwapCase(application), SwapCase(category), SwapCase(key)) ==
              LoadWideSetting(application, category, key),
          "names match without regard to ASCII case");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("XDG_CONFIG_HOME", fuzz::ScratchFolder().c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static unsigned inputs = 0;
    if (++inputs % 2000 == 0) FreshDatabase();
    FuzzedDataProvider data(bytes, size);
    if (data.ConsumeBool())
        ForeignValue(data);
    else
        SavedText(data);
    return 0;
}
