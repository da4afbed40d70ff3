// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/hostcards.h"

#include "game/bingogame.h"
#include "support/messageboxes.h"
#include "window/papercards.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QInputDialog>
#include <QMenu>
#include <QSettings>
#include <QSpinBox>

namespace {

const QString OnlyCheckedKey = QStringLiteral("onlyCheckedCards");
const QString PaperTitle = QStringLiteral("Paper cards");

} // namespace

HostCards::HostCards(BingoGame &game, MessageBoxes &boxes, QSettings &settings, QMenu &menu, QWidget &window)
    : QObject(&window)
    , m_game(game)
    , m_boxes(boxes)
    , m_window(window)
{
    menu.addSeparator();
    QAction *onlyChecked = menu.addAction(QStringLiteral("Only checked cards can win"));
    onlyChecked->setObjectName(QStringLiteral("mnuOnlyCheckedCards"));
    onlyChecked->setCheckable(true);
    onlyChecked->setToolTip(QStringLiteral("Refuses the claims of windows whose cards the host cannot check. Off: "
                                           "such a claim is judged on its calls, and its win says so."));
    onlyChecked->setChecked(settings.value(OnlyCheckedKey, true).toBool());
    m_game.SetOnlyCheckedCardsWin(onlyChecked->isChecked());
    connect(onlyChecked, &QAction::toggled, this, [this, &settings](bool on) {
        settings.setValue(OnlyCheckedKey, on);
        m_game.SetOnlyCheckedCardsWin(on);
    });

    QAction *print = menu.addAction(QStringLiteral("Print paper cards…"));
    print->setObjectName(QStringLiteral("mnuPrintPaperCards"));
    print->setToolTip(QStringLiteral("Numbered cards for the round in progress, or else for the next one."));
    connect(print, &QAction::triggered, this, &HostCards::printPaperCards);

    QAction *check = menu.addAction(QStringLiteral("Check a paper card…"));
    check->setObjectName(QStringLiteral("mnuCheckPaperCard"));
    connect(check, &QAction::triggered, this, [this] {
        bool typed = false;
        const int number = QInputDialog::getInt(&m_window, QStringLiteral("Check a paper card"),
                                                QStringLiteral("Card number:"), 1, 1, PaperCards::MostCards, 1, &typed);
        if (typed)
            CheckPaperCard(number);
    });
}

void HostCards::CheckPaperCard(int number)
{
    const QString title = QStringLiteral("Check a paper card");
    const std::optional<QList<int>> line = m_game.PaperCardLine(number);
    if (!line) {
        m_boxes.Information(title, QStringLiteral("Paper card %1 holds no line of called numbers.").arg(number));
        return;
    }
    QStringList numbers;
    for (int n : *line)
        numbers << QString::number(n);
    if (m_boxes.Question(title,
                         QStringLiteral("Paper card %1 holds a line of called numbers: %2. Announce its win?")
                             .arg(number)
                             .arg(numbers.join(QStringLiteral(", ")))))
        m_game.ConfirmPaperWin(number);
}

void HostCards::printPaperCards()
{
    const QString seed = m_game.PaperSeed();
    if (seed.isEmpty()) {
        m_boxes.Information(PaperTitle,
                            QStringLiteral("This round's cards cannot be printed: it was started by an "
                                           "earlier release. Print them after the next New Game."));
        return;
    }
    QDialog dialog(&m_window);
    dialog.setWindowTitle(QStringLiteral("Print paper cards"));
    auto *form = new QFormLayout(&dialog);
    auto *count = new QSpinBox(&dialog);
    count->setRange(1, PaperCards::MostCards);
    count->setValue(20);
    auto *layout = new QComboBox(&dialog);
    layout->addItems({QStringLiteral("Two to a page"), QStringLiteral("Four to a page")});
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(QStringLiteral("How many cards:"), count);
    form->addRow(QStringLiteral("Cards on a page:"), layout);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString path = QFileDialog::getSaveFileName(&m_window, QStringLiteral("Save paper cards"),
                                                      QDir::home().filePath(QStringLiteral("bingo-cards.pdf")),
                                                      QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    const QString problem = PaperCards::Write(path, seed, count->value(), layout->currentIndex() == 1 ? 4 : 2);
    if (!problem.isEmpty())
        m_boxes.Error(PaperTitle,
                      QStringLiteral("The paper cards were not saved: %1. Choose another file.").arg(problem));
}
