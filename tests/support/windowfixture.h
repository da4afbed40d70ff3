#pragma once
// A game window with recording message boxes, a fake link, a frozen clock
// and a temporary program folder, for tests that drive it directly.

#include "support/fakegamelink.h"
#include "support/qtprinters.h"
#include "support/recordingmessageboxes.h"
#include "support/randomgenerator.h"
#include "window/frmmain.h"

#include <QTemporaryDir>
#include <memory>

class WindowFixture
{
public:
    explicit WindowFixture(const QString &commandLine, quint64 seed = 1)
        : random(seed, [] { return quint64(1000); })
    {
        window = std::make_unique<frmMain>(WindowContext{boxes, link, random, folder.path(), commandLine});
    }

    template <typename T>
    T *Control(const QString &name) const { return window->findChild<T *>(name); }

    // The messages sent after the "I" and "A" records, as message texts.
    QStringList SentMessages() const;

    QTemporaryDir folder;
    RecordingMessageBoxes boxes;
    FakeGameLink link;
    RandomGenerator random;
    std::unique_ptr<frmMain> window;
};
