#pragma once

#include <cstdint>

namespace velmira {

struct EncoderSetting {
    std::uint8_t mode = 0;
    std::uint8_t division = 0;
};

// "Encoder Mode :" list index to the library's mode and division. An index the
// list does not have (a file written elsewhere) means no selection.
constexpr EncoderSetting encoderSettingFor(std::int32_t index) {
    switch (index) {
        case 1:
            return {0, 1};
        case 2:
            return {0, 2};
        case 3:
            return {1, 0};
        default:
            return {0, 0};
    }
}

}  // namespace velmira
