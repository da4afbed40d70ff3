// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One player's side of the game, without a window: it takes every delivery
// from the game link, decides what it means (ReadDelivery, Counts) and
// carries it out, draws the host's numbers and judges claims, follows who is
// in the game, sends what its player does, and says through signals what a
// window must show. A window and a computer player only react to those
// signals; every decision is made here.
//
// A round is in progress from the new-game record (or a catch-up for this
// player) to the win-confirmed record, or until the host leaves; while it is,
// a card's complete line may enable BINGO!, in every window. Every game keeps
// the numbers called in the round, but only the host's judges claims: it
// accepts one claim per round and answers every other claim with a refusal
// meant for the claimant alone.
//
// A message the link does not take (it has ended) is told in the log, so no
// typed line or claim vanishes without a word.

#include "game/callertext.h"
#include "game/logkind.h"
#include "game/numbercaller.h"
#include "game/roundstore.h"

#include <QObject>
#include <QStringList>
#include <optional>

class GameLink;
class MemberTable;
class RandomGenerator;
struct CommandRecord;

class BingoGame : public QObject
{
    Q_OBJECT
public:
    // Takes the link's deliveries and changes from here on.
    BingoGame(GameLink &link, MemberTable &members, RandomGenerator &random, QObject *parent = nullptr);

    // This player and the host named on the command line; the player hosts
    // when the two are the same.
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

    // The host's game keeps its round in `store` after every change (null:
    // nowhere). ResumeRound takes up the round kept there before this
    // window joins: the numbers called, the winner, the host's cards and the
    // interval, without a new deal; once joined, every player of that round
    // is caught up and told that the host is back. A kept round that cannot
    // be read is said in the log, and play starts afresh.
    void KeepRoundIn(const RoundStore *store) { m_store = store; }
    std::optional<RoundState> ResumeRound();
    // The host's own cards as dealt, kept with the round.
    void SetCards(const QList<QList<int>> &cards);
    // The host closes the game for good: everyone is told, nothing is kept.
    void EndGame();

    // One delivery from the link: the sender and the message text, or
    // "[Enter]" / "[Exit]" and a player's name.
    void Deliver(const QString &sender, const QString &data);

    // What this player does. A line typed into the chat: a chat command that
    // would not run is not sent, and its refusal is logged instead.
    void SendChatLine(const QString &typed);
    // The host starts a round, with the interval text as typed.
    void StartNewGame(const QString &seconds);
    // BINGO!: claims with one of the complete lines on the cards (each its
    // numbers in cell order) whose numbers have all been called: the last
    // reported one when it is such a line; when none is, the last reported.
    void Claim(const QList<QList<int>> &complete, const QList<int> &lastReported);
    // One tick of the host's calling: draws and sends one new number.
    void CallNext();
    // The host edited the interval text. A round keeps the pace it started
    // with, so during one the log says, once per round, that the new
    // interval applies from the next game.
    void IntervalEdited(const QString &typed);

signals:
    void Log(LogKind kind, const QString &line);
    // The player list: a player came, the first listed of that name went,
    // or the list starts afresh (the link joined the game anew).
    void PlayerJoined(const QString &name);
    void PlayerLeft(const QString &name);
    void PlayersCleared();
    // The game confirmed this player's own join, once.
    void Joined();
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
    // The link is away (reconnecting) or has ended: nothing the player does
    // reaches the game now. LinkBack: the link is back in the game.
    void LinkDown();
    void LinkBack();
    // What the window shows about its own link: "Reconnecting…" while it is
    // away, empty once it is back.
    void LinkStatus(const QString &status);
    // A listed player lost its link and may come back (away), or is back.
    void PlayerAway(const QString &name, bool away);
    // This player's chat lines and claims that the game has not echoed yet,
    // as log lines, oldest first; empty once all came back.
    void PendingChanged(const QStringList &lines);
    // The host ended the game: nothing more will come.
    void GameEnded();

private:
    void carryOut(const CommandRecord &record);
    void startRound(const QString &seconds);
    void markCalled(int n);
    void won(const QString &name, const QString &total);
    void catchUp(const QString &seconds, const QStringList &numbers);
    void judgeClaim(const QString &claimant, const QStringList &items);
    void sayClaimRefused(const QString &why, const QStringList &detail);
    void playerEntered(const QString &name);
    void playerExited(const QString &name);
    void linkDown(const QString &line, const QString &status);
    void presenceChanged(const QString &name, bool away);
    void clearAway();
    void echoed(const QString &data);
    void showPending();
    void rejoining();
    void reconnected();
    // A chat command typed by this player: the line that tells why it is not
    // run, or nothing when it may be sent.
    std::optional<QString> refuseChatCommand(const QString &typed) const;
    // Sends a message text; with a log line, it is pending until it comes back.
    void send(const QString &messageText, const QString &pendingLine = {});
    void sendCommand(const QString &record);
    void keepRound();
    void tellHostBack(const QString &name);

    GameLink &m_link;
    MemberTable &m_members;
    RandomGenerator &m_random;
    NumberCaller m_caller;
    QString m_myName;
    QString m_hostName;
    QString m_seconds; // the interval text of the round, as the host typed it
    QString m_winnerName, m_winnerTotal;
    QStringList m_players;
    QStringList m_listedBefore; // after a fresh join: those listed before it, not yet listed again
    QStringList m_away; // listed players whose link is away
    QStringList m_awayBefore; // away when this player's own link broke: not announced again
    struct Pending
    {
        QString messageText, line;
    };
    QList<Pending> m_pending; // sent, not yet echoed, in the order sent
    bool m_joined = false;
    bool m_isHost = false;
    bool m_inProgress = false;
    bool m_claimAccepted = false;
    bool m_allCalledSaid = false;
    bool m_autoMark = false;
    bool m_linkAway = false; // between a break of this player's link and its return
    const RoundStore *m_store = nullptr;
    QList<QList<int>> m_cards; // the host's own, kept with the round
    QStringList m_toTellBack; // players of a resumed round not yet told the host is back
    bool m_keepFailedSaid = false;
    bool m_intervalNoteSaid = false; // this round's note on an edited interval
};
