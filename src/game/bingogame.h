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
// A round is played in the stages of its plan (Plan), which the host's
// game announces; a win of a stage that is not the last leaves the round in
// progress, with the next stage played. A game whose host announces no plan
// plays one stage, any line.
//
// A message the link does not take (it has ended) is told in the log, so no
// typed line or claim vanishes without a word.

#include "card/cardmodel.h"
#include "game/callertext.h"
#include "game/logkind.h"
#include "game/newskind.h"
#include "game/numbercaller.h"
#include "game/plan.h"
#include "game/roundstore.h"

#include <QHash>
#include <QObject>
#include <QSet>
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
    // The plan the host's next round is played by.
    void SetPlan(const Plan &plan) { m_nextPlan = plan; }
    // The plan of this round, and the stage played (1 to its count; one
    // more once the last is won).
    const Plan &RoundPlan() const { return m_plan; }
    int Stage() const { return m_stage; }
    // The sets a card must hold to win the stage played: none once every
    // stage is won.
    std::span<const CardCells::Set> StageShapes() const;
    // The host's game hears that a player's window is of an earlier
    // release, which plays the first stage only: said once per game, when
    // the plan has more. A claim that names no stage tells it too.
    void EarlierReleasePresent(const QString &name);
    // The host's own cards as dealt, kept with the round.
    void SetCards(const QList<QList<int>> &cards);
    // The host closes the game for good: everyone is told, nothing is kept.
    void EndGame();

    // The room as the hub last told it: whether it runs one at all (it takes
    // the host's requests), whether the game is locked to newcomers and the
    // calling paused, and whose chat is muted.
    struct RoomState
    {
        bool runs = false;
        bool locked = false;
        bool paused = false;
        QStringList muted;
    };
    const RoomState &Room() const { return m_room; }
    // The host runs the room. Each asks the hub and takes effect when the
    // hub says it has (RoomChanged); with a hub that runs no room, the log
    // says so, and pausing pauses this window's own calling only.
    void RemovePlayer(const QString &name);
    void SetLocked(bool locked);
    void SetPaused(bool paused);

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

    // Cards the host can check (bingogamecards.cpp). The host's game sends
    // a new seed before each New Game and judges a claim on the claimant's
    // cards as dealt from it; a latecomer gets a seed of its own in the
    // catch-up. While only checked cards win (the default), the claim of a
    // player whose window never said it deals from the seed is refused;
    // otherwise it is judged on its calls alone and its win says so.
    void SetOnlyCheckedCardsWin(bool on) { m_onlyChecked = on; }
    bool OnlyCheckedCardsWin() const { return m_onlyChecked; }
    // The seed this player's cards come from; empty when the host sent none.
    QString DealSeed() const { return m_dealSeed; }
    // The seed paper cards are printed from: the round's while one is in
    // progress, else the next round's, drawn now and sent at New Game.
    QString PaperSeed();
    // The host's paper card `number`: the first set of the stage played that
    // it holds in called numbers (its numbers in cell order), or nothing;
    // always nothing without a seed.
    std::optional<QList<int>> PaperCardLine(int number) const;
    // The host confirms paper card `number`'s win: judged as a claim of it.
    void ConfirmPaperWin(int number);

signals:
    void Log(LogKind kind, const QString &line);
    // Something a player hears of without reading the log (see NewsKind);
    // text is the plain words, without the log's "** ".
    void News(NewsKind kind, const QString &text);
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
    // The plan or the stage played changed: the cards check for its pattern.
    void StageChanged();
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
    // This player's cards as dealt from the seed, right after GameStarted or
    // when a catch-up brings a seed of its own: show them, with no marks.
    void CardsDealt(const QList<CardModel::Numbers> &cards);
    // The host typed "/remove NAME": the window asks first, then calls
    // RemovePlayer.
    void RemoveAsked(const QString &name);
    // Room() changed.
    void RoomChanged();

private:
    void carryOut(const CommandRecord &record);
    void startRound(const QString &seconds);
    void markCalled(int n);
        void catchUp(const QString &seconds, const QStringList &numbers, const QString &seed);
        // The refusal of a claim that the card check fails, as the refusal
    // record's WHY and DETAIL; nothing when it passes.
    std::optional<std::pair<QString, QStringList>> refuseOnCard(const QString &claimant, const QStringList &items,
                                                                int stage) const;
    bool cardChecked(const QString &claimant) const;
    void takeSeed(const QString &seed);
    void dealFromSeed(const QString &seed);
    void seedRound();
    QString seedFor(const QString &latecomer);
    void declared(const QString &name);
    void forgetSeat(const QString &name);
    void sayUncheckedPlayers();
    void won(const QString &name, const QString &total, int stage, bool cardUnchecked);
    void stageWon(const QString &name, const QString &total, int stage, const QString &unchecked);
    void takePlan(int stage, const QStringList &tokens);
    // "the first stage" while a plan of several stages has a winner; else empty.
    QString winningStage() const;
    void announcePlan();
    void judgeClaim(const QString &claimant, const QStringList &items, int stage);
    // Why a claim's numbers do not win `stage`, as a refusal's words and
    // detail; nothing when they do.
    std::optional<QStringList> refuseNumbers(const QStringList &items, int stage) const;
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
    // The room: the host's typed commands (true when the line was one),
    // its requests, and what the hub says of it.
    bool runRoomCommand(const QString &typed);
    void askRoom(const QString &verb, const QString &name = {});
    void roomChanged(const QString &verb, const QString &name);
    // Applies what the hub says to Room(): the log line it makes (empty:
    // nothing to say), or nothing for a word this window does not know.
    std::optional<QString> applyToRoom(const QString &verb, const QString &name);
    void repeatCall();

    GameLink &m_link;
    MemberTable &m_members;
    RandomGenerator &m_random;
    NumberCaller m_caller;
    QString m_myName;
    QString m_hostName;
    QString m_seconds; // the interval text of the round, as the host typed it
    QString m_winnerName, m_winnerTotal;
    Plan m_plan; // this round's, as announced
    Plan m_nextPlan; // host: the plan of its next round
    int m_stage = 1; // the stage played, as announced
    int m_wonStage = 0; // the stage of the last win record; 0: none this round
    QStringList m_stageWinners; // who won it, each once
    StageJudge m_judge; // host: the claims' stages
    bool m_earlierSaid = false;
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
    bool m_allCalledSaid = false;
    bool m_autoMark = false;
    bool m_linkAway = false; // between a break of this player's link and its return
    const RoundStore *m_store = nullptr;
    QList<QList<int>> m_cards; // the host's own, kept with the round
    QStringList m_toTellBack; // players of a resumed round not yet told the host is back
    bool m_keepFailedSaid = false;
    bool m_onlyChecked = true;
    QString m_nextSeed; // announced for the next New Game
    QString m_preparedSeed; // host: drawn for paper cards before the round it serves
    QString m_dealSeed; // this player's cards come from it; the host's: the round's
    QHash<QString, QString> m_seedOf; // host: each player's seed this round, by name key
    QSet<QString> m_declared; // host: the players who deal from the seed, by name key
    QHash<QString, int> m_seededAt; // host: the count of calls when a latecomer got its seed, by name key
    QHash<QString, int> m_uncheckedSeen; // host: undeclared players, by name key: 1 seen, 2 told
    RoomState m_room;
    RoomState m_roomBefore; // while the hub tells all that holds: what held before, said already
    bool m_intervalNoteSaid = false; // this round's note on an edited interval
};
