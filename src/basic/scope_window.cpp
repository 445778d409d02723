#include "basic/scope_window.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTouchEvent>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/card_files.h"
#include "platform/panel.h"
#include "platform/plot_ticks.h"

namespace velmira {
namespace {

constexpr QRgb kColours[kScopeTraceCount] = {0xff1d6fb8, 0xff2e9e44, 0xffd81e1e, 0xffd07a00};
constexpr const char* kTraceNames[kScopeTraceCount] = {"Logic position", "Encoder position",
                                                       "Error", "Speed"};
constexpr double kMaxSpan = ScopeWindow::kKeptSeconds;
// A press that moves less than this is a click or a tap, not a drag.
constexpr double kDragPixels = 8;

double valueOf(const ScopeSample& s, int trace) {
    switch (static_cast<ScopeTrace>(trace)) {
        case ScopeTrace::Logic:
            return s.logicPosition;
        case ScopeTrace::Encoder:
            return s.encoderPosition;
        case ScopeTrace::Error:
            return static_cast<double>(s.error);
        case ScopeTrace::Speed:
            break;
    }
    return s.currentSpeed;
}

// The decimals a tick label needs at this step.
QString tickLabel(double v, double step) {
    const int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step)));
    return QString::number(v, 'f', decimals);
}

// The values a scale spans, a little wider than what it shows.
struct Range {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();

    void take(double v) {
        low = std::min(low, v);
        high = std::max(high, v);
    }
    bool valid() const { return low <= high; }
    void pad() {
        const double margin =
            high > low ? (high - low) * 0.05 : std::max(1.0, std::abs(low) * 0.05);
        low -= margin;
        high += margin;
    }
};

}  // namespace

ScopeView::ScopeView(const ScopeRecording& recording, QWidget* parent)
    : QWidget(parent), recording_(recording) {
    setAttribute(Qt::WA_AcceptTouchEvents);
    setAccessibleName(QStringLiteral("Plot"));
    setMinimumSize(200, 120);
}

void ScopeView::setShown(ScopeTrace trace, bool on) {
    shown_[static_cast<int>(trace)] = on;
    update();
}

double ScopeView::newest() const {
    return recording_.empty() ? 0 : recording_.at(recording_.size() - 1).seconds;
}

double ScopeView::start() const {
    return following_ ? std::max(0.0, newest() - span_) : heldStart_;
}

void ScopeView::follow() {
    following_ = true;
    span_ = kDefaultSpan;
    update();
}

void ScopeView::hold() {
    if (following_) heldStart_ = start();
    following_ = false;
}

void ScopeView::zoom(double factor, double atX) {
    if (!(factor > 0)) return;
    const double at = timeAt(atX);
    hold();
    const double span = std::clamp(span_ / factor, kMinSpan, kMaxSpan);
    heldStart_ = at - (at - heldStart_) * span / span_;
    span_ = span;
    update();
}

// Half the view at least keeps samples in it, however far the drag goes.
void ScopeView::panBy(double pixels) {
    const double width = plotArea().width();
    if (width <= 0) return;
    hold();
    heldStart_ -= pixels / width * span_;
    if (!recording_.empty()) {
        const double oldest = recording_.at(0).seconds;
        heldStart_ =
            std::clamp(heldStart_, oldest - span_ / 2, std::max(oldest, newest()) - span_ / 2);
    }
    update();
}

// Room at the left and right for the two scales, at the bottom for time.
QRectF ScopeView::plotArea() const {
    return QRectF(rect()).adjusted(62, 8, -62, -34);
}

double ScopeView::timeAt(double x) const {
    const QRectF area = plotArea();
    return start() + (x - area.left()) / area.width() * span_;
}

double ScopeView::xOf(double seconds) const {
    const QRectF area = plotArea();
    return area.left() + (seconds - start()) / span_ * area.width();
}

std::optional<std::size_t> ScopeView::cursorSample() const {
    if (!cursor_ || recording_.empty()) return std::nullopt;
    std::size_t i = std::min(recording_.firstAtOrAfter(*cursor_), recording_.size() - 1);
    if (i > 0 && *cursor_ - recording_.at(i - 1).seconds < recording_.at(i).seconds - *cursor_) {
        --i;
    }
    return i;
}

void ScopeView::press(QPointF at) {
    pressedAt_ = at;
    lastAt_ = at;
    dragging_ = false;
}

void ScopeView::drag(QPointF to) {
    if (!pressedAt_ && !dragging_) return;
    if (!dragging_ && (to - *pressedAt_).manhattanLength() < kDragPixels) return;
    dragging_ = true;
    panBy(to.x() - lastAt_.x());
    lastAt_ = to;
}

