#include "support/vncinput.h"

#include <QSize>
#include <QTest>
#include <QtEndian>

bool VncInput::readExactly(char *data, qint64 size, int timeoutMs)
{
    qint64 got = 0;
    while (got < size) {
        if (m_socket.bytesAvailable() == 0 && !m_socket.waitForReadyRead(timeoutMs))
            return false;
        got += m_socket.read(data + got, size - got);
    }
    return true;
}

bool VncInput::Connect(quint16 port, int timeoutMs)
{
    // The program may still be starting: try until its server answers.
    const bool connected = QTest::qWaitFor([&] {
        m_socket.abort();
        m_socket.connectToHost(QStringLiteral("127.0.0.1"), port);
        return m_socket.waitForConnected(200);
    }, timeoutMs);
    if (!connected)
        return false;

    char version[12];
    if (!readExactly(version, sizeof version, timeoutMs) || QByteArray(version, 4) != "RFB ")
        return false;
    send("RFB 003.003\n");
    char security[4];
    if (!readExactly(security, 4, timeoutMs) || qFromBigEndian<quint32>(security) != 1)
        return false; // only "no authentication" is spoken here
    send(QByteArray(1, '\1')); // ClientInit: share the desktop
    char init[24];
    if (!readExactly(init, sizeof init, timeoutMs))
        return false;
    m_screen = QSize(qFromBigEndian<quint16>(init), qFromBigEndian<quint16>(init + 2));
    QByteArray name(qFromBigEndian<quint32>(init + 20), '\0');
    return readExactly(name.data(), name.size(), timeoutMs);
}

void VncInput::send(const QByteArray &message)
{
    m_socket.write(message);
    m_socket.flush();
}

void VncInput::pointer(int x, int y, quint8 buttons)
{
    QByteArray message(6, '\0');
    message[0] = 5; // PointerEvent
    message[1] = char(buttons);
    qToBigEndian<quint16>(quint16(x), message.data() + 2);
    qToBigEndian<quint16>(quint16(y), message.data() + 4);
    send(message);
    QTest::qWait(50); // one event at a time, as a hand would
}

void VncInput::Click(int x, int y)
{
    pointer(x, y, 0);
    pointer(x, y, 1);
    pointer(x, y, 0);
}

void VncInput::Key(quint32 keysym)
{
    for (char down : {1, 0}) {
        QByteArray message(8, '\0');
        message[0] = 4; // KeyEvent
        message[1] = down;
        qToBigEndian<quint32>(keysym, message.data() + 4);
        send(message);
        QTest::qWait(20);
    }
}

void VncInput::Type(const QString &latin1)
{
    for (QChar c : latin1)
        Key(c.unicode());
}
