// The setting handlers of the Configuration screen: each stores its setting in
// the records it concerns and applies it to the module with one call, made
// through the echoing library so that the call and its row are one statement.
#include <QCheckBox>
#include <QComboBox>

#include "config/configuration_dlg.h"
#include "config/configuration_ids.h"
#include "hw/echoing_library.h"
#include "settings/encoder_table.h"

namespace velmira {
namespace {

using namespace config_ids;

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
void CConfigurationDlg::callAndEcho(F&& call) {
    MotionLibrary* lib = ctx_.hw.library(state_.currentKind);
    if (!lib) return;
    std::vector<std::string> rows;
    EchoingMotionLibrary echoing(*lib, rows);
    call(echoing, state_.currentCard, static_cast<std::uint16_t>(state_.currentAxisMask));
    for (const std::string& row : rows) echo(row);
}

void CConfigurationDlg::onPulseMode(int index) {
    store([&](AxisSettings& r) {
        r.pulseMode.enabled = 1;
        r.pulseMode.first = index;
    });
    callAndEcho([&](auto& m, auto card, auto axes) { m.SET_PULSE_MODE(card, axes, index); });
}

void CConfigurationDlg::onZPhase(int index) {
    const int mode = currentIndexOf(kEncoderMode);
    store([&](AxisSettings& r) {
        r.encoder.enabled = 1;
        r.encoder.first = mode;
        r.encoder.second = index;
    });
    // With no Z phase shown the module gets the last encoder setting sent.
    ConfigScreenState& cfg = state_.config;
    if (index >= 0) {
        const EncoderSetting e = encoderSettingFor(mode);
        cfg.encoderMode = e.mode;
        cfg.encoderDivision = e.division;
        cfg.zPhaseLogic = static_cast<std::uint8_t>(index);
    }
    callAndEcho([&](auto& m, auto card, auto axes) {
        m.SET_ENCODER(card, axes, cfg.encoderMode, cfg.encoderDivision, cfg.zPhaseLogic);
    });
}

void CConfigurationDlg::onHardLimit(int index) {
    store([&](AxisSettings& r) {
        r.hardLimit.enabled = 1;
        r.hardLimit.first = index;
        r.hardLimit.second = index;
    });
    callAndEcho([&](auto& m, auto card, auto axes) { m.SET_HLMT(card, axes, index, index); });
}

void CConfigurationDlg::onHomeEdge(int index) {
    store([&](AxisSettings& r) {
        r.homeEdge.enabled = 1;
        r.homeEdge.first = index;
    });
    callAndEcho([&](auto& m, auto card, auto axes) { m.SET_HOME_EDGE(card, axes, index); });
}

void CConfigurationDlg::onNearHome(int index) {
    store([&](AxisSettings& r) {
        r.nearHome.enabled = 1;
        r.nearHome.first = index;
    });
    callAndEcho([&](auto& m, auto card, auto axes) { m.SET_NHOME(card, axes, index); });
}

void CConfigurationDlg::onLimitStopMode(int index) {
    store([&](AxisSettings& r) {
        r.limitStopMode.enabled = 1;
        r.limitStopMode.first = index;
    });
    callAndEcho([&](auto& m, auto card, auto axes) { m.LIMITSTOP_MODE(card, axes, index); });
}

void CConfigurationDlg::onServoOn(bool checked) {
    store([&](AxisSettings& r) { r.servoOn.enabled = checked; });
    callAndEcho([&](auto& m, auto card, auto axes) {
        checked ? m.SERVO_ON(card, axes) : m.SERVO_OFF(card, axes);
    });
}

void CConfigurationDlg::onInPosEnable(bool checked) {
    store([&](AxisSettings& r) { r.inPos.enabled = checked; });
    enableBehind(kInPosBox, checked);
}

void CConfigurationDlg::onInPosLogic(int index) {
    store([&](AxisSettings& r) { r.inPos.first = index; });
    const bool on = isChecked(kInPosBox);
    callAndEcho([&](auto& m, auto card, auto axes) { m.SET_INPOS(card, axes, on, index); });
}

void CConfigurationDlg::onAlarmEnable(bool checked) {
    store([&](AxisSettings& r) { r.alarm.enabled = checked; });
    enableBehind(kAlarmBox, checked);
    // A list showing no item (a value from a file written elsewhere) gives
    // -1, which reaches the module as the byte 255, and its row says 255.
    const int logic = currentIndexOf(kAlarmLogic);
    callAndEcho([&](auto& m, auto card, auto axes) { m.SET_ALARM(card, axes, checked, logic); });
}

void CConfigurationDlg::onAlarmLogic(int index) {
    store([&](AxisSettings& r) { r.alarm.first = index; });
    const bool on = isChecked(kAlarmBox);
    callAndEcho([&](auto& m, auto card, auto axes) { m.SET_ALARM(card, axes, on, index); });
}

void CConfigurationDlg::onSoftLimitEnable(bool checked) {
    enable({kSlPlus, kSlMinus, kCompareSource}, checked);
    if (checked) return;  // the limits take effect when a compare source is chosen
    callAndEcho([&](auto& m, auto card, auto axes) { m.CLEAR_SLMT(card, axes); });
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
            showIndex(kCompareSource, 0);
            boxes().show({message, "Information", BoxIcon::Information, BoxButtons::Ok});
            return;
        }
    }
    slot.limitEnabled = isChecked(kSoftLimitBox);
    slot.compareSource = index;
    callAndEcho(
        [&](auto& m, auto card, auto axes) { m.SET_SLMT(card, axes, slPlus_, slMinus_, index); });
}

