// SPDX-License-Identifier: GPL-3.0-or-later
// The host runs the room from the window: removing and muting players from
// the player list, locking the game and pausing the calls from the menu; and
// what every window shows of the room.
#include "window/frmmain.h"

#include "game/bingogame.h"
#include "support/messageboxes.h"
#include "window/designunits.h"
#include "window/windowoptions.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QShortcut>
#include <QTimer>

void frmMain::buildRoomControls()
{
    // At the foot of the player list, shown only while something holds.
    m_roomStatus = new QLabel(this);
    m_roomStatus->setObjectName(QStringLiteral("lblRoom"));
    m_roomStatus->setGeometry(DesignUnits::Rect(3480, 6285, 1215, 255));
    m_roomStatus->setAutoFillBackground(true);
    m_roomStatus->hide();

    QMenu *menu = m_options->Menu();
    m_lockAction = new QAction(QStringLiteral("Lock the game"), menu);
    m_lockAction->setObjectName(QStringLiteral("mnuLock"));
    m_lockAction->setCheckable(true);
    m_lockAction->setToolTip(
        QStringLiteral("While locked, nobody new may join; players who lose their link come back."));
    m_pauseAction = new QAction(QStringLiteral("Pause calling"), menu);
    m_pauseAction->setObjectName(QStringLiteral("mnuPause"));
    m_pauseAction->setCheckable(true);
    m_pauseAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    menu->addSeparator();
    menu->addAction(m_lockAction);
    menu->addAction(m_pauseAction);
    // The check mark follows the room as the hub tells it, not the click.
    connect(m_lockAction, &QAction::triggered, this, [this] { m_game->SetLocked(!m_game->Room().locked); });
    connect(m_pauseAction, &QAction::triggered, this, [this] { m_game->SetPaused(!m_game->Room().paused); });
    auto *pause = new QShortcut(m_pauseAction->shortcut(), this);
    connect(pause, &QShortcut::activated, m_pauseAction, &QAction::trigger);

    m_playerList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_playerList, &QWidget::customContextMenuRequested, this, &frmMain::showPlayerMenu);
    connect(m_game, &BingoGame::RoomChanged, this, &frmMain::showRoom);
    connect(m_game, &BingoGame::Joined, this, &frmMain::showRoom);
    connect(m_game, &BingoGame::RemoveAsked, this, &frmMain::askRemove);
    showRoom();
}

void frmMain::showRoom()
{
    const BingoGame::RoomState &room = m_game->Room();
    const bool host = m_game->IsHost();
    m_lockAction->setVisible(host);
    m_lockAction->setEnabled(room.runs);
    m_lockAction->setChecked(room.locked);
    m_pauseAction->setVisible(host);
    m_pauseAction->setChecked(room.paused);
    QStringList shown;
    if (room.locked)
        shown << QStringLiteral("Locked");
    if (room.paused)
        shown << QStringLiteral("Calling paused");
    m_roomStatus->setText(shown.join(QStringLiteral(" \u00B7 ")));
    m_roomStatus->setVisible(!shown.isEmpty());
    m_roomStatus->raise();
    m_playerList->setAccessibleName(room.locked ? QStringLiteral("Players, locked") : QStringLiteral("Players"));
    if (host)
        pauseCalling(room.paused);
}

void frmMain::pauseCalling(bool paused)
{
    if (paused) {
        // The round's calling waits, whether it runs now or once the link is back.
        m_pausedCalling = m_pausedCalling || m_callTimer->isActive() || (m_linkDown && m_whenBack.calling);
        m_callTimer->stop();
        m_whenBack.calling = false;
        return;
    }
    if (!std::exchange(m_pausedCalling, false))
        return;
    if (m_linkDown)
        m_whenBack.calling = true;
    else
        m_callTimer->start();
}

void frmMain::showPlayerMenu(const QPoint &at)
{
    const QListWidgetItem *item = m_playerList->itemAt(at);
    const QString name = item ? item->data(Qt::UserRole).toString() : QString();
    if (!m_game->IsHost() || name.isEmpty() || name == m_myName)
        return;
    QMenu menu(this);
    const bool muted = m_game->Room().muted.contains(name);
    QAction *remove = menu.addAction(QStringLiteral("Remove %1 from the game\u2026").arg(name));
    QAction *mute = menu.addAction(muted ? QStringLiteral("Unmute %1's chat").arg(name)
                                         : QStringLiteral("Mute %1's chat").arg(name));
    const QAction *chosen = menu.exec(m_playerList->viewport()->mapToGlobal(at));
    if (chosen == remove)
        askRemove(name);
    else if (chosen == mute)
        m_game->SendChatLine(
            QStringLiteral("/%1 %2").arg(muted ? QStringLiteral("unmute") : QStringLiteral("mute"), name));
}

void frmMain::askRemove(const QString &name)
{
    const bool proceed = m_boxes.QuestionNoByDefault(
        QStringLiteral("Remove a player"),
        QStringLiteral("Remove %1 from the game? %1 cannot come back to it, under this name or another seat.")
            .arg(name));
    if (proceed)
        m_game->RemovePlayer(name);
}
