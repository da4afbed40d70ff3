// Runs a fuzz target over kept inputs without libFuzzer: each argument is a
// file or a folder of files. The ordinary test run replays the corpus, so an
// input that once crashed a target is tried on every build.
#include "fuzzsupport.h"

#include <QDirIterator>
#include <QFile>

#include <cstdio>

int main(int argc, char **argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        QDirIterator it(QString::fromLocal8Bit(argv[i]), QDir::Files);
        QStringList files;
        while (it.hasNext())
            files << it.next();
        if (files.isEmpty())
            files << QString::fromLocal8Bit(argv[i]);
        for (const QString &path : std::as_const(files)) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                fprintf(stderr, "replay: cannot read %s\n", qPrintable(path));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            fprintf(stderr, "replay: %s\n", qPrintable(path)); // a crash names its input
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
            ++count;
        }
    }
    fprintf(stderr, "replay: %d inputs, no crash\n", count);
    return count > 0 ? 0 : 1;
}
