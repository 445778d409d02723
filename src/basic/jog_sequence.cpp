#include "basic/jog_sequence.h"

#include "hw/direction.h"
#include "hw/echoing_library.h"

namespace velmira {

std::vector<std::int32_t JogValues::*> jogValuesUsed(const JogRequest& r) {
    const ModuleKind kind = r.target.kind;
    if (kind == ModuleKind::None) return {};
    std::vector<std::int32_t JogValues::*> used{&JogValues::v, &JogValues::ao, &JogValues::sv};
    const bool asym = r.symmetry == Symmetry::Asymmetric;
    if (r.profile == Profile::TCurve) {
        used.push_back(&JogValues::a);
        if (asym) used.push_back(&JogValues::d);
    } else if (r.profile == Profile::SCurve) {
        used.push_back(&JogValues::k);
        if (asym && kind == ModuleKind::Lorvex) used.push_back(&JogValues::l);
    }
    if (r.drivingMode != DrivingMode::Home) used.push_back(&JogValues::p);
    return used;
}

std::vector<std::string> RunJogSequence(MotionLibrary& lib, const JogRequest& r,
                                        const SettingsImage& settings) {
    std::vector<std::string> rows;
    EchoingMotionLibrary echo(lib, rows);
    const MotionTarget& t = r.target;
    const JogValues& v = r.values;
    const bool four = t.kind == ModuleKind::Lorvex;
    const std::uint8_t card = t.card;
    const auto mask = static_cast<std::uint16_t>(t.mask);

    // The maximum speed is set without a row.
    lib.SET_MAX_V(card, mask, four ? configuredMaxSpeed(settings, t) : kQuenbyMaxSpeed);
    echo.SET_V(card, mask, v.v);
    echo.showingTyped(2, v.ao).SET_AO(card, mask, v.ao);  // the module gets the low 16 bits
    echo.SET_SV(card, mask, v.sv);

    if (r.profile != Profile::Constant) {
        const bool sCurve = r.profile == Profile::SCurve;
        const bool asym = r.symmetry == Symmetry::Asymmetric;
        echo.NORMAL_SPEED(card, mask, (sCurve ? 1 : 0) + (asym ? 2 : 0));
        if (!sCurve) {
            echo.SET_A(card, mask, v.a);
            if (asym) echo.SET_D(card, mask, v.d);
        } else {
            echo.SET_K(card, mask, v.k);
            if (asym && four) echo.SET_L(card, mask, v.l);  // the two-axis module has no L
        }
    }

    const std::int32_t p = r.forward ? v.p : reversed(v.p);
    switch (r.drivingMode) {
        case DrivingMode::PointToPoint:
            echo.FIXED_MOVE(card, mask, p);
            break;
        case DrivingMode::Continuous:
            echo.CONTINUE_MOVE(card, mask, p);
            break;
        case DrivingMode::ManualPulser:
            echo.EXD_MP(card, mask, p);
            break;
        case DrivingMode::Home:  // the settings only, no move
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
