// The setting handlers of the Configuration screen: each stores its setting in
// the records it concerns, applies it to the module with one call and echoes
// that call.
#include <QCheckBox>
#include <QComboBox>

#include "config/configuration_dlg.h"
#include "hw/echo.h"
#include "settings/encoder_table.h"

namespace velmira {
namespace {

constexpr std::uint16_t kFilterBits[5] = {1, 2, 4, 8, 16};

}  // namespace

template <class F>
void CConfigurationDlg::store(F&& update) {
    const ModuleKind kind = state_.currentKind;
    if (kind == ModuleKind::None) return;
    const int axes = axisCount(kind);
    const int index = state_.currentAxisIndex;
    if (index >= axes) {
        for (int a = 0; a < axes; ++a) update(state_.settings.record(state_.currentCard, a));
    } else {
        update(state_.settings.record(state_.currentCard, index));
    }
}

template <class F>
void CConfigurationDlg::callAndEcho(const std::string& text, F&& call) {
    MotionLibrary* lib = ctx_.hw.library(state_.currentKind);
    if (!lib) return;
    state_.config.echoText = text;
    call(*lib, state_.currentCard, static_cast<std::uint16_t>(state_.currentAxisMask));
    echo(state_.config.echoText);
}

#define VELMIRA_ECHO(format, ...)                                                   \
    echoText(state_.currentKind, format, static_cast<unsigned>(state_.currentCard), \
             static_cast<int>(state_.currentAxisMask), __VA_ARGS__)
#define VELMIRA_ECHO0(format)                                                       \
    echoText(state_.currentKind, format, static_cast<unsigned>(state_.currentCard), \
             static_cast<int>(state_.currentAxisMask))

void CConfigurationDlg::onPulseMode(int index) {
    readChecks();
    store([&](AxisSettings& r) {
        r.pulseMode.enabled = 1;
        r.pulseMode.first = index;
    });
    callAndEcho(VELMIRA_ECHO("lorvexMF_SET_PULSE_MODE(%u,%i,%i)", index),
                [&](MotionLibrary& lib, std::uint8_t card, std::uint16_t mask) {
                    lib.SET_PULSE_MODE(card, mask, index);
                });
}

void CConfigurationDlg::onZPhase(int index) {
    readChecks();
    const int mode = currentIndexOf(1003);
    store([&](AxisSettings& r) {
        r.encoder.enabled = 1;
        r.encoder.first = mode;
        r.encoder.second = index;
    });
    ConfigScreenState& cfg = state_.config;
    if (index >= 0) {
        const EncoderSetting e = encoderSettingFor(mode);
        cfg.encoderMode = e.mode;
        cfg.encoderDivision = e.division;
        cfg.zPhaseLogic = static_cast<std::uint8_t>(index);
    }
    callAndEcho(VELMIRA_ECHO("lorvexMF_SET_ENCODER(%u,%i,%u,%u,%u)", unsigned{cfg.encoderMode},
                             unsigned{cfg.encoderDivision}, unsigned{cfg.zPhaseLogic}),
                [&](MotionLibrary& lib, std::uint8_t card, std::uint16_t mask) {
                    lib.SET_ENCODER(card, mask, cfg.encoderMode, cfg.encoderDivision,
                                    cfg.zPhaseLogic);
                });
}

void CConfigurationDlg::onHardLimit(int index) {
    store([&](AxisSettings& r) {
        r.hardLimit.enabled = 1;
        r.hardLimit.first = index;
        r.hardLimit.second = index;
    });
    const auto u = static_cast<unsigned>(index);
    callAndEcho(VELMIRA_ECHO("lorvexMF_SET_HLMT(%u,%i,%u,%u)", u, u),
                [&](MotionLibrary& lib, std::uint8_t card, std::uint16_t mask) {
                    lib.SET_HLMT(card, mask, index, index);
                });
}

void CConfigurationDlg::onHomeEdge(int index) {
    readChecks();
    store([&](AxisSettings& r) {
        r.homeEdge.enabled = 1;
        r.homeEdge.first = index;
    });
    callAndEcho(VELMIRA_ECHO("lorvexMF_SET_HOME_EDGE(%u,%i,%u)", static_cast<unsigned>(index)),
                [&](MotionLibrary& lib, std::uint8_t card, std::uint16_t mask) {
                    lib.SET_HOME_EDGE(card, mask, index);
                });
}

void CConfigurationDlg::onNearHome(int index) {
    readChecks();
    store([&](AxisSettings& r) {
        r.nearHome.enabled = 1;
        r.nearHome.first = index;
    });
    callAndEcho(VELMIRA_ECHO("lorvexMF_SET_NHOME(%u,%i,%u)", static_cast<unsigned>(index)),
                [&](MotionLibrary& lib, std::uint8_t card, std::uint16_t mask) {
                    lib.SET_NHOME(card, mask, index);
                });
}

void CConfigurationDlg::onLimitStopMode(int index) {
    store([&](AxisSettings& r) {
        r.limitStopMode.enabled = 1;
        r.limitStopMode.first = index;
    });
    callAndEcho(VELMIRA_ECHO("lorvexMF_LIMITSTOP_MODE(%u,%i,%u)", static_cast<unsigned>(index)),
                [&](MotionLibrary& lib, std::uint8_t card, std::uint16_t mask) {
                    lib.LIMITSTOP_MODE(card, mask, index);
                });
}

void CConfigurationDlg::onServoOn(bool checked) {
    store([&](AxisSettings& r) { r.servoOn.enabled = checked; });
    callAndEcho(checked ? VELMIRA_ECHO0("lorvexMF_SERVO_ON(%u,%i)")
                        : VELMIRA_ECHO0("lorvexMF_SERVO_OFF(%u,%i)"),
                [&](MotionLibrary& lib, std::uint8_t card, std::uint16_t mask) {
                    checked ? lib.SERVO_ON(card, mask) : lib.SERVO_OFF(card, mask);
                });
}

void CConfigurationDlg::onInPosEnable(bool checked) {
    store([&](AxisSettings& r) { r.inPos.enabled = checked; });
    enable({1016}, checked);
}

void CConfigurationDlg::onInPosLogic(int index) {
    readChecks();
    store([&](AxisSettings& r) { r.inPos.first = index; });
    const unsigned on = controlAs<QCheckBox>(1013)->isChecked() ? 1 : 0;
    callAndEcho(VELMIRA_ECHO("lorvexMF_SET_INPOS(%u,%i,%u,%u)", on, static_cast<unsigned>(index)),
                [&](MotionLibrary& lib, std::uint8_t card, std::uint16_t mask) {
                    lib.SET_INPOS(card, mask, on, index);
                });
}

void CConfigurationDlg::onAlarmEnable(bool checked) {
    store([&](AxisSettings& r) { r.alarm.enabled = checked; });
    enable({1018}, checked);
    // A list showing no item (a value from a file written elsewhere) gives
    // -1, which reaches the module as the byte 255; the echo says so too.
    const auto logic = static_cast<std::uint8_t>(currentIndexOf(1018));
    const unsigned on = checked ? 1 : 0;
    callAndEcho(VELMIRA_ECHO("lorvexMF_SET_ALARM(%u,%i,%u,%u)", on, unsigned{logic}),
                [&](MotionLibrary& lib, std::uint8_t card, std::uint16_t mask) {
                    lib.SET_ALARM(card, mask, on, logic);
                });
}

void CConfigurationDlg::onAlarmLogic(int index) {
    store([&](AxisSettings& r) { r.alarm.first = index; });
    const unsigned on = controlAs<QCheckBox>(1015)->isChecked() ? 1 : 0;
    callAndEcho(VELMIRA_ECHO("lorvexMF_SET_ALARM(%u,%i,%u,%u)", on, static_cast<unsigned>(index)),
                [&](MotionLibrary& lib, std::uint8_t card, std::uint16_t mask) {
                    lib.SET_ALARM(card, mask, on, index);
                });
}

void CConfigurationDlg::onSoftLimitEnable(bool checked) {
    readChecks();
    enable({1009, 1010, 1011}, checked);
    if (checked) return;  // the limits take effect when a compare source is chosen
    callAndEcho(VELMIRA_ECHO0("lorvexMF_CLEAR_SLMT(%u,%i)"),
                [&](MotionLibrary& lib, std::uint8_t card, std::uint16_t mask) {
                    lib.CLEAR_SLMT(card, mask);
                });
}

void CConfigurationDlg::onCompareSource(int index) {
    // Limits the user did not enter never reach the module.
    if (!readField(Field::SlMinus) || !readField(Field::SlPlus)) return;
    SoftLimitSlot& slot = softLimitSlot();
    slot.limitPlus = slPlus_;
    slot.limitMinus = slMinus_;
    for (const auto& [value, message] : {std::pair{slPlus_, "The value of 'SL+' is '0'!!"},
                                         std::pair{slMinus_, "The value of 'SL-' is '0'!!"}}) {
        if (value == 0) {
            showIndex(1011, 0);
            boxes().show({message, "Information", BoxIcon::Information, BoxButtons::Ok});
            return;
        }
    }
    slot.limitEnabled = softLimitEnabled_;
    slot.compareSource = index;
    callAndEcho(VELMIRA_ECHO("lorvexMF_SET_SLMT(%u,%i,%i,%i,%u)", slPlus_, slMinus_,
                             static_cast<unsigned>(index)),
                [&](MotionLibrary& lib, std::uint8_t card, std::uint16_t mask) {
                    lib.SET_SLMT(card, mask, slPlus_, slMinus_, index);
                });
}

void CConfigurationDlg::onFilterBox(int box, bool checked) {
    readChecks();
    enable({1033}, anyFilterChecked());
    std::uint16_t& mask = state_.config.filterMask;
    mask = static_cast<std::uint16_t>(checked ? mask + kFilterBits[box] : mask - kFilterBits[box]);
    sendFilter(currentIndexOf(1033));
}

void CConfigurationDlg::onDelay(int index) {
    readChecks();
    sendFilter(index);
}

void CConfigurationDlg::sendFilter(int delayIndex) {
    const std::uint16_t mask = state_.config.filterMask;
    store([&](AxisSettings& r) {
        r.filter.enabled = 1;
        r.filter.first = mask;
        r.filter.second = delayIndex;
    });
    // No delay shown (-1) reaches the module as 65535; the echo says so too.
    const auto delay = static_cast<std::uint16_t>(delayIndex);
    callAndEcho(VELMIRA_ECHO("lorvexMF_SET_FILTER(%u,%i,%i,%i)", int{mask}, int{delay}),
                [&](MotionLibrary& lib, std::uint8_t card, std::uint16_t axes) {
                    lib.SET_FILTER(card, axes, mask, delay);
                });
}

void CConfigurationDlg::onVringEnable(bool checked) {
    readChecks();
    store([&](AxisSettings& r) { r.vring.enabled = checked; });
    enable({1179, 1008}, checked);
    if (checked) return;  // switched on by its SET
    callAndEcho(VELMIRA_ECHO0("lorvexMF_VRING_DISABLE(%u,%i)"),
                [&](MotionLibrary& lib, std::uint8_t card, std::uint16_t mask) {
                    lib.VRING_DISABLE(card, mask);
                });
}

void CConfigurationDlg::onVringSet() {
    if (!readField(Field::Vring)) return;  // never a value the user did not enter
    const std::int32_t value = vring_;
    store([&](AxisSettings& r) { r.vring.first = value; });
    callAndEcho(VELMIRA_ECHO("lorvexMF_VRING_ENABLE(%u,%i,%i)", value),
                [&](MotionLibrary& lib, std::uint8_t card, std::uint16_t mask) {
                    lib.VRING_ENABLE(card, mask, value);
                });
}

void CConfigurationDlg::onMaxVEnable(bool checked) {
    store([&](AxisSettings& r) { r.maxV.enabled = checked; });
    enable({1123, 1181}, checked);
}

void CConfigurationDlg::onMaxVSet() {
    if (!readField(Field::MaxV)) return;
    const std::int32_t value = maxV_;
    store([&](AxisSettings& r) {
        r.maxV.enabled = 1;
        r.maxV.first = value;
    });
    callAndEcho(VELMIRA_ECHO("lorvexMF_SET_MAX_V(%u,%i,%i)", value),
                [&](MotionLibrary& lib, std::uint8_t card, std::uint16_t mask) {
                    lib.SET_MAX_V(card, mask, value);
                });
}

void CConfigurationDlg::onAvtri(bool checked) {
    store([&](AxisSettings& r) { r.avtri.enabled = checked; });
    callAndEcho(checked ? VELMIRA_ECHO0("lorvexMF_AVTRI_ENABLE(%u,%i)")
                        : VELMIRA_ECHO0("lorvexMF_AVTRI_DISABLE(%u,%i)"),
                [&](MotionLibrary& lib, std::uint8_t card, std::uint16_t mask) {
                    checked ? lib.AVTRI_ENABLE(card, mask) : lib.AVTRI_DISABLE(card, mask);
                });
}

}  // namespace velmira
