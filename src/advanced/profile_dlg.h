#pragma once

#include <QWidget>
#include <vector>

#include "advanced/profile_model.h"
#include "platform/companion_window.h"

namespace velmira {

// Draws the planned and the traced path on the plane of Axis1 and Axis2,
// with axes in pulses and the current point marked.
class ProfileView : public QWidget {
    Q_OBJECT
  public:
    ProfileView(const ProfileModel& model, QWidget* parent = nullptr);

    // Where a point of the plane lands in the widget: one scale for both
    // axes, so a circle stays round.
    QPointF toWidget(PlanePoint p) const;

    static constexpr QRgb kPlannedColour = 0xff1d6fb8;
    static constexpr QRgb kTracedColour = 0xffd81e1e;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QRectF plotArea() const;
    double scale() const;

    const ProfileModel& model_;
};

// The profile window of the Advanced Features screen: the last run's path as
// planned and as travelled, zoomed about its centre or fitted to both paths.
// A companion window of its screen, never modal: Stop stays in reach beside it.
class CProfileDlg : public CompanionWindow {
    Q_OBJECT
  public:
    static constexpr int kTemplateId = 144;
    static constexpr int kClose = 2;  // on a panel, which has no window frame

    CProfileDlg(MessageBoxes& boxes, ProfileModel& model, QWidget* parent = nullptr);

    // The screen polled a new position or started a run.
    void modelChanged();
    ProfileView& view() const { return *view_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    ProfileModel& model_;
    ProfileView* view_;
    std::vector<QWidget*> buttons_;
};

}  // namespace velmira
