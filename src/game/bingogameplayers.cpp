// SPDX-License-Identifier: GPL-3.0-or-later
// BingoGame's players and link: who comes and goes, the link's breaks and
// returns, and what this player sends.
#include "game/bingogame.h"

#include "card/seededdeal.h"
#include "game/commandrecord.h"
#include "game/messagetext.h"
#include "link/gamelink.h"
#include "support/playername.h"

#include <algorithm>

void BingoGame::playerEntered(const QString &name)
{
    m_players << name;
    // After a fresh join the game lists who is there again; those listed
    // before are not announced twice.
    if (!m_listedBefore.removeOne(name)) {
        emit Log(LogKind::Welcome, PlayerName::Shown(name) + QStringLiteral(" has joined the game."));
        if (name != m_myName)
            emit News(NewsKind::Joined, name + QStringLiteral(" has joined the game."));
    }
    emit PlayerJoined(name);
    // Told the host at every join of this player's own (a fresh join after a
    // lost seat is a new player to the host), or when the host comes later.
    const bool hostHere = name == m_myName ? m_players.contains(m_hostName) : name == m_hostName;
    if (!m_isHost && hostHere && m_players.contains(m_myName))
        sendCommand(CommandRecord::DealsFromSeed(m_myName));
    if (name == m_myName && !m_joined) {
        // Our own arrival ends the list of those who were here before us.
        m_joined = true;
        if (!m_isHost && !m_players.contains(m_hostName)) {
            QString line
                = QStringLiteral("** %1, who hosts this game, is not here: no numbers will be called until %1 joins.")
                      .arg(PlayerName::Shown(m_hostName));
            for (const QString &player : std::as_const(m_players)) {
                if (player.compare(m_hostName, Qt::CaseInsensitive) == 0)
                    line += QStringLiteral(" %1 is here: did you mean %1?").arg(PlayerName::Shown(player));
            }
            emit Log(LogKind::Announcement, line);
        }
        emit Joined();
        if (m_isHost && !m_toTellBack.isEmpty()) {
            emit Log(LogKind::Announcement, QStringLiteral("** %1 is back: the round goes on.").arg(PlayerName::Shown(m_hostName)));
            for (const QString &player : std::as_const(m_players))
                tellHostBack(player);
        }
    } else if (m_isHost && m_inProgress && name != m_myName) {
        sendCommand(CommandRecord::MakeCatchUp(name, m_seconds, m_caller.Order(), seedFor(name)));
        announcePlan();
        if (m_joined)
            tellHostBack(name);
    }
    keepRound();
}

void BingoGame::playerExited(const QString &name)
{
    // Only a listed player can leave: the hub's word on anybody else changes nothing.
    if (!m_players.removeOne(name))
        return;
    m_away.removeOne(name);
    forgetSeat(name);
    emit PlayerLeft(name);
    emit Log(LogKind::Alert, PlayerName::Shown(name) + QStringLiteral(" has left the game."));
    emit News(NewsKind::Left, name + QStringLiteral(" has left the game."));
    keepRound();
    if (name != m_hostName || m_isHost || !m_inProgress)
        return;
    m_inProgress = false;
    emit Log(LogKind::Announcement,
             QStringLiteral("** The round is over: %1, who hosts this game, has left.").arg(PlayerName::Shown(name)));
    emit RoundOver();
}

void BingoGame::linkDown(const QString &line, const QString &status)
{
    emit Log(LogKind::Alert, line);
    emit News(NewsKind::LinkLost, line.startsWith(QStringLiteral("** ")) ? line.mid(3) : line);
    m_linkAway = true;
    emit LinkDown();
    emit LinkStatus(status);
    if (!status.isEmpty())
        return;
    // The link has ended: what never came back will never be sent.
    for (const Pending &pending : std::as_const(m_pending))
        emit Log(LogKind::Alert, QStringLiteral("** Not sent: ") + pending.line);
    m_pending.clear();
    showPending();
}

void BingoGame::presenceChanged(const QString &name, bool away)
{
    if (!m_players.contains(name) || name == m_myName || away == m_away.contains(name))
        return;
    if (away)
        m_away << name;
    else
        m_away.removeOne(name);
    emit PlayerAway(name, away);
    // Whoever was away when this player's own link broke, and still is, was
    // announced already.
    if (away && m_awayBefore.removeOne(name))
        return;
    if (!away) {
        emit Log(LogKind::Welcome, PlayerName::Shown(name) + QStringLiteral(" is back"));
        return;
    }
    emit Log(LogKind::Alert, PlayerName::Shown(name) + QStringLiteral(" is away: reconnecting"));
    if (name == m_hostName && m_inProgress)
        emit Log(LogKind::Announcement, QStringLiteral("** Calling is paused until %1 is back.").arg(PlayerName::Shown(name)));
}

