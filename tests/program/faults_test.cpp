// The whole program when the world around it fails: a settings location that
// cannot be made, a database locked by another process, a full disk, a
// database damaged between two runs, no opener for the links, no font of the
// face asked for; and captions that look like format strings or paths. Each
// case runs the real FormMain on the headless host over two or three runs,
// with its own XDG_CONFIG_HOME; cases that need a process of their own (a
// file size limit, a font configuration) run this program again as a child.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "about/formabout.h"
#include "platform/gdi/fontface.h"
#include "platform/registry/store.h"
#include "platform/winapi.h"
#include "tests/program/program_run.h"
#include "tests/registry/scratch.h"

using namespace programtest;

namespace {

using Captions = std::vector<std::u16string>;
using Clock = std::chrono::steady_clock;

const char16_t* const kCategoryPath = u"Software\\TQSettings\\Kelvo.exe\\Categorie";

const Captions kEmpty(RodCount);
const Captions kFirst = {u"uno", u"due", u"tre", u"quattro", u"cinque", u"sei", u"sette"};
const Captions kSecond = {u"a", u"b", u"c", u"d", u"e", u"f", u"g"};

class Faults : public ProgramRun {
protected:
    void TearDown() override {
        ProgramRun::TearDown();
        config_.reset();
        platform::registry::CloseDatabase();
        platform::registry::SetBusyTimeoutMs(3000);
    }

    // Ends the current run and starts the next one with settings under
    // `config` (XDG_CONFIG_HOME).
    void RunWith(const std::string& config) {
        Stop();
        config_.reset();
        config_.emplace("XDG_CONFIG_HOME", config);
        platform::registry::CloseDatabase();
        Start();
    }
    void Restart() {
        Stop();
        platform::registry::CloseDatabase();
        Start();
    }

    void Type(const Captions& captions) {
        for (int k = 0; k < RodCount; ++k) {
            POINT p = Screen(form->captionBoxes[k], 5, 5);
            d.Click(p.x, p.y);
            d.Type(captions[k]);
        }
    }
    Captions Shown() {
        Captions out;
        for (int k = 0; k < RodCount; ++k)
            out.push_back(form->captionBoxes[k]->GetText());
        return out;
    }
    // A first run under `home` that saves kFirst, ended with the database
    // closed.
    void SaveFirstRun(const scratch::TempHome& home) {
        RunWith(home.config());
        Type(kFirst);
        ExitConfirmed();
        Stop();
        platform::registry::CloseDatabase();
    }

    // "Chiudi" answered Yes: the captions are saved and the window is gone.
    void ExitConfirmed() {
        AnswerNextQuestion(VK_RETURN);
        ClickButton(form->closeButton);
        EXPECT_FALSE(IsWindow(form->hwnd)) << "the program did not end";
        EXPECT_TRUE(d.QuitPosted());
    }
    // The program still answers: a press moves a bead at the next tick.
    void ExpectBeadsMove() {
        ClickCell(3, 10);
        d.Advance(310);
        EXPECT_EQ(form->rodCounters[3]->GetTextNarrow(), "1");
    }

