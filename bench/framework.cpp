// The cost of one message through ElementWndProc with the element count of
// the abacus main form (about 150 elements: 112 board cells, counters, caption
// boxes, buttons, banner, timer and menus). Each message costs a linear scan
// of the registry; the element looked up is the last one, the worst case.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "framework/button.h"
#include "framework/form.h"
#include "framework/menu.h"
#include "framework/panels.h"
#include "framework/registry.h"
#include "framework/static.h"
#include "framework/textbox.h"
#include "framework/timer.h"
#include "framework/wndproc.h"

namespace {

struct Board {
    std::unique_ptr<TQUtility::Form> form;
    std::vector<std::unique_ptr<TQUtility::GUIElement>> elements;
    TQUtility::GUIElement* last = nullptr;
    TQUtility::Timer* timer = nullptr;

    Board() {
        form = std::make_unique<TQUtility::Form>(GetModuleHandleW(nullptr));
        form->SetSize(660, 560);
        form->Create();
        auto* bar = Add<TQUtility::MenuBar>(form.get());
        auto* file = Add<TQUtility::Menu>("&File", bar);
        Add<TQUtility::SubMenu>("&Esci", file);
        auto* help = Add<TQUtility::Menu>("&?", bar);
        Add<TQUtility::SubMenu>("&Guida", help);
        Add<TQUtility::SubMenu>("&Home", help);
        bar->Create();
        Add<TQUtility::Image>(form.get(), 1007)->Create();
        Add<TQUtility::CellControl>(form.get())->Create();
        for (int i = 0; i < 112; ++i) {
            auto* cell = Add<TQUtility::ImageFrame>(form.get(), nullptr, 0, 0);
            cell->SetSize(25, 40);
            cell->SetPosition(28 + (i % 14) * 25, 90 + (i / 14) * 40);
            cell->Create();
        }
        for (int i = 0; i < 7; ++i)
            Add<TQUtility::CellControl>(form.get())->Create();
        for (int i = 0; i < 7; ++i)
            Add<TQUtility::TextBox>(form.get(), "")->Create();
        for (const char* caption : {"RESET", "Info", "Chiudi"}) {
            auto* b = Add<TQUtility::Button>(form.get(), caption);
            b->ownerDraw = true;
            b->Create();
        }
        timer = Add<TQUtility::Timer>(form.get());
        timer->Create();
        // Some headroom over the abacus's own count: 150 elements in all.
        while (TQUtility::registeredElements.size() < 149)
            Add<TQUtility::Label>(form.get(), "")->Create();
        auto* lastCell = Add<TQUtility::CellControl>(form.get());
        lastCell->Create();
        last = lastCell;
    }
    ~Board() {
        DestroyWindow(form->hwnd);
        TQUtility::registeredElements.clear();  // nothing dispatches after this
    }

    template <class T, class... Args>
    T* Add(Args&&... args) {
        auto e = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = e.get();
        elements.push_back(std::move(e));
        return raw;
    }
};

// A mouse press on the last element: lookup by window, the event
// operation, default processing.
void BM_DispatchMouseToLastElement(benchmark::State& state) {
    Board board;
    state.counters["elements"] = static_cast<double>(TQUtility::registeredElements.size());
    const HWND target = board.last->hwnd;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            TQUtility::ElementWndProc(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4)));
    }
}
BENCHMARK(BM_DispatchMouseToLastElement);

// A timer tick on the main window: lookup by window and by identifier.
void BM_DispatchTimerTick(benchmark::State& state) {
    Board board;
    const HWND form = board.form->hwnd;
    const WPARAM id = static_cast<WPARAM>(board.timer->id);
    for (auto _ : state) {
        benchmark::DoNotOptimize(TQUtility::ElementWndProc(form, WM_TIMER, id, 0));
    }
}
BENCHMARK(BM_DispatchTimerTick);

}  // namespace
