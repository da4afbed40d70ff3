// SPDX-License-Identifier: GPL-3.0-or-later
// BingoGame's round across runs of the host's window: kept after every
// change, taken up again by a window started anew for the same game, and
// given up when the host ends the game.
#include "game/bingogame.h"

#include "game/commandrecord.h"
#include "game/interval.h"
#include "link/gamelink.h"

std::optional<RoundState> BingoGame::ResumeRound()
{
    if (!m_store || !m_isHost)
        return std::nullopt;
    const RoundStore::Loaded loaded = m_store->Load();
    if (!loaded.state) {
        if (!loaded.problem.isEmpty())
            emit Log(LogKind::Alert,
                     QStringLiteral("** The round kept from the last run cannot be read (%1): a new game begins.")
                         .arg(loaded.problem));
        return std::nullopt;
    }
    const RoundState &state = *loaded.state;
    m_caller.Reset();
    for (int n : state.called)
        m_caller.MarkCalled(n);
    m_caller.RunChatCommand(QStringLiteral("call %1").arg(state.forcedNumber));
    m_seconds = state.seconds;
    m_inProgress = state.inProgress;
    m_plan = Plan::FromText(state.plan).value_or(Plan());
    m_judge.Resume(m_plan, state.stage);
    m_stage = m_judge.Current();
    m_allCalledSaid = m_caller.CallCount() >= NumberCaller::Highest;
    m_winnerName = state.winnerName;
    m_winnerTotal = state.winnerTotal;
    m_cards = state.cards;
    m_dealSeed = state.seed;
    m_seedOf = state.seeds;
    m_declared = QSet<QString>(state.declared.begin(), state.declared.end());
    m_toTellBack.clear();
    if (m_inProgress) {
        m_toTellBack = state.players;
        m_toTellBack.removeAll(m_myName);
        m_toTellBack << m_myName; // never empty: the host's own line waits for its join
    }
    emit StageChanged();
    emit ViewChanged();
    return state;
}

void BingoGame::SetCards(const QList<QList<int>> &cards)
{
    m_cards = cards;
    keepRound();
}

void BingoGame::EndGame()
{
    if (m_store)
        m_store->Remove();
    m_store = nullptr; // whatever happens while closing is not kept
    m_link.EndGame();
}

void BingoGame::tellHostBack(const QString &name)
{
    if (name != m_myName && m_toTellBack.removeOne(name))
        sendCommand(CommandRecord::HostBack(name));
}

void BingoGame::keepRound()
{
    if (!m_store || !m_isHost)
        return;
    const QString problem = m_store->Save({m_seconds, m_caller.Order(), m_inProgress, m_judge.AllWon(), m_winnerName,
                                           m_winnerTotal, m_caller.ForcedNumber(), m_players, m_cards, m_dealSeed,
                                           m_seedOf, QStringList(m_declared.begin(), m_declared.end()),
                                           m_judge.RoundPlan().Text(), m_judge.Current()});
    // Said once: the game goes on, only a restart would lose the round.
    if (!problem.isEmpty() && !m_keepFailedSaid) {
        m_keepFailedSaid = true;
        emit Log(LogKind::Alert,
                 QStringLiteral("** This round cannot be kept for a restart of the window: %1.").arg(problem));
    }
}

void BingoGame::IntervalEdited(const QString &typed)
{
    if (!m_isHost || !m_inProgress || m_intervalNoteSaid
        || Interval::Milliseconds(typed) == Interval::Milliseconds(m_seconds))
        return;
    m_intervalNoteSaid = true;
    emit Log(LogKind::Announcement,
             QStringLiteral("** The new interval applies from the next game: this round keeps the pace it began with."));
}
