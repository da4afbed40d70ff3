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
    struct Options
    {
        QString programFolder;  // a fresh temporary folder when empty
        QString registryFolder; // one inside the program folder when empty

        Options &ProgramFolder(const QString &path) { programFolder = path; return *this; }
        Options &RegistryFolder(const QString &path) { registryFolder = path; return *this; }
    };

    explicit WindowFixture(const QString &commandLine, const Options &options = Options());

    // The program file the window is told it runs from.
    QString ProgramFile() const { return folder.filePath(QStringLiteral("kalumo-bingo")); }

    template <typename T = QWidget>
    T *Control(const QString &name) const { return window->findChild<T *>(name); }

    // The messages sent after the "I" and "A" records, as message texts.
    QStringList SentMessages() const;

    QTemporaryDir folder;
    RecordingMessageBoxes boxes;
    FakeGameLink link;
    RandomGenerator random{1, [] { return quint64(1000); }};
    std::unique_ptr<frmMain> window;
};
