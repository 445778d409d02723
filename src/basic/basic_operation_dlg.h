#pragma once

#include <QPointer>
#include <array>
#include <optional>

#include "basic/homing_sequence.h"
#include "basic/jog_sequence.h"
#include "basic/status_monitor.h"
#include "hw/started_motions.h"
#include "state/app_context.h"
#include "ui/working_screen.h"

class QComboBox;
class QLabel;

namespace velmira {

class CommandList;
class ModuleTree;
class PictureControl;
class ScopeWindow;

// Jogs, homes, stops and switches the servo of one axis or a whole module,
// and shows its positions, speed and signals.
class CBasicOperationDlg : public WorkingScreen, private HomingHost {
    Q_OBJECT
  public:
    static constexpr int kTemplateId = 131;
    static constexpr int kStatusTimer = 2;
    static constexpr int kStatusPeriodMs = 50;

    CBasicOperationDlg(AppContext& ctx, CarriedValues carried, QWidget* parent = nullptr);

    CommandList& commandList() const { return *list_; }
    bool homing() const { return homing_; }
    // The axis scope, once opened.
    ScopeWindow* scope() const;

    // While the four-axis module searches for home, leaving the screen (by any
    // exit, Escape or the window frame) first stops the search; the screen
    // closes once the search has let go, and once a two-axis search has ended.
    // Axes the visit set moving and still under way are stopped first, as
    // STOP would.
    void done(int result) override;

    void RefreshAxisView();

  protected:
    void onInitDialog() override;
    void onTimer(int timerId) override;

  private:
    void buildTemplate();
    void connectHandlers();

    void onSelection(const ModuleSelection& selection);
    void onAccMode(Profile curve);
    void onDrivingMode(DrivingMode drive);
    void ApplyCurveAndSymmetry(Symmetry form);
    void applyDrivingModeEnabling(bool home);
    bool homeChosen();
    void onParameterEdited(int id);
    void onHomeModeChosen(int index);
    void onJog(bool forward);
    void onTheFly(int fieldId);
    void onServo();
    void onStopOrHome();
    void runHoming();
    void onClear();
    void openScope();
    // The scope follows the selection and marks where each move began.
    void followWithScope();
    void markMove(const char* label, int block);
    int statusPeriodMs() const;

    void showStatus();
    void readAndShowStatus();
    void showStopCause(const std::string& cause);
    void showServoState();
    void showServoCaption(bool servoOff, const char* caption);
    MotionLibrary* library() const { return ctx_.hw.library(state_.currentKind); }
    // Where a block of rows is made, for the comment of its copy.
    QString blockNote() const;

    // HomingHost.
    void writeRow(int position, const std::string& command) override;
    void sleepMs(int ms) override;
    void doEvents() override;
    bool abandon() override { return stopSearch_ || pendingResult_.has_value(); }
    void callAside(const std::function<void()>& call) override;

    AppContext& ctx_;
    AppState& state_;

    ModuleTree* tree_ = nullptr;
    CommandList* list_ = nullptr;
    QComboBox* homeMode_ = nullptr;
    std::array<PictureControl*, kLampCount> lamps_{};
    QLabel* notice_ = nullptr;  // over the parameters while a call holds the library
    QPointer<ScopeWindow> scope_;

    AxisStatus status_;

    StartedMotions started_;
    bool homing_ = false;
    bool stopSearch_ = false;           // STOP pressed during the four-axis wait
    bool libraryHeld_ = false;          // the two-axis search's call runs aside
    std::optional<int> pendingResult_;  // a result asked for during homing
};

}  // namespace velmira
