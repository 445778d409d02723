#pragma once

#include <QFrame>
#include <QLineEdit>
#include <QPointer>
#include <QString>

namespace velmira {

// Numbers typed by finger on a panel, where there is no keyboard: touching an
// edit field opens this pad beside it with the field's text. OK puts the
// number into the field as if it had been typed there (the field's validator
// and the screen's own checks see it as they see typing); Cancel, or a touch
// anywhere else, leaves the field as it was. The pad is no modal window: the
// touch that closes it also reaches what it touched, so Stop takes one touch.
class NumericPad final : public QFrame {
    Q_OBJECT
  public:
    // Makes the field open the pad when it is touched in panel mode, unless
    // it is read-only or disabled. Elsewhere the field is left as it is.
    static void attach(QLineEdit& field);

    // What a touch on the field does in panel mode: the pad beside it, showing
    // its text (one pad a window: another field's closes as cancelled).
    static void open(QLineEdit& field);
    // The pad open on the window, if any.
    static NumericPad* openOn(const QWidget& window);

    QLineEdit* field() const { return field_; }
    QString text() const { return text_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    explicit NumericPad(QLineEdit& field);
    void ok();
    void cancel();
    void press(QChar key);
    void backspace();
    // Shows the text if the field would take it as typing.
    void offer(const QString& text);
    void showText(const QString& text, bool fresh);
    void place();
    void finish();

    QPointer<QLineEdit> field_;
    QLineEdit* display_;
    QString text_;
    // The field's text is shown selected: the first key replaces it.
    bool fresh_ = true;
    bool closed_ = false;
};

}  // namespace velmira
