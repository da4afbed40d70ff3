// SPDX-License-Identifier: GPL-3.0-or-later
#include "computer/computerplayer.h"

#include "card/deal.h"
#include "game/bingogame.h"
#include "game/plan.h"
#include "game/interval.h"
#include "game/members.h"
#include "link/gamelink.h"
#include "link/linkrecord.h"
#include "support/playername.h"
#include "support/randomgenerator.h"

#include <QTimer>

namespace {

const char *const Greetings[] = {
    "Hello, everyone! I am a computer player. Good luck!",
    "Hi all, computer player here. May the best card win!",
};
const char *const Congratulations[] = {"Well done, %1!", "Congratulations, %1!", "Nice one, %1!"};

} // namespace

QString ComputerPlayer::NameFor(int number) { return QStringLiteral("Computer %1").arg(number); }

ComputerPlayer::ComputerPlayer(GameLink &link, RandomGenerator &random, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_random(random)
    , m_members(std::make_unique<MemberTable>())
    , m_game(std::make_unique<BingoGame>(link, *m_members, m_random))
{
    m_schedule = [this](int ms, std::function<void()> action) { QTimer::singleShot(ms, this, std::move(action)); };
    connect(m_game.get(), &BingoGame::Joined, this, &ComputerPlayer::onJoined);
    connect(m_game.get(), &BingoGame::GameStarted, this, &ComputerPlayer::onGameStarted);
    connect(m_game.get(), &BingoGame::CardsDealt, this, [this](const QList<CardModel::Numbers> &cards) {
        // Dealt from the host's seed over the cards drawn at the start.
        for (int c = 0; c < 2; ++c) {
            m_cards[c].SetNumbers(cards.value(c));
            m_cards[c].ClearMarks();
        }
    });
    connect(m_game.get(), &BingoGame::NumberCalled, this, &ComputerPlayer::onNumberCalled);
    connect(m_game.get(), &BingoGame::Won, this, &ComputerPlayer::onWon);
    connect(m_game.get(), &BingoGame::StageChanged, this, &ComputerPlayer::onStageChanged);
    connect(m_game.get(), &BingoGame::RoundOver, this, &ComputerPlayer::roundEnded);
    connect(m_game.get(), &BingoGame::CallingDone, this, &ComputerPlayer::roundEnded);
    connect(&m_link, &GameLink::LinkLost, this, &ComputerPlayer::Gone);
    connect(&m_link, &GameLink::Refused, this, &ComputerPlayer::Gone);
}

ComputerPlayer::~ComputerPlayer() = default;

void ComputerPlayer::SetNames(const QString &key, const QString &name, const QString &hostName, const QString &seconds)
{
    m_key = key;
    m_name = name;
    m_seconds = seconds;
    m_game->SetNames(name, hostName);
}

void ComputerPlayer::SetPlan(const Plan &plan) { m_game->SetPlan(plan); }

void ComputerPlayer::SetOnlyCheckedCardsWin(bool on) { m_game->SetOnlyCheckedCardsWin(on); }

std::optional<QString> ComputerPlayer::Join(quint16 port, int timeoutMs)
{
    // The hub would refuse these, or never see the join at all.
    if (const QString refusal = PlayerName::Refusal(m_name); !refusal.isEmpty())
        return QStringLiteral("the name \"%1\" cannot be used: %2.").arg(m_name, refusal);
    if (!LinkRecord::CanJoinWith(m_key, LinkRecord::Caption, m_name))
        return QStringLiteral("this game key cannot be used.");
    if (!m_link.Connect(port))
        return m_link.ErrorString();
    // A computer player has no window handle; the hub reads none.
    return m_link.Join({m_key, m_name, {}, 0}, timeoutMs);
}

void ComputerPlayer::onJoined()
{
    later(m_pauses.chatLeast, m_pauses.chatMost, [this] {
        m_game->SendChatLine(QString::fromUtf8(Greetings[m_random.NextNumber(std::size(Greetings)) - 1]));
    });
    if (m_game->IsHost() && !m_game->InProgress())
        nextRound();
}

void ComputerPlayer::onWon(const QString &winner)
{
    emit RoundWon(winner);
    if (winner == m_name || m_congratulated)
        return;
    m_congratulated = true;
    const QString line = QString::fromUtf8(Congratulations[m_random.NextNumber(std::size(Congratulations)) - 1]);
    later(m_pauses.chatLeast, m_pauses.chatMost, [this, line, winner] { m_game->SendChatLine(line.arg(winner)); });
}

void ComputerPlayer::onGameStarted()
{
    ++m_round;
    m_claimed = false;
    m_congratulated = false;
    for (CardModel &card : m_cards) {
        card.Deal([this] { return m_random.NextNumber(CardDeal::HighestDraw); });
        card.ClearMarks();
    }
    const int interval = Interval::Milliseconds(m_seconds);
    m_calling = m_game->IsHost() && interval > 0;
    if (m_calling)
        m_schedule(interval, [this, round = m_round] { callNext(round); });
}

void ComputerPlayer::onNumberCalled(int n)
{
    for (int c = 0; c < 2; ++c) {
        const CardCells::Set unmarked = m_cards[c].CellsHolding(n) & ~m_cards[c].Marks();
        for (int cell = 0; cell < CardCells::Count; ++cell) {
            if (!CardCells::Holds(unmarked, cell))
                continue;
            later(m_pauses.markLeast, m_pauses.markMost, [this, c, cell, round = m_round] {
                if (round != m_round)
                    return; // the card was dealt anew meanwhile
                m_cards[c].SetMarked(cell, true);
                checkLines();
            });
        }
    }
}

void ComputerPlayer::onStageChanged()
{
    // A stage won, the next played with the same cards: they may hold its
    // pattern already.
    if (!m_game->InProgress())
        return;
    m_claimed = false;
    m_congratulated = false;
    checkLines();
}

QList<QList<int>> ComputerPlayer::completeLines() const
{
    const std::span<const CardCells::Set> shapes = m_game->StageShapes();
    return m_cards[0].CompleteLines(shapes) + m_cards[1].CompleteLines(shapes);
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
        const QList<QList<int>> lines = completeLines();
        if (lines.isEmpty()) {
            m_claimed = false; // the stage changed meanwhile, to one these cards do not hold
            return;
        }
        m_game->Claim(lines, lines.first());
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
        m_game->StartNewGame(m_seconds);
    });
}

void ComputerPlayer::later(int least, int most, std::function<void()> action)
{
    const int span = std::max(most - least, 0) + 1;
    m_schedule(least + m_random.NextNumber(span) - 1, std::move(action));
}
