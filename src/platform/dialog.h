#pragma once

#include <QDialog>
#include <QRect>
#include <QSize>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "platform/message_boxes.h"

class QCheckBox;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace velmira {

class PictureControl;

// How a working screen ended.
inline constexpr int kResultPicture = 0;  // the picture beside "Return"
inline constexpr int kResultSwitch = 1;
inline constexpr int kResultReturn = 2;  // also Escape and the window frame

// The base of every screen: controls found by their numeric identifier (their
// object name), placement from dialog units, modal results 0/1/2, window timers
// by number and numeric data exchange with a clear validation message.
class Dialog : public QDialog {
    Q_OBJECT
  public:
    // Pixels per dialog unit; the templates were laid out for these.
    static constexpr int kBaseX = 6;   // four dialog units across
    static constexpr int kBaseY = 13;  // eight dialog units down

    static QRect fromDialogUnits(const QRect& du, QSize base = {kBaseX, kBaseY});
    static QSize fromDialogUnits(const QSize& du, QSize base = {kBaseX, kBaseY});
    // This dialog's placement: its template's font sets the base units.
    QRect toPixels(const QRect& du) const { return fromDialogUnits(du, base_); }

    Dialog(MessageBoxes& boxes, QWidget* parent = nullptr);

    QWidget* control(int id) const;
    template <class T>
    T* controlAs(int id) const {
        return qobject_cast<T*>(control(id));
    }

    // Closing by Escape or the window frame is "Return".
    void reject() override;

    // Runs the screen's initialisation once, when its window is about to be
    // shown modally; tests that drive a screen without a modal loop call it.
    void initDialog();
    int exec() override;

    void setTimer(int timerId, int intervalMs);
    void killTimer(int timerId);
    bool timerRunning(int timerId) const { return timers_.count(timerId) != 0; }
    // One tick of a running timer now, as if its period had passed: lets
    // tests and benchmarks step a screen's polling deterministically.
    void deliverTimer(int timerId) {
        if (timerRunning(timerId)) onTimer(timerId);
    }

    // Working screens cover the whole controller screen; on a panel, the
    // whole screen, whatever its size.
    void placeWorkingScreen();
    // Covers the screen, with the controls laid out for `layout` pixels in
    // its middle: for a panel, where nothing lies around a window.
    void fillScreen(const QSize& layout);

    static constexpr int kStaticId = 65535;

    // Runs the handler when the control is clicked: a button, or a picture
    // that acts as one.
    void onClick(int id, std::function<void()> handler);

    // The button that Enter presses, as the controller's dialogs do, even
    // while it is hidden.
    void setDefaultButton(int id) { defaultButton_ = id; }

    // Shows a value in an edit field without notifying anyone; a field that
    // already shows it is left alone.
    void setInt(int id, std::int64_t value);
    // The edit field's text as a signed 32-bit number, if it is one; no message.
    std::optional<std::int32_t> numberIn(int id) const;
    // Reads a whole number from an edit field into value. A field that does not
    // hold one in [min, max] gets a message naming it by its accessible name
    // (its label) and the focus, and value keeps its previous content.
    bool readInt(int id, std::int32_t& value, std::int64_t min = INT32_MIN,
                 std::int64_t max = INT32_MAX);

    // Reads a press's values from their fields: a field whose value the press
    // passes (its member is in `used`) must hold a number, as readInt asks; the
    // others give theirs if they hold one, else 0, and never stop the press.
    template <class Values, std::size_t N>
    bool readFields(const std::pair<int, std::int32_t Values::*> (&fields)[N],
                    const std::vector<std::int32_t Values::*>& used, Values& values) {
        for (const auto& [id, member] : fields) {
            if (std::find(used.begin(), used.end(), member) != used.end()) {
                if (!readInt(id, values.*member)) return false;
            } else {
                values.*member = numberIn(id).value_or(0);
            }
        }
        return true;
    }

    // Buttons that can be checked: radio buttons and check boxes.
    bool isChecked(int id) const;
    void check(int id);

  protected:
    MessageBoxes& boxes() const { return boxes_; }

    // Builders used by the screens' templates; rectangles are in dialog units.
    // Static texts and group boxes carry the identifier 65535.
    void setTemplateFont(int pointSize, QSize base);
    void setTemplateSize(const QSize& du);
    void tagControl(QWidget* w, int id);
    // Captions start on the left by default: they begin with blanks that
    // leave room for the picture beside them.
    QPushButton* addButton(int id, const QString& text, const QRect& du,
                           Qt::Alignment caption = Qt::AlignLeft);
    PictureControl* addPicture(int id, int resource, const QRect& du, bool notifiesClicks);
    QCheckBox* addCheckBox(int id, const QString& text, const QRect& du);
    // The rectangle's height includes the dropped list, as in the templates.
    QComboBox* addDropDown(int id, const QStringList& items, const QRect& du);
    QLineEdit* addEdit(int id, const QRect& du, bool rightAligned = false);
    // An edit that takes signed 32-bit decimal numbers only (a lone "-" or an
    // empty field may stand while typing; readInt refuses them).
    QLineEdit* addNumberEdit(int id, const QRect& du);
    // Radio buttons are exclusive within their group only.
    QRadioButton* addRadio(int id, const QString& text, const QRect& du, QButtonGroup* group);
    static void uncheckAll(QButtonGroup* group);
    QLabel* addLabel(const QString& text, const QRect& du);
    QGroupBox* addGroupBox(const QString& text, const QRect& du);

    void enable(std::initializer_list<int> ids, bool on);

    virtual void onInitDialog() {}
    virtual void onTimer(int timerId) { Q_UNUSED(timerId); }
    void timerEvent(QTimerEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void centreLayout();

    MessageBoxes& boxes_;
    QSize base_{kBaseX, kBaseY};
    bool initialised_ = false;
    int defaultButton_ = 0;
    std::map<int, int> timers_;  // our number -> Qt's timer id
    QSize filledLayout_;         // empty: the window is its own size
    QPoint layoutOffset_;
};

}  // namespace velmira
