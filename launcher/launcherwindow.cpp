// SPDX-License-Identifier: GPL-3.0-or-later
#include "launcherwindow.h"

#include "launcher.h"

#include "announce/announcementview.h"

#include <QClipboard>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

template<typename T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QGroupBox *group(const QString &title, QLayout *layout)
{
    auto *box = new QGroupBox(title);
    box->setLayout(layout);
    return box;
}

} // namespace

LauncherWindow::LauncherWindow(Launcher &launcher, QWidget *parent)
    : QWidget(parent)
    , m_launcher(launcher)
{
    setWindowTitle(QStringLiteral("Kalumo Bingo"));
    m_name = named(new QLineEdit(launcher.Name()), "name");
    m_name->setMaxLength(64);
    m_computers = named(new QSpinBox, "computers");
    m_computers->setRange(0, Launcher::MaxComputers);
    m_computers->setValue(launcher.LastComputers());
    m_invitation = named(new QLineEdit, "invitation");
    m_invitation->setReadOnly(true);
    m_invitation->setPlaceholderText(QStringLiteral("The invitation shows here"));
    m_browserLink = named(new QLineEdit, "browserLink");
    m_browserLink->setReadOnly(true);
    m_browserLink->setPlaceholderText(QStringLiteral("The link for phones and browsers shows here"));
    m_pasted = named(new QLineEdit, "pasted");
    m_pasted->setPlaceholderText(QStringLiteral("Paste the invitation you were sent"));
    m_messages = named(new QPlainTextEdit, "messages");
    m_messages->setReadOnly(true);
    m_messages->setPlaceholderText(QStringLiteral("What goes wrong shows here."));
    m_messages->setAccessibleName(QStringLiteral("Messages"));
    m_announcement = new AnnouncementView(this);
    auto *play = named(new QPushButton(QStringLiteral("&Play here")), "play");
    auto *host = named(new QPushButton(QStringLiteral("&Host a game")), "host");
    auto *copy = named(new QPushButton(QStringLiteral("&Copy")), "copy");
    auto *join = named(new QPushButton(QStringLiteral("&Join a game")), "join");
    m_showRunning = named(new QPushButton(QStringLiteral("&Show the running game")), "showRunning");
    m_showRunning->hide();
    m_starts = {play, host, join};

    auto *nameRow = new QFormLayout;
    nameRow->addRow(QStringLiteral("Your &name:"), m_name);
    auto *playRow = new QHBoxLayout;
    auto *computersLabel = new QLabel(QStringLiteral("Co&mputer players:"));
    computersLabel->setBuddy(m_computers);
    playRow->addWidget(computersLabel);
    playRow->addWidget(m_computers);
    playRow->addStretch();
    playRow->addWidget(play);
    auto *hostRows = new QVBoxLayout;
    hostRows->addWidget(new QLabel(QStringLiteral("Others on the network join with the invitation.")));
    auto *invitationRow = new QHBoxLayout;
    invitationRow->addWidget(host);
    invitationRow->addWidget(m_invitation, 1);
    invitationRow->addWidget(copy);
    hostRows->addLayout(invitationRow);
    auto *browserRow = new QHBoxLayout;
    auto *copyLink = named(new QPushButton(QStringLiteral("Copy &link")), "copyLink");
    browserRow->addWidget(new QLabel(QStringLiteral("Browsers:")));
    browserRow->addWidget(m_browserLink, 1);
    browserRow->addWidget(copyLink);
    hostRows->addLayout(browserRow);
    auto *plainly = new QLabel(QStringLiteral("The browser link is not encrypted: anyone on this network can read "
                                              "the names, the chat and the calls, and can join with it."));
    plainly->setWordWrap(true);
    hostRows->addWidget(plainly);
    makeCopyButton(copyLink, m_browserLink);
    connect(&launcher, &Launcher::BrowserLinkReady, m_browserLink, &QLineEdit::setText);
    hostRows->addWidget(buildAdvanced());
    auto *joinRow = new QHBoxLayout;
    joinRow->addWidget(m_pasted, 1);
    joinRow->addWidget(join);

    // Each field's own name, where no label beside it gives one.
    m_computers->setAccessibleName(QStringLiteral("Computer players"));
    m_invitation->setAccessibleName(QStringLiteral("Invitation to pass on"));
    m_browserLink->setAccessibleName(QStringLiteral("Link for browsers"));
    m_pasted->setAccessibleName(QStringLiteral("Invitation you were sent"));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(nameRow);
    QGroupBox *playPart = group(QStringLiteral("On this computer"), playRow);
    QGroupBox *hostPart = group(QStringLiteral("Host a game"), hostRows);
    QGroupBox *joinPart = group(QStringLiteral("Join a game"), joinRow);
    m_defaultOf = {{m_name, play}, {playPart, play}, {hostPart, host}, {joinPart, join}};
    layout->addWidget(playPart);
    layout->addWidget(hostPart);
    layout->addWidget(joinPart);
    layout->addWidget(m_messages, 1);
    layout->addWidget(m_showRunning, 0, Qt::AlignRight);
    resize(560, 420);

    connect(play, &QPushButton::clicked, this, [this] { m_launcher.Play(m_name->text(), m_computers->value()); });
    connect(host, &QPushButton::clicked, this, [this] {
        m_invitation->clear();
        m_browserLink->clear();
        m_launcher.Host(m_name->text(), {m_address->text(), quint16(m_port->value())});
    });
    connect(join, &QPushButton::clicked, this, [this] { m_launcher.Join(m_pasted->text(), m_name->text()); });
    makeCopyButton(copy, m_invitation);
    connect(&launcher, &Launcher::InvitationReady, m_invitation, &QLineEdit::setText);
    connect(&launcher, &Launcher::Message, this, &LauncherWindow::addMessage);
    connect(&launcher, &Launcher::RunningChanged, this, &LauncherWindow::setRunning);
    connect(&launcher, &Launcher::OtherGameRunning, m_showRunning, &QWidget::show);
    connect(m_showRunning, &QPushButton::clicked, this, [this] { m_launcher.ShowRunningGame(); });
    // A game this player started from a launcher closed since is shown again.
    m_launcher.ShowRunningGame();
}

