#pragma once
// The game window. Every player, host or not, sees the same window: the
// board of called numbers, two cards, New Game and BINGO!, the calling
// interval, the player list, the chat log and the chat input. The window
// takes its collaborators in its constructor; Startup() joins the game.

#include "card/cardowner.h"
#include "game/members.h"
#include "game/tallyfile.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>

class BingoGame;
class CallerDisplay;
class ChatLog;
class GameLink;
class LayoutScaler;
class MessageBoxes;
class NumberBoard;
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
    QString commandLine;   // the arguments after the program's name, joined by single spaces
    QString programFile = {};    // the running program file's full path, as it is on disk
    QString registryFolder = {}; // the folder of the registry shared with the chat host
    QString dataFolder = {};     // where the tally file goes when the program's folder cannot be written
    Speaker *speaker = nullptr;  // says calls and wins aloud; none: the option stays off
    QString settingsFile = {};   // the options' INI file; empty: the user's own settings
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

    explicit frmMain(const WindowContext &context, QWidget *parent = nullptr);
    ~frmMain() override;

    // Runs start-up. Nothing means: show the window and play. A value means
    // the program ends now with that exit status (failed join, registration).
    std::optional<int> Startup();

    void AddText(int MyType, const QString &Strin);
    void EvalCommand(const QString &Data);
    void SendCommand(const QString &Data);
    void RunChatCommand(const QString &Data);

    // CardOwner
    void SetWin(const QString &MyVal1, const QString &MyVal2, const QString &MyVal3,
                const QString &MyVal4, const QString &MyVal5) override;
    bool ClaimAllowed() const override;
    void EnableBingo() override;

    // Opens the caller's display, or brings it to the front.
    void ShowCallerDisplay();
    WindowOptions &Options() const { return *m_options; }

signals:
    // Shutdown has run: the tallies were saved.
    void ShutdownFinished();
    // A line was added to the chat log.
    void LineAdded(int MyType, const QString &line);

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void buildControls();
    void buildPlayerAids(const WindowContext &context);
    void setBingoLit(bool lit);
    void showWin(const QString &name, const QString &total);
    void addPlayer(const QString &name);
    void BuildNumberBoard();
    void Shutdown();
    void LoadMembers();
    void SaveTallies();
    std::optional<int> RegistrationRun();
    bool SendToGame(const QString &key, const QString &messageText);
    void onTextReceived(const QString &Sender, const QString &Data);
    void onChatEntered();
    void onNewGameClicked();
    void onBingoClicked();
    void onGameStarted(const QString &seconds);
    void onRoundOver();
    void linkDown();
    void onRejoining();
    void onReconnected();
    template <typename Step> bool runStep(Step step);

    MessageBoxes &m_boxes;
    GameLink &m_link;
    RandomGenerator &m_random;
    QString m_programFolder;
    QString m_commandLine;
    QString m_programFile;
    QString m_registryFolder;
    QString m_dataFolder;

    TallyFile::Paths m_memFile;
    QString m_gameKey;
    QString m_myName;
    QString m_hostName;
    bool m_shutDown = false;
    std::array<QString, 5> m_winNums;
    MemberTable m_members;
    QList<QByteArray> m_lstMem;
    TallyFile m_tallyFile;
    BingoGame *m_game = nullptr;

    std::unique_ptr<NumberBoard> m_board;
    std::array<ctlCard *, 2> m_cards{};
    QPushButton *m_cmdNewGame = nullptr;
    QPushButton *m_cmdBingo = nullptr;
    QLineEdit *m_txtSec = nullptr;
    QListWidget *m_lstUsers = nullptr;
    ChatLog *m_rtbChatIn = nullptr;
    QLineEdit *m_txtChatOut = nullptr;
    QTimer *m_tmrHost = nullptr;

    WindowOptions *m_options = nullptr;
    QPointer<CallerDisplay> m_display;
    QLabel *m_lblWinBanner = nullptr;
    QTimer *m_tmrBanner = nullptr;
    std::unique_ptr<LayoutScaler> m_scaler;

    // While the link is down: what to restore when it is back, and after a
    // fresh join the players listed before it, not yet listed again.
    bool m_linkDown = false;
    struct
    {
        bool calling = false;
        bool bingo = false;
        QStringList listed;
    } m_whenBack;
};
