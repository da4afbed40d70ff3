// Runs a fuzz target over kept inputs, without libFuzzer: each argument is a
// file or a folder of files. The ordinary test run uses it to replay the
// corpus, so an input that once crashed a target is tried on every build.
#include "fuzzsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        if (QFileInfo(path).isDir()) {
            for (const QString &name : QDir(path).entryList(QDir::Files, QDir::Name))
                files << QDir(path).filePath(name);
        } else {
            files << path;
        }
    }
    if (files.isEmpty()) {
        fprintf(stderr, "replay: no inputs found\n");
        return 1;
    }
    for (const QString &path : std::as_const(files)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            fprintf(stderr, "replay: cannot read %s\n", qPrintable(path));
            return 1;
        }
        const QByteArray bytes = file.readAll();
        // A crash names the input it came from.
        fprintf(stderr, "replay: %s\n", qPrintable(QFileInfo(path).fileName()));
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
    fprintf(stderr, "replay: %lld inputs, no crash\n", static_cast<long long>(files.size()));
    return 0;
}
