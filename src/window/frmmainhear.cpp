// SPDX-License-Identifier: GPL-3.0-or-later
// What the window tells a screen reader beyond the names of its controls:
// the game's news as it happens (the Announcer decides what and when; the
// window only hands it on), the player's choice of it in the menu, the
// state of the round on Ctrl+L, and whose window this is.
#include "window/frmmain.h"

#include "announce/accessiblename.h"
#include "announce/announcementview.h"
#include "game/announcer.h"
#include "game/bingogame.h"
#include "window/callerdisplay.h"
#include "window/ctlcard.h"
#include "window/windowoptions.h"

#include <QAction>
#include <QEvent>
#include <QShortcut>
#include <utility>

void frmMain::buildAnnouncements()
{
    m_announcement = new AnnouncementView(this);
    connect(m_announcer, &Announcer::Announce, m_announcement, &AnnouncementView::Say);
    const std::pair<WindowOptions::Option, Announcer::Topic> choices[] = {
        {WindowOptions::AnnounceCalls, Announcer::Calls},
        {WindowOptions::AnnounceWins, Announcer::Wins},
        {WindowOptions::AnnounceChat, Announcer::Chat},
    };
    for (const auto &choice : choices) {
        QAction *action = m_options->Action(choice.first);
        m_announcer->SetTold(choice.second, action->isChecked());
        connect(action, &QAction::toggled, m_announcer,
                [this, topic = choice.second](bool on) { m_announcer->SetTold(topic, on); });
    }

    // Ctrl+L: where the round stands, for a player who cannot see the board.
    auto *state = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    connect(state, &QShortcut::activated, this, [this] {
        int calledNotMarked = 0;
        for (const ctlCard *card : m_cards)
            calledNotMarked += card->CalledNotMarked();
        m_announcer->TellCardState(calledNotMarked);
    });
    connect(m_game, &BingoGame::NumberCalled, this, [this](int n) {
        for (ctlCard *card : m_cards)
            card->SetCalled(n);
    });
}

void frmMain::describePlayer()
{
    // The caption stays the program's name (the chat host finds the window
    // by it); a screen reader tells the windows apart by their description.
    const QString player = m_game->IsHost() ? m_myName + QStringLiteral(", hosting") : m_myName;
    if (accessibleDescription() != player)
        setAccessibleDescription(player);
    if (m_display)
        m_display->setWindowTitle(CallerDisplay::Title + QStringLiteral(", ") + m_myName);
}

void frmMain::followCallerDisplay()
{
    // The menu's entry is checked while the display is open.
    m_options->Action(WindowOptions::ShowDisplay)->setChecked(true);
    m_display->installEventFilter(this);
    describePlayer();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_display && (event->type() == QEvent::Hide || event->type() == QEvent::Show))
        m_options->Action(WindowOptions::ShowDisplay)->setChecked(event->type() == QEvent::Show);
    return QWidget::eventFilter(watched, event);
}
