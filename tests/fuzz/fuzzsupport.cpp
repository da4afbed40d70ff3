#include "fuzzsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

// libFuzzer calls this once before the first input; the replay driver does too.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Qt's warnings are noise thousands of times a second; a fatal message
    // is still a crash.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtFatalMsg || !qEnvironmentVariableIsEmpty("KALUMO_FUZZ_VERBOSE"))
            fprintf(stderr, "%s\n", qPrintable(message));
        if (type == QtFatalMsg)
            abort();
    });
    static int argc = 1;
    static char name[] = "kalumo-fuzz", *argv[] = {name, nullptr};
    new QCoreApplication(argc, argv); // lives as long as the process
    return 0;
}

#ifndef KALUMO_FUZZ
// Without libFuzzer: runs the target over every file of the folder given, so
// an input that once crashed it is tried again on every build.
int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    const QDir folder(QString::fromLocal8Bit(argc > 1 ? argv[1] : "."));
    const QStringList names = folder.entryList(QDir::Files);
    for (const QString &name : names) {
        QFile file(folder.filePath(name));
        fprintf(stderr, "replay: %s\n", qPrintable(file.fileName())); // a crash names its input
        FUZZ_CHECK(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
    fprintf(stderr, "replay: %d inputs, no crash\n", int(names.size()));
    return names.isEmpty() ? 1 : 0;
}
#endif
