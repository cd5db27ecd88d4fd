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

TEST_F(WindowServiceTest, FocusedWindowWithAnIdIsTakenWithoutReadingTheList) {
    addFocusedApp(200, "Editor", 42);
    EXPECT_EQ(findTargetWindow(desktop, desktop.own), Found({200, e0, 42}));
    EXPECT_EQ(desktop.count("onScreenWindows"), 0u);

    const auto anchor = service.anchorFrontmostWindow();
    ASSERT_TRUE(anchor);
    EXPECT_EQ(anchor->processID, 200);
    EXPECT_NE(service.anchorFrontmostWindow()->id, anchor->id); // fresh id each time
}

TEST_F(WindowServiceTest, ThisProgramBeingFrontmostIsNeverTheTarget) {
    addFocusedApp(desktop.own, "Vortaxis", 7);
    EXPECT_FALSE(service.anchorFrontmostWindow());

    // Its menu holds the focus, but the user was working in another application.
    desktop.addApp(200, "Editor");
    desktop.addWindow(200, {0, 0, 500, 400}, 42);
    desktop.frontmost = 200;
    EXPECT_EQ(findTargetWindow(desktop, desktop.own), Found({200, e1, 42}));
    EXPECT_EQ(service.anchorFrontmostWindow()->processID, 200);
}

TEST_F(WindowServiceTest, NoTrustOrNoApplicationGivesNoAnchor) {
    addFocusedApp(200, "Editor", 42);
    trust.trusted = false;
    EXPECT_FALSE(service.anchorFrontmostWindow());
    EXPECT_EQ(desktop.calls.size(), 0u);

    trust.trusted = true;
    desktop.focusedApp.reset();
    desktop.frontmost.reset();
    EXPECT_FALSE(service.anchorFrontmostWindow());
}

TEST_F(WindowServiceTest, ElementWithoutIdTakesTheIdFromTheWindowList) {
    const auto w = addFocusedApp(200, "Editor", 0); // the platform answers id 0
    desktop.stack[w].listed = false;
    desktop.stack[desktop.addWindow(200, {0, 0, 300, 300}, 77)].exposed = false;
    EXPECT_EQ(findTargetWindow(desktop, desktop.own), Found({200, e0, 77}));

    // Nothing in the list either: the element alone is anchored, if it can move.
    desktop.stack[1].listed = false;
    desktop.stack[w].idStatus = axstatus::failure;
    EXPECT_EQ(findTargetWindow(desktop, desktop.own), Found({200, e0, std::nullopt}));
    EXPECT_TRUE(service.anchorFrontmostWindow());

    desktop.stack[w].positionSettable = false;
    desktop.stack[w].sizeSettable = false;
    EXPECT_FALSE(service.anchorFrontmostWindow());
}

TEST_F(WindowServiceTest, ImmovableElementIsAnchoredWhenItsIdIsKnown) {
    const auto w = addFocusedApp(200, "Editor", 42);
    desktop.stack[w].positionSettable = false;
    desktop.stack[w].settableStatus = axstatus::cannotComplete;
    EXPECT_TRUE(service.anchorFrontmostWindow());
}

TEST_F(WindowServiceTest, ApplicationHidingItsWindowsIsReachedThroughTheList) {
    auto& app = desktop.addApp(200, "Chat");
    app.windowsStatus = axstatus::attributeUnsupported;
    desktop.frontmost = 200;
    desktop.addWindow(200, {10, 10, 20, 20}, 54); // too small
    desktop.addWindow(200, {0, 0, 600, 500}, 55);
    EXPECT_EQ(findTargetWindow(desktop, desktop.own), Found({200, std::nullopt, 55}));
    EXPECT_EQ(service.anchorFrontmostWindow()->processID, 200);
}

TEST_F(WindowServiceTest, WindowOfAHelperProcessInsideTheBundleIsMatchedToItsOwner) {
    desktop.addApp(200, "Studio", "/opt/Studio.app");
    desktop.addApp(201, "Studio Helper", "/opt/Studio.app/Contents/Helpers/Render");
    desktop.frontmost = 200;
    desktop.addWindow(201, {0, 0, 600, 500}, 60);
    // The anchor belongs to the process that owns the window.
    EXPECT_EQ(findTargetWindow(desktop, desktop.own), Found({201, e0, 60}));
}

