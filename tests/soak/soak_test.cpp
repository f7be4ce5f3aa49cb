// The soak: the whole program on the headless host under a long seeded
// stream of the input a person produces. Pointer moves, clicks, drags and
// wheel turns land anywhere in every window of the program (beads, buttons,
// caption boxes, the menu bar, the About box with its links and notice, the
// exit question); keys (Tab, Enter, Escape, arrows, Alt and its menus, F10,
// editing keys) and typed text go to whatever has the focus; the fake clock
// advances. The exit question is always answered No, and links go to a
// recording stand-in for the desktop's opener.
//
// After every tick of the move timer every rod holds ten beads in their
// colour order and one gap of two cells, every counter shows its rod's count
// and the total shows their sum grouped for the locale in force. After every
// input the main window is alive, and live windows, graphics objects and
// timers stay at what they were at the start plus what the About boxes
// opened so far keep by design.
//
// The run prints its seed; KELVO_SOAK_SEED replays it, KELVO_SOAK_EVENTS sets
// the number of inputs (100000 by default) and KELVO_SOAK_SECONDS the
// wall-clock cap (300 s by default, 720 s in the sanitizer build), after
// which no more input is fed and the test fails for having fed too little. A
// modal loop that keeps waiting while the stream is fed, or a program that
// stops taking input, aborts with the seed and the input number rather than
// running forever.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <clocale>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "abacus/formmain.h"
#include "about/formabout.h"
#include "framework/registry.h"
#include "platform/core/handles.h"
#include "platform/host/headless/headless.h"
#include "platform/wm/wm_internal.h"
#include "tests/support/program_env.h"

using namespace MyGame;
using platform::headless::Driver;

namespace {

std::uint64_t EnvNumber(const char* name, std::uint64_t fallback) {
    const char* v = std::getenv(name);
    if (v == nullptr || *v == '\0') return fallback;
    char* end = nullptr;
    const unsigned long long n = std::strtoull(v, &end, 10);
    return end != v ? n : fallback;
}

// The sum as the display should show it: groups of three digits joined by
// the locale's separator (one byte, as the display's narrow text holds it).
std::string Grouped(std::int32_t value) {
    const std::string digits = std::to_string(value);
    const char* sep = std::localeconv()->thousands_sep;
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0 && sep != nullptr) out += sep;
        out += digits[i];
    }
    return out;
}

// Aborts the process with a message when it is still alive `limit` seconds
// after it started and has not been dismissed.
class Watchdog {
public:
    Watchdog(double limit, std::function<std::string()> where) : where_(std::move(where)) {
        thread_ = std::thread([this, limit] {
            std::unique_lock<std::mutex> lock(mutex_);
            if (!done_.wait_for(lock, std::chrono::duration<double>(limit), [this] { return dismissed_; })) {
                std::fprintf(stderr, "soak: no way out after %.0f s (%s)\n", limit, where_().c_str());
                std::abort();
            }
        });
    }
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            dismissed_ = true;
        }
        done_.notify_one();
        thread_.join();
    }

private:
    std::function<std::string()> where_;
    std::mutex mutex_;
    std::condition_variable done_;
    bool dismissed_ = false;
    std::thread thread_;
};

// FormMain with a hook after each tick of its move timer.
class WatchedForm : public FormMain {
public:
    using FormMain::FormMain;
    std::function<void()> afterTick;
    void OnTimerTick() override {
        FormMain::OnTimerTick();
        if (afterTick) afterTick();
    }
};

std::u16string ClassOf(HWND hwnd) {
    WCHAR name[64] = {};
    const int n = GetClassNameW(hwnd, name, 64);
    return std::u16string(name, static_cast<std::size_t>(n > 0 ? n : 0));
}

std::u16string TextOf(HWND hwnd) {
    WCHAR text[64] = {};
    const int n = GetWindowTextW(hwnd, text, 64);
    return std::u16string(text, static_cast<std::size_t>(n > 0 ? n : 0));
}

class Soak : public testing::Test {
protected:
    static void SetUpTestSuite() {
        tempDir = testsupport::PrepareProgramEnvironment("/tmp/kelvo-soak-XXXXXX");
    }

    static void TearDownTestSuite() {
        std::error_code ignored;
        std::filesystem::remove_all(tempDir, ignored);
    }

