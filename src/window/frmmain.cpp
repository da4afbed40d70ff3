#include "window/frmmain.h"

#include "card/ctlcard.h"
#include "game/bingogame.h"
#include "game/commandrecord.h"
#include "game/interval.h"
#include "link/gamelink.h"
#include "link/linkrecord.h"
#include "window/designunits.h"
#include "window/chatlog.h"
#include "window/layoutscaler.h"
#include "support/messageboxes.h"
#include "support/playername.h"
#include "window/numberboard.h"
#include "game/routing.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

frmMain::frmMain(const WindowContext &context, QWidget *parent)
    : QWidget(parent)
    , m_boxes(context.boxes)
    , m_link(context.link)
    , m_random(context.random)
    , m_programFolder(context.programFolder)
    , m_commandLine(context.commandLine)
    , m_programFile(context.programFile)
    , m_registryFolder(context.registryFolder)
    , m_dataFolder(context.dataFolder)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(Caption);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    m_game = new BingoGame(m_members, m_random, this);
    m_board = std::make_unique<NumberBoard>(*this);
    buildControls();

    connect(m_game, &BingoGame::Log, this, &frmMain::AddText);
    connect(m_game, &BingoGame::Send, this, &frmMain::SendCommand);
    connect(m_game, &BingoGame::NumberCalled, this, [this](int n) { m_board->SetCalled(n, true); });
    connect(m_game, &BingoGame::GameStarted, this, &frmMain::onGameStarted);
    connect(m_game, &BingoGame::RoundOver, this, &frmMain::onRoundOver);
    connect(m_game, &BingoGame::CallingDone, this, [this] {
        m_tmrHost->stop();
        m_whenBack.calling = false;
    });
    connect(m_tmrHost, &QTimer::timeout, m_game, &BingoGame::CallNext);
    connect(m_cmdNewGame, &QPushButton::clicked, this, &frmMain::onNewGameClicked);
    connect(m_cmdBingo, &QPushButton::clicked, this, &frmMain::onBingoClicked);
    connect(&m_link, &GameLink::TextReceived, this, &frmMain::onTextReceived);
    connect(&m_link, &GameLink::Reconnecting, this, [this](const QString &reason) {
        AddText(2, QStringLiteral("** The link to the game was lost (%1); reconnecting\u2026").arg(reason));
        linkDown();
    });
    connect(&m_link, &GameLink::Rejoining, this, &frmMain::onRejoining);
    connect(&m_link, &GameLink::Reconnected, this, &frmMain::onReconnected);
    connect(&m_link, &GameLink::LinkLost, this, [this](const QString &reason) {
        AddText(2, QStringLiteral("** The link to the game could not be restored (%1). You may close the window.").arg(reason));
        linkDown();
    });
    connect(&m_link, &GameLink::Refused, this, [this](const QString &reason) {
        AddText(2, QStringLiteral("** The game refused this window: ") + reason);
        linkDown();
    });
    buildPlayerAids(context);
}

frmMain::~frmMain() = default;

