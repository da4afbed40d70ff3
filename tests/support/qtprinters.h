#pragma once
// Readable Qt values in GoogleTest's failure messages.

#include <QPair>
#include <QString>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QPair<QString, QString> &pair, std::ostream *os)
{
    *os << "(\"" << pair.first.toStdString() << "\", \"" << pair.second.toStdString() << "\")";
}
