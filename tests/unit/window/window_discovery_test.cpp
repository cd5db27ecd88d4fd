// Which window a gesture anchors: the pipeline from the focused window through
// the window list, and the name, path and size rules that decide what belongs
// to the target application.
#include "core/window/window_discovery.h"
#include "window_service_fixture.h"

#include <gtest/gtest.h>

using namespace vx;
using namespace vx::test;

namespace {
using Found = std::optional<DiscoveredWindow>;
const ElementRef e0 = FakeWindowSystem::element(0);
const ElementRef e1 = FakeWindowSystem::element(1);
} // namespace

TEST_F(WindowServiceTest, FocusedWindowIsAnchoredUnlessItIsThisProgramsOwn) {
    addFocusedApp(200, "Editor", 42);
    EXPECT_EQ(findTargetWindow(desktop, desktop.own), Found({200, e0, 42}));
    EXPECT_EQ(desktop.count("onScreenWindows"), 0u);
    const auto anchor = service.anchorFrontmostWindow();
    ASSERT_TRUE(anchor);
    EXPECT_EQ(anchor->processID, 200);
    EXPECT_NE(service.anchorFrontmostWindow()->id, anchor->id);
    trust.trusted = false;
    EXPECT_FALSE(service.anchorFrontmostWindow());

    // This program's menu holds the focus: the frontmost application is meant,
    // and when that is this program too, nothing is.
    desktop.stack[0].owner = desktop.own;
    desktop.focusedApp = desktop.own;
    desktop.addApp(desktop.own, "Vortaxis").focusedWindow = 0;
    desktop.addWindow(200, {0, 0, 500, 400}, 43);
    EXPECT_EQ(findTargetWindow(desktop, desktop.own), Found({200, e1, 43}));
    desktop.frontmost = desktop.own;
    EXPECT_FALSE(findTargetWindow(desktop, desktop.own));
}

TEST_F(WindowServiceTest, ElementWithoutIdTakesTheIdFromTheWindowListOrGoesWithout) {
    const auto w = addFocusedApp(200, "Editor", 0); // the platform answers id 0
    desktop.stack[w].listed = false;
    desktop.stack[desktop.addWindow(200, {0, 0, 300, 300}, 77)].exposed = false;
    EXPECT_EQ(findTargetWindow(desktop, desktop.own), Found({200, e0, 77}));
    desktop.stack[1].listed = false;
    EXPECT_EQ(findTargetWindow(desktop, desktop.own), Found({200, e0, std::nullopt}));
    EXPECT_TRUE(service.anchorFrontmostWindow());
    // An immovable element is anchored only when the server can move it by id.
    desktop.stack[w].positionSettable = desktop.stack[w].sizeSettable = false;
    EXPECT_FALSE(service.anchorFrontmostWindow());
    desktop.stack[w].id = 42;
    EXPECT_TRUE(service.anchorFrontmostWindow());
}

TEST_F(WindowServiceTest, ApplicationHidingItsWindowsIsReachedThroughTheList) {
    desktop.addApp(200, "Chat").windowsStatus = axstatus::attributeUnsupported;
    desktop.frontmost = 200;
    desktop.addWindow(200, {10, 10, 20, 20}, 54); // too small to be meant
    desktop.addWindow(200, {0, 0, 600, 500}, 55);
    EXPECT_EQ(findTargetWindow(desktop, desktop.own), Found({200, std::nullopt, 55}));
    EXPECT_TRUE(service.anchorFrontmostWindow());

    // A helper process inside the application's bundle owns the window.
    desktop.apps[200].info.bundlePath = "/opt/Chat.app";
    desktop.addApp(201, "Renderer", "/opt/Chat.app/Contents/Renderer");
    desktop.stack[1].owner = 201;
    EXPECT_EQ(findTargetWindow(desktop, desktop.own), Found({201, e1, 55}));
}

