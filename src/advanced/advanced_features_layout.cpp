// The Advanced Features screen's controls, laid out like Basic Operation's:
// the tree and the list on the left, the groups on the right, the buttons
// along the bottom with their pictures at their left ends.
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "advanced/advanced_features_dlg.h"
#include "advanced/advanced_features_ids.h"
#include "platform/picture_control.h"
#include "ui/command_list.h"
#include "ui/module_tree.h"

namespace velmira {
namespace {

using namespace advanced_ids;

constexpr int kModuleIcon = 152;
constexpr int kAxisIcon = 145;
constexpr int kThirdTreeImage = 166;
constexpr int kLinearForward = 260;
constexpr int kLinearBackward = 261;
constexpr int kCircularBackward = 253;
constexpr int kCircularForward = 257;
constexpr int kServoOff = 197;
constexpr int kServoOn = 196;
constexpr int kStopIcon = 170;
constexpr int kExitIcon = 239;

}  // namespace

void CAdvancedFeaturesDlg::buildTemplate() {
    tree_ = new ModuleTree(ModuleTree::Contents::FourAxisModulesOnly,
                           {kModuleIcon, kAxisIcon, kThirdTreeImage}, this);
    tagControl(tree_, kTree);
    tree_->setGeometry(toPixels({2, 2, 172, 60}));
    tree_->setAccessibleName(QStringLiteral("Modules"));
    list_ = new CommandList(QStringLiteral("NO"), QStringLiteral("Command"), 1, 5, this);
    tagControl(list_, kList);
    list_->setGeometry(toPixels({2, 65, 172, 218}));
    list_->setAccessibleName(QStringLiteral("Commands"));
    list_->saveCodeOnto(ctx_.card, boxes());

    const auto radios = [this](const QString& title, const QRect& box, QButtonGroup* group,
                               std::initializer_list<std::pair<int, const char*>> buttons) {
        addGroupBox(title, box);
        int y = box.y() + 11;
        for (const auto& [id, text] : buttons) {
            addRadio(id, QString::fromLatin1(text), {box.x() + 5, y, box.width() - 8, 15}, group);
            y += 15;
        }
    };
    modeGroup_ = new QButtonGroup(this);
    radios(QStringLiteral("Interpolation Mode"), {178, 2, 72, 57}, modeGroup_,
           {{kLinear2D, "Linear 2D"}, {kLinear3D, "Linear 3D"}, {kCircular, "Circular"}});
    profileGroup_ = new QButtonGroup(this);
    radios(QStringLiteral("Acc Mode"), {253, 2, 64, 57}, profileGroup_,
           {{kConst, "Const"}, {kTCurve, "T-Curve"}, {kSCurve, "S-Curve"}});
    symGroup_ = new QButtonGroup(this);
    radios(QStringLiteral("Acc/Dec Sym"), {320, 2, 66, 57}, symGroup_,
           {{kSym, "Sym"}, {kAsym, "Asym"}});
    arcGroup_ = new QButtonGroup(this);
    radios(QStringLiteral("Arc Mode"), {389, 2, 66, 57}, arcGroup_, {{kCW, "CW"}, {kCCW, "CCW"}});
    enable({kCW, kCCW, kSym, kAsym}, false);

    addGroupBox(QStringLiteral("Axis Disposition"), {178, 62, 277, 30});
    const QStringList axes{"X-Axis", "Y-Axis", "Z-Axis", "U-Axis"};
    const int listIds[] = {kAxis1, kAxis2, kAxis3};
    for (int i = 0; i < 3; ++i) {
        const int x = 184 + 92 * i;
        const QString label = QStringLiteral("Axis%1").arg(i + 1);
        addLabel(label, {x, 76, 20, 9});
        axisLists_[i] = addDropDown(listIds[i], axes, {x + 21, 73, 62, 70});
        axisLists_[i]->setAccessibleName(label);
    }
    axisLists_[2]->setEnabled(false);

    addGroupBox(QStringLiteral("Parameters"), {178, 95, 277, 72});
    struct Field {
        int id;
        const char* label;
        const char* unit;
    };
    const Field left[] = {{kVsv, "Start Velocity (VSV)", "PPS"},
                          {kVv, "Drive Velocity (VV)", "PPS"},
                          {kVa, "Acceleration (VA)", "PPS/Sec"},
                          {kVd, "Deceleration (VD)", "PPS/Sec"}};
    const Field right[] = {{kVk, "Jerk (VK)", "PPS/Sec^2"},
                           {kVl, "Decelerating Rate (VL)", "PPS/Sec^2"},
                           {kVao, "Offset Pulse (VAO)", ""}};
    for (int row = 0; row < 4; ++row) {
        const int y = 105 + 15 * row;
        const Field& l = left[row];
        addLabel(QString::fromLatin1(l.label), {183, y + 3, 63, 9});
        addNumberEdit(l.id, {247, y, 34, 14})->setAccessibleName(QString::fromLatin1(l.label));
        addLabel(QString::fromLatin1(l.unit), {283, y + 3, 26, 9});
        if (row == 3) break;
        const Field& r = right[row];
        addLabel(QString::fromLatin1(r.label), {311, y + 3, 72, 9});
        addNumberEdit(r.id, {384, y, 32, 14})->setAccessibleName(QString::fromLatin1(r.label));
        if (*r.unit) addLabel(QString::fromLatin1(r.unit), {418, y + 3, 37, 9});
    }

    // Two rows of three number fields, with a row label at the left.
    const auto fieldRows =
        [this](const QString& title, int top, std::initializer_list<const char*> rowLabels,
               std::initializer_list<std::initializer_list<std::pair<int, const char*>>> rows,
               bool readOnly) {
            addGroupBox(title, {178, top, 277, 48});
            auto label = rowLabels.begin();
            int y = top + 12;
            for (const auto& row : rows) {
                addLabel(QString::fromLatin1(*label++), {183, y + 3, 50, 9});
                int x = 236;
                for (const auto& [id, name] : row) {
                    addLabel(QString::fromLatin1(name), {x, y + 3, 14, 9});
                    QLineEdit* e = readOnly ? addEdit(id, {x + 15, y, 55, 14}, true)
                                            : addNumberEdit(id, {x + 15, y, 55, 14});
                    e->setAccessibleName(QString::fromLatin1(name));
                    if (readOnly) {
                        e->setReadOnly(true);
                        e->setFocusPolicy(Qt::NoFocus);
                    }
                    x += 73;
                }
                y += 17;
            }
        };
    fieldRows(QStringLiteral("Finish Ponits / Center Pointers Settings"), 170,
              {"Output Pulse :", "Center Point :"},
              {{{kFp1, "FP1"}, {kFp2, "FP2"}, {kFp3, "FP3"}}, {{kCp1, "CP1"}, {kCp2, "CP2"}}},
              false);
    fieldRows(QStringLiteral("Position Status"), 220, {"Logic Position :", "Encoder Posit. :"},
              {{{kLp1, "LP1"}, {kLp2, "LP2"}, {kLp3, "LP3"}},
               {{kEp1, "EP1"}, {kEp2, "EP2"}, {kEp3, "EP3"}}},
              true);
    addButton(kClear, QStringLiteral("Clear LP/EP"), {355, 269, 100, 15}, Qt::AlignCenter);

    // Room for the pictures: "CW" and "CCW" come without the blanks the other
    // captions start with.
    const QString room = QStringLiteral("text-align: left; padding-left: 44px;");
    struct Action {
        int id;
        const char* caption;
        int picture;
        int resource;
    };
    const Action actions[] = {
        {kBackward, "Backward", kBackwardPicture, kLinearBackward},
        {kStop, "         Stop", kStopPicture, kStopIcon},
        {kForward, "Forward", kForwardPicture, kLinearForward},
        {kServo, "Servo_ON", kServoPicture, kServoOff},
        {kExit, "       Exit", kExitPicture, kExitIcon},
    };
    int x = 2;
    for (const Action& a : actions) {
        addButton(a.id, QString::fromLatin1(a.caption), {x, 286, 89, 30})->setStyleSheet(room);
        addPicture(a.picture, a.resource, {x + 3, 291, 20, 20}, true);
        x += 91;
    }

    // Enter opens the profile window through this default button; a finger
    // opens it here, beside "Clear LP/EP".
    addButton(kProfile, QStringLiteral("2D Profile"), {252, 269, 100, 15}, Qt::AlignCenter)
        ->setAccessibleName(QStringLiteral("2D Profile"));
    setDefaultButton(kProfile);

    const std::pair<int, int> holders[] = {{kLinearForwardHolder, kLinearForward},
                                           {kLinearBackwardHolder, kLinearBackward},
                                           {kCircularBackwardHolder, kCircularBackward},
                                           {kCircularForwardHolder, kCircularForward},
                                           {kServoOffHolder, kServoOff},
                                           {kServoOnHolder, kServoOn}};
    for (const auto& [id, resource] : holders) {
        addPicture(id, resource, {0, 0, 20, 20}, false)->hide();
    }
}

}  // namespace velmira
