#pragma once
// A game window on a real link to a hub, with a folder and boxes of its own.

#include "card/ctlcard.h"
#include "link/tcpgamelink.h"
#include "support/windowfixture.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

struct PlayingWindow
{
    PlayingWindow(quint16 port, const QString &name, quint64 seed, const TcpGameLink::Timing &timing = {})
        : link(QStringLiteral("127.0.0.1"), timing)
        , random(seed, [] { return quint64(1000); })
        , window(WindowContext{boxes, link, random, folder.path(), QStringLiteral("x %1 K1 %2 Hal").arg(port).arg(name)}) {}
    template <typename T = QWidget> T *Control(const char *name) { return window.findChild<T *>(QLatin1String(name)); }
    QStringList Calls() const { return ChatLines(window).filter(QStringLiteral(" Has Been Called.")); }
    qsizetype Shows(const QString &line) const { return ChatLines(window).count(line); }
    QLabel *TopCell(int i) { return Control<ctlCard>("Card0")->findChild<QLabel *>(QStringLiteral("lblMyNum%1").arg(i)); }
    // Marks the top row of the first card, has the card check it and presses BINGO!.
    void Claim()
    {
        for (int i = 0; i < 5; ++i)
            QTest::mouseClick(TopCell(i), Qt::LeftButton);
        QMetaObject::invokeMethod(Control<ctlCard>("Card0")->findChild<QTimer *>(QStringLiteral("tmrWinner")), "timeout");
        Control<QPushButton>("cmdBingo")->click();
    }

    QTemporaryDir folder;
    RecordingMessageBoxes boxes;
    TcpGameLink link;
    RandomGenerator random;
    frmMain window;
};
