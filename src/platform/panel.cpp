#include "platform/panel.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <optional>

namespace velmira {
namespace {

std::optional<bool> chosen;

}  // namespace

bool isPanelPlatform(const QString& platformName) {
    // vkkhrdisplay and minimalegl draw to the display as eglfs does.
    static const char* const kPanels[] = {"linuxfb", "eglfs", "minimalegl", "vkkhrdisplay"};
    for (const char* panel : kPanels) {
        if (platformName == QLatin1String(panel)) return true;
    }
    return false;
}

bool panelMode() {
    if (chosen) return *chosen;
    return isPanelPlatform(QGuiApplication::platformName());
}

void setPanelMode(bool on) {
    chosen = on;
}

void centreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen) return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->geometry().center());
    window.move(frame.topLeft());
}

}  // namespace velmira
