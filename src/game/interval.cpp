// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/interval.h"

#include "support/textnum.h"

#include <QString>

namespace Interval {

std::optional<int> Seconds(const QString &secondsText)
{
    if (secondsText.size() > 2)
        return std::nullopt;
    const std::optional<double> seconds = TextNum::RoundedValue(secondsText);
    // Two characters hold at most 99, so the value always fits.
    if (!seconds || *seconds < 0)
        return std::nullopt;
    return int(*seconds);
}

int Milliseconds(const QString &secondsText)
{
    const std::optional<int> seconds = Seconds(secondsText);
    return seconds ? *seconds * 1000 : DefaultMs;
}

QString Describe(const QString &secondsText)
{
    const std::optional<int> seconds = Seconds(secondsText);
    const QString typed = QLatin1Char('"') + secondsText + QLatin1Char('"');
    if (!seconds)
        return QStringLiteral(
                   "** A number will be called every %1 seconds: %2 is not a number of seconds from 0 to 99.")
            .arg(DefaultMs / 1000)
            .arg(typed);
    if (*seconds == 0)
        return QStringLiteral("** No numbers will be called in this game: %1 seconds means never. "
                              "Type 1 to 99 and start a new game.")
            .arg(typed);
    if (*seconds == 1)
        return QStringLiteral("** A number will be called every second.");
    return QStringLiteral("** A number will be called every %1 seconds.").arg(*seconds);
}

} // namespace Interval
