#include "app/motion_app.h"

#include "app/main_menu_dlg.h"
#include "platform/quit_when_painted.h"

namespace velmira {

int CMotionApp::initInstance() {
    auto menu = std::make_unique<CMainMenuDlg>(ctx_, screens_);
    if (quitWhenShown_) new QuitWhenPainted(*menu);
    menu->exec();
    return 0;
}

}  // namespace velmira
