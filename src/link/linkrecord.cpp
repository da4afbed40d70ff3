// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/linkrecord.h"

#include "link/framecodec.h"

#include <QStringList>

namespace LinkRecord {

static QString join(const QStringList &fields) { return fields.join(Separator); }

QString Identify(const QString &key, quint64 windowHandle)
{
    return join({QStringLiteral("G"), key, QStringLiteral("I"), QString::number(windowHandle)});
}

QString HostSecret(const QString &key, const QString &secret)
{
    return join({QStringLiteral("G"), key, QStringLiteral("S"), secret});
}

QString Announce(const QString &key, const QString &caption, const QString &name)
{
    const QString suffix = QLatin1Char(' ') + caption;
    return join({QStringLiteral("G"), key, QStringLiteral("A"), suffix, name + suffix});
}

QString Message(const QString &key, const QString &messageText)
{
    return join({QStringLiteral("G"), key, QStringLiteral("C"), messageText});
}

QString PingAnswer(const QString &key) { return join({QStringLiteral("G"), key, QStringLiteral("P")}); }
QString Beat(const QString &key) { return join({QStringLiteral("G"), key, QStringLiteral("B")}); }

QString Acknowledge(const QString &key, quint64 count)
{
    return join({QStringLiteral("G"), key, QStringLiteral("K"), QString::number(count)});
}

QString Resume(const QString &key, const QString &name, const QString &secret, quint64 count)
{
    return join({QStringLiteral("G"), key, QStringLiteral("R"), name, secret, QString::number(count)});
}

QString Leave(const QString &key) { return join({QStringLiteral("G"), key, QStringLiteral("X")}); }

QString EndGame(const QString &key) { return join({QStringLiteral("G"), key, QStringLiteral("E")}); }

QString DisplayJoin(const QString &key) { return join({QStringLiteral("G"), key, QStringLiteral("D")}); }

QString Room(const QString &key, const QString &verb, const QString &name)
{
    QStringList fields{QStringLiteral("G"), key, QStringLiteral("H"), verb};
    if (!name.isEmpty())
        fields << name;
    return join(fields);
}

bool CanJoinWith(const QString &key, const QString &caption, const QString &name)
{
    return !key.contains(Separator) && !name.contains(Separator) && !caption.contains(Separator)
        && quint64(Announce(key, caption, name).toUtf8().size()) <= Frame::MaxPayload;
}

std::optional<Parsed> Parse(const QString &record)
{
    // Only the first three separators cut: a message text keeps any others.
    const qsizetype s1 = record.indexOf(Separator);
    if (s1 < 0 || QStringView(record).left(s1) != u"G")
        return std::nullopt;
    const qsizetype s2 = record.indexOf(Separator, s1 + 1);
    if (s2 < 0)
        return std::nullopt;
    const qsizetype s3 = record.indexOf(Separator, s2 + 1);
    const QStringView kind = QStringView(record).mid(s2 + 1, (s3 < 0 ? record.size() : s3) - s2 - 1);

    Parsed parsed;
    parsed.key = record.mid(s1 + 1, s2 - s1 - 1);
    if (kind == u"I" || kind == u"P" || kind == u"B" || kind == u"X" || kind == u"E" || kind == u"D") {
        parsed.kind = kind.front();
        return parsed;
    }
    if (s3 < 0)
        return std::nullopt;
    const QString rest = record.mid(s3 + 1);
    if (kind == u"C") {
        parsed.kind = QLatin1Char('C');
        parsed.messageText = rest;
        return parsed;
    }
    if (kind == u"S") {
        parsed.kind = QLatin1Char('S');
        parsed.secret = rest;
        return parsed;
    }
    if (kind == u"K" || kind == u"R") {
        // Counts are plain decimal digits; a name or secret never holds the separator.
        const QStringList fields = rest.split(Separator);
        bool ok = false;
        parsed.count = fields.last().toULongLong(&ok);
        if (!ok || !fields.last().front().isDigit() || fields.size() != (kind == u"K" ? 1 : 3))
            return std::nullopt;
        parsed.kind = kind.front();
        if (kind == u"R") {
            parsed.name = fields.at(0);
            parsed.secret = fields.at(1);
        }
        return parsed;
    }
    if (kind == u"H") {
        // A verb, then the name of the player it is about, if any.
        const QStringList fields = rest.split(Separator);
        if (fields.size() > 2 || fields.first().isEmpty())
            return std::nullopt;
        parsed.kind = QLatin1Char('H');
        parsed.verb = fields.first();
        parsed.name = fields.value(1);
        return parsed;
    }
    if (kind == u"A") {
        // The name is the last field less the text of the field before it:
        // "Ann Kalumo Bingo" less " Kalumo Bingo" is Ann.
        const QStringList fields = rest.split(Separator);
        if (fields.size() < 2)
            return std::nullopt;
        const QString &suffix = fields.at(fields.size() - 2);
        const QString &last = fields.last();
        if (!last.endsWith(suffix))
            return std::nullopt;
        parsed.kind = QLatin1Char('A');
        parsed.name = last.left(last.size() - suffix.size());
        return parsed;
    }
    return std::nullopt;
}

} // namespace LinkRecord
