// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A game's plan: the stages of one round, each a pattern that wins it. The
// round goes on to the next stage after a win, with the same cards, and ends
// after the last. A plan of one stage, any line, is the game as it always
// was, and what a host that announces no plan plays.
//
// A plan's text, in settings and on the wire (docs/protocol.md, "Stages"),
// is its patterns' tokens joined by "@", first stage first: "line@2lines@full".
//
// StageJudge is the host's side of a round: which stage is played, and
// whether a claim for a stage may still win it. Claims for a stage that was
// just won tie with its winner until the next number is called.

#include "card/pattern.h"

#include <QList>
#include <QString>
#include <optional>
#include <span>

class Plan
{
public:
    static constexpr int MostStages = 10;

    // One stage: any line.
    Plan();
    // Nothing for no stages or more than MostStages.
    static std::optional<Plan> Of(const QList<Pattern> &stages);
    // Nothing for a text that is no plan's.
    static std::optional<Plan> FromText(const QString &text);
    QString Text() const;

    int Count() const { return int(m_stages.size()); }
    // Stage 1 to Count().
    const Pattern &Stage(int stage) const { return m_stages.at(stage - 1); }
    const QList<Pattern> &Stages() const { return m_stages; }
    bool operator==(const Plan &) const = default;

    struct Preset
    {
        QString name;
        QList<Pattern::Kind> stages;
    };
    // The common plans, the plain game first.
    static QList<Preset> Presets();
    static Plan OfPreset(const Preset &preset);

    // "the first stage" to "the tenth stage"; "stage 11" beyond.
    static QString StageName(int stage);
    // What a window says of a stage: "stage 2 of 3, Two lines".
    QString Describe(int stage) const;

private:
    explicit Plan(QList<Pattern> stages)
        : m_stages(std::move(stages))
    {}

    QList<Pattern> m_stages;
};

class StageJudge
{
public:
    enum class Verdict {
        Plays, // the stage being played: the claim wins when its numbers do
        Ties, // the stage just won, before the next call: a shared win when its numbers do
        Taken, // a stage already won, or already won by this claimant
        NotPlayed, // a stage the plan has not reached, or has not got
    };

    // A new round of `plan`: its first stage is played.
    void Start(const Plan &plan);
    // The verdict on a claim by `claimant` for `stage`, with `callCount` numbers called.
    Verdict Judge(const QString &claimant, int stage, int callCount) const;
    // A claim for `stage` won (Plays or Ties): with Plays, the next stage is played.
    void Won(const QString &claimant, int stage, int callCount);
    // A resumed round: `stage` is played (Count() + 1: every stage is won).
    void Resume(const Plan &plan, int stage);

    const Plan &RoundPlan() const { return m_plan; }
    // 1 to Count(), or Count() + 1 once the last stage is won.
    int Current() const { return m_current; }
    bool AllWon() const { return m_current > m_plan.Count(); }
    std::span<const CardCells::Set> Shapes(int stage) const;

private:
    Plan m_plan;
    int m_current = 1;
    int m_lastWon = 0; // the stage last won; 0: none this round
    int m_callsAtWin = -1; // the numbers called when it was won
    QStringList m_lastWinners;
};