void CConfigurationDlg::onFilterBox(int box, bool checked) {
    enable({kDelay}, anyFilterChecked());
    std::uint16_t& mask = state_.config.filterMask;
    mask = static_cast<std::uint16_t>(checked ? mask + kFilterBits[box] : mask - kFilterBits[box]);
    sendFilter(currentIndexOf(kDelay));
}

void CConfigurationDlg::onDelay(int index) {
    sendFilter(index);
}

void CConfigurationDlg::sendFilter(int delayIndex) {
    const std::uint16_t mask = state_.config.filterMask;
    store([&](AxisSettings& r) {
        r.filter.enabled = 1;
        r.filter.first = mask;
        r.filter.second = delayIndex;
    });
    // No delay shown (-1) reaches the module as 65535, and its row says 65535.
    callAndEcho([&](auto& m, auto card, auto axes) { m.SET_FILTER(card, axes, mask, delayIndex); });
}

void CConfigurationDlg::onVringEnable(bool checked) {
    store([&](AxisSettings& r) { r.vring.enabled = checked; });
    enableBehind(kVringBox, checked);
    if (checked) return;  // switched on by its SET
    callAndEcho([&](auto& m, auto card, auto axes) { m.VRING_DISABLE(card, axes); });
}

void CConfigurationDlg::onVringSet() {
    if (!readField(Field::Vring)) return;  // never a value the user did not enter
    const std::int32_t value = vring_;
    store([&](AxisSettings& r) { r.vring.first = value; });
    callAndEcho([&](auto& m, auto card, auto axes) { m.VRING_ENABLE(card, axes, value); });
}

void CConfigurationDlg::onMaxVEnable(bool checked) {
    store([&](AxisSettings& r) { r.maxV.enabled = checked; });
    enableBehind(kMaxVBox, checked);
}

void CConfigurationDlg::onMaxVSet() {
    if (!readField(Field::MaxV)) return;
    const std::int32_t value = maxV_;
    store([&](AxisSettings& r) {
        r.maxV.enabled = 1;
        r.maxV.first = value;
    });
    callAndEcho([&](auto& m, auto card, auto axes) { m.SET_MAX_V(card, axes, value); });
}

void CConfigurationDlg::onAvtri(bool checked) {
    store([&](AxisSettings& r) { r.avtri.enabled = checked; });
    callAndEcho([&](auto& m, auto card, auto axes) {
        checked ? m.AVTRI_ENABLE(card, axes) : m.AVTRI_DISABLE(card, axes);
    });
}

}  // namespace velmira
