// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A computer player: joins a game over the link as a window does and plays
// it without a window. It holds two cards dealt as a window deals them,
// marks each called number on them after a short, human-like pause, presses
// BINGO! (sends the window's claim) once a card holds the pattern of the
// stage played in called numbers, once a stage, and says a few words: a greeting once it has joined, and
// congratulations to each winner. As the host of its game it also starts the
// rounds, calls the numbers and judges the claims, as a host's window does.
//
// Every pause goes through the scheduler, so a test decides when they end.

#include "card/cardmodel.h"

#include <QObject>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class BingoGame;
class GameLink;
class MemberTable;
class Plan;
class RandomGenerator;

class ComputerPlayer : public QObject
{
    Q_OBJECT
public:
    // Runs action once, ms milliseconds from now, unless the player is gone.
    using Scheduler = std::function<void(int ms, std::function<void()> action)>;

    // Each pause is drawn evenly from its least to its most, in milliseconds;
    // a scheduler that shortens every pause plays faster.
    struct Pauses
    {
        int markLeast = 700, markMost = 2500; // from a call to its mark
        int claimLeast = 300, claimMost = 1500; // from the line's last mark to the claim
        int chatLeast = 1000, chatMost = 4000; // from a join or a win to the words
        int nextRoundMs = 5000; // host: from a win to the next round
    };

    // "Computer 1", "Computer 2", ...: a blank, which no window's name can
    // hold, so a computer is never taken for a person nor a person for it.
    static QString NameFor(int number);

    ComputerPlayer(GameLink &link, RandomGenerator &random, QObject *parent = nullptr);
    ~ComputerPlayer() override;

    // The default runs actions on this thread's timers.
    void SetScheduler(Scheduler scheduler) { m_schedule = std::move(scheduler); }

    // Who plays and who hosts; the player hosts when both are the same, and
    // then starts each round with `seconds` as its calling interval.
    void SetNames(const QString &key, const QString &name, const QString &hostName,
                  const QString &seconds = QStringLiteral("10"));
    // Connects on the hub's port and joins as a window does: nothing once the
    // game has confirmed the join, else why not, as a sentence.
    std::optional<QString> Join(quint16 port, int timeoutMs = 10000);

    // As host: the plan of the rounds it starts.
    void SetPlan(const Plan &plan);
    // A hosting computer player's "Only checked cards can win" (on at first).
    void SetOnlyCheckedCardsWin(bool on);

    const QString &Name() const { return m_name; }
    // Card 0 or 1.
    const CardModel &Card(int card) const { return m_cards[card]; }

signals:
    // A win was confirmed in this game.
    void RoundWon(const QString &winner);
    // This player sent a claim.
    void Claimed();
    // The link broke or the game refused this player; it plays no more.
    void Gone(const QString &reason);

private:
    void onJoined();
    void onWon(const QString &winner);
    void onGameStarted();
    void onNumberCalled(int n);
    void onStageChanged();
    void checkLines();
    void callNext(int round);
    void roundEnded();
    void nextRound();
    void later(int least, int most, std::function<void()> action);
    QList<QList<int>> completeLines() const;

    GameLink &m_link;
    RandomGenerator &m_random;
    std::unique_ptr<MemberTable> m_members; // the wins a computer host counts
    std::unique_ptr<BingoGame> m_game; // gone before the table it counts in
    Scheduler m_schedule;
    Pauses m_pauses;
    QString m_key, m_name, m_seconds;
    std::array<CardModel, 2> m_cards{};
    int m_round = 0; // counts the rounds begun here; a pause of an earlier round does nothing
    bool m_claimed = false; // this stage
    bool m_congratulated = false;
    bool m_calling = false; // host: numbers are being called this round
    bool m_nextRoundDue = false; // host: the next round is scheduled
};
