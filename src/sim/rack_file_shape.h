#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmira {

// A rack file is short and flat. Keys and brackets nested deeper than this
// appear in no rack file and could exhaust the parser's stack; the line bound
// is far beyond any line a person writes, comments included.
inline constexpr std::size_t kRackFileMaxLine = 64 * 1024;
inline constexpr int kRackFileMaxDepth = 16;

// "LINE:COLUMN: reason" for the first place where the text leaves those
// bounds, read before any parser sees it; nothing when it stays inside.
std::optional<std::string> rackFileShapeError(std::string_view text);

}  // namespace velmira
