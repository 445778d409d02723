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
    // The edit fields read by the handlers.
    enum class Field { SlMinus, SlPlus, Vring, MaxV };

    void buildTemplate();
    void connectHandlers();

    // A handler reads only its own edit fields, each checked with a message
    // about that field alone when it is refused.
    bool readField(Field field);
    // Leaving the screen takes every field, the first refused one stopping it.
    bool readAllFields();

    void onSelectionChanged(const ModuleSelection& selection);
    // Shows the settings of the selected axis.
    void refresh();
    // Enables the controls behind a check box.
    void enableBehind(int box, bool on);
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
    // Makes the module's calls of `call(library, card, axes)` and shows the
    // row of each; nothing without a module.
    template <class F>
    void callAndEcho(F&& call);
    SoftLimitSlot& softLimitSlot();
    int currentIndexOf(int id) const;
    void showIndex(int id, int index);
    bool anyFilterChecked() const;

    AppContext& ctx_;
    AppState& state_;

    ModuleTree* tree_ = nullptr;
    CommandList* list_ = nullptr;
    std::array<QCheckBox*, 5> filterBoxes_{};

    // The last value read from or shown in each edit field; zero at every opening.
    std::int32_t slMinus_ = 0;
    std::int32_t slPlus_ = 0;
    std::int32_t vring_ = 0;
    std::int32_t maxV_ = 0;
};

}  // namespace velmira
