#include "platform/finger_scroll.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QScrollerProperties>
#include <QTouchEvent>

namespace velmira {
namespace {

bool fromFinger(const QMouseEvent& event) {
    const QPointingDevice* device = event.pointingDevice();
    return event.source() != Qt::MouseEventNotSynthesized ||
           (device && device->type() == QInputDevice::DeviceType::TouchScreen);
}

// Keeps the rest of a held finger away from the popup its hold opened: Qt
// hands a popup the finger's lift as a mouse release over it, which would
// close it, or pick the item under the finger.
class LiftGuard final : public QObject {
  public:
    explicit LiftGuard(QWidget& popup) : QObject(&popup) { popup.installEventFilter(this); }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::MouseMove && type != QEvent::MouseButtonRelease &&
            type != QEvent::MouseButtonPress) {
            return false;
        }
        if (!fromFinger(*static_cast<QMouseEvent*>(event))) return false;
        // A press is a new touch, the held finger's end went elsewhere.
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease) deleteLater();
        return type != QEvent::MouseButtonPress;
    }
};

}  // namespace

FingerScroll* FingerScroll::attach(QAbstractItemView& view, bool reportsHolds) {
    return new FingerScroll(view, reportsHolds);
}

FingerScroll::FingerScroll(QAbstractItemView& view, bool reportsHolds)
    : QObject(&view),
      view_(view),
      viewport_(view.viewport()),
      scroller_(QScroller::scroller(view.viewport())),
      reportsHolds_(reportsHolds) {
    QScroller::grabGesture(viewport_, QScroller::TouchGesture);
    // A list that springs back past its ends looks broken on a panel that
    // redraws slowly.
    QScrollerProperties properties = scroller_->scrollerProperties();
    properties.setScrollMetric(QScrollerProperties::HorizontalOvershootPolicy,
                               QVariant::fromValue(QScrollerProperties::OvershootAlwaysOff));
    properties.setScrollMetric(QScrollerProperties::VerticalOvershootPolicy,
                               QVariant::fromValue(QScrollerProperties::OvershootAlwaysOff));
    scroller_->setScrollerProperties(properties);
    connect(scroller_, &QScroller::stateChanged, this, [this](QScroller::State state) {
        // Dragging: the finger scrolls. Pressed after Scrolling: the finger
        // stopped a fling, which is no tap either.
        if (state == QScroller::Dragging ||
            (state == QScroller::Pressed && scrollerState_ == QScroller::Scrolling)) {
            tap_ = false;
            hold_.stop();
        }
        scrollerState_ = state;
    });
    hold_.setSingleShot(true);
    hold_.setInterval(kHoldMs);
    connect(&hold_, &QTimer::timeout, this, [this] {
        if (!down_ || !tap_) return;
        heldDone_ = true;
        click(start_);
        emit held(start_);
        if (QWidget* popup = QApplication::activePopupWidget()) new LiftGuard(*popup);
    });
    viewport_->installEventFilter(this);
}

bool FingerScroll::eventFilter(QObject* watched, QEvent* event) {
    if (watched != viewport_) return false;
    switch (event->type()) {
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
            return onTouch(event);
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            return onMadeUpMouse(static_cast<QMouseEvent*>(event));
        case QEvent::Hide:
            reset();
            return false;
        default:
            return false;
    }
}

// The gesture has seen the touch already and scrolls; here the touch is only
// told apart into a tap, a hold or neither.
bool FingerScroll::onTouch(QEvent* event) {
    auto* touch = static_cast<QTouchEvent*>(event);
    event->accept();
    if (event->type() == QEvent::TouchCancel || touch->points().isEmpty()) {
        reset();
        return true;
    }
    const QPoint at = touch->points().first().position().toPoint();
    if (touch->points().size() > 1) tap_ = false;  // two fingers are no tap
    switch (event->type()) {
        case QEvent::TouchBegin:
            fingerDown(at);
            break;
        case QEvent::TouchUpdate:
            fingerMoved(at);
            break;
        default:
            fingerMoved(at);
            fingerUp();
            break;
    }
    return true;
}

// A popup takes no touch: Qt hands it a mouse made up from the finger. That
// mouse is the finger, and goes to the scroller; a real mouse passes.
bool FingerScroll::onMadeUpMouse(QMouseEvent* event) {
    if (!fromFinger(*event)) return false;
    const QPoint at = event->position().toPoint();
    const qint64 time = static_cast<qint64>(event->timestamp());
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            // Before the scroller sees it: a press stops a fling.
            fingerDown(at);
            if (scroller_->state() == QScroller::Scrolling) tap_ = false;
            scroller_->handleInput(QScroller::InputPress, event->position(), time);
            break;
        case QEvent::MouseMove:
            if (!down_) break;
            scroller_->handleInput(QScroller::InputMove, event->position(), time);
            fingerMoved(at);
            break;
        case QEvent::MouseButtonRelease:
            // A release whose press opened the popup belongs to no tap here.
            if (!down_) break;
            scroller_->handleInput(QScroller::InputRelease, event->position(), time);
            fingerMoved(at);
            fingerUp();
            break;
        default:
            break;
    }
    return true;
}

void FingerScroll::fingerDown(QPoint at) {
    // The scroller moves the view by pixels; by items, every pixel of a drag
    // would be a row. Set at the first touch, so that a view no finger
    // touched looks as it always has, its scroll bars included.
    if (view_.verticalScrollMode() != QAbstractItemView::ScrollPerPixel ||
        view_.horizontalScrollMode() != QAbstractItemView::ScrollPerPixel) {
        view_.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        view_.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        scroller_->resendPrepareEvent();
    }
    down_ = true;
    tap_ = true;
    heldDone_ = false;
    start_ = at;
    if (reportsHolds_) hold_.start();
}

void FingerScroll::fingerMoved(QPoint at) {
    if ((at - start_).manhattanLength() > QApplication::startDragDistance()) {
        tap_ = false;
        hold_.stop();
    }
}

void FingerScroll::fingerUp() {
    const bool tap = down_ && tap_ && !heldDone_;
    reset();
    if (tap) click(start_);
}

void FingerScroll::reset() {
    hold_.stop();
    down_ = false;
    tap_ = false;
    heldDone_ = false;
}

// A click of the left button where the finger touched, as a mouse makes it:
// the view selects, takes the focus and picks as it does for a mouse.
void FingerScroll::click(QPoint at) {
    const QPointF local(at);
    const QPointF global = viewport_->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(viewport_, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(viewport_, &release);
}

}  // namespace velmira
