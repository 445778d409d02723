#include "app/program_screens.h"

#include "app/interim_screen.h"
#include "basic/basic_operation_dlg.h"
#include "config/configuration_dlg.h"

namespace velmira {

std::unique_ptr<WorkingScreen> ProgramScreens::configuration(QWidget* parent, CarriedValues v) {
    return std::make_unique<CConfigurationDlg>(ctx_, v, parent);
}

std::unique_ptr<WorkingScreen> ProgramScreens::basicOperation(QWidget* parent, CarriedValues v) {
    return std::make_unique<CBasicOperationDlg>(ctx_, v, parent);
}

std::unique_ptr<WorkingScreen> ProgramScreens::advancedFeatures(QWidget* parent) {
    return std::make_unique<InterimScreen>(ctx_.boxes, CarriedValues{},
                                           QStringLiteral("Advanced Features"), QString(), parent);
}

}  // namespace velmira