void ScopeView::release(QPointF at) {
    if (pressedAt_ && !dragging_) {
        cursor_ = timeAt(at.x());
        update();
        emit cursorMoved();
    }
    pressedAt_.reset();
    dragging_ = false;
}

// The wheel zooms about the pointer; the left mouse button and one finger
// press, drag and release alike; two fingers pinch the time axis about their
// middle.
bool ScopeView::event(QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const double notches = wheel->angleDelta().y() / 120.0;
        if (notches != 0) zoom(std::pow(1.25, notches), wheel->position().x());
        return true;
    }
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
        type == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const Qt::MouseButtons left =
            (type == QEvent::MouseMove ? mouse->buttons() : mouse->button()) & Qt::LeftButton;
        if (!left) return QWidget::event(event);
        if (type == QEvent::MouseButtonPress) press(mouse->position());
        if (type == QEvent::MouseMove) drag(mouse->position());
        if (type == QEvent::MouseButtonRelease) release(mouse->position());
        return true;
    }
    if (type != QEvent::TouchBegin && type != QEvent::TouchUpdate && type != QEvent::TouchEnd &&
        type != QEvent::TouchCancel) {
        return QWidget::event(event);
    }
    const auto& points = static_cast<QTouchEvent*>(event)->points();
    if (type == QEvent::TouchCancel || points.isEmpty()) {
        pressedAt_.reset();
        dragging_ = false;
        pinchDistance_ = 0;
    } else if (points.size() >= 2) {
        const QPointF a = points[0].position(), b = points[1].position();
        const double distance = std::hypot(a.x() - b.x(), a.y() - b.y());
        if (pinchDistance_ > 0 && distance > 0)
            zoom(distance / pinchDistance_, (a.x() + b.x()) / 2);
        pinchDistance_ = distance;
        // What the fingers do after a pinch is a drag, never a tap.
        pressedAt_.reset();
        dragging_ = true;
        lastAt_ = a;
    } else {
        const QPointF at = points[0].position();
        if (pinchDistance_ > 0) {
            pinchDistance_ = 0;
            lastAt_ = at;
        }
        if (type == QEvent::TouchBegin) {
            press(at);
        } else if (type == QEvent::TouchEnd) {
            release(at);
        } else {
            drag(at);
        }
    }
    if (type == QEvent::TouchEnd) pinchDistance_ = 0;
    event->accept();
    return true;
}

