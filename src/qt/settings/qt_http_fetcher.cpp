// Network errors become the update check's few kinds of failure.
#include "qt/settings/qt_http_fetcher.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>

namespace vx::qt {

namespace {

class ReplyHandle final : public PendingFetch {
public:
    explicit ReplyHandle(QNetworkReply* reply) : reply_(reply) {}
    ~ReplyHandle() override {
        if (reply_) {
            reply_->disconnect();
            reply_->abort();
            reply_->deleteLater();
        }
    }

private:
    QPointer<QNetworkReply> reply_;
};

FetchError errorFor(QNetworkReply* reply) {
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const std::string detail = reply->errorString().toStdString();
    switch (reply->error()) {
    case QNetworkReply::NoError:
        break;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: // what a transfer timeout reports
        return {FetchError::Kind::timedOut, 0, detail};
    default:
        if (status >= 400)
            return {FetchError::Kind::httpStatus, status, detail};
        return {FetchError::Kind::unreachable, 0, detail};
    }
    return {FetchError::Kind::httpStatus, status, detail};
}

} // namespace

QtHttpFetcher::QtHttpFetcher(QObject* parent)
    : QObject(parent), network_(new QNetworkAccessManager(this)) {
    network_->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

QtHttpFetcher::~QtHttpFetcher() = default;

std::unique_ptr<PendingFetch>
QtHttpFetcher::fetch(const std::string& url, Seconds timeout,
                     std::function<void(Result<std::string, FetchError>)> done) {
    QNetworkRequest request(QUrl(QString::fromStdString(url)));
    request.setTransferTimeout(static_cast<int>(timeout.count() * 1000.0));
    request.setMaximumRedirectsAllowed(5);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    QNetworkReply* reply = network_->get(request);
    auto tooLarge = std::make_shared<bool>(false);
    connect(reply, &QNetworkReply::readyRead, reply, [reply, tooLarge] {
        if (reply->bytesAvailable() > maximumSize) {
            *tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, reply, [reply, tooLarge, done = std::move(done)] {
        // The handle may be destroyed inside `done`; deleteLater keeps the
        // reply alive until this slot has returned.
        reply->deleteLater();
        if (*tooLarge)
            return done(fail(FetchError{FetchError::Kind::tooLarge, 0, {}}));
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() != QNetworkReply::NoError || (status != 0 && status != 200))
            return done(fail(errorFor(reply)));
        done(reply->readAll().toStdString());
    });
    return std::make_unique<ReplyHandle>(reply);
}

} // namespace vx::qt
