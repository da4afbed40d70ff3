// kalumo-hub's game server with several hostile connections at once over
// loopback: raw bytes, joins and messages in a few games, oversized texts,
// readers that stop reading and connections that vanish. The hub must only
// ever send whole frames that carry a sender, and once every connection is
// gone it must hold no game and no connection.
#include "fuzzsupport.h"

#include "hub.h"
#include "link/framecodec.h"
#include "link/linkrecord.h"
#include "support/waitfor.h"

#include <QTcpSocket>

#include <memory>
#include <vector>

namespace {

Hub &hub()
{
    // Small limits, so slow readers are cut off within one input.
    static Hub *instance = [] {
        auto *h = new Hub(Hub::Limits{64 * 1024, 5000});
        FUZZ_CHECK(h->Listen(QHostAddress::LocalHost, 0));
        if (qEnvironmentVariableIsSet("KALUMO_FUZZ_VERBOSE"))
            QObject::connect(h, &Hub::Log, [](const QString &line) { qInfo("hub: %s", qPrintable(line)); });
        return h;
    }();
    return *instance;
}

struct Connection
{
    Connection()
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
            reader.Feed(socket.readAll());
            while (const auto frame = reader.Next())
                FUZZ_CHECK(frame->contains(LinkRecord::Separator));
            FUZZ_CHECK(!reader.Failed());
        });
        socket.connectToHost(QHostAddress::LocalHost, hub().Port());
    }
    void Send(const QString &record) { socket.write(Frame::Encode(record)); }

    QTcpSocket socket;
    Frame::Reader reader;
};

QString key(Fuzz::Input &input)
{
    return QStringLiteral("K%1").arg(input.Byte() % 3);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::Input input(data, size);
    std::vector<std::unique_ptr<Connection>> connections;
    connections.push_back(std::make_unique<Connection>());

    for (int step = 0; !input.Empty() && step < 64; ++step) {
        const quint8 op = input.Byte();
        Connection &c = *connections.at(input.Byte() % connections.size());
        // Pieces are read in order into locals: the order in which a call's
        // arguments are worked out is not fixed.
        switch (op % 7) {
        case 0:
            if (connections.size() < 4)
                connections.push_back(std::make_unique<Connection>());
            break;
        case 1:
            c.socket.write(input.Bytes(input.Byte()));
            break;
        case 2: {
            const QString game = key(input);
            c.Send(LinkRecord::Announce(game, QStringLiteral("Kalumo Bingo"), input.Utf8(32)));
            break;
        }
        case 3: {
            const QString game = key(input);
            c.Send(LinkRecord::Message(game, input.Utf8(256)));
            break;
        }
        case 4: {
            const QString game = key(input);
            c.Send(LinkRecord::Message(game, QString(1000 * (1 + input.Byte() % 64), QLatin1Char('x'))));
            break;
        }
        case 5:
            c.socket.setReadBufferSize(1); // stops reading, as far as the hub can tell
            break;
        case 6:
            c.socket.abort();
            break;
        }
        if (op & 0x80)
            QCoreApplication::processEvents();
    }

    // Let everything written reach the hub, and its answers come back.
    WaitFor([&] {
        for (const auto &c : connections) {
            if (c->socket.state() == QAbstractSocket::ConnectingState || c->socket.bytesToWrite() > 0)
                return false;
        }
        return true;
    }, 2000);
    for (int pass = 0; pass < 8; ++pass)
        QCoreApplication::processEvents();

    connections.clear();
    FUZZ_CHECK(WaitFor([] { return hub().GameCount() == 0 && hub().ConnectionCount() == 0; }, 5000));
    return 0;
}
