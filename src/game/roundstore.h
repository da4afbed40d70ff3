// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The round a host's window calls, kept in a state file of its game (one
// per game key) after every change, so a window started again for the same
// game carries on the same round: the numbers called in order, the
// interval, whether a claim has won it and who, the number a chat command
// forces, the players who were in it, the host's own cards and the seeds
// the players' cards are dealt from.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

struct RoundState
{
    QString seconds; // the interval as the host typed it
    QList<int> called; // in call order
    bool inProgress = false;
    bool claimAccepted = false;
    QString winnerName, winnerTotal;
    qint16 forcedNumber = 0;
    QStringList players;
    QList<QList<int>> cards; // each card's numbers in cell order; empty: none kept
    QString seed; // the round's seed; empty: its cards cannot be checked
    QHash<QString, QString> seeds; // each player's seed, by name key
    QStringList declared; // the players dealing from the seed, by name key
    QString plan; // the round's plan as text (Plan::Text); empty: the plain game
    int stage = 1; // the stage played; the plan's count + 1 once all are won

    bool operator==(const RoundState &) const = default;
};

class RoundStore
{
public:
    RoundStore(const QString &folder, const QString &gameKey);

    // The reason when the state could not be kept, else an empty text.
    QString Save(const RoundState &state) const;
    struct Loaded
    {
        std::optional<RoundState> state; // nothing: none kept, or a broken one
        QString problem; // why a kept state cannot be used
    };
    Loaded Load() const;
    // The game is over for good: nothing is kept for it.
    void Remove() const;

private:
    QString m_path;
};
