// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// "Plan…": the host chooses the stages of the next rounds before New Game.
// A preset fills the list of stages; a stage is added from the patterns
// offered, or drawn on a small 5 × 5 grid of cells. The window remembers
// the last plan chosen (Remembered, Remember).

#include "game/plan.h"

#include <QDialog>
#include <array>

class QComboBox;
class QListWidget;
class QPushButton;
class QSettings;
class QToolButton;

class PlanDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PlanDialog(const Plan &plan, QWidget *parent = nullptr);

    // The plan as the list shows it now.
    Plan Chosen() const;

    // The plan kept in the settings; the plain game when none is, or it
    // cannot be read.
    static Plan Remembered(const QSettings &settings);
    static void Remember(QSettings &settings, const Plan &plan);

private:
    void showPlan(const Plan &plan);
    void addStage();
    void removeStage();
    void updateButtons();

    QList<Pattern> m_stages;
    QComboBox *m_presets = nullptr;
    QListWidget *m_list = nullptr;
    QComboBox *m_patterns = nullptr;
    std::array<QToolButton *, CardCells::Count> m_cells{};
    QPushButton *m_add = nullptr;
    QPushButton *m_remove = nullptr;
};