QWidget *LauncherWindow::buildAdvanced()
{
    const HostChoice last = m_launcher.LastHostChoice();
    m_address = named(new QLineEdit(last.address), "address");
    m_address->setPlaceholderText(QStringLiteral("found by itself"));
    m_address->setToolTip(QStringLiteral("The name or address the other players reach this computer by."));
    m_port = named(new QSpinBox, "port");
    m_port->setRange(0, 65535);
    m_port->setSpecialValueText(QStringLiteral("any free port"));
    m_port->setValue(last.port);
    auto *fields = new QWidget;
    auto *form = new QFormLayout(fields);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(QStringLiteral("&Address:"), m_address);
    form->addRow(QStringLiteral("P&ort:"), m_port);
    m_address->setAccessibleName(QStringLiteral("Address"));
    m_port->setAccessibleName(QStringLiteral("Port"));

    // Closed at first; open from the start when it holds a choice of the
    // player's, which should not act unseen.
    auto *toggle = named(new QToolButton, "advanced");
    toggle->setText(QStringLiteral("Ad&vanced"));
    toggle->setCheckable(true);
    toggle->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toggle->setAutoRaise(true);
    const auto open = [toggle, fields](bool on) {
        toggle->setArrowType(on ? Qt::DownArrow : Qt::RightArrow);
        fields->setVisible(on);
    };
    connect(toggle, &QToolButton::toggled, fields, open);
    toggle->setChecked(!last.address.isEmpty() || last.port != HostChoice::DefaultPort);
    open(toggle->isChecked());

    auto *part = new QWidget;
    auto *rows = new QVBoxLayout(part);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->addWidget(toggle, 0, Qt::AlignLeft);
    rows->addWidget(fields);
    return part;
}

void LauncherWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    emit Closed();
}

void LauncherWindow::addMessage(const QString &text)
{
    // Lines come from other programs and other players' names: plain text
    // only. Each message starts with the time it came, and an empty line
    // sets it apart from the one before, which may have run over several.
    QTextCursor cursor(m_messages->document());
    cursor.movePosition(QTextCursor::End);
    if (!m_messages->document()->isEmpty()) {
        cursor.insertBlock();
        cursor.insertBlock();
    }
    cursor.insertText(m_clock().toString(QStringLiteral("HH:mm:ss")) + QStringLiteral("  ") + text);
    m_messages->ensureCursorVisible();
    m_announcement->Say(text);
}

void LauncherWindow::keyPressEvent(QKeyEvent *event)
{
    // Fields and buttons leave Return to their window: here it presses the
    // focused button, or the default button of the part holding the focus.
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return QWidget::keyPressEvent(event);
    QWidget *focus = focusWidget();
    if (auto *button = qobject_cast<QAbstractButton *>(focus)) {
        button->click();
        return;
    }
    for (QWidget *part = focus; part && part != this; part = part->parentWidget()) {
        if (QPushButton *button = m_defaultOf.value(part); button && button->isEnabled()) {
            button->click();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void LauncherWindow::makeCopyButton(QPushButton *button, QLineEdit *source)
{
    const QString label = button->text();
    auto *copied = new QTimer(button);
    copied->setObjectName(button->objectName() + QStringLiteral("Copied"));
    copied->setSingleShot(true);
    copied->setInterval(CopiedMs);
    connect(copied, &QTimer::timeout, button, [button, label] { button->setText(label); });
    button->setEnabled(!source->text().isEmpty());
    connect(source, &QLineEdit::textChanged, button, [button](const QString &text) { button->setEnabled(!text.isEmpty()); });
    connect(button, &QPushButton::clicked, button, [button, source, copied] {
        QGuiApplication::clipboard()->setText(source->text());
        button->setText(QStringLiteral("Copied"));
        copied->start();
    });
}

void LauncherWindow::setRunning(bool running)
{
    for (QPushButton *button : m_starts)
        button->setEnabled(!running);
    m_name->setReadOnly(running);
    m_showRunning->hide();
}
