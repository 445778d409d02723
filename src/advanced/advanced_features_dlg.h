#pragma once

#include <QPointer>
#include <array>

#include "advanced/interpolation_sequence.h"
#include "advanced/profile_model.h"
#include "hw/started_motions.h"
#include "state/app_context.h"
#include "ui/working_screen.h"

class QButtonGroup;
class QComboBox;

namespace velmira {

class CProfileDlg;
class CommandList;
class ModuleTree;

// Runs lines, arcs and circles on two or three axes of a four-axis module,
// with the axes' positions polled while they move.
class CAdvancedFeaturesDlg : public WorkingScreen {
    Q_OBJECT
  public:
    static constexpr int kTemplateId = 132;
    static constexpr int kPositionTimer = 1;
    static constexpr int kPositionPeriodMs = 50;

    CAdvancedFeaturesDlg(AppContext& ctx, QWidget* parent = nullptr);
    ~CAdvancedFeaturesDlg() override;

    CommandList& commandList() const { return *list_; }
    const ProfileModel& profile() const { return profile_; }
    // The profile window while it is open.
    CProfileDlg* profileWindow() const;

    // Axes its runs set moving and still under way are stopped first, as
    // Stop would; the profile window closes with the screen.
    void done(int result) override;

    void RefreshAdvancedView();

  protected:
    void onInitDialog() override;
    void onTimer(int timerId) override;

  private:
    void buildTemplate();
    void connectHandlers();

    void onSelection(const ModuleSelection& selection);
    void onLinear2D();
    void onLinear3D();
    void onCircular();
    void onConst();
    void onCurve(Profile curve);
    void onDirection(ArcDirection turn);
    void ApplyParameterEnables(Symmetry form);
    void applyForCheckedSymmetry();
    void onAxisChanged(int list);  // 0, 1, 2: OnAxis1Changed .. OnAxis3Changed
    void onParameterEdited(int id);
    void onRun(bool forward);
    void onServo();
    void switchServosOff(std::uint16_t mask);
    void showServo(bool off);
    void onStop();
    void onClear();
    void openProfile();

    std::array<std::uint16_t*, 3> dispositionMasks();
    ProfileModel::TraceKey traceKey() const;
    void showDirectionButtons(bool circular);
    void readPositions(bool timerOrder);
    void showPositions();
    std::uint16_t dispositionMaskNow() const;
    AxisRunParams& block();
    MotionLibrary* library() const { return ctx_.hw.lorvex; }
    void copyPicture(int picture, int holder);

    AppContext& ctx_;
    AppState& state_;

    ModuleTree* tree_ = nullptr;
    CommandList* list_ = nullptr;
    QButtonGroup* modeGroup_ = nullptr;
    QButtonGroup* profileGroup_ = nullptr;
    QButtonGroup* symGroup_ = nullptr;
    QButtonGroup* arcGroup_ = nullptr;
    std::array<QComboBox*, 3> axisLists_{};

    // LP1..LP3 and EP1..EP3 as last read.
    std::array<std::int32_t, 3> logic_{};
    std::array<std::int32_t, 3> encoder_{};

    ProfileModel profile_;
    QPointer<CProfileDlg> profileWindow_;
    StartedMotions started_;
    bool stopping_ = false;  // Stop pressed: polling until the axes stand
};

}  // namespace velmira
