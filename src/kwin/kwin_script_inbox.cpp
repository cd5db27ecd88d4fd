// The script's calls are kept, not acted on, here: acting on them is the
// program thread's business, whether it takes them from its event loop or
// from inside a read that waits for them.
#include "kwin/kwin_script_inbox.h"

#include <utility>

namespace vx::kwin {

ScriptMail ScriptInbox::take() {
    std::lock_guard lock(mutex_);
    return std::exchange(mail_, {});
}

bool ScriptInbox::waitForMail(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    return mailCame_.wait_until(lock, deadline,
                                [this] { return !mail_.reports.empty() || mail_.next; });
}

void ScriptInbox::report(const QString& json) {
    {
        std::lock_guard lock(mutex_);
        mail_.reports.push_back(json);
    }
    arrived();
}

QString ScriptInbox::next() {
    setDelayedReply(true);
    {
        std::lock_guard lock(mutex_);
        mail_.next = message();
    }
    arrived();
    return {};
}

void ScriptInbox::arrived() {
    mailCame_.notify_all();
    if (onMail_)
        onMail_();
}

} // namespace vx::kwin
