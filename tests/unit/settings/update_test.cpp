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
    EXPECT_EQ(good->version, "1.4.0");
    EXPECT_EQ(good->downloadURL, "https://example.org/v.deb");
    EXPECT_EQ(good->notes, "Faster.");
    EXPECT_EQ(parseUpdateFeed(R"({"version":"2","downloadURL":"https://e.org"})")->notes, "");

    const struct {
        const char* json;
        FeedError error;
    } bad[] = {
        {"", FeedError::notJSON},
        {"<html>502 Bad Gateway</html>", FeedError::notJSON},
        {R"({"version":"1.4.0")", FeedError::notJSON},
        {R"(["1.4.0"])", FeedError::notJSON},
        {R"({"downloadURL":"https://e.org"})", FeedError::missingVersion},
        {R"({"version":140,"downloadURL":"https://e.org"})", FeedError::missingVersion},
        {R"({"version":"one","downloadURL":"https://e.org"})", FeedError::invalidVersion},
        {R"({"version":"1..2","downloadURL":"https://e.org"})", FeedError::invalidVersion},
        {R"({"version":"1.4.0"})", FeedError::missingDownloadURL},
        {R"({"version":"1.4.0","downloadURL":null})", FeedError::missingDownloadURL},
        {R"({"version":"1.4.0","downloadURL":"file:///etc/passwd"})", FeedError::unsafeDownloadURL},
        {R"({"version":"1.4.0","downloadURL":"http://example.org/x"})",
         FeedError::unsafeDownloadURL},
        {R"j({"version":"1.4.0","downloadURL":"javascript:alert(1)"})j",
         FeedError::unsafeDownloadURL},
    };
    for (const auto& c : bad) {
        const auto feed = parseUpdateFeed(c.json);
        ASSERT_FALSE(feed.ok()) << c.json;
        EXPECT_EQ(feed.error(), c.error) << c.json;
    }
}

TEST(UpdateFeed, VersionsCompareByNumberNotByText) {
    const struct {
        const char* a;
        const char* b;
        int order;
    } cases[] = {
        {"1.2", "1.10", -1},         {"1.2", "1.2.0", 0},        {"v1.2.1", "1.2", 1},
        {"2.0.0-beta", "2.0.0", -1}, {"2.0.0-beta", "1.9.9", 1}, {"2.0-alpha", "2.0-beta", -1},
        {"0.1.0", "0.1.0", 0},
    };
    for (const auto& c : cases) {
        const auto a = Version::parse(c.a), b = Version::parse(c.b);
        ASSERT_TRUE(a && b) << c.a << " " << c.b;
        EXPECT_EQ(compare(*a, *b), c.order) << c.a << " vs " << c.b;
        EXPECT_EQ(compare(*b, *a), -c.order) << c.b << " vs " << c.a;
    }
    for (const char* invalid : {"", "v", "1.", ".1", "1.a", "1.2-", "1 .2", "9999999999"})
        EXPECT_FALSE(Version::parse(invalid)) << invalid;
}

TEST(UpdateFeed, OnlySecureOrLoopbackAddressesAreAccepted) {
    for (const char* ok :
         {"https://example.org/feed.json", "HTTPS://Example.org", "http://127.0.0.1:8080/f",
          "http://localhost/f", "http://[::1]:81/f", "https://user@host.org/"})
        EXPECT_TRUE(isAcceptableWebAddress(ok)) << ok;
    for (const char* bad :
         {"http://example.org/feed.json", "ftp://example.org", "file:///tmp/x", "https://",
          "https:///path", "example.org", "https://exa mple.org", "http://127.0.0.1.evil.org/",
          "http://localhost@evil.org/", "https://example.org/\n"})
        EXPECT_FALSE(isAcceptableWebAddress(bad)) << bad;
}

struct UpdateServiceTest : ::testing::Test {
    VirtualRunLoop loop;
    ScriptedFetcher network;
    test::InMemoryDefaultsStore defaults;
    std::vector<UpdateCheckOutcome> outcomes;
    std::vector<bool> canCheckSeen;

    std::unique_ptr<AppUpdateService> make(std::string version = "1.2.0") {
        auto service = std::make_unique<AppUpdateService>(loop, network, defaults, version, 5s);
        service->setOnOutcome([this](const auto& outcome) { outcomes.push_back(outcome); });
        return service;
    }
};

TEST_F(UpdateServiceTest, CannotCheckUntilSettledNorWhileACheckRuns) {
    auto service = make();
    Subscription sub =
        service->canCheckForUpdates().observe([this](bool can) { canCheckSeen.push_back(can); });
    EXPECT_FALSE(service->canCheckForUpdates().get());
    loop.drain();
    EXPECT_TRUE(service->canCheckForUpdates().get());

    service->checkForUpdates();
    EXPECT_FALSE(service->canCheckForUpdates().get());
    service->checkForUpdates(); // ignored: one check at a time
    EXPECT_EQ(network.requests.size(), 1u);
    EXPECT_EQ(network.requests[0].url, defaultUpdateFeedURL);

    network.answer(std::string(R"({"version":"1.2.0","downloadURL":"https://e.org/d"})"));
    EXPECT_TRUE(service->canCheckForUpdates().get());
    EXPECT_EQ(canCheckSeen, (std::vector<bool>{true, false, true}));
}

TEST_F(UpdateServiceTest, AnOlderFeedIsNoUpdate) {
    auto service = make();
    loop.drain();
    service->checkForUpdates();
    network.answer(std::string(R"({"version":"1.1.9","downloadURL":"https://e.org/d"})"));
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].kind, UpdateCheckOutcome::Kind::upToDate);
    EXPECT_EQ(outcomes[0].message, "Vortaxis 1.2.0 is the newest version.");
}

TEST_F(UpdateServiceTest, ANetworkThatNeverAnswersTimesOutAndItsLateAnswerIsIgnored) {
    auto service = make();
    loop.drain();
    service->checkForUpdates();
    EXPECT_EQ(network.requests[0].timeout, Seconds(5));
    loop.advance(4.9s);
    EXPECT_TRUE(outcomes.empty());
    loop.advance(0.2s);
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].message, "The update server did not answer in time. Try again later.");
    EXPECT_TRUE(service->canCheckForUpdates().get());

    network.answer(std::string(R"({"version":"9","downloadURL":"https://e.org"})"));
    EXPECT_EQ(outcomes.size(), 1u);

    // The next check works normally.
    service->checkForUpdates();
    network.answer(std::string(R"({"version":"9","downloadURL":"https://e.org"})"));
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_EQ(outcomes[1].kind, UpdateCheckOutcome::Kind::updateAvailable);
    loop.advance(10s);
    EXPECT_EQ(outcomes.size(), 2u); // the finished check's deadline is gone
}

TEST_F(UpdateServiceTest, TheStoreCanMoveTheFeedButNotToAnInsecureAddress) {
    defaults.setString("update.feedURL", "http://127.0.0.1:4321/feed.json");
    auto service = make();
    loop.drain();
    service->checkForUpdates();
    ASSERT_EQ(network.requests.size(), 1u);
    EXPECT_EQ(network.requests[0].url, "http://127.0.0.1:4321/feed.json");
    network.answer(std::string(R"({"version":"1.0","downloadURL":"https://e.org"})"));

    defaults.setString("update.feedURL", "http://updates.example.org/feed.json");
    outcomes.clear();
    service->checkForUpdates();
    EXPECT_EQ(network.requests.size(), 1u); // never sent in the clear
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].kind, UpdateCheckOutcome::Kind::failed);
    EXPECT_EQ(outcomes[0].message, "The update address \u201chttp://updates.example.org/feed.json"
                                   "\u201d is not a secure web address.");
    EXPECT_TRUE(service->canCheckForUpdates().get());
}

TEST_F(UpdateServiceTest, AnswersAndTimersAfterTheServiceIsGoneAreIgnored) {
    auto service = make();
    loop.drain();
    service->checkForUpdates();
    auto request = network.requests.back();
    service.reset();
    EXPECT_TRUE(*request.abandoned);
    request.done(std::string(R"({"version":"9","downloadURL":"https://e.org"})"));
    loop.advance(10s);
    EXPECT_TRUE(outcomes.empty());

    auto early = make();
    early.reset();
    loop.drain(); // its settling task must not touch the freed service
}

} // namespace
