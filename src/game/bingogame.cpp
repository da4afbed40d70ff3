// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/bingogame.h"

#include "game/commandrecord.h"
#include "game/delivery.h"
#include "game/interval.h"
#include "game/members.h"
#include "game/messagetext.h"
#include "link/gamelink.h"
#include "support/playername.h"

#include <QSet>
#include <algorithm>
#include <bit>

using namespace Qt::StringLiterals;

namespace {

// The words a refused claim travels with.
const QString Uncalled = QStringLiteral("uncalled");
const QString Over = QStringLiteral("over");
const QString Taken = QStringLiteral("taken");
const QString NotPlayed = QStringLiteral("stage");
const QString NotPattern = QStringLiteral("pattern");

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
    connect(&link, &GameLink::RoomChanged, this, &BingoGame::roomChanged);
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
        if (sender != m_myName)
            emit News(NewsKind::Chat, sender + QStringLiteral(": ") + MessageText::CutChatLine(delivery->text));
        break;
    case DeliveryKind::Emote:
        emit Log(LogKind::Emote, MessageText::EmoteLogLine(sender, delivery->text));
        if (sender != m_myName)
            emit News(NewsKind::Chat, MessageText::EmoteLogLine(sender, delivery->text).mid(1));
        break;
    case DeliveryKind::ChatCommand:
        if (delivery->text == u"/repeat")
            repeatCall();
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
    case DeliveryKind::RoundSeed:
    case DeliveryKind::DealsFromSeed:
    case DeliveryKind::StagePlan:
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
        emit News(NewsKind::Call, record.text);
        markCalled(record.number);
        emit Speak(CallerText::Words(record.number));
        emit ViewChanged();
        break;
    case DeliveryKind::NewGame:
        startRound(record.text);
        emit Log(LogKind::Chat, QStringLiteral("** A New Game Has Been Started."));
        if (m_isHost) {
            emit Log(LogKind::Announcement, Interval::Describe(record.text));
            announcePlan();
        }
        break;
    case DeliveryKind::WinConfirmed:
        won(record.name, record.text, record.stage, record.cardUnchecked);
        break;
    case DeliveryKind::Claim:
        judgeClaim(record.name, record.items, record.stage);
        break;
    case DeliveryKind::StagePlan:
        takePlan(record.stage, record.items);
        break;
    case DeliveryKind::CatchUp:
        catchUp(record.text, record.items, record.seed);
        break;
    case DeliveryKind::ClaimRefused:
        sayClaimRefused(record.text, record.items);
        break;
    case DeliveryKind::HostBack:
        emit Log(LogKind::Announcement, QStringLiteral("** %1 is back: the round goes on.").arg(PlayerName::Shown(m_hostName)));
        break;
    case DeliveryKind::RoundSeed:
        m_nextSeed = record.seed;
        break;
    case DeliveryKind::DealsFromSeed:
        declared(record.name);
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
    m_allCalledSaid = false;
    m_intervalNoteSaid = false;
    m_winnerName.clear();
    m_winnerTotal.clear();
    m_toTellBack.clear();
    // Until the host's plan record comes, the round is the plain game.
    m_plan = m_isHost ? m_nextPlan : Plan();
    m_stage = 1;
    m_wonStage = 0;
    m_stageWinners.clear();
    if (m_isHost)
        m_judge.Start(m_nextPlan);
    emit GameStarted(seconds);
    takeSeed(std::exchange(m_nextSeed, {}));
    emit StageChanged();
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

void BingoGame::catchUp(const QString &seconds, const QStringList &numbers, const QString &seed)
{
    // A game already in the round keeps its cards and only adds the calls
    // it missed, so an answer to a game that is up to date changes nothing.
    // One holding a number the host's round never called is still in an
    // earlier round (it was away while that one ended and this one began),
    // and joins this one as a newcomer does.
    const bool joining = !m_inProgress || std::any_of(m_caller.Order().begin(), m_caller.Order().end(), [&](int n) {
        return !numbers.contains(QString::number(n));
    });
    if (joining) {
        m_nextSeed = seed;
        startRound(seconds);
    } else if (!seed.isEmpty() && seed != m_dealSeed) {
        takeSeed(seed); // a fresh join: the host deals this player anew
    }
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

CallerText::View BingoGame::View() const
{
    // The names are isolated, so a name in any script reads as written.
    QString winner;
    if (m_stageWinners.size() > 1) {
        QStringList shown;
        for (const QString &name : m_stageWinners)
            shown << PlayerName::Shown(name);
        winner = CallerText::Shared(shown, winningStage());
    } else if (!m_winnerName.isEmpty())
        winner = CallerText::Win(PlayerName::Shown(m_winnerName), m_winnerTotal, winningStage());
    CallerText::View view = CallerText::ViewOf(m_caller.Order(), winner);
    if (m_plan.Count() > 1 && m_inProgress)
        view.stage = QStringLiteral("Now playing ") + m_plan.Describe(m_stage);
    return view;
}

void BingoGame::SetAutoMark(bool on)
{
    const bool switchedOn = on && !m_autoMark;
    m_autoMark = on;
    if (!switchedOn)
        return;
    for (int n : m_caller.Order())
        emit MarkOnCards(n);
}

void BingoGame::judgeClaim(const QString &claimant, const QStringList &items, int stage)
{
    // Only a window of an earlier release claims without naming a stage.
    if (stage == 0) {
        EarlierReleasePresent(claimant);
        stage = 1;
    }
    const StageJudge::Verdict verdict = m_judge.Judge(claimant, stage, m_caller.CallCount());
    if (verdict == StageJudge::Verdict::Taken)
        sendCommand(CommandRecord::RefuseClaim(claimant, Taken));
    else if (!m_inProgress && verdict != StageJudge::Verdict::Ties)
        sendCommand(CommandRecord::RefuseClaim(claimant, Over));
    else if (verdict == StageJudge::Verdict::NotPlayed)
        sendCommand(CommandRecord::RefuseClaim(claimant, NotPlayed));
    else if (const std::optional<QStringList> refusal = refuseNumbers(items, stage))
        sendCommand(CommandRecord::RefuseClaim(claimant, refusal->first(), refusal->mid(1)));
    else if (const auto refusal = refuseOnCard(claimant, items, stage))
        sendCommand(CommandRecord::RefuseClaim(claimant, refusal->first, refusal->second));
    else {
        m_judge.Won(claimant, stage, m_caller.CallCount());
        keepRound();
        sendCommand(CommandRecord::Won(claimant, m_members.RecordWin(claimant), stage, !cardChecked(claimant)));
    }
}

std::optional<QStringList> BingoGame::refuseNumbers(const QStringList &items, int stage) const
{
    if (const QStringList uncalled = m_caller.Uncalled(items); !uncalled.isEmpty())
        return QStringList{Uncalled} + uncalled;
    // Every number called: the claim wins when it names as many different
    // numbers as one of the stage's sets has cells (a number named twice
    // counts once, as it always has).
    QSet<int> numbers;
    for (const QString &item : items)
        numbers.insert(WholeNumber(item).value_or(0));
    const std::span<const CardCells::Set> shapes = m_judge.Shapes(stage);
    const bool fits = std::any_of(shapes.begin(), shapes.end(),
                                  [&](CardCells::Set cells) { return std::popcount(cells) == numbers.size(); });
    if (!fits)
        return QStringList{NotPattern};
    return std::nullopt;
}

void BingoGame::sayClaimRefused(const QString &why, const QStringList &detail)
{
    QString reason;
    if (why == Over)
        reason = QStringLiteral("the round is over.");
    else if (why == Taken)
        reason = QStringLiteral("this round has already been won.");
    else if (why == NotPlayed)
        reason = QStringLiteral("that stage is not being played.");
    else if (why == NotPattern)
        reason = QStringLiteral("its numbers do not make the pattern of the stage.");
    else if (why == Uncalled && detail.size() == 1)
        reason = detail.first() + QStringLiteral(" has not been called.");
    else if (why == Uncalled && !detail.isEmpty())
        reason = CallerText::Listed(detail) + QStringLiteral(" have not been called.");
    else if (why == u"notoncard")
        reason = CallerText::Listed(detail) + QStringLiteral(" %1 not on your cards.").arg(detail.size() == 1 ? u"is"_s : u"are"_s);
    else if (why == u"noline")
        reason = QStringLiteral("its numbers do not make the pattern on your card.");
    else if (why == u"early")
        reason = QStringLiteral("its line was complete before you joined: it wins only with a number called since.");
    else if (why == u"unchecked")
        reason = QStringLiteral("the host can check only cards dealt from its seed, and this window's were not.");
    else
        reason = QStringLiteral("its line does not hold five called numbers.");
    emit Log(LogKind::Announcement, QStringLiteral("** Your claim did not win: ") + reason);
    emit News(NewsKind::ClaimRefused, QStringLiteral("Your claim did not win: ") + reason);
}

void BingoGame::CallNext()
{
    sayUncheckedPlayers();
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
