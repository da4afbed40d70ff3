// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/plan.h"

#include <QStringList>

Plan::Plan()
    : m_stages{Pattern::Of(Pattern::Kind::AnyLine)}
{}

std::optional<Plan> Plan::Of(const QList<Pattern> &stages)
{
    if (stages.isEmpty() || stages.size() > MostStages)
        return std::nullopt;
    return Plan(stages);
}

std::optional<Plan> Plan::FromText(const QString &text)
{
    QList<Pattern> stages;
    // Split without skipping: "line@@full" is no plan, not a plan of two.
    for (const QString &token : text.split(u'@')) {
        const std::optional<Pattern> pattern = Pattern::FromToken(token);
        if (!pattern)
            return std::nullopt;
        stages << *pattern;
    }
    return Of(stages);
}

QString Plan::Text() const
{
    QStringList tokens;
    for (const Pattern &pattern : m_stages)
        tokens << pattern.Token();
    return tokens.join(u'@');
}

QList<Plan::Preset> Plan::Presets()
{
    using K = Pattern::Kind;
    return {
        {QStringLiteral("One line"), {K::AnyLine}},
        {QStringLiteral("Line, two lines, full card"), {K::AnyLine, K::TwoLines, K::FullCard}},
        {QStringLiteral("Four corners, X, full card"), {K::FourCorners, K::X, K::FullCard}},
        {QStringLiteral("Line, outer frame, full card"), {K::AnyLine, K::OuterFrame, K::FullCard}},
        {QStringLiteral("Full card"), {K::FullCard}},
    };
}

Plan Plan::OfPreset(const Preset &preset)
{
    QList<Pattern> stages;
    for (const Pattern::Kind kind : preset.stages)
        stages << Pattern::Of(kind);
    return Plan(stages);
}

QString Plan::StageName(int stage)
{
    static const char *const ordinals[]
        = {"first", "second", "third", "fourth", "fifth", "sixth", "seventh", "eighth", "ninth", "tenth"};
    if (stage < 1 || stage > int(std::size(ordinals)))
        return QStringLiteral("stage %1").arg(stage);
    return QStringLiteral("the %1 stage").arg(QLatin1StringView(ordinals[stage - 1]));
}

QString Plan::Describe(int stage) const
{
    if (stage < 1 || stage > Count())
        return {};
    return QStringLiteral("stage %1 of %2, %3").arg(stage).arg(Count()).arg(Stage(stage).Name());
}

void StageJudge::Start(const Plan &plan) { Resume(plan, 1); }

void StageJudge::Resume(const Plan &plan, int stage)
{
    m_plan = plan;
    m_current = std::clamp(stage, 1, plan.Count() + 1);
    m_lastWon = 0;
    m_callsAtWin = -1;
    m_lastWinners.clear();
}

StageJudge::Verdict StageJudge::Judge(const QString &claimant, int stage, int callCount) const
{
    if (stage == m_lastWon && callCount == m_callsAtWin)
        return m_lastWinners.contains(claimant) ? Verdict::Taken : Verdict::Ties;
    if (stage < 1 || stage > m_plan.Count() || stage > m_current)
        return Verdict::NotPlayed;
    return stage < m_current ? Verdict::Taken : Verdict::Plays;
}

void StageJudge::Won(const QString &claimant, int stage, int callCount)
{
    if (stage != m_lastWon || callCount != m_callsAtWin)
        m_lastWinners.clear();
    m_lastWinners << claimant;
    m_lastWon = stage;
    m_callsAtWin = callCount;
    if (stage == m_current)
        ++m_current;
}

std::span<const CardCells::Set> StageJudge::Shapes(int stage) const
{
    if (stage < 1 || stage > m_plan.Count())
        return {};
    const QList<CardCells::Set> &shapes = m_plan.Stage(stage).Shapes();
    return {shapes.constData(), std::size_t(shapes.size())};
}
