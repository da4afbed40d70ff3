// SPDX-License-Identifier: GPL-3.0-or-later
// BingoGame's stages: the plan record the host sends and every game takes
// (docs/protocol.md, "Stages"), what a card must hold now, and the wins of
// each stage, shared or not.
#include "game/bingogame.h"

#include "game/commandrecord.h"
#include "support/playername.h"

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
                 .arg(PlayerName::Shown(name)));
}

void BingoGame::won(const QString &name, const QString &total, int stage, bool cardUnchecked)
{
    const QString unchecked = cardUnchecked ? QStringLiteral(" (card not checked)") : QString();
    // A second winner of the stage just won shares it: the host accepts
    // such a claim only until its next call.
    if (stage > 0 && stage == m_wonStage) {
        if (m_stageWinners.contains(name))
            return;
        m_stageWinners << name;
        QStringList shown;
        for (const QString &winner : std::as_const(m_stageWinners))
            shown << PlayerName::Shown(winner);
        const QString shared
            = CallerText::Shared(shown, m_plan.Count() > 1 ? Plan::StageName(stage) : QString());
        emit Log(LogKind::Announcement,
                 QStringLiteral("** %1! %2: %3 Total Win(s)! **").arg(shared, PlayerName::Shown(name), total) + unchecked);
        emit Won(name, total);
        emit News(NewsKind::Win, shared);
        emit Speak(shared);
        emit ViewChanged();
        return;
    }
    stageWon(name, total, stage, unchecked);
    keepRound();
    emit Won(m_winnerName, m_winnerTotal);
    emit News(NewsKind::Win, CallerText::Win(m_winnerName, m_winnerTotal, winningStage()));
    emit Speak(CallerText::Win(m_winnerName, m_winnerTotal, winningStage()));
    emit ViewChanged();
}

void BingoGame::stageWon(const QString &name, const QString &total, int stage, const QString &unchecked)
{
    m_wonStage = stage;
    m_stageWinners = QStringList{name};
    m_winnerName = name;
    m_winnerTotal = total;
    // A host that names no stage plays the plain game: its win ends the round.
    const bool last = stage == 0 || stage >= m_plan.Count();
    if (winningStage().isEmpty())
        emit Log(LogKind::Announcement,
                 QStringLiteral("** ") + PlayerName::Shown(name) + QStringLiteral(" Has Won The Game! ") + total
                     + QStringLiteral(" Total Win(s)! **") + unchecked);
    else
        emit Log(LogKind::Announcement,
                 QStringLiteral("** %1 Has Won %2 (%3)! %4 Total Win(s)! **")
                     .arg(PlayerName::Shown(name), winningStage(), m_plan.Stage(stage).Name(), total)
                     + unchecked);
    if (!last) {
        m_stage = stage + 1;
        emit Log(LogKind::Announcement, QStringLiteral("** Now playing %1.").arg(m_plan.Describe(m_stage)));
        emit StageChanged();
        return;
    }
    m_stage = m_plan.Count() + 1;
    if (m_isHost)
        emit Log(LogKind::Announcement, QStringLiteral("** Click 'New Game' To Begin The Next Round."));
    m_inProgress = false;
    emit RoundOver();
    emit StageChanged();
}

QString BingoGame::winningStage() const
{
    if (m_wonStage < 1 || m_wonStage > m_plan.Count() || m_plan.Count() < 2)
        return {};
    return Plan::StageName(m_wonStage);
}
