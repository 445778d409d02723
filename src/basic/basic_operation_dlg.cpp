#include "basic/basic_operation_dlg.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include "basic/basic_operation_ids.h"
#include "basic/jog_sequence.h"
#include "basic/scope_window.h"
#include "platform/picture_control.h"
#include "state/selection_note.h"
#include "ui/command_list.h"
#include "ui/module_tree.h"
#include "ui/radio_table.h"

namespace velmira {
namespace {

using namespace basic_ids;

constexpr Radio<DrivingMode> kDrives[] = {{DrivingMode::PointToPoint, kPointToPointRadio},
                                          {DrivingMode::Continuous, kContinuousRadio},
                                          {DrivingMode::ManualPulser, kManualPulsarRadio},
                                          {DrivingMode::Home, kHomeRadio}};
constexpr Radio<Profile> kCurves[] = {{Profile::TCurve, kTCurve}, {Profile::SCurve, kSCurve}};
constexpr Radio<Symmetry> kForms[] = {{Symmetry::Symmetric, kSym}, {Symmetry::Asymmetric, kAsym}};

enum Enable { Off, On, Keep };

// Which parameter controls a profile uses.
struct ParameterEnables {
    Enable sv, v, onFlyV, a, onFlyA, d, k, l, p, onFlyP, ao;
};
constexpr ParameterEnables kTSym{On, On, On, On, On, Off, Off, Off, On, On, On};
constexpr ParameterEnables kSSym{On, On, On, Off, Off, Off, On, Off, On, On, On};
constexpr ParameterEnables kTAsym{On, On, On, On, Keep, On, Off, Off, On, On, On};
constexpr ParameterEnables kSAsymFourAxis{On, On, On, Off, Off, Off, On, On, On, On, On};
constexpr ParameterEnables kSAsymTwoAxis{On, On, On, Off, Off, Off, On, Keep, On, On, On};

// The values a never-used block starts with.
void writeDefaults(AxisRunParams& b) {
    b.startVelocity = 20000;
    b.driveVelocity = 20000;
    b.acceleration = 100000;
    b.deceleration = 500;
    b.jerk = 500;
    b.decelRate = 300;
    b.outputPulse = 10000;
    b.offsetPulse = 9;
    b.homeSpeed = 5000;
    b.homeModeIndex = 6;
    b.profile = Profile::TCurve;
    b.drivingMode = DrivingMode::PointToPoint;
    b.symmetry = Symmetry::Symmetric;
}

// The block field each parameter edit keeps its value in.
std::int32_t AxisRunParams::*fieldOf(int id) {
    switch (id) {
        case kSv:
            return &AxisRunParams::startVelocity;
        case kV:
            return &AxisRunParams::driveVelocity;
        case kA:
            return &AxisRunParams::acceleration;
        case kD:
            return &AxisRunParams::deceleration;
        case kK:
            return &AxisRunParams::jerk;
        case kL:
            return &AxisRunParams::decelRate;
        case kP:
            return &AxisRunParams::outputPulse;
        case kAo:
            return &AxisRunParams::offsetPulse;
        case kHv:
            return &AxisRunParams::homeSpeed;
        default:
            return nullptr;
    }
}
constexpr int kParameterIds[] = {kSv, kV, kA, kD, kK, kL, kP, kAo, kHv};

// The field each value of a jog is read from.
constexpr std::pair<int, std::int32_t JogValues::*> kJogFields[] = {
    {kSv, &JogValues::sv}, {kV, &JogValues::v}, {kA, &JogValues::a}, {kD, &JogValues::d},
    {kK, &JogValues::k},   {kL, &JogValues::l}, {kP, &JogValues::p}, {kAo, &JogValues::ao}};

// The module and axis selected, without a screen's name before them.
std::string selectionName(const AppState& state) {
    std::string where = selectionNote({}, state);
    if (where.rfind(", ", 0) == 0) where.erase(0, 2);
    return where;
}

}  // namespace

CBasicOperationDlg::CBasicOperationDlg(AppContext& ctx, CarriedValues carried, QWidget* parent)
    : WorkingScreen(ctx.boxes, carried, parent), ctx_(ctx), state_(ctx.state) {
    setWindowTitle(QStringLiteral("Basic Operation"));
    useTemplateFont();
    buildTemplate();
    connectHandlers();
}

void CBasicOperationDlg::connectHandlers() {
    connect(tree_, &ModuleTree::selectionChosen, this, &CBasicOperationDlg::onSelection);
    onRadio(*this, kCurves, [this](Profile c) { onAccMode(c); });
    onRadio(*this, kDrives, [this](DrivingMode d) { onDrivingMode(d); });
    onRadio(*this, kForms, [this](Symmetry f) { ApplyCurveAndSymmetry(f); });
    for (int id : kParameterIds) {
        connect(controlAs<QLineEdit>(id), &QLineEdit::textEdited, this,
                [this, id] { onParameterEdited(id); });
    }
    connect(homeMode_, &QComboBox::activated, this, &CBasicOperationDlg::onHomeModeChosen);
    onClick(kOnFlyV, [this] { onTheFly(kV); });
    onClick(kOnFlyA, [this] { onTheFly(kA); });
    onClick(kOnFlyP, [this] { onTheFly(kP); });
    onClick(kForward, [this] { onJog(true); });
    onClick(kForwardPicture, [this] { onJog(true); });
    onClick(kBackward, [this] { onJog(false); });
    onClick(kBackwardPicture, [this] { onJog(false); });
    onClick(kServo, [this] { onServo(); });
    onClick(kServoPicture, [this] { onServo(); });
    onClick(kStopHome, [this] { onStopOrHome(); });
    onClick(kStopHomePicture, [this] { onStopOrHome(); });
    onClick(kClear, [this] { onClear(); });
    onClick(kScope, [this] { openScope(); });
    onClick(kSwitch, [this] { done(kResultSwitch); });
    onClick(kSwitchPicture, [this] { done(kResultSwitch); });
    onClick(kReturn, [this] { done(kResultReturn); });
    onClick(kReturnPicture, [this] { done(kResultPicture); });
}

void CBasicOperationDlg::onInitDialog() {
    placeWorkingScreen();
    enable({kA, kAo, kD, kK, kL, kP, kSv, kV, kOnFlyV, kOnFlyA, kOnFlyP, kHv, kHomeModeList},
           false);
    tree_->fill(state_.slotTable);
    // The lamps are drawn inactive at every opening; reading anew shows the
    // truth rather than what the last visit left.
    state_.shownSignalState.fill(0);
    tree_->restore(state_.selectedModuleLabel, state_.selectedAxisLabel, state_.moduleNodeSelected);
    RefreshAxisView();
    showServoState();
    // Limit, home and alarm inputs are checked by hand before anything moves:
    // the status follows the selected axis from the start.
    setTimer(kStatusTimer, statusPeriodMs());
}

void CBasicOperationDlg::onSelection(const ModuleSelection& selection) {
    state_.select(selection);
    followWithScope();
    RefreshAxisView();
    enable({kAsym}, selection.kind == ModuleKind::Lorvex);
    showServoState();
}

void CBasicOperationDlg::RefreshAxisView() {
    AxisRunParams& b = state_.currentRunParams();
    if (b.basicUnused()) writeDefaults(b);
    showRadio(*this, kCurves, b.profile);
    showRadio(*this, kDrives, b.drivingMode);
    showRadio(*this, kForms, b.symmetry);
    for (int id : kParameterIds) setInt(id, b.*fieldOf(id));
    {
        const QSignalBlocker block(homeMode_);
        const int index = b.homeModeIndex;
        homeMode_->setCurrentIndex(index >= 0 && index < homeMode_->count() ? index : -1);
    }
    applyDrivingModeEnabling(b.drivingMode == DrivingMode::Home);
    ApplyCurveAndSymmetry(b.symmetry);
    readAndShowStatus();
}

void CBasicOperationDlg::onAccMode(Profile curve) {
    AxisRunParams& b = state_.currentRunParams();
    b.profile = curve;
    ApplyCurveAndSymmetry(b.symmetry);
}

void CBasicOperationDlg::ApplyCurveAndSymmetry(Symmetry form) {
    AxisRunParams& b = state_.currentRunParams();
    b.symmetry = form;
    const bool t = b.profile == Profile::TCurve;
    const ParameterEnables& e = form == Symmetry::Symmetric                ? (t ? kTSym : kSSym)
                                : t                                        ? kTAsym
                                : state_.currentKind == ModuleKind::Quenby ? kSAsymTwoAxis
                                                                           : kSAsymFourAxis;
    const std::pair<int, Enable> controls[] = {
        {kSv, e.sv},         {kV, e.v},           {kOnFlyV, e.onFlyV}, {kA, e.a},
        {kOnFlyA, e.onFlyA}, {kD, e.d},           {kK, e.k},           {kL, e.l},
        {kP, e.p},           {kOnFlyP, e.onFlyP}, {kAo, e.ao}};
    for (const auto& [id, how] : controls) {
        if (how != Keep) enable({id}, how == On);
    }
}

// Restoring a stored HOME mode enables like choosing it, so the screen looks
// the same however the mode came to be.
void CBasicOperationDlg::applyDrivingModeEnabling(bool home) {
    auto* caption = controlAs<QPushButton>(kStopHome);
    caption->setText(QString::fromLatin1(home ? kHomeCaption : kStopCaption));
    controlAs<PictureControl>(kStopHomePicture)
        ->copyImageFrom(*controlAs<PictureControl>(home ? kHomeHolder : kStopHolder));
    enable({kBackward, kForward}, !home);
    enable({kHv, kHomeModeList}, home);
}

void CBasicOperationDlg::onDrivingMode(DrivingMode drive) {
    applyDrivingModeEnabling(drive == DrivingMode::Home);
    if (MotionLibrary* lib = library()) {
        lib->EXD_DISABLE(state_.currentCard, allAxesMask(state_.currentKind));
    }
    state_.currentRunParams().drivingMode = drive;
}

bool CBasicOperationDlg::homeChosen() {
    return state_.currentRunParams().drivingMode == DrivingMode::Home;
}

// Only a number is kept; what is typed on the way to one ("-") waits.
void CBasicOperationDlg::onParameterEdited(int id) {
    if (const auto v = numberIn(id)) state_.currentRunParams().*fieldOf(id) = *v;
}

void CBasicOperationDlg::onHomeModeChosen(int index) {
    state_.currentRunParams().homeModeIndex = index;
}

void CBasicOperationDlg::onJog(bool forward) {
    if (homing_) return;
    MotionLibrary* lib = library();
    const AxisRunParams& b = state_.currentRunParams();
    const DrivingMode drive = b.drivingMode;
    JogRequest request;
    request.target = currentTarget(state_);
    request.drivingMode = drive;
    request.profile = b.profile;
    request.symmetry = b.symmetry;
    request.forward = forward;
    // A greyed D on a symmetric profile, say, is not passed and never stops a jog.
    if (lib && !readFields(kJogFields, jogValuesUsed(request), request.values)) return;
    if (lib) {
        showStopCause({});
        list_->rows().writeBlock(RunJogSequence(*lib, request, state_.settings), blockNote());
        markMove(forward ? "Forward" : "Backward", list_->rows().blockCount() - 1);
        if (drive != DrivingMode::Home) {
            started_.add(lib, request.target.card, static_cast<std::uint16_t>(request.target.mask),
                         drive == DrivingMode::ManualPulser);
        }
    }
    setTimer(kStatusTimer, statusPeriodMs());
}

void CBasicOperationDlg::onTheFly(int fieldId) {
    if (homing_) return;
    MotionLibrary* lib = library();
    std::int32_t value = 0;
    if (!lib || !readInt(fieldId, value)) return;
    const OnTheFly what = fieldId == kV   ? OnTheFly::Speed
                          : fieldId == kA ? OnTheFly::Acceleration
                                          : OnTheFly::Distance;
    const MotionTarget target = currentTarget(state_);
    changeOnTheFly(lib, target, what, value);
    // The change writes no rows: its marker names no block.
    markMove(what == OnTheFly::Speed          ? "on-fly V"
             : what == OnTheFly::Acceleration ? "on-fly A"
                                              : "on-fly P",
             -1);
    if (what == OnTheFly::Distance) {
        started_.add(lib, target.card, static_cast<std::uint16_t>(target.mask));
    }
}

// The servo of the selected axis as last switched; a module node counts as
// off while any of its axes is.
void CBasicOperationDlg::showServoState() {
    if (state_.servoOff(state_.currentCard, state_.currentAxisMask)) {
        showServoCaption(true, "        Servo ON");
    } else {
        showServoCaption(false, "        Servo OFF");
    }
}

void CBasicOperationDlg::onServo() {
    MotionLibrary* lib = library();
    if (!lib) return;
    const MotionTarget t = currentTarget(state_);
    const bool off = state_.servoOff(t.card, t.mask);
    switchServo(lib, t, off);
    state_.recordServo(t.card, t.mask, !off);
    if (off) {
        showServoCaption(false, "        Servo OFF");
    } else {
        showServoCaption(true, "       Servo ON");
    }
}

void CBasicOperationDlg::showServoCaption(bool servoOff, const char* caption) {
    controlAs<PictureControl>(kServoPicture)
        ->copyImageFrom(*controlAs<PictureControl>(servoOff ? kServoOffHolder : kServoOnHolder));
    controlAs<QPushButton>(kServo)->setText(QString::fromLatin1(caption));
}

void CBasicOperationDlg::onStopOrHome() {
    if (homing_) {
        // The search's own axes, whatever the tree shows now.
        stopSearch_ = true;
    } else if (homeChosen()) {
        runHoming();
    } else {
        stopSlowly(library(), currentTarget(state_));
    }
}

void CBasicOperationDlg::runHoming() {
    MotionLibrary* lib = library();
    HomingRequest request;
    if (!lib || !readInt(kHv, request.homeSpeed)) return;
    request.target = currentTarget(state_);
    request.modeIndex = homeMode_->currentIndex();
    showStopCause({});
    homing_ = true;
    stopSearch_ = false;
    // While the four-axis module searches, the button stops the search.
    if (request.target.kind == ModuleKind::Lorvex) {
        applyDrivingModeEnabling(false);
        enable({kForward, kBackward}, false);
    }
    // The search's rows open the next block.
    markMove("HOME", list_->rows().blockCount());
    RunHomingSequence(*lib, request, state_.settings, *this);
    homing_ = false;
    applyDrivingModeEnabling(homeChosen());
    if (pendingResult_) done(*std::exchange(pendingResult_, std::nullopt));
}

void CBasicOperationDlg::done(int result) {
    if (homing_) {
        pendingResult_ = result;
        return;
    }
    started_.stopThoseMoving();
    if (scope_) scope_->close();
    QDialog::done(result);
}

// The search's first row is written before anything can change the
// selection, so the note names the axis the search runs on.
void CBasicOperationDlg::writeRow(int position, const std::string& command) {
    list_->rows().writeRow(position, command, position == 0 ? blockNote() : QString());
}

QString CBasicOperationDlg::blockNote() const {
    return QString::fromStdString(selectionNote("Basic Operation", state_));
}

void CBasicOperationDlg::sleepMs(int ms) {
    ctx_.waits().sleepMs(ms);
}

void CBasicOperationDlg::doEvents() {
    ctx_.waits().doEvents();
}

void CBasicOperationDlg::callAside(const std::function<void()>& call) {
    const std::string where = selectionName(state_);
    notice_->setText(QStringLiteral("<b>Home search running on %1.</b><br><br>The two-axis "
                                    "module's library takes no other command until the search "
                                    "ends, so nothing on this screen can stop it: it ends at home, "
                                    "at a limit switch or by the machine's emergency stop.")
                         .arg(QString::fromStdString(where).toHtmlEscaped()));
    // Nothing may call the library meanwhile: every control waits.
    std::vector<QPointer<QWidget>> held;
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w != list_ && w != notice_ && w->isEnabled() && !w->isWindow()) {
            w->setEnabled(false);
            held.emplace_back(w);
        }
    }
    notice_->show();
    notice_->raise();
    libraryHeld_ = true;
    ctx_.waits().runAside(call);
    libraryHeld_ = false;
    notice_->hide();
    for (const QPointer<QWidget>& w : held) {
        if (w) w->setEnabled(true);
    }
}

