#include "platform/numeric_pad.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QValidator>
#include <algorithm>

#include "platform/panel.h"

namespace velmira {
namespace {

constexpr int kKeyWidth = 72;
constexpr int kKeyHeight = 56;
constexpr int kSpacing = 6;
constexpr int kGap = 8;  // between the field and the pad
// A sign and ten digits hold every 32-bit number; a field without a validator
// is checked only when it is read, and longer text could never pass.
constexpr int kLongest = 11;

bool usable(const QLineEdit& field) {
    return field.isEnabled() && !field.isReadOnly();
}

// Watches one field for the tap that opens the pad. A finger on a line edit
// reaches it as a mouse Qt makes up from the touch.
class Opener final : public QObject {
  public:
    explicit Opener(QLineEdit& field) : QObject(&field), field_(field) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &field_ && event->type() == QEvent::MouseButtonRelease && panelMode() &&
            usable(field_)) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                field_.rect().contains(mouse->position().toPoint())) {
                NumericPad::open(field_);
            }
        }
        return false;
    }

  private:
    QLineEdit& field_;
};

}  // namespace

void NumericPad::attach(QLineEdit& field) {
    field.installEventFilter(new Opener(field));
}

NumericPad* NumericPad::openOn(const QWidget& window) {
    for (NumericPad* pad : window.findChildren<NumericPad*>(Qt::FindDirectChildrenOnly)) {
        if (!pad->closed_) return pad;
    }
    return nullptr;
}

void NumericPad::open(QLineEdit& field) {
    if (NumericPad* pad = openOn(*field.window())) {
        if (pad->field_ == &field) return;  // a second tap keeps what was keyed
        pad->cancel();
    }
    auto* pad = new NumericPad(field);
    pad->showText(field.text(), true);
    pad->place();
    pad->QFrame::show();
    pad->raise();
    qApp->installEventFilter(pad);
}

NumericPad::NumericPad(QLineEdit& field) : QFrame(field.window()), field_(&field) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(2);
    setAutoFillBackground(true);
    QFont f = font();
    f.setPointSizeF(std::max(f.pointSizeF(), 14.0));
    setFont(f);

    auto* grid = new QGridLayout(this);
    grid->setSpacing(kSpacing);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    auto* caption = new QLabel(field.accessibleName(), this);
    caption->setVisible(!caption->text().isEmpty());
    grid->addWidget(caption, 0, 0, 1, 3);
    display_ = new QLineEdit(this);
    display_->setReadOnly(true);
    display_->setFocusPolicy(Qt::NoFocus);
    display_->setAlignment(Qt::AlignRight);
    display_->setAccessibleName(QStringLiteral("Value"));
    display_->setMinimumHeight(kKeyHeight * 3 / 4);
    grid->addWidget(display_, 1, 0, 1, 3);

    const auto key = [&](const QString& text, const QString& name, int row, int column, int span,
                         auto handler) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAccessibleName(name);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
        b->setMinimumSize(kKeyWidth * span + kSpacing * (span - 1), kKeyHeight);
        connect(b, &QPushButton::clicked, this, handler);
        grid->addWidget(b, row, column, 1, span);
    };
    const QString digits = QStringLiteral("7894561230");
    for (int i = 0; i < 10; ++i) {
        const QChar d = digits[i];
        key(QString(d), QString(d), 2 + i / 3, i == 9 ? 1 : i % 3, 1, [this, d] { press(d); });
    }
    key(QStringLiteral("\u2212"), QStringLiteral("Minus"), 5, 0, 1, [this] { press('-'); });
    key(QStringLiteral("\u2190"), QStringLiteral("Backspace"), 5, 2, 1, [this] { backspace(); });
    key(QStringLiteral("Cancel"), QStringLiteral("Cancel"), 6, 0, 1, [this] { cancel(); });
    key(QStringLiteral("OK"), QStringLiteral("OK"), 6, 1, 2, [this] { ok(); });
}

// A digit replaces the field's text until the first key, then adds to it; the
// minus changes the sign of what is shown.
void NumericPad::press(QChar key) {
    if (key == '-') return offer(text_.startsWith('-') ? text_.mid(1) : '-' + text_);
    offer((fresh_ ? QString() : text_) + key);
}

void NumericPad::backspace() {
    offer(fresh_ ? QString() : text_.chopped(std::min<qsizetype>(1, text_.size())));
}

// A key the field would refuse as typing does nothing here either.
void NumericPad::offer(const QString& text) {
    if (text.size() > kLongest || !field_) return;
    if (const QValidator* v = field_->validator()) {
        QString probe = text;
        int pos = int(probe.size());
        if (v->validate(probe, pos) == QValidator::Invalid) return;
    }
    showText(text, false);
}

void NumericPad::showText(const QString& text, bool fresh) {
    text_ = text;
    fresh_ = fresh;
    display_->setText(text);
    if (fresh) display_->selectAll();
}

// Beside the field, never over it: right of it if there is room, else left.
// It reaches no lower than the field, as far as the window's top allows: the
// screens keep their buttons, Stop among them, below their fields.
void NumericPad::place() {
    const QWidget* window = parentWidget();
    const QSize size = sizeHint();
    const QRect at(field_->mapTo(window, QPoint(0, 0)), field_->size());
    int x = at.right() + 1 + kGap;
    if (x + size.width() > window->width()) x = at.left() - kGap - size.width();
    x = std::clamp(x, 0, std::max(0, window->width() - size.width()));
    move(x, std::max(0, at.bottom() + 1 - size.height()));
}

void NumericPad::ok() {
    // As typed: the field's validator has its say and textEdited tells the screen.
    if (field_ && usable(*field_) && !fresh_ && field_->text() != text_) {
        field_->selectAll();
        field_->insert(text_);
    }
    finish();
}

void NumericPad::cancel() {
    finish();
}

void NumericPad::finish() {
    if (closed_) return;
    closed_ = true;
    qApp->removeEventFilter(this);
    hide();
    deleteLater();
}

bool NumericPad::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::TouchBegin: {
            // A touch elsewhere closes the pad and still does what it does there.
            auto* w = qobject_cast<QWidget*>(watched);
            if (w && w != this && w != field_ && !isAncestorOf(w)) cancel();
            break;
        }
        case QEvent::EnabledChange:
        case QEvent::ReadOnlyChange:
            if (watched == field_ && !usable(*field_)) cancel();
            break;
        default:
            break;
    }
    return false;
}

void NumericPad::hideEvent(QHideEvent* event) {
    QFrame::hideEvent(event);
    finish();  // the screen went away under it
}

}  // namespace velmira
