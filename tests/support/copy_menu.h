#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QTest>

#include "support/eventually.h"
#include "ui/command_list.h"

namespace velmira::test {

// A command list's copy menu, worked as a user works it, and the clipboard it
// fills.
class CopyMenu {
  public:
    explicit CopyMenu(CommandList& list) : list_(list) {
        menu_ = list.findChild<QMenu*>(QStringLiteral("commandListMenu"));
        EXPECT_NE(menu_, nullptr) << "no command list menu";
    }
    ~CopyMenu() {
        if (menu_) menu_->hide();
    }

    QMenu& menu() { return *menu_; }
    QAction* action(const char* name) {
        auto* a = menu_->findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(a, nullptr) << name;
        return a;
    }
    QPoint rowCenter(int row) const {
        return list_.visualRect(list_.model()->index(row, 1)).center();
    }

    // A right click through the window, as the window system delivers it.
    void rightClick(int row) {
        const QPoint p = list_.viewport()->mapTo(list_.window(), rowCenter(row));
        QTest::mouseClick(list_.window()->windowHandle(), Qt::RightButton, {}, p);
        EXPECT_TRUE(eventually([&] { return menu_->isVisible(); })) << "no menu";
    }
    // The menu's event as a window system without that delivery sends it.
    void contextMenuAt(const QPoint& viewportPos) {
        QContextMenuEvent e(QContextMenuEvent::Mouse, viewportPos,
                            list_.viewport()->mapToGlobal(viewportPos));
        QCoreApplication::sendEvent(list_.viewport(), &e);
        EXPECT_TRUE(eventually([&] { return menu_->isVisible(); })) << "no menu";
    }
    void choose(const char* name) {
        QAction* a = action(name);
        ASSERT_TRUE(menu_->isVisible());
        QTest::mouseClick(menu_, Qt::LeftButton, {}, menu_->actionGeometry(a).center());
        EXPECT_FALSE(menu_->isVisible());
    }

    static QString clipboard() { return QGuiApplication::clipboard()->text(); }
    static void setClipboard(const QString& text) { QGuiApplication::clipboard()->setText(text); }

  private:
    CommandList& list_;
    QMenu* menu_ = nullptr;
};

}  // namespace velmira::test
