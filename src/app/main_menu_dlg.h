#pragma once

#include "platform/dialog.h"
#include "state/app_context.h"
#include "ui/working_screen.h"

class QPushButton;

namespace velmira {

class PictureControl;

class CMainMenuDlg : public Dialog {
    Q_OBJECT
  public:
    static constexpr int kTemplateId = 102;

    CMainMenuDlg(AppContext& ctx, ScreenFactory& screens, QWidget* parent = nullptr);

    void openConfiguration();
    void openBasicOperation();
    void openAdvancedFeatures();

  private:
    enum class Next { None, Configuration, BasicOperation };

    void runPair(Next first);
    Next visitConfiguration();
    Next visitBasicOperation();
    void enableOperationEntries();
    void servoOffCurrent();

    AppContext& ctx_;
    ScreenFactory& screens_;
    CarriedValues carried_;

    QPushButton* basicButton_;
    QPushButton* advancedButton_;
    PictureControl* basicPicture_;
    PictureControl* advancedPicture_;
    PictureControl* holderAdvancedColour_;
    PictureControl* holderBasicColour_;
};

}  // namespace velmira
