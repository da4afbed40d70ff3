// A joined game window, the host's or a player's, taken through games in any
// order: command records and chat commands from the host, from its players and
// from strangers, ticks of the host's calling and of the cards' checks, marks
// on the cards, New Game and BINGO!, and the window's own records coming back
// from the link as the link delivers them. It starts from a tally file of any
// content. Beyond not crashing:
//  - a delivery never makes a player's window send anything; it makes the
//    host's window send at most the win of a claim in its claimant's own name
//    that names five different numbers, all called in this game, once a game;
//  - a win's total is the claimant's count raised by one, never past 32767;
//  - a tick of the host's calling sends one number not called yet, and once
//    every number is called it sends nothing and calling stops;
//  - the buttons send only their own record;
//  - no message box appears but New Game's question, and the tally file
//    saved at close holds every count.
#include "fuzzsupport.h"
#include "fuzzwindow.h"

#include "card/ctlcard.h"
#include "game/commandrecord.h"
#include "game/members.h"
#include "game/tallyfile.h"
#include "link/linkrecord.h"
#include "support/ridmod.h"
#include "game/routing.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <bitset>

namespace {

const QString Host = QStringLiteral("Hal");
const QString Comm = QStringLiteral("Comm;");

QString pickSender(Fuzz::Input &input)
{
    switch (input.Byte() % 6) {
    case 0: return Host;
    case 1: return QStringLiteral("Ann");
    case 2: return QStringLiteral("Bob");
    case 3: return QString();
    case 4: return QStringLiteral("[Enter]");
    default: return input.Utf8(16);
    }
}

// Mostly numbers on the board, sometimes just off it, sometimes any text.
QString pickNumber(Fuzz::Input &input)
{
    const quint8 b = input.Byte();
    if (b < 200)
        return QString::number(b % 100 + 1);
    if (b < 230)
        return QString::number(int(b) - 215);
    return input.Utf8(8);
}

QString pickRecord(Fuzz::Input &input, const QString &claimant)
{
    switch (input.Byte() % 5) {
    case 0: return QStringLiteral("1|") + pickNumber(input);
    case 1: return QStringLiteral("2|ResetMe|") + input.Utf8(4);
    case 2: return QStringLiteral("3|") + claimant + QLatin1Char('|') + input.Utf8(8);
    case 3: {
        QStringList items;
        for (int n = input.Byte() % 8; n > 0; --n)
            items << pickNumber(input);
        return QStringLiteral("4|") + claimant + QLatin1Char('|') + items.join(QLatin1Char('@'));
    }
    default: return input.Utf8(64);
    }
}

// What the host's window must have seen: the numbers called since the last
// new game, whether that game has had its win, and every count of wins.
struct Model
{
    std::bitset<101> called;
    bool won = false;
    MemberTable tallies;

