// The update check's network: one GET over QNetworkAccessManager, with a
// transfer timeout, a size limit, and no redirect from https to http.
#pragma once

#include "core/settings/app_update_service.h"

#include <QObject>

class QNetworkAccessManager;

namespace vx::qt {

class QtHttpFetcher final : public QObject, public HttpFetcher {
    Q_OBJECT
public:
    // Answers above this size are not an update feed.
    static constexpr qint64 maximumSize = 256 * 1024;

    explicit QtHttpFetcher(QObject* parent = nullptr);
    ~QtHttpFetcher() override;

    std::unique_ptr<PendingFetch>
    fetch(const std::string& url, Seconds timeout,
          std::function<void(Result<std::string, FetchError>)> done) override;

private:
    QNetworkAccessManager* network_;
};

} // namespace vx::qt
