// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/frmmain.h"

#include "game/announcer.h"
#include "game/bingogame.h"
#include "game/interval.h"
#include "support/messageboxes.h"
#include "window/chatlog.h"
#include "window/ctlcard.h"
#include "window/designunits.h"
#include "window/layoutscaler.h"
#include "window/numberboard.h"

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
    , m_commandLine(context.commandLine)
    , m_programFile(context.programFile)
    , m_registryFolder(context.registryFolder)
    , m_hostSecret(context.hostSecret)
    , m_stateFolder(context.stateFolder)
    , m_browserLink(context.browserLink)
    , m_tallies(context.programFolder, context.dataFolder)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(Caption);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    m_game = new BingoGame(m_link, m_tallies.Members(), m_random, this);
    m_announcer = new Announcer(*m_game, this);
    m_board = std::make_unique<NumberBoard>(*this);
    buildControls();
    followGame();
    buildLinkStatus();
    buildPlayerAids(context);
    buildStageAids();
    buildRoomControls();
    buildAnnouncements();
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

    m_newGameButton = new QPushButton(QStringLiteral("New Game"), this);
    m_newGameButton->setObjectName(QStringLiteral("cmdNewGame"));
    m_newGameButton->setGeometry(DesignUnits::Rect(3480, 2880, 1455, 255));
    m_newGameButton->setEnabled(false);

    m_bingoButton = new QPushButton(QStringLiteral("BINGO!"), this);
    m_bingoButton->setObjectName(QStringLiteral("cmdBingo"));
    m_bingoButton->setGeometry(DesignUnits::Rect(3480, 3120, 1455, 315));
    m_bingoButton->setEnabled(false);
    // Neither button is pressed by a key typed while it has focus by chance:
    // they take focus only from Tab, and neither is a default button.
    for (QPushButton *button : {m_newGameButton, m_bingoButton}) {
        button->setFocusPolicy(Qt::TabFocus);
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    // "Calls @", the seconds and "Sec." read as one line: the first label
    // ends where the box begins, and both labels take the board's face, made
    // smaller where the installed face would not show the whole caption.
    QLabel *calls = label(QStringLiteral("Label1"), QStringLiteral("Calls @"), DesignUnits::Rect(3480, 3480, 600, 255));
    m_secondsBox = new QLineEdit(QStringLiteral("10"), this);
    m_secondsBox->setObjectName(QStringLiteral("txtSec"));
    m_secondsBox->setGeometry(DesignUnits::Rect(4080, 3480, 255, 285));
    connect(m_secondsBox, &QLineEdit::textEdited, m_game, &BingoGame::IntervalEdited);
    QLabel *sec = label(QStringLiteral("Label2"), QStringLiteral("Sec."), DesignUnits::Rect(4440, 3480, 615, 255));
    QFont intervalFont = NumberBoard::Font(8.25);
    while (intervalFont.pointSizeF() > 6
           && QFontMetrics(intervalFont).horizontalAdvance(calls->text()) > calls->width())
        intervalFont.setPointSizeF(intervalFont.pointSizeF() - 0.25);
    calls->setFont(intervalFont);
    sec->setFont(intervalFont);

    m_playerList = new QListWidget(this);
    m_playerList->setObjectName(QStringLiteral("lstUsers"));
    m_playerList->setGeometry(DesignUnits::Rect(3480, 3840, 1215, 2700));

    m_chatLog = new ChatLog(this);
    m_chatLog->setObjectName(QStringLiteral("rtbChatIn"));
    m_chatLog->setGeometry(DesignUnits::Rect(4680, 3840, 3735, 2415));
    connect(m_chatLog, &ChatLog::LineAdded, this, &frmMain::LineAdded);

    m_chatInput = new QLineEdit(this);
    m_chatInput->setObjectName(QStringLiteral("txtChatOut"));
    m_chatInput->setGeometry(DesignUnits::Rect(4680, 6240, 3735, 285));
    connect(m_chatInput, &QLineEdit::returnPressed, this, &frmMain::onChatEntered);
    // Typing goes to the chat from the moment the window opens.
    m_chatInput->setFocus();

    m_callTimer = new QTimer(this);
    m_callTimer->setObjectName(QStringLiteral("tmrHost"));
    m_callTimer->setInterval(10000);
    connect(m_callTimer, &QTimer::timeout, m_game, &BingoGame::CallNext);
    connect(m_newGameButton, &QPushButton::clicked, this, &frmMain::onNewGameClicked);
    connect(m_bingoButton, &QPushButton::clicked, this, &frmMain::onBingoClicked);
}