    int CountOf(const QString &name) const
    {
        for (qsizetype i = 0; i < tallies.Size(); ++i) {
            if (!tallies.IsKept(i) && tallies.At(i).Name == name)
                return tallies.At(i).Wins;
        }
        return 0;
    }
};

// The items of a claim name at least five different called numbers, and
// nothing that is not a called number.
bool claimHolds(const QStringList &items, const std::bitset<101> &called)
{
    std::bitset<101> named;
    for (const QString &item : items) {
        const std::optional<int> n = WholeNumber(item);
        if (!n || *n < 1 || *n > 100 || !called[*n])
            return false;
        named.set(*n);
    }
    return named.count() >= 5;
}

void click(QLabel *label)
{
    const QPointF centre = QRectF(label->rect()).center();
    QMouseEvent press(QEvent::MouseButtonPress, centre, label->mapToGlobal(centre), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, label->mapToGlobal(centre), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(label, &press);
    QCoreApplication::sendEvent(label, &release);
}

// The message text of a record the window handed to the link.
QString messageText(const QString &linkRecord)
{
    const std::optional<LinkRecord::Parsed> parsed = LinkRecord::Parse(linkRecord);
    FUZZ_CHECK(parsed && parsed->kind == u'C');
    return parsed->messageText;
}

bool onlyQuestions(const QList<ShownBox> &shown)
{
    for (const ShownBox &box : shown) {
        if (box.kind != ShownBox::Question || box.title != u"Confirm")
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::Input input(data, size);
    const bool host = input.Byte() & 1;
    const QString me = host ? Host : QStringLiteral("Ann");

    QTemporaryDir folder;
    const QString tallyPath = folder.filePath(TallyFile::FileName);
    const QByteArray tallyBytes = input.Piece(512);
    {
        QFile file(tallyPath);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly) && file.write(tallyBytes) == tallyBytes.size());
    }
    Model model;
    model.tallies.LoadTallyEntries(RidMod::DecodeList(tallyBytes));
    model.tallies.AddBlankEntryIfEmpty();

    Fuzz::FuzzWindow f(QStringLiteral("x 77 K7 ") + me + QLatin1Char(' ') + Host, folder.path());
    FUZZ_CHECK(!f.window.Startup().has_value());
    FUZZ_CHECK(f.boxes.shown.isEmpty());
    FUZZ_CHECK(f.window.findChild<QPushButton *>(QStringLiteral("cmdNewGame"))->isEnabled() == host);
    auto *newGame = f.window.findChild<QPushButton *>(QStringLiteral("cmdNewGame"));
    auto *bingo = f.window.findChild<QPushButton *>(QStringLiteral("cmdBingo"));
    auto *seconds = f.window.findChild<QLineEdit *>(QStringLiteral("txtSec"));
    qsizetype echoed = f.link.sent.size(); // the join's records are not for the game

    // One delivery, and what the host's window must have made of it.
    auto deliver = [&](const QString &sender, const QString &payload) {
        const qsizetype before = f.link.sent.size();
        f.link.Deliver(sender, payload);

        std::optional<CommandRecord> record;
        const Routing::Route route = Routing::RouteDelivery(sender, payload);
        if (route.action == Routing::Action::Command && Routing::SenderMayAct(route, sender, Host))
            record = CommandRecord::Read(route.text);
        const qsizetype sent = f.link.sent.size() - before;
        if (!host || !record || record->kind != CommandRecord::Claim) {
            FUZZ_CHECK(sent == 0);
        } else if (sent == 1) {
            FUZZ_CHECK(!model.won);
            FUZZ_CHECK(record->name == sender);
            FUZZ_CHECK(claimHolds(record->items, model.called));
            const int total = std::min(model.CountOf(record->name) + 1, int(MemberTable::MaxWins));
            FUZZ_CHECK(total <= 32767);
            FUZZ_CHECK(messageText(f.link.sent.last()) == Comm + CommandRecord::Won(record->name, total));
            model.tallies.RecordWin(record->name);
            FUZZ_CHECK(model.CountOf(record->name) == total);
            model.won = true;
        } else {
            FUZZ_CHECK(sent == 0);
        }
        if (host && record && record->kind == CommandRecord::NewGame) {
            model.called.reset();
            model.won = false;
        }
        if (host && record && record->kind == CommandRecord::NumberCalled)
            model.called.set(record->number);
    };

    for (int step = 0; !input.Empty() && step < 256; ++step) {
        const qsizetype before = f.link.sent.size();
        switch (input.Byte() % 10) {
        case 0:
        case 1:
        case 2: {
            // A delivery: a command record, a chat command, or any text.
            const QString sender = pickSender(input);
            QString payload;
            switch (input.Byte() % 3) {
            case 0: payload = Comm + pickRecord(input, sender); break;
            case 1: payload = QStringLiteral("Chat;/call ") + pickNumber(input); break;
            default: payload = input.Utf8(64); break;
            }
            deliver(sender, payload);
            break;
        }
        case 3: {
            // The link hands back the oldest record the window sent.
            if (echoed < f.link.sent.size()) {
                deliver(me, messageText(f.link.sent.at(echoed++)));
            }
            break;
        }
        case 4: {
            // A tick of the host's calling, when it runs.
            auto *timer = f.window.findChild<QTimer *>(QStringLiteral("tmrHost"));
            if (!timer->isActive())
                break;
            FUZZ_CHECK(host);
            const bool allCalled = model.called.count() == 100;
            QMetaObject::invokeMethod(timer, "timeout");
            if (allCalled) {
                FUZZ_CHECK(f.link.sent.size() == before);
                FUZZ_CHECK(!timer->isActive());
                break;
            }
            FUZZ_CHECK(f.link.sent.size() == before + 1);
            const QString sentRecord = messageText(f.link.sent.last());
            FUZZ_CHECK(sentRecord.startsWith(Comm + QStringLiteral("1|")));
            const std::optional<int> n = WholeNumber(sentRecord.mid(Comm.size() + 2));
            FUZZ_CHECK(n && *n >= 1 && *n <= 100 && !model.called[*n]);
            model.called.set(*n);
            break;
        }
        case 5: {
            // A tick of one card's check.
            f.window.findChild<ctlCard *>(QStringLiteral("Card%1").arg(input.Byte() & 1))->CheckLines();
            FUZZ_CHECK(f.link.sent.size() == before);
            break;
        }
        case 6: {
            const quint8 b = input.Byte();
            click(f.window.findChild<ctlCard *>(QStringLiteral("Card%1").arg(b & 1))->findChild<QLabel *>(QStringLiteral("lblMyNum%1").arg((b >> 1) % 25)));
            FUZZ_CHECK(f.link.sent.size() == before);
            break;
        }
        case 7: {
            const bool enabled = bingo->isEnabled();
            bingo->click();
            if (!enabled) {
                FUZZ_CHECK(f.link.sent.size() == before);
                break;
            }
            FUZZ_CHECK(f.link.sent.size() == before + 1);
            FUZZ_CHECK(messageText(f.link.sent.last()).startsWith(Comm + CommandRecord::MakeClaim(me, {})));
            break;
        }
        case 8: {
            const qsizetype boxes = f.boxes.shown.size();
            newGame->click();
            if (!host) {
                FUZZ_CHECK(f.link.sent.size() == before && f.boxes.shown.size() == boxes);
                break;
            }
            FUZZ_CHECK(f.boxes.shown.size() == boxes + 1);
            FUZZ_CHECK(f.link.sent.size() == before + 1);
            FUZZ_CHECK(messageText(f.link.sent.last()) == Comm + CommandRecord::StartGame(seconds->text()));
            break;
        }
        default:
            seconds->setText(input.Utf8(4));
            break;
        }
        FUZZ_CHECK(onlyQuestions(f.boxes.shown));
    }

    f.window.close();
    FUZZ_CHECK(onlyQuestions(f.boxes.shown));
    // The saved file holds every count the game reached, where a name can be
    // read back at all: a name with "@" in it cannot.
    QStringList saved;
    RidMod::LoadListFromFile(saved, tallyPath);
    Model read;
    read.tallies.LoadTallyEntries(saved);
    read.tallies.AddBlankEntryIfEmpty();
    for (qsizetype i = 0; i < model.tallies.Size(); ++i) {
        const QString &name = model.tallies.At(i).Name;
        if (model.tallies.IsKept(i) || name.contains(QLatin1Char('@')))
            continue;
        FUZZ_CHECK(read.CountOf(name) == model.CountOf(name));
    }
    return 0;
}
