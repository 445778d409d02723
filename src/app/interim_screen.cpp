#include "app/interim_screen.h"

#include <QLabel>
#include <QPushButton>

namespace velmira {

InterimScreen::InterimScreen(MessageBoxes& boxes, CarriedValues carried, const QString& title,
                             const QString& switchCaption, QWidget* parent)
    : WorkingScreen(boxes, carried, parent) {
    setWindowTitle(title);
    placeWorkingScreen();
    auto* note = new QLabel(
        QStringLiteral("<h2>%1</h2><p>The controls of this screen are not in this version "
                       "yet.</p>")
            .arg(title),
        this);
    note->setGeometry(40, 40, 720, 200);
    note->setWordWrap(true);
    if (!switchCaption.isEmpty()) {
        QPushButton* toggle = addButton(1, switchCaption, {20, 300, 100, 26});
        connect(toggle, &QPushButton::clicked, this, [this] { done(kResultSwitch); });
    }
    QPushButton* back = addButton(2, QStringLiteral("        Return"), {140, 300, 100, 26});
    connect(back, &QPushButton::clicked, this, [this] { done(kResultReturn); });
}

}  // namespace velmira
