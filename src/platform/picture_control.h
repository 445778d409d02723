#pragma once

#include <QLabel>

namespace velmira {

// A static picture showing one icon or bitmap resource, scaled to the control.
// Pictures beside buttons notify clicks and act as those buttons.
class PictureControl : public QLabel {
    Q_OBJECT
  public:
    explicit PictureControl(QWidget* parent = nullptr);

    void showResource(int resource);
    // Takes the image of a hidden holder picture, as a lamp takes "active".
    void copyImageFrom(const PictureControl& holder);
    int resource() const { return resource_; }
    void setNotifiesClicks(bool on) { notifies_ = on; }
    bool notifiesClicks() const { return notifies_; }

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    int resource_ = 0;
    bool notifies_ = false;
};

}  // namespace velmira