void frmMain::buildControls()
{
    auto label = [this](const QString &name, const QString &caption, const QRect &place) {
        auto *l = new QLabel(caption, this);
        l->setObjectName(name);
        l->setGeometry(place);
        return l;
    };

    for (int i : {0, 1}) {
        m_cards[i] = new ctlCard(*this, m_random, this);
        m_cards[i]->setObjectName(QStringLiteral("Card%1").arg(i));
        m_cards[i]->move(i == 0 ? DesignUnits::Point(120, 2880) : DesignUnits::Point(5160, 0));
    }

    m_cmdNewGame = new QPushButton(QStringLiteral("New Game"), this);
    m_cmdNewGame->setObjectName(QStringLiteral("cmdNewGame"));
    m_cmdNewGame->setGeometry(DesignUnits::Rect(3480, 2880, 1455, 255));
    m_cmdNewGame->setEnabled(false);

    m_cmdBingo = new QPushButton(QStringLiteral("BINGO!"), this);
    m_cmdBingo->setObjectName(QStringLiteral("cmdBingo"));
    m_cmdBingo->setGeometry(DesignUnits::Rect(3480, 3120, 1455, 315));
    m_cmdBingo->setEnabled(false);
    // Neither button is pressed by a key typed while it has focus by chance:
    // they take focus only from Tab, and neither is a default button.
    for (QPushButton *button : {m_cmdNewGame, m_cmdBingo}) {
        button->setFocusPolicy(Qt::TabFocus);
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    // "Calls @", the seconds and "Sec." read as one line: the first label
    // ends where the box begins, and both labels take the board's face, made
    // smaller where the installed face would not show the whole caption.
    QLabel *calls = label(QStringLiteral("Label1"), QStringLiteral("Calls @"), DesignUnits::Rect(3480, 3480, 600, 255));
    m_txtSec = new QLineEdit(QStringLiteral("10"), this);
    m_txtSec->setObjectName(QStringLiteral("txtSec"));
    m_txtSec->setGeometry(DesignUnits::Rect(4080, 3480, 255, 285));
    QLabel *sec = label(QStringLiteral("Label2"), QStringLiteral("Sec."), DesignUnits::Rect(4440, 3480, 615, 255));
    QFont intervalFont = NumberBoard::Font(8.25);
    while (intervalFont.pointSizeF() > 6
           && QFontMetrics(intervalFont).horizontalAdvance(calls->text()) > calls->width())
        intervalFont.setPointSizeF(intervalFont.pointSizeF() - 0.25);
    calls->setFont(intervalFont);
    sec->setFont(intervalFont);

    m_lstUsers = new QListWidget(this);
    m_lstUsers->setObjectName(QStringLiteral("lstUsers"));
    m_lstUsers->setGeometry(DesignUnits::Rect(3480, 3840, 1215, 2700));

    m_rtbChatIn = new ChatLog(this);
    m_rtbChatIn->setObjectName(QStringLiteral("rtbChatIn"));
    m_rtbChatIn->setGeometry(DesignUnits::Rect(4680, 3840, 3735, 2415));
    connect(m_rtbChatIn, &ChatLog::LineAdded, this, &frmMain::LineAdded);

    m_txtChatOut = new QLineEdit(this);
    m_txtChatOut->setObjectName(QStringLiteral("txtChatOut"));
    m_txtChatOut->setGeometry(DesignUnits::Rect(4680, 6240, 3735, 285));
    connect(m_txtChatOut, &QLineEdit::returnPressed, this, &frmMain::onChatEntered);
    // Typing goes to the chat from the moment the window opens.
    m_txtChatOut->setFocus();

    m_tmrHost = new QTimer(this);
    m_tmrHost->setObjectName(QStringLiteral("tmrHost"));
    m_tmrHost->setInterval(10000);
}

void frmMain::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    // The grey frame right of and below the number board.
    QPainter painter(this);
    painter.translate(m_scaler->Offset());
    painter.scale(m_scaler->Factor(), m_scaler->Factor());
    painter.setPen(QPen(QColor(192, 192, 192), 2));
    painter.drawLine(DesignUnits::Point(5040, 0), DesignUnits::Point(5040, 2760));
    painter.drawLine(DesignUnits::Point(0, 2760), DesignUnits::Point(5040, 2760));
}

void frmMain::BuildNumberBoard()
{
    m_board->Build();
    m_board->SetToolTip(QStringLiteral("Right-click for the options; F2 opens the caller's display."));
}


bool frmMain::SendToGame(const QString &key, const QString &messageText)
{
    return m_link.SendText(LinkRecord::Message(key, messageText));
}

void frmMain::SendCommand(const QString &Data)
{
    SendToGame(m_gameKey, Routing::CommandMessage(Data));
}

void frmMain::AddText(int MyType, const QString &Strin)
{
    m_rtbChatIn->AddText(MyType, Strin);
}

void frmMain::EvalCommand(const QString &Data)
{
    m_game->EvalCommand(Data);
}

void frmMain::RunChatCommand(const QString &Data)
{
    m_game->RunChatCommand(Data);
}

void frmMain::onNewGameClicked()
{
    const bool proceed = m_boxes.Question(QStringLiteral("Confirm"),
                                          QStringLiteral("Starting a new game will end any game in progress, Proceede?"));
    // Whatever the answer, the next key typed belongs to the chat.
    m_txtChatOut->setFocus();
    if (!proceed)
        return;
    m_tmrHost->stop();
    SendCommand(CommandRecord::StartGame(m_txtSec->text()));
    // An interval of 0 never ticks: the game starts, but nothing is called.
    const int interval = Interval::Milliseconds(m_txtSec->text());
    m_tmrHost->setInterval(interval);
    if (interval > 0)
        m_tmrHost->start();
}

