// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzzsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

// Called once before the first input, by libFuzzer or the replay driver. Qt's
// warnings would be noise thousands of times a second; a fatal one still aborts.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtFatalMsg || !qEnvironmentVariableIsEmpty("KALUMO_FUZZ_VERBOSE")) fprintf(stderr, "%s\n", qPrintable(message));
    });
    static int argc = 1;
    static char name[] = "kalumo-fuzz", *argv[] = {name, nullptr};
    new QCoreApplication(argc, argv); // lives as long as the process
    return 0;
}

#ifndef KALUMO_FUZZ
// Without libFuzzer: runs the target over every file of the folder given.
int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    const QDir folder(QString::fromLocal8Bit(argc > 1 ? argv[1] : "."));
    const QStringList names = folder.entryList(QDir::Files);
    for (const QString &name : names) {
        fprintf(stderr, "replay: %s\n", qPrintable(folder.filePath(name))); // a crash names its input
        QFile file(folder.filePath(name));
        FUZZ_CHECK(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
    return names.isEmpty() ? 1 : 0; // an empty or missing corpus is a fault of the build
}
#endif
