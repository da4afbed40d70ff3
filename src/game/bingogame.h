#pragma once
// One window's side of the game, without the window: it carries out the
// command records, draws the host's numbers and judges claims, and says
// through signals what the window must show or send. The window renders;
// every decision is made here.
//
// A game is in progress from the new-game record to the win-confirmed
// record; while it is, a card's complete line may enable BINGO!, in every
// window. The host's window accepts one claim per game: once it has sent a
// win, further claims of that game are refused, so a second press of BINGO!
// never counts twice.

#include "game/numbercaller.h"

#include <QObject>

class MemberTable;
class RandomGenerator;

class BingoGame : public QObject
{
    Q_OBJECT
public:
    BingoGame(MemberTable &members, RandomGenerator &random, QObject *parent = nullptr);

    void SetHost(bool isHost) { m_isHost = isHost; }
    bool IsHost() const { return m_isHost; }
    bool InProgress() const { return m_inProgress; }
    const NumberCaller &Caller() const { return m_caller; }

    // Carries out one command record as delivered by the link. Records that
    // do not read are ignored without a message.
    void EvalCommand(const QString &Data);
    // A chat command, the chat line after its "/".
    void RunChatCommand(const QString &Data);
    // One tick of the host's calling: draws and sends one new number.
    void CallNext();

signals:
    void Log(int MyType, const QString &Strin);
    void Send(const QString &record);
    // Number n has been called: it turns green on the board.
    void NumberCalled(int n);
    // A new game: clear the board, deal new cards and start their checks,
    // and show the host's interval text.
    void GameStarted(const QString &seconds);
    // The game is won: stop calling, disable BINGO!, stop the cards' checks.
    void GameWon();
    // Every number has been called: the host's calling stops.
    void CallingDone();

private:
    void judgeClaim(const QString &claimant, const QStringList &items);

    MemberTable &m_members;
    RandomGenerator &m_random;
    NumberCaller m_caller;
    bool m_isHost = false;
    bool m_inProgress = false;
    bool m_claimAccepted = false;
};
