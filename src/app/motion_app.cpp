#include "app/motion_app.h"

#include "app/main_menu_dlg.h"

namespace velmira {

int CMotionApp::initInstance() {
    auto menu = std::make_unique<CMainMenuDlg>(ctx_, screens_);
    menu->exec();
    return 0;
}

}  // namespace velmira
