// The KWin suite's harness: one headless KWin shared by the tests (two 1280 x
// 800 outputs side by side, on the suite's private bus, fake input and
// screenshots allowed), its client windows, fake input, and the bridge of a
// test. Every wait is on the bus or a Wayland round trip, never a sleep.
#pragma once

#include "kwin/kwin_bridge.h"

#include <QDBusMessage>
#include <QProcess>
#include <chrono>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace vx::test {

// Runs the Qt event loop until `ready` holds or `deadline` has passed.
bool waitUntil(const std::function<bool()>& ready,
               std::chrono::milliseconds deadline = std::chrono::milliseconds(5000));
// Starts the shared KWin on first use and after a kill; false, with the test failed, if it fails.
bool kwinUp();
// Ends it as a crash would; true once its bus name is gone.
bool killKWin();
// A 500 x 400 client window of `title`, or a 30 px panel atop the first output.
void openWindow(const QString& title, bool panel = false);

// Keys (evdev codes), pointer and wheel; each call returns once KWin has it.
namespace fake {
void key(std::uint32_t evdev, bool pressed);
void moveTo(double x, double y);
void button(std::uint32_t linuxButton, bool pressed); // 0x110 left
void wheel(double value);                             // vertical, 15 per notch
} // namespace fake

// A bridge whose script has reported; fails the test when it does not.
std::unique_ptr<kwin::KWinBridge>
reportingBridge(const QString& name = QString::fromLatin1(kwin::scriptPluginName),
                qint64 ownPid = 0);
// The window of `title` as the bridge's script reports it, once it does.
std::optional<kwin::KWinWindow> reportedWindow(const kwin::KWinBridge& bridge,
                                               const QString& title);
QDBusMessage callBus(const QString& service, const QString& path, const QString& interface,
                     const QString& method, const QVariantList& arguments);
QDBusMessage callScripting(const QString& method, const QVariantList& arguments);
bool saveScreenshot(const QString& path); // KWin's whole workspace as a PNG

} // namespace vx::test
