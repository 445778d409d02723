#pragma once

#include <QLabel>

namespace velmira {

// A static picture showing one icon or bitmap resource, scaled to the control.
// Pictures beside buttons notify clicks and act as those buttons.
//
// The image is drawn when the picture is first seen, at the size it is seen
// at: a hidden holder costs nothing until a picture takes its image.
class PictureControl : public QLabel {
    Q_OBJECT
  public:
    explicit PictureControl(QWidget* parent = nullptr);

    void showResource(int resource);
    // Takes the image of a hidden holder picture, as a lamp takes "active".
    void copyImageFrom(PictureControl& holder);
    int resource() const { return resource_; }
    void setNotifiesClicks(bool on) { notifies_ = on; }
    bool notifiesClicks() const { return notifies_; }

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // Draws the resource now if what is shown is not it at this size.
    QPixmap drawn();

    int resource_ = 0;
    bool stale_ = false;
    bool notifies_ = false;
};

}  // namespace velmira
