// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The player's options and the window's menu of them: the caller's display
// (F2; checked while it is open), spoken calls, high contrast, marking called
// numbers on the cards automatically, and what a screen reader is told as it
// happens (calls, wins, other players' chat). Every entry but the display is
// a switch remembered between runs: the screen reader's are on at first, the
// others off; speaking stays off, and says why in its tip, while the speaker
// cannot talk.

#include <QObject>
#include <QPoint>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QSettings;
class QWidget;
class Speaker;

class WindowOptions : public QObject
{
    Q_OBJECT
public:
    enum Option { ShowDisplay, Speak, HighContrast, AutoMark, AnnounceCalls, AnnounceWins, AnnounceChat, Count };
    static inline const QString Organisation = QStringLiteral("kalumo");
    static inline const QString Application = QStringLiteral("kalumo-bingo");

    // Reads the options from settingsFile (an INI file), or from the user's
    // own settings when it is empty. speaker may be null: nothing can speak.
    WindowOptions(const QString &settingsFile, Speaker *speaker, QWidget &window);
    ~WindowOptions() override;

    QAction *Action(Option option) const;
    bool IsOn(Option option) const;
    QMenu *Menu() const { return m_menu; }
    // Where the options are kept, for the window's other remembered choices.
    QSettings &Settings() const { return *m_settings; }

    // Says words when speaking is on and the speaker can talk; returns at once.
    // A speaker found unable to talk while speaking is on turns the option
    // dark, with why in its tip, and SpeakingStopped says why once.
    void Say(const QString &words);

    // Where the window was when it last closed; nothing before its first close.
    std::optional<QPoint> RememberedPlace() const;
    void RememberPlace(QPoint place);

signals:
    void SpeakingStopped(const QString &why);

private:
    void checkSpeaker();

    std::unique_ptr<QSettings> m_settings;
    Speaker *m_speaker;
    QMenu *m_menu;
    QAction *m_actions[Count] = {};
};
