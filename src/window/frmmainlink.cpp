// SPDX-License-Identifier: GPL-3.0-or-later
// What the window shows of the links: its own while it reconnects, the chat
// lines and claims on their way, and who in the player list is away.
#include "window/frmmain.h"

#include "game/bingogame.h"
#include "window/designunits.h"

#include <QLabel>
#include <QListWidget>
#include <QTimer>

namespace {

// A line whose echo takes longer than this shows as pending.
constexpr int PendingShowsAfterMs = 1000;

} // namespace

void frmMain::buildLinkStatus()
{
    m_linkStatus = new QLabel(this);
    m_linkStatus->setObjectName(QStringLiteral("lblLinkStatus"));
    m_linkStatus->setGeometry(DesignUnits::Rect(4680, 5775, 3735, 465));
    m_linkStatus->setTextFormat(Qt::PlainText); // chat lines are peers' text
    m_linkStatus->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    m_linkStatus->setWordWrap(true);
    m_linkStatus->setAutoFillBackground(true);
    QPalette pal = m_linkStatus->palette();
    pal.setColor(QPalette::Window, QColor(255, 255, 192));
    pal.setColor(QPalette::WindowText, Qt::black);
    m_linkStatus->setPalette(pal);
    m_linkStatus->hide();
    m_pendingDelay = new QTimer(this);
    m_pendingDelay->setSingleShot(true);
    m_pendingDelay->setInterval(PendingShowsAfterMs);
    connect(m_pendingDelay, &QTimer::timeout, this, &frmMain::showLinkStatus);

    connect(m_game, &BingoGame::LinkStatus, this, [this](const QString &status) {
        m_linkState = status;
        showLinkStatus();
    });
    connect(m_game, &BingoGame::PendingChanged, this, [this](const QStringList &lines) {
        const bool more = lines.size() > m_pendingLines.size();
        m_pendingLines = lines;
        if (more && m_linkState.isEmpty())
            m_pendingDelay->start();
        else
            showLinkStatus();
    });
    connect(m_game, &BingoGame::PlayerAway, this, &frmMain::markAway);
}

void frmMain::showLinkStatus()
{
    QStringList lines;
    if (!m_linkState.isEmpty())
        lines << m_linkState;
    for (const QString &line : std::as_const(m_pendingLines))
        lines << line + QStringLiteral(" (sending\u2026)");
    // Newest at the foot, where the log's newest line is; as many as fit.
    m_linkStatus->setText(lines.mid(std::max<qsizetype>(0, lines.size() - 3)).join(QLatin1Char('\n')));
    m_linkStatus->setVisible(!lines.isEmpty());
    m_linkStatus->raise();
}

void frmMain::markAway(const QString &name, bool away)
{
    for (int row = 0; row < m_playerList->count(); ++row) {
        QListWidgetItem *item = m_playerList->item(row);
        if (item->data(Qt::UserRole).toString() != name)
            continue;
        item->setText(listedName(name, name == m_hostName, away));
        const QString said = item->data(Qt::AccessibleTextRole).toString().remove(QStringLiteral(", away"));
        item->setData(Qt::AccessibleTextRole, away ? said + QStringLiteral(", away") : said);
        return;
    }
}