    void SetUp() override {
        ASSERT_NE(std::setlocale(LC_ALL, ""), nullptr) << "the it_IT.UTF-8 locale is missing";
        seed = EnvNumber("KELVO_SOAK_SEED", static_cast<std::uint64_t>(std::time(nullptr)));
        target = EnvNumber("KELVO_SOAK_EVENTS", 100000);
        capSeconds = static_cast<double>(EnvNumber("KELVO_SOAK_SECONDS", KELVO_SOAK_DEFAULT_SECONDS));
        std::printf("soak: seed %llu, %llu inputs, cap %.0f s (KELVO_SOAK_SEED=%llu replays this run)\n",
                    static_cast<unsigned long long>(seed), static_cast<unsigned long long>(target),
                    capSeconds, static_cast<unsigned long long>(seed));
        std::fflush(stdout);
        rng.seed(seed);
        d.host().SetIdleHandler([this] { return OnIdle(); });
        form = new WatchedForm(GetModuleHandleW(nullptr), MainCaption());
        form->afterTick = [this] {
            ++ticks;
            CheckBoard("after a tick");
        };
        d.Pump();
        windowsBase = platform::LiveObjects(platform::Kind::Window);
        timersBase = platform::LiveObjects(platform::Kind::Timer);
        graphicsBase = platform::LiveGraphicsObjects();
    }

    void TearDown() override {
        d.host().SetIdleHandler(nullptr);
        testsupport::EndProgramRun(form, d);
    }

    // --- What must hold --------------------------------------------------

    std::string Where() const {
        return "seed " + std::to_string(seed) + ", input " + std::to_string(events.load()) + ", tick " +
               std::to_string(ticks.load());
    }

    void Fail(const std::string& what) {
        if (!failed) ADD_FAILURE() << what << " (" << Where() << ")";
        failed = true;
    }

    // Rods, counters and total.
    void CheckBoard(const char* when) {
        std::int32_t sum = 0, place = 1;
        for (int r = 0; r < RodCount; ++r, place *= 10) {
            std::string rod;  // G gold, R red, _ gap
            for (int c = FirstBeadColumn; c <= LastBeadColumn; ++c) {
                const TileCode t = form->Cell(r, c)->tileCode;
                rod += t == GoldBead ? 'G' : t == RedBead ? 'R' : t == EmptyRod ? '_' : '?';
            }
            const std::size_t gap = rod.find("__");
            std::string beads = rod;
            if (gap != std::string::npos) beads.erase(gap, 2);
            if (gap == std::string::npos || beads != "GGGGGRRRRR")
                return Fail(std::string(when) + ": rod " + std::to_string(r) + " reads " + rod);
            const int count = static_cast<int>(LastBeadColumn - FirstBeadColumn + 1 - (gap + 2));
            const std::string shown = form->rodCounters[r]->GetTextNarrow();
            if (shown != std::to_string(count))
                return Fail(std::string(when) + ": rod " + std::to_string(r) + " " + rod + " counts " +
                            std::to_string(count) + " but its counter shows \"" + shown + "\"");
            sum += count * place;
        }
        const std::string total = form->totalDisplay->GetTextNarrow();
        if (total != Grouped(sum))
            Fail(std::string(when) + ": the total shows \"" + total + "\" for " + Grouped(sum));
        for (int c = 0; c < BoardColumns; ++c)
            for (int r = 0; r < BoardRows; ++r)
                if ((r == 7 || c == 0 || c == 13) && form->Cell(r, c)->tileCode != InitialTile(r, c))
                    return Fail(std::string(when) + ": the frame changed at row " + std::to_string(r) +
                                ", column " + std::to_string(c));
    }

    TQUtility::FormAbout* OpenAbout() {
        TQUtility::FormAbout* about = form->aboutForm;
        return about != nullptr && IsWindow(about->hwnd) ? about : nullptr;
    }

    // Every About box made so far: the open one and those waiting for
    // deletion after the loop.
    int AboutsOpened() {
        int n = form->aboutForm != nullptr ? 1 : 0;
        for (TQUtility::GUIElement* e : TQUtility::deferredDeletes)
            n += dynamic_cast<TQUtility::FormAbout*>(e) != nullptr;
        return n;
    }

