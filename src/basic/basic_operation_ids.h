#pragma once

#include <array>

#include "state/app_state.h"

// The Basic Operation screen's control identifiers and the texts it switches
// between.
namespace velmira::basic_ids {

inline constexpr int kTree = 1120;
inline constexpr int kList = 1121;

inline constexpr int kTCurve = 1046, kSCurve = 1047;
inline constexpr int kPointToPointRadio = 1048, kContinuousRadio = 1049, kManualPulsarRadio = 1050,
                     kHomeRadio = 1063;
inline constexpr int kSym = 1051, kAsym = 1052;

inline constexpr int kSv = 1036, kV = 1037, kA = 1038, kD = 1039, kK = 1040, kL = 1041, kP = 1042,
                     kAo = 1043, kHv = 1054;
inline constexpr int kHomeModeList = 1053;
inline constexpr int kOnFlyV = 1129, kOnFlyA = 1009, kOnFlyP = 1044;

inline constexpr int kLogicPosition = 1055, kEncoderPosition = 1060, kError = 1061,
                     kCurrentSpeed = 1062;
inline constexpr int kClear = 1008;
// Ours: why the axis last stopped, and the notice of a search that holds the library.
inline constexpr int kStopCause = 1180, kSearchNotice = 1181;
// Ours: opens the axis scope.
inline constexpr int kScope = 1182;

inline constexpr int kSwitch = 1, kBackward = 1091, kStopHome = 1148, kForward = 1090,
                     kServo = 1146, kReturn = 2;
inline constexpr int kSwitchPicture = 1165, kBackwardPicture = 1167, kStopHomePicture = 1152,
                     kForwardPicture = 1166, kServoPicture = 1158, kReturnPicture = 1164;

// Hidden holders of the images copied onto the visible pictures.
inline constexpr int kActiveHolder = 1137, kInactiveHolder = 1138, kHomeHolder = 1154,
                     kStopHolder = 1153, kServoOnHolder = 1150, kServoOffHolder = 1149;

// The lamps in reading order: DRV, LMT+, LMT-, EMG, ALM, ORG, SD, RDY, SLMT+, SLMT-.
inline constexpr std::array<int, kLampCount> kLamps{1130, 1136, 1133, 1058, 1132,
                                                    1135, 1056, 1131, 1057, 1134};

inline constexpr char kStopCaption[] = "       STOP";
inline constexpr char kHomeCaption[] = "       HOME";

}  // namespace velmira::basic_ids
