// The game window's link client taking whatever a hostile hub sends: frames
// cut anywhere, broken frames, deliveries without a sender, a hub that hangs
// up. It must raise exactly the deliveries found in the stream, in order,
// without the hub's control frames, up to the first broken frame or refusal;
// after one of those or a hang-up it reports the link lost once and raises
// nothing more.
#include "fuzzsupport.h"

#include "link/framecodec.h"
#include "link/hubcontrol.h"
#include "link/linkrecord.h"
#include "link/tcpgamelink.h"
#include "support/waitfor.h"

#include <QList>
#include <QPair>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

using Delivery = QPair<QString, QString>;

QTcpServer &fakeHub()
{
    static QTcpServer *server = [] {
        auto *s = new QTcpServer;
        FUZZ_CHECK(s->listen(QHostAddress::LocalHost, 0));
        return s;
    }();
    return *server;
}

// The deliveries in a stream, read the plain way; broken when the stream
// holds a broken frame or a delivery without its separator.
QList<Delivery> expectedFrom(const QByteArray &stream, bool &broken)
{
    QList<Delivery> deliveries;
    Frame::Reader reader;
    reader.Feed(stream);
    broken = false;
    while (const auto frame = reader.Next()) {
        const qsizetype cut = frame->indexOf(LinkRecord::Separator);
        if (cut < 0) {
            broken = true;
            return deliveries;
        }
        // The hub's control frames are not deliveries; its refusal ends the link.
        if (frame->left(cut) == HubControl::Sender) {
            if (HubControl::Read(frame->mid(cut + 1)).verb == HubControl::Refused) {
                broken = true;
                return deliveries;
            }
            continue;
        }
        deliveries << Delivery(frame->left(cut), frame->mid(cut + 1));
    }
    broken = reader.Failed();
    return deliveries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::Input input(data, size);
    const bool hangUp = input.Byte() & 1;
    const QByteArray stream = input.Rest();
    bool broken = false;
    const QList<Delivery> expected = expectedFrom(stream, broken);

    QList<Delivery> got;
    int lost = 0;
    bool deliveredAfterLoss = false;
    TcpGameLink link(QStringLiteral("127.0.0.1"));
    QObject::connect(&link, &GameLink::TextReceived, [&](const QString &sender, const QString &text) {
        deliveredAfterLoss = deliveredAfterLoss || lost > 0;
        got << Delivery(sender, text);
    });
    QObject::connect(&link, &GameLink::LinkLost, [&] { ++lost; });
    QObject::connect(&link, &GameLink::Refused, [&] { ++lost; });

    FUZZ_CHECK(link.JoinGame(1, fakeHub().serverPort()));
    FUZZ_CHECK(fakeHub().waitForNewConnection(2000));
    QTcpSocket *peer = fakeHub().nextPendingConnection();
    peer->write(stream);
    if (hangUp)
        peer->disconnectFromHost();

    const bool ends = broken || hangUp;
    FUZZ_CHECK(WaitFor([&] { return got.size() >= expected.size() && (!ends || lost > 0); }, 5000));
    for (int pass = 0; pass < 4; ++pass)
        QCoreApplication::processEvents();
    FUZZ_CHECK(got == expected);
    FUZZ_CHECK(lost == (ends ? 1 : 0));
    FUZZ_CHECK(!deliveredAfterLoss);
    delete peer;
    return 0;
}
