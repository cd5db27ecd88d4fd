// The update check: feed parsing, version order, the address rule and one
// check's journey from request to outcome, including answers that never come.
#include "core/base/virtual_run_loop.h"
#include "settings_fakes.h"

#include <gtest/gtest.h>

using namespace vx;
using namespace vx::testing;
using namespace std::chrono_literals;

namespace {

TEST(UpdateFeed, ParsesAGoodFeedAndRejectsEachKindOfBadOne) {
    const auto good = parseUpdateFeed(
        R"({"version":"1.4.0","downloadURL":"https://example.org/v.deb","notes":"Faster.","x":1})");
    ASSERT_TRUE(good.ok());
    EXPECT_EQ(good->version + " " + good->downloadURL + " " + good->notes,
              "1.4.0 https://example.org/v.deb Faster.");
    const std::pair<const char*, FeedError> bad[] = {
        {"<html>502 Bad Gateway</html>", FeedError::notJSON},
        {R"({"version":140,"downloadURL":"https://e.org"})", FeedError::missingVersion},
        {R"({"version":"1..2","downloadURL":"https://e.org"})", FeedError::invalidVersion},
        {R"({"version":"1.4.0","downloadURL":null})", FeedError::missingDownloadURL},
        {R"({"version":"1.4.0","downloadURL":"file:///etc/passwd"})", FeedError::unsafeDownloadURL},
        {R"({"version":"1.4.0","downloadURL":"http://example.org/x"})",
         FeedError::unsafeDownloadURL},
    };
    for (const auto& [json, error] : bad) {
        const auto feed = parseUpdateFeed(json);
        ASSERT_FALSE(feed.ok()) << json;
        EXPECT_EQ(feed.error(), error) << json;
    }
}

TEST(UpdateFeed, VersionsCompareByNumberAndAddressesMustBeSecureOrLoopback) {
    const std::tuple<const char*, const char*, int> cases[] = {
        {"1.2", "1.10", -1},         {"1.2", "1.2.0", 0},        {"v1.2.1", "1.2", 1},
        {"2.0.0-beta", "2.0.0", -1}, {"2.0.0-beta", "1.9.9", 1}, {"2.0-alpha", "2.0-beta", -1},
    };
    for (const auto& [a, b, order] : cases)
        EXPECT_EQ(compare(*Version::parse(a), *Version::parse(b)), order) << a << " vs " << b;
    for (const char* invalid : {"", "1.", "1.a", "1.2-", "9999999999"})
        EXPECT_FALSE(Version::parse(invalid)) << invalid;

    for (const char* ok : {"HTTPS://Example.org", "http://127.0.0.1:8080/f", "http://[::1]:81/f"})
        EXPECT_TRUE(isAcceptableWebAddress(ok)) << ok;
    for (const char* bad :
         {"http://example.org/feed.json", "file:///tmp/x", "https:///path",
          "http://127.0.0.1.evil.org/", "http://localhost@evil.org/", "https://example.org/\n"})
        EXPECT_FALSE(isAcceptableWebAddress(bad)) << bad;
}

struct UpdateServiceTest : ::testing::Test {
    VirtualRunLoop loop;
    ScriptedFetcher network;
    test::InMemoryDefaultsStore defaults;
    std::vector<UpdateCheckOutcome> outcomes;
    std::unique_ptr<AppUpdateService> service = make();

    static constexpr const char* builtIn = "https://updates.example.org/feed.json";
    std::unique_ptr<AppUpdateService> make(std::string feed = builtIn) {
        auto s = std::make_unique<AppUpdateService>(loop, network, defaults, "1.2.0", feed, 5s);
        s->setOnOutcome([this](const auto& outcome) { outcomes.push_back(outcome); });
        return s;
    }
    static std::string feed(const char* version) {
        return std::string(R"({"version":")") + version + R"(","downloadURL":"https://e.org"})";
    }
};

TEST_F(UpdateServiceTest, OneCheckAtATimeAndOnlyOnceSettled) {
    EXPECT_FALSE(service->canCheckForUpdates().get());
    loop.drain();
    service->checkForUpdates();
    service->checkForUpdates(); // ignored: one check at a time
    EXPECT_FALSE(service->canCheckForUpdates().get());
    EXPECT_EQ(network.requests.size(), 1u);
    EXPECT_EQ(network.requests[0].url, builtIn);
    network.answer(feed("1.1.9"));
    EXPECT_TRUE(service->canCheckForUpdates().get());
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].kind, UpdateCheckOutcome::Kind::upToDate);
}

TEST_F(UpdateServiceTest, ANetworkThatNeverAnswersTimesOutAndItsLateAnswerIsIgnored) {
    loop.drain();
    service->checkForUpdates();
    loop.advance(4.9s);
    EXPECT_TRUE(outcomes.empty());
    loop.advance(0.2s);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].message, "The update server did not answer in time. Try again later.");
    network.answer(feed("9"));
    EXPECT_EQ(outcomes.size(), 1u);

    service->checkForUpdates(); // the next check works normally
    network.answer(feed("9"));
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_EQ(outcomes[1].kind, UpdateCheckOutcome::Kind::updateAvailable);
    loop.advance(10s);
    EXPECT_EQ(outcomes.size(), 2u); // the finished check's deadline is gone
}

TEST_F(UpdateServiceTest, OnlyAFeedSomeoneSetIsAskedAndNeverOneInTheClear) {
    service = make("");
    loop.drain();
    EXPECT_FALSE(service->hasFeed()); // nothing built in, nothing set: no address guessed
    service->checkForUpdates();
    defaults.setString("update.feedURL", "http://updates.example.org/feed.json");
    EXPECT_TRUE(service->hasFeed()); // the user's own address counts without a restart
    service->checkForUpdates();
    EXPECT_TRUE(network.requests.empty());
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_EQ(outcomes[0].kind, UpdateCheckOutcome::Kind::failed);
    EXPECT_EQ(outcomes[1].kind, UpdateCheckOutcome::Kind::failed);
    EXPECT_TRUE(service->canCheckForUpdates().get());
}

TEST_F(UpdateServiceTest, AnswersAndTimersAfterTheServiceIsGoneAreIgnored) {
    loop.drain();
    service->checkForUpdates();
    auto request = network.requests.back();
    service.reset();
    EXPECT_TRUE(*request.abandoned);
    request.done(feed("9"));
    loop.advance(10s);
    EXPECT_TRUE(outcomes.empty());
    make().reset();
    loop.drain(); // its settling task must not touch the freed service
}

} // namespace
