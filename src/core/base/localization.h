// Every user-visible text passes through `localized`, with its English text as
// the key. Inserted values are arguments (%1, %2 ... as Qt numbers them), never
// concatenated into the key, so a translation may reorder them. Core has no
// translator of its own: the Qt side installs one at start-up.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace vx {

// Returns the translation of `english`, or an empty string to keep the English text.
using Translator = std::function<std::string(std::string_view english)>;

// Installs the translator for the process (main thread only); an empty one
// restores the English texts.
void installTranslator(Translator translator);

// The text for `english` in the current language.
std::string localized(std::string_view english);

// The same, with %1, %2 ... replaced by `args` in order, after translation.
std::string localized(std::string_view english, std::initializer_list<std::string> args);

// Fills %1..%9 in `pattern` (a translated text) with `args`; %% gives a percent sign.
std::string substituteArguments(std::string_view pattern, std::initializer_list<std::string> args);

} // namespace vx