void ScopeView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const QRectF area = plotArea();
    if (area.width() <= 0 || area.height() <= 0) return;
    const double t0 = start(), t1 = t0 + span_;
    // One sample either side of the view, so the lines reach its edges.
    const std::size_t first = recording_.firstAtOrAfter(t0);
    const std::size_t from = first > 0 ? first - 1 : 0;
    const std::size_t to = std::min(recording_.firstAtOrAfter(t1) + 1, recording_.size());

    Range ranges[2];  // pulses on the left, PPS on the right
    const auto side = [](int trace) {
        return trace == static_cast<int>(ScopeTrace::Speed) ? 1 : 0;
    };
    for (std::size_t i = from; i < to; ++i) {
        const ScopeSample& s = recording_.at(i);
        for (int t = 0; t < kScopeTraceCount; ++t) {
            if (shown_[t]) ranges[side(t)].take(valueOf(s, t));
        }
    }
    for (Range& r : ranges) r.pad();
    const auto yOf = [&](const Range& r, double v) {
        return area.bottom() - (v - r.low) / (r.high - r.low) * area.height();
    };

    const QColor grid(0xe4, 0xe8, 0xee);
    QFont small = font();
    small.setPointSizeF(font().pointSizeF() * 0.85);
    painter.setFont(small);
    const double stepT = tickStep(span_, 6);
    for (double t = std::ceil(t0 / stepT) * stepT; t <= t1; t += stepT) {
        const double x = xOf(t);
        painter.setPen(grid);
        painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(x - 40, area.bottom() + 2, 80, 14), Qt::AlignHCenter,
                         tickLabel(t, stepT));
    }
    for (int s = 0; s < 2; ++s) {
        const Range& r = ranges[s];
        if (!r.valid()) continue;
        const double step = tickStep(r.high - r.low, 5);
        for (double v = std::ceil(r.low / step) * step; v <= r.high; v += step) {
            const double y = yOf(r, v);
            painter.setPen(grid);
            if (s == 0 || !ranges[0].valid()) {
                painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
            }
            painter.setPen(s == 0 ? Qt::black : QColor::fromRgba(kColours[3]));
            const QRectF box = s == 0 ? QRectF(0, y - 7, area.left() - 4, 14)
                                      : QRectF(area.right() + 4, y - 7, width(), 14);
            painter.drawText(box, (s == 0 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter,
                             tickLabel(v, step));
        }
    }
    painter.setPen(Qt::black);
    painter.drawRect(area);
    painter.drawText(QRectF(area.left(), area.bottom() + 16, area.width(), 16), Qt::AlignHCenter,
                     QStringLiteral("Time (s)"));
    painter.drawText(QRectF(2, 0, area.left(), area.top() + 2), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("pulses"));
    painter.drawText(QRectF(area.right(), 0, width() - area.right() - 2, area.top() + 2),
                     Qt::AlignRight | Qt::AlignTop, QStringLiteral("PPS"));

    painter.setClipRect(area);
    for (const ScopeMarker& m : recording_.markers()) {
        if (m.seconds < t0 || m.seconds > t1) continue;
        const double x = xOf(m.seconds);
        painter.setPen(QPen(QColor(0x60, 0x60, 0x60), 1, Qt::DashLine));
        painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        QString label = QString::fromStdString(m.label);
        // Blocks counted as a user counts them, the list's first one 1.
        if (m.block >= 0) label += QStringLiteral(" #%1").arg(m.block + 1);
        const QRectF box =
            painter.boundingRect(QRectF(x + 3, area.top() + 2, 160, 14), Qt::AlignLeft, label);
        painter.fillRect(box.adjusted(-1, 0, 1, 0), QColor(255, 255, 255, 200));
        painter.drawText(box, Qt::AlignLeft, label);
    }

    // Thousands of samples may fall on one pixel column: each column draws
    // the first, lowest, highest and last of its own, which keeps every peak.
    // The encoder is drawn wide under the logic position, which it mostly
    // covers. Where samples outnumber the pixel columns every trace is one
    // plain pixel wide: a smoothed or wide pen there costs ten times the paint
    // (59 against 6 ms for ten minutes in view) for nothing the eye can tell.
    const bool dense = to - from > static_cast<std::size_t>(area.width());
    painter.setRenderHint(QPainter::Antialiasing, !dense);
    for (int t : {1, 0, 2, 3}) {
        if (!shown_[t]) continue;
        const Range& r = ranges[side(t)];
        QPolygonF line;
        int column = std::numeric_limits<int>::min();
        double firstY = 0, low = 0, high = 0, lastY = 0, x = 0;
        const auto flush = [&] {
            if (column == std::numeric_limits<int>::min()) return;
            line << QPointF(x, firstY) << QPointF(x, low) << QPointF(x, high) << QPointF(x, lastY);
        };
        for (std::size_t i = from; i < to; ++i) {
            const ScopeSample& s = recording_.at(i);
            const double sx = xOf(s.seconds);
            const double y = yOf(r, valueOf(s, t));
            const int c = static_cast<int>(std::floor(sx));
            if (c != column) {
                flush();
                column = c;
                x = sx;
                firstY = low = high = y;
            }
            low = std::min(low, y);
            high = std::max(high, y);
            lastY = y;
        }
        flush();
        painter.setPen(QPen(QColor::fromRgba(kColours[t]), dense ? 1 : (t == 1 ? 4 : 1.5)));
        painter.drawPolyline(line);
    }

    if (const auto i = cursorSample()) {
        const ScopeSample& s = recording_.at(*i);
        const double x = xOf(s.seconds);
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
        for (int t = 0; t < kScopeTraceCount; ++t) {
            if (!shown_[t]) continue;
            painter.setPen(QColor::fromRgba(kColours[t]));
            painter.setBrush(QColor::fromRgba(kColours[t]));
            painter.drawEllipse(QPointF(x, yOf(ranges[side(t)], valueOf(s, t))), 3, 3);
        }
    }
}

