// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Readable Qt values in GoogleTest's failure messages.

#include <QStringList>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

inline void PrintTo(const QStringList &texts, std::ostream *os)
{
    *os << (texts.isEmpty() ? std::string("{}") : "{ \"" + texts.join(QStringLiteral("\", \"")).toStdString() + "\" }");
}
