// The settings store: key layout, round trips, the store layout, and what
// happens with other processes, killed writers, damaged, locked and
// unreachable files. Each test has its own XDG_CONFIG_HOME.
#include "services/settings.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry/notice.h"
#include "platform/registry/store.h"
#include "platform/winapi.h"
#include "services/text.h"
#include "tests/registry/scratch.h"

namespace {

using namespace std::string_literals;
using TQUtility::LoadSetting;
using TQUtility::LoadWideSetting;
using TQUtility::SaveSetting;
using TQUtility::SaveWideSetting;

const std::string kApp = "Kelvo.exe";
const std::string kCategory = "Categorie";

// The raw bytes of a stored setting, and its type.
std::string StoredBytes(const std::string& key, DWORD* type) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\TQSettings\\Kelvo.exe\\Categorie", 0, KEY_READ, &h) != 0)
        return "<no key>";
    std::vector<BYTE> data(100000);
    DWORD size = static_cast<DWORD>(data.size());
    const std::u16string name = TQUtility::ToWide(key);
    const LSTATUS rc = RegQueryValueExW(h, name.c_str(), nullptr, type, data.data(), &size);
    RegCloseKey(h);
    return rc == 0 ? std::string(data.begin(), data.begin() + size) : "<no value>";
}

// A first load finds nothing and leaves the four key levels created.
TEST(Settings, FirstRunCreatesTheKeyPath) {
    scratch::TempHome home;
    EXPECT_EQ(LoadSetting(kApp, kCategory, "testo0"), "");
    const char16_t* levels[] = {u"Software", u"Software\\TQSettings", u"Software\\TQSettings\\Kelvo.exe",
                                u"Software\\TQSettings\\Kelvo.exe\\Categorie"};
    for (const char16_t* level : levels) {
        HKEY h = nullptr;
        EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, level, 0, KEY_READ, &h), ERROR_SUCCESS);
        RegCloseKey(h);
    }
}

// Whatever SaveSetting stored comes back whole, longer than 1024 characters
// too, stored as UTF-16LE units without a terminating zero.
TEST(Settings, RoundTripsAndLayout) {
    scratch::TempHome home;
    std::string everyByte;
    for (int b = 1; b < 256; ++b)
        everyByte.push_back(static_cast<char>(b));
    const std::string values[] = {"abc",
                                  "ci\xF2",
                                  everyByte,
                                  std::string(1023, 'x'),
                                  std::string(1024, 'y'),
                                  std::string(1025, 'z'),
                                  std::string(2048, 'w') + "\xF2",
                                  std::string(40000, 'v'),
                                  ""};
    for (const std::string& v : values) {
        SaveSetting(kApp, kCategory, "testo1", v);
        const std::string back = LoadSetting(kApp, kCategory, "testo1");
        EXPECT_EQ(back.size(), v.size());
        EXPECT_TRUE(back == v) << "length " << v.size();
        DWORD type = 0;
        const std::string stored = StoredBytes("testo1", &type);
        EXPECT_EQ(type, REG_SZ);
        EXPECT_EQ(stored.size(), 2 * v.size());
    }
    SaveSetting(kApp, kCategory, "testo2", "ab\xF2");
    DWORD type = 0;
    EXPECT_EQ(StoredBytes("testo2", &type), "a\0b\0\xF2\0"s);
    SaveSetting(kApp, kCategory, "cut", "ab\0cd"s);
    EXPECT_EQ(LoadSetting(kApp, kCategory, "cut"), "ab") << "the narrow text ends at its zero byte";
    EXPECT_EQ(LoadSetting(kApp, "OtherCategory", "testo2"), "") << "categories are separate";
}