    std::optional<scratch::EnvOverride> config_;
};

// A settings location below a regular file can never be made (permission
// bits would not do: the tests may run as root). The program starts with
// empty captions, works, and ends normally on a confirmed exit; the file in
// the way is untouched.
TEST_F(Faults, UnusableSettingsLocation) {
    scratch::TempDir dir;
    const std::string file = dir.path() + "/plain-file";
    scratch::WriteFile(file, "not a folder");
    RunWith(file + "/config");
    EXPECT_EQ(Shown(), kEmpty);
    ExpectBeadsMove();
    Type(kFirst);
    ExitConfirmed();
    RunWith(file + "/config");
    EXPECT_EQ(Shown(), kEmpty);
    EXPECT_EQ(scratch::ReadFile(file), "not a folder");
}

// Another process holds the database locked past the busy timeout (300 ms
// here, 3 s in use): the program starts with empty captions, and the save at
// the confirmed exit stores nothing; each waits for the lock once and then
// gives up quickly on the remaining captions. The file keeps every byte, is
// not taken for damage, and once the lock is gone the next run shows the
// captions saved before.
TEST_F(Faults, DatabaseLockedByAnotherProcess) {
    scratch::TempHome home;
    SaveFirstRun(home);
    const std::string bytes = scratch::ReadFile(home.database());

    scratch::NoticeCapture notices;
    scratch::LockHolder holder(home.database());
    ASSERT_TRUE(holder.started()) << "the sqlite3 shell is needed";
    ASSERT_TRUE(holder.WaitUntilHeld());
    constexpr int kTimeoutMs = 300;
    platform::registry::SetBusyTimeoutMs(kTimeoutMs);
    // One full wait, then a short one (100 ms) for each other caption, and
    // room for a slow machine; a wait per registry call would take seconds.
    const auto bound = std::chrono::milliseconds(kTimeoutMs + RodCount * 100 + 700);

    auto start = Clock::now();
    Start();
    const auto startWait = Clock::now() - start;
    EXPECT_EQ(Shown(), kEmpty);
    Type(kSecond);
    // The user takes a while before leaving: the next save waits in full again.
    platform::registry::SetBusyTimeoutMs(kTimeoutMs);
    start = Clock::now();
    ExitConfirmed();
    const auto exitWait = Clock::now() - start;
    EXPECT_GE(startWait, std::chrono::milliseconds(kTimeoutMs)) << "the start waited for the lock";
    EXPECT_LT(startWait, bound);
    EXPECT_GE(exitWait, std::chrono::milliseconds(kTimeoutMs)) << "the save waited for the lock";
    EXPECT_LT(exitWait, bound);

    EXPECT_EQ(holder.Release(), 0);
    EXPECT_TRUE(scratch::ReadFile(home.database()) == bytes) << "the locked file was written";
    EXPECT_TRUE(notices.messages.empty()) << "a lock is not damage";
    EXPECT_TRUE(scratch::DamagedFiles(home.folder()).empty());
    Restart();
    EXPECT_EQ(Shown(), kFirst);
}

// Captions long enough that saving them grows the database file.
Captions LongCaptions() {
    Captions out;
    for (int k = 0; k < RodCount; ++k)
        out.push_back(std::u16string(5000, static_cast<char16_t>(u'A' + k)));
    return out;
}

// Run in a child process: with the program started on KELVO_FAULT_CONFIG and
// long captions in its boxes, no file may grow past KELVO_FAULT_FSIZE bytes
// any more (a full disk: writes fail with EFBIG, as SIGXFSZ is ignored). A
// direct write reports the failure; the confirmed exit still ends the
// program.
TEST_F(Faults, DISABLED_ExitWithAFileSizeLimit) {
    const char* config = std::getenv("KELVO_FAULT_CONFIG");
    const char* size = std::getenv("KELVO_FAULT_FSIZE");
    ASSERT_TRUE(config && size);
    RunWith(config);
    ASSERT_EQ(Shown(), kFirst);
    const Captions captions = LongCaptions();
    for (int k = 0; k < RodCount; ++k)
        form->captionBoxes[k]->SetText(captions[k]);

    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{std::strtoul(size, nullptr, 10), std::strtoul(size, nullptr, 10)};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kCategoryPath, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    const std::u16string& text = captions[0];
    EXPECT_NE(RegSetValueExW(key, u"testo0", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                             static_cast<DWORD>(text.size() * 2)),
              ERROR_SUCCESS)
        << "a write that did not reach the disk is reported as done";
    RegCloseKey(key);
    ExitConfirmed();
}

// A full disk at the save on exit, at several depths: before the journal
// has its header, inside the journal, and while the database file grows
// (after one more page, after none). The next run shows the captions saved
// before, and the database passes its integrity check.
TEST_F(Faults, FullDiskKeepsThePreviousCaptions) {
    scratch::TempHome home;
    SaveFirstRun(home);
    const auto size = static_cast<long>(std::filesystem::file_size(home.database()));
    const std::string bytes = scratch::ReadFile(home.database());
    for (long limit : {0L, 1024L, size, size + 4096}) {
        SCOPED_TRACE("file size limit " + std::to_string(limit));
        EXPECT_EQ(scratch::RunSelf(
                      "Faults.DISABLED_ExitWithAFileSizeLimit",
                      {{"KELVO_FAULT_CONFIG", home.config()}, {"KELVO_FAULT_FSIZE", std::to_string(limit)}}),
                  0);
        Restart();
        EXPECT_EQ(Shown(), kFirst);
        EXPECT_EQ(platform::registry::CheckIntegrity(), ERROR_SUCCESS);
        EXPECT_TRUE(scratch::DamagedFiles(home.folder()).empty());
    }
}

// Damage done to the database between two runs, each kind as SQLite meets
// it: the next run starts with empty captions, the damaged file is set
// aside whole as registry.sqlite3.damaged-<time> with a notice, a fresh
// database takes the captions of that run, and the run after shows them.
TEST_F(Faults, DatabaseDamagedBetweenRuns) {
    enum Damage { Garbage, Header, Pages, Truncated };
    for (Damage damage : {Garbage, Header, Pages, Truncated}) {
        SCOPED_TRACE("damage " + std::to_string(damage));
        scratch::TempHome home;
        SaveFirstRun(home);

        std::string bytes = scratch::ReadFile(home.database());
        ASSERT_GT(bytes.size(), 8192u);
        std::mt19937 random(77);
        auto scramble = [&](std::size_t from, std::size_t to) {
            for (std::size_t i = from; i < to; ++i)
                bytes[i] = static_cast<char>(random());
        };
        switch (damage) {
            case Garbage:
                scramble(0, bytes.size());
                break;
            case Header:
                scramble(0, 100);
                break;
            case Pages:
                scramble(4096, bytes.size());
                break;
            case Truncated:
                bytes.resize(4096 + 1000);
                break;
        }
        scratch::WriteFile(home.database(), bytes);

        scratch::NoticeCapture notices;
        Start();
        EXPECT_EQ(Shown(), kEmpty);
        ExpectBeadsMove();
        Type(kSecond);
        ExitConfirmed();
        const std::vector<std::string> aside = scratch::DamagedFiles(home.folder());
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_NE(aside[0].find("registry.sqlite3.damaged-"), std::string::npos) << aside[0];
        EXPECT_TRUE(scratch::ReadFile(aside[0]) == bytes) << "the damaged file is kept unchanged";
        EXPECT_EQ(notices.messages.size(), 1u);
        Restart();
        EXPECT_EQ(Shown(), kSecond);
        EXPECT_EQ(platform::registry::CheckIntegrity(), ERROR_SUCCESS);
    }
}

// No xdg-open on PATH: the menu's pages and the About box's links open
// nothing, raise no window, and the program goes on as before.
TEST_F(Faults, NoOpenerForTheLinks) {
    scratch::TempDir empty;
    scratch::EnvOverride path("PATH", empty.path());
    const std::size_t windows = d.host().ZOrder().size();
    OpenEveryLink();
    d.Pump();
    EXPECT_EQ(d.host().ZOrder().size(), windows);
    EXPECT_TRUE(IsWindowEnabled(form->hwnd));
    ExpectBeadsMove();
}

// Run in a child process under a font configuration that holds DejaVu only:
// the face the program asks for (Arial, drawn with Liberation Sans) is not
// there, a fallback face is used, and the total is drawn with it.
TEST_F(Faults, DISABLED_TextWithoutTheRequestedFace) {
    LOGFONTW arial{};
    arial.lfHeight = 22;
    arial.lfWeight = FW_BOLD;
    std::char_traits<char16_t>::copy(arial.lfFaceName, u"Arial", 6);
    const platform::gdi::FontInstance* font = platform::gdi::ResolveFont(arial);
    ASSERT_TRUE(font->hasFace);
    EXPECT_EQ(font->file.find("Liberation"), std::string::npos) << "the requested face is still there";

    // The pixels of the total display change with its text only when glyphs
    // are drawn.
    TQUtility::GUIElement* total = form->totalDisplay;
    const std::vector<COLORREF> zero = Picture(total);
    ClickCell(6, 1);
    d.Advance(310);
    ASSERT_EQ(total->GetTextNarrow(), "10.000.000");
    const std::vector<COLORREF> ten = Picture(total);
    int changed = 0;
    for (std::size_t i = 0; i < zero.size(); ++i)
        changed += zero[i] != ten[i];
    EXPECT_GT(changed, 100) << "the total is not drawn";
}

TEST_F(Faults, FallbackFace) {
    scratch::TempDir dir;
    const std::string conf = dir.path() + "/fonts.conf";
    scratch::WriteFile(conf,
                       "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n"
                       "<dir>/usr/share/fonts/truetype/dejavu</dir>\n<cachedir>" +
                           dir.path() + "/cache</cachedir>\n</fontconfig>\n");
    EXPECT_EQ(scratch::RunSelf("Faults.DISABLED_TextWithoutTheRequestedFace", {{"FONTCONFIG_FILE", conf}}),
              0);
}

// Captions that look like format strings and paths are data: they come back
// verbatim and are shown as they were typed, and no file appears but the
// database, which is the owner's only even under a umask that allows all.
TEST_F(Faults, CaptionsAreNeverFormatsOrPaths) {
    scratch::TempHome home;
    const mode_t oldMask = umask(0);
    RunWith(home.config());
    const Captions captions = {u"%s%n%x ../../etc/passwd",
                               u"%p%p%p%p%n",
                               u"..\\..\\boot.ini",
                               u"/etc/shadow",
                               u"$(HOME) `id` ; rm -rf ~",
                               u"%1$s %99$n",
                               u"last"};
    Type(captions);
    // The text the user saw in box 0, left without the caret.
    const std::vector<COLORREF> typed = Picture(form->captionBoxes[0]);
    ExitConfirmed();
    Restart();
    umask(oldMask);
    EXPECT_EQ(Shown(), captions);
    EXPECT_TRUE(Picture(form->captionBoxes[0]) == typed)
        << "box 0 shows its caption differently after the restart";

    std::vector<std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(home.config()))
        files.push_back(e.path().string());
    EXPECT_EQ(files, (std::vector<std::string>{home.folder(), home.database()}));
    struct stat st {};
    ASSERT_EQ(stat(home.folder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(stat(home.database().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

}  // namespace
