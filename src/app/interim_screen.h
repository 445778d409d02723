#pragma once

#include "app/working_screen.h"

namespace velmira {

// Stands in for a working screen whose controls are not built yet: it says so,
// and ends with the same results as the real screen, so navigation, the save
// question and the servo-off can be used end to end.
class InterimScreen : public WorkingScreen {
    Q_OBJECT
public:
    InterimScreen(MessageBoxes& boxes, CarriedValues carried, const QString& title,
                  const QString& switchCaption, QWidget* parent);
};

class InterimScreenFactory final : public ScreenFactory {
public:
    explicit InterimScreenFactory(MessageBoxes& boxes) : boxes_(boxes) {}
    std::unique_ptr<WorkingScreen> configuration(QWidget* parent, CarriedValues v) override;
    std::unique_ptr<WorkingScreen> basicOperation(QWidget* parent, CarriedValues v) override;
    std::unique_ptr<WorkingScreen> advancedFeatures(QWidget* parent) override;

private:
    MessageBoxes& boxes_;
};

}  // namespace velmira
