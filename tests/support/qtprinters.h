#pragma once
// Readable GoogleTest output for Qt's text types.

#include <QStringList>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList &texts, std::ostream *out)
{
    *out << '{';
    for (qsizetype i = 0; i < texts.size(); ++i) {
        *out << (i ? ", " : " ");
        PrintTo(texts.at(i), out);
    }
    *out << " }";
}
