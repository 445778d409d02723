#pragma once

#include "platform/message_boxes.h"

namespace velmira {

// Message boxes for a person: modal, without owner, as the controller shows them.
class QtMessageBoxes final : public MessageBoxes {
  public:
    BoxAnswer show(const BoxRequest& request) override;
};

// Lets pending window messages run while a sequence polls the hardware.
void doEvents();

}  // namespace velmira
