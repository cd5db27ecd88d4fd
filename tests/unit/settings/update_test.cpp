// The update check: untrusted feeds and addresses, version order, and a check's
// journey to its outcome when the answer never comes or comes too late.
#include "core/base/virtual_run_loop.h"
#include "settings_fakes.h"

#include <gtest/gtest.h>

using namespace vx;
using namespace vx::testing;
using namespace std::chrono_literals;

TEST(UpdateFeed, RejectsBadFeedsUnsafeAddressesAndComparesVersionsByNumber) {
    const std::pair<const char*, FeedError> bad[] = {
        {"<html>502 Bad Gateway</html>", FeedError::notJSON},
        {R"({"version":140,"downloadURL":"https://e.org"})", FeedError::missingVersion},
        {R"({"version":"1..2","downloadURL":"https://e.org"})", FeedError::invalidVersion},
        {R"({"version":"1.4.0","downloadURL":"file:///etc/passwd"})", FeedError::unsafeDownloadURL},
        {R"({"version":"1.4.0","downloadURL":"http://e.org/x"})", FeedError::unsafeDownloadURL},
    };
    for (const auto& [json, error] : bad)
        EXPECT_EQ(parseUpdateFeed(json).error(), error) << json;
    const std::tuple<const char*, const char*, int> order[] = {
        {"1.2", "1.10", -1}, {"1.2", "1.2.0", 0}, {"2.0.0-beta", "2.0.0", -1}};
    for (const auto& [a, b, sign] : order)
        EXPECT_EQ(compare(*Version::parse(a), *Version::parse(b)), sign) << a << " vs " << b;
    for (const char* ok : {"HTTPS://Example.org", "http://127.0.0.1:8080/f", "http://[::1]:81/f"})
        EXPECT_TRUE(isAcceptableWebAddress(ok)) << ok;
    for (const char* unsafe : {"http://example.org/feed.json", "http://127.0.0.1.evil.org/",
                               "http://localhost@evil.org/", "https://example.org/\n"})
        EXPECT_FALSE(isAcceptableWebAddress(unsafe)) << unsafe;
}

struct UpdateServiceTest : ::testing::Test {
    VirtualRunLoop loop;
    ScriptedFetcher network;
    test::InMemoryDefaultsStore defaults;
    std::vector<UpdateCheckOutcome> outcomes;
    std::unique_ptr<AppUpdateService> service = make();

    std::unique_ptr<AppUpdateService> make(std::string feed = "https://e.org/feed.json") {
        auto s = std::make_unique<AppUpdateService>(loop, network, defaults, "1.2.0", feed, 5s);
        s->setOnOutcome([this](const auto& outcome) { outcomes.push_back(outcome); });
        loop.drain();
        return s;
    }
};

TEST_F(UpdateServiceTest, OneCheckAtATimeAndALateAnswerIsIgnored) {
    service->checkForUpdates();
    service->checkForUpdates(); // ignored: one check at a time
    EXPECT_EQ(network.requests.size(), 1u);
    loop.advance(5.1s); // an answer after the timeout adds nothing
    network.answer(R"({"version":"9","downloadURL":"https://e.org"})");
    EXPECT_EQ(outcomes.size(), 1u);
    service->checkForUpdates(); // the next check works normally
    network.answer(R"({"version":"1.1.9","downloadURL":"https://e.org"})");
    loop.advance(10s); // and its deadline is gone with it
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_EQ(outcomes[1].kind, UpdateCheckOutcome::Kind::upToDate);
}

TEST_F(UpdateServiceTest, OnlyAFeedSomeoneSetIsAskedAndNeverOneInTheClear) {
    service = make("");
    EXPECT_FALSE(service->hasFeed()); // nothing built in, nothing set: no address guessed
    service->checkForUpdates();
    defaults.setString("update.feedURL", "http://updates.example.org/feed.json");
    EXPECT_TRUE(service->hasFeed()); // the user's own address counts without a restart
    service->checkForUpdates();
    EXPECT_TRUE(network.requests.empty());
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_EQ(outcomes[1].kind, UpdateCheckOutcome::Kind::failed);
}
