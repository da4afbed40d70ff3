#include "game/commandrecord.h"

#include "support/textnum.h"

#include <limits>

std::optional<int> WholeNumber(const QString &text)
{
    const std::optional<double> rounded = TextNum::RoundedValue(text);
    // RoundedValue accepted the text, so it reads as a plain decimal here too.
    if (!rounded || *rounded != text.trimmed().toDouble())
        return std::nullopt;
    if (*rounded < std::numeric_limits<int>::min() || *rounded > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(*rounded);
}

std::optional<int> CommandRecord::KindOf(const QString &record)
{
    return WholeNumber(record.section(QLatin1Char('|'), 0, 0));
}

std::optional<QString> CommandRecord::SecondField(const QString &record)
{
    const QStringList fields = record.split(QLatin1Char('|'));
    if (fields.size() < 2)
        return std::nullopt;
    return fields.at(1);
}

std::optional<CommandRecord> CommandRecord::Read(const QString &record)
{
    // Empty texts between separators are fields too: "3||2" names nobody.
    const QStringList fields = record.split(QLatin1Char('|'));
    const std::optional<int> kind = WholeNumber(fields.at(0));
    if (!kind)
        return std::nullopt;

    CommandRecord read;
    switch (*kind) {
    case NumberCalled: {
        if (fields.size() < 2)
            return std::nullopt;
        const std::optional<int> number = WholeNumber(fields.at(1));
        if (!number || *number < 1 || *number > 100)
            return std::nullopt;
        read.number = *number;
        read.text = fields.at(1);
        break;
    }
    case NewGame:
        if (fields.size() < 3)
            return std::nullopt;
        read.text = fields.at(2);
        break;
    case WinConfirmed:
        if (fields.size() < 3)
            return std::nullopt;
        read.name = fields.at(1);
        read.text = fields.at(2);
        break;
    case Claim:
        if (fields.size() < 3)
            return std::nullopt;
        read.name = fields.at(1);
        read.items = fields.at(2).split(QLatin1Char('@'));
        break;
    case CatchUp:
    case ClaimRefused:
        if (fields.size() < 4)
            return std::nullopt;
        read.name = fields.at(1);
        read.text = fields.at(2);
        read.items = fields.at(3).split(QLatin1Char('@'), Qt::SkipEmptyParts);
        break;
    default:
        return std::nullopt;
    }
    read.kind = Kind(*kind);
    return read;
}

QString CommandRecord::Called(int number)
{
    return QStringLiteral("1|") + QString::number(number);
}

QString CommandRecord::StartGame(const QString &seconds)
{
    return QStringLiteral("2|ResetMe|") + seconds;
}

QString CommandRecord::Won(const QString &name, int total)
{
    return QStringLiteral("3|") + name + QLatin1Char('|') + QString::number(total);
}

QString CommandRecord::MakeClaim(const QString &name, const QStringList &numbers)
{
    return QStringLiteral("4|") + name + QLatin1Char('|') + numbers.join(QLatin1Char('@'));
}

QString CommandRecord::MakeCatchUp(const QString &name, const QString &seconds, const QList<int> &called)
{
    QStringList numbers;
    for (int n : called)
        numbers << QString::number(n);
    return QStringLiteral("5|") + name + QLatin1Char('|') + seconds + QLatin1Char('|') + numbers.join(QLatin1Char('@'));
}

QString CommandRecord::RefuseClaim(const QString &name, const QString &why, const QStringList &detail)
{
    return QStringLiteral("6|") + name + QLatin1Char('|') + why + QLatin1Char('|') + detail.join(QLatin1Char('@'));
}
