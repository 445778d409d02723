#pragma once

#include "ui/working_screen.h"

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

}  // namespace velmira
