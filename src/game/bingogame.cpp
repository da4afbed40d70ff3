// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/bingogame.h"

#include "game/commandrecord.h"
#include "game/delivery.h"
#include "game/interval.h"
#include "game/members.h"
#include "game/messagetext.h"
#include "link/gamelink.h"
#include "support/playername.h"

#include <algorithm>

namespace {

// The words a refused claim travels with.
const QString Uncalled = QStringLiteral("uncalled");
const QString Over = QStringLiteral("over");
const QString Taken = QStringLiteral("taken");

// "17", "17 and 42", "17, 42 and 63".
QString listed(const QStringList &items)
{
    if (items.size() < 2)
        return items.join(QString());
    return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") + items.last();
}

} // namespace

BingoGame::BingoGame(GameLink &link, MemberTable &members, RandomGenerator &random, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_members(members)
    , m_random(random)
{
    connect(&link, &GameLink::TextReceived, this, &BingoGame::Deliver);
    connect(&link, &GameLink::Reconnecting, this, [this](const QString &reason) {
        linkDown(QStringLiteral("** The link to the game was lost (%1); reconnecting\u2026").arg(reason),
                 QStringLiteral("Reconnecting\u2026"));
    });
    connect(&link, &GameLink::LinkLost, this, [this](const QString &reason) {
        linkDown(
            QStringLiteral("** The link to the game could not be restored (%1). You may close the window.").arg(reason),
            {});
    });
    connect(&link, &GameLink::Refused, this, [this](const QString &reason) {
        linkDown(QStringLiteral("** The game refused this window: ") + reason, {});
    });
    connect(&link, &GameLink::PresenceChanged, this, &BingoGame::presenceChanged);
    connect(&link, &GameLink::Ended, this, [this](const QString &hostName) {
        m_inProgress = false;
        emit RoundOver();
        linkDown(QStringLiteral("** %1 ended the game: you may close the window.")
                     .arg(PlayerName::Shown(hostName.isEmpty() ? m_hostName : hostName)),
                 {});
        emit GameEnded();
    });
    connect(&link, &GameLink::Rejoining, this, &BingoGame::rejoining);
    connect(&link, &GameLink::Reconnected, this, &BingoGame::reconnected);
}

void BingoGame::SetNames(const QString &myName, const QString &hostName)
{
    m_myName = myName;
    m_hostName = hostName;
    m_isHost = myName == hostName;
}

void BingoGame::Deliver(const QString &sender, const QString &data)
{
    const std::optional<Delivery> delivery = ReadDelivery(sender, data);
    if (sender == m_myName)
        echoed(data);
    if (!m_linkAway)
        m_awayBefore.clear(); // the hub has told who is away since the return
    if (!delivery || !Counts(*delivery, m_myName, m_hostName))
        return;
    switch (delivery->kind) {
    case DeliveryKind::PlayerEntered:
        playerEntered(delivery->text);
        break;
    case DeliveryKind::PlayerExited:
        playerExited(delivery->text);
        break;
    case DeliveryKind::ChatLine:
        emit Log(LogKind::Chat, MessageText::ChatLogLine(sender, delivery->text));
        break;
    case DeliveryKind::Emote:
        emit Log(LogKind::Emote, MessageText::EmoteLogLine(sender, delivery->text));
        break;
    case DeliveryKind::ChatCommand:
        m_caller.RunChatCommand(delivery->text.mid(1));
        keepRound();
        break;
    case DeliveryKind::NumberCalled:
    case DeliveryKind::NewGame:
    case DeliveryKind::WinConfirmed:
    case DeliveryKind::Claim:
    case DeliveryKind::CatchUp:
    case DeliveryKind::ClaimRefused:
    case DeliveryKind::HostBack:
        carryOut(delivery->record);
        break;
    }
}

void BingoGame::carryOut(const CommandRecord &record)
{
    switch (record.kind) {
    case DeliveryKind::NumberCalled:
        emit Log(LogKind::Announcement,
                 QStringLiteral("** The Number (") + record.text + QStringLiteral(") Has Been Called."));
        emit NumberCalled(record.number);
        markCalled(record.number);
        emit Speak(CallerText::Words(record.number));
        emit ViewChanged();
        break;
    case DeliveryKind::NewGame:
        startRound(record.text);
        emit Log(LogKind::Chat, QStringLiteral("** A New Game Has Been Started."));
        if (m_isHost)
            emit Log(LogKind::Announcement, Interval::Describe(record.text));
        break;
    case DeliveryKind::WinConfirmed:
        won(record.name, record.text);
        break;
    case DeliveryKind::Claim:
        judgeClaim(record.name, record.items);
        break;
    case DeliveryKind::CatchUp:
        catchUp(record.text, record.items);
        break;
    case DeliveryKind::ClaimRefused:
        sayClaimRefused(record.text, record.items);
        break;
    case DeliveryKind::HostBack:
        emit Log(LogKind::Announcement, QStringLiteral("** %1 is back: the round goes on.").arg(PlayerName::Shown(m_hostName)));
        break;
    case DeliveryKind::PlayerEntered:
    case DeliveryKind::PlayerExited:
    case DeliveryKind::ChatLine:
    case DeliveryKind::Emote:
    case DeliveryKind::ChatCommand:
        break; // never a command record
    }
}

void BingoGame::startRound(const QString &seconds)
{
    m_caller.Reset();
    m_seconds = seconds;
    m_inProgress = true;
    m_claimAccepted = false;
    m_allCalledSaid = false;
    m_intervalNoteSaid = false;
    m_winnerName.clear();
    m_winnerTotal.clear();
    m_toTellBack.clear();
    emit GameStarted(seconds);
    emit ViewChanged();
    keepRound();
}

void BingoGame::markCalled(int n)
{
    if (m_caller.MarkCalled(n))
        keepRound(); // the host's own draws are kept as they are drawn

    if (m_autoMark)
        emit MarkOnCards(n);
    // The host's game has drawn the number before its record comes back,
    // so the count is looked at here, where every game sees each call.
    if (m_inProgress && !m_allCalledSaid && m_caller.CallCount() >= NumberCaller::Highest) {
        m_allCalledSaid = true;
        emit Log(LogKind::Announcement, QStringLiteral("** All 100 numbers have been called and nobody has won yet."));
    }
}

void BingoGame::won(const QString &name, const QString &total)
{
    emit Log(LogKind::Announcement,
             QStringLiteral("** ") + PlayerName::Shown(name) + QStringLiteral(" Has Won The Game! ") + total
                 + QStringLiteral(" Total Win(s)! **"));
    if (m_isHost)
        emit Log(LogKind::Announcement, QStringLiteral("** Click 'New Game' To Begin The Next Round."));
    m_inProgress = false;
    m_winnerName = name;
    m_winnerTotal = total;
    keepRound();
    emit RoundOver();
    emit Won(m_winnerName, m_winnerTotal);
    emit Speak(CallerText::Win(m_winnerName, m_winnerTotal));
    emit ViewChanged();
}

void BingoGame::catchUp(const QString &seconds, const QStringList &numbers)
{
    // A game already in the round keeps its cards and only adds the calls
    // it missed, so an answer to a game that is up to date changes nothing.
    // One holding a number the host's round never called is still in an
    // earlier round (it was away while that one ended and this one began),
    // and joins this one as a newcomer does.
    const bool joining = !m_inProgress || std::any_of(m_caller.Order().begin(), m_caller.Order().end(), [&](int n) {
        return !numbers.contains(QString::number(n));
    });
    if (joining)
        startRound(seconds);
    for (const QString &item : numbers) {
        const std::optional<int> n = WholeNumber(item);
        if (!n || *n < 1 || *n > NumberCaller::Highest || m_caller.Called(*n))
            continue;
        emit NumberCalled(*n);
        markCalled(*n);
    }
    emit ViewChanged();
    if (joining)
        emit Log(LogKind::Announcement,
                 QStringLiteral("** You joined a round in progress: %1 number(s) had been called before you came.")
                     .arg(m_caller.CallCount()));
}

CallerText::View BingoGame::View() const { return CallerText::ViewOf(m_caller.Order(), m_winnerName, m_winnerTotal); }

void BingoGame::SetAutoMark(bool on)
{
    const bool switchedOn = on && !m_autoMark;
    m_autoMark = on;
    if (!switchedOn)
        return;
    for (int n : m_caller.Order())
        emit MarkOnCards(n);
}

void BingoGame::judgeClaim(const QString &claimant, const QStringList &items)
{
    if (m_claimAccepted)
        sendCommand(CommandRecord::RefuseClaim(claimant, Taken));
    else if (!m_inProgress)
        sendCommand(CommandRecord::RefuseClaim(claimant, Over));
    else if (!m_caller.ClaimHolds(items))
        sendCommand(CommandRecord::RefuseClaim(claimant, Uncalled, m_caller.Uncalled(items)));
    else {
        m_claimAccepted = true;
        keepRound();
        sendCommand(CommandRecord::Won(claimant, m_members.RecordWin(claimant)));
    }
}

void BingoGame::sayClaimRefused(const QString &why, const QStringList &detail)
{
    QString reason;
    if (why == Over)
        reason = QStringLiteral("the round is over.");
    else if (why == Taken)
        reason = QStringLiteral("this round has already been won.");
    else if (why == Uncalled && detail.size() == 1)
        reason = detail.first() + QStringLiteral(" has not been called.");
    else if (why == Uncalled && !detail.isEmpty())
        reason = listed(detail) + QStringLiteral(" have not been called.");
    else
        reason = QStringLiteral("its line does not hold five called numbers.");
    emit Log(LogKind::Announcement, QStringLiteral("** Your claim did not win: ") + reason);
}

void BingoGame::CallNext()
{
    const std::optional<int> n = m_caller.Draw(m_random);
    // Kept before it goes out: a window that dies in between still knows
    // the number, and its catch-ups bring it to every player.
    keepRound();
    if (n)
        sendCommand(CommandRecord::Called(*n));
    // After the 100th call no tick could find a number: calling ends here
    // until the next game.
    if (!n || m_caller.CallCount() >= NumberCaller::Highest)
        emit CallingDone();
}
