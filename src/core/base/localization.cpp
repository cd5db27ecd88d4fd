// The one gate for user-visible text; see the header.
#include "core/base/localization.h"

#include <vector>

namespace vx {
namespace {
Translator& currentTranslator() {
    static Translator translator;
    return translator;
}
} // namespace

void installTranslator(Translator translator) { currentTranslator() = std::move(translator); }

std::string localized(std::string_view english) {
    if (const auto& translate = currentTranslator()) {
        std::string text = translate(english);
        if (!text.empty())
            return text;
    }
    return std::string(english);
}

std::string localized(std::string_view english, std::initializer_list<std::string> args) {
    return substituteArguments(localized(english), args);
}

std::string substituteArguments(std::string_view pattern, std::initializer_list<std::string> args) {
    const std::vector<std::string> values(args);
    std::string out;
    out.reserve(pattern.size() + 16);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size()) {
            const char next = pattern[i + 1];
            if (next == '%') {
                out += '%';
                ++i;
                continue;
            }
            if (next >= '1' && next <= '9') {
                const auto index = static_cast<std::size_t>(next - '1');
                if (index < values.size()) {
                    out += values[index];
                    ++i;
                    continue;
                }
            }
        }
        out += c;
    }
    return out;
}

} // namespace vx
