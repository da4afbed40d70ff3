// SPDX-License-Identifier: GPL-3.0-or-later
// What the window offers its players around the board: the options and
// their menu, the caller's display, the win banner, the marks in the player
// list, the keyboard's way through the window, accessible names, and
// scaling when the window is made larger.
#include "window/frmmain.h"

#include "game/announcer.h"
#include "game/bingogame.h"
#include "announce/accessiblename.h"
#include "game/callertext.h"
#include "support/playername.h"
#include "window/browserlinkview.h"
#include "window/callerdisplay.h"
#include "window/chatlog.h"
#include "window/ctlcard.h"
#include "window/designunits.h"
#include "window/layoutscaler.h"
#include "window/numberboard.h"
#include "window/windowoptions.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>

namespace {

// The colour emoji face, after the widget's own: a 🎉 in a chat line or a
// name draws, instead of a missing-glyph box, wherever it is installed.
void addEmojiFace(QWidget *widget)
{
    QFont font = widget->font();
    QStringList families = font.families().isEmpty() ? QStringList{font.family()} : font.families();
    families << QStringLiteral("Noto Color Emoji");
    font.setFamilies(families);
    widget->setFont(font);
}

} // namespace

void frmMain::buildPlayerAids(const WindowContext &context)
{
    for (QWidget *shows : std::initializer_list<QWidget *>{m_chatLog, m_chatInput, m_playerList})
        addEmojiFace(shows);

    // The window opens at its designed size; made larger, everything on it
    // grows in proportion.
    const QSize design(DesignUnits::ToPixels(8505), DesignUnits::ToPixels(6675));
    setMinimumSize(design);
    resize(design);
    m_scaler = std::make_unique<LayoutScaler>(*this, design);

    m_winBanner = new QLabel(this);
    m_winBanner->setObjectName(QStringLiteral("lblWinBanner"));
    m_winBanner->setGeometry(DesignUnits::Rect(240, 780, 4560, 1200));
    m_winBanner->setFont(NumberBoard::Font(16));
    addEmojiFace(m_winBanner);
    m_winBanner->setTextFormat(Qt::PlainText); // the winner's name is a peer's text
    m_winBanner->setAlignment(Qt::AlignCenter);
    m_winBanner->setWordWrap(true);
    m_winBanner->setAutoFillBackground(true);
    QPalette pal = m_winBanner->palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 128));
    pal.setColor(QPalette::WindowText, QColor(255, 255, 0));
    m_winBanner->setPalette(pal);
    m_winBanner->hide();
    m_bannerTimer = new QTimer(this);
    m_bannerTimer->setObjectName(QStringLiteral("tmrBanner"));
    m_bannerTimer->setSingleShot(true);
    m_bannerTimer->setInterval(BannerMs);
    connect(m_bannerTimer, &QTimer::timeout, m_winBanner, &QWidget::hide);
    connect(m_game, &BingoGame::Won, this, &frmMain::showWin);
    connect(m_game, &BingoGame::GameStarted, m_winBanner, &QWidget::hide);

    m_options = new WindowOptions(context.settingsFile, context.speaker, *this);
    if (!context.invitation.isEmpty()) {
        // The host passes the invitation on from the window too, to a late-comer
        // long after the line that printed it has scrolled away.
        QMenu *menu = m_options->Menu();
        auto *copy = new QAction(QStringLiteral("Copy invitation"), menu);
        copy->setObjectName(QStringLiteral("mnuCopyInvitation"));
        copy->setToolTip(QStringLiteral("Puts the line others join this game with on the clipboard."));
        menu->insertSeparator(menu->actions().value(0));
        menu->insertAction(menu->actions().value(0), copy);
        connect(copy, &QAction::triggered, this,
                [invitation = context.invitation] { QGuiApplication::clipboard()->setText(invitation); });
    }
    connect(m_options->Action(WindowOptions::ShowDisplay), &QAction::triggered, this, &frmMain::ShowCallerDisplay);
    if (!m_browserLink.isEmpty()) {
        QAction *invite = m_options->Menu()->addAction(QStringLiteral("Invite players…"));
        invite->setObjectName(QStringLiteral("mnuInvite"));
        connect(invite, &QAction::triggered, this, &frmMain::ShowInvitation);
    }
    connect(m_game, &BingoGame::Speak, m_options, &WindowOptions::Say);
    connect(m_options, &WindowOptions::SpeakingStopped, this, [this](const QString &why) {
        AddText(LogKind::Alert, QStringLiteral("** Calls and wins are no longer spoken. ") + why);
    });
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
    connect(claim, &QShortcut::activated, m_bingoButton, &QPushButton::click);
    m_bingoButton->setToolTip(QStringLiteral("Claims the win (Ctrl+B) when a card holds a called line."));
    const QList<QWidget *> order
        = {m_chatInput, m_bingoButton, m_newGameButton, m_cards[0], m_cards[1], m_secondsBox, m_playerList, m_chatLog};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    for (int i : {0, 1})
        m_cards[i]->SetCardNumber(i + 1);
    m_chatInput->setAccessibleName(QStringLiteral("Chat message"));
    m_secondsBox->setAccessibleName(QStringLiteral("Seconds between calls"));
    m_playerList->setAccessibleName(QStringLiteral("Players"));
    m_chatLog->setAccessibleName(QStringLiteral("Game log"));
    setBingoLit(false);
}

