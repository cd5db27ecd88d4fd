// Feed parsing, version order and the address rule of the update check.
#include "core/settings/update_feed.h"

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>

namespace vx {

namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// The host part of scheme://[user@]host[:port]/…, brackets kept for IPv6.
std::string hostOf(std::string_view rest) {
    const auto end = rest.find_first_of("/?#");
    std::string_view authority = rest.substr(0, end);
    if (const auto at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    if (!authority.empty() && authority.front() == '[') {
        const auto close = authority.find(']');
        return close == std::string_view::npos ? std::string()
                                               : lower(authority.substr(0, close + 1));
    }
    return lower(authority.substr(0, authority.find(':')));
}

// 127.0.0.0/8 written as four decimal numbers; "127.0.0.1.example.org" is not one.
bool isLoopbackIPv4(std::string_view host) {
    int parts = 0;
    while (true) {
        const auto dot = host.find('.');
        const auto part = host.substr(0, dot);
        if (part.empty() || part.size() > 3 ||
            !std::all_of(part.begin(), part.end(),
                         [](unsigned char c) { return std::isdigit(c); }) ||
            std::stoi(std::string(part)) > 255 || (parts == 0 && part != "127"))
            return false;
        ++parts;
        if (dot == std::string_view::npos)
            break;
        host.remove_prefix(dot + 1);
    }
    return parts == 4;
}

bool isLoopbackHost(const std::string& host) {
    return host == "localhost" || host == "[::1]" || isLoopbackIPv4(host);
}

bool hasControlOrSpace(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](unsigned char c) { return c <= 0x20 || c == 0x7f; });
}

} // namespace

bool isAcceptableWebAddress(std::string_view url) {
    if (hasControlOrSpace(url))
        return false;
    const auto separator = url.find("://");
    if (separator == std::string_view::npos)
        return false;
    const std::string scheme = lower(url.substr(0, separator));
    const std::string host = hostOf(url.substr(separator + 3));
    if (host.empty())
        return false;
    if (scheme == "https")
        return true;
    return scheme == "http" && isLoopbackHost(host);
}

std::optional<Version> Version::parse(std::string_view text) {
    if (!text.empty() && (text.front() == 'v' || text.front() == 'V'))
        text.remove_prefix(1);
    const auto dash = text.find('-');
    Version version;
    if (dash != std::string_view::npos) {
        version.preRelease = std::string(text.substr(dash + 1));
        if (version.preRelease.empty())
            return std::nullopt;
        text = text.substr(0, dash);
    }
    while (true) {
        const auto dot = text.find('.');
        const std::string_view part = text.substr(0, dot);
        if (part.empty() || part.size() > 9 ||
            !std::all_of(part.begin(), part.end(), [](unsigned char c) { return std::isdigit(c); }))
            return std::nullopt;
        version.numbers.push_back(std::stoul(std::string(part)));
        if (dot == std::string_view::npos)
            break;
        text.remove_prefix(dot + 1);
    }
    return version;
}

int compare(const Version& a, const Version& b) {
    const auto count = std::max(a.numbers.size(), b.numbers.size());
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned long x = i < a.numbers.size() ? a.numbers[i] : 0;
        const unsigned long y = i < b.numbers.size() ? b.numbers[i] : 0;
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.preRelease == b.preRelease)
        return 0;
    if (a.preRelease.empty())
        return 1;
    if (b.preRelease.empty())
        return -1;
    return a.preRelease < b.preRelease ? -1 : 1;
}

Result<UpdateFeed, FeedError> parseUpdateFeed(std::string_view json) {
    const auto document = nlohmann::json::parse(json, nullptr, /*allow_exceptions=*/false);
    if (document.is_discarded() || !document.is_object())
        return fail(FeedError::notJSON);
    const auto version = document.find("version");
    if (version == document.end() || !version->is_string())
        return fail(FeedError::missingVersion);
    if (!Version::parse(version->get_ref<const std::string&>()))
        return fail(FeedError::invalidVersion);
    const auto url = document.find("downloadURL");
    if (url == document.end() || !url->is_string())
        return fail(FeedError::missingDownloadURL);
    if (!isAcceptableWebAddress(url->get_ref<const std::string&>()))
        return fail(FeedError::unsafeDownloadURL);
    UpdateFeed feed{version->get<std::string>(), url->get<std::string>(), {}};
    if (const auto notes = document.find("notes"); notes != document.end() && notes->is_string())
        feed.notes = notes->get<std::string>();
    return feed;
}

} // namespace vx
