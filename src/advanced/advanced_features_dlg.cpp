#include "advanced/advanced_features_dlg.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "advanced/advanced_features_ids.h"
#include "advanced/profile_dlg.h"
#include "platform/picture_control.h"
#include "state/selection_note.h"
#include "ui/command_list.h"
#include "ui/module_tree.h"
#include "ui/radio_table.h"

namespace velmira {
namespace {

using namespace advanced_ids;

constexpr Radio<PathMode> kPaths[] = {{PathMode::Linear2D, kLinear2D},
                                      {PathMode::Linear3D, kLinear3D},
                                      {PathMode::Circular, kCircular}};
constexpr Radio<Profile> kSpeeds[] = {
    {Profile::Constant, kConst}, {Profile::TCurve, kTCurve}, {Profile::SCurve, kSCurve}};
constexpr Radio<Symmetry> kForms[] = {{Symmetry::Symmetric, kSym}, {Symmetry::Asymmetric, kAsym}};
constexpr Radio<ArcDirection> kTurns[] = {{ArcDirection::CW, kCW}, {ArcDirection::CCW, kCCW}};

// A block is fresh while its six speed values are all 0.
bool fresh(const AxisRunParams& b) {
    return b.advVSV == 0 && b.advVV == 0 && b.advVA == 0 && b.advVD == 0 && b.advVK == 0 &&
           b.advVL == 0;
}

void writeDefaults(AxisRunParams& b) {
    b.advMode = PathMode::Linear2D;
    b.advProfile = Profile::Constant;
    b.advAxis1Index = 0;
    b.advAxis2Index = 1;
    b.advAxis3Index = 2;
    b.advDirection = ArcDirection::CW;
    b.advSymmetry = Symmetry::Symmetric;
    b.advVSV = 500;
    b.advVV = 2000;
    b.advVA = 1000;
    b.advVD = 500;
    b.advVK = 500;
    b.advVL = 300;
    b.advVAO = 20;
    b.advFP1 = 10000;
    b.advFP2 = 5000;
    b.advFP3 = 2000;
    b.advCP1 = 300;
    b.advCP2 = 0;
}

// The block field of each of the twelve edits, in the order a run reads them.
constexpr std::pair<int, std::int32_t AxisRunParams::*> kFields[] = {
    {kVsv, &AxisRunParams::advVSV}, {kVv, &AxisRunParams::advVV},   {kVa, &AxisRunParams::advVA},
    {kVd, &AxisRunParams::advVD},   {kVl, &AxisRunParams::advVL},   {kVk, &AxisRunParams::advVK},
    {kVao, &AxisRunParams::advVAO}, {kFp1, &AxisRunParams::advFP1}, {kFp2, &AxisRunParams::advFP2},
    {kFp3, &AxisRunParams::advFP3}, {kCp1, &AxisRunParams::advCP1}, {kCp2, &AxisRunParams::advCP2}};

// The field each working value of a run is read from.
constexpr std::pair<int, std::int32_t PathValues::*> kValueFields[] = {
    {kVsv, &PathValues::vsv}, {kVv, &PathValues::vv},   {kVa, &PathValues::va},
    {kVd, &PathValues::vd},   {kVl, &PathValues::vl},   {kVk, &PathValues::vk},
    {kVao, &PathValues::vao}, {kFp1, &PathValues::fp1}, {kFp2, &PathValues::fp2},
    {kFp3, &PathValues::fp3}, {kCp1, &PathValues::cp1}, {kCp2, &PathValues::cp2}};

// The parameter edits each mode, profile and symmetry uses.
enum Param : unsigned {
    VSV = 1,
    VV = 2,
    VA = 4,
    VD = 8,
    VK = 16,
    VL = 32,
    VAO = 64,
    kUnchanged = 0
};
constexpr std::pair<int, unsigned> kParamIds[] = {{kVsv, VSV}, {kVv, VV}, {kVa, VA},  {kVd, VD},
                                                  {kVk, VK},   {kVl, VL}, {kVao, VAO}};

// None where a group has nothing checked.
unsigned parameterEnables(std::optional<PathMode> mode, std::optional<Profile> profile,
                          Symmetry form, std::optional<ArcDirection> direction) {
    const bool asym = form == Symmetry::Asymmetric;
    const unsigned tCurve = asym ? VSV | VV | VA | VD | VAO : VSV | VV | VA | VAO;
    const unsigned sCurve = asym ? VSV | VV | VK | VL | VAO : VSV | VV | VK | VAO;
    if (!mode) return kUnchanged;
    switch (*mode) {
        case PathMode::Linear2D:
        case PathMode::Linear3D:
            if (profile == Profile::Constant) return mode == PathMode::Linear2D ? VV : VSV | VV;
            if (profile == Profile::TCurve) return tCurve;
            if (profile == Profile::SCurve) return sCurve;
            return kUnchanged;
        case PathMode::Circular:
            return profile == Profile::TCurve && direction ? tCurve : kUnchanged;
    }
    return kUnchanged;
}

std::uint16_t axisBit(int item) {
    return item >= 0 && item < 4 ? static_cast<std::uint16_t>(1u << item) : 0;
}

}  // namespace

CAdvancedFeaturesDlg::CAdvancedFeaturesDlg(AppContext& ctx, QWidget* parent)
    : WorkingScreen(ctx.boxes, CarriedValues{}, parent), ctx_(ctx), state_(ctx.state) {
    setWindowTitle(QStringLiteral("Advanced Features"));
    useTemplateFont();
    buildTemplate();
    connectHandlers();
}

CAdvancedFeaturesDlg::~CAdvancedFeaturesDlg() = default;

CProfileDlg* CAdvancedFeaturesDlg::profileWindow() const {
    return profileWindow_;
}

void CAdvancedFeaturesDlg::connectHandlers() {
    connect(tree_, &ModuleTree::selectionChosen, this, &CAdvancedFeaturesDlg::onSelection);
    onRadio(*this, kPaths, [this](PathMode p) {
        p == PathMode::Linear2D   ? onLinear2D()
        : p == PathMode::Linear3D ? onLinear3D()
                                  : onCircular();
    });
    onRadio(*this, kSpeeds, [this](Profile v) { v == Profile::Constant ? onConst() : onCurve(v); });
    onRadio(*this, kForms, [this](Symmetry f) { ApplyParameterEnables(f); });
    onRadio(*this, kTurns, [this](ArcDirection t) { onDirection(t); });
    for (int i = 0; i < 3; ++i) {
        connect(axisLists_[i], &QComboBox::activated, this, [this, i] { onAxisChanged(i); });
    }
    for (const auto& [id, field] : kFields) {
        connect(controlAs<QLineEdit>(id), &QLineEdit::textEdited, this,
                [this, id = id] { onParameterEdited(id); });
    }
    onClick(kForward, [this] { onRun(true); });
    onClick(kForwardPicture, [this] { onRun(true); });
    onClick(kBackward, [this] { onRun(false); });
    onClick(kBackwardPicture, [this] { onRun(false); });
    onClick(kServo, [this] { onServo(); });
    onClick(kServoPicture, [this] { onServo(); });
    onClick(kStop, [this] { onStop(); });
    onClick(kStopPicture, [this] { onStop(); });
    onClick(kClear, [this] { onClear(); });
    onClick(kExit, [this] { done(kResultReturn); });
    onClick(kExitPicture, [this] { done(kResultPicture); });
    onClick(kProfile, [this] { openProfile(); });
}

void CAdvancedFeaturesDlg::onInitDialog() {
    placeWorkingScreen();
    tree_->fill(state_.slotTable);
    controlAs<QPushButton>(kBackward)->setText(QStringLiteral("      Backward"));
    controlAs<QPushButton>(kForward)->setText(QStringLiteral("      Forward"));
    // The caption offers what the next press does, for the servos as they are.
    showServo(state_.advServoIsOff != 0);
    tree_->restore(state_.selectedModuleLabel, {}, true);
    RefreshAdvancedView();
}

void CAdvancedFeaturesDlg::onSelection(const ModuleSelection& selection) {
    state_.currentCard = selection.card;
    state_.currentKind = ModuleKind::Lorvex;
    state_.currentAxisMask = 15;
    RefreshAdvancedView();
    state_.selectedModuleLabel = selection.moduleLabel;
    state_.moduleNodeSelected = 1;
}

// A module keeps its own modes and values in its whole-module block, whatever
// axis another screen left selected.
AxisRunParams& CAdvancedFeaturesDlg::block() {
    return state_.runParams(state_.currentCard, kAxisColumns);
}

void CAdvancedFeaturesDlg::RefreshAdvancedView() {
    for (QButtonGroup* g : {modeGroup_, profileGroup_, symGroup_, arcGroup_}) uncheckAll(g);
    enable({kLinear2D, kCircular, kConst, kTCurve, kSCurve, kSym, kAsym}, true);
    enable({kLinear3D}, true);  // the screen lists four-axis modules only
    enable({kCW, kCCW, kFp3}, false);
    AxisRunParams& b = block();
    if (!fresh(b)) {
        showRadio(*this, kPaths, b.advMode);
        showRadio(*this, kSpeeds, b.advProfile);
        const int indexes[] = {b.advAxis1Index, b.advAxis2Index, b.advAxis3Index};
        for (int i = 0; i < 3; ++i) {
            const QSignalBlocker blocker(axisLists_[i]);
            axisLists_[i]->setCurrentIndex(indexes[i] >= 0 && indexes[i] < 4 ? indexes[i] : -1);
        }
        // The axes a press acts on are the ones the lists show: another
        // module's disposition must not linger in the masks (no message here).
        for (int i = 0; i < 3; ++i) *dispositionMasks()[i] = axisBit(axisLists_[i]->currentIndex());
        showRadio(*this, kForms, b.advSymmetry);
        showRadio(*this, kTurns, b.advDirection);
    } else {
        writeDefaults(b);
        onConst();
        check(kLinear2D);
        check(kConst);
        for (int i = 0; i < 3; ++i) {
            const QSignalBlocker blocker(axisLists_[i]);
            axisLists_[i]->setCurrentIndex(i);
            onAxisChanged(i);
        }
        check(kSym);
        check(kCW);
    }
    for (const auto& [id, field] : kFields) setInt(id, b.*field);
    const bool circular = isChecked(kCircular);
    showDirectionButtons(circular);
    enable({kCW, kCCW}, circular);
    enable({kConst, kTCurve, kSCurve}, !circular);
    applyForCheckedSymmetry();
    // The third axis's list and finish point belong to Linear 3D, on opening too.
    enable({kFp3, kAxis3}, isChecked(kLinear3D));
    readPositions(false);
    showPositions();
}

void CAdvancedFeaturesDlg::showDirectionButtons(bool circular) {
    controlAs<QPushButton>(kBackward)->setText(circular ? QStringLiteral("CCW")
                                                        : QStringLiteral("      Backward"));
    controlAs<QPushButton>(kForward)->setText(circular ? QStringLiteral("CW")
                                                       : QStringLiteral("      Forward"));
    copyPicture(kForwardPicture, circular ? kCircularForwardHolder : kLinearForwardHolder);
    copyPicture(kBackwardPicture, circular ? kCircularBackwardHolder : kLinearBackwardHolder);
}

void CAdvancedFeaturesDlg::onLinear2D() {
    showDirectionButtons(false);
    enable({kSym, kAsym, kConst, kTCurve, kSCurve}, true);
    enable({kCW, kCCW, kCp1, kCp2, kAxis3, kFp3}, false);
    block().advMode = PathMode::Linear2D;
    if (isChecked(kConst)) onConst();
    applyForCheckedSymmetry();
    switchServosOff(15);
}

void CAdvancedFeaturesDlg::onLinear3D() {
    showDirectionButtons(false);
    enable({kConst, kTCurve, kSCurve, kAxis3, kFp3, kSym, kAsym}, true);
    enable({kCW, kCCW, kCp1, kCp2}, false);
    {
        const QSignalBlocker blocker(axisLists_[2]);
        axisLists_[2]->setCurrentIndex(2);  // "Z-Axis", even where it clashes
    }
    block().advMode = PathMode::Linear3D;
    if (isChecked(kConst)) onConst();
    applyForCheckedSymmetry();
    onAxisChanged(2);
    switchServosOff(dispositionMaskNow());
    RefreshAdvancedView();
}

void CAdvancedFeaturesDlg::onCircular() {
    showDirectionButtons(true);
    enable({kCW, kCCW, kCp1, kCp2, kSym, kAsym}, true);
    enable({kAxis3, kFp3, kConst, kTCurve, kSCurve}, false);
    // Arcs run on a T-curve; the block keeps the linear modes' profile.
    check(kTCurve);
    block().advMode = PathMode::Circular;
    applyForCheckedSymmetry();
    switchServosOff(dispositionMaskNow());
}

void CAdvancedFeaturesDlg::onConst() {
    enable({kVv}, true);
    enable({kVa, kVao, kVd, kVk, kVl, kSym, kAsym, kFp3, kCp1, kCp2}, false);
    enable({kVsv, kFp3}, isChecked(kLinear3D));
    block().advProfile = Profile::Constant;
    applyForCheckedSymmetry();
}

void CAdvancedFeaturesDlg::onCurve(Profile curve) {
    enable({kSym, kAsym}, true);
    block().advProfile = curve;
    applyForCheckedSymmetry();
}

void CAdvancedFeaturesDlg::onDirection(ArcDirection turn) {
    block().advDirection = turn;
    applyForCheckedSymmetry();
}

void CAdvancedFeaturesDlg::applyForCheckedSymmetry() {
    if (const auto form = checkedRadio(*this, kForms)) ApplyParameterEnables(*form);
}

void CAdvancedFeaturesDlg::ApplyParameterEnables(Symmetry form) {
    block().advSymmetry = form;
    const unsigned on = parameterEnables(checkedRadio(*this, kPaths), checkedRadio(*this, kSpeeds),
                                         form, checkedRadio(*this, kTurns));
    if (on == kUnchanged) return;
    for (const auto& [id, param] : kParamIds) enable({id}, (on & param) != 0);
}

std::array<std::uint16_t*, 3> CAdvancedFeaturesDlg::dispositionMasks() {
    return {&state_.advAxis1Mask, &state_.advAxis2Mask, &state_.advAxis3Mask};
}

void CAdvancedFeaturesDlg::onAxisChanged(int list) {
    const int item = axisLists_[list]->currentIndex();
    const std::uint16_t bit = axisBit(item);
    const auto masks = dispositionMasks();
    *masks[list] = bit;
    // Each list is compared with the ones before it.
    bool clash = false;
    if (bit != 0) {
        for (int before = 0; before < list; ++before) clash = clash || *masks[before] == bit;
    }
    if (clash) boxes().show({kClashText, "Error", BoxIcon::Stop, BoxButtons::Ok});
    std::int32_t AxisRunParams::*indexes[] = {&AxisRunParams::advAxis1Index,
                                              &AxisRunParams::advAxis2Index,
                                              &AxisRunParams::advAxis3Index};
    block().*indexes[list] = item;
}

// Only a number is kept; what is typed on the way to one ("-") waits.
void CAdvancedFeaturesDlg::onParameterEdited(int id) {
    const auto v = numberIn(id);
    if (!v) return;
    for (const auto& [fieldId, field] : kFields) {
        if (fieldId == id) block().*field = *v;
    }
}

void CAdvancedFeaturesDlg::onRun(bool forward) {
    for (int i = 0; i < 3; ++i) onAxisChanged(i);
    InterpolationRequest r;
    r.card = state_.currentCard;
    r.axis1 = state_.advAxis1Mask;
    r.axis2 = state_.advAxis2Mask;
    r.axis3 = state_.advAxis3Mask;
    r.mode = checkedRadio(*this, kPaths);
    r.profile = checkedRadio(*this, kSpeeds);
    r.symmetry = checkedRadio(*this, kForms);
    r.direction = checkedRadio(*this, kTurns);
    r.forward = forward;
    MotionLibrary* lib = library();
    // VSV on a constant speed or the centre of a line is not passed and never stops a run.
    if (lib && !readFields(kValueFields, pathValuesUsed(r), r.values)) return;
    stopping_ = false;
    if (lib) {
        if (dispositionClashes(r.axis1, r.axis2, r.axis3)) {
            boxes().show({kClashText, "Error", BoxIcon::Stop, BoxButtons::Ok});
        } else {
            // The plan starts where the axes stand now, not where a tick saw them.
            const PlanePoint start{static_cast<double>(lib->GET_LP(r.card, r.axis1)),
                                   static_cast<double>(lib->GET_LP(r.card, r.axis2))};
            const InterpolationRun run = RunInterpolation(*lib, r);
            // The axes are the disposition's, named by the block's AXIS_ASSIGN.
            const std::string note = selectionNote("Advanced Features", state_, false);
            list_->rows().writeBlock(run.rows, QString::fromStdString(note));
            profile_.follow(traceKey());
            profile_.startRun(plannedPath(r, start), start);
            if (profileWindow_) profileWindow_->modelChanged();
            started_.add(lib, r.card, static_cast<std::uint16_t>(state_.currentAxisMask));
        }
    }
    setTimer(kPositionTimer, kPositionPeriodMs);
}

void CAdvancedFeaturesDlg::onServo() {
    for (int i = 0; i < 3; ++i) onAxisChanged(i);
    const std::uint16_t mask = dispositionMaskNow();
    MotionLibrary* lib = library();
    if (!lib) return;
    if (state_.advServoIsOff == 0) {
        lib->SERVO_OFF(state_.currentCard, mask);
        state_.advServoIsOff = 1;
    } else {
        lib->SERVO_ON(state_.currentCard, mask);
        state_.advServoIsOff = 0;
    }
    state_.recordServo(state_.currentCard, mask, state_.advServoIsOff != 0);
    showServo(state_.advServoIsOff != 0);
}

void CAdvancedFeaturesDlg::switchServosOff(std::uint16_t mask) {
    if (MotionLibrary* lib = library()) {
        lib->SERVO_OFF(state_.currentCard, mask);
        state_.recordServo(state_.currentCard, mask, true);
    }
    state_.advServoIsOff = 1;
    showServo(true);
}

void CAdvancedFeaturesDlg::showServo(bool off) {
    copyPicture(kServoPicture, off ? kServoOffHolder : kServoOnHolder);
    controlAs<QPushButton>(kServo)->setText(off ? QStringLiteral("      Servo ON")
                                                : QStringLiteral("      Servo OFF"));
}

void CAdvancedFeaturesDlg::onStop() {
    if (MotionLibrary* lib = library()) {
        lib->STOP_SLOWLY(state_.currentCard, static_cast<std::uint16_t>(state_.currentAxisMask));
        lib->CLEAR_STOP(state_.currentCard);
    }
    // The axes brake on after the call: the positions are followed until
    // they have stood still for a tick, then the polling ends.
    stopping_ = timerRunning(kPositionTimer);
}

void CAdvancedFeaturesDlg::done(int result) {
    started_.stopThoseMoving();
    if (profileWindow_) profileWindow_->close();
    WorkingScreen::done(result);
}

void CAdvancedFeaturesDlg::onClear() {
    profile_.restart();
    if (MotionLibrary* lib = library()) {
        const std::uint8_t card = state_.currentCard;
        lib->SET_LP(card, state_.advAxis1Mask, 0);
        lib->SET_LP(card, state_.advAxis2Mask, 0);
        lib->SET_EP(card, state_.advAxis1Mask, 0);
        lib->SET_EP(card, state_.advAxis2Mask, 0);
        if (isChecked(kLinear3D)) {
            lib->SET_LP(card, state_.advAxis3Mask, 0);
            lib->SET_EP(card, state_.advAxis3Mask, 0);
        }
    }
    RefreshAdvancedView();
}

void CAdvancedFeaturesDlg::onTimer(int timerId) {
    if (timerId != kPositionTimer) return;
    const auto logic = logic_;
    const auto encoder = encoder_;
    readPositions(true);
    showPositions();
    profile_.follow(traceKey());
    profile_.addPosition({static_cast<double>(logic_[0]), static_cast<double>(logic_[1])});
    if (profileWindow_) profileWindow_->modelChanged();
    if (stopping_ && logic == logic_ && encoder == encoder_) {
        stopping_ = false;
        killTimer(kPositionTimer);
    }
}

ProfileModel::TraceKey CAdvancedFeaturesDlg::traceKey() const {
    return {state_.currentCard, state_.advAxis1Mask, state_.advAxis2Mask};
}

// The timer reads each axis's logic and encoder position in turn; the
// refresh reads all logic positions first.
void CAdvancedFeaturesDlg::readPositions(bool timerOrder) {
    MotionLibrary* lib = library();
    if (!lib) return;
    const std::uint8_t card = state_.currentCard;
    const std::uint16_t masks[] = {state_.advAxis1Mask, state_.advAxis2Mask, state_.advAxis3Mask};
    const int axes = isChecked(kLinear3D) ? 3 : 2;
    if (timerOrder) {
        for (int i = 0; i < 2; ++i) logic_[i] = lib->GET_LP(card, masks[i]);
        for (int i = 0; i < 2; ++i) encoder_[i] = lib->GET_EP(card, masks[i]);
        if (axes == 3) {
            logic_[2] = lib->GET_LP(card, masks[2]);
            encoder_[2] = lib->GET_EP(card, masks[2]);
        }
    } else {
        for (int i = 0; i < axes; ++i) logic_[i] = lib->GET_LP(card, masks[i]);
        for (int i = 0; i < axes; ++i) encoder_[i] = lib->GET_EP(card, masks[i]);
    }
}

void CAdvancedFeaturesDlg::showPositions() {
    const int logic[] = {kLp1, kLp2, kLp3};
    const int encoder[] = {kEp1, kEp2, kEp3};
    for (int i = 0; i < 3; ++i) {
        setInt(logic[i], logic_[i]);
        setInt(encoder[i], encoder_[i]);
    }
}

// A companion window: the screen stays fully usable beside it (Stop above
// all), and it closes with the screen.
void CAdvancedFeaturesDlg::openProfile() {
    // Closing only hides it: a window being deleted must never be shown again.
    if (!profileWindow_) {
        profileWindow_ = new CProfileDlg(ctx_.boxes, profile_, this);
        profileWindow_->placeBeside(*this, tree_->geometry().united(list_->geometry()));
    }
    profileWindow_->show();
    profileWindow_->raise();
    profileWindow_->activateWindow();
}

std::uint16_t CAdvancedFeaturesDlg::dispositionMaskNow() const {
    return dispositionMask(state_.advAxis1Mask, state_.advAxis2Mask, state_.advAxis3Mask);
}

void CAdvancedFeaturesDlg::copyPicture(int picture, int holder) {
    controlAs<PictureControl>(picture)->copyImageFrom(*controlAs<PictureControl>(holder));
}

}  // namespace velmira
