// SPDX-License-Identifier: GPL-3.0-or-later
#include "playerwords.h"

#include <QRegularExpression>

namespace PlayerWords {

namespace {

const QString Hub = QStringLiteral("kalumo-hub: ");
const QString Window = QStringLiteral("kalumo-bingo: ");

// Reasons kalumo-hub gives at a terminal whose remedy differs in the
// launcher, which has its own controls for them.
struct Rewording
{
    QRegularExpression reason;
    QString words; // %1, %2: the expression's captures, one or two
};

const Rewording Rewordings[] = {
    {QRegularExpression(QStringLiteral("^cannot listen on .+:(\\d+): address already in use"),
                        QRegularExpression::CaseInsensitiveOption),
     QStringLiteral("Another game is already hosted on this computer on port %1. Close it first, or choose another "
                    "port under Advanced.")},
    {QRegularExpression(QStringLiteral("^--address (.*) cannot go into an invitation: (.*)$")),
     QStringLiteral("The address \"%1\" under Advanced cannot go into an invitation: %2")},
};

} // namespace

QString Sentence(const QString &line)
{
    QString text = line.trimmed();
    for (const QString &program : {Hub, Window})
        if (text.startsWith(program))
            text.remove(0, program.size());
    if (text.isEmpty())
        return text;
    text[0] = text[0].toUpper();
    if (!QStringLiteral(".!?").contains(text.back()))
        text += QLatin1Char('.');
    return text;
}

QString ForEnd(int exitCode, const QString &lastLine)
{
    const QString line = lastLine.trimmed();
    if (exitCode == 0)
        return QStringLiteral("The game has ended.");
    if (exitCode == 2 && line.startsWith(Hub)) {
        const QString reason = line.mid(Hub.size());
        for (const Rewording &rewording : Rewordings) {
            const QRegularExpressionMatch match = rewording.reason.match(reason);
            if (match.hasMatch())
                return Sentence(match.lastCapturedIndex() == 1
                                    ? rewording.words.arg(match.captured(1))
                                    : rewording.words.arg(match.captured(1), match.captured(2)));
        }
        return Sentence(reason);
    }
    if (exitCode == 1 && line.startsWith(Window))
        return Sentence(line);
    if (exitCode == 1)
        return QStringLiteral("A game window ended with an error; it said why in a box of its own.");
    return QStringLiteral("The game stopped with an error (status %1).").arg(exitCode);
}

} // namespace PlayerWords
