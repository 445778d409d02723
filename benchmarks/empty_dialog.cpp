// The reference for whole-process start-up: an empty dialog the size of the
// main menu, built with the same compiler flags and Qt libraries and shown the
// same way. Shows it and waits; with --quit-when-shown it ends with status 0
// once the dialog has been painted, as velmira does.
#include <QApplication>
#include <QDialog>
#include <cstdio>
#include <cstring>

#include "platform/quit_when_painted.h"

int main(int argc, char** argv) {
    bool quitWhenShown = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quit-when-shown") == 0) {
            quitWhenShown = true;
        } else {
            std::fprintf(stderr, "empty_dialog: unknown option \"%s\" (only --quit-when-shown)\n",
                         argv[i]);
            return 2;
        }
    }
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Empty"));
    // The main menu's template: 254 x 170 dialog units at 6 x 13 pixels per 4 x 8.
    dialog.setFixedSize(381, 276);
    if (quitWhenShown) new velmira::QuitWhenPainted(dialog);
    dialog.exec();
    return 0;
}
