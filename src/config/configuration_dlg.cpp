#include "config/configuration_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include "hw/discovery.h"
#include "platform/picture_control.h"
#include "platform/resources.h"
#include "settings/settings_file.h"
#include "state/selection_note.h"
#include "ui/command_list.h"
#include "ui/module_tree.h"

namespace velmira {
namespace {

constexpr int kModuleIcon = 152;
constexpr int kAxisIcon = 145;
constexpr int kListIconSmall = 212;
constexpr int kListIconLarge = 213;
constexpr int kFilterBoxIds[5] = {1019, 1020, 1021, 1022, 1023};

const QStringList kLowHigh{"Low", "High"};

}  // namespace

CConfigurationDlg::CConfigurationDlg(AppContext& ctx, CarriedValues carried, QWidget* parent)
    : WorkingScreen(ctx.boxes, carried, parent), ctx_(ctx), state_(ctx.state) {
    setWindowTitle(QStringLiteral("Configation"));
    useTemplateFont();
    buildTemplate();
    connectHandlers();
}

void CConfigurationDlg::buildTemplate() {
    tree_ = new ModuleTree(ModuleTree::Contents::ModulesAndAxes, {kModuleIcon, kAxisIcon}, this);
    tagControl(tree_, 1001);
    tree_->setGeometry(toPixels({1, 1, 175, 156}));

    list_ = new CommandList(QStringLiteral("Type"), QStringLiteral("Command"), 1, 5, this);
    tagControl(list_, 1122);
    list_->setAccessibleName(QStringLiteral("Commands"));
    // One row a setting: a copy takes the rows the user picked.
    list_->setCopyScope(CommandList::CopyScope::SelectedRows);
    list_->setGeometry(toPixels({1, 159, 175, 152}));

    // The software-limit controls share the top of the tree's area, above it;
    // SL+ and SL- have a row of their own in the box (the template put them
    // over the tree's items), and the items start below the box.
    constexpr int kSoftLimitBoxHeight = 62;
    addGroupBox(QStringLiteral("Software LimiteSettings"), {1, 1, 168, kSoftLimitBoxHeight})
        ->raise();
    addCheckBox(1012, QStringLiteral("Enable Software Limit"), {9, 9, 87, 10});
    addLabel(QStringLiteral("Compare Source"), {10, 26, 56, 8});
    addDropDown(1011, {"Logic Position", "Encoder Position"}, {70, 26, 97, 30})->setEnabled(false);
    addLabel(QStringLiteral("SL+"), {10, 45, 14, 8});
    addEdit(1009, {26, 42, 56, 14}, true)->setEnabled(false);
    addLabel(QStringLiteral("SL-"), {94, 45, 12, 8});
    addEdit(1010, {110, 42, 56, 14}, true)->setEnabled(false);
    tree_->setStyleSheet(QStringLiteral("QTreeWidget { padding-top: %1px; }")
                             .arg(toPixels({0, 0, 0, kSoftLimitBoxHeight + 1}).height()));

    addLabel(QStringLiteral("Output Pulse Mode :"), {261, 5, 67, 8});
    addDropDown(1002,
                {" CW", " CCW", " PULSE (Rising Edge) / Dir +", " PULSE (Falling Edge) / Dir +",
                 " PULSE (Rising Edge) / Dir -", " PULSE (Falling Edge) / Dir -"},
                {331, 5, 115, 62});
    addLabel(QStringLiteral("Encoder Mode :"), {276, 19, 52, 8});
    addDropDown(1003, {"1/1 AB Phase", "1/2 AB Phase", "1/4 AB Phase", "CW/CCW"},
                {331, 19, 115, 47});

    addGroupBox(QStringLiteral("Hardware Signal Settings"), {182, 30, 265, 91});
    addCheckBox(1183, QStringLiteral("Enable Servo ON"), {191, 43, 71, 10});
    addLabel(QStringLiteral("LIMIT+/- (Logic)"), {191, 61, 54, 10});
    addDropDown(1005, kLowHigh, {259, 60, 60, 30});
    addLabel(QStringLiteral("HOME (Logic)"), {323, 61, 45, 10});
    addDropDown(1006, kLowHigh, {379, 60, 60, 30});
    addLabel(QStringLiteral("NEAR HOME"), {191, 81, 41, 9});
    addDropDown(1004, kLowHigh, {259, 80, 60, 30});
    addLabel(QStringLiteral("Z-Phase (Logic)"), {323, 81, 52, 9});
    addDropDown(1007, kLowHigh, {379, 80, 60, 30});
    addLabel(QStringLiteral("LIMITSTOP_MODE"), {191, 100, 63, 10});
    addDropDown(1073, {"stop suddenly", "stop after decelerate"}, {259, 101, 86, 30});

    addGroupBox(QStringLiteral("Input Signal Settings"), {182, 124, 265, 45});
    addCheckBox(1013, QStringLiteral("Enable INP/RDY"), {189, 138, 67, 10});
    addLabel(QStringLiteral("Logic"), {189, 151, 18, 8})->hide();
    addDropDown(1016, kLowHigh, {209, 151, 41, 30})->setEnabled(false);
    addCheckBox(1015, QStringLiteral("Enable Servo Alarm"), {331, 138, 81, 10});
    addLabel(QStringLiteral("Logic"), {331, 151, 18, 8});
    addDropDown(1018, {" Low", " High"}, {351, 151, 41, 30})->setEnabled(false);

    addGroupBox(QStringLiteral("Input Signal Filter"), {182, 171, 265, 54});
    filterBoxes_[0] = addCheckBox(1019, QStringLiteral("EMG, LMT, ORG, SD"), {189, 180, 81, 10});
    filterBoxes_[1] = addCheckBox(1020, QStringLiteral("INDEX"), {299, 180, 36, 10});
    filterBoxes_[2] = addCheckBox(1021, QStringLiteral("INP, ALM"), {387, 180, 45, 10});
    filterBoxes_[3] = addCheckBox(1022, QStringLiteral("EXP+/-"), {189, 194, 39, 10});
    filterBoxes_[4] = addCheckBox(1023, QStringLiteral("IN3"), {299, 194, 27, 10});
    addLabel(QStringLiteral("Input Signal Delay Time:"), {189, 207, 82, 8});
    addDropDown(1033,
                {"0.2 u (time unit)", "256*10E-7", "512*10E-7", "1.024*10E-3", "2.048*10E-3",
                 "4.096*10E-3", "8.192*10E-3", "16.384*10E-3"},
                {272, 206, 77, 46});

    addGroupBox(QStringLiteral("Other Settings"), {182, 228, 265, 47});
    addCheckBox(1177, QStringLiteral("Enable VRING"), {194, 241, 61, 10});
    addEdit(1179, {194, 254, 40, 14});
    addLabel(QStringLiteral("Pulse"), {237, 259, 20, 8});
    addButton(1008, QStringLiteral("SET"), {259, 257, 19, 11}, Qt::AlignCenter);
    addCheckBox(1178, QStringLiteral("Enable AVTRI"), {283, 241, 61, 10});
    addCheckBox(1182, QStringLiteral("Enable MaxV"), {354, 241, 58, 10});
    addEdit(1123, {354, 254, 40, 14});
    addLabel(QStringLiteral("Pulse"), {398, 259, 18, 8});
    addButton(1181, QStringLiteral("SET"), {422, 257, 19, 11}, Qt::AlignCenter);

    // The captions' blanks leave room for the pictures; a little more, for our font.
    const QString room = QStringLiteral("text-align: left; padding-left: 14px;");
    addButton(1, QStringLiteral("        Switch to Test"), {179, 283, 70, 28})->setStyleSheet(room);
    addPicture(1165, 223, {181, 288, 20, 20}, true);
    addButton(1035, QStringLiteral("        &Load Config"), {248, 283, 77, 28})
        ->setStyleSheet(room);
    addPicture(1163, 159, {254, 289, 20, 20}, true);
    addButton(1036, QStringLiteral("        &Save Config"), {325, 283, 77, 28})
        ->setStyleSheet(room);
    addPicture(1140, 160, {331, 289, 20, 20}, true);
    addButton(2, QStringLiteral("        Return"), {401, 283, 47, 28})->setStyleSheet(room);
    addPicture(1164, 203, {402, 289, 20, 20}, true);
}

void CConfigurationDlg::connectHandlers() {
    const auto combo = [this](int id, void (CConfigurationDlg::*handler)(int)) {
        connect(controlAs<QComboBox>(id), &QComboBox::activated, this, handler);
    };
    const auto box = [this](int id, void (CConfigurationDlg::*handler)(bool)) {
        connect(controlAs<QCheckBox>(id), &QCheckBox::clicked, this, handler);
    };
    connect(tree_, &ModuleTree::selectionChosen, this, &CConfigurationDlg::onSelectionChanged);
    combo(1002, &CConfigurationDlg::onPulseMode);
    combo(1007, &CConfigurationDlg::onZPhase);
    combo(1005, &CConfigurationDlg::onHardLimit);
    combo(1006, &CConfigurationDlg::onHomeEdge);
    combo(1004, &CConfigurationDlg::onNearHome);
    combo(1073, &CConfigurationDlg::onLimitStopMode);
    combo(1016, &CConfigurationDlg::onInPosLogic);
    combo(1018, &CConfigurationDlg::onAlarmLogic);
    combo(1011, &CConfigurationDlg::onCompareSource);
    combo(1033, &CConfigurationDlg::onDelay);
    box(1183, &CConfigurationDlg::onServoOn);
    box(1013, &CConfigurationDlg::onInPosEnable);
    box(1015, &CConfigurationDlg::onAlarmEnable);
    box(1012, &CConfigurationDlg::onSoftLimitEnable);
    box(1177, &CConfigurationDlg::onVringEnable);
    box(1182, &CConfigurationDlg::onMaxVEnable);
    box(1178, &CConfigurationDlg::onAvtri);
    for (int i = 0; i < 5; ++i) {
        connect(filterBoxes_[i], &QCheckBox::clicked, this,
                [this, i](bool checked) { onFilterBox(i, checked); });
    }
    onClick(1008, [this] { onVringSet(); });
    onClick(1181, [this] { onMaxVSet(); });
    onClick(1035, [this] { loadConfig(); });
    onClick(1163, [this] { loadConfig(); });
    onClick(1036, [this] { saveConfig(); });
    onClick(1140, [this] { saveConfig(); });
    onClick(1, [this] { switchToTest(); });
    onClick(1165, [this] { done(kResultSwitch); });
    onClick(2, [this] { done(kResultReturn); });
    onClick(1164, [this] { done(kResultPicture); });
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
    enable({1033}, anyFilterChecked());
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

    showIndex(1007, r.encoder.second);
    cfg.filterMask = static_cast<std::uint16_t>(r.filter.first);
    softLimitEnabled_ = sl.limitEnabled != 0;
    enable({1011}, softLimitEnabled_);
    slPlus_ = sl.limitPlus;
    slMinus_ = sl.limitMinus;
    for (int i = 0; i < 5; ++i) filterFlags_[i] = (cfg.filterMask >> i) & 1;
    enable({1033}, cfg.filterMask & 0x1F);
    showIndex(1033, r.filter.second);
    showIndex(1011, sl.compareSource);

    const auto check = [this](int id, bool on) { controlAs<QCheckBox>(id)->setChecked(on); };
    check(1013, r.inPos.enabled);
    enable({1016}, r.inPos.enabled);
    showIndex(1016, r.inPos.first);
    check(1183, r.servoOn.enabled);
    check(1015, r.alarm.enabled);
    enable({1018}, r.alarm.enabled);
    showIndex(1018, r.alarm.first);
    check(1177, r.vring.enabled);
    enable({1179, 1008}, r.vring.enabled);
    vring_ = r.vring.first != 0 && vring_ != 0 ? r.vring.first : 10000;
    check(1182, r.maxV.enabled);
    enable({1123, 1181}, r.maxV.enabled);
    maxV_ = r.maxV.first != 0 && maxV_ != 0 ? r.maxV.first : kDefaultMaxSpeed;
    check(1178, r.avtri.enabled);
    showIndex(1002, r.pulseMode.first);
    showIndex(1003, r.encoder.first);
    showIndex(1005, r.hardLimit.first);
    showIndex(1006, r.homeEdge.first);
    showIndex(1004, r.nearHome.first);
    showIndex(1073, r.limitStopMode.first);
    exchangeOut();
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

void CConfigurationDlg::readChecks() {
    softLimitEnabled_ = controlAs<QCheckBox>(1012)->isChecked();
    for (int i = 0; i < 5; ++i) filterFlags_[i] = filterBoxes_[i]->isChecked();
}

bool CConfigurationDlg::readField(Field field) {
    readChecks();
    switch (field) {
        case Field::SlMinus:
            return readInt(1010, slMinus_);
        case Field::SlPlus:
            return readInt(1009, slPlus_);
        case Field::Vring:
            // Up to the largest value the module's signed 32-bit argument can take.
            return readInt(1179, vring_, 0, 2147483647);
        case Field::MaxV:
            return readInt(1123, maxV_, 8000, 4000000);
    }
    return false;
}

bool CConfigurationDlg::readAllFields() {
    return readField(Field::SlMinus) && readField(Field::SlPlus) && readField(Field::Vring) &&
           readField(Field::MaxV);
}

void CConfigurationDlg::exchangeOut() {
    controlAs<QCheckBox>(1012)->setChecked(softLimitEnabled_);
    for (int i = 0; i < 5; ++i) filterBoxes_[i]->setChecked(filterFlags_[i]);
    setInt(1010, slMinus_);
    setInt(1009, slPlus_);
    setInt(1179, vring_);
    setInt(1123, maxV_);
}

void CConfigurationDlg::echo(const std::string& text) {
    ConfigScreenState& cfg = state_.config;
    list_->rows().prependRow(QStringLiteral("Fun %1").arg(cfg.funCounter),
                             QString::fromStdString(text),
                             QString::fromStdString(selectionNote("Configuration", state_)));
    ++cfg.funCounter;
}

void CConfigurationDlg::loadConfig() {
    loadAndApplySettings(state_.settings, state_.currentCard, state_.currentKind, ctx_.hw,
                         ctx_.card, boxes());
    refreshAll();
}

void CConfigurationDlg::saveConfig() {
    const SaveResult saved = saveSettings(state_.settings, ctx_.card, boxes(), ctx_.backups);
    // A failed save leaves the settings unsaved, so the main menu still asks.
    if (saved.status != 0) return;
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
