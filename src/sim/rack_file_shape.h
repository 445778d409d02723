#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmira {

// A rack file is short and flat. Lines longer than this, or keys and brackets
// nested deeper, appear in no rack file and could exhaust the parser's stack.
inline constexpr std::size_t kRackFileMaxLine = 1000;
inline constexpr int kRackFileMaxDepth = 16;

// "LINE:COLUMN: reason" for the first place where the text leaves those
// bounds, read before any parser sees it; nothing when it stays inside.
std::optional<std::string> rackFileShapeError(std::string_view text);

}  // namespace velmira
