#pragma once

#include <array>

#include "state/app_context.h"
#include "ui/working_screen.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace velmira {

class CommandList;
class ModuleTree;
struct ModuleSelection;
struct AxisSettings;
struct SoftLimitSlot;

class CConfigurationDlg : public WorkingScreen {
    Q_OBJECT
  public:
    static constexpr int kTemplateId = 129;

    CConfigurationDlg(AppContext& ctx, CarriedValues carried, QWidget* parent = nullptr);

    // The command list, for tests and for the screen's own echo.
    CommandList& commandList() const { return *list_; }

  protected:
    void onInitDialog() override;

  private:
    // The fields exchanged with the controls, in the order they are read.
    // The edit fields exchanged with the controls.
    enum class Field { SlMinus, SlPlus, Vring, MaxV };

    void buildTemplate();
    void connectHandlers();

    // A handler reads only what it uses: the check boxes (no message can
    // come of them), or its own edit fields, each checked with a message
    // about that field alone when it is refused.
    void readChecks();
    bool readField(Field field);
    // Leaving the screen takes every field, the first refused one stopping it.
    bool readAllFields();
    void exchangeOut();

    void onSelectionChanged(const ModuleSelection& selection);
    void refresh();
    void refreshAll();
    void echo(const std::string& text);
    void loadConfig();
    void saveConfig();
    void switchToTest();

    // Setting handlers.
    void onPulseMode(int index);
    void onZPhase(int index);
    void onHardLimit(int index);
    void onHomeEdge(int index);
    void onNearHome(int index);
    void onLimitStopMode(int index);
    void onServoOn(bool checked);
    void onInPosEnable(bool checked);
    void onInPosLogic(int index);
    void onAlarmEnable(bool checked);
    void onAlarmLogic(int index);
    void onSoftLimitEnable(bool checked);
    void onCompareSource(int index);
    void onFilterBox(int box, bool checked);
    void onDelay(int index);
    void sendFilter(int delayIndex);
    void onVringEnable(bool checked);
    void onVringSet();
    void onMaxVEnable(bool checked);
    void onMaxVSet();
    void onAvtri(bool checked);

    // The records a setting goes to: every axis of the module when a module is
    // selected, otherwise the selected axis. Nothing without a module.
    template <class F>
    void store(F&& update);
    // Echo text, then the call, then the echo; nothing without a module.
    template <class F>
    void callAndEcho(const std::string& text, F&& call);
    SoftLimitSlot& softLimitSlot();
    int currentIndexOf(int id) const;
    void showIndex(int id, int index);
    bool anyFilterChecked() const;

    AppContext& ctx_;
    AppState& state_;

    ModuleTree* tree_ = nullptr;
    CommandList* list_ = nullptr;
    std::array<QCheckBox*, 5> filterBoxes_{};

    // Fields; zero at every opening.
    bool softLimitEnabled_ = false;
    std::array<bool, 5> filterFlags_{};
    std::int32_t slMinus_ = 0;
    std::int32_t slPlus_ = 0;
    std::int32_t vring_ = 0;
    std::int32_t maxV_ = 0;
};

}  // namespace velmira