TEST_F(WindowServiceTest, AnotherApplicationsWindowNeverStandsInForTheTarget) {
    // A chat window lies in front of the target's own window; neither side may
    // take the other's window just because one of them is the chat program.
    auto& browser = desktop.addApp(200, "Browser");
    browser.windowsStatus = axstatus::attributeUnsupported;
    desktop.addApp(300, "WeChat");
    desktop.addWindow(300, {0, 0, 600, 500}, 61);
    desktop.stack[desktop.addWindow(200, {0, 0, 600, 500}, 62)].listedOwnerName =
        "Browser Renderer";
    EXPECT_EQ(matchingWindowFromList(desktop, 200, desktop.own)->windowID, 62u);

    desktop.stack[1].owner = 400; // the browser's window is gone
    EXPECT_FALSE(matchingWindowFromList(desktop, 200, desktop.own));

    // The chat program's other spelling does name the same owner.
    desktop.addApp(301, "\u5fae\u4fe1");
    desktop.stack[0].owner = 301;
    desktop.stack[0].listedOwnerName = "\u5fae\u4fe1";
    EXPECT_EQ(matchingWindowFromList(desktop, 300, desktop.own)->windowID, 61u);
    EXPECT_EQ(matchingWindowFromList(desktop, 300, desktop.own)->processID, 301);
}

