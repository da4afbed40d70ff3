#pragma once
// A game window with recording message boxes, a fake link, a frozen clock
// and a temporary program folder, for tests that drive it directly.

#include "support/fakegamelink.h"
#include "support/recordingmessageboxes.h"
#include "support/randomgenerator.h"
#include "window/frmmain.h"

#include <QTemporaryDir>
#include <memory>

class WindowFixture
{
public:
    // The window's program folder is a fresh temporary one unless given.
    explicit WindowFixture(const QString &commandLine, quint64 seed = 1, const QString &programFolder = {})
        : random(seed, [] { return quint64(1000); })
    {
        window = std::make_unique<frmMain>(WindowContext{boxes, link, random,
                                                         programFolder.isEmpty() ? folder.path() : programFolder,
                                                         commandLine});
    }

    template <typename T>
    T *Control(const QString &name) const { return window->findChild<T *>(name); }

    // Counts a win in the window's member table as an accepted claim would.
    qint16 RecordWin(const QString &name) { return window->m_members.RecordWin(name); }

    // The messages sent after the "I" and "A" records, as message texts.
    QStringList SentMessages() const;

    QTemporaryDir folder;
    RecordingMessageBoxes boxes;
    FakeGameLink link;
    RandomGenerator random;
    std::unique_ptr<frmMain> window;
};