void BingoGame::clearAway()
{
    // The hub tells a window that is back who is away now.
    m_awayBefore = std::exchange(m_away, {});
    for (const QString &name : std::as_const(m_awayBefore))
        emit PlayerAway(name, false);
}

void BingoGame::echoed(const QString &data)
{
    // Deliveries come in the order the hub received them, so a message that
    // comes back was sent after those still pending before it, which the hub
    // never got: the link sends those again.
    const auto echo
        = std::find_if(m_pending.begin(), m_pending.end(), [&](const Pending &p) { return p.messageText == data; });
    if (echo == m_pending.end())
        return;
    m_pending.erase(m_pending.begin(), echo + 1);
    showPending();
}

void BingoGame::showPending()
{
    QStringList lines;
    for (const Pending &pending : std::as_const(m_pending))
        lines << pending.line;
    emit PendingChanged(lines);
}

void BingoGame::rejoining()
{
    clearAway();
    m_listedBefore += m_players;
    m_players.clear();
    emit PlayersCleared();
}

void BingoGame::reconnected()
{
    // Whoever was listed before a fresh join and is not listed again left
    // while the link was away.
    for (const QString &name : std::as_const(m_listedBefore)) {
        emit Log(LogKind::Alert, PlayerName::Shown(name) + QStringLiteral(" has left the game."));
        emit News(NewsKind::Left, name + QStringLiteral(" has left the game."));
    }
    m_listedBefore.clear();
    clearAway();
    m_linkAway = false;
    emit LinkBack();
    emit LinkStatus({});
    emit Log(LogKind::Alert, QStringLiteral("** Back in the game."));
    emit News(NewsKind::LinkBack, QStringLiteral("Back in the game."));
}

std::optional<QString> BingoGame::refuseChatCommand(const QString &typed) const
{
    if (!typed.startsWith(QLatin1Char('/')))
        return std::nullopt;
    if (!m_isHost)
        return QStringLiteral("** %1 was not run: only the host, %2, can give commands.").arg(typed, PlayerName::Shown(m_hostName));
    // "call N" is the one command there is; anything else would do nothing.
    if (typed == u"/repeat" && m_caller.CallCount() == 0)
        return QStringLiteral("** %1 was not run: no number has been called yet.").arg(typed);
    if (typed != u"/repeat" && !NumberCaller::CallCommandNumber(typed.mid(1)))
        return QStringLiteral("** %1 was not run: the commands are /call N, /repeat, /pause, /resume, /lock, /unlock, "
                              "/mute NAME, /unmute NAME and /remove NAME.")
            .arg(typed);
    return std::nullopt;
}

void BingoGame::SendChatLine(const QString &typed)
{
    // A command that would not run anywhere is not sent: only its typist hears why.
    if (m_isHost && runRoomCommand(typed))
        return;
    if (const std::optional<QString> refusal = refuseChatCommand(typed))
        emit Log(LogKind::Announcement, *refusal);
    else if (const QString message = MessageText::ChatMessage(typed); message.mid(5).startsWith(QLatin1Char('\\')))
        send(message, MessageText::EmoteLogLine(m_myName, message.mid(5)));
    else
        send(message, MessageText::ChatLogLine(m_myName, message.mid(5)));
}

void BingoGame::StartNewGame(const QString &seconds)
{
    sayUncheckedPlayers();
    const QString prepared = std::exchange(m_preparedSeed, {});
    sendCommand(CommandRecord::RoundSeed(prepared.isEmpty() ? SeededDeal::NewSeed() : prepared));
    sendCommand(CommandRecord::StartGame(seconds));
}

void BingoGame::Claim(const QList<QList<int>> &complete, const QList<int> &lastReported)
{
    auto allCalled = [this](const QList<int> &line) {
        return !line.isEmpty() && std::all_of(line.begin(), line.end(), [this](int n) { return m_caller.Called(n); });
    };
    QList<int> line = lastReported;
    if (!allCalled(lastReported) || !complete.contains(lastReported)) {
        const auto called = std::find_if(complete.begin(), complete.end(), allCalled);
        if (called != complete.end())
            line = *called;
    }
    send(MessageText::CommandMessage(CommandRecord::MakeClaim(m_myName, line, m_stage)), QStringLiteral("BINGO! (your claim)"));
}

void BingoGame::sendCommand(const QString &record) { send(MessageText::CommandMessage(record)); }

void BingoGame::send(const QString &messageText, const QString &pendingLine)
{
    // Pending before it goes: a link may bring its echo back at once.
    if (!pendingLine.isEmpty())
        m_pending.append({messageText, pendingLine});
    if (!m_link.SendMessage(messageText)) {
        emit Log(LogKind::Alert, QStringLiteral("** Not sent: this window is no longer linked to the game."));
        if (!pendingLine.isEmpty())
            m_pending.removeLast();
        return;
    }
    if (!pendingLine.isEmpty())
        showPending();
}
