#include "window/frmmain.h"

#include "card/ctlcard.h"
#include "link/gamelink.h"
#include "link/linkrecord.h"
#include "support/customregistry.h"
#include "support/fileregistry.h"
#include "support/twips.h"
#include "window/chatlog.h"
#include "window/commandline.h"
#include "window/messageboxes.h"
#include "window/registration.h"
#include "window/routing.h"
#include "window/runtimeerror.h"
#include "support/textnum.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace {
// The board's cell template: lblItm(1) as placed in the window.
constexpr double CellLeft = 15, CellTop = 10, CellWidth = 495, CellHeight = 255;

QFont boardFont()
{
    QFont font(QStringLiteral("Arial Black"));
    font.setPointSizeF(8.25);
    return font;
}
} // namespace

frmMain::frmMain(const WindowContext &context, QWidget *parent)
    : QWidget(parent)
    , m_boxes(context.boxes)
    , m_link(context.link)
    , m_random(context.random)
    , m_programFolder(context.programFolder)
    , m_commandLine(context.commandLine)
    , m_programFile(context.programFile)
    , m_registryFolder(context.registryFolder)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(Caption);
    setFixedSize(Twips::ToPixels(8505), Twips::ToPixels(6675));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    buildControls();

    connect(&m_link, &GameLink::TextReceived, this, &frmMain::onTextReceived);
    connect(&m_link, &GameLink::LinkLost, this, [this](const QString &reason) {
        AddText(2, QStringLiteral("** The link to the game was lost (%1). You may close the window.").arg(reason));
    });
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
        QLabel *cell = label(QStringLiteral("lblItm%1").arg(i), QString::number(i),
                             i == 1 ? Twips::Rect(CellLeft, CellTop, CellWidth, CellHeight)
                                    : Twips::Rect(1080, 480, CellWidth, CellHeight));
        cell->setFont(boardFont());
        cell->setAlignment(Qt::AlignCenter);
        cell->setVisible(i == 1);
        m_lblItm[i] = cell;
    }

    for (int i : {0, 1}) {
        m_cards[i] = new ctlCard(*this, m_random, this);
        m_cards[i]->setObjectName(QStringLiteral("Card%1").arg(i));
        m_cards[i]->move(i == 0 ? Twips::Point(120, 2880) : Twips::Point(5160, 0));
    }

    m_cmdNewGame = new QPushButton(QStringLiteral("New Game"), this);
    m_cmdNewGame->setObjectName(QStringLiteral("cmdNewGame"));
    m_cmdNewGame->setGeometry(Twips::Rect(3480, 2880, 1455, 255));
    m_cmdNewGame->setEnabled(false);

    m_cmdBingo = new QPushButton(QStringLiteral("BINGO!"), this);
    m_cmdBingo->setObjectName(QStringLiteral("cmdBingo"));
    m_cmdBingo->setGeometry(Twips::Rect(3480, 3120, 1455, 315));
    m_cmdBingo->setEnabled(false);

    label(QStringLiteral("Label1"), QStringLiteral("Calls @"), Twips::Rect(3480, 3480, 735, 255));
    m_txtSec = new QLineEdit(QStringLiteral("10"), this);
    m_txtSec->setObjectName(QStringLiteral("txtSec"));
    m_txtSec->setGeometry(Twips::Rect(4080, 3480, 255, 285));
    label(QStringLiteral("Label2"), QStringLiteral("Sec."), Twips::Rect(4440, 3480, 615, 255));

    m_lstUsers = new QListWidget(this);
    m_lstUsers->setObjectName(QStringLiteral("lstUsers"));
    m_lstUsers->setGeometry(Twips::Rect(3480, 3840, 1215, 2700));

    m_rtbChatIn = new ChatLog(this);
    m_rtbChatIn->setObjectName(QStringLiteral("rtbChatIn"));
    m_rtbChatIn->setGeometry(Twips::Rect(4680, 3840, 3735, 2415));
    connect(m_rtbChatIn, &ChatLog::LineAdded, this, &frmMain::LineAdded);

    m_txtChatOut = new QLineEdit(this);
    m_txtChatOut->setObjectName(QStringLiteral("txtChatOut"));
    m_txtChatOut->setGeometry(Twips::Rect(4680, 6240, 3735, 285));
    connect(m_txtChatOut, &QLineEdit::returnPressed, this, &frmMain::onChatEntered);

    m_tmrHost = new QTimer(this);
    m_tmrHost->setObjectName(QStringLiteral("tmrHost"));
    m_tmrHost->setInterval(10000);
}

void frmMain::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    // The grey frame right of and below the number board.
    QPainter painter(this);
    painter.setPen(QPen(QColor(192, 192, 192), 2));
    painter.drawLine(Twips::Point(5040, 0), Twips::Point(5040, 2760));
    painter.drawLine(Twips::Point(0, 2760), Twips::Point(5040, 2760));
}

