// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/logtext.h"

#include "support/playername.h"

#include <QList>

QString LogText(const QString &peerText)
{
    constexpr int MaxChars = 64;
    QString out;
    int count = 0;
    for (const char32_t c : peerText.toUcs4()) {
        if (++count > MaxChars)
            return out + QChar(0x2026);
        // Written as itself, a backslash would make an escape ambiguous.
        if (c == U'\\' || PlayerName::Hidden(c))
            out += QStringLiteral("\\u{%1}").arg(uint(c), 0, 16);
        else
            out += QString::fromUcs4(&c, 1);
    }
    return out;
}
