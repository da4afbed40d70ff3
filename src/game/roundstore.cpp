// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/roundstore.h"

#include "card/cardmodel.h"
#include "game/numbercaller.h"
#include "support/statefile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

namespace {

QJsonArray numbersArray(const QList<int> &numbers)
{
    QJsonArray array;
    for (int n : numbers)
        array.append(n);
    return array;
}

// The numbers of `value`, each a whole number from `lowest` to 100; nothing
// when it holds anything else.
std::optional<QList<int>> numbersFrom(const QJsonValue &value, int lowest)
{
    if (!value.isArray())
        return std::nullopt;
    QList<int> numbers;
    for (const auto &item : value.toArray()) {
        const int n = item.toInt(-1);
        if (!item.isDouble() || n < lowest || n > NumberCaller::Highest || item.toDouble() != n)
            return std::nullopt;
        numbers << n;
    }
    return numbers;
}

QJsonObject seedsObject(const QHash<QString, QString> &seeds)
{
    QJsonObject object;
    for (auto seed = seeds.begin(); seed != seeds.end(); ++seed)
        object.insert(seed.key(), seed.value());
    return object;
}

} // namespace

RoundStore::RoundStore(const QString &folder, const QString &gameKey)
    : m_path(QDir(folder).filePath(StateFile::NameFor(QStringLiteral("round"), gameKey)))
{}

QString RoundStore::Save(const RoundState &state) const
{
    QJsonArray cards;
    for (const QList<int> &card : state.cards)
        cards.append(numbersArray(card));
    return StateFile::Write(m_path,
                            {{QStringLiteral("seconds"), state.seconds},
                             {QStringLiteral("called"), numbersArray(state.called)},
                             {QStringLiteral("inProgress"), state.inProgress},
                             {QStringLiteral("claimAccepted"), state.claimAccepted},
                             {QStringLiteral("winner"), state.winnerName},
                             {QStringLiteral("total"), state.winnerTotal},
                             {QStringLiteral("forced"), state.forcedNumber},
                             {QStringLiteral("players"), QJsonArray::fromStringList(state.players)},
                             {QStringLiteral("cards"), cards},
                             {QStringLiteral("seed"), state.seed},
                             {QStringLiteral("seeds"), seedsObject(state.seeds)},
                             {QStringLiteral("declared"), QJsonArray::fromStringList(state.declared)},
                             {QStringLiteral("plan"), state.plan},
                             {QStringLiteral("stage"), state.stage}});
}

RoundStore::Loaded RoundStore::Load() const
{
    const StateFile::Read read = StateFile::ReadObject(m_path);
    if (!read.object)
        return {std::nullopt, read.problem};
    const QJsonObject &object = *read.object;
    const QString broken = StateFile::Damaged(m_path);
    RoundState state;
    const std::optional<QList<int>> called = numbersFrom(object.value(QStringLiteral("called")), 1);
    // A number called twice would make the round's count a lie.
    if (!called || QSet<int>(called->begin(), called->end()).size() != called->size())
        return {std::nullopt, broken};
    state.called = *called;
    for (const auto &card : object.value(QStringLiteral("cards")).toArray()) {
        const std::optional<QList<int>> numbers = numbersFrom(card, 0);
        if (!numbers || numbers->size() != CardCells::Count)
            return {std::nullopt, broken};
        state.cards << *numbers;
    }
    const int forced = object.value(QStringLiteral("forced")).toInt();
    if (forced < -32768 || forced > 32767)
        return {std::nullopt, broken};
    state.forcedNumber = qint16(forced);
    state.seconds = object.value(QStringLiteral("seconds")).toString();
    state.inProgress = object.value(QStringLiteral("inProgress")).toBool();
    state.claimAccepted = object.value(QStringLiteral("claimAccepted")).toBool();
    state.winnerName = object.value(QStringLiteral("winner")).toString();
    state.winnerTotal = object.value(QStringLiteral("total")).toString();
    state.plan = object.value(QStringLiteral("plan")).toString();
    // A round kept by an earlier release played one stage, won or not.
    state.stage = object.value(QStringLiteral("stage")).toInt(state.claimAccepted ? 2 : 1);
    for (const auto &player : object.value(QStringLiteral("players")).toArray())
        state.players << player.toString();
    // A round kept by an earlier release has no seeds: its claims are judged
    // as unchecked cards' are.
    state.seed = object.value(QStringLiteral("seed")).toString();
    const QJsonObject seeds = object.value(QStringLiteral("seeds")).toObject();
    for (auto seed = seeds.begin(); seed != seeds.end(); ++seed)
        state.seeds.insert(seed.key(), seed.value().toString());
    for (const auto &key : object.value(QStringLiteral("declared")).toArray())
        state.declared << key.toString();
    return {state, {}};
}

void RoundStore::Remove() const { QFile::remove(m_path); }
