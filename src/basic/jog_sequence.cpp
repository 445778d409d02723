#include "basic/jog_sequence.h"

#include "hw/direction.h"
#include "hw/echo.h"

namespace velmira {
namespace {

// Echo of a call on the target: "lorvexMF_SET_V(1,2,20000)", with the
// two-axis prefix where it applies.
std::string row(const MotionTarget& t, const char* lorvexFormat, std::int32_t value) {
    return echoText(t.kind, lorvexFormat, static_cast<unsigned>(t.card), static_cast<int>(t.mask),
                    static_cast<int>(value));
}
std::string row(const MotionTarget& t, const char* lorvexFormat) {
    return echoText(t.kind, lorvexFormat, static_cast<unsigned>(t.card), static_cast<int>(t.mask));
}

}  // namespace

std::vector<std::int32_t JogValues::*> jogValuesUsed(const JogRequest& r) {
    const ModuleKind kind = r.target.kind;
    if (kind == ModuleKind::None) return {};
    std::vector<std::int32_t JogValues::*> used{&JogValues::v, &JogValues::ao, &JogValues::sv};
    const bool asym = r.symMode == 1;
    if (r.symMode == 0 || asym) {
        if (r.accMode == 0) {
            used.push_back(&JogValues::a);
            if (asym) used.push_back(&JogValues::d);
        } else if (r.accMode == 1) {
            used.push_back(&JogValues::k);
            if (asym && kind == ModuleKind::Lorvex) used.push_back(&JogValues::l);
        }
    }
    const int m = r.drivingMode;
    if (m == kPointToPoint || m == kContinuousOutput || m == kManualPulsar) {
        used.push_back(&JogValues::p);
    }
    return used;
}

std::vector<std::string> RunJogSequence(MotionLibrary* lib, const JogRequest& r,
                                        const SettingsImage& settings) {
    std::vector<std::string> rows;
    if (!lib) return rows;
    const MotionTarget& t = r.target;
    const JogValues& v = r.values;
    const bool four = t.kind == ModuleKind::Lorvex;
    const std::int32_t p = r.forward ? v.p : reversed(v.p);
    const std::uint8_t card = t.card;
    const auto mask = static_cast<std::uint16_t>(t.mask);

    lib->SET_MAX_V(card, mask, four ? configuredMaxSpeed(settings, t) : kQuenbyMaxSpeed);
    lib->SET_V(card, mask, v.v);
    lib->SET_AO(card, mask, v.ao);  // the low 16 bits; the row shows the number read
    lib->SET_SV(card, mask, v.sv);
    rows.push_back(row(t, "lorvexMF_SET_V(%u,%i,%i)", v.v));
    rows.push_back(row(t, "lorvexMF_SET_AO(%u,%i,%i)", v.ao));
    rows.push_back(row(t, "lorvexMF_SET_SV(%u,%i,%i)", v.sv));

    const bool profileKnown =
        (r.accMode == 0 || r.accMode == 1) && (r.symMode == 0 || r.symMode == 1);
    if (profileKnown) {
        const bool sCurve = r.accMode == 1;
        const bool asym = r.symMode == 1;
        const int speedMode = (sCurve ? 1 : 0) + (asym ? 2 : 0);
        lib->NORMAL_SPEED(card, mask, speedMode);
        if (!sCurve) {
            lib->SET_A(card, mask, v.a);
            if (asym) lib->SET_D(card, mask, v.d);
        } else {
            lib->SET_K(card, mask, v.k);
            if (asym && four) lib->SET_L(card, mask, v.l);
        }
        static constexpr const char* kSpeedModeRows[] = {
            "lorvexMF_NORMAL_SPEED(%u,%i,0)", "lorvexMF_NORMAL_SPEED(%u,%i,1)",
            "lorvexMF_NORMAL_SPEED(%u,%i,2)", "lorvexMF_NORMAL_SPEED(%u,%i,3)"};
        rows.push_back(row(t, kSpeedModeRows[speedMode]));
        if (!sCurve) {
            rows.push_back(row(t, "lorvexMF_SET_A(%u,%i,%i)", v.a));
            if (asym) rows.push_back(row(t, "lorvexMF_SET_D(%u,%i,%i)", v.d));
        } else {
            rows.push_back(row(t, "lorvexMF_SET_K(%u,%i,%i)", v.k));
            if (asym && four) rows.push_back(row(t, "lorvexMF_SET_L(%u,%i,%i)", v.l));
        }
    }

    switch (r.drivingMode) {
        case kPointToPoint:
            lib->FIXED_MOVE(card, mask, p);
            rows.push_back(row(t, "lorvexMF_FIXED_MOVE(%u,%i,%i)", p));
            break;
        case kContinuousOutput:
            lib->CONTINUE_MOVE(card, mask, p);
            rows.push_back(row(t, "lorvexMF_CONTINUE_MOVE(%u,%i,%i)", p));
            break;
        case kManualPulsar:
            lib->EXD_MP(card, mask, p);
            rows.push_back(row(t, "lorvexMF_EXD_MP(%u,%i,%i)", p));
            break;
        default:  // HOME: the settings only, no move
            break;
    }
    return rows;
}

void changeOnTheFly(MotionLibrary* lib, const MotionTarget& t, OnTheFly what, std::int32_t value) {
    if (!lib) return;
    const auto mask = static_cast<std::uint16_t>(t.mask);
    switch (what) {
        case OnTheFly::Speed:
            lib->SET_V(t.card, mask, value);
            break;
        case OnTheFly::Acceleration:
            lib->SET_A(t.card, mask, value);
            break;
        case OnTheFly::Distance:
            lib->FIXED_MOVE(t.card, mask, value);
            break;
    }
}

void switchServo(MotionLibrary* lib, const MotionTarget& t, bool on) {
    if (!lib) return;
    const auto mask = static_cast<std::uint16_t>(t.mask);
    if (on) {
        lib->SERVO_ON(t.card, mask);
    } else {
        lib->SERVO_OFF(t.card, mask);
    }
}

void stopSlowly(MotionLibrary* lib, const MotionTarget& t) {
    if (!lib) return;
    lib->STOP_SLOWLY(t.card, static_cast<std::uint16_t>(t.mask));
    lib->CLEAR_STOP(t.card);
}

}  // namespace velmira
