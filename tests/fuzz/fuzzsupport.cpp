#include "fuzzsupport.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    // Qt's warnings about fonts and folders are noise thousands of times a
    // second; a fatal message is still a crash.
    if (type == QtFatalMsg) {
        fprintf(stderr, "qFatal: %s\n", qPrintable(message));
        abort();
    }
}

} // namespace

// libFuzzer calls this once before the first input; the replay driver does too.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("KALUMO_FUZZ_VERBOSE"))
        qInstallMessageHandler(quietMessages);
    static int argc = 1;
    static char name[] = "kalumo-fuzz";
    static char *argv[] = {name, nullptr};
    // Lives until the process ends; targets make widgets and sockets in it.
    new QApplication(argc, argv);
    return 0;
}

namespace Fuzz {

void Fail(const char *condition, const char *file, int line)
{
    fprintf(stderr, "%s:%d: rule broken: %s\n", file, line, condition);
    abort();
}

Input::Input(const uint8_t *data, size_t size)
    : m_data(data)
    , m_size(size)
{
}

quint8 Input::Byte()
{
    if (m_size == 0)
        return 0;
    --m_size;
    return *m_data++;
}

QByteArray Input::Bytes(size_t count)
{
    count = std::min(count, m_size);
    QByteArray bytes(reinterpret_cast<const char *>(m_data), qsizetype(count));
    m_data += count;
    m_size -= count;
    return bytes;
}

QByteArray Input::Rest()
{
    return Bytes(m_size);
}

QByteArray Input::Piece(size_t maxBytes)
{
    const size_t limit = std::min(maxBytes, m_size);
    const void *zero = memchr(m_data, 0, limit);
    const size_t length = zero ? size_t(static_cast<const uint8_t *>(zero) - m_data) : limit;
    QByteArray piece = Bytes(length);
    if (zero)
        Byte();
    return piece;
}

} // namespace Fuzz
