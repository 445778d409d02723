// The references for whole-process start-up and memory: a dialog the size of
// the main menu, built with the same compiler flags and Qt libraries and shown
// the same way. Empty, it draws no text and so never loads the font and
// text-shaping libraries; with --text it draws what any menu must, a title
// line and three text buttons. Shows it and waits; with --quit-when-shown it
// ends with status 0 once the dialog has been painted, as velmira does.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <cstdio>
#include <cstring>

#include "platform/quit_when_painted.h"

int main(int argc, char** argv) {
    bool quitWhenShown = false;
    bool text = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quit-when-shown") == 0) {
            quitWhenShown = true;
        } else if (std::strcmp(argv[i], "--text") == 0) {
            text = true;
        } else {
            std::fprintf(stderr,
                         "empty_dialog: unknown option \"%s\" (only --quit-when-shown, --text)\n",
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
    if (text) {
        (new QLabel(QStringLiteral("Motion module set-up and test"), &dialog))
            ->setGeometry(20, 20, 341, 30);
        const char* const captions[] = {"Configuration", "Basic_Operation", "Advanced_Features"};
        for (int i = 0; i < 3; ++i) {
            (new QPushButton(QString::fromLatin1(captions[i]), &dialog))
                ->setGeometry(1 + 127 * i, 232, 125, 42);
        }
    }
    if (quitWhenShown) new velmira::QuitWhenPainted(dialog);
    dialog.exec();
    return 0;
}
