#pragma once

#include <array>

// The Configuration screen's control identifiers.
namespace velmira::config_ids {

inline constexpr int kTree = 1001;
inline constexpr int kList = 1122;

// Software limits.
inline constexpr int kSoftLimitBox = 1012, kCompareSource = 1011, kSlPlus = 1009, kSlMinus = 1010;

inline constexpr int kPulseMode = 1002, kEncoderMode = 1003;

// Hardware signals.
inline constexpr int kServoOnBox = 1183, kHardLimit = 1005, kHomeEdge = 1006, kNearHome = 1004,
                     kZPhase = 1007, kLimitStopMode = 1073;

// Input signals.
inline constexpr int kInPosBox = 1013, kInPosLogic = 1016, kAlarmBox = 1015, kAlarmLogic = 1018;

// The input filter's boxes, bit 0 first, and its delay list.
inline constexpr std::array<int, 5> kFilterBoxes{1019, 1020, 1021, 1022, 1023};
inline constexpr int kDelay = 1033;

// Other settings.
inline constexpr int kVringBox = 1177, kVring = 1179, kVringSet = 1008;
inline constexpr int kAvtriBox = 1178;
inline constexpr int kMaxVBox = 1182, kMaxV = 1123, kMaxVSet = 1181;

inline constexpr int kSwitch = 1, kLoad = 1035, kSave = 1036, kReturn = 2;
inline constexpr int kSwitchPicture = 1165, kLoadPicture = 1163, kSavePicture = 1140,
                     kReturnPicture = 1164;

}  // namespace velmira::config_ids
