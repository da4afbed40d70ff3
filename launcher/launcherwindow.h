// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The launcher's window: the player's name, and three ways into a game, each
// one button: play here (with computer players), host a game (showing the
// invitation to pass on, with a Copy button, and an Advanced part, closed at
// first, for the address and port the players reach it by) and join a game
// (from a pasted invitation). Below, what the game reports, and a button to
// show a game another launcher runs. It only renders; Launcher acts.
//
// For a screen reader: every field is named by its label, the message area
// is named "Messages" and announces each message as it comes, and Return
// presses the button it is on, or else the default button of the part it
// is in (Play, Host, Join; the name's is Play).

#include <QHash>
#include <QTime>
#include <QWidget>
#include <functional>

class AnnouncementView;
class Launcher;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

class LauncherWindow : public QWidget
{
    Q_OBJECT
public:
    // How long a Copy button says "Copied" after a click.
    static constexpr int CopiedMs = 1500;

    explicit LauncherWindow(Launcher &launcher, QWidget *parent = nullptr);
    // The clock that stamps each message (the system's by default).
    void SetClock(std::function<QTime()> clock) { m_clock = std::move(clock); }

signals:
    void Closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void addMessage(const QString &text);
    // Copies source's text when clicked, enabled only while there is text.
    void makeCopyButton(QPushButton *button, QLineEdit *source);
    void setRunning(bool running);
    QWidget *buildAdvanced();

    Launcher &m_launcher;
    QLineEdit *m_name = nullptr;
    QSpinBox *m_computers = nullptr;
    QLineEdit *m_invitation = nullptr;
    QLineEdit *m_browserLink = nullptr;
    QLineEdit *m_pasted = nullptr;
    QLineEdit *m_address = nullptr;
    QSpinBox *m_port = nullptr;
    QPushButton *m_showRunning = nullptr;
    QPlainTextEdit *m_messages = nullptr;
    QList<QPushButton *> m_starts;
    AnnouncementView *m_announcement = nullptr;
    QHash<QWidget *, QPushButton *> m_defaultOf; // a part, or the name field: the button Return presses there
    std::function<QTime()> m_clock = [] { return QTime::currentTime(); };
};
