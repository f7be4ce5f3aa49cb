// The whole program on the headless host: the real FormMain with the real
// resources, driven by presses and keys at screen points, with the clock
// advanced past the 300 ms tick, checked through its elements, the settings
// store and the composed pixels of its window.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "abacus/formmain.h"
#include "about/formabout.h"
#include "framework/form.h"
#include "framework/registry.h"
#include "framework/wndproc.h"
#include "platform/core/handles.h"
#include "platform/host/headless/headless.h"
#include "services/settings.h"
#include "tests/program/program_run.h"

using namespace programtest;

namespace {

class Program : public ProgramRun {};

// A press on the rightmost red bead of rod 0 moves it at the next tick; the
// counter, the total and the window's pixels follow.
TEST_F(Program, PressOnABeadMovesItAtTheTick) {
    EXPECT_EQ(d.WindowTitle(form->hwnd), "TQ Kelvo \u00a9 2026 TQ Kelvo");
    RECT client{};
    GetClientRect(form->hwnd, &client);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
    const COLORREF before = ClientPixel(CellLeft(12) + 12, CellTop(0) + 20);
    ClickCell(0, 10);
    EXPECT_EQ(Row(0), "37777700000112") << "nothing moves before the tick";
    d.Advance(310);
    EXPECT_EQ(Row(0), "37777700001102");
    EXPECT_EQ(form->rodCounters[0]->GetTextNarrow(), "1");
    EXPECT_EQ(form->totalDisplay->GetTextNarrow(), "1");
    const COLORREF after = ClientPixel(CellLeft(12) + 12, CellTop(0) + 20);
    EXPECT_NE(before, after);
    EXPECT_GT(GetRValue(after), 2 * GetGValue(after)) << std::hex << after;      // a red bead now
    EXPECT_EQ(ClientPixel(CellLeft(0) + 5, CellTop(3) + 20), RGB(64, 64, 255));  // frame blue
    // Rod 6 pushed fully right counts ten millions, shown grouped.
    ClickCell(6, 1);
    d.Advance(310);
    EXPECT_EQ(form->totalDisplay->GetTextNarrow(), "10.000.001");
    ClickButton(form->resetButton);
    EXPECT_EQ(Row(0), "37777700000112");
    EXPECT_EQ(Row(6), "37777700000112");
    EXPECT_EQ(form->totalDisplay->GetTextNarrow(), "0");
}

// A move repaints the cells it changed and the eight displays, and nothing
// else of the window; an idle tick repaints nothing.
TEST_F(Program, AMoveRepaintsOnlyWhatChanged) {
    ClickCell(0, 10);  // one bead: column 10 empties, column 12 fills
    d.Pump();
    d.ResetPresentedPixelCount();
    d.Advance(310);
    const std::uint64_t cells = 2 * 25 * 40;
    std::uint64_t displays = 0;
    for (auto* counter : form->rodCounters) {
        RECT r{};
        GetClientRect(counter->hwnd, &r);
        displays += static_cast<std::uint64_t>(r.right) * r.bottom;
    }
    RECT total{};
    GetClientRect(form->totalDisplay->hwnd, &total);
    displays += static_cast<std::uint64_t>(total.right) * total.bottom;
    EXPECT_GE(d.PresentedPixelCount(), cells);
    EXPECT_LE(d.PresentedPixelCount(), cells + displays);
    d.ResetPresentedPixelCount();
    d.Advance(310);
    EXPECT_EQ(d.PresentedPixelCount(), 0u) << "an idle tick draws nothing";
}

// The About box disables the main form until it is closed, whichever way.
TEST_F(Program, AboutBoxIsModalAndClosesEveryWay) {
    enum How { Ok, Enter, Escape, CloseBox };
    for (How how : {Ok, Enter, Escape, CloseBox}) {
        ClickButton(form->infoButton);
        TQUtility::FormAbout* about = form->aboutForm;
        ASSERT_NE(about, nullptr);
        ASSERT_TRUE(IsWindow(about->hwnd));
        EXPECT_FALSE(IsWindowEnabled(form->hwnd));
        EXPECT_EQ(about->titleLabel->GetTextNarrow(), "TQ Kelvo 1.0.3.0");
        EXPECT_EQ(about->mailLink->GetTextNarrow(), "info@example.com");
        ClickCell(0, 10);
        d.Advance(310);
        EXPECT_EQ(Row(0), "37777700000112") << "the main form ignores presses meanwhile";
        switch (how) {
            case Ok:
                ClickButton(about->okButton, about);
                break;
            case Enter:
                d.Key(VK_RETURN);
                break;
            case Escape:
                d.Key(VK_ESCAPE);
                break;
            case CloseBox:
                d.CloseRequest(about->hwnd);
                break;
        }
        d.Pump();
        EXPECT_FALSE(IsWindow(about->hwnd)) << "way " << how;
        EXPECT_TRUE(IsWindowEnabled(form->hwnd)) << "way " << how;
    }
}

// After the exit question is answered No, the window lives on, the timer
// keeps ticking and the About box still disables the main form.
TEST_F(Program, ExitAnsweredNoKeepsEverythingWorking) {
    AnswerNextQuestion(VK_ESCAPE);
    ClickButton(form->closeButton);
    ASSERT_TRUE(IsWindow(form->hwnd));
    EXPECT_TRUE(form->created);
    form->tickTimer->Start();
    ClickCell(2, 10);
    d.Advance(310);
    EXPECT_EQ(form->rodCounters[2]->GetTextNarrow(), "1");
    ClickButton(form->infoButton);
    EXPECT_FALSE(IsWindowEnabled(form->hwnd));
    TQUtility::FormAbout* first = form->aboutForm;
    ClickButton(form->infoButton);
    EXPECT_EQ(form->aboutForm, first) << "a second box cannot be opened over the first";
    d.Key(VK_ESCAPE);
    EXPECT_TRUE(IsWindowEnabled(form->hwnd));
}

// Captions typed in one run, with Tab and Enter filtered out and characters
// above U+00FF, come back in the next run after a confirmed exit.
TEST_F(Program, CaptionsSurviveAConfirmedExit) {
    const std::u16string typed[RodCount] = {
        u"unit\u00e0", u"\u20ac decine", u"\u0391\u03b2\u03b3", u"\u0436\u0443\u043a", u"",
        u"plain",      u"last"};
    for (int k = 0; k < RodCount; ++k) {
        POINT p = Screen(form->captionBoxes[k], 5, 5);
        d.Click(p.x, p.y);
        d.Type(typed[k].empty() ? u"" : typed[k].substr(0, 1) + u"\t\r" + typed[k].substr(1));
    }
    for (int k = 0; k < RodCount; ++k)
        EXPECT_EQ(form->captionBoxes[k]->GetText(), typed[k]) << "box " << k;
    AnswerNextQuestion(VK_RETURN);
    ClickButton(form->closeButton);
    EXPECT_FALSE(IsWindow(form->hwnd));
    EXPECT_TRUE(d.QuitPosted());
    EXPECT_EQ(TQUtility::LoadSetting("Kelvo.exe", "Categorie", "testo5"), "plain");
    Stop();
    Start();
    for (int k = 0; k < RodCount; ++k)
        EXPECT_EQ(form->captionBoxes[k]->GetText(), typed[k]) << "box " << k;
}

// A caption stored the old, narrow way reads back as before.
TEST_F(Program, NarrowStoredCaptionsReadBack) {
    Stop();
    TQUtility::SaveSetting("Kelvo.exe", "Categorie", "testo0", "caff\xE8");
    Start();
    EXPECT_EQ(form->captionBoxes[0]->GetText(), u"caff\u00e8");
}

TEST_F(Program, LinksGoToTheShell) {
    std::remove((tempDir + "/opened").c_str());
    OpenEveryLink();
    for (int i = 0; i < 100; ++i) {  // the opener runs as its own process
        std::ifstream f(tempDir + "/opened");
        std::stringstream s;
        s << f.rdbuf();
        const std::string text = s.str();
        if (std::count(text.begin(), text.end(), '\n') >= 4) break;
        usleep(20000);
    }
    std::ifstream f(tempDir + "/opened");
    std::stringstream s;
    s << f.rdbuf();
    // The openers run as processes of their own and may finish in any order.
    std::multiset<std::string> lines;
    for (std::string line; std::getline(s, line);)
        lines.insert(line);
    EXPECT_EQ(lines, (std::multiset<std::string>{"http://www.example.com", "http://www.example.com/Kelvo.asp",
                                                 "mailto:info@example.com", "http://www.example.com"}));
}

// Bead moves and About boxes leave no windows, graphics objects or timers
// behind beyond what each closed box keeps by design.
TEST_F(Program, NothingGrows) {
    using platform::Kind;
    ClickCell(0, 1);
    d.Advance(310);
    const auto windows = platform::LiveObjects(Kind::Window), timers = platform::LiveObjects(Kind::Timer);
    const auto graphics = platform::LiveGraphicsObjects();
    for (int i = 0; i < 1000; ++i) {
        ClickCell(i % RodCount, i % 2 == 0 ? 3 : 1);
        d.Advance(310);
    }
    EXPECT_EQ(platform::LiveObjects(Kind::Window), windows);
    EXPECT_EQ(platform::LiveObjects(Kind::Timer), timers);
    EXPECT_EQ(platform::LiveGraphicsObjects(), graphics);

    ClickButton(form->infoButton);
    d.Key(VK_ESCAPE);
    const auto graphicsOne = platform::LiveGraphicsObjects();
    for (int i = 0; i < 50; ++i) {
        ClickButton(form->infoButton);
        d.Key(VK_ESCAPE);
    }
    EXPECT_EQ(platform::LiveObjects(Kind::Window), windows);
    // Each closed box keeps its three fonts and its banner bitmap.
    EXPECT_LE(platform::LiveGraphicsObjects(), graphicsOne + 50 * 4);
}

// The running abacus as a picture, for the README.
TEST_F(Program, Screenshot) {
    ClickCell(0, 8);
    d.Advance(310);
    ClickCell(1, 1);
    d.Advance(310);
    RECT w{};
    GetWindowRect(form->hwnd, &w);
    const int width = w.right - w.left, height = w.bottom - w.top;
    const char* source = std::getenv("KELVO_SOURCE_DIR");
    std::string path = std::string(source ? source : ".") + "/docs/screenshot.ppm";
    std::ofstream out(tempDir + "/shot.ppm", std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    int drawn = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            COLORREF c = d.Pixel(form->hwnd, x, y);
            drawn += c != 0;
            out.put(static_cast<char>(GetRValue(c)))
                .put(static_cast<char>(GetGValue(c)))
                .put(static_cast<char>(GetBValue(c)));
        }
    out.close();
    EXPECT_GT(drawn, width * height / 2);
    if (std::getenv("KELVO_SCREENSHOT")) std::rename((tempDir + "/shot.ppm").c_str(), path.c_str());
}

}  // namespace
