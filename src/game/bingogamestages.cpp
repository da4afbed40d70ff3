// SPDX-License-Identifier: GPL-3.0-or-later
// BingoGame's stages: the plan record the host sends and every game takes
// (docs/protocol.md, "Stages"), and what a card must hold now.
#include "game/bingogame.h"

#include "game/commandrecord.h"

void BingoGame::announcePlan()
{
    // Every game starts a round as the plain game, so that one needs no
    // record. Old windows ignore the record and play the first stage.
    if (m_judge.RoundPlan() == Plan())
        return;
    const int stage = std::min(m_judge.Current(), m_judge.RoundPlan().Count());
    sendCommand(CommandRecord::AnnouncePlan(stage, m_judge.RoundPlan().Text()));
}

void BingoGame::takePlan(int stage, const QStringList &tokens)
{
    const std::optional<Plan> plan = Plan::FromText(tokens.join(u'@'));
    if (!plan || stage < 1 || stage > plan->Count())
        return; // a plan this release cannot play: the round stays as it is
    if (*plan == m_plan && stage == m_stage)
        return; // told again, for a player who joined
    m_plan = *plan;
    m_stage = stage;
    if (m_plan.Count() > 1)
        emit Log(LogKind::Announcement, QStringLiteral("** Now playing %1.").arg(m_plan.Describe(m_stage)));
    emit StageChanged();
    emit ViewChanged();
}

std::span<const CardCells::Set> BingoGame::StageShapes() const
{
    if (m_stage < 1 || m_stage > m_plan.Count())
        return {};
    const QList<CardCells::Set> &shapes = m_plan.Stage(m_stage).Shapes();
    return {shapes.constData(), std::size_t(shapes.size())};
}

void BingoGame::EarlierReleasePresent(const QString &name)
{
    if (!m_isHost || m_earlierSaid || m_nextPlan.Count() < 2)
        return;
    m_earlierSaid = true;
    emit Log(LogKind::Announcement,
             QStringLiteral("** %1 plays in a window of an earlier release, which plays only the first stage of your "
                            "plan: its claims for later stages cannot be made.")
                 .arg(name));
}
