// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game window. Every player, host or not, sees the same window: the
// board of called numbers, two cards, New Game and BINGO!, the calling
// interval, the player list, the chat log and the chat input. The window
// takes its collaborators in its constructor; Startup() joins the game.
// What the game means is BingoGame's: the window shows what it reports and
// hands it what the player does.

#include "game/logkind.h"
#include "game/tallies.h"
#include "window/cardowner.h"

#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>

class AnnouncementView;
class Announcer;
class BingoGame;
class CallerDisplay;
class ChatLog;
class CommandLine;
class GameLink;
class LayoutScaler;
class MessageBoxes;
class NumberBoard;
class PatternPicture;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;
class RandomGenerator;
class Speaker;
class WindowOptions;
class ctlCard;

struct WindowContext
{
    MessageBoxes &boxes;
    GameLink &link;
    RandomGenerator &random;
    QString programFolder; // the folder of the running program file
    QString commandLine; // the arguments after the program's name, joined by single spaces
    QString programFile = {}; // the running program file's full path, as it is on disk
    QString registryFolder = {}; // the folder of the registry shared with the chat host
    QString dataFolder = {}; // where the tally file goes when the program's folder cannot be written
    Speaker *speaker = nullptr; // says calls and wins aloud; none: the option stays off
    QString settingsFile = {}; // the options' INI file; empty: the user's own settings
    QString hostSecret = {}; // proves the host to a hub that holds one game; empty: none
    QString invitation = {}; // the line others join this game with; set: the menu offers to copy it
    QString stateFolder = {}; // where the host's window keeps its round; empty: nowhere
    QString browserLink = {}; // the game's link for browser players, shown to invite them; empty: none
};

class frmMain : public QWidget, public CardOwner
{
    Q_OBJECT
public:
    static inline const QString Caption = QStringLiteral("Kalumo Bingo");
    // How long start-up waits for the game to confirm the join.
    static constexpr int JoinAnswerMs = 10000;
    // How long the banner over the board shows a win.
    static constexpr int BannerMs = 6000;
    // How long the host's save after a win waits for another window's save.
    static constexpr int WinSaveWaitMs = 200;

    explicit frmMain(const WindowContext &context, QWidget *parent = nullptr);
    ~frmMain() override;

    // Runs start-up. Nothing means: show the window and play. A value means
    // the program ends now with that exit status (failed join, registration).
    std::optional<int> Startup();

    // Adds one line to the chat log.
    void AddText(LogKind kind, const QString &line);

    // CardOwner
    void LineComplete(const QList<int> &numbers) override;
    bool ClaimAllowed() const override;
    void EnableBingo() override;
    std::span<const CardCells::Set> StageShapes() const override;

    // Closes without a question and without ending the game (a signal, a
    // logout): a host's window started again carries on its round.
    void CloseKeepingGame();

