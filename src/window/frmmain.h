#pragma once
// The game window. Every player, host or not, sees the same window: the
// board of called numbers, two cards, New Game and BINGO!, the calling
// interval, the player list, the chat log and the chat input. The window
// takes its collaborators in its constructor; Startup() joins the game.

#include "card/cardowner.h"
#include "game/members.h"
#include "game/tallyfile.h"

#include <QStringList>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>

class BingoGame;
class ChatLog;
class GameLink;
class MessageBoxes;
class NumberBoard;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;
class RandomGenerator;
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
};

class frmMain : public QWidget, public CardOwner
{
    Q_OBJECT
public:
    static inline const QString Caption = QStringLiteral("Kalumo Bingo");
    // How long start-up waits for the game to confirm the join.
    static constexpr int JoinAnswerMs = 10000;

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

signals:
    // Shutdown has run: the tallies were saved.
    void ShutdownFinished();
    // A line was added to the chat log.
    void LineAdded(int MyType, const QString &line);

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void buildControls();
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

    QString m_memFile;
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
