#include "advanced/profile_dlg.h"

#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <cmath>

#include "platform/panel.h"
#include "platform/plot_ticks.h"

namespace velmira {
namespace {

QString pulses(double v) {
    return QString::number(static_cast<qlonglong>(std::llround(v)));
}

}  // namespace

ProfileView::ProfileView(const ProfileModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setAutoFillBackground(false);
    setAccessibleName(QStringLiteral("Path"));
}

// Room at the left and the bottom for the tick labels and axis titles.
QRectF ProfileView::plotArea() const {
    return QRectF(rect()).adjusted(58, 8, -10, -34);
}

double ProfileView::scale() const {
    const QRectF area = plotArea();
    const ViewBox& v = model_.view();
    return std::min(area.width() / (2 * v.halfWidth), area.height() / (2 * v.halfHeight));
}

QPointF ProfileView::toWidget(PlanePoint p) const {
    const QRectF area = plotArea();
    const ViewBox& v = model_.view();
    const double s = scale();
    return {area.center().x() + (p.x - v.cx) * s, area.center().y() - (p.y - v.cy) * s};
}

void ProfileView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = plotArea();
    const double s = scale();
    const ViewBox& v = model_.view();
    // What the area shows, in pulses (wider than the box on one side).
    const double left = v.cx - area.width() / 2 / s, right = v.cx + area.width() / 2 / s;
    const double bottom = v.cy - area.height() / 2 / s, top = v.cy + area.height() / 2 / s;

    painter.setPen(QColor(0xe4, 0xe8, 0xee));
    const double stepX = tickStep(right - left, 5), stepY = tickStep(top - bottom, 5);
    QFont small = font();
    small.setPointSizeF(font().pointSizeF() * 0.85);
    painter.setFont(small);
    for (double x = std::ceil(left / stepX) * stepX; x <= right; x += stepX) {
        const double wx = toWidget({x, 0}).x();
        painter.setPen(QColor(0xe4, 0xe8, 0xee));
        painter.drawLine(QPointF(wx, area.top()), QPointF(wx, area.bottom()));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(wx - 40, area.bottom() + 2, 80, 14), Qt::AlignHCenter, pulses(x));
    }
    for (double y = std::ceil(bottom / stepY) * stepY; y <= top; y += stepY) {
        const double wy = toWidget({0, y}).y();
        painter.setPen(QColor(0xe4, 0xe8, 0xee));
        painter.drawLine(QPointF(area.left(), wy), QPointF(area.right(), wy));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, wy - 7, area.left() - 4, 14), Qt::AlignRight | Qt::AlignVCenter,
                         pulses(y));
    }
    painter.setPen(Qt::black);
    painter.drawRect(area);
    painter.drawText(QRectF(area.left(), area.bottom() + 16, area.width(), 16), Qt::AlignHCenter,
                     QStringLiteral("Axis1 (pulses)"));
    painter.save();
    painter.translate(10, area.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-area.height() / 2, -8, area.height(), 16), Qt::AlignHCenter,
                     QStringLiteral("Axis2 (pulses)"));
    painter.restore();

    painter.setClipRect(area);
    const auto polyline = [this](const std::vector<PlanePoint>& points) {
        QPainterPath path;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const QPointF w = toWidget(points[i]);
            if (i == 0) {
                path.moveTo(w);
            } else {
                path.lineTo(w);
            }
        }
        return path;
    };
    painter.setPen(QPen(QColor::fromRgba(kPlannedColour), 2, Qt::DashLine));
    painter.drawPath(polyline(model_.plan()));
    painter.setPen(QPen(QColor::fromRgba(kTracedColour), 2));
    painter.drawPath(polyline(model_.trace()));
    if (const auto current = model_.current()) {
        painter.setBrush(QColor::fromRgba(kTracedColour));
        painter.drawEllipse(toWidget(*current), 4, 4);
    }
}

CProfileDlg::CProfileDlg(MessageBoxes& boxes, ProfileModel& model, QWidget* parent)
    : CompanionWindow(boxes, QStringLiteral("Profile for Advanced Features"), parent),
      model_(model) {
    setTemplateFont(8, {7, 15});
    view_ = new ProfileView(model_, this);
    tagControl(view_, kStaticId);
    const auto button = [this](int id, const char* text, std::function<void()> act) {
        QPushButton* b = addButton(id, QString::fromLatin1(text), {0, 0, 60, 17}, Qt::AlignCenter);
        b->setAccessibleName(QString::fromLatin1(text));
        connect(b, &QPushButton::clicked, this, [this, act] {
            act();
            view_->update();
        });
        buttons_.push_back(b);
    };
    button(1119, "ZoomOut", [this] { model_.zoomOut(); });
    button(1009, "ZoomIn", [this] { model_.zoomIn(); });
    button(1010, "Profile", [this] { model_.fit(); });
    if (panelMode()) button(kClose, "Close", [this] { close(); });
    if (!panelMode()) setTemplateSize({226, 152});
    // Opened to show the path: it starts fitted to it.
    model_.fit();
}

// The path takes all the room the row of buttons below it leaves.
void CProfileDlg::resizeEvent(QResizeEvent* event) {
    Dialog::resizeEvent(event);
    const QRect unit = toPixels({4, 4, 60, 17});  // a gap across, a gap down, a button
    const int count = static_cast<int>(buttons_.size());
    const int w = std::min(unit.width(), (width() - unit.x() * (count + 1)) / count);
    const int top = height() - unit.height() - unit.y();
    view_->setGeometry(unit.x() / 2, unit.y() / 2, width() - unit.x(), top - unit.y());
    for (int i = 0; i < count; ++i) {
        buttons_[static_cast<std::size_t>(i)]->setGeometry(unit.x() + i * (w + unit.x()), top, w,
                                                           unit.height());
    }
}

void CProfileDlg::modelChanged() {
    view_->update();
}

}  // namespace velmira
