// What the window offers its players around the board: the options and
// their menu, the caller's display, the win banner, the marks in the player
// list, the keyboard's way through the window, accessible names, and
// scaling when the window is made larger.
#include "window/frmmain.h"

#include "card/ctlcard.h"
#include "game/bingogame.h"
#include "window/designunits.h"
#include "window/callerdisplay.h"
#include "window/chatlog.h"
#include "window/layoutscaler.h"
#include "window/numberboard.h"
#include "window/windowoptions.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <functional>

void frmMain::buildPlayerAids(const WindowContext &context)
{
    // The window opens at its designed size; made larger, everything on it
    // grows in proportion.
    const QSize design(DesignUnits::ToPixels(8505), DesignUnits::ToPixels(6675));
    setMinimumSize(design);
    resize(design);
    m_scaler = std::make_unique<LayoutScaler>(*this, design);

    m_lblWinBanner = new QLabel(this);
    m_lblWinBanner->setObjectName(QStringLiteral("lblWinBanner"));
    m_lblWinBanner->setGeometry(DesignUnits::Rect(240, 780, 4560, 1200));
    m_lblWinBanner->setFont(NumberBoard::Font(16));
    m_lblWinBanner->setTextFormat(Qt::PlainText); // the winner's name is a peer's text
    m_lblWinBanner->setAlignment(Qt::AlignCenter);
    m_lblWinBanner->setWordWrap(true);
    m_lblWinBanner->setAutoFillBackground(true);
    QPalette pal = m_lblWinBanner->palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 128));
    pal.setColor(QPalette::WindowText, QColor(255, 255, 0));
    m_lblWinBanner->setPalette(pal);
    m_lblWinBanner->hide();
    m_tmrBanner = new QTimer(this);
    m_tmrBanner->setObjectName(QStringLiteral("tmrBanner"));
    m_tmrBanner->setSingleShot(true);
    m_tmrBanner->setInterval(BannerMs);
    connect(m_tmrBanner, &QTimer::timeout, m_lblWinBanner, &QWidget::hide);
    connect(m_game, &BingoGame::Won, this, &frmMain::showWin);
    connect(m_game, &BingoGame::GameStarted, m_lblWinBanner, &QWidget::hide);

    m_options = new WindowOptions(context.settingsFile, context.speaker, *this);
    connect(m_options->Action(WindowOptions::ShowDisplay), &QAction::triggered, this, &frmMain::ShowCallerDisplay);
    connect(m_game, &BingoGame::Speak, m_options, &WindowOptions::Say);
    auto follow = [this](WindowOptions::Option option, const std::function<void(bool)> &apply) {
        connect(m_options->Action(option), &QAction::toggled, this, apply);
        apply(m_options->Action(option)->isChecked());
    };
    follow(WindowOptions::HighContrast, [this](bool on) {
        m_board->SetHighContrast(on);
        for (ctlCard *card : m_cards)
            card->SetHighContrast(on);
    });
    follow(WindowOptions::AutoMark, [this](bool on) { m_game->SetAutoMark(on); });
    connect(m_game, &BingoGame::MarkOnCards, this, [this](int n) {
        for (ctlCard *card : m_cards)
            card->MarkNumber(n);
    });

    // Ctrl+B claims from anywhere in the window, the chat input included;
    // a dark BINGO! ignores it.
    auto *claim = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_B), this);
    connect(claim, &QShortcut::activated, m_cmdBingo, &QPushButton::click);
    m_cmdBingo->setToolTip(QStringLiteral("Claims the win (Ctrl+B) when a card holds a called line."));
    const QList<QWidget *> order = {m_txtChatOut, m_cmdBingo, m_cmdNewGame, m_cards[0], m_cards[1],
                                    m_txtSec,     m_lstUsers, m_rtbChatIn};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    for (int i : {0, 1})
        m_cards[i]->SetCardNumber(i + 1);
    m_txtChatOut->setAccessibleName(QStringLiteral("Chat message"));
    m_txtSec->setAccessibleName(QStringLiteral("Seconds between calls"));
    m_lstUsers->setAccessibleName(QStringLiteral("Players"));
    m_rtbChatIn->setAccessibleName(QStringLiteral("Game log"));
    setBingoLit(false);
}

void frmMain::setBingoLit(bool lit)
{
    m_cmdBingo->setEnabled(lit);
    m_cmdBingo->setAccessibleName(lit ? QStringLiteral("BINGO!, available") : QStringLiteral("BINGO!, not available"));
}

void frmMain::showWin(const QString &name, const QString &total)
{
    m_lblWinBanner->setText(QStringLiteral("BINGO!\n") + CallerText::Win(name, total));
    m_lblWinBanner->show();
    m_lblWinBanner->raise();
    m_tmrBanner->start();
}

void frmMain::addPlayer(const QString &name)
{
    // The list keeps the name as it came; what is shown marks the host, and
    // this window's own player in bold.
    const bool hosts = name == m_hostName, me = name == m_myName;
    auto *item = new QListWidgetItem(hosts ? name + QStringLiteral(" (host)") : name, m_lstUsers);
    item->setData(Qt::UserRole, name);
    item->setData(Qt::AccessibleTextRole, name + (hosts ? QStringLiteral(", host") : QString())
                                              + (me ? QStringLiteral(", you") : QString()));
    if (me) {
        QFont font = m_lstUsers->font();
        font.setBold(true);
        item->setFont(font);
    }
}

void frmMain::ShowCallerDisplay()
{
    if (!m_display)
        m_display = new CallerDisplay(*m_game, this);
    m_display->show();
    m_display->raise();
    m_display->activateWindow();
}

void frmMain::contextMenuEvent(QContextMenuEvent *event)
{
    m_options->Menu()->popup(event->globalPos());
}

void frmMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_scaler->Apply();
}