// Values written by other tools: the type is ignored, the text ends at the
// first zero unit, an odd last byte is dropped.
TEST(Settings, ValuesWrittenByOthers) {
    scratch::TempHome home;
    const struct {
        DWORD type;
        std::string bytes;
        std::string expected;
    } cases[] = {
        {REG_SZ, "a\0b\0c\0\0\0"s, "abc"},
        {REG_SZ, "a\0\0\0b\0"s, "a"},
        {REG_SZ, "a\0b\0c"s, "ab"},
        {REG_DWORD, "A\0B\0"s, "AB"},
        {REG_DWORD, "\x2A\0\0\0"s, "*"},
        {REG_BINARY, std::string(5001, 'q'), std::string(2500, 'q')},
        {REG_SZ, ""s, ""},
    };
    EXPECT_EQ(LoadSetting(kApp, kCategory, "x"), "");
    HKEY h = nullptr;
    ASSERT_EQ(
        RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\TQSettings\\Kelvo.exe\\Categorie", 0, KEY_WRITE, &h), 0);
    for (const auto& c : cases) {
        ASSERT_EQ(RegSetValueExW(h, u"x", 0, c.type, reinterpret_cast<const BYTE*>(c.bytes.data()),
                                 static_cast<DWORD>(c.bytes.size())),
                  ERROR_SUCCESS);
        const std::string back = LoadSetting(kApp, kCategory, "x");
        EXPECT_TRUE(back == c.expected)
            << "type " << c.type << ", " << c.bytes.size() << " bytes, got " << back.size() << " bytes";
    }
    RegCloseKey(h);
}

// The wide form keeps every character; both forms share one layout.
TEST(Settings, WideForm) {
    scratch::TempHome home;
    const std::u16string text = u"Prezzo 5\u20AC \u03B1\u03B2\u03B3 \U0001F600";
    SaveWideSetting(kApp, kCategory, "testo3", text);
    EXPECT_EQ(LoadWideSetting(kApp, kCategory, "testo3"), text);
    EXPECT_EQ(LoadSetting(kApp, kCategory, "testo3"), TQUtility::ToNarrow(text));

    SaveSetting(kApp, kCategory, "testo4", "ci\xF2");
    EXPECT_EQ(LoadWideSetting(kApp, kCategory, "testo4"), u"ci\u00F2");
    const std::u16string longText(3000, u'\u20AC');
    SaveWideSetting(kApp, kCategory, "testo5", longText);
    EXPECT_EQ(LoadWideSetting(kApp, kCategory, "testo5"), longText);
}

// Helper run in a child process: loads one setting and checks it.
TEST(SettingsChild, DISABLED_Load) {
    const char* key = std::getenv("KELVO_CHILD_KEY");
    const char* expected = std::getenv("KELVO_CHILD_EXPECT");
    ASSERT_TRUE(key && expected);
    EXPECT_EQ(LoadSetting(kApp, kCategory, key), expected);
}

// Helper run in a child process: saves one key many times, checking each.
TEST(SettingsChild, DISABLED_SaveMany) {
    const char* key = std::getenv("KELVO_CHILD_KEY");
    ASSERT_TRUE(key);
    for (int i = 0; i < 40; ++i) {
        const std::string value = std::string(key) + "-" + std::to_string(i);
        SaveSetting(kApp, kCategory, key, value);
        ASSERT_EQ(LoadSetting(kApp, kCategory, key), value);
    }
}

// The value the killed writer stores for key k at generation g.
std::string WriterValue(long g, int k) {
    return "g" + std::to_string(g) + "k" + std::to_string(k) + ":" +
           std::string(static_cast<std::size_t>((g * 7 + k * 13) % 3000), static_cast<char>('a' + k));
}

// The generation of a writer value, -1 for none.
long Generation(const std::string& value) {
    return value.empty() ? -1 : std::atol(value.c_str() + 1);
}

// Helper run in a child process: saves five keys in a loop until killed.
TEST(SettingsChild, DISABLED_SaveUntilKilled) {
    const char* base = std::getenv("KELVO_CHILD_BASE");
    ASSERT_TRUE(base);
    for (long g = std::atol(base);; ++g)
        for (int k = 0; k < 5; ++k)
            SaveSetting(kApp, kCategory, "k" + std::to_string(k), WriterValue(g, k));
}

TEST(Settings, SavedInOneProcessLoadedInAnother) {
    scratch::TempHome home;
    SaveSetting(kApp, kCategory, "testo6", "Unit\xE0 " + std::string(1500, 'u'));
    EXPECT_EQ(scratch::RunSelf("SettingsChild.DISABLED_Load",
                               {{"KELVO_CHILD_KEY", "testo6"},
                                {"KELVO_CHILD_EXPECT", "Unit\xE0 " + std::string(1500, 'u')}}),
              0);
    EXPECT_EQ(scratch::RunSelf("SettingsChild.DISABLED_Load",
                               {{"KELVO_CHILD_KEY", "testo7"}, {"KELVO_CHILD_EXPECT", "not saved"}}, true),
              1)
        << "the helper does fail on a wrong value";
}

// Two processes saving different keys at once, starting from no database:
// neither loses the other's writes and neither sees a failed save.
TEST(Settings, TwoProcessesSavingAtOnce) {
    scratch::TempHome home;
    const pid_t a = scratch::SpawnSelf("SettingsChild.DISABLED_SaveMany", {{"KELVO_CHILD_KEY", "alpha"}});
    const pid_t b = scratch::SpawnSelf("SettingsChild.DISABLED_SaveMany", {{"KELVO_CHILD_KEY", "beta"}});
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);
    EXPECT_EQ(scratch::WaitExit(a), 0);
    EXPECT_EQ(scratch::WaitExit(b), 0);
    EXPECT_EQ(LoadSetting(kApp, kCategory, "alpha"), "alpha-39");
    EXPECT_EQ(LoadSetting(kApp, kCategory, "beta"), "beta-39");
}