TEST(OwnerNames, MatchWhenEqualOrWhenBothSpellTheChatProgram) {
    using Name = std::optional<std::string>;
    struct Case {
        Name target, owner;
        bool match;
    };
    const Case cases[] = {
        {"Terminal", "Terminal", true},    {"Terminal", "terminal", false},
        {"WeChat", "\u5fae\u4fe1", true},  {"\u5fae\u4fe1", "WECHAT Helper", true},
        {"WeChat", "Terminal", false},     {"Terminal", "WeChat", false},
        {"Terminal", std::nullopt, false}, {std::nullopt, std::nullopt, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ownerNamesMatch(c.target, c.owner), c.match)
            << c.target.value_or("-") << " / " << c.owner.value_or("-");
}

TEST(BundlePaths, MatchTheSameBundleOrAPathInsideIt) {
    struct Case {
        std::string owner, target;
        bool match;
    };
    const Case cases[] = {
        {"/opt/Studio.app", "/opt/Studio.app", true},
        {"/opt/Studio.app/Contents/Helper", "/opt/Studio.app", true},
        {"/opt/Studio.app", "/opt/Studio.app/Contents/Helper", true},
        {"/opt/Studio.app/A/Helper.app", "/opt/Studio.app/B", true}, // same bundle root
        {"/opt/Studio.app", "/opt/Other.app", false},
        {"/usr/bin/x", "/usr/bin/xterm", false}, // a name prefix is not a path prefix
        {"/opt/Studio.apple/bin", "/opt/Studio.app/bin", false},
        {"", "/opt/Studio.app", false},
        {"/opt/Studio.app", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bundlePathsMatch(c.owner, c.target), c.match) << c.owner << " / " << c.target;
}

TEST_F(WindowServiceTest, ListedWindowsSmallerThanFortyPointsAreNeverPicked) {
    desktop.addApp(200, "Editor");
    struct Case {
        std::optional<WindowListBounds> bounds;
        bool picked;
    };
    const Case cases[] = {
        {WindowListBounds{0, 0, 39, 300}, false},
        {WindowListBounds{0, 0, 300, 39.9}, false},
        {WindowListBounds{0, 0, 40, 40}, true},
        {std::nullopt, true},                               // no bounds: passes
        {WindowListBounds{0, 0, std::nullopt, 300}, false}, // width missing
    };
    for (const auto& c : cases) {
        desktop.stack.clear();
        desktop.stack[desktop.addWindow(200, {}, 5)].editEntry = [&](WindowListEntry& e) {
            e.bounds = c.bounds;
        };
        EXPECT_EQ(frontWindowID(desktop, 200, std::nullopt).has_value(), c.picked);
        EXPECT_EQ(matchingWindowFromList(desktop, 200, desktop.own).has_value(), c.picked);
    }
}

TEST_F(WindowServiceTest, ListEntriesMissingFieldsOrOffLayerAreSkipped) {
    desktop.addApp(200, "Editor");
    desktop.stack[desktop.addWindow(200, {0, 0, 500, 500}, 1)].layer = 25;
    desktop.stack[desktop.addWindow(200, {0, 0, 500, 500}, 2)].editEntry = [](WindowListEntry& e) {
        e.layer.reset();
    };
    desktop.addWindow(200, {0, 0, 500, 500}, 3);
    EXPECT_EQ(frontWindowID(desktop, 200, std::nullopt), 3u);
    EXPECT_FALSE(frontWindowID(desktop, 200, 200));

    desktop.listReadable = false;
    EXPECT_FALSE(frontWindowID(desktop, 200, std::nullopt));
}

TEST_F(WindowServiceTest, BestElementIsTheLargestMovableWindowLaterWinningTies) {
    desktop.addApp(200, "Editor");
    desktop.addWindow(200, {0, 0, 400, 300});
    desktop.addWindow(200, {50, 50, 300, 400});
    EXPECT_EQ(windowElement(desktop, 200, std::nullopt), e1); // equal areas: the later

    desktop.stack[1].frame.size = {100, 100};
    EXPECT_EQ(windowElement(desktop, 200, std::nullopt), e0);

    // A larger window that cannot move loses; none movable gives the first.
    desktop.stack[0].positionSettable = desktop.stack[0].sizeSettable = false;
    EXPECT_EQ(windowElement(desktop, 200, std::nullopt), e1);
    desktop.stack[1].settableStatus = axstatus::failure;
    EXPECT_EQ(windowElement(desktop, 200, std::nullopt), e0);

    // With an id, the window that has it, even a small one.
    desktop.stack[1].id = 9;
    EXPECT_EQ(windowElement(desktop, 200, 9u), e1);
}

TEST_F(WindowServiceTest, WindowWithIdIsFoundUnderWhicheverProcessOwnsIt) {
    desktop.addApp(200, "Editor");
    desktop.addWindow(200, {0, 0, 400, 300}, 5);
    desktop.addWindow(200, {0, 0, 800, 600}, 6);
    EXPECT_EQ(elementForWindowID(desktop, 5, desktop.own), e0);
    EXPECT_FALSE(elementForWindowID(desktop, 5, 200));
}

TEST_F(WindowServiceTest, BoundsReadsFallBackToTheServerAndRejectEmptyRects) {
    desktop.addApp(200, "Editor");
    desktop.addWindow(200, {-10, 20, 300, 200}, 5);
    EXPECT_EQ(currentWindowRect(desktop, 5), Rect(-10, 20, 300, 200));

    desktop.stack[0].editEntry = [](WindowListEntry& e) { e.bounds->x.reset(); };
    EXPECT_EQ(cgWindowBounds(desktop, 5), Rect(0, 20, 300, 200)); // missing X reads 0
    desktop.stack[0].editEntry = [](WindowListEntry& e) { e.bounds->height.reset(); };
    EXPECT_FALSE(cgWindowBounds(desktop, 5));
    EXPECT_EQ(currentWindowRect(desktop, 5), Rect(-10, 20, 300, 200)); // from the server

    desktop.stack[0].frame.size.height = 0;
    desktop.stack[0].editEntry = nullptr;
    EXPECT_FALSE(currentWindowRect(desktop, 5));
}

TEST_F(WindowServiceTest, HubInfoNamesTheApplicationWithFallbacks) {
    auto& named = desktop.addApp(200, "Editor");
    named.icon = Image{1, 1, {1, 2, 3, 4}};
    auto& byBundle = desktop.addApp(201, std::nullopt);
    byBundle.info.bundleIdentifier = "org.example.tool";
    desktop.addApp(202, std::nullopt);

    const auto info = service.targetAppInfo(200);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->name, "Editor");
    EXPECT_EQ(info->icon, named.icon);
    EXPECT_EQ(service.targetAppInfo(201)->name, "org.example.tool");
    EXPECT_EQ(service.targetAppInfo(202)->name, "App");
    EXPECT_FALSE(service.targetAppInfo(0));
    EXPECT_FALSE(service.targetAppInfo(999));

    desktop.addApp(desktop.own, "Vortaxis");
    EXPECT_FALSE(service.targetAppInfo(desktop.own));
    desktop.frontmost = desktop.own;
    EXPECT_FALSE(service.frontmostAppInfo());
    desktop.frontmost = 201;
    EXPECT_EQ(service.frontmostAppInfo(), (TargetAppInfo{201, "org.example.tool", {}}));
}
