#pragma once

// The Advanced Features screen's control identifiers and the texts it
// switches between.
namespace velmira::advanced_ids {

inline constexpr int kTree = 1088;
inline constexpr int kList = 1122;

inline constexpr int kLinear2D = 1064, kLinear3D = 1065, kCircular = 1066;
inline constexpr int kConst = 1067, kTCurve = 1068, kSCurve = 1069;
inline constexpr int kAxis1 = 1073, kAxis2 = 1074, kAxis3 = 1075;
inline constexpr int kCW = 1070, kCCW = 1071;
inline constexpr int kSym = 1051, kAsym = 1052;

inline constexpr int kVsv = 1036, kVv = 1037, kVa = 1038, kVd = 1039, kVk = 1040, kVl = 1041,
                     kVao = 1043;
inline constexpr int kFp1 = 1077, kFp2 = 1078, kFp3 = 1079, kCp1 = 1080, kCp2 = 1081;
inline constexpr int kLp1 = 1082, kLp2 = 1083, kLp3 = 1084, kEp1 = 1085, kEp2 = 1086, kEp3 = 1087;
inline constexpr int kClear = 1008;

inline constexpr int kBackward = 1091, kStop = 1151, kForward = 1090, kServo = 1149, kExit = 2;
inline constexpr int kBackwardPicture = 1143, kStopPicture = 1148, kForwardPicture = 1144,
                     kServoPicture = 1159, kExitPicture = 1145;
inline constexpr int kProfile = 1089;  // hidden, the dialog's default button

// Hidden holders: linear forward and backward, circular backward (CCW) and
// forward (CW), servo off and on.
inline constexpr int kLinearForwardHolder = 1155, kLinearBackwardHolder = 1156,
                     kCircularBackwardHolder = 1141, kCircularForwardHolder = 1142,
                     kServoOffHolder = 1160, kServoOnHolder = 1161;

inline constexpr char kClashText[] = "In options of Axis Disposition, any two cannot be the same!!";

}  // namespace velmira::advanced_ids
