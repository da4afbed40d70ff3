// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/windowoptions.h"

#include "support/speaker.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <QWidget>

namespace {
struct Entry
{
    const char *key; // where the switch is remembered; none: not a remembered switch
    bool onAtFirst;
};
const Entry Entries[] = {{nullptr, false},         {"speakCalls", false},    {"highContrast", false},
                         {"autoMark", false},      {"announceCalls", true},  {"announceWins", true},
                         {"announceChat", true}};
} // namespace

WindowOptions::WindowOptions(const QString &settingsFile, Speaker *speaker, QWidget &window)
    : QObject(&window)
    , m_settings(settingsFile.isEmpty() ? std::make_unique<QSettings>(Organisation, Application)
                                        : std::make_unique<QSettings>(settingsFile, QSettings::IniFormat))
    , m_speaker(speaker)
    , m_menu(new QMenu(&window))
{
    m_menu->setObjectName(QStringLiteral("mnuOptions"));
    m_menu->setToolTipsVisible(true);
    const QString texts[] = {QStringLiteral("Caller's display"), QStringLiteral("Speak calls and wins"),
                             QStringLiteral("High contrast"), QStringLiteral("Mark called numbers automatically"),
                             QStringLiteral("Screen reader: announce calls"),
                             QStringLiteral("Screen reader: announce wins"),
                             QStringLiteral("Screen reader: announce other players' chat")};
    for (int option = ShowDisplay; option < Count; ++option) {
        if (option == AnnounceCalls)
            m_menu->addSeparator();
        QAction *action = m_menu->addAction(texts[option]);
        m_actions[option] = action;
        // Every entry is checkable, so a screen reader says whether it is on.
        action->setCheckable(true);
        if (option == ShowDisplay) {
            action->setShortcut(QKeySequence(Qt::Key_F2));
            // The shortcut works anywhere in the window, menu open or not.
            window.addAction(action);
            m_menu->addSeparator();
            continue;
        }
        const Entry &entry = Entries[option];
        action->setChecked(m_settings->value(QLatin1String(entry.key), entry.onAtFirst).toBool());
        // Only the player's own choice is remembered, not a switch the
        // program turns off because the speaker cannot talk.
        connect(action, &QAction::triggered, this, [this, option](bool on) {
            m_settings->setValue(QLatin1String(Entries[option].key), on);
            if (option == Speak && on)
                checkSpeaker();
        });
    }
    // Whether speech works is asked only when it matters: a speaker is
    // started the first time it is needed.
    if (!m_speaker || IsOn(Speak))
        checkSpeaker();
    connect(m_menu, &QMenu::aboutToShow, this, &WindowOptions::checkSpeaker);
}

WindowOptions::~WindowOptions() = default;

QAction *WindowOptions::Action(Option option) const { return m_actions[option]; }

bool WindowOptions::IsOn(Option option) const
{
    return m_actions[option]->isEnabled() && m_actions[option]->isChecked();
}

void WindowOptions::checkSpeaker()
{
    QAction *speak = m_actions[Speak];
    const QString unavailable = m_speaker ? m_speaker->Unavailable() : QStringLiteral("This window has no speaker.");
    speak->setEnabled(unavailable.isEmpty());
    speak->setToolTip(unavailable.isEmpty() ? QStringLiteral("Says each number called and each win aloud.")
                                            : unavailable);
}

void WindowOptions::Say(const QString &words)
{
    if (!m_speaker || !IsOn(Speak))
        return;
    // An engine fails after it was asked to speak (the sound device went
    // away): the next words find it so. The option then turns dark, so this
    // is said once.
    if (const QString why = m_speaker->Unavailable(); !why.isEmpty()) {
        checkSpeaker();
        emit SpeakingStopped(why);
        return;
    }
    m_speaker->Say(words);
}

std::optional<QPoint> WindowOptions::RememberedPlace() const
{
    const QVariant place = m_settings->value(QStringLiteral("windowPlace"));
    // Anything else in the file (edited by hand, say) is no place.
    if (place.typeId() != QMetaType::QPoint)
        return std::nullopt;
    return place.toPoint();
}

void WindowOptions::RememberPlace(QPoint place) { m_settings->setValue(QStringLiteral("windowPlace"), place); }