void CBasicOperationDlg::onClear() {
    if (homing_) return;
    if (MotionLibrary* lib = library()) {
        const auto mask = static_cast<std::uint16_t>(state_.currentAxisMask);
        lib->SET_LP(state_.currentCard, mask, 0);
        lib->SET_EP(state_.currentCard, mask, 0);
    }
    RefreshAxisView();
}

void CBasicOperationDlg::onTimer(int timerId) {
    if (timerId == kStatusTimer && !libraryHeld_) readAndShowStatus();
}

void CBasicOperationDlg::readAndShowStatus() {
    MotionLibrary* lib = library();
    const MotionTarget target = currentTarget(state_);
    readAxisStatus(lib, target, status_);
    if (lib && scope_) scope_->addSample(status_);
    std::uint32_t errorCode = 0;
    const LampFlags redraw =
        updateSignalLamps(lib, target, state_.signalState, state_.shownSignalState, &errorCode);
    if (lib) showStopCause(stopCauseText(errorCode));
    auto* active = controlAs<PictureControl>(kActiveHolder);
    auto* inactive = controlAs<PictureControl>(kInactiveHolder);
    for (int i = 0; i < kLampCount; ++i) {
        if (redraw[i]) {
            lamps_[i]->copyImageFrom(lampActive(state_.shownSignalState[i]) ? *active : *inactive);
        }
    }
    showStatus();
}

