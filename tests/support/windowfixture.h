#pragma once
// A game window with recording message boxes, a fake link, a frozen clock
// and a temporary program folder, for tests that drive it directly. Its
// registry is the folder given, else one in the program folder that holds
// no key: a test never reaches the user's own registry.

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
    explicit WindowFixture(const QString &commandLine, quint64 seed = 1, const QString &registryFolder = {})
        : random(seed, [] { return quint64(1000); })
    {
        window = std::make_unique<frmMain>(WindowContext{
            boxes, link, random, folder.path(), commandLine, ProgramFile(),
            registryFolder.isEmpty() ? folder.filePath(QStringLiteral("registry")) : registryFolder});
    }

    // The program file the window is told it runs from.
    QString ProgramFile() const { return folder.filePath(QStringLiteral("kalumo-bingo")); }

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
