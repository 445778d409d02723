// The Basic Operation screen's controls. The template fixes identifiers,
// captions and groups; the places are ours: finger-sized at 800 x 600, the tree
// and the list on the left, the groups on the right, the buttons along the
// bottom with their pictures at their left ends.
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "basic/basic_operation_dlg.h"
#include "basic/basic_operation_ids.h"
#include "platform/picture_control.h"
#include "ui/command_list.h"
#include "ui/module_tree.h"

namespace velmira {
namespace {

using namespace basic_ids;

constexpr int kModuleIcon = 152;
constexpr int kAxisIcon = 145;
constexpr int kLampInactive = 185;
constexpr int kLampActive = 186;
constexpr int kHomeBitmap = 177;
constexpr int kStopBitmap = 178;
constexpr int kServoOnBitmap = 196;
constexpr int kServoOffBitmap = 197;

struct Lamp {
    int id;
    const char* label;
};

}  // namespace

void CBasicOperationDlg::buildTemplate() {
    tree_ = new ModuleTree(ModuleTree::Contents::ModulesAndAxes, {kModuleIcon, kAxisIcon}, this);
    tagControl(tree_, kTree);
    tree_->setGeometry(toPixels({2, 2, 172, 128}));
    tree_->setAccessibleName(QStringLiteral("Modules"));
    list_ = new CommandList(QStringLiteral("NO"), QStringLiteral("Command"), 1, 6, this);
    tagControl(list_, kList);
    list_->setGeometry(toPixels({2, 133, 172, 150}));
    list_->setAccessibleName(QStringLiteral("Commands"));
    list_->saveCodeOnto(ctx_.card, boxes());

    addGroupBox(QStringLiteral("Driving Mode"), {178, 2, 136, 50});
    auto* drivingGroup = new QButtonGroup(this);
    addRadio(kPointToPointRadio, QStringLiteral("Point-to-Point"), {184, 13, 64, 16}, drivingGroup);
    addRadio(kContinuousRadio, QStringLiteral("Conti. Output"), {250, 13, 62, 16}, drivingGroup);
    addRadio(kManualPulsarRadio, QStringLiteral("Manual Pulsar"), {184, 31, 64, 16}, drivingGroup);
    addRadio(kHomeRadio, QStringLiteral("HOME"), {250, 31, 62, 16}, drivingGroup);
    addGroupBox(QStringLiteral("Acc Mode"), {317, 2, 68, 50});
    auto* accGroup = new QButtonGroup(this);
    addRadio(kTCurve, QStringLiteral("T-Curve"), {323, 13, 58, 16}, accGroup);
    addRadio(kSCurve, QStringLiteral("S-Curve"), {323, 31, 58, 16}, accGroup);
    addGroupBox(QStringLiteral("Acc/Dec Sym"), {388, 2, 67, 50});
    auto* symGroup = new QButtonGroup(this);
    addRadio(kSym, QStringLiteral("Sym"), {394, 13, 56, 16}, symGroup);
    addRadio(kAsym, QStringLiteral("Asym"), {394, 31, 56, 16}, symGroup);

    addGroupBox(QStringLiteral("Parameters"), {178, 55, 277, 102});
    struct Field {
        int id;
        const char* label;
        const char* unit;
    };
    const Field left[] = {{kSv, "Start Velocity (SV)", "PPS"},
                          {kV, "Drive Velocity (V)", "PPS"},
                          {kA, "Acceleration (A)", "PPS/Sec"},
                          {kD, "Deceleration (D)", "PPS/Sec"}};
    const Field right[] = {{kK, "Jerk (K)", "PPS/Sec^2"},
                           {kL, "Decelerating Rate (L)", "PPS/Sec^2"},
                           {kP, "Output Pulse (P)", ""},
                           {kAo, "Offset Pulse (AO)", ""}};
    for (int row = 0; row < 4; ++row) {
        const int y = 66 + 17 * row;
        const Field& l = left[row];
        addLabel(QString::fromLatin1(l.label), {183, y + 3, 57, 9});
        addNumberEdit(l.id, {242, y, 36, 15})->setAccessibleName(QString::fromLatin1(l.label));
        addLabel(QString::fromLatin1(l.unit), {280, y + 3, 26, 9});
        const Field& r = right[row];
        addLabel(QString::fromLatin1(r.label), {309, y + 3, 67, 9});
        addNumberEdit(r.id, {377, y, 36, 15})->setAccessibleName(QString::fromLatin1(r.label));
        if (*r.unit) addLabel(QString::fromLatin1(r.unit), {415, y + 3, 39, 9});
    }
    addButton(kOnFlyV, QStringLiteral("on-fly change(V)"), {184, 136, 86, 18}, Qt::AlignCenter);
    addButton(kOnFlyA, QStringLiteral("on-fly change(A)"), {274, 136, 86, 18}, Qt::AlignCenter);
    addButton(kOnFlyP, QStringLiteral("on-fly change(P)"), {364, 136, 86, 18}, Qt::AlignCenter);

    addGroupBox(QStringLiteral("Home Settings"), {178, 160, 277, 30});
    addLabel(QStringLiteral("Mode"), {184, 172, 20, 9});
    homeMode_ = addDropDown(kHomeModeList,
                            {"NearHome, Lmt-", "Home, Lmt-", "NearHome, Home, Lmt-",
                             "Home, Index, Lmt- ", "NearHome, Index, Lmt-",
                             "NearHome, Home, Index, Lmt-", "NearHome,Home,Lmt-,Index,Offset,Lmt+"},
                            {206, 169, 150, 120});
    homeMode_->setAccessibleName(QStringLiteral("Mode"));
    addLabel(QStringLiteral("Speed(HV)"), {360, 172, 36, 9});
    addNumberEdit(kHv, {397, 169, 34, 15})->setAccessibleName(QStringLiteral("Speed(HV)"));
    addLabel(QStringLiteral("PPS"), {433, 172, 20, 9});

    addGroupBox(QStringLiteral("Axis Status"), {178, 193, 138, 72});
    const Field status[] = {{kLogicPosition, "Logic Position", "Pulse"},
                            {kEncoderPosition, "Encoder Position", "Pulse"},
                            {kError, "Error", "Pulse"},
                            {kCurrentSpeed, "Current Speed", "PPS"}};
    for (int row = 0; row < 4; ++row) {
        const int y = 203 + 15 * row;
        addLabel(QString::fromLatin1(status[row].label), {184, y + 3, 58, 9});
        QLineEdit* e = addEdit(status[row].id, {243, y, 48, 14}, true);
        e->setReadOnly(true);
        e->setFocusPolicy(Qt::NoFocus);
        e->setAccessibleName(QString::fromLatin1(status[row].label));
        addLabel(QString::fromLatin1(status[row].unit), {293, y + 3, 21, 9});
    }
    addButton(kClear, QStringLiteral("Clear  LP/EP"), {178, 267, 68, 16}, Qt::AlignCenter);
    addButton(kScope, QStringLiteral("Scope"), {248, 267, 68, 16}, Qt::AlignCenter)
        ->setAccessibleName(QStringLiteral("Scope"));

    const auto lampRow = [this](const Lamp* lamps, int count, int x0, int y, int step) {
        for (int i = 0; i < count; ++i) {
            const int x = x0 + step * i;
            PictureControl* p = addPicture(lamps[i].id, kLampInactive, {x, y, 10, 10}, false);
            p->setAccessibleName(QString::fromLatin1(lamps[i].label));
            addLabel(QString::fromLatin1(lamps[i].label), {x + 12, y + 1, step - 13, 9});
        }
    };
    addGroupBox(QStringLiteral("Limit Switch and Homing Signals"), {319, 193, 136, 46});
    const Lamp limits[] = {{1133, "LMT-"}, {1134, "SLMT-"}, {1135, "ORG"}};
    const Lamp homing[] = {{1056, "SD"}, {1057, "SLMT+"}, {1136, "LMT+"}};
    lampRow(limits, 3, 324, 205, 44);
    lampRow(homing, 3, 324, 222, 44);
    addGroupBox(QStringLiteral("Servo Input Signals"), {319, 241, 136, 25});
    const Lamp servo[] = {{1130, "DRV"}, {1131, "RDY"}, {1132, "ALM"}, {1058, "EMG"}};
    lampRow(servo, 4, 324, 253, 33);
    for (int i = 0; i < kLampCount; ++i) lamps_[i] = controlAs<PictureControl>(kLamps[i]);

    // Why the last move stopped, as the error code says, beside the lamps it explains.
    QLineEdit* cause = addEdit(kStopCause, {319, 268, 136, 15});
    cause->setReadOnly(true);
    cause->setFocusPolicy(Qt::NoFocus);
    cause->setAccessibleName(QStringLiteral("Stop cause"));
    cause->setPlaceholderText(QStringLiteral("Stop cause: none"));
    QPalette red = cause->palette();
    red.setColor(QPalette::Text, QColor(0xc0, 0, 0));
    cause->setPalette(red);

    notice_ = new QLabel(this);
    tagControl(notice_, kSearchNotice);
    notice_->setGeometry(toPixels({178, 55, 277, 102}));
    notice_->setWordWrap(true);
    notice_->setMargin(12);
    notice_->setFrameShape(QFrame::Box);
    notice_->setAutoFillBackground(true);
    QPalette note = notice_->palette();
    note.setColor(QPalette::Window, QColor(0xff, 0xf4, 0xc2));
    notice_->setPalette(note);
    notice_->setAccessibleName(QStringLiteral("Home search"));
    notice_->hide();

    // The captions' blanks leave room for the pictures; a little more, for our font.
    const QString room = QStringLiteral("text-align: left; padding-left: 16px;");
    struct Action {
        int id;
        const char* caption;
        int picture;
        int resource;
        int width;  // the longest caption gets the room it needs
    };
    const Action actions[] = {
        {kSwitch, "        Switch to Config", kSwitchPicture, 223, 86},
        {kBackward, "        &Backward", kBackwardPicture, 246, 71},
        {kStopHome, kStopCaption, kStopHomePicture, kStopBitmap, 71},
        {kForward, "        &Forward", kForwardPicture, 245, 71},
        {kServo, "       Servo ON/OFF", kServoPicture, kServoOffBitmap, 71},
        {kReturn, "        Return", kReturnPicture, 203, 71},
    };
    int x = 2;
    for (const Action& a : actions) {
        addButton(a.id, QString::fromLatin1(a.caption), {x, 286, a.width, 30})->setStyleSheet(room);
        addPicture(a.picture, a.resource, {x + 3, 291, 20, 20}, true);
        x += a.width + 2;
    }

    // Hidden holders, the size of the pictures they serve.
    const std::pair<int, int> holders[] = {{kActiveHolder, kLampActive},
                                           {kInactiveHolder, kLampInactive}};
    for (const auto& [id, resource] : holders) {
        addPicture(id, resource, {0, 0, 10, 10}, false)->hide();
    }
    const std::pair<int, int> buttonHolders[] = {{kHomeHolder, kHomeBitmap},
                                                 {kStopHolder, kStopBitmap},
                                                 {kServoOnHolder, kServoOnBitmap},
                                                 {kServoOffHolder, kServoOffBitmap}};
    for (const auto& [id, resource] : buttonHolders) {
        addPicture(id, resource, {0, 0, 20, 20}, false)->hide();
    }
}

}  // namespace velmira