ScopeWindow::ScopeWindow(MessageBoxes& boxes, const CardFiles& card, QWidget* parent)
    : CompanionWindow(boxes, QStringLiteral("Scope"), parent),
      card_(card),
      recording_(static_cast<std::size_t>(kKeptSeconds * 1000 / kPeriodMs)) {
    setTemplateFont(8, {7, 15});
    // Finger-sized on a panel, as the screens' own buttons are.
    const int rowHeight = toPixels({0, 0, 1, panelMode() ? 24 : 16}).height();

    auto* layout = new QVBoxLayout(this);
    view_ = new ScopeView(recording_, this);
    tagControl(view_, kView);
    layout->addWidget(view_, 1);

    auto* traces = new QHBoxLayout;
    const int traceIds[kScopeTraceCount] = {kLogic, kEncoder, kError, kSpeed};
    for (int t = 0; t < kScopeTraceCount; ++t) {
        auto* box = new QCheckBox(QString::fromLatin1(kTraceNames[t]), this);
        tagControl(box, traceIds[t]);
        box->setChecked(true);
        box->setMinimumHeight(rowHeight);
        box->setStyleSheet(
            QStringLiteral("QCheckBox { color: %1; }").arg(QColor::fromRgba(kColours[t]).name()));
        connect(box, &QCheckBox::toggled, this,
                [this, t](bool on) { view_->setShown(static_cast<ScopeTrace>(t), on); });
        traces->addWidget(box);
    }
    traces->addStretch(1);
    auto* period = new QLabel(QStringLiteral("A sample every %1 ms, the last %2 min kept")
                                  .arg(kPeriodMs)
                                  .arg(kKeptSeconds / 60),
                              this);
    tagControl(period, kPeriodNote);
    traces->addWidget(period);
    layout->addLayout(traces);

    state_ = new QLabel(this);
    tagControl(state_, kStateNote);
    layout->addWidget(state_);
    readout_ = new QLabel(QStringLiteral("Click or tap the plot to read a sample."), this);
    tagControl(readout_, kReadout);
    readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(readout_);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](int id, const char* text, std::function<void()> act) {
        auto* b = new QPushButton(QString::fromLatin1(text), this);
        tagControl(b, id);
        b->setAccessibleName(QString::fromLatin1(text));
        b->setAutoDefault(false);
        b->setMinimumHeight(rowHeight);
        b->setMinimumWidth(toPixels({0, 0, 60, 1}).width());
        connect(b, &QPushButton::clicked, this, std::move(act));
        buttons->addWidget(b);
        return b;
    };
    pause_ = button(kPause, "Pause", [this] { setPaused(!paused_); });
    button(kFollow, "Follow", [this] { view_->follow(); });
    button(kSaveCsv, "Save CSV", [this] { saveCsv(); });
    buttons->addStretch(1);
    if (panelMode()) button(kClose, "Close", [this] { close(); });
    layout->addLayout(buttons);

    connect(view_, &ScopeView::cursorMoved, this, &ScopeWindow::showReadout);
    resize(toPixels({0, 0, 300, 200}).size());
    showState();
}

void ScopeWindow::follow(int card, int axisIndex, const QString& name) {
    name_ = name;
    if (card != cardNumber_ || axisIndex != axisIndex_) {
        cardNumber_ = card;
        axisIndex_ = axisIndex;
        recording_.clear();
        started_ = false;
        saveNote_.clear();
        view_->follow();
        view_->clearCursor();
        readout_->clear();
    }
    showState();
}

void ScopeWindow::markMove(const std::string& label, int block) {
    if (paused_) return;
    if (!started_) {
        started_ = true;
        clock_.start();
    }
    recording_.mark({now(), block, label});
    showState();
    view_->update();
}

void ScopeWindow::addSample(const AxisStatus& s) {
    if (!recording()) return;
    recording_.append({now(), s.logicPosition, s.encoderPosition, s.error, s.currentSpeed});
    view_->update();
}

double ScopeWindow::now() const {
    return static_cast<double>(clock_.nsecsElapsed()) / 1e9;
}

void ScopeWindow::setPaused(bool paused) {
    paused_ = paused;
    pause_->setText(paused ? QStringLiteral("Continue") : QStringLiteral("Pause"));
    pause_->setAccessibleName(pause_->text());
    showState();
}

void ScopeWindow::showState() {
    const QString what = paused_    ? QStringLiteral("paused")
                         : started_ ? QStringLiteral("recording")
                                    : QStringLiteral("waiting for a move");
    state_->setText(QStringLiteral("%1: %2").arg(name_, what) +
                    (saveNote_.isEmpty() ? QString() : QStringLiteral("; ") + saveNote_));
}

void ScopeWindow::showReadout() {
    const auto i = view_->cursorSample();
    if (!i) return readout_->clear();
    const ScopeSample& s = recording_.at(*i);
    readout_->setText(QStringLiteral("%1 s: logic %2, encoder %3, error %4 pulses; speed %5 PPS")
                          .arg(QString::number(s.seconds, 'f', 3))
                          .arg(s.logicPosition)
                          .arg(s.encoderPosition)
                          .arg(s.error)
                          .arg(s.currentSpeed));
}

void ScopeWindow::saveCsv() {
    // Success is told on the window, not in a box: a box would hold Stop
    // out of reach until it is answered.
    if (recording_.empty()) {
        saveNote_ = QStringLiteral("nothing recorded yet, nothing saved");
        return showState();
    }
    const Result<QString> saved =
        saveScopeCsv(card_, recording_, QDateTime::currentDateTime(), cardNumber_, axisIndex_);
    if (!saved.ok()) {
        boxes().error("The samples were not saved: " + saved.error());
        return;
    }
    saveNote_ = QStringLiteral("saved as Pelmoran/") + QFileInfo(*saved).fileName();
    showState();
}

void ScopeWindow::hideEvent(QHideEvent* event) {
    Dialog::hideEvent(event);
    emit closed();
}

}  // namespace velmira
