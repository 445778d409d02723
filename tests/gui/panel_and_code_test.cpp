// The command list's calls saved as a C file on the card, and what a finger
// is given to press on a panel: message boxes and the main menu.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyleOptionButton>

#include "app/main_menu_dlg.h"
#include "app/program_screens.h"
#include "basic/basic_operation_dlg.h"
#include "basic/basic_operation_ids.h"
#include "platform/panel.h"
#include "platform/qt_message_boxes.h"
#include "support/copy_menu.h"
#include "support/recorded_bench.h"
#include "support/small_card.h"
#include "ui/command_list.h"

namespace velmira {
namespace {

// A list with two blocks of calls, its menu worked as a user works it.
class PanelAndCode : public ::testing::Test, protected test::RecordedBench {
  protected:
    void TearDown() override { setPanelMode(false); }
    void choose(const char* action) {
        test::CopyMenu menu(list);
        menu.contextMenuAt(menu.rowCenter(0));
        EXPECT_EQ(
            QAccessible::queryAccessibleInterface(&menu.menu())->child(2)->text(QAccessible::Name),
            "Save all as code");
        menu.choose(action);
    }
    CommandList list{"NO", "Command", 1, 6};
};

TEST_F(PanelAndCode, SavedCodeIsWhatCopyAllTakesAndAFailureSaysWhyLeavingNoFile) {
    list.rows().writeBlock({"lorvexMF_SET_V(1,2,20000)", "lorvexMF_FIXED_MOVE(1,2,10000)"}, "jog");
    list.rows().writeBlock({"lorvexMF_FIXED_MOVE(1,2,-10000)"});
    list.saveCodeOnto(ctx.card, boxes);
    list.show();
    choose("saveAllAsCodeAction");
    const QStringList files = QDir(card.path() + "/Pelmoran").entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    const QString path = card.path() + "/Pelmoran/" + files[0];
    EXPECT_TRUE(QRegularExpression(R"(^commands-\d{8}-\d{6}\.c$)").match(files[0]).hasMatch());
    EXPECT_EQ(boxes.texts(),
              std::vector<std::string>{"All of the calls saved as code in\n" + path.toStdString()});
    choose("copyAllAction");
    EXPECT_EQ(test::fileBytes(path), test::CopyMenu::clipboard().toUtf8());

    list.saveCodeOnto(CardFiles(card.path() + "/not-inserted"), boxes);
    boxes.clear();
    choose("saveAllAsCodeAction");
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_EQ(boxes.shown()[0].caption + ": " + boxes.shown()[0].text,
              "Error: Can not save the code\nno such file or folder");
    EXPECT_EQ(QDir(card.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{"Pelmoran"});
}

// A box's caption on its own line and its buttons, and the main menu's
// buttons, at least as large as a jog button of the real screen; every
// caption fits its button, on the desktop too. (The screen saves its code.)
TEST_F(PanelAndCode, OnAPanelBoxesAndTheMainMenuAreForAFinger) {
    setPanelMode(true);
    const CBasicOperationDlg screen(ctx, {});
    const QSize least = screen.control(basic_ids::kForward)->size();
    EXPECT_TRUE(screen.commandList().findChild<QAction*>("saveAllAsCodeAction")->isVisible());
    const auto fingerSized = [&](const QWidget* w) {
        return w->width() >= least.width() && w->height() >= least.height();
    };
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        const auto* caption = box ? box->findChild<QLabel*>("caption") : nullptr;
        EXPECT_TRUE(caption && caption->isVisible() && caption->text() == "Information");
        for (QAbstractButton* b : caption ? box->buttons() : QList<QAbstractButton*>{}) {
            EXPECT_GT(b->mapTo(box, QPoint()).y(), caption->geometry().bottom());
            EXPECT_TRUE(fingerSized(b)) << b->text().toStdString();
        }
        if (box) box->done(0);
    });
    QtMessageBoxes().show(
        {"Save all of settings?", "Information", BoxIcon::Question, BoxButtons::YesNo});

    ProgramScreens screens(ctx);
    for (const bool panel : {true, false}) {
        setPanelMode(panel);
        CMainMenuDlg menu(ctx, screens);
        QRect before;  // the button to the left
        for (const auto& [id, picture] : {std::pair{1000, 1176}, {1001, 1170}, {1002, 1169}}) {
            auto* b = menu.controlAs<QPushButton>(id);
            QStyleOptionButton o;
            o.initFrom(b);
            EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()),
                      b->style()->subElementRect(QStyle::SE_PushButtonContents, &o, b).width());
            EXPECT_FALSE(b->geometry().intersects(before) || !menu.rect().contains(b->geometry()));
            EXPECT_TRUE(b->geometry().contains(menu.control(picture)->geometry())) << id;
            EXPECT_EQ(fingerSized(b), panel) << id;
            before = b->geometry();
        }
        if (panel) EXPECT_TRUE(fingerSized(menu.control(2))) << "Exit";
    }
}

}  // namespace
}  // namespace velmira
