// The update feed: a small JSON document naming the newest version, where to
// download it and what changed. Parsing, version order and address checks live
// here, apart from the network, so every malformed answer is testable.
#pragma once

#include "core/base/result.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// The user's own feed address in the defaults store; it overrides the one a
// packager built in. With neither there is nothing to check against.
inline constexpr std::string_view updateFeedURLKey = "update.feedURL";

struct UpdateFeed {
    std::string version;
    std::string downloadURL;
    std::string notes; // may be empty
};

enum class FeedError {
    notJSON,
    missingVersion,
    invalidVersion,
    missingDownloadURL,
    unsafeDownloadURL
};

// {"version": "1.2.0", "downloadURL": "https://…", "notes": "…"}; unknown
// members are ignored so the feed can grow.
Result<UpdateFeed, FeedError> parseUpdateFeed(std::string_view json);

// A dotted version such as 1.2 or v1.10.3-beta.2. Missing trailing numbers
// count as 0; a pre-release sorts before its release.
struct Version {
    std::vector<unsigned long> numbers;
    std::string preRelease;

    static std::optional<Version> parse(std::string_view text);
    friend int compare(const Version& a, const Version& b);
    friend bool operator<(const Version& a, const Version& b) { return compare(a, b) < 0; }
};

// An address the program may fetch from or hand to the browser: https
// anywhere, plain http only on this machine's loopback, nothing else.
bool isAcceptableWebAddress(std::string_view url);

} // namespace vx