// A writer killed at random moments of a save loop leaves a database that
// opens cleanly, where every key holds an old or a new value, never garbage.
TEST(Settings, WriterKilledMidSave) {
    scratch::TempHome home;
    scratch::NoticeCapture notices;
    // A fixed seed, printed, and replaceable to replay a failure.
    const char* seedText = std::getenv("KELVO_TEST_SEED");
    const unsigned seed = seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10)) : 20261211u;
    std::cout << "WriterKilledMidSave seed " << seed << " (KELVO_TEST_SEED replays it)\n";
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayMs(0, 60);

    long lastGen[5] = {-1, -1, -1, -1, -1};
    int progressed = 0;
    for (int round = 0; round < 20; ++round) {
        const long base = round * 1000000L;
        const pid_t child = scratch::SpawnSelf("SettingsChild.DISABLED_SaveUntilKilled",
                                               {{"KELVO_CHILD_BASE", std::to_string(base)}});
        ASSERT_GT(child, 0);
        // Kill only once the writer is in its loop, at a random moment.
        for (int i = 0; i < 5000 && Generation(LoadSetting(kApp, kCategory, "k0")) < base; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);

        bool changed = false;
        for (int k = 0; k < 5; ++k) {
            const std::string v = LoadSetting(kApp, kCategory, "k" + std::to_string(k));
            if (v.empty()) {
                EXPECT_EQ(lastGen[k], -1) << "key " << k << " lost its value in round " << round;
                continue;
            }
            const long g = Generation(v);
            EXPECT_EQ(v, WriterValue(g, k)) << "key " << k << " round " << round;
            EXPECT_GE(g, lastGen[k]) << "key " << k << " went back in round " << round;
            if (k == 0 && g >= base) changed = true;
            lastGen[k] = g;
        }
        if (changed) ++progressed;
    }
    EXPECT_EQ(progressed, 20) << "the writer must have been saving when it was killed";
    EXPECT_EQ(platform::registry::CheckIntegrity(), ERROR_SUCCESS);
    EXPECT_TRUE(notices.messages.empty()) << "a killed writer is not damage";
    EXPECT_TRUE(scratch::DamagedFiles(home.folder()).empty());
}

