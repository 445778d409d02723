#include "platform/dialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimerEvent>

#include "platform/picture_control.h"

namespace velmira {

QRect Dialog::fromDialogUnits(const QRect& du) {
    return {du.x() * kBaseX / 4, du.y() * kBaseY / 8, du.width() * kBaseX / 4,
            du.height() * kBaseY / 8};
}

QSize Dialog::fromDialogUnits(const QSize& du) {
    return {du.width() * kBaseX / 4, du.height() * kBaseY / 8};
}

Dialog::Dialog(MessageBoxes& boxes, QWidget* parent) : QDialog(parent), boxes_(boxes) {
    setModal(true);
}

QWidget* Dialog::control(int id) const {
    return findChild<QWidget*>(QString::number(id));
}

void Dialog::reject() { done(kResultReturn); }

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

void Dialog::placeWorkingScreen() { setGeometry(0, 0, 800, 600); }

void Dialog::setTemplateSize(const QSize& du) { setFixedSize(fromDialogUnits(du)); }

void Dialog::tagControl(QWidget* w, int id) { w->setObjectName(QString::number(id)); }

QPushButton* Dialog::addButton(int id, const QString& text, const QRect& du) {
    auto* b = new QPushButton(text, this);
    tagControl(b, id);
    b->setGeometry(fromDialogUnits(du));
    b->setAutoDefault(false);
    // Captions start with blanks that leave room for the picture beside them.
    b->setStyleSheet(QStringLiteral("text-align: left;"));
    return b;
}

PictureControl* Dialog::addPicture(int id, int resource, const QRect& du, bool notifiesClicks) {
    auto* p = new PictureControl(this);
    tagControl(p, id);
    p->setGeometry(fromDialogUnits(du));
    p->setNotifiesClicks(notifiesClicks);
    p->showResource(resource);
    return p;
}

void Dialog::setInt(int id, std::int32_t value) {
    if (auto* edit = controlAs<QLineEdit>(id)) {
        const QSignalBlocker block(edit);
        edit->setText(QString::number(value));
    }
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
    boxes().show({"Enter a whole number from " + std::to_string(min) + " to " +
                      std::to_string(max) + ".",
                  "Velmira", BoxIcon::Warning, BoxButtons::Ok});
    edit->setFocus();
    edit->selectAll();
    return false;
}

}  // namespace velmira
