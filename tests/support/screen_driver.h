#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/picture_control.h"
#include "ui/command_list.h"

namespace velmira::test {

// Works a screen as a user does, by control identifier: clicks, typing key by
// key, and what the controls show.
template <class Screen>
class ScreenDriver {
  protected:
    template <class T>
    T* get(int id) {
        T* w = screen->template controlAs<T>(id);
        EXPECT_NE(w, nullptr) << "control " << id;
        return w;
    }
    void click(int id) { QTest::mouseClick(screen->control(id), Qt::LeftButton); }
    // Every key raises its edit notification, as typing does.
    void type(int id, const QString& text) {
        QLineEdit* e = get<QLineEdit>(id);
        e->selectAll();
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, text);
    }
    // A list item picked as a user picks it: the list shows it and says so.
    void choose(int id, int index) {
        auto* combo = get<QComboBox>(id);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }
    // Makes a module, or one of its axes, the tree's current item.
    void select(int treeId, const QString& module, const QString& axis = {}) {
        auto* tree = get<QTreeWidget>(treeId);
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem* top = tree->topLevelItem(i);
            if (top->text(0) != module) continue;
            if (axis.isEmpty()) return tree->setCurrentItem(top);
            for (int c = 0; c < top->childCount(); ++c) {
                if (top->child(c)->text(0) == axis) return tree->setCurrentItem(top->child(c));
            }
        }
        ADD_FAILURE() << "no item " << module.toStdString() << " / " << axis.toStdString();
    }
    QString text(int id) { return get<QLineEdit>(id)->text(); }
    bool on(int id) { return screen->control(id)->isEnabled(); }
    bool checked(int id) { return get<QRadioButton>(id)->isChecked(); }
    QString caption(int id) { return get<QPushButton>(id)->text(); }
    int picture(int id) { return get<PictureControl>(id)->resource(); }
    CommandListModel& rows() { return screen->commandList().rows(); }
    std::vector<std::string> commands() {
        std::vector<std::string> out;
        for (int r = 0; r < rows().rowCount(); ++r) out.push_back(rows().command(r).toStdString());
        return out;
    }

    std::unique_ptr<Screen> screen;
};

}  // namespace velmira::test
