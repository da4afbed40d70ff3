// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs the event loop until a condition holds, at most timeoutMs. Unlike QTest::qWaitFor
// it never sleeps, so a hub and its clients in one thread move data at full speed.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

template<typename Condition>
bool WaitFor(Condition condition, int timeoutMs = 10000)
{
    QDeadlineTimer deadline(timeoutMs);
    QTimer ticker; // wakes a blocked pass to look at the clock
    ticker.start(10);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}
