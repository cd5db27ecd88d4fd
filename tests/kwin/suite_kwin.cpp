// The shared KWin and the waits every live test begins with.
#include "suite_kwin.h"

#include <QDBusConnection>

namespace vx::test {

namespace {
std::unique_ptr<HeadlessKWin>& shared() {
    static std::unique_ptr<HeadlessKWin> kwin;
    return kwin;
}
} // namespace

HeadlessKWin* suiteKWin() {
    if (!shared()) {
        QString error;
        shared() = HeadlessKWin::start({}, &error);
        if (!shared())
            ADD_FAILURE() << error.toStdString();
    }
    return shared().get();
}

void stopSuiteKWin() {
    shared().reset();
}

bool killSuiteKWin() {
    const bool gone = shared()->kill();
    shared().reset();
    return gone;
}

std::unique_ptr<kwin::KWinBridge> reportingBridge() {
    QString error;
    auto bridge = kwin::KWinBridge::start(QDBusConnection::sessionBus(), &error);
    if (!bridge) {
        ADD_FAILURE() << error.toStdString();
        return nullptr;
    }
    if (!waitUntil([&] { return bridge->isReporting(); }))
        ADD_FAILURE() << "the KWin script never reported";
    return bridge;
}

std::optional<kwin::KWinWindow> reportedWindow(const kwin::KWinBridge& bridge,
                                               const QString& title) {
    std::optional<kwin::KWinWindow> found;
    waitUntil([&] {
        for (const auto& w : bridge.desktop().windows)
            if (w.caption == title)
                found = w;
        return found.has_value();
    });
    return found;
}

} // namespace vx::test