    // Between inputs: the program lives and owns only what it should.
    void CheckAlive() {
        if (!IsWindow(form->hwnd) || !form->created) return Fail("the main window is gone");
        if (d.QuitPosted()) return Fail("the program was told to quit");
        CheckBoard("between inputs");
        const bool aboutOpen = OpenAbout() != nullptr;
        const std::size_t windows = platform::LiveObjects(platform::Kind::Window);
        const std::size_t timers = platform::LiveObjects(platform::Kind::Timer);
        const std::size_t graphics = platform::LiveGraphicsObjects();
        // The open About box's own windows, timers and graphics objects come
        // and go with it; the first box seen sets what one box holds.
        if (aboutOpen && aboutWindows == 0) {
            aboutWindows = windows - windowsBase;
            aboutTimers = timers - timersBase;
            aboutGraphics = graphics - graphicsBase;
        }
        const std::size_t expectWindows = windowsBase + (aboutOpen ? aboutWindows : 0);
        if (windows != expectWindows)
            return Fail("live windows " + std::to_string(windows) + ", expected " +
                        std::to_string(expectWindows));
        // A text box with the focus blinks its caret on a timer of its own.
        HWND focus = GetFocus();
        std::u16string focusClass = focus != nullptr ? ClassOf(focus) : std::u16string();
        for (char16_t& ch : focusClass)
            if (ch >= u'A' && ch <= u'Z') ch = static_cast<char16_t>(ch - u'A' + u'a');
        const std::size_t caret = focusClass == u"edit" ? 1 : 0;
        if (timers > timersBase + caret + (aboutOpen ? aboutTimers : 0))
            return Fail("live timers " + std::to_string(timers) + ", at the start " +
                        std::to_string(timersBase));
        // Each closed box keeps its three fonts and its banner bitmap.
        const int opened = AboutsOpened();
        const std::size_t kept = 4 * static_cast<std::size_t>(aboutOpen ? opened - 1 : opened);
        const std::size_t bound = graphicsBase + kept + (aboutOpen ? aboutGraphics : 0);
        if (graphics > bound)
            return Fail("live graphics objects " + std::to_string(graphics) + ", bound " +
                        std::to_string(bound) + " after " + std::to_string(opened) + " About boxes");
    }

    // --- Where a person points -------------------------------------------

    int Rand(int n) { return n <= 1 ? 0 : static_cast<int>(rng() % static_cast<std::uint64_t>(n)); }
    bool Chance(int percent) { return Rand(100) < percent; }

    static RECT Shifted(RECT r, const RECT& by) {
        r.left += by.left;
        r.right += by.left;
        r.top += by.top;
        r.bottom += by.top;
        return r;
    }
    POINT InRect(const RECT& r) { return {r.left + Rand(r.right - r.left), r.top + Rand(r.bottom - r.top)}; }
    POINT InWindow(HWND hwnd) {
        RECT r{};
        GetWindowRect(hwnd, &r);
        return InRect(r);
    }
    POINT InElement(TQUtility::GUIElement* e) {
        if (e == nullptr || e->hwnd == nullptr || !IsWindow(e->hwnd)) return AnyPoint();
        return InWindow(e->hwnd);
    }
    POINT AnyPoint() {
        std::vector<HWND> tops;
        for (HWND w : platform::wm::TopLevelWindows())
            if (IsWindowVisible(w)) tops.push_back(w);
        if (tops.empty() || Chance(10)) return {Rand(1280), Rand(1024)};  // the desktop around them
        return InWindow(tops[static_cast<std::size_t>(Rand(static_cast<int>(tops.size())))]);
    }
    POINT MenuBarPoint() {
        RECT w{};
        GetWindowRect(form->hwnd, &w);
        RECT bar = Shifted(platform::wm::MenuBarRect(form->hwnd), w);
        bar.right = bar.left + 80;  // the two titles sit at its left end
        return InRect(bar);
    }
    POINT AboutPoint(TQUtility::FormAbout* about) {
        switch (Rand(7)) {
            case 0:
                return InElement(about->okButton);
            case 1:
                return InElement(about->webLink);
            case 2:
                return InElement(about->mailLink);
            case 3: {  // the notice's scroll bar: arrows, track and thumb
                HWND box = about->noticeBox->hwnd;
                if (box == nullptr) return InWindow(about->hwnd);
                RECT w{};
                GetWindowRect(box, &w);
                const RECT bar = Shifted(platform::wm::VerticalScrollBarRect(box), w);
                if (bar.right <= bar.left || bar.bottom <= bar.top) return InWindow(box);
                const int arrow = bar.right - bar.left;
                switch (Rand(3)) {
                    case 0:
                        return {bar.left + Rand(arrow), bar.top + Rand(arrow)};
                    case 1:
                        return {bar.left + Rand(arrow), bar.bottom - 1 - Rand(arrow)};
                    default:
                        return InRect(bar);
                }
            }
            case 4:
                return InElement(about->noticeBox);
            case 5:
                return InElement(Chance(50) ? static_cast<TQUtility::GUIElement*>(about->titleLabel)
                                            : about->bannerPanel);
            default:
                return InWindow(about->hwnd);
        }
    }
    POINT Target() {
        if (TQUtility::FormAbout* about = OpenAbout(); about != nullptr && Chance(60))
            return AboutPoint(about);
        switch (Rand(10)) {
            case 0:
            case 1:
            case 2: {  // a bead, or the frame around them
                const int r = Chance(90) ? Rand(RodCount) : Rand(BoardRows);
                const int c = Chance(90) ? FirstBeadColumn + Rand(12) : Rand(BoardColumns);
                return d.ScreenPoint(form->hwnd, CellLeft(c) + Rand(CellWidth),
                                     CellTop(r) + Rand(CellHeight));
            }
            case 3: {
                TQUtility::GUIElement* buttons[] = {form->infoButton, form->resetButton, form->closeButton,
                                                    form->infoButton};
                return InElement(buttons[Rand(4)]);
            }
            case 4:
                return InElement(form->captionBoxes[Rand(RodCount)]);
            case 5:
                return MenuBarPoint();
            case 6:
                return InElement(Chance(50) ? form->totalDisplay : form->rodCounters[Rand(RodCount)]);
            default:
                return AnyPoint();
        }
    }

