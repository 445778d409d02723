#pragma once

#include <gtest/gtest.h>

#include <QDialog>
#include <QTest>
#include <QTimer>
#include <functional>

namespace velmira::test {

// Runs a screen through its real modal path: exec(), its window shown and
// active, then `act` inside the modal loop; act must end the dialog.
inline int execActive(QDialog& dialog, const std::function<void()>& act) {
    QTimer::singleShot(0, &dialog, [&dialog, act] {
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog)) << "the window never became active";
        act();
    });
    return dialog.exec();
}

}  // namespace velmira::test
