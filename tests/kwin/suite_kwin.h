// The one KWin the suite shares (two 1280 x 800 outputs side by side), and the
// bridge of a test: started against it, waited for until the script reports.
#pragma once

#include "headless_kwin.h"
#include "kwin/kwin_bridge.h"

#include <gtest/gtest.h>

namespace vx::test {

// Starts the shared KWin on first use and again after a test killed it.
HeadlessKWin* suiteKWin();
// Ends the shared KWin for good, before Qt's application object goes.
void stopSuiteKWin();
// Ends the shared KWin as a crash would; the next suiteKWin() starts another.
bool killSuiteKWin();

// A bridge whose script has reported; fails the test when it does not.
std::unique_ptr<kwin::KWinBridge> reportingBridge();

// A copy of the window of `title` as the bridge's script reports it, once it does.
std::optional<kwin::KWinWindow> reportedWindow(const kwin::KWinBridge& bridge,
                                               const QString& title);

} // namespace vx::test

// Skips a test that needs KWin where it is not installed.
#define VX_REQUIRE_KWIN()                                                                          \
    do {                                                                                           \
        if (!::vx::test::kwinInstalled())                                                          \
            GTEST_SKIP() << "kwin_wayland is not installed";                                       \
        ASSERT_NE(::vx::test::suiteKWin(), nullptr);                                               \
    } while (false)
