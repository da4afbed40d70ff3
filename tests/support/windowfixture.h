// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A game window with recording boxes, a fake link, a frozen clock, a recording
// speaker and a temporary program folder that holds its settings and state too, for tests
// that drive it; and what any window shows, as text.

#include "support/fakegamelink.h"
#include "support/qtprinters.h"
#include "support/randomgenerator.h"
#include "support/recordingmessageboxes.h"
#include "support/recordingspeaker.h"
#include "window/frmmain.h"

#include <QTemporaryDir>
#include <memory>

class WindowFixture
{
public:
    // An empty program folder is a fresh temporary one; an empty registry folder
    // is one inside the program folder, holding no key: never the user's own.
    explicit WindowFixture(const QString &commandLine, const QString &programDir = {}, const QString &registryDir = {}, const QString &hostSecret = {},
                           const QString &invitation = {}, const QString &browserLink = {});

    template<typename T = QWidget>
    T *Control(const QString &name) const
    {
        return window->findChild<T *>(name);
    }
    // Shows the window and makes it the active one.
    void Show() const;

    QTemporaryDir folder;
    RecordingMessageBoxes boxes;
    FakeGameLink link;
    RandomGenerator random{1, [] { return quint64(1000); }};
    RecordingSpeaker speaker;
    std::unique_ptr<frmMain> window;
};

// The chat log, one entry per line, as "<kind>:<text>", the kind (LogKind's
// number) told by the colour the line was written in.
QStringList ChatLines(const QWidget &window);

// The board: the numbers shown green, and "?" for a cell that shows another
// number or a colour other than white and green.
QString Board(const QWidget &window);