void CBasicOperationDlg::showStopCause(const std::string& cause) {
    auto* field = controlAs<QLineEdit>(kStopCause);
    const QString text = QString::fromStdString(cause);
    if (field->text() != text) field->setText(text);
}

// Only the four status fields: a parameter being typed is never overwritten.
void CBasicOperationDlg::showStatus() {
    setInt(kLogicPosition, status_.logicPosition);
    setInt(kEncoderPosition, status_.encoderPosition);
    setInt(kError, status_.error);
    setInt(kCurrentSpeed, status_.currentSpeed);
}

ScopeWindow* CBasicOperationDlg::scope() const {
    return scope_;
}

// A companion window: the screen stays usable beside it (Stop, Servo and
// the jog buttons above all), and it closes with the screen. While it is
// open, the screen's own status reads come faster and are its samples.
void CBasicOperationDlg::openScope() {
    if (!scope_) {
        scope_ = new ScopeWindow(ctx_.boxes, ctx_.card, this);
        // On a panel it covers what lies above the row of buttons.
        scope_->placeBeside(*this, QRect(0, 0, width(), control(kSwitch)->y() - 2));
        connect(scope_, &ScopeWindow::closed, this, [this] {
            if (timerRunning(kStatusTimer)) setTimer(kStatusTimer, kStatusPeriodMs);
        });
    }
    followWithScope();
    scope_->show();
    scope_->raise();
    scope_->activateWindow();
    setTimer(kStatusTimer, statusPeriodMs());
}

void CBasicOperationDlg::followWithScope() {
    if (!scope_) return;
    scope_->follow(state_.currentCard, state_.currentAxisIndex,
                   QString::fromStdString(selectionName(state_)));
}

void CBasicOperationDlg::markMove(const char* label, int block) {
    if (scope_) scope_->markMove(label, block);
}

int CBasicOperationDlg::statusPeriodMs() const {
    return scope_ && scope_->isVisible() ? ScopeWindow::kPeriodMs : kStatusPeriodMs;
}

}  // namespace velmira
