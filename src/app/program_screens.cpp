#include "app/program_screens.h"

#include "advanced/advanced_features_dlg.h"
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
    return std::make_unique<CAdvancedFeaturesDlg>(ctx_, parent);
}

}  // namespace velmira
