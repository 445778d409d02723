#pragma once

#include <QTest>
#include <functional>

namespace velmira::test {

// Lets events run until the condition holds or the time is up. QTest's QTRY_
// macros report only to a QTest run: under GoogleTest a timeout would pass.
inline bool eventually(const std::function<bool()>& condition, int timeoutMs = 2000) {
    return QTest::qWaitFor(condition, timeoutMs);
}

}  // namespace velmira::test
