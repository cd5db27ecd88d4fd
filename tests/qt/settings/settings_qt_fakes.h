// Stand-ins for the services behind the settings window, recording what the
// window asks of them, and a run loop on Qt's event loop for the update check.
#pragma once

#include "core/base/run_loop.h"
#include "core/settings/settings_seams.h"
#include "settings/settings_fakes.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

namespace vx::testing {

class FakePermissions final : public SettingsPermissions {
public:
    bool isAccessibilityTrusted() const override { return trusted.get(); }
    Subscription observeTrust(std::function<void(bool)> observer) override {
        return trusted.observe(std::move(observer));
    }
    void refresh() override {
        calls.push_back("refresh");
        trusted.set(systemAnswer);
    }
    void requestAccess() override {
        calls.push_back("requestAccess");
        trusted.set(systemAnswer);
    }
    void openAccessibilitySettings() override { calls.push_back("openAccessibilitySettings"); }

    Observable<bool> trusted{false};
    bool systemAnswer = false; // what the system says at the next refresh
    std::vector<std::string> calls;
};

class FakeHotkeys final : public SettingsHotkeys {
public:
    HotkeyBinding binding() const override { return binding_.get(); }
    void setBinding(const HotkeyBinding& binding) override { binding_.set(binding); }
    Subscription observeBinding(std::function<void(const HotkeyBinding&)> observer) override {
        return binding_.observe(std::move(observer));
    }
    double holdDelay() const override { return delay_.get(); }
    void setHoldDelay(double seconds) override {
        delay_.set(seconds);
        delay_.set(std::clamp(seconds, 0.05, 1.0));
    }
    Subscription observeHoldDelay(std::function<void(double)> observer) override {
        return delay_.observe(std::move(observer));
    }

private:
    Observable<HotkeyBinding> binding_{HotkeyBinding::defaultBinding()};
    Observable<double> delay_{0.2};
};

// Core's run loop on Qt timers, enough for the update check's deadline.
class TestQtRunLoop final : public RunLoop {
public:
    void post(std::function<void()> task) override {
        QTimer::singleShot(0, &context_, std::move(task));
    }
    std::unique_ptr<Timer> scheduleOnce(Seconds interval, std::function<void()> action) override {
        auto timer = std::make_unique<QtTimer>();
        timer->timer.setSingleShot(true);
        QObject::connect(&timer->timer, &QTimer::timeout, std::move(action));
        timer->timer.start(static_cast<int>(interval.count() * 1000));
        return timer;
    }
    std::unique_ptr<Timer> scheduleRepeating(Seconds interval,
                                             std::function<void()> action) override {
        auto timer = std::make_unique<QtTimer>();
        QObject::connect(&timer->timer, &QTimer::timeout, std::move(action));
        timer->timer.start(static_cast<int>(interval.count() * 1000));
        return timer;
    }
    TimePoint now() const override { return Clock::now(); }

private:
    struct QtTimer final : Timer {
        QTimer timer;
        void invalidate() override { timer.stop(); }
        bool isValid() const override { return timer.isActive(); }
    };
    QObject context_;
};

} // namespace vx::testing
