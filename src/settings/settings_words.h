#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_image.h"

namespace velmira {

// The names of the thirteen entries of an axis record, in file order, as the
// configuration-file tool and its JSON use them.
inline constexpr std::array<const char*, 13> kEntryNames{
    "pulseMode", "maxV",  "hardLimit", "limitStopMode", "nearHome", "homeEdge", "encoder",
    "servoOn",   "alarm", "inPos",     "filter",        "vring",    "avtri"};

// The Configuration screen's lists, captions, field ranges and shown defaults:
// the screen builds its controls from them and the tool's words quote them, so
// the file's words are the screen's.
namespace screen_words {

inline constexpr std::array<const char*, 6> kPulseModes{" CW",
                                                        " CCW",
                                                        " PULSE (Rising Edge) / Dir +",
                                                        " PULSE (Falling Edge) / Dir +",
                                                        " PULSE (Rising Edge) / Dir -",
                                                        " PULSE (Falling Edge) / Dir -"};
inline constexpr std::array<const char*, 4> kEncoderModes{"1/1 AB Phase", "1/2 AB Phase",
                                                          "1/4 AB Phase", "CW/CCW"};
inline constexpr std::array<const char*, 2> kLowHigh{"Low", "High"};
inline constexpr std::array<const char*, 2> kAlarmLogic{" Low", " High"};
inline constexpr std::array<const char*, 2> kStopModes{"stop suddenly", "stop after decelerate"};
inline constexpr std::array<const char*, 8> kDelays{
    "0.2 u (time unit)", "256*10E-7",   "512*10E-7",   "1.024*10E-3",
    "2.048*10E-3",       "4.096*10E-3", "8.192*10E-3", "16.384*10E-3"};
inline constexpr std::array<const char*, 2> kCompareSources{"Logic Position", "Encoder Position"};
// The filter boxes, bit 0 first.
inline constexpr std::array<const char*, 5> kFilterBoxes{"EMG, LMT, ORG, SD", "INDEX", "INP, ALM",
                                                         "EXP+/-", "IN3"};

inline constexpr char kPulseModeLabel[] = "Output Pulse Mode :";
inline constexpr char kEncoderModeLabel[] = "Encoder Mode :";
inline constexpr char kHardLimitLabel[] = "LIMIT+/- (Logic)";
inline constexpr char kHomeEdgeLabel[] = "HOME (Logic)";
inline constexpr char kNearHomeLabel[] = "NEAR HOME";
inline constexpr char kZPhaseLabel[] = "Z-Phase (Logic)";
inline constexpr char kStopModeLabel[] = "LIMITSTOP_MODE";
inline constexpr char kLogicLabel[] = "Logic";
inline constexpr char kDelayLabel[] = "Input Signal Delay Time:";
inline constexpr char kFilterGroup[] = "Input Signal Filter";
inline constexpr char kServoOnBox[] = "Enable Servo ON";
inline constexpr char kInPosBox[] = "Enable INP/RDY";
inline constexpr char kAlarmBox[] = "Enable Servo Alarm";
inline constexpr char kVringBox[] = "Enable VRING";
inline constexpr char kAvtriBox[] = "Enable AVTRI";
inline constexpr char kMaxVBox[] = "Enable MaxV";

// The VRING field takes up to the largest value the module's signed 32-bit
// argument can hold, and the MaxV field 8000 to 4000000.
inline constexpr std::int32_t kVringHigh = 2147483647;
inline constexpr std::int32_t kMaxVLow = 8000;
inline constexpr std::int32_t kMaxVHigh = 4000000;
// What the VRING and MaxV fields show for a stored 0.
inline constexpr std::int32_t kShownVring = 10000;
inline constexpr std::int32_t kShownMaxV = kDefaultMaxSpeed;

}  // namespace screen_words

// The entry index of a name, or nothing.
std::optional<int> entryIndex(std::string_view name);

// "Axis_X" .. "Axis_U" for axis indexes 0..3.
const char* axisName(int axisIndex);

// What one entry means, in the Configuration screen's own words:
// "Output Pulse Mode : CW", "LIMIT+/- (Logic) High", "Enable MaxV checked, MaxV
// 2000000 Pulse". A value no list item stands for is written as a number. An
// entry the screen always sets together with its values says "(not set)" when
// its flag is 0 (a load sends nothing for it); an entry behind a check box
// says whether the box is checked.
std::string entryWords(int entry, const SettingEntry& e);

// The range of values the Configuration screen can store in one value of an
// entry; nothing where the screen never stores that value.
struct ValueRange {
    std::int64_t low = 0;
    std::int64_t high = 0;
};
std::optional<ValueRange> storedRange(int entry, int value);  // value: 1 first, 2 second, 3 third

// Why an entry holds what the Configuration screen could not have stored, one
// reason each; empty for an entry the screen could have written.
std::vector<std::string> unproducibleReasons(int entry, const SettingEntry& e);

// True when every byte of the record is zero: an axis never configured.
bool isEmptyRecord(const AxisSettings& r);

}  // namespace velmira
