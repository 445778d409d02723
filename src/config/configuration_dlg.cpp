#include "config/configuration_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <algorithm>

#include "config/configuration_ids.h"
#include "hw/discovery.h"
#include "platform/resources.h"
#include "settings/settings_file.h"
#include "settings/settings_words.h"
#include "state/selection_note.h"
#include "ui/command_list.h"
#include "ui/module_tree.h"

namespace velmira {
namespace {

using namespace config_ids;

constexpr int kListIconSmall = 212;
constexpr int kListIconLarge = 213;

// The check boxes that show an entry's flag, and the controls each enables.
struct BoxShown {
    int box;
    SettingEntry AxisSettings::*entry;
    std::array<int, 2> enables;  // 0: none
};
constexpr BoxShown kBoxesShown[] = {
    {kInPosBox, &AxisSettings::inPos, {kInPosLogic, 0}},
    {kServoOnBox, &AxisSettings::servoOn, {0, 0}},
    {kAlarmBox, &AxisSettings::alarm, {kAlarmLogic, 0}},
    {kVringBox, &AxisSettings::vring, {kVring, kVringSet}},
    {kMaxVBox, &AxisSettings::maxV, {kMaxV, kMaxVSet}},
    {kAvtriBox, &AxisSettings::avtri, {0, 0}},
};

// The lists that show one value of an entry as the index of their item.
struct ListShown {
    int list;
    SettingEntry AxisSettings::*entry;
    std::int32_t SettingEntry::*value;
};
constexpr ListShown kListsShown[] = {
    {kPulseMode, &AxisSettings::pulseMode, &SettingEntry::first},
    {kEncoderMode, &AxisSettings::encoder, &SettingEntry::first},
    {kZPhase, &AxisSettings::encoder, &SettingEntry::second},
    {kHardLimit, &AxisSettings::hardLimit, &SettingEntry::first},
    {kHomeEdge, &AxisSettings::homeEdge, &SettingEntry::first},
    {kNearHome, &AxisSettings::nearHome, &SettingEntry::first},
    {kLimitStopMode, &AxisSettings::limitStopMode, &SettingEntry::first},
    {kInPosLogic, &AxisSettings::inPos, &SettingEntry::first},
    {kAlarmLogic, &AxisSettings::alarm, &SettingEntry::first},
    {kDelay, &AxisSettings::filter, &SettingEntry::second},
};

}  // namespace

CConfigurationDlg::CConfigurationDlg(AppContext& ctx, CarriedValues carried, QWidget* parent)
    : WorkingScreen(ctx.boxes, carried, parent), ctx_(ctx), state_(ctx.state) {
    setWindowTitle(QStringLiteral("Configation"));
    useTemplateFont();
    buildTemplate();
    connectHandlers();
}

void CConfigurationDlg::connectHandlers() {
    const auto combo = [this](int id, void (CConfigurationDlg::*handler)(int)) {
        connect(controlAs<QComboBox>(id), &QComboBox::activated, this, handler);
    };
    const auto box = [this](int id, void (CConfigurationDlg::*handler)(bool)) {
        connect(controlAs<QCheckBox>(id), &QCheckBox::clicked, this, handler);
    };
    connect(tree_, &ModuleTree::selectionChosen, this, &CConfigurationDlg::onSelectionChanged);
    combo(kPulseMode, &CConfigurationDlg::onPulseMode);
    combo(kZPhase, &CConfigurationDlg::onZPhase);
    combo(kHardLimit, &CConfigurationDlg::onHardLimit);
    combo(kHomeEdge, &CConfigurationDlg::onHomeEdge);
    combo(kNearHome, &CConfigurationDlg::onNearHome);
    combo(kLimitStopMode, &CConfigurationDlg::onLimitStopMode);
    combo(kInPosLogic, &CConfigurationDlg::onInPosLogic);
    combo(kAlarmLogic, &CConfigurationDlg::onAlarmLogic);
    combo(kCompareSource, &CConfigurationDlg::onCompareSource);
    combo(kDelay, &CConfigurationDlg::onDelay);
    box(kServoOnBox, &CConfigurationDlg::onServoOn);
    box(kInPosBox, &CConfigurationDlg::onInPosEnable);
    box(kAlarmBox, &CConfigurationDlg::onAlarmEnable);
    box(kSoftLimitBox, &CConfigurationDlg::onSoftLimitEnable);
    box(kVringBox, &CConfigurationDlg::onVringEnable);
    box(kMaxVBox, &CConfigurationDlg::onMaxVEnable);
    box(kAvtriBox, &CConfigurationDlg::onAvtri);
    for (int i = 0; i < static_cast<int>(filterBoxes_.size()); ++i) {
        connect(filterBoxes_[i], &QCheckBox::clicked, this,
                [this, i](bool checked) { onFilterBox(i, checked); });
    }
    onClick(kVringSet, [this] { onVringSet(); });
    onClick(kMaxVSet, [this] { onMaxVSet(); });
    onClick(kLoad, [this] { loadConfig(); });
    onClick(kLoadPicture, [this] { loadConfig(); });
    onClick(kSave, [this] { saveConfig(); });
    onClick(kSavePicture, [this] { saveConfig(); });
    onClick(kSwitch, [this] { switchToTest(); });
    onClick(kSwitchPicture, [this] { done(kResultSwitch); });
    onClick(kReturn, [this] { done(kResultReturn); });
    onClick(kReturnPicture, [this] { done(kResultPicture); });
}

void CConfigurationDlg::onInitDialog() {
    // The list's small and normal images; the report view shows the small one.
    QIcon listIcon;
    listIcon.addPixmap(renderResource(kListIconSmall, {16, 16}));
    listIcon.addPixmap(renderResource(kListIconLarge, {32, 32}));
    list_->rows().setIcon(listIcon);
    list_->setIconSize({16, 16});
    placeWorkingScreen();

    const std::uint8_t previousCard = state_.currentCard;
    const std::vector<int> registered =
        probeAndRegister(state_.slotTable, ctx_.hw, state_.currentCard);
    tree_->fill(state_.slotTable, registered);

    ConfigScreenState& cfg = state_.config;
    if (cfg.firstOpening) {
        tree_->selectFirstModule();
        state_.moduleNodeSelected = 1;
        cfg.firstOpening = 0;
    } else if (!tree_->restore(state_.selectedModuleLabel, state_.selectedAxisLabel,
                               state_.moduleNodeSelected)) {
        // The module has gone: the previous selection stays whole, rather than
        // pointing at the last slot probed, where the servo-off would go next.
        state_.currentCard = previousCard;
    }
    refreshAll();
    enable({kDelay}, anyFilterChecked());
    cfg.funCounter = 0;
}

bool CConfigurationDlg::anyFilterChecked() const {
    return std::any_of(filterBoxes_.begin(), filterBoxes_.end(),
                       [](const QCheckBox* b) { return b->isChecked(); });
}

void CConfigurationDlg::onSelectionChanged(const ModuleSelection& selection) {
    state_.select(selection);
    refreshAll();
}

SoftLimitSlot& CConfigurationDlg::softLimitSlot() {
    auto& table = state_.config.softLimits;
    const std::size_t card = std::min<std::size_t>(state_.currentCard, table.size() - 1);
    const std::size_t index = std::min<std::size_t>(
        static_cast<std::size_t>(std::max(state_.currentAxisIndex, 0)), table[card].size() - 1);
    return table[card][index];
}

void CConfigurationDlg::refresh() {
    const AxisSettings& r = state_.settings.record(state_.currentCard, state_.currentAxisIndex);
    const SoftLimitSlot& sl = softLimitSlot();
    ConfigScreenState& cfg = state_.config;

    for (const ListShown& l : kListsShown) showIndex(l.list, r.*l.entry.*l.value);
    for (const BoxShown& b : kBoxesShown) {
        controlAs<QCheckBox>(b.box)->setChecked((r.*b.entry).enabled);
        enableBehind(b.box, (r.*b.entry).enabled);
    }

    cfg.filterMask = static_cast<std::uint16_t>(r.filter.first);
    for (std::size_t bit = 0; bit < filterBoxes_.size(); ++bit) {
        filterBoxes_[bit]->setChecked((cfg.filterMask >> bit) & 1);
    }
    enable({kDelay}, anyFilterChecked());

    controlAs<QCheckBox>(kSoftLimitBox)->setChecked(sl.limitEnabled != 0);
    enable({kCompareSource}, sl.limitEnabled != 0);
    showIndex(kCompareSource, sl.compareSource);
    slPlus_ = sl.limitPlus;
    slMinus_ = sl.limitMinus;
    vring_ = r.vring.first != 0 && vring_ != 0 ? r.vring.first : screen_words::kShownVring;
    maxV_ = r.maxV.first != 0 && maxV_ != 0 ? r.maxV.first : screen_words::kShownMaxV;
    setInt(kSlMinus, slMinus_);
    setInt(kSlPlus, slPlus_);
    setInt(kVring, vring_);
    setInt(kMaxV, maxV_);
}

void CConfigurationDlg::enableBehind(int box, bool on) {
    for (const BoxShown& b : kBoxesShown) {
        if (b.box != box) continue;
        for (int id : b.enables) {
            if (id) enable({id}, on);
        }
    }
}

void CConfigurationDlg::refreshAll() {
    const ModuleKind kind = state_.currentKind;
    if (kind == ModuleKind::None) return;
    const int axes = axisCount(kind);
    if (state_.currentAxisIndex >= axes) {
        const std::int32_t whole = state_.currentAxisIndex;
        for (int a = 0; a < axes; ++a) {
            state_.currentAxisIndex = a;
            refresh();
        }
        state_.currentAxisIndex = whole;
    } else {
        refresh();
    }
}

bool CConfigurationDlg::readField(Field field) {
    switch (field) {
        case Field::SlMinus:
            return readInt(kSlMinus, slMinus_);
        case Field::SlPlus:
            return readInt(kSlPlus, slPlus_);
        case Field::Vring:
            return readInt(kVring, vring_, 0, screen_words::kVringHigh);
        case Field::MaxV:
            return readInt(kMaxV, maxV_, screen_words::kMaxVLow, screen_words::kMaxVHigh);
    }
    return false;
}

bool CConfigurationDlg::readAllFields() {
    return readField(Field::SlMinus) && readField(Field::SlPlus) && readField(Field::Vring) &&
           readField(Field::MaxV);
}

void CConfigurationDlg::echo(const std::string& text) {
    ConfigScreenState& cfg = state_.config;
    list_->rows().prependRow(QStringLiteral("Fun %1").arg(cfg.funCounter),
                             QString::fromStdString(text),
                             QString::fromStdString(selectionNote("Configuration", state_)));
    ++cfg.funCounter;
}

void CConfigurationDlg::loadConfig() {
    const Result<> loaded = loadAndApplySettings(state_.settings, state_.currentCard,
                                                 state_.currentKind, ctx_.hw, ctx_.card);
    if (!loaded.ok()) boxes().error(loaded.error());
    refreshAll();
}

void CConfigurationDlg::saveConfig() {
    const SaveResult saved = saveSettings(state_.settings, ctx_.card, ctx_.backups);
    // A failed save leaves the settings unsaved, so the main menu still asks.
    if (!saved.ok()) return void(boxes().error(saved.error()));
    state_.settingsSaved = 1;
    std::string text = "All of the settings saved !!";
    if (const std::string notes = backupNotes(saved); !notes.empty()) text += "\n" + notes;
    boxes().show({text, "Information", BoxIcon::Information, BoxButtons::Ok});
}

void CConfigurationDlg::switchToTest() {
    if (readAllFields()) done(kResultSwitch);
}

int CConfigurationDlg::currentIndexOf(int id) const {
    return controlAs<QComboBox>(id)->currentIndex();
}

// A value that is no index of the list (a file written elsewhere) shows as no
// selection.
void CConfigurationDlg::showIndex(int id, int index) {
    auto* combo = controlAs<QComboBox>(id);
    const QSignalBlocker block(combo);
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

}  // namespace velmira
