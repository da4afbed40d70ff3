// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/commandrecord.h"

#include "card/seededdeal.h"
#include "support/textnum.h"

#include <algorithm>
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

namespace {

QString joined(const QList<int> &numbers)
{
    QStringList texts;
    for (int n : numbers)
        texts << QString::number(n);
    return texts.join(QLatin1Char('@'));
}

// The stage a claim or win names in its fourth field (docs/protocol.md,
// "Stages"): 0 when it has none, as an earlier release sends it; -1 for a
// field that is no stage number, which no plan has.
int stageIn(const QStringList &fields)
{
    if (fields.size() < 4)
        return 0;
    const std::optional<int> stage = WholeNumber(fields.at(3));
    return stage && *stage > 0 ? *stage : -1;
}

} // namespace

std::optional<CommandRecord> CommandRecord::Read(const QString &record)
{
    // Empty texts between separators are fields too: "3||2" names nobody.
    const QStringList fields = record.split(QLatin1Char('|'));
    const std::optional<int> number = WholeNumber(fields.at(0));
    const std::optional<DeliveryKind> kind = number ? CommandKindOf(*number) : std::nullopt;
    if (!kind)
        return std::nullopt;

    CommandRecord read;
    read.kind = *kind;
    switch (*kind) {
    case DeliveryKind::NumberCalled: {
        const std::optional<int> called = fields.size() < 2 ? std::nullopt : WholeNumber(fields.at(1));
        if (!called || *called < 1 || *called > 100)
            return std::nullopt;
        read.number = *called;
        read.text = fields.at(1);
        return read;
    }
    case DeliveryKind::NewGame:
        if (fields.size() < 3)
            return std::nullopt;
        read.text = fields.at(2);
        return read;
    case DeliveryKind::WinConfirmed:
        if (fields.size() < 3)
            return std::nullopt;
        read.name = fields.at(1);
        read.text = fields.at(2);
        read.stage = std::max(stageIn(fields), 0);
        read.cardUnchecked = fields.size() > 4 && fields.at(4) == u"unchecked";
        return read;
    case DeliveryKind::Claim:
        if (fields.size() < 3)
            return std::nullopt;
        read.name = fields.at(1);
        read.items = fields.at(2).split(QLatin1Char('@'));
        read.stage = stageIn(fields);
        return read;
    case DeliveryKind::StagePlan: {
        const std::optional<int> stage = fields.size() < 3 ? std::nullopt : WholeNumber(fields.at(1));
        if (!stage)
            return std::nullopt;
        read.stage = *stage;
        read.items = fields.at(2).split(QLatin1Char('@'));
        return read;
    }
    case DeliveryKind::CatchUp:
    case DeliveryKind::ClaimRefused:
        if (fields.size() < 4)
            return std::nullopt;
        read.name = fields.at(1);
        read.text = fields.at(2);
        read.items = fields.at(3).split(QLatin1Char('@'), Qt::SkipEmptyParts);
        // A catch-up's seed that is not one is no seed: the cards are the
        // window's own, as with a host of an earlier release.
        if (*kind == DeliveryKind::CatchUp && fields.size() > 4 && SeededDeal::IsSeed(fields.at(4)))
            read.seed = fields.at(4);
        return read;
    case DeliveryKind::HostBack:
    case DeliveryKind::DealsFromSeed:
        if (fields.size() < 2)
            return std::nullopt;
        read.name = fields.at(1);
        return read;
    case DeliveryKind::RoundSeed:
        if (fields.size() < 2 || !SeededDeal::IsSeed(fields.at(1)))
            return std::nullopt;
        read.seed = fields.at(1);
        return read;
    case DeliveryKind::PlayerEntered:
    case DeliveryKind::PlayerExited:
    case DeliveryKind::ChatLine:
    case DeliveryKind::Emote:
    case DeliveryKind::ChatCommand:
        break; // not command records
    }
    return std::nullopt;
}

QString CommandRecord::Called(int number) { return QStringLiteral("1|") + QString::number(number); }

QString CommandRecord::StartGame(const QString &seconds) { return QStringLiteral("2|ResetMe|") + seconds; }

QString CommandRecord::Won(const QString &name, int total, int stage, bool cardUnchecked)
{
    return QStringLiteral("3|") + name + QLatin1Char('|') + QString::number(total) + QLatin1Char('|')
         + QString::number(stage) + (cardUnchecked ? QStringLiteral("|unchecked") : QString());
}

QString CommandRecord::MakeClaim(const QString &name, const QList<int> &numbers, int stage)
{
    return QStringLiteral("4|") + name + QLatin1Char('|') + joined(numbers) + QLatin1Char('|') + QString::number(stage);
}

QString CommandRecord::MakeCatchUp(const QString &name, const QString &seconds, const QList<int> &called,
                                   const QString &seed)
{
    return QStringLiteral("5|") + name + QLatin1Char('|') + seconds + QLatin1Char('|') + joined(called)
         + (seed.isEmpty() ? QString() : QLatin1Char('|') + seed);
}

QString CommandRecord::RefuseClaim(const QString &name, const QString &why, const QStringList &detail)
{
    return QStringLiteral("6|") + name + QLatin1Char('|') + why + QLatin1Char('|') + detail.join(QLatin1Char('@'));
}

QString CommandRecord::HostBack(const QString &name) { return QStringLiteral("7|") + name; }

QString CommandRecord::RoundSeed(const QString &seed) { return QStringLiteral("8|") + seed; }

QString CommandRecord::DealsFromSeed(const QString &name) { return QStringLiteral("9|") + name; }

QString CommandRecord::AnnouncePlan(int stage, const QString &planText)
{
    return QStringLiteral("10|") + QString::number(stage) + QLatin1Char('|') + planText;
}
