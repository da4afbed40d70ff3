// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/callerdisplay.h"

#include "game/bingogame.h"
#include "window/browserlinkview.h"
#include "window/numberboard.h"
#include "window/patternpicture.h"

#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

CallerDisplay::CallerDisplay(const BingoGame &game, const QString &browserLink, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_game(game)
{
    setObjectName(QStringLiteral("CallerDisplay"));
    setWindowTitle(Title);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);

    auto *columns = new QHBoxLayout(this);
    auto *layout = new QVBoxLayout;
    columns->addLayout(layout, 3);
    if (!browserLink.isEmpty()) {
        // White around the code, whatever the display's own colours: a
        // phone's camera needs the quiet zone light.
        m_link = new BrowserLinkView(browserLink, this);
        m_link->setAutoFillBackground(true);
        QPalette light = m_link->palette();
        light.setColor(QPalette::Window, Qt::white);
        light.setColor(QPalette::WindowText, Qt::black);
        m_link->setPalette(light);
        columns->addWidget(m_link, 1);
    }
    auto label = [&](const char *name, const QColor &colour, int stretch) {
        auto *l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        // A winner's name is a peer's text: never read as markup.
        l->setTextFormat(Qt::PlainText);
        l->setAlignment(Qt::AlignCenter);
        l->setWordWrap(true);
        // The stretches share the height out; a large font never pushes the window bigger.
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        QPalette own = l->palette();
        own.setColor(QPalette::WindowText, colour);
        l->setPalette(own);
        layout->addWidget(l, stretch);
        return l;
    };
    m_winner = label("lblWinner", QColor(255, 255, 0), 2);
    m_last = label("lblLast", Qt::white, 6);
    m_before = label("lblBefore", QColor(0, 255, 0), 2);
    m_count = label("lblCount", QColor(192, 192, 192), 1);
    // The stage played, in words and as a picture of its pattern.
    auto *stageRow = new QHBoxLayout;
    m_picture = new PatternPicture(this);
    m_picture->setFixedSize(64, 64);
    m_stage = new QLabel(this);
    m_stage->setObjectName(QStringLiteral("lblStage"));
    m_stage->setTextFormat(Qt::PlainText);
    m_stage->setPalette(m_count->palette());
    stageRow->addStretch();
    stageRow->addWidget(m_picture);
    stageRow->addWidget(m_stage);
    stageRow->addStretch();
    layout->addLayout(stageRow, 1);
    resize(640, 480);

    connect(&game, &BingoGame::ViewChanged, this, &CallerDisplay::refresh);
    refresh();
}

void CallerDisplay::refresh()
{
    const CallerText::View view = m_game.View();
    m_winner->setText(view.winner);
    m_last->setText(view.last);
    m_before->setText(view.before);
    m_count->setText(view.count);
    m_stage->setText(view.stage);
    m_stage->setVisible(!view.stage.isEmpty());
    m_picture->setVisible(!view.stage.isEmpty());
    if (!view.stage.isEmpty())
        m_picture->Show(m_game.RoundPlan().Stage(m_game.Stage()).Example(), view.stage);
}

void CallerDisplay::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Sizes follow the window: "100" fills half its height and never its
    // whole width; the other lines are read from across a room.
    const int h = height(), w = width();
    auto fontOf = [](int pixels) {
        QFont font = NumberBoard::Font(10);
        font.setPixelSize(std::max(8, pixels));
        return font;
    };
    m_last->setFont(fontOf(std::min(h * 45 / 100, w * 40 / 100)));
    m_before->setFont(fontOf(std::min(h * 10 / 100, w * 6 / 100)));
    m_winner->setFont(fontOf(std::min(h * 9 / 100, w * 5 / 100)));
    m_count->setFont(fontOf(std::min(h * 6 / 100, w * 4 / 100)));
    m_stage->setFont(m_count->font());
    m_picture->setFixedSize(QSize(1, 1) * std::max(24, std::min(h * 8 / 100, w * 6 / 100)));
    if (m_link)
        m_link->SetTextPixels(std::min(h * 3 / 100, w * 2 / 100));
}

void CallerDisplay::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F11)
        setWindowState(windowState() ^ Qt::WindowFullScreen);
    else if (event->key() == Qt::Key_Escape)
        setWindowState(windowState() & ~Qt::WindowFullScreen);
    else
        QWidget::keyPressEvent(event);
}
