// SPDX-License-Identifier: GPL-3.0-or-later
// frmMain's stages: the line over the cards that says which stage is played
// with a picture of its pattern, and the host's "Plan…".
#include "window/frmmain.h"

#include "game/bingogame.h"
#include "window/designunits.h"
#include "window/patternpicture.h"
#include "window/plandialog.h"
#include "window/windowoptions.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

void frmMain::buildStageAids()
{
    m_stagePicture = new PatternPicture(this);
    m_stagePicture->setGeometry(DesignUnits::Rect(120, 2595, 255, 255));
    m_stageLabel = new QLabel(this);
    m_stageLabel->setObjectName(QStringLiteral("lblStage"));
    m_stageLabel->setTextFormat(Qt::PlainText);
    m_stageLabel->setGeometry(DesignUnits::Rect(435, 2595, 4600, 255));
    connect(m_game, &BingoGame::StageChanged, this, &frmMain::showStage);

    QMenu *menu = m_options->Menu();
    QAction *plan = menu->addAction(QStringLiteral("Plan\u2026"));
    plan->setObjectName(QStringLiteral("mnuPlan"));
    plan->setToolTip(QStringLiteral("Chooses the stages of the rounds New Game starts."));
    connect(menu, &QMenu::aboutToShow, plan, [this, plan] { plan->setVisible(m_game->IsHost()); });
    connect(plan, &QAction::triggered, this, &frmMain::ChoosePlan);
    m_game->SetPlan(PlanDialog::Remembered(m_options->Settings()));
    showStage();
}

void frmMain::ChoosePlan()
{
    PlanDialog dialog(PlanDialog::Remembered(m_options->Settings()), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const Plan plan = dialog.Chosen();
    PlanDialog::Remember(m_options->Settings(), plan);
    m_game->SetPlan(plan);
    AddText(LogKind::Announcement,
            QStringLiteral("** The next round is played in %1 stage(s): %2.").arg(plan.Count()).arg([&] {
                QStringList names;
                for (const Pattern &pattern : plan.Stages())
                    names << pattern.Name();
                return names.join(QStringLiteral(", "));
            }()));
}

void frmMain::showStage()
{
    // A stage won: BINGO! waits until a card holds the next stage's pattern.
    m_lastLine.clear();
    m_whenBack.bingo = false;
    setBingoLit(false);
    const Plan &plan = m_game->RoundPlan();
    const int stage = m_game->Stage();
    const bool shown = plan.Count() > 1 && stage <= plan.Count();
    m_stagePicture->setVisible(shown);
    m_stageLabel->setVisible(shown);
    if (!shown)
        return;
    QString words = plan.Describe(stage);
    words[0] = words[0].toUpper();
    m_stageLabel->setText(words);
    m_stagePicture->Show(plan.Stage(stage).Example(), words);
}
