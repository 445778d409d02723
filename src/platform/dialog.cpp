#include "platform/dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTimerEvent>

#include "platform/finger_scroll.h"
#include "platform/numeric_pad.h"
#include "platform/panel.h"
#include "platform/picture_control.h"

namespace velmira {

QRect Dialog::fromDialogUnits(const QRect& du, QSize base) {
    return {du.x() * base.width() / 4, du.y() * base.height() / 8, du.width() * base.width() / 4,
            du.height() * base.height() / 8};
}

QSize Dialog::fromDialogUnits(const QSize& du, QSize base) {
    return {du.width() * base.width() / 4, du.height() * base.height() / 8};
}

Dialog::Dialog(MessageBoxes& boxes, QWidget* parent) : QDialog(parent), boxes_(boxes) {
    setModal(true);
}

QWidget* Dialog::control(int id) const {
    return findChild<QWidget*>(QString::number(id));
}

void Dialog::reject() {
    done(kResultReturn);
}

void Dialog::initDialog() {
    if (initialised_) return;
    initialised_ = true;
    onInitDialog();
}

int Dialog::exec() {
    initDialog();
    return QDialog::exec();
}

void Dialog::setTimer(int timerId, int intervalMs) {
    killTimer(timerId);
    timers_[timerId] = startTimer(intervalMs);
}

void Dialog::killTimer(int timerId) {
    if (auto it = timers_.find(timerId); it != timers_.end()) {
        QObject::killTimer(it->second);
        timers_.erase(it);
    }
}

void Dialog::timerEvent(QTimerEvent* event) {
    for (const auto& [ours, qt] : timers_) {
        if (qt == event->timerId()) {
            onTimer(ours);
            return;
        }
    }
    QDialog::timerEvent(event);
}

void Dialog::onClick(int id, std::function<void()> handler) {
    QWidget* c = control(id);
    if (auto* b = qobject_cast<QAbstractButton*>(c)) {
        connect(b, &QAbstractButton::clicked, this, [handler] { handler(); });
    } else if (auto* p = qobject_cast<PictureControl*>(c)) {
        connect(p, &PictureControl::clicked, this, handler);
    }
}

void Dialog::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = event->modifiers() == Qt::NoModifier ||
                       (event->modifiers() == Qt::KeypadModifier && event->key() == Qt::Key_Enter);
    if (enter && plain && defaultButton_ != 0) {
        if (auto* b = controlAs<QAbstractButton>(defaultButton_); b && b->isEnabled()) b->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void Dialog::placeWorkingScreen() {
    if (panelMode()) return fillScreen({800, 600});
    setGeometry(0, 0, 800, 600);
}

void Dialog::fillScreen(const QSize& layout) {
    filledLayout_ = layout;
    // The window's edge cut what reached past the layout (the main menu's
    // picture is wider than the menu): cut it there still.
    const QRect kept({}, layout);
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QRect inside = child->geometry() & kept;
        if (!child->isWindow() && inside != child->geometry() && !inside.isEmpty()) {
            child->setMask(QRegion(inside.translated(-child->pos())));
        }
    }
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // The state for the platforms that honour it, the geometry for an X
    // server that has no window manager to do so.
    setWindowState(windowState() | Qt::WindowFullScreen);
    if (const QScreen* s = screen()) setGeometry(s->geometry());
    centreLayout();
}

// The controls keep the places their template gave them, around the middle
// of a larger screen; on a smaller one the top left stays in sight.
void Dialog::centreLayout() {
    if (filledLayout_.isEmpty()) return;
    const QPoint offset(std::max(0, (width() - filledLayout_.width()) / 2),
                        std::max(0, (height() - filledLayout_.height()) / 2));
    const QPoint by = offset - layoutOffset_;
    if (by.isNull()) return;
    layoutOffset_ = offset;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow()) child->move(child->pos() + by);
    }
}

void Dialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    centreLayout();
}

void Dialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Without a window manager nothing else would: Qt leaves room for a
    // frame there is not.
    if (filledLayout_.isEmpty() && panelMode()) centreOnScreen(*this);
}

void Dialog::setTemplateFont(int pointSize, QSize base) {
    QFont f = font();
    f.setPointSize(pointSize);
    setFont(f);
    base_ = base;
}

void Dialog::setTemplateSize(const QSize& du) {
    setFixedSize(toPixels({QPoint(), du}).size());
}

void Dialog::tagControl(QWidget* w, int id) {
    w->setObjectName(QString::number(id));
}

namespace {

// A push button whose caption stands where it is told, drawn by the style
// like any button's. A style sheet would do it too, but the style-sheet
// machinery it brings costs every dialog memory and time at start.
class CaptionButton final : public QPushButton {
  public:
    CaptionButton(const QString& text, Qt::Alignment align, QWidget* parent)
        : QPushButton(text, parent), align_(align) {}

  protected:
    void paintEvent(QPaintEvent* event) override {
        if (align_ & Qt::AlignHCenter) return QPushButton::paintEvent(event);
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        painter.drawControl(QStyle::CE_PushButtonBevel, option);
        const QRect contents =
            style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
        painter.drawItemText(contents, int(align_ | Qt::AlignVCenter) | Qt::TextShowMnemonic,
                             option.palette, isEnabled(), option.text, QPalette::ButtonText);
        if (option.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(option);
            focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
            painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
        }
    }

  private:
    Qt::Alignment align_;
};

}  // namespace

