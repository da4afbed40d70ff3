#pragma once
// One window's side of the game, without the window: it carries out the
// command records, draws the host's numbers and judges claims, follows who
// is in the game, and says through signals what the window must show or
// send. The window renders; every decision is made here.
//
// A round is in progress from the new-game record (or a catch-up for this
// window) to the win-confirmed record, or until the host leaves; while it is,
// a card's complete line may enable BINGO!, in every window. Every window
// keeps the numbers called in the round, but only the host's judges claims:
// it accepts one claim per round and answers every other claim with a
// refusal meant for the claimant alone.

#include "game/callertext.h"
#include "game/numbercaller.h"

#include <QObject>
#include <QStringList>

class MemberTable;
class RandomGenerator;

class BingoGame : public QObject
{
    Q_OBJECT
public:
    BingoGame(MemberTable &members, RandomGenerator &random, QObject *parent = nullptr);

    // This window's player and the host named on its command line; the
    // window hosts when the two are the same.
    void SetNames(const QString &myName, const QString &hostName);
    bool IsHost() const { return m_isHost; }
    bool InProgress() const { return m_inProgress; }
    const NumberCaller &Caller() const { return m_caller; }
    // What the caller's display shows now: the round's calls and, from the
    // win record to the next round, its winner.
    CallerText::View View() const;
    // While on, every number called (or caught up on) is to be marked on the
    // cards; switching it on asks for every number already called.
    void SetAutoMark(bool on);

    // Carries out one command record as delivered by the link. Records that
    // do not read are ignored without a message.
    void EvalCommand(const QString &Data);
    // A chat command, the chat line after its "/".
    void RunChatCommand(const QString &Data);
    // One tick of the host's calling: draws and sends one new number.
    void CallNext();

    // A player joined or left, as the link's "[Enter]" and "[Exit]" say.
    void PlayerJoined(const QString &name);
    void PlayerLeft(const QString &name);
    // The window joins its game afresh: the game lists its players again.
    void Rejoining() { m_players.clear(); }

    // A line typed into the chat input that starts with "/": the line that
    // tells this player why it is not run, or nothing when it may be sent.
    std::optional<QString> RefuseChatCommand(const QString &typed) const;

    // The line to claim with: of the complete lines on the cards (each five
    // numbers as shown), one whose numbers have all been called, the last
    // reported one when it is such a line; when none is, the last reported.
    QStringList ClaimLine(const QList<QStringList> &complete, const QStringList &lastReported) const;

signals:
    void Log(int MyType, const QString &Strin);
    void Send(const QString &record);
    // Number n has been called: it turns green on the board.
    void NumberCalled(int n);
    // A round begins here: clear the board, deal new cards and start their
    // checks, and show the host's interval text.
    void GameStarted(const QString &seconds);
    // The round is over (won, or its host left): stop calling, disable
    // BINGO!, stop the cards' checks.
    void RoundOver();
    // Every number has been called: the host's calling stops.
    void CallingDone();
    // A win record came: the winner and their total, as received.
    void Won(const QString &name, const QString &total);
    // Words to say aloud for a call record or a win ("Forty-two"); the
    // numbers of a catch-up are not said.
    void Speak(const QString &words);
    // The caller's display changed: a call, a catch-up, a win, a new round.
    void ViewChanged();
    // Auto-marking asks the cards to mark n.
    void MarkOnCards(int n);

private:
    void startRound(const QString &seconds);
    void markCalled(int n);
    void catchUp(const QString &seconds, const QStringList &numbers);
    void judgeClaim(const QString &claimant, const QStringList &items);
    void sayClaimRefused(const QString &why, const QStringList &detail);

    MemberTable &m_members;
    RandomGenerator &m_random;
    NumberCaller m_caller;
    QString m_myName;
    QString m_hostName;
    QString m_seconds; // the interval text of the round, as the host typed it
    QString m_winnerName, m_winnerTotal;
    QStringList m_players;
    bool m_joined = false;
    bool m_isHost = false;
    bool m_inProgress = false;
    bool m_claimAccepted = false;
    bool m_allCalledSaid = false;
    bool m_autoMark = false;
};
