// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The speaker of the program: Qt's text to speech with its first installed
// engine (speech-dispatcher or flite). The engine starts the first time it
// is asked for, so a player who never turns speech on never waits for it.

#include "support/speaker.h"

#include <QStringList>
#include <memory>

class QTextToSpeech;

class QtSpeaker : public Speaker
{
public:
    // At most this many texts wait behind the one being said; more are dropped.
    static constexpr int MaxWaiting = 3;

    QtSpeaker();
    ~QtSpeaker() override;

    QString Unavailable() override;
    void Say(const QString &text) override;

private:
    void start();
    void sayNext();

    std::unique_ptr<QTextToSpeech> m_speech;
    QString m_unavailable;
    bool m_started = false;
    bool m_talking = false;
    QStringList m_waiting;
};
