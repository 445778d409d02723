#include "support/scripted_boxes.h"

namespace velmira::test {

BoxAnswer ScriptedBoxes::show(const BoxRequest& request) {
    shown_.push_back(request);
    if (request.buttons == BoxButtons::Ok) return BoxAnswer::Ok;
    if (answers_.empty()) return BoxAnswer::No;
    const BoxAnswer a = answers_.front();
    answers_.pop_front();
    return a;
}

std::vector<std::string> ScriptedBoxes::texts() const {
    std::vector<std::string> out;
    for (const BoxRequest& r : shown_) out.push_back(r.text);
    return out;
}

}  // namespace velmira::test
