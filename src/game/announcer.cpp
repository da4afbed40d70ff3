// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/announcer.h"

#include "game/bingogame.h"

Announcer::Announcer(BingoGame &game, QObject *parent)
    : QObject(parent)
    , m_game(game)
{
    connect(&game, &BingoGame::News, this, &Announcer::onNews);
    connect(&game, &BingoGame::GameStarted, this, [this] {
        m_calledThisRound.clear();
        m_winsTold.clear();
    });
}

void Announcer::SetTold(Topic topic, bool on) { m_told[topic] = on; }

bool Announcer::IsTold(Topic topic) const { return m_told[topic]; }

void Announcer::onNews(NewsKind kind, const QString &text)
{
    switch (kind) {
    case NewsKind::Call: {
        // A call delivered again (a resent record, a resumed round, "07"
        // after "7") is no news.
        const int n = text.toInt();
        if (m_calledThisRound.contains(n))
            return;
        m_calledThisRound.insert(n);
        if (m_told[Calls])
            emit Announce(QString::number(n) + QStringLiteral(" called"));
        return;
    }
    case NewsKind::Win:
        if (m_winsTold.contains(text))
            return;
        m_winsTold.insert(text);
        if (m_told[Wins])
            emit Announce(QStringLiteral("BINGO! ") + text);
        return;
    case NewsKind::Chat:
        if (m_told[Chat])
            emit Announce(text);
        return;
    case NewsKind::LinkLost:
        // A link that breaks again while away says nothing new; that it
        // cannot be restored, or has ended, does.
        if (text == m_linkLost)
            return;
        m_linkLost = text;
        emit Announce(text);
        return;
    case NewsKind::LinkBack:
        if (m_linkLost.isEmpty())
            return;
        m_linkLost.clear();
        emit Announce(text);
        return;
    case NewsKind::ClaimRefused:
    case NewsKind::Joined:
    case NewsKind::Left:
        emit Announce(text);
        return;
    }
}

void Announcer::SetBingoLit(bool lit)
{
    // The cards re-light BINGO! on every check while a line stays complete.
    if (lit && !m_bingoLit)
        emit Announce(QStringLiteral("BINGO! is lit: Ctrl+B claims."));
    m_bingoLit = lit;
}

void Announcer::TellCardState(int calledNotMarked)
{
    const QString lastCall = m_game.View().last;
    if (lastCall.isEmpty()) {
        emit Announce(QStringLiteral("No number called yet."));
        return;
    }
    const QString unmarked = calledNotMarked == 0 ? QStringLiteral("every called number on your cards is marked.")
        : calledNotMarked == 1                    ? QStringLiteral("1 called number on your cards is not marked.")
                               : QStringLiteral("%1 called numbers on your cards are not marked.").arg(calledNotMarked);
    emit Announce(QStringLiteral("Last call %1; ").arg(lastCall) + unmarked);
}
