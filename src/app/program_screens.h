#pragma once

#include "state/app_context.h"
#include "ui/working_screen.h"

namespace velmira {

// The screens the program runs.
class ProgramScreens final : public ScreenFactory {
  public:
    explicit ProgramScreens(AppContext& ctx) : ctx_(ctx) {}
    std::unique_ptr<WorkingScreen> configuration(QWidget* parent, CarriedValues v) override;
    std::unique_ptr<WorkingScreen> basicOperation(QWidget* parent, CarriedValues v) override;
    std::unique_ptr<WorkingScreen> advancedFeatures(QWidget* parent) override;

  private:
    AppContext& ctx_;
};

}  // namespace velmira
