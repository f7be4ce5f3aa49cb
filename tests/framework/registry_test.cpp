// Registry lookups and identifiers. The registry is process-wide, so these
// tests compare against the state before they started, never against fixed
// positions; the fixture cuts the registry back afterwards.
#include <gtest/gtest.h>

#include <cstdint>

#include "framework/menu.h"
#include "framework/registry.h"
#include "framework/timer.h"
#include "tests/framework/fixture.h"

using fwtest::Probe;
using TQUtility::FindById;
using TQUtility::FindByWindow;
using TQUtility::FindSubMenuById;
using TQUtility::GUIElement;

namespace {

// Stand-in window handles for lookups that never reach the platform. They
// are far above anything the handle table hands out in a test run, and the
// tests clear them before they end.
HWND FakeWindow(std::uintptr_t n) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x7F000000) + n);
}

class Registry : public fwtest::ElementTest {};

// FindByWindow: the first element with the handle; otherwise the last entry
// while it has no window; otherwise null.
TEST_F(Registry, FindByWindowFallsBackToTheLastElementWithoutWindow) {
    Probe* a = Make<Probe>();
    Probe* b = Make<Probe>();
    a->hwnd = FakeWindow(1);
    // b is last and has no window: it answers for any unknown handle.
    EXPECT_EQ(FindByWindow(FakeWindow(99)), b);
    // a has a window and is found by it even though b comes later.
    EXPECT_EQ(FindByWindow(FakeWindow(1)), a);
    b->hwnd = FakeWindow(2);
    EXPECT_EQ(FindByWindow(FakeWindow(2)), b);
    EXPECT_EQ(FindByWindow(FakeWindow(99)), nullptr);
    // A later element without a window takes over the fallback.
    Probe* c = Make<Probe>();
    EXPECT_EQ(FindByWindow(FakeWindow(99)), c);
    a->hwnd = b->hwnd = nullptr;
}

// FindById returns the first match; FindSubMenuById skips other kinds that
// carry the same id.
TEST_F(Registry, IdLookupsAndKinds) {
    Probe* plain = Make<Probe>();
    auto* item = Make<TQUtility::SubMenu>("&Esci", nullptr);
    ASSERT_GT(item->id, 0);
    plain->id = item->id;  // same id, earlier in the registry
    EXPECT_EQ(FindById(item->id), plain);
    EXPECT_EQ(FindSubMenuById(item->id), item);
    EXPECT_EQ(FindSubMenuById(item->id + 1000000), nullptr);
    EXPECT_EQ(FindById(item->id + 1000000), nullptr);
    plain->id = 0;
}

// Identifiers follow the counter, one step per element, in the order the
// elements take them: here menu items, which take theirs when constructed.
TEST_F(Registry, IdentifiersCountUpInOrder) {
    const std::int32_t before = TQUtility::lastElementId;
    auto* first = Make<TQUtility::SubMenu>("a", nullptr);
    auto* second = Make<TQUtility::SubMenu>("b", nullptr);
    auto* third = Make<TQUtility::SubMenu>("c", nullptr);
    EXPECT_EQ(first->id, before + 1);
    EXPECT_EQ(second->id, before + 2);
    EXPECT_EQ(third->id, before + 3);
    EXPECT_EQ(TQUtility::lastElementId, before + 3);
    // Menu bars and menus keep id 0 and take nothing from the counter.
    auto* bar = Make<TQUtility::MenuBar>(nullptr);
    auto* menu = Make<TQUtility::Menu>("&File", bar);
    EXPECT_EQ(bar->id, 0);
    EXPECT_EQ(menu->id, 0);
    EXPECT_EQ(TQUtility::lastElementId, before + 3);
}

// ChildrenOf lists the children of one window only, in registration order.
TEST_F(Registry, ChildrenOfExcludesGrandchildren) {
    Probe* form = Make<Probe>();
    form->hwnd = FakeWindow(10);
    Probe* panel = Make<Probe>();
    panel->parent = form;
    panel->hwnd = FakeWindow(11);
    Probe* grandchild = Make<Probe>();
    grandchild->parent = panel;
    auto* timer = Make<TQUtility::Timer>(form);
    std::vector<TQUtility::Child*> children = TQUtility::ChildrenOf(FakeWindow(10));
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children[0], panel);
    EXPECT_EQ(children[1], timer);
    EXPECT_EQ(TQUtility::ChildrenOf(FakeWindow(11)), (std::vector<TQUtility::Child*>{grandchild}));
    EXPECT_TRUE(TQUtility::ChildrenOf(FakeWindow(12)).empty());
    form->hwnd = panel->hwnd = nullptr;
}

}  // namespace
