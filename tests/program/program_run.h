// The whole program on the headless host, shared by the program tests: the
// real FormMain with the real resources, started and ended as the entry does,
// driven by presses and keys at screen points, with the clock advanced past
// the 300 ms tick.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "abacus/formmain.h"
#include "about/formabout.h"
#include "framework/form.h"
#include "framework/registry.h"
#include "framework/wndproc.h"
#include "platform/host/headless/headless.h"
#include "tests/support/program_env.h"

namespace programtest {

using namespace MyGame;
using platform::headless::Driver;

// The suite's private folder: settings, the opener's record, pictures.
inline std::string tempDir;

class ProgramRun : public testing::Test {
protected:
    static void SetUpTestSuite() {
        tempDir = testsupport::PrepareProgramEnvironment("/tmp/kelvo-program-XXXXXX");
    }

    void SetUp() override {
        // The program fell idle inside a modal wait: press the scripted key.
        d.host().SetIdleHandler([this]() {
            if (pendingKey == 0) return false;
            platform::host::Event e;
            e.window = d.host().ZOrder().front();
            e.key = pendingKey;
            pendingKey = 0;
            e.type = platform::host::Event::Type::KeyDown;
            d.host().Inject(e);
            e.type = platform::host::Event::Type::KeyUp;
            d.host().Inject(e);
            return true;
        });
        Start();
    }
    void TearDown() override { Stop(); }

    // One run of the program: a fresh FormMain as the entry builds it.
    void Start() {
        form = new FormMain(GetModuleHandleW(nullptr), MainCaption());
        d.Pump();
    }
    // Ends the run as the entry does after the loop; the next run starts as
    // a fresh process would.
    void Stop() { testsupport::EndProgramRun(form, d); }

    // A screen point inside element e, which lies on the form `top`.
    POINT Screen(TQUtility::GUIElement* e, int dx, int dy, TQUtility::GUIElement* top = nullptr) {
        return d.ScreenPoint(top != nullptr ? top->hwnd : form->hwnd, e->x + dx, e->y + dy);
    }
    void ClickCell(int r, int c) {
        POINT p = d.ScreenPoint(form->hwnd, CellLeft(c) + 12, CellTop(r) + 20);
        d.Click(p.x, p.y);
    }
    void ClickButton(TQUtility::GUIElement* b, TQUtility::GUIElement* top = nullptr) {
        POINT p = Screen(b, b->width / 2, b->height / 2, top);
        d.Click(p.x, p.y);
    }
    // The next modal wait (the exit question) is answered with this key.
    // With the fake clock a running timer never lets the program fall idle,
    // so the move timer is paused while the question is asked.
    void AnswerNextQuestion(int vk) {
        form->tickTimer->Stop();
        pendingKey = vk;
    }
    std::string Row(int r) {
        std::string s;
        for (int c = 0; c < BoardColumns; ++c)
            s += static_cast<char>('0' + form->Cell(r, c)->tileCode);
        return s;
    }
    COLORREF ClientPixel(int x, int y) {
        POINT p = d.ScreenPoint(form->hwnd, x, y);
        RECT w{};
        GetWindowRect(form->hwnd, &w);
        return d.Pixel(form->hwnd, p.x - w.left, p.y - w.top);
    }
    // The pixels of an element of the main form, row by row.
    std::vector<COLORREF> Picture(TQUtility::GUIElement* e) {
        std::vector<COLORREF> pixels;
        for (int y = 0; y < e->height; ++y)
            for (int x = 0; x < e->width; ++x)
                pixels.push_back(ClientPixel(e->x + x, e->y + y));
        return pixels;
    }
    // Chooses both web pages from the menu, then presses both links of the
    // About box (links open when the button goes down on them) and closes it.
    void OpenEveryLink() {
        RouteMenuCommand(form->homeItem);
        RouteMenuCommand(form->guideItem);
        ClickButton(form->infoButton);
        for (TQUtility::GUIElement* link : {form->aboutForm->mailLink, form->aboutForm->webLink}) {
            POINT p = Screen(link, 10, 10, form->aboutForm);
            d.Click(p.x, p.y);
        }
        d.Key(VK_ESCAPE);
    }

    Driver d;
    FormMain* form = nullptr;
    int pendingKey = 0;
};

}  // namespace programtest
