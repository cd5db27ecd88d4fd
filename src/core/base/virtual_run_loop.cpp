// Deterministic run loop: see the header.
#include "core/base/virtual_run_loop.h"


namespace vx {

struct VirtualRunLoop::Entry {
    TimePoint due;
    Seconds interval;
    bool repeats = false;
    bool valid = true;
    std::function<void()> action;
};

class VirtualRunLoop::Handle final : public Timer {
public:
    Handle(std::weak_ptr<std::map<unsigned long, std::shared_ptr<Entry>>> timers, unsigned long id,
           std::shared_ptr<Entry> entry)
        : timers_(std::move(timers)), id_(id), entry_(std::move(entry)) {}
    ~Handle() override { invalidate(); }

    void invalidate() override {
        entry_->valid = false;
        if (auto timers = timers_.lock())
            timers->erase(id_);
    }
    bool isValid() const override { return entry_->valid; }

private:
    std::weak_ptr<std::map<unsigned long, std::shared_ptr<Entry>>> timers_;
    unsigned long id_;
    std::shared_ptr<Entry> entry_;
};

VirtualRunLoop::VirtualRunLoop()
    : now_(TimePoint{} + std::chrono::hours(1)),
      timers_(std::make_shared<std::map<unsigned long, std::shared_ptr<Entry>>>()) {}

VirtualRunLoop::~VirtualRunLoop() = default;

void VirtualRunLoop::post(std::function<void()> task) { tasks_.push_back(std::move(task)); }

std::unique_ptr<Timer> VirtualRunLoop::scheduleOnce(Seconds interval,
                                                    std::function<void()> action) {
    return schedule(interval, false, std::move(action));
}

std::unique_ptr<Timer> VirtualRunLoop::scheduleRepeating(Seconds interval,
                                                         std::function<void()> action) {
    return schedule(interval, true, std::move(action));
}

std::unique_ptr<Timer> VirtualRunLoop::schedule(Seconds interval, bool repeats,
                                                std::function<void()> action) {
    // A repeating timer of zero interval would never let time advance.
    if (repeats && interval <= Seconds(0))
        interval = Seconds(1e-6);
    auto entry = std::make_shared<Entry>();
    entry->due = now_ + interval;
    entry->interval = interval;
    entry->repeats = repeats;
    entry->action = std::move(action);
    const auto id = nextId_++;
    timers_->emplace(id, entry);
    return std::make_unique<Handle>(timers_, id, entry);
}

int VirtualRunLoop::drain() {
    int ran = 0;
    while (!tasks_.empty()) {
        auto task = std::move(tasks_.front());
        tasks_.pop_front();
        task();
        ++ran;
    }
    return ran;
}

void VirtualRunLoop::advance(Seconds by) {
    const TimePoint end = now_ + by;
    drain();
    for (;;) {
        // Earliest due timer; ties go to the one scheduled first.
        std::shared_ptr<Entry> next;
        for (const auto& [id, entry] : *timers_) {
            if (entry->valid && entry->due <= end && (!next || entry->due < next->due))
                next = entry;
        }
        if (!next)
            break;
        if (next->due > now_)
            now_ = next->due;
        if (next->repeats) {
            next->due = next->due + next->interval;
        } else {
            next->valid = false;
            for (auto it = timers_->begin(); it != timers_->end(); ++it) {
                if (it->second == next) {
                    timers_->erase(it);
                    break;
                }
            }
        }
        auto action = next->action; // the action may invalidate its own timer
        action();
        drain();
    }
    now_ = end;
}

int VirtualRunLoop::activeTimerCount() const {
    int count = 0;
    for (const auto& [id, entry] : *timers_)
        count += entry->valid ? 1 : 0;
    return count;
}

} // namespace vx
