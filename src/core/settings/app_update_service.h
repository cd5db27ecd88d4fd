// Checks, at the user's request, whether a newer Vortaxis exists. One check at
// a time: `canCheckForUpdates` is false while one runs, and every check ends in
// exactly one outcome, a success or a readable failure, within its timeout.
#pragma once

#include "core/base/defaults_store.h"
#include "core/base/lifetime.h"
#include "core/base/observable.h"
#include "core/base/result.h"
#include "core/base/run_loop.h"
#include "core/settings/update_feed.h"

#include <functional>
#include <memory>
#include <string>

namespace vx {

struct FetchError {
    enum class Kind { unreachable, timedOut, httpStatus, tooLarge };
    Kind kind = Kind::unreachable;
    int httpStatus = 0;
    std::string detail; // the network layer's own words, for the curious
};

// A running request; destroying it abandons the request and its callback.
class PendingFetch {
public:
    virtual ~PendingFetch() = default;
};

// The network seam: one GET of a small document. Qt implements it over HTTPS.
class HttpFetcher {
public:
    virtual ~HttpFetcher() = default;
    // `done` runs once, later, on the main thread (never from inside fetch),
    // unless the returned handle is destroyed first.
    [[nodiscard]] virtual std::unique_ptr<PendingFetch>
    fetch(const std::string& url, Seconds timeout,
          std::function<void(Result<std::string, FetchError>)> done) = 0;
};

struct UpdateCheckOutcome {
    enum class Kind { upToDate, updateAvailable, failed };
    Kind kind = Kind::failed;
    std::string title;
    std::string message;
    std::string notes;       // updateAvailable only, may be empty
    std::string downloadURL; // updateAvailable only
};

class AppUpdateService {
public:
    static constexpr Seconds defaultTimeout{10.0};

    // `currentVersion` is the running program's version; `builtInFeedURL` the
    // address a packager chose at build time, empty when there is none.
    AppUpdateService(RunLoop& runLoop, HttpFetcher& fetcher, const DefaultsStore& defaults,
                     std::string currentVersion, std::string builtInFeedURL,
                     Seconds timeout = defaultTimeout);
    ~AppUpdateService();
    AppUpdateService(const AppUpdateService&) = delete;
    AppUpdateService& operator=(const AppUpdateService&) = delete;

    // False until the service has settled in on the main loop, and while a
    // check runs.
    const Observable<bool>& canCheckForUpdates() const { return canCheckForUpdates_; }

    // Starts a check; ignored while one is running.
    void checkForUpdates();

    // Told of each finished check, on the main thread.
    void setOnOutcome(std::function<void(const UpdateCheckOutcome&)> callback) {
        onOutcome_ = std::move(callback);
    }

    // The address in the defaults store, else the built-in one; empty when
    // neither is set.
    std::string feedURL() const;
    // Whether there is anywhere to check at all. Without a feed, updates come
    // from the package manager and no check is offered.
    bool hasFeed() const { return !feedURL().empty(); }

private:
    void finish(const Result<std::string, FetchError>& answer);
    void report(UpdateCheckOutcome outcome);

    RunLoop& runLoop_;
    HttpFetcher& fetcher_;
    const DefaultsStore& defaults_;
    std::string currentVersion_;
    std::string builtInFeedURL_;
    Seconds timeout_;
    Observable<bool> canCheckForUpdates_{false};
    std::function<void(const UpdateCheckOutcome&)> onOutcome_;
    std::unique_ptr<PendingFetch> pending_;
    std::unique_ptr<Timer> deadline_;
    Lifetime lifetime_;
};

// The texts of one finished check.
UpdateCheckOutcome outcomeForFeed(const Result<UpdateFeed, FeedError>& feed,
                                  const std::string& currentVersion);
UpdateCheckOutcome outcomeForFetchError(const FetchError& error);
UpdateCheckOutcome outcomeForInvalidAddress(const std::string& url);
UpdateCheckOutcome outcomeForNoFeed();

} // namespace vx
