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

  private:
    AppContext& ctx_;
    ScreenFactory& screens_;
};

}  // namespace velmira
