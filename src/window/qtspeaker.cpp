// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/qtspeaker.h"

#include "window/heldwarnings.h"

#include <QTextToSpeech>

QtSpeaker::QtSpeaker() = default;

QtSpeaker::~QtSpeaker() = default;

void QtSpeaker::start()
{
    if (m_started)
        return;
    m_started = true;
    if (QTextToSpeech::availableEngines().isEmpty()) {
        m_unavailable = QStringLiteral("No speech engine is installed (on Debian: qt6-speech-flite-plugin).");
        return;
    }
    // An engine that finds no sound device complains on standard error as it
    // starts; that is said in the option's tip instead, at every start.
    HeldWarnings warnings;
    m_speech = std::make_unique<QTextToSpeech>();
    // Such an engine may still call itself ready, with an error kept.
    if (m_speech->state() == QTextToSpeech::Error || !m_speech->errorString().isEmpty()) {
        m_unavailable = QStringLiteral("The speech engine does not work: %1").arg(m_speech->errorString());
        m_speech.reset();
        return;
    }
    warnings.Release();
    // Each call is said whole: the next waits until the engine is ready again.
    QObject::connect(m_speech.get(), &QTextToSpeech::stateChanged, m_speech.get(), [this](QTextToSpeech::State state) {
        if (state == QTextToSpeech::Ready) {
            m_talking = false;
            sayNext();
        }
    });
    // An engine that fails (no sound device, for one) stays silent from then
    // on, and the option says why instead of waiting for it for ever.
    QObject::connect(m_speech.get(), &QTextToSpeech::errorOccurred, m_speech.get(),
                     [this](QTextToSpeech::ErrorReason, const QString &why) {
                         m_unavailable = QStringLiteral("The speech engine failed: %1").arg(why);
                         m_waiting.clear();
                         m_talking = false;
                     });
}

QString QtSpeaker::Unavailable()
{
    start();
    return m_unavailable;
}

void QtSpeaker::Say(const QString &text)
{
    start();
    if (!m_speech || !m_unavailable.isEmpty() || m_waiting.size() >= MaxWaiting)
        return;
    m_waiting << text;
    if (!m_talking)
        sayNext();
}

void QtSpeaker::sayNext()
{
    if (m_waiting.isEmpty())
        return;
    // The engine's state turns only later, so whether it talks is kept here.
    m_talking = true;
    m_speech->say(m_waiting.takeFirst());
}
