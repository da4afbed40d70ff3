#pragma once
// Records a game window hands to the game link. A record is a list of fields
// joined by U+00FF: "G", the game key, a kind letter, then the kind's fields.
//
//   I  "G" ÿ key ÿ "I" ÿ window handle in decimal
//   A  "G" ÿ key ÿ "A" ÿ " " caption ÿ name " " caption
//   C  "G" ÿ key ÿ "C" ÿ message text (everything after the third ÿ,
//      whatever it holds, further ÿ included)
//   P  "G" ÿ key ÿ "P"   the answer to the hub's Ping (link/hubcontrol.h)
//
// The hub reads them back with Parse; the game window builds them.

#include <QString>
#include <optional>

namespace LinkRecord {

inline constexpr QChar Separator = QChar(0x00FF);

QString Identify(const QString &key, quint64 windowHandle);
QString Announce(const QString &key, const QString &caption, const QString &name);
QString Message(const QString &key, const QString &messageText);
QString PingAnswer(const QString &key);

struct Parsed
{
    QChar kind;          // 'I', 'A', 'C' or 'P'
    QString key;
    QString name;        // "A" only: the player's name
    QString messageText; // "C" only
};

// Nothing for a record of another form: not starting with "G", an unknown
// kind, or an "A" record whose last field does not end with the field before it.
std::optional<Parsed> Parse(const QString &record);

} // namespace LinkRecord
