#include "basic/homing_sequence.h"

#include "basic/jog_sequence.h"
#include "hw/echo.h"

namespace velmira {
namespace {

// The fixed values of the search.
constexpr std::int32_t kHomeDriveSpeed = 50000;
constexpr std::int32_t kHomeAcceleration = 100000;
constexpr std::int32_t kQuenbyStartSpeed = 1000;
constexpr std::int32_t kHomeModeValue = 120000;
constexpr std::int32_t kAutoHomeSpeed = 50000;
constexpr std::int32_t kAutoHomeIndexWindow = 6000;

class Block {
  public:
    Block(HomingHost& host, HomingOutcome& out) : host_(host), out_(out) { host_.writeRow(0, {}); }
    void add(std::string text) {
        out_.rows.push_back(text);
        host_.writeRow(static_cast<int>(out_.rows.size()), text);
    }

  private:
    HomingHost& host_;
    HomingOutcome& out_;
};

template <class... Args>
std::string text(const MotionTarget& t, const char* lorvexFormat, Args... args) {
    return echoText(t.kind, lorvexFormat, static_cast<unsigned>(t.card), static_cast<int>(t.mask),
                    args...);
}

void homeFourAxis(MotionLibrary& lib, const HomingRequest& r, const SettingsImage& settings,
                  HomingHost& host, HomingOutcome& out) {
    const MotionTarget& t = r.target;
    const auto mask = static_cast<std::uint16_t>(t.mask);
    const HomeStepCodes c = homeStepCodes(r.modeIndex);
    Block block(host, out);

    const std::int32_t maxSpeed = configuredMaxSpeed(settings, t);
    lib.SET_MAX_V(t.card, mask, maxSpeed);
    block.add(text(t, "lorvexMF_SET_MAX_V(%u,%i,%i)", static_cast<int>(maxSpeed)));
    lib.NORMAL_SPEED(t.card, mask, 0);
    block.add(text(t, "lorvexMF_NORMAL_SPEED(%u,%i,0)"));
    lib.SET_V(t.card, mask, kHomeDriveSpeed);
    block.add(text(t, "lorvexMF_SET_V(%u,%i,50000)"));
    lib.SET_A(t.card, mask, kHomeAcceleration);
    block.add(text(t, "lorvexMF_SET_A(%u,%i,100000)"));
    lib.SET_HV(t.card, mask, r.homeSpeed);
    block.add(text(t, "lorvexMF_SET_HV(%u,%i,%i)", static_cast<int>(r.homeSpeed)));
    lib.SET_HOME_MODE(t.card, mask, c.nearHome, c.home, c.index, c.offset, kHomeModeValue);
    block.add(text(t, "lorvexMF_SET_HOME_MODE(%u,%i,%i,%i,%i,%i,120000)", int{c.nearHome},
                   int{c.home}, int{c.index}, int{c.offset}));
    lib.HOME_START(t.card, mask);
    block.add(text(t, "lorvexMF_HOME_START(%u,%i)"));

    host.sleepMs(100);
    while (lib.HOME_WAIT(t.card, mask) == 0) {
        host.doEvents();
        if (host.abandon()) {
            stopSlowly(&lib, t);
            out.abandoned = true;
            return;
        }
        host.sleepMs(1);
    }
    host.sleepMs(500);
    lib.SET_LP(t.card, mask, 0);
    block.add(text(t, "lorvexMF_SET_LP(%u,%i,0)"));
    lib.SET_EP(t.card, mask, 0);
    block.add(text(t, "lorvexMF_SET_EP(%u,%i,0)"));
}

void homeTwoAxis(MotionLibrary& lib, const HomingRequest& r, HomingHost& host, HomingOutcome& out) {
    const MotionTarget& t = r.target;
    const auto mask = static_cast<std::uint16_t>(t.mask);
    Block block(host, out);

    lib.SET_MAX_V(t.card, mask, kQuenbyMaxSpeed);
    block.add(text(t, "lorvexMF_SET_MAX_V(%u,%i,2000000)"));
    lib.SET_A(t.card, mask, kHomeAcceleration);
    block.add(text(t, "lorvexMF_SET_A(%u,%i,100000)"));
    lib.SET_SV(t.card, mask, kQuenbyStartSpeed);
    block.add(text(t, "lorvexMF_SET_SV(%u,%i,1000)"));
    const HomeStepCodes c = homeStepCodes(r.modeIndex);
    // This one row comes before its call, which returns only when the search
    // has ended.
    block.add(text(t, "lorvexMF_AUTO_HOME(%u,%i,%i,%i,%i,%i,120000,50000,%i,6000)", int{c.nearHome},
                   int{c.home}, int{c.index}, int{c.offset}, static_cast<int>(r.homeSpeed)));
    host.callAside([&] {
        lib.AUTO_HOME(t.card, mask, c.nearHome, c.home, c.index, c.offset, kHomeModeValue,
                      kAutoHomeSpeed, r.homeSpeed, kAutoHomeIndexWindow);
    });
    host.sleepMs(100);
    lib.SET_LP(t.card, mask, 0);
    block.add(text(t, "lorvexMF_SET_LP(%u,%i,0)"));
    lib.SET_EP(t.card, mask, 0);
    block.add(text(t, "lorvexMF_SET_EP(%u,%i,0)"));
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

HomingOutcome RunHomingSequence(MotionLibrary* lib, const HomingRequest& request,
                                const SettingsImage& settings, HomingHost& host) {
    HomingOutcome out;
    if (!lib) return out;
    if (request.target.kind == ModuleKind::Lorvex) {
        homeFourAxis(*lib, request, settings, host, out);
    } else {
        homeTwoAxis(*lib, request, host, out);
    }
    return out;
}

}  // namespace velmira
