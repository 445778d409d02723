#pragma once

#include <QObject>

class QWidget;

namespace velmira {

// Closes a window once it has been painted for the first time: "the window is
// on the screen", told the same way on every platform, for measuring how long
// a start takes from launch to a window a user can see.
class QuitWhenPainted final : public QObject {
  public:
    explicit QuitWhenPainted(QWidget& window);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget& window_;
    bool closing_ = false;
};

}  // namespace velmira
