#pragma once

#include <deque>
#include <vector>

#include "platform/message_boxes.h"

namespace velmira::test {

// Answers message boxes instead of a person and keeps every box shown.
// Yes/No boxes take the next queued answer; without one they answer No.
class ScriptedBoxes final : public MessageBoxes {
  public:
    BoxAnswer show(const BoxRequest& request) override;

    void answerNext(BoxAnswer a) { answers_.push_back(a); }
    const std::vector<BoxRequest>& shown() const { return shown_; }
    std::vector<std::string> texts() const;
    void clear() { shown_.clear(); }

  private:
    std::deque<BoxAnswer> answers_;
    std::vector<BoxRequest> shown_;
};

}  // namespace velmira::test