void frmMain::setBingoLit(bool lit)
{
    m_bingoButton->setEnabled(lit);
    SetAccessibleName(*m_bingoButton, lit ? QStringLiteral("BINGO!, available") : QStringLiteral("BINGO!, not available"));
    m_announcer->SetBingoLit(lit);
}

void frmMain::showWin(const QString &name, const QString &total)
{
    m_winBanner->setText(QStringLiteral("BINGO!\n") + CallerText::Win(PlayerName::Shown(name), total));
    m_winBanner->show();
    m_winBanner->raise();
    m_bannerTimer->start();
}

void frmMain::removePlayer(const QString &name)
{
    for (int row = 0; row < m_playerList->count(); ++row) {
        if (m_playerList->item(row)->data(Qt::UserRole).toString() == name) {
            delete m_playerList->takeItem(row);
            return;
        }
    }
}

QString frmMain::listedName(const QString &name, bool hosts, bool away)
{
    return PlayerName::Shown(name) + (hosts ? QStringLiteral(" (host)") : QString())
        + (away ? QStringLiteral(" (away)") : QString());
}

void frmMain::addPlayer(const QString &name)
{
    // The list keeps the name as it came; what is shown marks the host, and
    // this window's own player in bold.
    const bool hosts = name == m_hostName, me = name == m_myName;
    auto *item = new QListWidgetItem(m_playerList);
    item->setData(Qt::UserRole, name);
    item->setText(listedName(name, hosts, false));
    item->setData(Qt::AccessibleTextRole,
                  name + (hosts ? QStringLiteral(", host") : QString()) + (me ? QStringLiteral(", you") : QString()));
    if (me) {
        QFont font = m_playerList->font();
        font.setBold(true);
        item->setFont(font);
    }
}

void frmMain::ShowInvitation()
{
    auto *dialog = new QDialog(this);
    dialog->setObjectName(QStringLiteral("dlgInvite"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Invite players"));
    auto *layout = new QVBoxLayout(dialog);
    layout->addWidget(
        new QLabel(QStringLiteral("Players with a phone or any browser scan the code or open the link:"), dialog));
    layout->addWidget(new BrowserLinkView(m_browserLink, dialog), 1);
    dialog->resize(480, 560);
    dialog->show();
}

void frmMain::ShowCallerDisplay()
{
    if (!m_display) {
        m_display = new CallerDisplay(*m_game, m_browserLink, this);
        followCallerDisplay();
    }
    m_display->show();
    m_display->raise();
    m_display->activateWindow();
}

void frmMain::contextMenuEvent(QContextMenuEvent *event) { m_options->Menu()->popup(event->globalPos()); }

void frmMain::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_scaler->Apply();
}
