#include "fuzzsupport.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

// libFuzzer calls this once before the first input; the replay driver does too.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Qt's warnings are noise thousands of times a second; a fatal message
    // is still a crash.
    if (qEnvironmentVariableIsEmpty("KALUMO_FUZZ_VERBOSE")) {
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
            if (type == QtFatalMsg) {
                fprintf(stderr, "qFatal: %s\n", qPrintable(message));
                abort();
            }
        });
    }
    static int argc = 1;
    static char name[] = "kalumo-fuzz";
    static char *argv[] = {name, nullptr};
    new QCoreApplication(argc, argv); // lives as long as the process
    return 0;
}

namespace Fuzz {

void Fail(const char *condition, const char *file, int line)
{
    fprintf(stderr, "%s:%d: rule broken: %s\n", file, line, condition);
    abort();
}

QByteArray Input::Bytes(size_t count)
{
    count = std::min(count, m_size);
    QByteArray bytes(reinterpret_cast<const char *>(m_data), qsizetype(count));
    m_data += count;
    m_size -= count;
    return bytes;
}

QString Input::Utf8(size_t maxBytes)
{
    const size_t limit = std::min(maxBytes, m_size);
    const void *zero = memchr(m_data, 0, limit);
    const QByteArray piece = Bytes(zero ? size_t(static_cast<const uint8_t *>(zero) - m_data) : limit);
    if (zero)
        Bytes(1);
    return QString::fromUtf8(piece);
}

} // namespace Fuzz
