// SPDX-License-Identifier: GPL-3.0-or-later
#include "card/seededdeal.h"

#include "card/deal.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QtEndian>
#include <algorithm>
#include <array>

namespace SeededDeal {

namespace {

// Words from here up would favour the low draws: they are skipped.
constexpr quint32 WordLimit = quint32(0x1'0000'0000ULL / CardDeal::HighestDraw * CardDeal::HighestDraw);

// The counter-mode stream of one card, word by word.
class DrawStream
{
public:
    DrawStream(const QString &seed, const QString &name, int index)
        : m_prefix(
            (seed + QLatin1Char('|') + name + QLatin1Char('|') + QString::number(index) + QLatin1Char('|')).toUtf8())
    {}

    int NextDraw()
    {
        for (;;) {
            const quint32 word = nextWord();
            if (word < WordLimit)
                return int(word % CardDeal::HighestDraw) + 1;
        }
    }

private:
    quint32 nextWord()
    {
        if (m_used == m_block.size()) {
            m_block = QCryptographicHash::hash(m_prefix + QByteArray::number(m_counter++), QCryptographicHash::Sha256);
            m_used = 0;
        }
        const quint32 word = qFromBigEndian<quint32>(m_block.constData() + m_used);
        m_used += 4;
        return word;
    }

    QByteArray m_prefix;
    QByteArray m_block;
    qsizetype m_used = 0;
    qint64 m_counter = 0;
};

} // namespace

QString NewSeed()
{
    std::array<quint32, 4> words{};
    QRandomGenerator::system()->fillRange(words.data(), qsizetype(words.size()));
    QString seed;
    for (quint32 word : words)
        seed += QStringLiteral("%1").arg(word, 8, 16, QLatin1Char('0'));
    return seed;
}

bool IsSeed(const QString &text)
{
    if (text.isEmpty() || text.size() > 64)
        return false;
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'); });
}

CardModel::Numbers Card(const QString &seed, const QString &name, int index)
{
    DrawStream stream(seed, name, index);
    return CardDeal::Deal([&stream] { return stream.NextDraw(); });
}

QList<CardModel::Numbers> PlayerCards(const QString &seed, const QString &name)
{
    return {Card(seed, name, 0), Card(seed, name, 1)};
}

QString PaperName(int number) { return QStringLiteral("Paper card %1").arg(number); }

} // namespace SeededDeal
