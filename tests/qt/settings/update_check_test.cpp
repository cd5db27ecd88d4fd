// The update check over a real socket: a tiny HTTP server on loopback answers
// with a feed, too much, or nothing at all; an unreachable port is tried too.
// Each ends in one clear outcome. What a feed says is core's, tested there.
#include "qt/qt_run_loop.h"
#include "qt/settings/qt_http_fetcher.h"
#include "qt/settings/update_window.h"
#include "qt_wait.h"
#include "settings/settings_fakes.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <optional>

using namespace vx;
using namespace std::chrono_literals;

namespace {

// Answers every request with one canned response, or keeps the client waiting.
struct LoopbackServer final : QTcpServer {
    explicit LoopbackServer(std::optional<QByteArray> response) {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this, response] {
            while (QTcpSocket* socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, socket, [socket, response] {
                    if (socket->readAll().contains("\r\n\r\n") && response) {
                        socket->write(*response);
                        socket->disconnectFromHost();
                    }
                });
        });
    }
    QString url() const { return QString("http://127.0.0.1:%1/feed.json").arg(serverPort()); }
};

QByteArray ok(const QByteArray& body) {
    return "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

// Runs one check against `url` and returns its message.
std::string check(const QString& url, Seconds timeout = 5s) {
    QtRunLoop loop;
    qt::QtHttpFetcher fetcher;
    test::InMemoryDefaultsStore defaults;
    defaults.setString("update.feedURL", url.toStdString());
    AppUpdateService service(loop, fetcher, defaults, "1.2.0", "", timeout);
    std::optional<UpdateCheckOutcome> outcome;
    service.setOnOutcome([&](const auto& o) { outcome = o; });
    EXPECT_TRUE(test::runEventsUntil([&] { return service.canCheckForUpdates().get(); }));
    service.checkForUpdates();
    return test::runEventsUntil([&] { return outcome.has_value(); }) ? outcome->message
                                                                     : "no outcome";
}

} // namespace

TEST(UpdateCheck, EachServerAnswerEndsInItsOwnMessage) {
    const QByteArray feed = R"({"version":"1.3.0","downloadURL":"https://e.org/1.3"})";
    const std::pair<std::optional<QByteArray>, const char*> cases[] = {
        {ok(feed), "Vortaxis 1.3.0 is available \u2014 you have 1.2.0."},
        // Past the size bound even a good feed is refused.
        {ok(feed + QByteArray(qt::QtHttpFetcher::maximumSize, ' ')),
         "The update server sent something that is not update information."},
        {std::nullopt, "The update server did not answer in time. Try again later."},
    };
    for (const auto& [response, message] : cases) {
        LoopbackServer server(response);
        EXPECT_EQ(check(server.url(), response ? 5s : 0.3s), message);
    }
    const QString url = LoopbackServer(std::nullopt).url(); // its port is free once it is gone
    EXPECT_EQ(check(url),
              "The update server could not be reached. Check your connection and try again.");
}