    // Opens the caller's display, or brings it to the front.
    void ShowCallerDisplay();
    // The browser link as a QR code; only a window that has one offers it.
    void ShowInvitation();
    // "Plan…": the host chooses, and the window remembers, the plan of the
    // rounds New Game starts.
    void ChoosePlan();
    WindowOptions &Options() const { return *m_options; }
    // Moves the window, before it is shown, wholly inside `available` (its
    // screen's free area) in cascade slot `slot`, or to where it last
    // closed while it fits there. Its place is remembered when it closes.
    void PlaceOn(const QRect &available, int slot);

signals:
    // Shutdown has run: the tallies were saved.
    void ShutdownFinished();
    // A line was added to the chat log.
    void LineAdded(LogKind kind, const QString &line);

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void followGame();
    void buildPlayerAids(const WindowContext &context);
    void buildStageAids();
    // The stage played and its pattern, over the cards, in a plan of several.
    void showStage();
    // What a screen reader hears as it happens, and the player's choice of it.
    void buildAnnouncements();
    // The window's accessible description names its player ("Ann, hosting").
    void describePlayer();
    void followCallerDisplay();
    void setBingoLit(bool lit);
    void showWin(const QString &name, const QString &total);
    // A player's line in the list: the name, isolated for either direction,
    // and its marks.
    static QString listedName(const QString &name, bool hosts, bool away);
    void addPlayer(const QString &name);
    void removePlayer(const QString &name);
    void Shutdown();
    // A piece of the command line; a missing one is shown in a box and is empty.
    QString piece(const CommandLine &line, int index);
    // Checks the name and key, connects and joins: nothing when joined, else
    // the exit status.
    std::optional<int> join(const CommandLine &line);
    // Why the window is not in the game: nothing when it joined; an empty
    // text when the link number is missing or no number (its box was shown).
    std::optional<QString> joinProblem(const CommandLine &line);
    void onChatEntered();
    void onNewGameClicked();
    void onBingoClicked();
    void onGameStarted(const QString &seconds);
    void onRoundOver();
    void onLinkDown();
    void onLinkBack();
    // The line over the foot of the chat log: the link's state and what was
    // sent and has not come back; the list's "(away)".
    void buildLinkStatus();
    void markAway(const QString &name, bool away);
    void showLinkStatus();
    void resumeRound();
    // The model keeps the host's cards with the round.
    void keepCards();
    void startCalling(const QString &seconds);
    // The room: the host's menu entries and player menu, and what every
    // window shows of it.
    void buildRoomControls();
    void showRoom();
    void pauseCalling(bool paused);
    void showPlayerMenu(const QPoint &at);
    void askRemove(const QString &name);

    MessageBoxes &m_boxes;
    GameLink &m_link;
    RandomGenerator &m_random;
    QString m_commandLine;
    QString m_programFile;
    QString m_registryFolder;
    QString m_hostSecret;
    QString m_stateFolder;
    QString m_browserLink;

    Tallies m_tallies;
    QString m_gameKey;
    QString m_myName;
    QString m_hostName;
    bool m_shutDown = false;
    bool m_keepGame = false; // closing leaves the game to go on
    std::unique_ptr<class RoundStore> m_roundStore;
    bool m_resumeCalling = false; // once joined, the kept round's calling goes on
    QList<int> m_lastLine; // the numbers of the line a card reported last
    BingoGame *m_game = nullptr;
    Announcer *m_announcer = nullptr;
    AnnouncementView *m_announcement = nullptr;

    std::unique_ptr<NumberBoard> m_board;
    std::array<ctlCard *, 2> m_cards{};
    QPushButton *m_newGameButton = nullptr;
    QPushButton *m_bingoButton = nullptr;
    QLineEdit *m_secondsBox = nullptr;
    QListWidget *m_playerList = nullptr;
    ChatLog *m_chatLog = nullptr;
    QLineEdit *m_chatInput = nullptr;
    QTimer *m_callTimer = nullptr;

    WindowOptions *m_options = nullptr;
    PatternPicture *m_stagePicture = nullptr;
    QLabel *m_stageLabel = nullptr;
    QPointer<CallerDisplay> m_display;
    QLabel *m_winBanner = nullptr;
    QTimer *m_bannerTimer = nullptr;
    QLabel *m_linkStatus = nullptr;
    QString m_linkState; // "Reconnecting…", or empty
    QStringList m_pendingLines; // sent, not yet back
    QTimer *m_pendingDelay = nullptr; // a line that comes back at once never shows as pending
    std::unique_ptr<LayoutScaler> m_scaler;

    QLabel *m_roomStatus = nullptr;
    class QAction *m_lockAction = nullptr;
    class QAction *m_pauseAction = nullptr;
    bool m_pausedCalling = false; // the host's calling waits for the pause to end

    // While the link is down: what to restore when it is back.
    bool m_linkDown = false;
    struct
    {
        bool calling = false;
        bool bingo = false;
    } m_whenBack;
};