void frmMain::BuildNumberBoard()
{
    // Cell n stands in column (n - 1) mod 10, row (n - 1) div 10; cell 1 is
    // the template and keeps its own place, 5 twips right of the column.
    for (int n = 2; n <= 100; ++n) {
        const int row = (n - 1) / 10, col = (n - 1) % 10;
        auto *cell = new QLabel(QString::number(n), this);
        cell->setObjectName(QStringLiteral("lblItm%1").arg(n));
        cell->setFont(m_lblItm[1]->font());
        cell->setAlignment(Qt::AlignCenter);
        cell->setGeometry(Twips::Rect(float(col) * float(CellWidth) + 10, float(row) * float(CellHeight) + 10,
                                      CellWidth, CellHeight));
        cell->show();
        m_lblItm[n] = cell;
    }
}

template <typename Step>
bool frmMain::runStep(Step step)
{
    // A run-time error in a start-up step is shown, and start-up goes on.
    try {
        step();
        return true;
    } catch (const RunTimeError &error) {
        m_boxes.Plain(Caption, error.BoxText());
        return false;
    }
}

std::optional<int> frmMain::Startup()
{
    runStep([&] { m_memFile = m_programFolder + QDir::separator() + TallyFile::FileName; });
    runStep([&] { m_tallyFile.Load(m_memFile, m_lstMem); });
    runStep([&] { LoadMembers(); });
    runStep([&] { BuildNumberBoard(); });
    runStep([&] { m_members.AddBlankEntryIfEmpty(); });

    const CommandLine line(m_commandLine);
    if (line.IsEmpty())
        return RegistrationRun();

    auto piece = [&](int index) {
        const auto text = line.Piece(index);
        if (!text)
            throw RunTimeError::MissingPiece(index);
        return *text;
    };
    runStep([&] { m_gameKey = piece(2); });
    runStep([&] { m_myName = piece(3); });
    runStep([&] { m_hostName = piece(4); });
    runStep([&] {
        if (m_myName == m_hostName) {
            m_cmdNewGame->setEnabled(true);
            m_isHost = true;
        }
    });

    bool joined = false;
    runStep([&] {
        const QString number = piece(1);
        const auto linkNumber = TextNum::ToInt32(number);
        if (!linkNumber)
            throw RunTimeError::NotANumber(number);
        joined = m_link.JoinGame(quint64(winId()), *linkNumber);
    });
    if (!joined) {
        m_boxes.Information(QStringLiteral("ERROR!"), QStringLiteral("Error, Please Restart The Game!"));
        Shutdown();
        return 1;
    }

    runStep([&] { m_link.SendText(LinkRecord::Identify(m_gameKey, quint64(winId()))); });
    runStep([&] { m_link.SendText(LinkRecord::Announce(m_gameKey, Caption, m_myName)); });
    runStep([&] { AddText(1, QStringLiteral("Thank You For Choosing ") + Caption + QLatin1Char('.')); });
    return std::nullopt;
}

std::optional<int> frmMain::RegistrationRun()
{
    // The chat host offers every game registered under its games key and
    // starts the program the value names. The window is never shown.
    const FileRegistry registry(m_registryFolder);
    const CustomRegistry customRegistry(registry, m_boxes, Caption);
    RegistryOutcome outcome;
    customRegistry.SetStringValue(Registration::GamesKey, Caption, Registration::Data(m_programFile, Caption), &outcome);

    // Only a value that was written is reported as a registration.
    if (outcome.Ok())
        m_boxes.Information(QStringLiteral("Done."),
                            QStringLiteral("Game has been registered with Kalumo Chat, You may now call it from the games list."));
    else
        m_boxes.Error(Caption, Registration::FailureText(Registration::GamesKey, outcome, registry.Folder()));
    Shutdown();
    return outcome.Ok() ? 0 : 1;
}

void frmMain::Shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    SaveTallies();
    emit ShutDown();
}

void frmMain::LoadMembers()
{
    m_members.LoadTallyEntries(m_lstMem);
}

void frmMain::SaveTallies()
{
    // A failed save never stops the close; the player is told, and the file
    // keeps what it held before.
    try {
        m_tallyFile.Save(m_memFile, m_members, m_lstMem);
    } catch (const RunTimeError &error) {
        m_boxes.Error(Caption, QStringLiteral("The wins could not be saved.\n") + error.description);
    }
}

void frmMain::closeEvent(QCloseEvent *event)
{
    Shutdown();
    event->accept();
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
    Q_UNUSED(Data)
}

void frmMain::RunChatCommand(const QString &Data)
{
    Q_UNUSED(Data)
}

void frmMain::onChatEntered()
{
    SendToGame(m_gameKey, Routing::ChatMessage(m_txtChatOut->text()));
    m_txtChatOut->clear();
}

void frmMain::onTextReceived(const QString &Sender, const QString &Data)
{
    const Routing::Route route = Routing::RouteDelivery(Sender, Data);
    switch (route.action) {
    case Routing::Action::AddPlayer:
        m_lstUsers->addItem(route.text);
        AddText(route.logType, route.text + QStringLiteral(" has joined the game."));
        break;
    case Routing::Action::RemovePlayer:
        for (int row = 0; row < m_lstUsers->count(); ++row) {
            if (m_lstUsers->item(row)->text() == route.text) {
                delete m_lstUsers->takeItem(row);
                AddText(route.logType, route.text + QStringLiteral(" has left the game."));
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
    return m_tmrHost->isActive();
}

void frmMain::EnableBingo()
{
    m_cmdBingo->setEnabled(true);
}