TEST_F(WindowServiceTest, AnotherApplicationsWindowNeverStandsInForTheTarget) {
    desktop.addApp(200, "Browser");
    desktop.addApp(300, "WeChat");
    desktop.addApp(desktop.own, "Browser"); // this program, named alike, its menu in front
    desktop.addWindow(desktop.own, {0, 0, 600, 500}, 60);
    desktop.addWindow(300, {0, 0, 600, 500}, 61); // in front of the target's own
    desktop.stack[desktop.addWindow(200, {0, 0, 600, 500}, 62)].editEntry = [](WindowListEntry& e) {
        e.ownerName = "Renderer";
    };
    EXPECT_EQ(matchingWindowFromList(desktop, 200, desktop.own)->windowID, 62u);
    desktop.stack[2].owner = 400;
    EXPECT_FALSE(matchingWindowFromList(desktop, 200, desktop.own));
    // The chat program's other spelling does name the same owner.
    desktop.addApp(301, "\u5fae\u4fe1");
    desktop.stack[1].owner = 301;
    EXPECT_EQ(matchingWindowFromList(desktop, 300, desktop.own), Found({301, e1, 61}));
}

TEST(OwnerNamesAndPaths, MatchOnlyTheSameApplication) {
    using Name = std::optional<std::string>;
    const std::tuple<Name, Name, bool> names[] = {
        {"Terminal", "Terminal", true},   {"Terminal", "terminal", false},
        {"WeChat", "\u5fae\u4fe1", true}, {"\u5fae\u4fe1", "WECHAT Helper", true},
        {"WeChat", "Terminal", false},    {std::nullopt, std::nullopt, false},
    };
    for (const auto& [target, owner, match] : names)
        EXPECT_EQ(ownerNamesMatch(target, owner), match)
            << target.value_or("-") << owner.value_or("-");
    const std::tuple<std::string, std::string, bool> paths[] = {
        {"/opt/Studio.app/Contents/Helper", "/opt/Studio.app", true},
        {"/opt/Studio.app", "/opt/Studio.app/Contents/Helper", true},
        {"/opt/Studio.app/A/Helper.app", "/opt/Studio.app/B", true},
        {"/opt/Studio.app", "/opt/Other.app", false},
        {"/usr/bin/x", "/usr/bin/xterm", false}, // a name prefix is not a path prefix
        {"", "/opt/Studio.app", false},
    };
    for (const auto& [owner, target, match] : paths)
        EXPECT_EQ(bundlePathsMatch(owner, target), match) << owner << " / " << target;
}

TEST_F(WindowServiceTest, ListedWindowsMustBeOrdinaryAndAtLeastFortyPoints) {
    desktop.addApp(200, "Editor");
    using B = std::optional<WindowListBounds>;
    const std::pair<B, bool> cases[] = {
        {WindowListBounds{0, 0, 39, 300}, false}, {WindowListBounds{0, 0, 300, 39.9}, false},
        {WindowListBounds{0, 0, 40, 40}, true},   {std::nullopt, true},
        {WindowListBounds{0, 0, {}, 300}, false},
    };
    for (const auto& [bounds, picked] : cases) {
        desktop.stack.clear();
        desktop.stack[desktop.addWindow(200, {}, 5)].editEntry = [&](WindowListEntry& e) {
            e.bounds = bounds;
        };
        EXPECT_EQ(frontWindowID(desktop, 200, std::nullopt).has_value(), picked);
        EXPECT_EQ(matchingWindowFromList(desktop, 200, desktop.own).has_value(), picked);
    }
    desktop.stack.clear();
    desktop.stack[desktop.addWindow(200, {0, 0, 500, 500}, 1)].layer = 25;
    desktop.stack[desktop.addWindow(200, {0, 0, 500, 500}, 2)].editEntry = [](WindowListEntry& e) {
        e.layer.reset();
    };
    desktop.addWindow(200, {0, 0, 500, 500}, 3);
    EXPECT_EQ(frontWindowID(desktop, 200, std::nullopt), 3u);
    EXPECT_FALSE(frontWindowID(desktop, 200, 200));
}

TEST_F(WindowServiceTest, BestElementIsTheLargestMovableWindow) {
    desktop.addApp(200, "Editor");
    desktop.addWindow(200, {0, 0, 400, 300});
    desktop.addWindow(200, {50, 50, 300, 400}); // as large: the later wins
    EXPECT_EQ(windowElement(desktop, 200, std::nullopt), e1);
    desktop.stack[1].positionSettable = desktop.stack[1].sizeSettable = false;
    EXPECT_EQ(windowElement(desktop, 200, std::nullopt), e0);
    desktop.stack[1].id = 9; // with an id, the window that has it, even one that cannot move
    EXPECT_EQ(windowElement(desktop, 200, 9u), e1);
}
