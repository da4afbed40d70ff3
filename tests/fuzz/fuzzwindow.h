#pragma once
// A game window for fuzz targets: recording message boxes, a fake link, a
// frozen clock and a program folder of its own, as in the window tests.

#include "support/fakegamelink.h"
#include "support/randomgenerator.h"
#include "support/recordingmessageboxes.h"
#include "window/frmmain.h"

#include <QTemporaryDir>

namespace Fuzz {

// One folder for the whole run: a window may write its tally file there.
inline QString ProgramFolder()
{
    static QTemporaryDir folder;
    return folder.path();
}

struct FuzzWindow
{
    // `folder` is the program folder, where the tally file is loaded from and
    // saved to; a target that must not carry tallies from one input to the
    // next gives each window a folder of its own.
    explicit FuzzWindow(const QString &commandLine, const QString &folder = ProgramFolder())
        : random(1, [] { return quint64(1000); })
        , window(WindowContext{boxes, link, random, folder, commandLine,
                               folder + QStringLiteral("/kalumo-bingo"),
                               folder + QStringLiteral("/registry")})
    {
    }

    RecordingMessageBoxes boxes;
    FakeGameLink link;
    RandomGenerator random;
    frmMain window;
};

} // namespace Fuzz
