// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/heldwarnings.h"

#include <QDebug>
#include <QMutex>
#include <QMutexLocker>

namespace {

// Qt has one message handler for the whole program, so what is held is too;
// a plugin may write from a thread of its own.
QMutex heldLock;
QStringList held;
QtMessageHandler passOn = nullptr;

void holdOrPass(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtWarningMsg) {
        const QMutexLocker lock(&heldLock);
        held << text;
        return;
    }
    if (passOn)
        passOn(type, context, text);
}

} // namespace

HeldWarnings::HeldWarnings()
{
    {
        const QMutexLocker lock(&heldLock);
        held.clear();
    }
    m_previous = qInstallMessageHandler(holdOrPass);
    passOn = m_previous;
}

HeldWarnings::~HeldWarnings()
{
    if (!m_released)
        qInstallMessageHandler(m_previous);
}

QStringList HeldWarnings::Held() const
{
    const QMutexLocker lock(&heldLock);
    return held;
}

void HeldWarnings::Release()
{
    if (m_released)
        return;
    m_released = true;
    qInstallMessageHandler(m_previous);
    for (const QString &text : Held())
        qWarning().noquote() << text;
}
