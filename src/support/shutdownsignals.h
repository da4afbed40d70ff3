// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the main thread, so a
// logout or a Ctrl+C closes the window the normal way and its tallies are
// saved. The handler only writes a byte to a pipe; a QSocketNotifier reads
// it on the event loop.

#include <QObject>

class QSocketNotifier;

class ShutdownSignals : public QObject
{
    Q_OBJECT
public:
    // Installs the handlers; only one instance may exist at a time.
    explicit ShutdownSignals(QObject *parent = nullptr);
    ~ShutdownSignals() override;

signals:
    void Requested(int signalNumber);

private:
    void readPipe();

    QSocketNotifier *m_notifier = nullptr;
};
