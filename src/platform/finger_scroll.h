#pragma once

#include <QObject>
#include <QPoint>
#include <QScroller>
#include <QTimer>

class QAbstractItemView;
class QMouseEvent;

namespace velmira {

// Lets a finger scroll a list or a tree by dragging it, while a tap still
// clicks where it touched. A drag selects nothing: neither the item the
// finger came down on nor those it passes on the way. Mouse and keyboard
// work the view as before.
//
// Views take the finger as touch; a drop-down's list, a popup, gets it from
// Qt as a mouse made up from the touch, which is fed to the same scroller.
class FingerScroll final : public QObject {
    Q_OBJECT
  public:
    // How long a finger held still is a long press.
    static constexpr int kHoldMs = 700;

    // Owned by the view. With reportsHolds, a finger held still for kHoldMs
    // clicks there at once and says so through held(); letting go then does
    // nothing more.
    static FingerScroll* attach(QAbstractItemView& view, bool reportsHolds = false);

  signals:
    void held(const QPoint& viewportPos);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    FingerScroll(QAbstractItemView& view, bool reportsHolds);

    bool onTouch(QEvent* event);
    bool onMadeUpMouse(QMouseEvent* event);
    void fingerDown(QPoint at);
    void fingerMoved(QPoint at);
    void fingerUp();
    void reset();
    void click(QPoint at);

    QAbstractItemView& view_;
    QWidget* viewport_;
    QScroller* scroller_;
    bool reportsHolds_;
    QTimer hold_;
    QScroller::State scrollerState_ = QScroller::Inactive;

    bool down_ = false;
    bool tap_ = false;  // nothing yet says it is not a tap
    bool heldDone_ = false;
    QPoint start_;
};

}  // namespace velmira
