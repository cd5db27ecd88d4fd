// A headless KWin for the tests: a copy of kwin_wayland (the packaged binary
// may carry a file capability a container refuses at exec; the copy keeps the
// name, which KWin checks) on virtual outputs, on the suite's private bus,
// with fake input and screenshots allowed. Waits are on the bus, never sleeps.
#pragma once

#include <QProcess>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>

namespace vx::test {

// Runs the Qt event loop until `ready` holds or `deadline` has passed.
bool waitUntil(const std::function<bool()>& ready,
               std::chrono::milliseconds deadline = std::chrono::milliseconds(5000));

class HeadlessKWin {
public:
    struct Options {
        int outputs = 2;
        int width = 1280;
        int height = 800;
    };
    // Nothing, and why in `error`, when KWin did not come up on the bus.
    static std::unique_ptr<HeadlessKWin> start(Options options, QString* error);
    ~HeadlessKWin();

    // Ends KWin without warning, as a crash would; waits until its bus name is gone.
    bool kill();
    QString socket() const { return socket_; }
    // A plain Wayland client window of `title` on this KWin; stopped with the KWin.
    QProcess* openWindow(const QString& title, int width = 400, int height = 300);

private:
    HeadlessKWin() = default;
    std::unique_ptr<QProcess> kwin_;
    std::vector<std::unique_ptr<QProcess>> clients_;
    QString socket_;
};

// A picture of KWin's whole workspace through its ScreenShot2 interface,
// saved as PNG at `path`; false when KWin gave none.
bool saveScreenshot(const QString& path);

// Whether kwin_wayland is installed at all (the suite skips without it).
bool kwinInstalled();

} // namespace vx::test
