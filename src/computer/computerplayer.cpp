#include "computer/computerplayer.h"

#include "card/deal.h"
#include "card/winlines.h"
#include "game/bingogame.h"
#include "game/commandrecord.h"
#include "game/interval.h"
#include "game/members.h"
#include "game/routing.h"
#include "link/gamelink.h"
#include "link/linkrecord.h"
#include "support/playername.h"
#include "support/randomgenerator.h"

#include <QTimer>

namespace {

// What a window announces itself with; the hub only reads the name from it.
const QString Caption = QStringLiteral("Kalumo Bingo");

const char *const Greetings[] = {
    "Hello, everyone! I am a computer player. Good luck!",
    "Hi all, computer player here. May the best card win!",
};
const char *const Congratulations[] = {"Well done, %1!", "Congratulations, %1!", "Nice one, %1!"};

} // namespace

QString ComputerPlayer::NameFor(int number)
{
    return QStringLiteral("Computer %1").arg(number);
}

ComputerPlayer::ComputerPlayer(GameLink &link, RandomGenerator &random, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_random(random)
    , m_members(std::make_unique<MemberTable>())
    , m_game(std::make_unique<BingoGame>(*m_members, m_random))
    , m_lines(WinLines::LoadLines())
{
    m_schedule = [this](int ms, std::function<void()> action) { QTimer::singleShot(ms, this, std::move(action)); };
    connect(m_game.get(), &BingoGame::Send, this, &ComputerPlayer::sendCommand);
    connect(m_game.get(), &BingoGame::GameStarted, this, &ComputerPlayer::onGameStarted);
    connect(m_game.get(), &BingoGame::NumberCalled, this, &ComputerPlayer::onNumberCalled);
    connect(m_game.get(), &BingoGame::RoundOver, this, &ComputerPlayer::roundEnded);
    connect(m_game.get(), &BingoGame::CallingDone, this, &ComputerPlayer::roundEnded);
    connect(&m_link, &GameLink::TextReceived, this, &ComputerPlayer::onTextReceived);
    connect(&m_link, &GameLink::LinkLost, this, &ComputerPlayer::Gone);
    connect(&m_link, &GameLink::Refused, this, &ComputerPlayer::Gone);
}

ComputerPlayer::~ComputerPlayer() = default;

void ComputerPlayer::SetNames(const QString &key, const QString &name, const QString &hostName, const QString &seconds)
{
    m_key = key;
    m_name = name;
    m_hostName = hostName;
    m_seconds = seconds;
    m_game->SetNames(name, hostName);
}

std::optional<QString> ComputerPlayer::Join(quint16 port, int timeoutMs)
{
    // The hub would refuse these, or never see the join at all.
    if (const QString refusal = PlayerName::Refusal(m_name); !refusal.isEmpty())
        return QStringLiteral("the name \"%1\" cannot be used: %2.").arg(m_name, refusal);
    if (!LinkRecord::CanJoinWith(m_key, Caption, m_name))
        return QStringLiteral("this game key cannot be used.");
    // A computer player has no window handle to identify with; the hub reads none.
    if (!m_link.JoinGame(0, port))
        return m_link.ErrorString();
    m_link.SendText(LinkRecord::Identify(m_key, 0));
    m_link.SendText(LinkRecord::Announce(m_key, Caption, m_name));
    return m_link.WaitUntilJoined(m_key, m_name, timeoutMs);
}

void ComputerPlayer::onTextReceived(const QString &sender, const QString &data)
{
    // The same rules as a window's: what the host alone may do counts only from the host.
    const Routing::Route route = Routing::RouteDelivery(sender, data);
    if (!Routing::SenderMayAct(route, sender, m_hostName))
        return;
    switch (route.action) {
    case Routing::Action::AddPlayer:
        m_game->PlayerJoined(route.text);
        if (route.text == m_name && !m_joined) {
            m_joined = true;
            later(m_pauses.chatLeast, m_pauses.chatMost,
                  [this] { say(QString::fromUtf8(Greetings[m_random.NextNumber(std::size(Greetings)) - 1])); });
            if (m_game->IsHost() && !m_game->InProgress())
                nextRound();
        }
        break;
    case Routing::Action::RemovePlayer:
        m_game->PlayerLeft(route.text);
        break;
    case Routing::Action::ChatCommand:
        m_game->RunChatCommand(route.text);
        break;
    case Routing::Action::Command:
        if (const auto record = CommandRecord::Read(route.text); record && record->kind == CommandRecord::WinConfirmed) {
            emit RoundWon(record->name);
            if (record->name != m_name && !m_congratulated) {
                m_congratulated = true;
                const QString line = QString::fromUtf8(Congratulations[m_random.NextNumber(std::size(Congratulations)) - 1]);
                later(m_pauses.chatLeast, m_pauses.chatMost, [this, line, winner = record->name] { say(line.arg(winner)); });
            }
        }
        m_game->EvalCommand(route.text);
        break;
    case Routing::Action::Log:
    case Routing::Action::Ignore:
        break;
    }
}

void ComputerPlayer::onGameStarted()
{
    ++m_round;
    m_claimed = false;
    m_congratulated = false;
    for (Card &card : m_cards) {
        card.numbers = CardDeal::Deal([this] { return m_random.NextNumber(CardDeal::HighestDraw); });
        card.marked = {};
    }
    const int interval = Interval::Milliseconds(m_seconds);
    m_calling = m_game->IsHost() && interval > 0;
    if (m_calling)
        m_schedule(interval, [this, round = m_round] { callNext(round); });
}

void ComputerPlayer::onNumberCalled(int n)
{
    for (int c = 0; c < 2; ++c) {
        for (int cell = 0; cell < 25; ++cell) {
            if (m_cards[c].numbers[cell] != n || m_cards[c].marked[cell])
                continue;
            later(m_pauses.markLeast, m_pauses.markMost, [this, c, cell, round = m_round] {
                if (round != m_round)
                    return; // the card was dealt anew meanwhile
                m_cards[c].marked[cell] = true;
                checkLines();
            });
        }
    }
}

QList<QStringList> ComputerPlayer::completeLines() const
{
    QList<QStringList> lines;
    for (const Card &card : m_cards) {
        for (const auto &cells : WinLines::AllComplete(m_lines, card.marked)) {
            QStringList numbers;
            for (int cell : cells)
                numbers << QString::number(card.numbers[cell]);
            lines << numbers;
        }
    }
    return lines;
}

void ComputerPlayer::checkLines()
{
    // One press a round: a player that lost the race to another claim does
    // not keep pressing.
    if (m_claimed || !m_game->InProgress() || completeLines().isEmpty())
        return;
    m_claimed = true;
    later(m_pauses.claimLeast, m_pauses.claimMost, [this, round = m_round] {
        if (round != m_round || !m_game->InProgress())
            return;
        const QList<QStringList> lines = completeLines();
        sendCommand(CommandRecord::MakeClaim(m_name, m_game->ClaimLine(lines, lines.first())));
        emit Claimed();
    });
}

void ComputerPlayer::callNext(int round)
{
    if (round != m_round || !m_calling || !m_game->InProgress())
        return;
    m_game->CallNext();
    if (m_calling)
        m_schedule(Interval::Milliseconds(m_seconds), [this, round] { callNext(round); });
}

void ComputerPlayer::roundEnded()
{
    // Won, or every number called without a winner: a computer host begins
    // the next round after a pause, as a person would press New Game.
    m_calling = false;
    if (m_game->IsHost())
        nextRound();
}

void ComputerPlayer::nextRound()
{
    if (m_nextRoundDue)
        return; // a round that ran out of numbers and then was won still needs only one
    m_nextRoundDue = true;
    m_schedule(m_pauses.nextRoundMs, [this] {
        m_nextRoundDue = false;
        sendCommand(CommandRecord::StartGame(m_seconds));
    });
}

void ComputerPlayer::say(const QString &text)
{
    m_link.SendText(LinkRecord::Message(m_key, Routing::ChatMessage(text)));
}

void ComputerPlayer::sendCommand(const QString &record)
{
    m_link.SendText(LinkRecord::Message(m_key, Routing::CommandMessage(record)));
}

void ComputerPlayer::later(int least, int most, std::function<void()> action)
{
    const int span = std::max(most - least, 0) + 1;
    m_schedule(least + m_random.NextNumber(span) - 1, std::move(action));
}
