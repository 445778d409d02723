#include "basic/homing_sequence.h"

#include "basic/jog_sequence.h"
#include "hw/echoing_library.h"

namespace velmira {
namespace {

// The fixed values of the search.
constexpr std::int32_t kHomeDriveSpeed = 50000;
constexpr std::int32_t kHomeAcceleration = 100000;
constexpr std::int32_t kQuenbyStartSpeed = 1000;
constexpr std::int32_t kHomeModeValue = 120000;
constexpr std::int32_t kAutoHomeSpeed = 50000;
constexpr std::int32_t kAutoHomeIndexWindow = 6000;

// Once the search has ended, its end is position 0.
void clearPositions(MotionLibrary& echo, std::uint8_t card, std::uint16_t mask) {
    echo.SET_LP(card, mask, 0);
    echo.SET_EP(card, mask, 0);
}

void homeFourAxis(MotionLibrary& lib, EchoingMotionLibrary& echo, const HomingRequest& r,
                  const SettingsImage& settings, HomingHost& host, HomingOutcome& out) {
    const MotionTarget& t = r.target;
    const std::uint8_t card = t.card;
    const auto mask = static_cast<std::uint16_t>(t.mask);
    const HomeStepCodes c = homeStepCodes(r.modeIndex);

    echo.SET_MAX_V(card, mask, configuredMaxSpeed(settings, t));
    echo.NORMAL_SPEED(card, mask, 0);
    echo.SET_V(card, mask, kHomeDriveSpeed);
    echo.SET_A(card, mask, kHomeAcceleration);
    echo.SET_HV(card, mask, r.homeSpeed);
    echo.SET_HOME_MODE(card, mask, c.nearHome, c.home, c.index, c.offset, kHomeModeValue);
    echo.HOME_START(card, mask);

    host.sleepMs(100);
    while (lib.HOME_WAIT(card, mask) == 0) {
        host.doEvents();
        if (host.abandon()) {
            stopSlowly(&lib, t);
            out.abandoned = true;
            return;
        }
        host.sleepMs(1);
    }
    host.sleepMs(500);
    clearPositions(echo, card, mask);
}

void homeTwoAxis(MotionLibrary& lib, EchoingMotionLibrary& echo, const HomingRequest& r,
                 HomingHost& host) {
    const std::uint8_t card = r.target.card;
    const auto mask = static_cast<std::uint16_t>(r.target.mask);
    const HomeStepCodes c = homeStepCodes(r.modeIndex);

    echo.SET_MAX_V(card, mask, kQuenbyMaxSpeed);
    echo.SET_A(card, mask, kHomeAcceleration);
    echo.SET_SV(card, mask, kQuenbyStartSpeed);
    // This one row comes before its call, which returns only when the search
    // has ended.
    const auto autoHome = [&](MotionLibrary& on) {
        on.AUTO_HOME(card, mask, c.nearHome, c.home, c.index, c.offset, kHomeModeValue,
                     kAutoHomeSpeed, r.homeSpeed, kAutoHomeIndexWindow);
    };
    autoHome(echo.rowOnly());
    host.callAside([&] { autoHome(lib); });
    host.sleepMs(100);
    clearPositions(echo, card, mask);
}

}  // namespace

HomeStepCodes homeStepCodes(int modeIndex) {
    static constexpr HomeStepCodes kByItem[] = {
        {2, 0, 0, 0}, {0, 2, 0, 0}, {2, 2, 0, 0}, {0, 2, 2, 0},
        {2, 0, 2, 0}, {2, 2, 2, 0}, {2, 2, 1, 1},
    };
    if (modeIndex < 0 || modeIndex >= static_cast<int>(std::size(kByItem))) return {};
    return kByItem[modeIndex];
}

HomingOutcome RunHomingSequence(MotionLibrary& lib, const HomingRequest& request,
                                const SettingsImage& settings, HomingHost& host) {
    HomingOutcome out;
    EchoingMotionLibrary echo(lib, out.rows);
    host.writeRow(0, {});
    echo.onRow(
        [&](const std::string& row) { host.writeRow(static_cast<int>(out.rows.size()), row); });
    if (request.target.kind == ModuleKind::Lorvex) {
        homeFourAxis(lib, echo, request, settings, host, out);
    } else {
        homeTwoAxis(lib, echo, request, host);
    }
    return out;
}

}  // namespace velmira
