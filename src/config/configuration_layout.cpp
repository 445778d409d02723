// The Configuration screen's controls. The template fixes identifiers,
// captions and places; the lists and captions the configuration-file tool
// quotes come from the settings layer's words.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

#include "config/configuration_dlg.h"
#include "config/configuration_ids.h"
#include "platform/picture_control.h"
#include "settings/settings_words.h"
#include "ui/command_list.h"
#include "ui/module_tree.h"

namespace velmira {
namespace {

using namespace config_ids;
namespace words = screen_words;

constexpr int kModuleIcon = 152;
constexpr int kAxisIcon = 145;

template <std::size_t N>
QStringList items(const std::array<const char*, N>& list) {
    QStringList out;
    for (const char* item : list) out << QString::fromUtf8(item);
    return out;
}

}  // namespace

void CConfigurationDlg::buildTemplate() {
    tree_ = new ModuleTree(ModuleTree::Contents::ModulesAndAxes, {kModuleIcon, kAxisIcon}, this);
    tagControl(tree_, kTree);
    tree_->setGeometry(toPixels({1, 1, 175, 156}));

    list_ = new CommandList(QStringLiteral("Type"), QStringLiteral("Command"), 1, 5, this);
    tagControl(list_, kList);
    list_->setAccessibleName(QStringLiteral("Commands"));
    list_->saveCodeOnto(ctx_.card, boxes());
    // One row a setting: a copy takes the rows the user picked.
    list_->setCopyScope(CommandList::CopyScope::SelectedRows);
    list_->setGeometry(toPixels({1, 159, 175, 152}));

    // The software-limit controls share the top of the tree's area, above it;
    // SL+ and SL- have a row of their own in the box (the template put them
    // over the tree's items), and the items start below the box.
    constexpr int kSoftLimitBoxHeight = 62;
    addGroupBox(QStringLiteral("Software LimiteSettings"), {1, 1, 168, kSoftLimitBoxHeight})
        ->raise();
    addCheckBox(kSoftLimitBox, QStringLiteral("Enable Software Limit"), {9, 9, 87, 10});
    addLabel(QStringLiteral("Compare Source"), {10, 26, 56, 8});
    addDropDown(kCompareSource, items(words::kCompareSources), {70, 26, 97, 30})->setEnabled(false);
    addLabel(QStringLiteral("SL+"), {10, 45, 14, 8});
    addEdit(kSlPlus, {26, 42, 56, 14}, true)->setEnabled(false);
    addLabel(QStringLiteral("SL-"), {94, 45, 12, 8});
    addEdit(kSlMinus, {110, 42, 56, 14}, true)->setEnabled(false);
    tree_->setStyleSheet(QStringLiteral("QTreeWidget { padding-top: %1px; }")
                             .arg(toPixels({0, 0, 0, kSoftLimitBoxHeight + 1}).height()));

    addLabel(words::kPulseModeLabel, {261, 5, 67, 8});
    addDropDown(kPulseMode, items(words::kPulseModes), {331, 5, 115, 62});
    addLabel(words::kEncoderModeLabel, {276, 19, 52, 8});
    addDropDown(kEncoderMode, items(words::kEncoderModes), {331, 19, 115, 47});

    addGroupBox(QStringLiteral("Hardware Signal Settings"), {182, 30, 265, 91});
    addCheckBox(kServoOnBox, words::kServoOnBox, {191, 43, 71, 10});
    addLabel(words::kHardLimitLabel, {191, 61, 54, 10});
    addDropDown(kHardLimit, items(words::kLowHigh), {259, 60, 60, 30});
    addLabel(words::kHomeEdgeLabel, {323, 61, 45, 10});
    addDropDown(kHomeEdge, items(words::kLowHigh), {379, 60, 60, 30});
    addLabel(words::kNearHomeLabel, {191, 81, 41, 9});
    addDropDown(kNearHome, items(words::kLowHigh), {259, 80, 60, 30});
    addLabel(words::kZPhaseLabel, {323, 81, 52, 9});
    addDropDown(kZPhase, items(words::kLowHigh), {379, 80, 60, 30});
    addLabel(words::kStopModeLabel, {191, 100, 63, 10});
    addDropDown(kLimitStopMode, items(words::kStopModes), {259, 101, 86, 30});

    addGroupBox(QStringLiteral("Input Signal Settings"), {182, 124, 265, 45});
    addCheckBox(kInPosBox, words::kInPosBox, {189, 138, 67, 10});
    addLabel(words::kLogicLabel, {189, 151, 18, 8})->hide();
    addDropDown(kInPosLogic, items(words::kLowHigh), {209, 151, 41, 30})->setEnabled(false);
    addCheckBox(kAlarmBox, words::kAlarmBox, {331, 138, 81, 10});
    addLabel(words::kLogicLabel, {331, 151, 18, 8});
    addDropDown(kAlarmLogic, items(words::kAlarmLogic), {351, 151, 41, 30})->setEnabled(false);

    addGroupBox(words::kFilterGroup, {182, 171, 265, 54});
    const QRect filterPlaces[] = {{189, 180, 81, 10},
                                  {299, 180, 36, 10},
                                  {387, 180, 45, 10},
                                  {189, 194, 39, 10},
                                  {299, 194, 27, 10}};
    for (std::size_t bit = 0; bit < kFilterBoxes.size(); ++bit) {
        filterBoxes_[bit] =
            addCheckBox(kFilterBoxes[bit], words::kFilterBoxes[bit], filterPlaces[bit]);
    }
    addLabel(words::kDelayLabel, {189, 207, 82, 8});
    addDropDown(kDelay, items(words::kDelays), {272, 206, 77, 46});

    addGroupBox(QStringLiteral("Other Settings"), {182, 228, 265, 47});
    addCheckBox(kVringBox, words::kVringBox, {194, 241, 61, 10});
    addEdit(kVring, {194, 254, 40, 14});
    addLabel(QStringLiteral("Pulse"), {237, 259, 20, 8});
    addButton(kVringSet, QStringLiteral("SET"), {259, 257, 19, 11}, Qt::AlignCenter);
    addCheckBox(kAvtriBox, words::kAvtriBox, {283, 241, 61, 10});
    addCheckBox(kMaxVBox, words::kMaxVBox, {354, 241, 58, 10});
    addEdit(kMaxV, {354, 254, 40, 14});
    addLabel(QStringLiteral("Pulse"), {398, 259, 18, 8});
    addButton(kMaxVSet, QStringLiteral("SET"), {422, 257, 19, 11}, Qt::AlignCenter);

    // The captions' blanks leave room for the pictures; a little more, for our font.
    const QString room = QStringLiteral("text-align: left; padding-left: 14px;");
    addButton(kSwitch, QStringLiteral("        Switch to Test"), {179, 283, 70, 28})
        ->setStyleSheet(room);
    addPicture(kSwitchPicture, 223, {181, 288, 20, 20}, true);
    addButton(kLoad, QStringLiteral("        &Load Config"), {248, 283, 77, 28})
        ->setStyleSheet(room);
    addPicture(kLoadPicture, 159, {254, 289, 20, 20}, true);
    addButton(kSave, QStringLiteral("        &Save Config"), {325, 283, 77, 28})
        ->setStyleSheet(room);
    addPicture(kSavePicture, 160, {331, 289, 20, 20}, true);
    addButton(kReturn, QStringLiteral("        Return"), {401, 283, 47, 28})->setStyleSheet(room);
    addPicture(kReturnPicture, 203, {402, 289, 20, 20}, true);
}

}  // namespace velmira