void frmMain::onBingoClicked()
{
    QList<QStringList> complete;
    for (const ctlCard *card : m_cards)
        complete += card->CompleteLines();
    const QStringList line = m_game->ClaimLine(complete, QStringList(m_winNums.begin(), m_winNums.end()));
    SendCommand(CommandRecord::MakeClaim(m_myName, line));
    m_txtChatOut->setFocus();
}

void frmMain::onGameStarted(const QString &seconds)
{
    m_board->SetAllUncalled();
    for (ctlCard *card : m_cards) {
        card->ResetMarks();
        card->GenNumbers();
        card->MyWin(true);
    }
    m_txtSec->setText(seconds);
}

void frmMain::onRoundOver()
{
    m_tmrHost->stop();
    m_whenBack.calling = m_whenBack.bingo = false;
    setBingoLit(false);
    for (ctlCard *card : m_cards)
        card->MyWin(false);
}

void frmMain::onChatEntered()
{
    // A command that would not run anywhere is not sent: only its typist hears why.
    if (const std::optional<QString> refusal = m_game->RefuseChatCommand(m_txtChatOut->text())) {
        AddText(4, *refusal);
        m_txtChatOut->clear();
        return;
    }
    SendToGame(m_gameKey, Routing::ChatMessage(m_txtChatOut->text()));
    m_txtChatOut->clear();
}

void frmMain::onTextReceived(const QString &Sender, const QString &Data)
{
    const Routing::Route route = Routing::RouteDelivery(Sender, Data);
    if (!Routing::SenderMayAct(route, Sender, m_hostName))
        return;
    switch (route.action) {
    case Routing::Action::AddPlayer:
        addPlayer(route.text);
        if (!m_whenBack.listed.removeOne(route.text))
            AddText(route.logType, route.text + QStringLiteral(" has joined the game."));
        m_game->PlayerJoined(route.text);
        break;
    case Routing::Action::RemovePlayer:
        for (int row = 0; row < m_lstUsers->count(); ++row) {
            if (m_lstUsers->item(row)->data(Qt::UserRole).toString() == route.text) {
                delete m_lstUsers->takeItem(row);
                AddText(route.logType, route.text + QStringLiteral(" has left the game."));
                m_game->PlayerLeft(route.text);
                break;
            }
        }
        break;
    case Routing::Action::Log:
        AddText(route.logType, route.text);
        break;
    case Routing::Action::ChatCommand:
        RunChatCommand(route.text);
        break;
    case Routing::Action::Command:
        EvalCommand(route.text);
        break;
    case Routing::Action::Ignore:
        break;
    }
}

void frmMain::SetWin(const QString &MyVal1, const QString &MyVal2, const QString &MyVal3,
                     const QString &MyVal4, const QString &MyVal5)
{
    m_winNums = {MyVal1, MyVal2, MyVal3, MyVal4, MyVal5};
}

bool frmMain::ClaimAllowed() const
{
    return m_game->InProgress();
}

void frmMain::EnableBingo()
{
    if (m_linkDown)
        m_whenBack.bingo = true;
    else
        setBingoLit(true);
}

void frmMain::linkDown()
{
    // Nothing the player does while away could reach the game in time: the
    // buttons wait, and so does the host's calling.
    if (!m_linkDown)
        m_whenBack = {m_tmrHost->isActive(), m_cmdBingo->isEnabled(), {}};
    m_linkDown = true;
    m_tmrHost->stop();
    m_cmdNewGame->setEnabled(false);
    setBingoLit(false);
}

void frmMain::onRejoining()
{
    // The game lists who is there again; those already listed are not
    // announced twice.
    for (int row = 0; row < m_lstUsers->count(); ++row)
        m_whenBack.listed << m_lstUsers->item(row)->data(Qt::UserRole).toString();
    m_lstUsers->clear();
    m_game->Rejoining();
}

void frmMain::onReconnected()
{
    for (const QString &name : std::as_const(m_whenBack.listed))
        AddText(2, name + QStringLiteral(" has left the game."));
    m_whenBack.listed.clear();
    m_linkDown = false;
    m_cmdNewGame->setEnabled(m_game->IsHost());
    setBingoLit(m_whenBack.bingo);
    if (m_whenBack.calling)
        m_tmrHost->start();
    AddText(2, QStringLiteral("** Back in the game."));
}