void frmMain::followGame()
{
    connect(m_game, &BingoGame::Log, this, &frmMain::AddText);
    connect(m_game, &BingoGame::PlayerJoined, this, &frmMain::addPlayer);
    connect(m_game, &BingoGame::PlayerLeft, this, &frmMain::removePlayer);
    connect(m_game, &BingoGame::PlayersCleared, m_playerList, &QListWidget::clear);
    connect(m_game, &BingoGame::NumberCalled, this, [this](int n) { m_board->SetCalled(n, true); });
    connect(m_game, &BingoGame::GameStarted, this, &frmMain::onGameStarted);
    connect(m_game, &BingoGame::CardsDealt, this, [this](const QList<CardModel::Numbers> &cards) {
        for (int c = 0; c < int(m_cards.size()); ++c) {
            const CardModel::Numbers numbers = cards.value(c); // one copy: its begin and end belong together
            m_cards[c]->ResetMarks();
            m_cards[c]->ShowNumbers(QList<int>(numbers.begin(), numbers.end()));
        }
        keepCards();
    });
    connect(m_game, &BingoGame::RoundOver, this, &frmMain::onRoundOver);
    connect(m_game, &BingoGame::CallingDone, this, [this] {
        m_callTimer->stop();
        m_whenBack.calling = false;
    });
    connect(m_game, &BingoGame::LinkDown, this, &frmMain::onLinkDown);
    connect(m_game, &BingoGame::LinkBack, this, &frmMain::onLinkBack);
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

void frmMain::AddText(LogKind kind, const QString &line) { m_chatLog->AddText(kind, line); }

void frmMain::onNewGameClicked()
{
    const bool proceed = m_boxes.Question(
        QStringLiteral("Confirm"), QStringLiteral("Starting a new game will end any game in progress, Proceede?"));
    // Whatever the answer, the next key typed belongs to the chat.
    m_chatInput->setFocus();
    if (!proceed)
        return;
    m_callTimer->stop();
    m_game->StartNewGame(m_secondsBox->text());
    startCalling(m_secondsBox->text());
}

void frmMain::startCalling(const QString &seconds)
{
    // An interval of 0 never ticks: the game starts, but nothing is called.
    const int interval = Interval::Milliseconds(seconds);
    m_callTimer->setInterval(interval);
    if (interval > 0 && m_game->Room().paused)
        m_pausedCalling = true; // the round waits for the host to resume the calling
    else if (interval > 0)
        m_callTimer->start();
}

void frmMain::onBingoClicked()
{
    QList<QList<int>> complete;
    for (const ctlCard *card : m_cards)
        complete += card->Model().CompleteLines(m_game->StageShapes());
    m_game->Claim(complete, m_lastLine);
    m_chatInput->setFocus();
}

void frmMain::onGameStarted(const QString &seconds)
{
    m_board->SetAllUncalled();
    for (ctlCard *card : m_cards) {
        card->ClearCalled();
        card->ResetMarks();
        card->GenNumbers();
        card->MyWin(true);
    }
    m_secondsBox->setText(seconds);
    keepCards();
}

void frmMain::keepCards()
{
    QList<QList<int>> dealt;
    for (const ctlCard *card : m_cards)
        dealt.append(QList<int>(card->Model().AllNumbers().begin(), card->Model().AllNumbers().end()));
    m_game->SetCards(dealt);
}

void frmMain::onRoundOver()
{
    m_callTimer->stop();
    m_whenBack.calling = m_whenBack.bingo = false;
    m_pausedCalling = false;
    setBingoLit(false);
    for (ctlCard *card : m_cards)
        card->MyWin(false);
}

void frmMain::onChatEntered()
{
    m_game->SendChatLine(m_chatInput->text());
    m_chatInput->clear();
}

void frmMain::LineComplete(const QList<int> &numbers) { m_lastLine = numbers; }

bool frmMain::ClaimAllowed() const { return m_game->InProgress(); }

std::span<const CardCells::Set> frmMain::StageShapes() const { return m_game->StageShapes(); }

void frmMain::EnableBingo()
{
    if (m_linkDown)
        m_whenBack.bingo = true;
    else
        setBingoLit(true);
}

void frmMain::onLinkDown()
{
    // Nothing the player does while away could reach the game in time: the
    // buttons wait, and so does the host's calling.
    if (!m_linkDown)
        m_whenBack = {m_callTimer->isActive(), m_bingoButton->isEnabled()};
    m_linkDown = true;
    m_callTimer->stop();
    m_newGameButton->setEnabled(false);
    setBingoLit(false);
}

void frmMain::onLinkBack()
{
    m_linkDown = false;
    m_newGameButton->setEnabled(m_game->IsHost());
    setBingoLit(m_whenBack.bingo);
    if (m_whenBack.calling)
        m_callTimer->start();
}
