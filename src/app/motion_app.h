#pragma once

#include <memory>

#include "state/app_context.h"
#include "ui/working_screen.h"

namespace velmira {

// The application: runs the main menu modally; the program ends when it closes.
class CMotionApp {
  public:
    CMotionApp(AppContext& ctx, ScreenFactory& screens) : ctx_(ctx), screens_(screens) {}
    int initInstance();
    // The main menu closes itself once it has been painted.
    void setQuitWhenShown(bool on) { quitWhenShown_ = on; }

  private:
    AppContext& ctx_;
    ScreenFactory& screens_;
    bool quitWhenShown_ = false;
};

}  // namespace velmira