    // --- What a person does ------------------------------------------------

    // One input. Inside the idle handler the program is blocked in a modal
    // loop: the driver only queues, and the clock moves by returning false.
    bool Input(bool inLoop) {
        ++events;
        if (held) {  // a button is down: drag on or let go
            const POINT p = Chance(70) ? heldAt : Target();
            if (Chance(40)) {
                d.Move(p.x, p.y);
            } else {
                d.Release(p.x, p.y, heldButton);
                held = false;
            }
            return true;
        }
        const int what = Rand(100);
        if (what < 12) {
            const POINT p = Target();
            d.Move(p.x, p.y);
        } else if (what < 39) {
            const POINT p = Target();
            d.Click(p.x, p.y, Chance(92) ? 1 : 3);
        } else if (what < 42) {  // a double click: no time passes between the two
            const POINT p = Target();
            d.Click(p.x, p.y);
            d.Click(p.x, p.y);
        } else if (what < 47) {
            heldAt = Target();
            heldButton = Chance(90) ? 1 : 3;
            held = true;
            d.Press(heldAt.x, heldAt.y, heldButton);
        } else if (what < 49) {
            const POINT p = Target();
            d.Wheel(p.x, p.y, Chance(50) ? 1 : -1);
        } else if (what < 70) {
            Key();
        } else if (what < 78) {
            static const std::u16string texts[] = {
                u"a",    u"Decine", u"caff\u00e8", u"\u20ac 5", u"\u0436\u0443\u043a",
                u"x\ty", u"riga\r", u"12",         u" ",        u"\u00e0\u00e8\u00ec\u00f2\u00f9",
                u"Z"};
            d.Type(texts[Rand(static_cast<int>(std::size(texts)))]);
        } else if (what < 98) {
            if (inLoop) return false;
            static const int steps[] = {10, 50, 100, 290, 300, 310, 450, 610, 1000};
            d.Advance(steps[Rand(static_cast<int>(std::size(steps)))]);
        } else if (what < 99) {
            TQUtility::FormAbout* about = OpenAbout();
            d.CloseRequest(about != nullptr && Chance(50) ? about->hwnd : form->hwnd);
        } else {
            if (Chance(50))
                d.FocusLost(form->hwnd);
            else
                d.FocusGained(form->hwnd);
        }
        return true;
    }

    void Key() {
        static const int plain[] = {VK_TAB,  VK_RETURN, VK_ESCAPE, VK_LEFT,   VK_RIGHT, VK_UP,  VK_DOWN,
                                    VK_HOME, VK_END,    VK_BACK,   VK_DELETE, VK_SPACE, VK_F10, VK_PRIOR,
                                    VK_NEXT, 'A',       'N',       'S',       'X',      '1'};
        switch (Rand(10)) {
            case 0:
                d.Key(VK_TAB, Driver::Shift);
                break;
            case 1: {  // Alt alone, or Alt with a menu's or an item's letter
                static const int letters[] = {0, 'F', '?', 'E', 'G', 'H', 'Q'};
                const int letter = letters[Rand(static_cast<int>(std::size(letters)))];
                if (letter == 0) {
                    d.KeyDown(VK_MENU);
                    d.KeyUp(VK_MENU);
                } else {
                    d.Key(letter, Driver::Alt);
                }
                break;
            }
            case 2: {
                static const int edits[] = {'A', 'C', 'V', 'X', 'Z'};
                d.Key(edits[Rand(5)], Driver::Ctrl);
                break;
            }
            case 3:
                d.Key(Chance(50) ? VK_LEFT : VK_RIGHT, Driver::Shift);
                break;
            default:
                d.Key(plain[Rand(static_cast<int>(std::size(plain)))]);
        }
    }

