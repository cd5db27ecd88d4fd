// One update check from request to outcome, with its own deadline so that a
// network layer that never answers cannot leave the button disabled for good.
#include "core/settings/app_update_service.h"

#include "core/base/localization.h"

namespace vx {

AppUpdateService::AppUpdateService(RunLoop& runLoop, HttpFetcher& fetcher,
                                   const DefaultsStore& defaults, std::string currentVersion,
                                   std::string builtInFeedURL, Seconds timeout)
    : runLoop_(runLoop), fetcher_(fetcher), defaults_(defaults),
      currentVersion_(std::move(currentVersion)), builtInFeedURL_(std::move(builtInFeedURL)),
      timeout_(timeout) {
    runLoop_.post(lifetime_.guard([this] {
        if (!pending_)
            canCheckForUpdates_.set(true);
    }));
}

AppUpdateService::~AppUpdateService() = default;

std::string AppUpdateService::feedURL() const {
    if (auto url = defaults_.string(std::string(updateFeedURLKey)); url && !url->empty())
        return *url;
    return builtInFeedURL_;
}

void AppUpdateService::checkForUpdates() {
    if (pending_)
        return;
    const std::string url = feedURL();
    if (url.empty()) {
        report(outcomeForNoFeed());
        return;
    }
    if (!isAcceptableWebAddress(url)) {
        report(outcomeForInvalidAddress(url));
        return;
    }
    canCheckForUpdates_.set(false);
    // The handle exists before any answer can come: fetchers answer later.
    pending_ = fetcher_.fetch(url, timeout_, lifetime_.guard([this](auto answer) {
        if (pending_)
            finish(answer);
    }));
    if (!pending_) {
        finish(fail(FetchError{FetchError::Kind::unreachable, 0, {}}));
        return;
    }
    deadline_ = runLoop_.scheduleOnce(timeout_, lifetime_.guard([this] {
        if (pending_)
            finish(fail(FetchError{FetchError::Kind::timedOut, 0, {}}));
    }));
}

void AppUpdateService::finish(const Result<std::string, FetchError>& answer) {
    // Abandon the request first: a late answer after the deadline is ignored.
    pending_.reset();
    deadline_.reset();
    canCheckForUpdates_.set(true);
    if (!answer.ok()) {
        report(outcomeForFetchError(answer.error()));
        return;
    }
    report(outcomeForFeed(parseUpdateFeed(answer.value()), currentVersion_));
}

void AppUpdateService::report(UpdateCheckOutcome outcome) {
    if (onOutcome_)
        onOutcome_(outcome);
}

namespace {
std::string failureTitle() {
    return localized("Couldn’t check for updates");
}
} // namespace

UpdateCheckOutcome outcomeForFeed(const Result<UpdateFeed, FeedError>& feed,
                                  const std::string& currentVersion) {
    if (!feed.ok()) {
        std::string message;
        switch (feed.error()) {
        case FeedError::notJSON:
        case FeedError::missingVersion:
        case FeedError::invalidVersion:
        case FeedError::missingDownloadURL:
            message = localized("The update server sent something that is not update "
                                "information.");
            break;
        case FeedError::unsafeDownloadURL:
            message = localized("The update server named a download address that is not a "
                                "secure web address.");
            break;
        }
        return {UpdateCheckOutcome::Kind::failed, failureTitle(), message, {}, {}};
    }
    const auto latest = Version::parse(feed->version);
    const auto current = Version::parse(currentVersion);
    if (latest && current && *current < *latest)
        return {
            UpdateCheckOutcome::Kind::updateAvailable,
            localized("A new version of Vortaxis is available"),
            localized("Vortaxis %1 is available — you have %2.", {feed->version, currentVersion}),
            feed->notes, feed->downloadURL};
    return {UpdateCheckOutcome::Kind::upToDate,
            localized("You’re up to date"),
            localized("Vortaxis %1 is the newest version.", {currentVersion}),
            {},
            {}};
}

UpdateCheckOutcome outcomeForFetchError(const FetchError& error) {
    std::string message;
    switch (error.kind) {
    case FetchError::Kind::unreachable:
        message = localized("The update server could not be reached. Check your connection and "
                            "try again.");
        break;
    case FetchError::Kind::timedOut:
        message = localized("The update server did not answer in time. Try again later.");
        break;
    case FetchError::Kind::httpStatus:
        message = localized("The update server answered with an error (HTTP %1).",
                            {std::to_string(error.httpStatus)});
        break;
    case FetchError::Kind::tooLarge:
        message = localized("The update server sent something that is not update information.");
        break;
    }
    return {UpdateCheckOutcome::Kind::failed, failureTitle(), message, {}, {}};
}

UpdateCheckOutcome outcomeForInvalidAddress(const std::string& url) {
    return {UpdateCheckOutcome::Kind::failed,
            failureTitle(),
            localized("The update address “%1” is not a secure web address.", {url}),
            {},
            {}};
}

UpdateCheckOutcome outcomeForNoFeed() {
    return {UpdateCheckOutcome::Kind::failed,
            failureTitle(),
            localized("No update address is set. Updates come from your package manager."),
            {},
            {}};
}

} // namespace vx
