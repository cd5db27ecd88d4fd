// The update check over a real socket: a tiny HTTP server on loopback answers
// with a good feed, a newer version, garbage, an error status, too much, or
// nothing at all; an unreachable port is tried too. Each ends in one clear
// outcome, and the outcome window offers the download only when there is one.
#include "qt/settings/qt_http_fetcher.h"
#include "qt/settings/update_window.h"
#include "qt_wait.h"
#include "settings_qt_fakes.h"

#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

using namespace vx;
using namespace vx::qt;
using namespace vx::testing;
using namespace std::chrono_literals;

namespace {

// Answers every request with one canned response, or never answers.
class LoopbackServer final : public QObject {
public:
    explicit LoopbackServer(std::optional<QByteArray> response) : response_(std::move(response)) {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    request_ += socket->readAll();
                    if (!request_.contains("\r\n\r\n") || !response_)
                        return; // keep the client waiting
                    socket->write(*response_);
                    socket->disconnectFromHost();
                });
            }
        });
    }
    QString url() const {
        return QStringLiteral("http://127.0.0.1:%1/feed.json").arg(server_.serverPort());
    }
    const QByteArray& request() const { return request_; }

    static QByteArray http(const QByteArray& status, const QByteArray& body) {
        return "HTTP/1.1 " + status + "\r\nContent-Type: application/json\r\nContent-Length: " +
               QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    }

private:
    QTcpServer server_;
    std::optional<QByteArray> response_;
    QByteArray request_;
};

struct UpdateCheckTest : ::testing::Test {
    TestQtRunLoop loop;
    QtHttpFetcher fetcher;
    test::InMemoryDefaultsStore defaults;
    std::vector<UpdateCheckOutcome> outcomes;

    // Runs one check against `url` and returns its outcome.
    std::optional<UpdateCheckOutcome> check(const QString& url, Seconds timeout = 5s) {
        defaults.setString("update.feedURL", url.toStdString());
        AppUpdateService service(loop, fetcher, defaults, "1.2.0", timeout);
        service.setOnOutcome([this](const auto& outcome) { outcomes.push_back(outcome); });
        EXPECT_TRUE(vx::test::runEventsUntil([&] { return service.canCheckForUpdates().get(); }));
        outcomes.clear();
        service.checkForUpdates();
        EXPECT_FALSE(service.canCheckForUpdates().get());
        if (!vx::test::runEventsUntil([&] { return !outcomes.empty(); }))
            return std::nullopt;
        EXPECT_TRUE(service.canCheckForUpdates().get());
        return outcomes.front();
    }
};

TEST_F(UpdateCheckTest, EachServerAnswerEndsInItsOwnMessage) {
    const struct {
        const char* name;
        QByteArray response;
        UpdateCheckOutcome::Kind kind;
        const char* message;
    } cases[] = {
        {"current",
         LoopbackServer::http("200 OK", R"({"version":"1.2.0","downloadURL":"https://e.org/d"})"),
         UpdateCheckOutcome::Kind::upToDate, "Vortaxis 1.2.0 is the newest version."},
        {"newer",
         LoopbackServer::http(
             "200 OK", R"({"version":"1.3.0","downloadURL":"https://e.org/1.3","notes":"More."})"),
         UpdateCheckOutcome::Kind::updateAvailable,
         "Vortaxis 1.3.0 is available \u2014 you have 1.2.0."},
        {"malformed", LoopbackServer::http("200 OK", "<html>oops</html>"),
         UpdateCheckOutcome::Kind::failed,
         "The update server sent something that is not update information."},
        {"not found", LoopbackServer::http("404 Not Found", "gone"),
         UpdateCheckOutcome::Kind::failed, "The update server answered with an error (HTTP 404)."},
        {"too large",
         LoopbackServer::http("200 OK", QByteArray(QtHttpFetcher::maximumSize + 1024, ' ')),
         UpdateCheckOutcome::Kind::failed,
         "The update server sent something that is not update information."},
        {"garbage", QByteArray("\x01\x02 not http at all\r\n\r\n"),
         UpdateCheckOutcome::Kind::failed, nullptr},
    };
    for (const auto& c : cases) {
        LoopbackServer server(c.response);
        const auto outcome = check(server.url());
        ASSERT_TRUE(outcome) << c.name;
        EXPECT_EQ(outcome->kind, c.kind) << c.name;
        if (c.message) {
            EXPECT_EQ(outcome->message, c.message) << c.name;
        }
        EXPECT_FALSE(outcome->message.empty()) << c.name;
        EXPECT_TRUE(server.request().startsWith("GET /feed.json HTTP/1.1")) << c.name;
    }
}

TEST_F(UpdateCheckTest, AServerThatNeverAnswersTimesOut) {
    LoopbackServer silent(std::nullopt);
    const auto outcome = check(silent.url(), 0.3s);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, UpdateCheckOutcome::Kind::failed);
    EXPECT_EQ(outcome->message, "The update server did not answer in time. Try again later.");
}

TEST_F(UpdateCheckTest, AnUnreachableServerSaysSo) {
    QString url;
    {
        LoopbackServer closed(std::nullopt); // its port is free again once it is gone
        url = closed.url();
    }
    const auto outcome = check(url);
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, UpdateCheckOutcome::Kind::failed);
    EXPECT_EQ(outcome->message,
              "The update server could not be reached. Check your connection and try again.");
}

TEST(UpdateWindow, OffersTheDownloadOnlyForANewVersionAndOpensItsAddress) {
    std::vector<QUrl> opened;
    UpdateWindow window([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    window.showOutcome(outcomeForFeed(
        parseUpdateFeed(
            R"({"version":"2.0.0","downloadURL":"https://e.org/2.0","notes":"New <b>menu</b>."})"),
        "1.2.0"));
    EXPECT_EQ(window.titleLabel()->text(), "A new version of Vortaxis is available");
    EXPECT_EQ(window.notesLabel()->text(), "New <b>menu</b>."); // shown as plain text
    EXPECT_EQ(window.notesLabel()->textFormat(), Qt::PlainText);
    ASSERT_FALSE(window.downloadButton()->isHidden());
    QTest::mouseClick(window.downloadButton(), Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl("https://e.org/2.0"));
    EXPECT_FALSE(window.isVisible());

    window.showOutcome(outcomeForFetchError({FetchError::Kind::timedOut, 0, {}}));
    EXPECT_TRUE(window.downloadButton()->isHidden());
    EXPECT_TRUE(window.notesLabel()->isHidden());
    EXPECT_EQ(window.closeButton()->text(), "OK");
    EXPECT_EQ(window.messageLabel()->text(),
              "The update server did not answer in time. Try again later.");
}

} // namespace
