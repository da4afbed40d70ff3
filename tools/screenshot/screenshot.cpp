// SPDX-License-Identifier: GPL-3.0-or-later
// Makes docs/screenshot.png: a round in progress, three windows side by side,
// the moment the host has announced a win. A hub and three game windows run
// in this one process over loopback, as in a real game; the host's calls are
// made by firing its calling timer, and the players click their cards.
//
//   kalumo-screenshot FILE.png        (run it under QT_QPA_PLATFORM=offscreen)

#include "link/tcpgamelink.h"
#include "server/hub.h"
#include "server/tcptransport.h"
#include "support/messageboxes.h"
#include "support/randomgenerator.h"
#include "window/ctlcard.h"
#include "window/frmmain.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

// Answers every question Yes and shows nothing.
struct QuietBoxes : MessageBoxes
{
    void Information(const QString &, const QString &) override {}
    void Plain(const QString &, const QString &) override {}
    void Error(const QString &, const QString &) override {}
    bool Question(const QString &, const QString &) override { return true; }
};

struct Seat
{
    Seat(quint16 port, const QString &name, quint64 seed)
        : random(seed, [] { return quint64(1000); })
        , window(WindowContext{boxes, link, random, folder.path(), QStringLiteral("x %1 K %2 Hal").arg(port).arg(name)})
    {}
    template<typename T = QWidget>
    T *Control(const QString &name)
    {
        return window.findChild<T *>(name);
    }
    QLabel *Cell(int card, int i)
    {
        return Control<ctlCard>(QStringLiteral("Card%1").arg(card))
            ->findChild<QLabel *>(QStringLiteral("lblMyNum%1").arg(i));
    }

    QTemporaryDir folder;
    QuietBoxes boxes;
    TcpGameLink link{QStringLiteral("127.0.0.1")};
    RandomGenerator random;
    frmMain window;
};

// Lets the windows talk until `done` holds (at most 10 seconds).
bool settle(const std::function<bool()> &done)
{
    const QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

bool called(Seat &seat, const QString &number)
{
    const auto *cell = seat.window.findChild<QLabel *>(QStringLiteral("lblItm") + number);
    return cell && cell->palette().color(QPalette::WindowText) == Qt::green;
}

bool logShows(Seat &seat, const QString &text)
{
    return seat.window.findChild<QTextEdit *>(QStringLiteral("rtbChatIn"))->toPlainText().contains(text);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        qWarning("usage: kalumo-screenshot FILE.png");
        return 2;
    }
    TcpTransport transport;
    Hub hub(transport);
    if (!transport.Listen(QHostAddress::LocalHost, 0))
        return 1;
    std::vector<std::unique_ptr<Seat>> seats;
    for (const char *name : {"Hal", "Ann", "Bob"}) {
        seats.push_back(std::make_unique<Seat>(transport.Port(), QString::fromLatin1(name), 21 + seats.size()));
        if (seats.back()->window.Startup())
            return 1;
        seats.back()->window.show();
    }
    Seat &hal = *seats[0], &ann = *seats[1], &bob = *seats[2];
    if (!settle([&] { return logShows(hal, QStringLiteral("Bob has joined")); }))
        return 1;

    auto *chat = bob.Control<QLineEdit>(QStringLiteral("txtChatOut"));
    chat->setText(QStringLiteral("Good luck, everyone!"));
    emit chat->returnPressed();
    hal.Control<QLineEdit>(QStringLiteral("txtSec"))->setText(QStringLiteral("8"));
    hal.Control<QPushButton>(QStringLiteral("cmdNewGame"))->click();
    if (!settle([&] { return logShows(bob, QStringLiteral("A New Game Has Been Started")); }))
        return 1;

    // Hal calls until Ann's first card has its top row, and a few more.
    auto *calling = hal.Control<QTimer>(QStringLiteral("tmrHost"));
    const auto rowCalled = [&] {
        for (int i = 0; i < 5; ++i)
            if (!called(ann, ann.Cell(0, i)->text()))
                return false;
        return true;
    };
    for (int tick = 0; tick < 100 && !rowCalled(); ++tick) {
        const auto lines
            = [&] { return bob.window.findChild<QTextEdit *>(QStringLiteral("rtbChatIn"))->document()->blockCount(); };
        const int before = lines();
        QMetaObject::invokeMethod(calling, "timeout");
        settle([&] { return lines() > before; });
    }
    // Ann marks her row and claims; Ann and Bob have marked what else was called.
    for (Seat *seat : {&ann, &bob})
        for (int card = 0; card < 2; ++card)
            for (int i = 0; i < 25; ++i)
                if (QLabel *cell = seat->Cell(card, i);
                    called(*seat, cell->text()) && (seat == &bob || card == 1 || i < 5))
                    QTest::mouseClick(cell, Qt::LeftButton);
    QMetaObject::invokeMethod(
        ann.Control<ctlCard>(QStringLiteral("Card0"))->findChild<QTimer *>(QStringLiteral("tmrWinner")), "timeout");
    ann.Control<QPushButton>(QStringLiteral("cmdBingo"))->click();
    if (!settle([&] { return logShows(bob, QStringLiteral("Ann Has Won The Game!")); }))
        return 1;

    // The three windows side by side, each with its player's name above it.
    const int gap = 16, label = 28;
    const QSize size = hal.window.size();
    QImage image(3 * size.width() + 4 * gap, size.height() + label + 2 * gap, QImage::Format_RGB32);
    image.fill(QColor(0x2b, 0x2b, 0x2b));
    QPainter painter(&image);
    painter.setPen(Qt::white);
    painter.setFont(QFont(QStringLiteral("Liberation Sans"), 13, QFont::Bold));
    const QStringList captions{QStringLiteral("Hal (hosting)"), QStringLiteral("Ann"), QStringLiteral("Bob")};
    for (int i = 0; i < 3; ++i) {
        const int x = gap + i * (size.width() + gap);
        painter.drawText(QRect(x, gap, size.width(), label), Qt::AlignLeft | Qt::AlignVCenter, captions[i]);
        painter.drawPixmap(x, gap + label, seats[i]->window.grab());
    }
    painter.end();
    return image.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
