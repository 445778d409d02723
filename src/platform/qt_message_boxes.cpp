#include "platform/qt_message_boxes.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QThread>

#include "platform/pacing.h"
#include "platform/panel.h"

namespace velmira {
namespace {

// On a panel no window frame shows the caption, and a box's buttons are
// pressed by a finger: the box draws its caption on its first line itself and
// gives its buttons the size of the screens' own. Qt would also place the box
// a frame's width and a title bar's height off the middle, leaving room for
// decorations that are not there.
class PanelMessageBox final : public QMessageBox {
  public:
    void dressForPanel() {
        caption_ = new QLabel(windowTitle(), this);
        caption_->setObjectName(QStringLiteral("caption"));
        caption_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        caption_->setAutoFillBackground(true);
        caption_->setForegroundRole(QPalette::HighlightedText);
        caption_->setBackgroundRole(QPalette::Highlight);
        caption_->setIndent(fontMetrics().averageCharWidth());
        QFont bold = caption_->font();
        bold.setBold(true);
        caption_->setFont(bold);
        caption_->setFixedHeight(QFontMetrics(bold).height() * 2);
        // The box's own layout keeps clear of the caption's line.
        setContentsMargins(0, caption_->height(), 0, 0);
        for (QAbstractButton* button : buttons()) button->setMinimumSize(kPanelButtonSize);
    }

  protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);  // takes its final size here
        if (panelMode()) centreOnScreen(*this);
    }
    void resizeEvent(QResizeEvent* event) override {
        QMessageBox::resizeEvent(event);
        if (caption_) caption_->setGeometry(0, 0, width(), caption_->height());
    }

  private:
    QLabel* caption_ = nullptr;
};

}  // namespace

BoxAnswer QtMessageBoxes::show(const BoxRequest& request) {
    PanelMessageBox box;
    box.setText(QString::fromStdString(request.text));
    box.setWindowTitle(QString::fromStdString(request.caption));
    switch (request.icon) {
        case BoxIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case BoxIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case BoxIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case BoxIcon::Stop:
            box.setIcon(QMessageBox::Critical);
            break;
        case BoxIcon::None:
            break;
    }
    const bool yesNo = request.buttons == BoxButtons::YesNo;
    box.setStandardButtons(yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
    if (panelMode()) box.dressForPanel();
    if (yesNo) return box.exec() == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
    box.exec();
    return BoxAnswer::Ok;
}

void doEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

Pacing& Pacing::real() {
    class Real final : public Pacing {
      public:
        void sleepMs(int ms) override { QThread::msleep(static_cast<unsigned long>(ms)); }
        void doEvents() override { velmira::doEvents(); }
    };
    static Real pacing;
    return pacing;
}

}  // namespace velmira
