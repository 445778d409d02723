#pragma once

#include <string>

namespace velmira {

enum class BoxIcon { None, Information, Question, Warning, Stop };
enum class BoxButtons { Ok, YesNo };
enum class BoxAnswer { Ok, Yes, No };

struct BoxRequest {
    std::string text;
    std::string caption;
    BoxIcon icon = BoxIcon::None;
    BoxButtons buttons = BoxButtons::Ok;
};

// The message-box service. The program shows every box through it, so tests can
// answer and record boxes instead of a person.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    virtual BoxAnswer show(const BoxRequest& request) = 0;

    BoxAnswer error(const std::string& text) {
        return show({text, "Error", BoxIcon::None, BoxButtons::Ok});
    }
};

}  // namespace velmira
