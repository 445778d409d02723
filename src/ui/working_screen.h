#pragma once

#include <cstdint>
#include <memory>

#include "platform/dialog.h"

namespace velmira {

// The two values the main menu hands to the Configuration and Basic Operation
// screens and takes back from Basic Operation.
struct CarriedValues {
    std::int32_t first = 0;
    std::int32_t second = 0;
};

class WorkingScreen : public Dialog {
    Q_OBJECT
  public:
    WorkingScreen(MessageBoxes& boxes, CarriedValues carried, QWidget* parent)
        : Dialog(boxes, parent), carried_(carried) {}
    CarriedValues carried() const { return carried_; }

  protected:
    // The controller's ten-point System font is about as wide as eight points
    // here; its dialog units make the 451 x 313 templates fill 800 x 600.
    void useTemplateFont() { setTemplateFont(8, {7, 15}); }

    CarriedValues carried_;
};

// Builds the working screens for one visit each.
class ScreenFactory {
  public:
    virtual ~ScreenFactory() = default;
    virtual std::unique_ptr<WorkingScreen> configuration(QWidget* parent, CarriedValues v) = 0;
    virtual std::unique_ptr<WorkingScreen> basicOperation(QWidget* parent, CarriedValues v) = 0;
    virtual std::unique_ptr<WorkingScreen> advancedFeatures(QWidget* parent) = 0;
};

}  // namespace velmira