QPushButton* Dialog::addButton(int id, const QString& text, const QRect& du,
                               Qt::Alignment caption) {
    auto* b = new CaptionButton(text, caption, this);
    tagControl(b, id);
    b->setGeometry(toPixels(du));
    b->setAutoDefault(false);
    return b;
}

PictureControl* Dialog::addPicture(int id, int resource, const QRect& du, bool notifiesClicks) {
    auto* p = new PictureControl(this);
    tagControl(p, id);
    p->setGeometry(toPixels(du));
    p->setNotifiesClicks(notifiesClicks);
    p->showResource(resource);
    return p;
}

QCheckBox* Dialog::addCheckBox(int id, const QString& text, const QRect& du) {
    auto* c = new QCheckBox(text, this);
    tagControl(c, id);
    c->setGeometry(toPixels(du));
    return c;
}

namespace {

// A drop-down whose list a finger scrolls. The list is made when it first
// opens, not with every screen.
class DropDown final : public QComboBox {
  public:
    using QComboBox::QComboBox;

    void showPopup() override {
        if (!fingerScroll_) {
            FingerScroll::attach(*view());
            fingerScroll_ = true;
        }
        QComboBox::showPopup();
    }

  private:
    bool fingerScroll_ = false;
};

}  // namespace

QComboBox* Dialog::addDropDown(int id, const QStringList& items, const QRect& du) {
    auto* c = new DropDown(this);
    tagControl(c, id);
    c->addItems(items);
    c->setCurrentIndex(-1);
    const QRect r = toPixels(du);
    c->setGeometry(r.x(), r.y(), r.width(), std::min(r.height(), toPixels({0, 0, 0, 13}).height()));
    return c;
}

QLineEdit* Dialog::addEdit(int id, const QRect& du, bool rightAligned) {
    auto* e = new QLineEdit(this);
    tagControl(e, id);
    e->setGeometry(toPixels(du));
    if (rightAligned) e->setAlignment(Qt::AlignRight);
    NumericPad::attach(*e);  // on a panel, a finger types its numbers
    return e;
}

QLineEdit* Dialog::addNumberEdit(int id, const QRect& du) {
    QLineEdit* e = addEdit(id, du);
    auto* validator = new QIntValidator(INT32_MIN, INT32_MAX, e);
    validator->setLocale(QLocale::c());  // no group separators
    e->setValidator(validator);
    return e;
}

namespace {

// Takes a touch anywhere in its rectangle, not only on its circle and text:
// the rectangle is sized for a finger.
class TouchRadioButton final : public QRadioButton {
  public:
    using QRadioButton::QRadioButton;

  protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

}  // namespace

QRadioButton* Dialog::addRadio(int id, const QString& text, const QRect& du, QButtonGroup* group) {
    auto* r = new TouchRadioButton(text, this);
    tagControl(r, id);
    r->setGeometry(toPixels(du));
    group->addButton(r);
    return r;
}

void Dialog::uncheckAll(QButtonGroup* group) {
    // An exclusive group keeps one button checked; let go of it for a moment.
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(false);
    group->setExclusive(true);
}

QLabel* Dialog::addLabel(const QString& text, const QRect& du) {
    auto* l = new QLabel(text, this);
    tagControl(l, kStaticId);
    l->setGeometry(toPixels(du));
    return l;
}

QGroupBox* Dialog::addGroupBox(const QString& text, const QRect& du) {
    auto* g = new QGroupBox(text, this);
    tagControl(g, kStaticId);
    g->setGeometry(toPixels(du));
    g->lower();  // behind the controls placed over it
    return g;
}

void Dialog::setInt(int id, std::int64_t value) {
    if (auto* edit = controlAs<QLineEdit>(id)) {
        const QString text = QString::number(value);
        if (edit->text() == text) return;
        const QSignalBlocker block(edit);
        edit->setText(text);
    }
}

std::optional<std::int32_t> Dialog::numberIn(int id) const {
    const auto* edit = controlAs<QLineEdit>(id);
    if (!edit) return std::nullopt;
    bool ok = false;
    const qlonglong v = edit->text().trimmed().toLongLong(&ok);
    if (!ok || v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(v);
}

void Dialog::enable(std::initializer_list<int> ids, bool on) {
    for (int id : ids) {
        if (QWidget* c = control(id)) c->setEnabled(on);
    }
}

bool Dialog::isChecked(int id) const {
    const auto* b = controlAs<QAbstractButton>(id);
    return b && b->isChecked();
}

void Dialog::check(int id) {
    if (auto* b = controlAs<QAbstractButton>(id)) b->setChecked(true);
}

bool Dialog::readInt(int id, std::int32_t& value, std::int64_t min, std::int64_t max) {
    auto* edit = controlAs<QLineEdit>(id);
    if (!edit) return false;
    bool ok = false;
    const qlonglong v = edit->text().trimmed().toLongLong(&ok);
    if (ok && v >= min && v <= max) {
        value = static_cast<std::int32_t>(v);
        return true;
    }
    // Named by its label: the message may come from a press elsewhere.
    const std::string range =
        "a whole number from " + std::to_string(min) + " to " + std::to_string(max) + ".";
    const std::string label = edit->accessibleName().toStdString();
    boxes().show({label.empty() ? "Enter " + range : label + ": enter " + range, "Velmira",
                  BoxIcon::Warning, BoxButtons::Ok});
    edit->setFocus();
    edit->selectAll();
    return false;
}

}  // namespace velmira
