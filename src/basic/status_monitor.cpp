#include "basic/status_monitor.h"

namespace velmira {

void readAxisStatus(MotionLibrary* lib, const MotionTarget& t, AxisStatus& s) {
    if (!lib) return;
    const auto mask = static_cast<std::uint16_t>(t.mask);
    s.logicPosition = lib->GET_LP(t.card, mask);
    s.encoderPosition = lib->GET_EP(t.card, mask);
    s.currentSpeed = lib->GET_CV(t.card, mask);
    s.error = std::int64_t{s.logicPosition} - s.encoderPosition;
}

LampFlags updateSignalLamps(MotionLibrary* lib, const MotionTarget& t,
                            std::array<std::uint8_t, kLampCount>& read,
                            std::array<std::uint8_t, kLampCount>& shown,
                            std::uint32_t* errorCodeRead) {
    LampFlags redraw{};
    if (!lib) return redraw;
    const auto mask = static_cast<std::uint16_t>(t.mask);
    std::uint32_t errorCode = 0;
    bool errorRead = false;
    for (int i = 0; i < kLampCount; ++i) {
        const LampSource& source = kLampSources[static_cast<std::size_t>(i)];
        if (source.errorBit) {
            if (!errorRead) {
                errorCode = lib->GET_ERROR_CODE(t.card, mask) & 0xFFFFu;
                errorRead = true;
            }
            read[i] = (errorCode >> source.number) & 1u;
        } else {
            read[i] = static_cast<std::uint8_t>(
                lib->GET_DI(t.card, mask, static_cast<std::uint8_t>(source.number)));
        }
        if (read[i] != shown[i]) {
            shown[i] = read[i];
            redraw[i] = true;
        }
    }
    if (errorCodeRead) *errorCodeRead = errorCode;
    return redraw;
}

std::string stopCauseText(std::uint32_t errorCode) {
    // Bits 0 and 1 say where the axis stands (the SLMT lamps); these say why
    // it stopped, until the next motion or CLEAR_STOP.
    static constexpr std::pair<std::uint32_t, const char*> kCauses[] = {
        {1u << 2, "stopped by LMT+"},
        {1u << 3, "stopped by LMT-"},
        {1u << 4, "servo alarm"},
        {1u << 5, "emergency stop"},
        {1u << 6, "home search failed"}};
    std::string text;
    for (const auto& [bit, cause] : kCauses) {
        if (!(errorCode & bit)) continue;
        if (!text.empty()) text += ", ";
        text += cause;
    }
    return text;
}

}  // namespace velmira
