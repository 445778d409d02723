#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmira {

// Text from the user (an option value, a file name, a key) as a message may
// quote it: control characters (C0, DEL, C1), the bidirectional overrides
// and isolates and bytes that are no UTF-8 are written as escapes, so the
// text can neither start a new line nor change what the terminal shows.
std::string escapedForMessage(std::string_view text);

// The same, shortened to at most `limit` characters with an ellipsis.
inline constexpr std::size_t kQuotedLimit = 200;
std::string printable(std::string_view text, std::size_t limit = kQuotedLimit);

// Whether the text is valid UTF-8 throughout.
bool isUtf8(std::string_view text);

// printable() in double quotes, with the quotes and backslashes inside escaped.
std::string quotedForMessage(std::string_view text);

}  // namespace velmira
