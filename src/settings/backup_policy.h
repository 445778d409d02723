#pragma once

namespace velmira {

// How many earlier versions of the configuration file a save keeps beside it.
inline constexpr int kDefaultBackups = 5;

}  // namespace velmira
