// Qt timers have millisecond resolution; a repeating timer is therefore run as a
// chain of one-shot Qt timers aimed at absolute deadlines (start + n * interval),
// so a 1/60 s aim tick averages 60 Hz instead of the 58.8 Hz a rounded 17 ms
// period would give. Ticks missed while the loop was busy are skipped, not
// replayed in a burst.
#include "qt_run_loop.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QTimerEvent>
#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace vx {

namespace {

struct TimerEntry {
    std::function<void()> action;
    Clock::duration interval{};
    TimePoint deadline{};
    bool repeats = false;
    int qtId = 0; // the Qt timer now running for this entry, 0 when none
    bool valid = true;
};

int millisecondsUntil(TimePoint deadline) {
    const auto left = std::chrono::duration<double, std::milli>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp(std::ceil(left), 0.0, 2.0e9));
}

} // namespace

class QtRunLoop::Dispatcher final : public QObject {
public:
    void arm(const std::shared_ptr<TimerEntry>& entry) {
        entry->qtId = startTimer(millisecondsUntil(entry->deadline), Qt::PreciseTimer);
        if (entry->qtId != 0)
            running_.emplace(entry->qtId, entry);
        else
            entry->valid = false; // Qt refused a timer: behave as invalidated, never fire late
    }

    void cancel(TimerEntry& entry) {
        entry.valid = false;
        entry.action = nullptr; // drop captured state at once, as an invalidated timer should
        if (entry.qtId != 0) {
            killTimer(entry.qtId);
            running_.erase(entry.qtId);
            entry.qtId = 0;
        }
    }

    int activeCount() const { return static_cast<int>(running_.size()); }

    ~Dispatcher() override {
        for (auto& [id, entry] : running_) {
            entry->valid = false;
            entry->action = nullptr;
            entry->qtId = 0;
        }
    }

protected:
    void timerEvent(QTimerEvent* event) override {
        const auto found = running_.find(event->timerId());
        if (found == running_.end())
            return;
        const auto entry = found->second; // keeps the entry alive while its action runs
        killTimer(entry->qtId);
        running_.erase(found);
        entry->qtId = 0;

        // A Qt timer may wake a little early; fire only once the deadline is reached.
        if (Clock::now() < entry->deadline) {
            arm(entry);
            return;
        }
        auto action = entry->action; // the action may invalidate (and so clear) itself
        if (entry->repeats) {
            const auto now = Clock::now();
            do
                entry->deadline += entry->interval;
            while (entry->deadline <= now);
            arm(entry);
        } else {
            entry->valid = false;
            entry->action = nullptr;
        }
        if (action)
            action();
    }

private:
    std::unordered_map<int, std::shared_ptr<TimerEntry>> running_;
};

namespace {

class QtTimerHandle final : public Timer {
public:
    QtTimerHandle(std::weak_ptr<QtRunLoop::Dispatcher> dispatcher,
                  std::shared_ptr<TimerEntry> entry)
        : dispatcher_(std::move(dispatcher)), entry_(std::move(entry)) {}
    ~QtTimerHandle() override { invalidate(); }

    void invalidate() override {
        if (!entry_->valid)
            return;
        if (auto dispatcher = dispatcher_.lock())
            dispatcher->cancel(*entry_);
        entry_->valid = false;
        entry_->action = nullptr;
    }
    bool isValid() const override { return entry_->valid; }

private:
    std::weak_ptr<QtRunLoop::Dispatcher> dispatcher_;
    std::shared_ptr<TimerEntry> entry_;
};

std::unique_ptr<Timer> schedule(const std::shared_ptr<QtRunLoop::Dispatcher>& dispatcher,
                                Seconds interval, bool repeats, std::function<void()> action) {
    auto entry = std::make_shared<TimerEntry>();
    entry->action = std::move(action);
    // A repeating timer of zero period would spin the loop; one millisecond is the floor.
    const auto floor =
        repeats ? Clock::duration(std::chrono::milliseconds(1)) : Clock::duration::zero();
    const double seconds = std::isfinite(interval.count()) ? interval.count() : 0.0;
    entry->interval = std::max(
        floor, std::chrono::duration_cast<Clock::duration>(Seconds(std::max(0.0, seconds))));
    entry->deadline = Clock::now() + entry->interval;
    entry->repeats = repeats;
    dispatcher->arm(entry);
    return std::make_unique<QtTimerHandle>(dispatcher, std::move(entry));
}

} // namespace

QtRunLoop::QtRunLoop() : dispatcher_(std::make_shared<Dispatcher>()) {}

QtRunLoop::~QtRunLoop() = default;

void QtRunLoop::post(std::function<void()> task) {
    // Queued on the dispatcher: tasks still pending when the run loop goes away are dropped.
    QMetaObject::invokeMethod(
        dispatcher_.get(), [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

std::unique_ptr<Timer> QtRunLoop::scheduleOnce(Seconds interval, std::function<void()> action) {
    return schedule(dispatcher_, interval, false, std::move(action));
}

std::unique_ptr<Timer> QtRunLoop::scheduleRepeating(Seconds interval,
                                                    std::function<void()> action) {
    return schedule(dispatcher_, interval, true, std::move(action));
}

int QtRunLoop::activeTimerCount() const {
    return dispatcher_->activeCount();
}

} // namespace vx
