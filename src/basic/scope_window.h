#pragma once

#include <QElapsedTimer>
#include <QPointF>
#include <QWidget>
#include <optional>
#include <string>

#include "basic/scope_recording.h"
#include "basic/status_monitor.h"
#include "platform/companion_window.h"

class QLabel;
class QPushButton;

namespace velmira {

class CardFiles;

// The traces a scope draws, in the order of its check boxes.
enum class ScopeTrace { Logic, Encoder, Error, Speed };
inline constexpr int kScopeTraceCount = 4;

// Plots a recording against time: positions and error on a left scale in
// pulses, speed on a right scale in PPS, both scaled to what is in view. The
// time axis follows the newest sample until the user zooms or pans it.
// Wheel and pinch zoom, a drag by mouse or finger pans, a click or a tap puts
// the cursor on the nearest sample.
class ScopeView : public QWidget {
    Q_OBJECT
  public:
    static constexpr double kDefaultSpan = 10;  // seconds in view at first
    static constexpr double kMinSpan = 0.1;

    explicit ScopeView(const ScopeRecording& recording, QWidget* parent = nullptr);

    void setShown(ScopeTrace trace, bool on);
    bool shown(ScopeTrace trace) const { return shown_[static_cast<int>(trace)]; }

    // The seconds in view: [start, start + span].
    double start() const;
    double span() const { return span_; }
    bool following() const { return following_; }
    // Back to the newest samples at the first span.
    void follow();
    void clearCursor() {
        cursor_.reset();
        update();
    }
    // Zooms by `factor` (above 1: closer) about the time at widget x.
    void zoom(double factor, double atX);
    void panBy(double pixels);

    // The sample the cursor is on, if any.
    std::optional<std::size_t> cursorSample() const;
    double timeAt(double x) const;
    double xOf(double seconds) const;
    QRectF plotArea() const;

  signals:
    void cursorMoved();

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void press(QPointF at);
    void drag(QPointF to);
    void release(QPointF at);
    void hold();
    double newest() const;

    const ScopeRecording& recording_;
    bool shown_[kScopeTraceCount] = {true, true, true, true};
    double span_ = kDefaultSpan;
    double heldStart_ = 0;
    bool following_ = true;
    std::optional<double> cursor_;  // seconds
    // A press that has not yet moved far enough to be a drag is a click.
    std::optional<QPointF> pressedAt_;
    QPointF lastAt_;
    bool dragging_ = false;
    double pinchDistance_ = 0;
};

// The axis scope of the Basic Operation screen: a companion window that
// records the screen's own status reads of the selected axis from the moment
// a move starts, keeps the last kKeptSeconds of them, and saves them as CSV
// onto the card. Never modal: Stop, Servo and the jog buttons stay in reach.
class ScopeWindow : public CompanionWindow {
    Q_OBJECT
  public:
    // While the scope is open the screen reads the status this often. A
    // status read is twelve library calls: 7 to 14 us on the simulated rack,
    // well under a millisecond through a module's I/O ports, so 50 reads a
    // second leave the module and the program nearly idle.
    static constexpr int kPeriodMs = 20;
    static constexpr int kKeptSeconds = 600;

    static constexpr int kView = 100, kLogic = 101, kEncoder = 102, kError = 103, kSpeed = 104,
                         kPause = 105, kFollow = 106, kSaveCsv = 107, kClose = 2, kPeriodNote = 108,
                         kReadout = 109, kStateNote = 110;

    ScopeWindow(MessageBoxes& boxes, const CardFiles& card, QWidget* parent = nullptr);

    // The axis the screen reads: another axis starts a new recording, which
    // waits for a move.
    void follow(int card, int axisIndex, const QString& name);
    // A move started on the followed axis; its calls went to `block` of the
    // command list (-1: none). Starts the recording when it waits.
    void markMove(const std::string& label, int block);
    // One status read of the followed axis.
    void addSample(const AxisStatus& status);

    bool recording() const { return started_ && !paused_; }
    bool paused() const { return paused_; }
    void setPaused(bool paused);
    const ScopeRecording& samples() const { return recording_; }
    ScopeView& view() const { return *view_; }

  signals:
    void closed();

  protected:
    void hideEvent(QHideEvent* event) override;

  private:
    void saveCsv();
    void showState();
    void showReadout();
    double now() const;

    const CardFiles& card_;
    ScopeRecording recording_;
    ScopeView* view_;
    QLabel* state_;
    QLabel* readout_;
    QPushButton* pause_;
    QElapsedTimer clock_;
    bool started_ = false;
    bool paused_ = false;
    int cardNumber_ = -1;
    int axisIndex_ = -1;
    QString name_;
    QString saveNote_;  // what the last Save CSV did
};

}  // namespace velmira
