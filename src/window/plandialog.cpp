// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/plandialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString PlanKey = QStringLiteral("plan");

using Kind = Pattern::Kind;
const Kind Offered[]
    = {Kind::AnyLine, Kind::TwoLines, Kind::FourCorners, Kind::X, Kind::OuterFrame, Kind::FullCard, Kind::Drawn};

} // namespace

PlanDialog::PlanDialog(const Plan &plan, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgPlan"));
    setWindowTitle(QStringLiteral("Plan of the game"));
    auto *layout = new QVBoxLayout(this);

    m_presets = new QComboBox(this);
    m_presets->setObjectName(QStringLiteral("cboPreset"));
    m_presets->setAccessibleName(QStringLiteral("Preset plans"));
    m_presets->addItem(QStringLiteral("Choose a preset\u2026"));
    for (const Plan::Preset &preset : Plan::Presets())
        m_presets->addItem(preset.name);
    connect(m_presets, &QComboBox::activated, this, [this](int index) {
        if (index > 0)
            showPlan(Plan::OfPreset(Plan::Presets().at(index - 1)));
    });
    layout->addWidget(m_presets);

    layout->addWidget(new QLabel(QStringLiteral("Stages, played in this order; each is a win:"), this));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstStages"));
    m_list->setAccessibleName(QStringLiteral("Stages"));
    connect(m_list, &QListWidget::currentRowChanged, this, &PlanDialog::updateButtons);
    layout->addWidget(m_list);

    auto *adding = new QHBoxLayout;
    m_patterns = new QComboBox(this);
    m_patterns->setObjectName(QStringLiteral("cboPattern"));
    m_patterns->setAccessibleName(QStringLiteral("Pattern to add"));
    for (const Kind kind : Offered)
        m_patterns->addItem(kind == Kind::Drawn ? QStringLiteral("The pattern drawn below") : Pattern::Of(kind).Name());
    m_add = new QPushButton(QStringLiteral("Add stage"), this);
    m_add->setObjectName(QStringLiteral("cmdAddStage"));
    m_remove = new QPushButton(QStringLiteral("Remove stage"), this);
    m_remove->setObjectName(QStringLiteral("cmdRemoveStage"));
    connect(m_add, &QPushButton::clicked, this, &PlanDialog::addStage);
    connect(m_remove, &QPushButton::clicked, this, &PlanDialog::removeStage);
    adding->addWidget(m_patterns, 1);
    adding->addWidget(m_add);
    adding->addWidget(m_remove);
    layout->addLayout(adding);

    // The editor of a drawn pattern: one toggle per cell of the card.
    auto *grid = new QGridLayout;
    grid->setSpacing(2);
    for (int index = 0; index < CardCells::Count; ++index) {
        auto *cell = new QToolButton(this);
        cell->setObjectName(QStringLiteral("cmdCell%1").arg(index));
        cell->setCheckable(true);
        cell->setFixedSize(24, 24);
        cell->setAccessibleName(
            QStringLiteral("Row %1, column %2").arg(index / CardCells::Side + 1).arg(index % CardCells::Side + 1));
        grid->addWidget(cell, index / CardCells::Side, index % CardCells::Side);
        m_cells[index] = cell;
    }
    grid->setColumnStretch(CardCells::Side, 1);
    layout->addLayout(grid);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    showPlan(plan);
}

Plan PlanDialog::Chosen() const { return Plan::Of(m_stages).value_or(Plan()); }

void PlanDialog::showPlan(const Plan &plan)
{
    m_stages = plan.Stages();
    m_list->clear();
    for (const Pattern &pattern : m_stages)
        m_list->addItem(pattern.Name());
    updateButtons();
}

void PlanDialog::addStage()
{
    const Kind kind = Offered[m_patterns->currentIndex()];
    std::optional<Pattern> pattern = Pattern::Of(kind);
    if (kind == Kind::Drawn) {
        CardCells::Set drawn = 0;
        for (int index = 0; index < CardCells::Count; ++index) {
            if (m_cells[index]->isChecked())
                drawn |= CardCells::Cell(index);
        }
        pattern = Pattern::Drawn(drawn);
    }
    if (!pattern || m_stages.size() >= Plan::MostStages)
        return;
    m_stages << *pattern;
    m_list->addItem(pattern->Name());
    updateButtons();
}

void PlanDialog::removeStage()
{
    const int row = m_list->currentRow();
    if (row < 0 || m_stages.size() < 2)
        return;
    m_stages.removeAt(row);
    delete m_list->takeItem(row);
    updateButtons();
}

void PlanDialog::updateButtons()
{
    // A plan keeps at least one stage and at most MostStages.
    m_add->setEnabled(m_stages.size() < Plan::MostStages);
    m_remove->setEnabled(m_stages.size() > 1 && m_list->currentRow() >= 0);
}

Plan PlanDialog::Remembered(const QSettings &settings)
{
    return Plan::FromText(settings.value(PlanKey).toString()).value_or(Plan());
}

void PlanDialog::Remember(QSettings &settings, const Plan &plan) { settings.setValue(PlanKey, plan.Text()); }
