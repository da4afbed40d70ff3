#include "launcher.h"

#include "hubrun.h"
#include "support/playername.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString NameKey = QStringLiteral("name");
const QString Scheme = QStringLiteral("kalumo://");

} // namespace

Launcher::Launcher(ProcessRunner &runner, QSettings &settings, const QString &hubProgram, QObject *parent)
    : QObject(parent)
    , m_runner(runner)
    , m_settings(settings)
    , m_hubProgram(hubProgram)
{
}

QString Launcher::HubProgram(const QString &launcherFolder)
{
    // The hub of the same installation first: an older one on the PATH may
    // not know the commands this launcher gives.
    const QString beside = QDir(launcherFolder).filePath(QStringLiteral("kalumo-hub"));
    if (QFileInfo(beside).isExecutable())
        return beside;
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("kalumo-hub"));
    return onPath.isEmpty() ? beside : onPath;
}

QString Launcher::InvitationIn(const QString &text)
{
    // Mail and chat programs wrap an invitation in quotes, brackets or a
    // sentence; the invitation itself holds none of those.
    static const QRegularExpression invitation(QStringLiteral("kalumo://[^\\s<>\"'()\\[\\]]+"),
                                               QRegularExpression::CaseInsensitiveOption);
    return invitation.match(text).captured();
}

QString Launcher::PlainWords(const QString &line)
{
    static const QRegularExpression program(QStringLiteral("^kalumo-(hub|bingo): "));
    QString text = line.trimmed();
    text.remove(program);
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

QString Launcher::Name() const
{
    return m_settings.value(NameKey).toString();
}

bool Launcher::Play(const QString &name, int computers)
{
    QStringList arguments{QStringLiteral("play"), name.trimmed()};
    if (computers > 0)
        arguments << QStringLiteral("--computer") << QString::number(computers);
    return start(name, arguments, false);
}

bool Launcher::Host(const QString &name)
{
    return start(name, {QStringLiteral("host"), name.trimmed()}, true);
}

bool Launcher::Join(const QString &pastedText, const QString &name)
{
    const QString invitation = InvitationIn(pastedText);
    if (invitation.isEmpty()) {
        emit Message(QStringLiteral("There is no invitation in the text you pasted: it starts with %1.").arg(Scheme));
        return false;
    }
    return start(name, {QStringLiteral("join"), invitation, name.trimmed()}, false);
}

bool Launcher::start(const QString &name, const QStringList &arguments, bool hosting)
{
    if (m_run) {
        emit Message(QStringLiteral("A game started from here is still running; close its windows first."));
        return false;
    }
    // A blank typed around the name is no part of it.
    if (const QString refusal = PlayerName::Refusal(name.trimmed()); !refusal.isEmpty()) {
        emit Message(QStringLiteral("This name cannot be used: %1.").arg(refusal));
        return false;
    }
    m_settings.setValue(NameKey, name.trimmed());
    m_settings.sync();

    m_linesAwaited = hosting ? 2 : 0;
    m_lastError.clear();
    m_run = m_runner.Start(m_hubProgram, arguments, this);
    connect(m_run, &HubRun::OutputLine, this, [this](const QString &line) {
        if (m_linesAwaited == 0)
            return;
        if (--m_linesAwaited == 1)
            emit InvitationReady(line.trimmed());
        else
            emit BrowserLinkReady(line.trimmed());
    });
    connect(m_run, &HubRun::ErrorLine, this, [this](const QString &line) {
        if (const QString text = PlainWords(line); !text.isEmpty())
            emit Message(m_lastError = text);
    });
    connect(m_run, &HubRun::Ended, this, [this](int exitCode, const QString &failure) {
        if (!failure.isEmpty())
            emit Message(QStringLiteral("The game could not go on: %1.").arg(failure));
        else if (exitCode != 0 && m_lastError.isEmpty())
            emit Message(QStringLiteral("The game stopped with an error (status %1).").arg(exitCode));
        m_run->deleteLater();
        m_run = nullptr;
        emit RunningChanged(false);
    });
    emit RunningChanged(true);
    return true;
}
