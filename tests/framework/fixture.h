// Shared scaffolding of the framework tests. The element registry is
// process-wide and never shrinks by design, and every lookup walks all of it,
// so a test must not leave entries behind that point at destroyed elements.
// ElementTest owns what a test makes: at the end it destroys the test's
// windows while every element is still alive, cuts the registry back to where
// it stood before the test, and only then deletes the elements. The globals
// of the window procedure and the main-window rule are reset around each test
// so that tests do not depend on their order.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "framework/element.h"
#include "framework/form.h"
#include "framework/registry.h"
#include "framework/wndproc.h"

namespace fwtest {

// An element kind with no window of its own, for the element model's tests.
class Probe : public TQUtility::Child {
public:
    Probe() : Child(nullptr) {}
    void Create() override { created = true; }
};

class ElementTest : public ::testing::Test {
protected:
    void SetUp() override {
        mark_ = TQUtility::registeredElements.size();
        // A quit message left by an earlier test's main window goes away.
        MSG quit{};
        while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        TQUtility::mainWindow = nullptr;
        TQUtility::activeForm = nullptr;
        TQUtility::mouseTracking = false;
    }

    void TearDown() override { DestroyEverything(); }

    // Destroys the test's windows while every element is alive, removes the
    // elements from the registry, then deletes them.
    void DestroyEverything() {
        // No quit message may leak into the next test.
        TQUtility::mainWindow = nullptr;
        for (auto it = owned_.rbegin(); it != owned_.rend(); ++it) {
            auto* form = dynamic_cast<TQUtility::Form*>(it->get());
            if (form != nullptr && form->hwnd != nullptr && IsWindow(form->hwnd)) DestroyWindow(form->hwnd);
        }
        Forget();
        TQUtility::activeForm = nullptr;
        TQUtility::mouseTracking = false;
        while (!owned_.empty())
            owned_.pop_back();
    }

    // Constructs an element that lives until the end of the test.
    template <class T, class... Args>
    T* Make(Args&&... args) {
        auto element = std::make_unique<T>(std::forward<Args>(args)...);
        T* raw = element.get();
        owned_.push_back(std::move(element));
        return raw;
    }

    // Removes the test's elements from the registry so they can be deleted
    // while the test still runs (a destructor under test).
    void Forget() {
        if (TQUtility::registeredElements.size() > mark_) TQUtility::registeredElements.resize(mark_);
    }
    void Forget(TQUtility::GUIElement* e) {
        auto& list = TQUtility::registeredElements;
        for (auto it = list.begin(); it != list.end(); ++it) {
            if (*it == e) {
                list.erase(it);
                return;
            }
        }
    }
    // Deletes one owned element now (after Forget(e)).
    // The program never deletes an element while windows can still reach it;
    // a test that does so also clears the active-form pointer it may leave.
    void Destroy(TQUtility::GUIElement* e) {
        for (auto it = owned_.begin(); it != owned_.end(); ++it) {
            if (it->get() == e) {
                owned_.erase(it);
                break;
            }
        }
        if (static_cast<TQUtility::GUIElement*>(TQUtility::activeForm) == e) TQUtility::activeForm = nullptr;
    }

private:
    std::size_t mark_ = 0;
    std::vector<std::unique_ptr<TQUtility::GUIElement>> owned_;
};

}  // namespace fwtest