    HWND QuestionBox() {
        for (HWND w : platform::wm::TopLevelWindows())
            if (ClassOf(w) == u"KelvoMessageBox") return w;
        return nullptr;
    }

    // The program waits inside a modal loop for input.
    bool OnIdle() {
        if (++idleInARow > 5000) {
            std::fprintf(stderr, "soak: a modal loop still waits after 5000 turns of input (%s)\n",
                         Where().c_str());
            std::abort();
        }
        if (HWND box = QuestionBox()) {  // the exit question: always No
            ++questions;
            ++events;
            HWND no = nullptr;
            std::vector<RECT> buttons;
            for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                if (TextOf(c) == u"No" || TextOf(c) == u"&No") no = c;
                RECT r{};
                GetWindowRect(c, &r);
                buttons.push_back(r);
            }
            // The person looks around first: the pointer moves over the box,
            // presses somewhere off its buttons, the focus goes from button
            // to button; nothing of it answers.
            if (!stopping && !failed && Chance(40)) {
                POINT p = InWindow(box);
                for (const RECT& r : buttons)
                    if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom)
                        p = {r.left, r.top - 2};
                switch (Rand(3)) {
                    case 0:
                        d.Move(p.x, p.y);
                        break;
                    case 1:
                        d.Click(p.x, p.y);
                        break;
                    default:
                        d.Key(Chance(50) ? VK_TAB : Chance(50) ? VK_LEFT : VK_RIGHT);
                }
                return true;
            }
            if (no != nullptr && Chance(50)) {
                const POINT p = InWindow(no);
                d.Click(p.x, p.y);
            } else {
                d.Key('N');
            }
            return true;
        }
        if (stopping || failed) {  // no more input: let go of the button, leave menus
            if (held) {
                d.Release(heldAt.x, heldAt.y, heldButton);
                held = false;
            } else {
                d.Key(VK_ESCAPE);
            }
            return true;
        }
        if (Chance(20)) return false;  // time passes: the loop's timers run
        return Input(true);
    }

    static std::string tempDir;
    Driver d;
    WatchedForm* form = nullptr;
    std::mt19937_64 rng;
    std::uint64_t seed = 0, target = 0;
    double capSeconds = 0;
    std::atomic<std::uint64_t> events = 0;  // read by the watchdog's message too
    std::atomic<std::uint64_t> ticks = 0;
    std::uint64_t questions = 0;
    int idleInARow = 0;
    bool failed = false, stopping = false;
    bool held = false;
    POINT heldAt{};
    int heldButton = 1;
    std::size_t windowsBase = 0, timersBase = 0, graphicsBase = 0;
    std::size_t aboutWindows = 0, aboutTimers = 0, aboutGraphics = 0;
};

std::string Soak::tempDir;

TEST_F(Soak, PersonAtTheKeyboard) {
    CheckAlive();
    const auto start = std::chrono::steady_clock::now();
    auto seconds = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    // A program that stops taking input altogether (a loop that waits for
    // nothing) never comes back to the cap's check: this watch ends it with
    // the seed and the input it was at, well before the test runner would.
    Watchdog watchdog(capSeconds + 60, [this] { return Where(); });
    while (events < target && !failed && seconds() < capSeconds) {
        idleInARow = 0;
        Input(false);
        CheckAlive();
    }
    const double took = seconds();
    // The end of the stream: let go of a held button so nothing waits.
    stopping = true;
    if (held) {
        d.Release(heldAt.x, heldAt.y, heldButton);
        held = false;
    }
    d.Advance(310);
    CheckAlive();
    std::printf("soak: %llu inputs in %lld ms, %llu ticks, %d About boxes, %llu exit questions answered No\n",
                static_cast<unsigned long long>(events.load()), static_cast<long long>(took * 1000),
                static_cast<unsigned long long>(ticks.load()), AboutsOpened(),
                static_cast<unsigned long long>(questions));
    if (!failed) {
        EXPECT_GE(events.load(), target)
            << "the cap of " << capSeconds << " s passed first (" << Where() << ")";
    }
    EXPECT_GT(ticks.load(), 0u);

    // The opener is a process of its own; what it recorded are the program's
    // three link targets only.
    usleep(200000);
    std::ifstream f(tempDir + "/opened");
    const std::set<std::string> links = {"http://www.example.com", "http://www.example.com/Kelvo.asp",
                                         "mailto:info@example.com"};
    for (std::string line; std::getline(f, line);)
        EXPECT_TRUE(links.count(line)) << "opened \"" << line << "\"";
}

}  // namespace