// A file that is not a database, found at the first call or under an open
// connection, and, found at the first call, a database whose first page (the
// schema) reads well but whose other pages are damaged, whose header names a
// file format SQLite does not know, whose schema holds a record of absurd
// size (an input the fuzz target found; SQLite reports it as out of memory),
// or whose tables have the store's names but other columns, is set aside
// whole, with a notice, and a fresh one started.
TEST(Settings, DamagedFileIsSetAside) {
    enum Damage { kGarbage, kPagesAfterSchema, kUnknownFormat, kFuzzInput, kForeignTables };
    const struct {
        Damage damage;
        bool openFirst;
        const char* name;
        const char* tables;  // kForeignTables: what the file holds; kFuzzInput: the committed input
    } cases[] = {
        {kGarbage, false, "not a database, before the first call"},
        {kGarbage, true, "not a database, under an open connection"},
        {kPagesAfterSchema, false, "pages after the schema damaged"},
        {kUnknownFormat, false, "unknown schema format number"},
        {kFuzzInput, false, "schema record of absurd size", "schema-record-too-large"},
        {kForeignTables, false, "tables with other columns",
         "CREATE TABLE reg_keys(id INTEGER PRIMARY KEY, parent, label);"
         "CREATE TABLE reg_values(key, label, type, data)"},
        {kForeignTables, false, "a table with one more column, which must not be null",
         "CREATE TABLE reg_keys(id INTEGER PRIMARY KEY, parent INTEGER NOT NULL, name BLOB NOT NULL, "
         "fold BLOB NOT NULL, extra NOT NULL, UNIQUE(parent, fold));"
         "CREATE TABLE reg_values(key INTEGER NOT NULL, name BLOB NOT NULL, fold BLOB NOT NULL, "
         "type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(key, fold)) WITHOUT ROWID"},
    };
    const char* source = std::getenv("KELVO_SOURCE_DIR");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        scratch::TempHome home;
        scratch::NoticeCapture notices;
        std::filesystem::create_directories(home.folder());
        if (c.damage == kForeignTables) {
            sqlite3* db = nullptr;
            ASSERT_EQ(sqlite3_open(home.database().c_str(), &db), SQLITE_OK);
            EXPECT_EQ(sqlite3_exec(db, c.tables, nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(db);
        } else if (c.openFirst || c.damage != kGarbage) {
            SaveSetting(kApp, kCategory, "testo0", "before");
        }
        if (!c.openFirst) platform::registry::CloseDatabase();
        std::string damaged =
            c.damage == kGarbage ? std::string(8192, '\0')
            : c.damage == kFuzzInput
                ? scratch::ReadFile(std::string(source ? source : ".") + "/fuzz/corpus/database/" + c.tables)
                : scratch::ReadFile(home.database());
        ASSERT_GE(damaged.size(), 2048u);
        std::mt19937 random(12345);
        if (c.damage == kUnknownFormat)
            damaged[47] = 9;  // the schema format number, 1 to 4 (big-endian, bytes 44-47)
        else if (c.damage != kFuzzInput && c.damage != kForeignTables)
            for (std::size_t i = c.damage == kPagesAfterSchema ? 4096 : 0; i < damaged.size(); ++i)
                damaged[i] = static_cast<char>(random());
        scratch::WriteFile(home.database(), damaged);

        EXPECT_EQ(LoadSetting(kApp, kCategory, "testo0"), "");
        SaveSetting(kApp, kCategory, "testo0", "after");
        EXPECT_EQ(LoadSetting(kApp, kCategory, "testo0"), "after");

        const std::vector<std::string> aside = scratch::DamagedFiles(home.folder());
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_TRUE(scratch::ReadFile(aside[0]) == damaged) << "the damaged file is kept unchanged";
        ASSERT_EQ(notices.messages.size(), 1u);
        EXPECT_NE(notices.messages[0].find(aside[0]), std::string::npos) << notices.messages[0];
    }
}

// A file whose keys read well but one of whose table pages is damaged (an
// input the fuzz target found): a save would go into it without an error and
// the next read meet the damage, losing the text from view. The whole file is
// read when it is opened, so it is set aside before the save.
TEST(Settings, DamageInAnyPageIsFoundBeforeASave) {
    scratch::TempHome home;
    scratch::NoticeCapture notices;
    std::filesystem::create_directories(home.folder());
    const char* source = std::getenv("KELVO_SOURCE_DIR");
    const std::string damaged =
        scratch::ReadFile(std::string(source ? source : ".") + "/fuzz/corpus/database/cell-outside-its-page");
    ASSERT_FALSE(damaged.empty());
    scratch::WriteFile(home.database(), damaged);

    SaveSetting("Kelvo", "Captions", "Rod1", "saved after");
    EXPECT_EQ(LoadSetting("Kelvo", "Captions", "Rod1"), "saved after");
    const std::vector<std::string> aside = scratch::DamagedFiles(home.folder());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_TRUE(scratch::ReadFile(aside[0]) == damaged) << "the damaged file is kept unchanged";
}

// Damage in the header: a free page count without a free page list, which
// the look at every page made when the file is opened finds, and a write
// version SQLite does not know, which reads never meet and which makes the
// file read-only, so the save finds it. Either way the file is set aside and
// the save still stores its text, in the fresh file.
TEST(Settings, DamageFoundWhileSavingLosesNothing) {
    const struct {
        std::size_t offset;  // of the last byte of a big-endian header field
        char value;
        const char* name;
        bool readable;  // the earlier value reads back until the save
    } cases[] = {
        {39, 9, "free page count without a free page list", false},
        {18, 5, "unknown write version", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        scratch::TempHome home;
        scratch::NoticeCapture notices;
        SaveSetting(kApp, kCategory, "testo0", "before");
        platform::registry::CloseDatabase();
        std::string damaged = scratch::ReadFile(home.database());
        ASSERT_GT(damaged.size(), 40u);
        damaged[c.offset] = c.value;
        scratch::WriteFile(home.database(), damaged);
        ASSERT_EQ(LoadSetting(kApp, kCategory, "testo0"), c.readable ? "before" : "");

        const std::string text(10000, 'x');  // needs new pages
        SaveSetting(kApp, kCategory, "testo1", text);
        EXPECT_EQ(LoadSetting(kApp, kCategory, "testo1"), text);
        EXPECT_EQ(scratch::DamagedFiles(home.folder()).size(), 1u);
        EXPECT_EQ(notices.messages.size(), 1u);
    }
}

// A database locked by another process past the busy timeout: loads give an
// empty text, saves store nothing, the file is untouched and not taken for
// damage; once the lock is gone everything is as before.
TEST(Settings, LockedDatabase) {
    scratch::TempHome home;
    scratch::NoticeCapture notices;
    SaveSetting(kApp, kCategory, "testo0", "before");
    platform::registry::CloseDatabase();
    const std::string bytes = scratch::ReadFile(home.database());

    scratch::LockHolder holder(home.database());
    ASSERT_TRUE(holder.started()) << "the sqlite3 shell is needed";
    ASSERT_TRUE(holder.WaitUntilHeld()) << "the lock was taken";

    platform::registry::SetBusyTimeoutMs(300);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(LoadSetting(kApp, kCategory, "testo0"), "");
    SaveSetting(kApp, kCategory, "testo0", "during");
    SaveSetting(kApp, kCategory, "testo9", "during");
    const auto waited = std::chrono::steady_clock::now() - start;
    // The load and the two saves each stop at their first registry call;
    // only the first call waits the whole timeout, the others briefly.
    EXPECT_GE(waited, std::chrono::milliseconds(300)) << "the calls waited for the lock";
    EXPECT_LT(waited, std::chrono::milliseconds(6 * 300));

    EXPECT_EQ(holder.Release(), 0);
    EXPECT_TRUE(scratch::ReadFile(home.database()) == bytes) << "the locked file was not written";
    EXPECT_TRUE(notices.messages.empty()) << "a lock is not damage";
    EXPECT_TRUE(scratch::DamagedFiles(home.folder()).empty());
    EXPECT_EQ(LoadSetting(kApp, kCategory, "testo0"), "before");
    EXPECT_EQ(LoadSetting(kApp, kCategory, "testo9"), "");
}

// A location below a regular file cannot be created: calls fail with an
// error code, loads are empty, saves do nothing, nothing crashes.
TEST(Settings, UnusableLocation) {
    scratch::TempDir dir;
    const std::string file = dir.path() + "/plain-file";
    scratch::WriteFile(file, "not a folder");
    scratch::EnvOverride xdg("XDG_CONFIG_HOME", file + "/config");
    platform::registry::CloseDatabase();
    HKEY h = nullptr;
    const LSTATUS rc = RegCreateKeyW(HKEY_CURRENT_USER, u"Software\\TQSettings", &h);
    EXPECT_NE(rc, ERROR_SUCCESS);
    EXPECT_EQ(h, nullptr);
    SaveSetting(kApp, kCategory, "testo0", "lost");
    EXPECT_EQ(LoadSetting(kApp, kCategory, "testo0"), "");
    EXPECT_EQ(scratch::ReadFile(file), "not a folder");
}

}  // namespace
