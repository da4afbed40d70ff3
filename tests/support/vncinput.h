#pragma once
// Drives a real game window from outside, as a person would: the program
// runs on Qt's VNC platform, and this speaks just enough of the remote
// framebuffer protocol (version 3.3, no authentication) to move the
// pointer, click and press keys. It never reads the screen.

#include <QSize>
#include <QTcpSocket>

class VncInput
{
public:
    bool Connect(quint16 port, int timeoutMs = 10000);
    QSize ScreenSize() const { return m_screen; }

    void Click(int x, int y);
    // X keysyms: 0xff0d Return, 0xff08 BackSpace, 0xff57 End; Latin-1 as is.
    void Key(quint32 keysym);
    void Type(const QString &latin1);

    static constexpr quint32 Return = 0xff0d, BackSpace = 0xff08, End = 0xff57;

private:
    bool readExactly(char *data, qint64 size, int timeoutMs);
    void pointer(int x, int y, quint8 buttons);
    void send(const QByteArray &message);

    QTcpSocket m_socket;
    QSize m_screen;
};
