#include "game/routing.h"
#include "window/chatlog.h"
#include "support/windowfixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QString Y = QStringLiteral("\u00FF");
const QString Greeting = QStringLiteral("1:Thank You For Choosing Kalumo Bingo.");

TEST(Startup, JoinsAnnouncesAndGreetsOrShowsEveryErrorInOrderAndEnds)
{
    const QString missing = QStringLiteral("1 Kalumo Bingo: 9"), notANumber = QStringLiteral("1 Kalumo Bingo: 13");
    const QString failed = QStringLiteral("0 ERROR!: Error, Please Restart The Game!");
    const QString refused = QStringLiteral("2 Kalumo Bingo: This ");
    const struct {
        const char *line;
        const char *joinFailure; // none, "" for a connection refused, or why the hub did not confirm
        std::optional<int> status; QStringList boxes;
        QString key = {}, name = {}, host = {}; // as the records and the host's rights show them
    } cases[] = {
        {"x 77 K7 Ann Ann", nullptr, {}, {}, "K7", "Ann", "Ann"},
        {"x 77 K7 Ann Bob Smith", nullptr, {}, {}, "K7", "Ann", "Bob Smith"},
        {"x 77 K7 ann Ann", nullptr, {}, {}, "K7", "ann", "Ann"},
        {"x 77 K7 Ann", nullptr, {}, {missing}, "K7", "Ann", ""},
        {"x 77", nullptr, {}, {missing, missing, missing}, "", "", ""},
        {"x 77 K7 Ann Ann", "", 1, {failed}},
        {"x", nullptr, 1, {missing, missing, missing, missing, failed}},
        {"x seven K7 Ann Ann", nullptr, 1, {notANumber, failed}},
        {"x 99999999999 K7 Ann Ann", nullptr, 1, {notANumber, failed}},
        {"x 77 K7 Ann Ann", "the game did not answer within 10 s.", 1, {failed + "\n\nThe game did not answer within 10 s."}},
        {"x 77 K7 [Exit] Ann", nullptr, 1, {refused + "name cannot be used: a name cannot start with \"[\" or \"*\"."}},
        {"x 77 K7  Ann", nullptr, 1, {refused + "name cannot be used: a name cannot be empty."}},
        {"x 77 K\u00FF7 Ann Ann", nullptr, 1, {refused + "game key cannot be used: it holds \"\u00FF\" or is too long."}},
    };
    for (const auto &c : cases) {
        WindowFixture f(QString::fromUtf8(c.line));
        f.link.joinAnswer = !c.joinFailure || *c.joinFailure;
        f.link.joinRefusal = c.joinFailure && *c.joinFailure ? std::optional<QString>(c.joinFailure) : std::nullopt;
        QSignalSpy shutDown(f.window.get(), &frmMain::ShutdownFinished);
        testing::internal::CaptureStderr();
        EXPECT_EQ(f.window->Startup(), c.status) << c.line;
        const QString error = QString::fromStdString(testing::internal::GetCapturedStderr());
        EXPECT_EQ(error.contains(u"kalumo-bingo: cannot join the game: the game did not"), c.joinFailure && *c.joinFailure) << c.line;
        EXPECT_EQ(f.boxes.Lines(true), c.boxes) << c.line;
        EXPECT_EQ(shutDown.count(), c.status ? 1 : 0) << c.line;
        if (c.status) {
            EXPECT_EQ(f.link.sent.isEmpty() && ChatLines(*f.window).isEmpty(), !c.joinFailure || !*c.joinFailure) << c.line;
            EXPECT_TRUE(!c.boxes.value(0).startsWith(u"2 ") || f.link.joinCalls.isEmpty()) << c.line << ": refused before joining";
            continue;
        }
        EXPECT_EQ(f.link.joinCalls, (QList<QPair<quint64, qint32>>{{f.window->winId(), 77}})) << c.line;
        EXPECT_EQ(f.link.sent, QStringList({"G" + Y + c.key + Y + "I" + Y + QString::number(f.window->winId()),
                                            "G" + Y + c.key + Y + "A" + Y + " Kalumo Bingo" + Y + c.name + " Kalumo Bingo"}));
        EXPECT_EQ(f.Control(QStringLiteral("cmdNewGame"))->isEnabled(), c.name == c.host) << c.line;
        f.link.Deliver(c.host, QStringLiteral("Comm;1|7"));
        EXPECT_EQ(ChatLines(*f.window), QStringList({Greeting, "4:** The Number (7) Has Been Called."}))
            << c.line << ": only the host calls numbers";
    }
}

TEST(JoinedWindow, SendsTypedLinesKeepsThePlayerListShowsDeliveriesAsPlainTextInTheirColourCopiesAndBoundsTheLog)
{
    WindowFixture f(QStringLiteral("x 77 K7 Ann Ann"));
    ASSERT_EQ(f.window->Startup(), std::nullopt);
    auto *input = f.Control<QLineEdit>(QStringLiteral("txtChatOut"));
    QTest::keyClicks(input, QStringLiteral("a;b;c\r"));
    QTest::keyClick(input, Qt::Key_Enter);
    EXPECT_TRUE(f.SentMessages() == QStringList({"Chat;abc", "Chat;"}) && input->text().isEmpty()) << "without semicolons, not echoed";

    const QList<QPair<QString, QString>> deliveries = {
        {"[Enter]", "Bob"}, {"[Enter]", "Bob"}, {"[Enter]", "Cy"}, {"[Exit]", "Bob"}, {"[Exit]", "Nobody"},
        {"Bob", "Chat;<b>hi</b>"}, {"Bob", "Chat;\\waves"}, {"Bob", "Chat;/call 7"}, {"Bob", "Chat;two\nlines"}};
    for (const auto &[sender, data] : deliveries)
        f.link.Deliver(sender, data);
    emit f.link.Refused(QStringLiteral("the name \"Ann\" is already taken."));
    emit f.link.LinkLost(QStringLiteral("gone"));
    f.window->AddText(4, QString());

    const auto *users = f.Control<QListWidget>(QStringLiteral("lstUsers"));
    EXPECT_TRUE(users->count() == 2 && users->item(0)->text() == u"Bob" && users->item(1)->text() == u"Cy")
        << "the first of two Bobs left";
    EXPECT_EQ(ChatLines(*f.window), QStringList({Greeting,
        "1:Bob has joined the game.", "1:Bob has joined the game.", "1:Cy has joined the game.", "2:Bob has left the game.",
        "3:Bob:           <b>hi</b>", "5:*Bob waves",
        "3:Bob:           two lines", // a peer cannot start a line of its own
        "2:** The game refused this window: the name \"Ann\" is already taken.",
        "2:** The link to the game could not be restored (gone). You may close the window."}));
    // An empty line is a line too, and the log always ends with a line break.
    auto *log = f.Control<ChatLog>(QStringLiteral("rtbChatIn"));
    EXPECT_TRUE(log->toPlainText().endsWith(u"window.\n\n"));
    log->selectAll();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::mouseRelease(log->viewport(), Qt::RightButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"before");
    QTest::mouseRelease(log->viewport(), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), log->toPlainText()) << "a left release copies the selection";

    for (int n = 0; n < 100; ++n) // a hundred lines that took a second each to lay out
        f.link.Deliver(QStringLiteral("Bob"), QString::fromLatin1(n % 2 ? "Chat;" : "Chat;\\") + QString(60000, u'x'));
    for (const QString &line : ChatLines(*f.window))
        ASSERT_LE(line.size(), 2 + Routing::SenderFieldWidth + Routing::MaxChatLength);
    for (int n = 1; n <= ChatLog::MaxLines; ++n)
        f.window->AddText(3, QString::number(n));
    const QStringList lines = ChatLines(*f.window);
    EXPECT_TRUE(lines.size() == ChatLog::MaxLines && lines.first() == u"3:1");
}

TEST(ChatLines, AreCutWithAMarkWhenSentAndWhenShown)
{
    const QString x400(400, u'x'), cut = QString(396, u'x') + QStringLiteral(u" [\u2026]");
    const QString pairsAtTheCut = QString(395, u'x') + QStringLiteral(u"\U0001F600\U0001F600\U0001F600");
    for (const auto &[line, shown] : {std::pair{x400, x400}, {x400 + u'y', cut}, {QString(60000, u'x'), cut},
                                      {cut, cut}, {pairsAtTheCut, QString(395, u'x') + QStringLiteral(u" [\u2026]")}}) {
        EXPECT_EQ(Routing::ChatMessage(line), "Chat;" + shown);
        EXPECT_EQ(Routing::RouteDelivery(QStringLiteral("Bob"), "Chat;" + line).text, "Bob:           " + shown);
    }
}

} // namespace

TEST(JoinedWindow, WaitsWhileItsLinkIsAwayAndComesBackAsItWasRebuildingThePlayerListAfterAFreshJoin)
{
    WindowFixture f(QStringLiteral("x 77 K7 Hal Hal"));
    ASSERT_EQ(f.window->Startup(), std::nullopt);
    for (const char *name : {"Hal", "Ann", "Bob"})
        f.link.Deliver(QStringLiteral("[Enter]"), QString::fromLatin1(name));
    f.Control<QPushButton>(QStringLiteral("cmdNewGame"))->click();
    f.link.Deliver(QStringLiteral("Hal"), f.SentMessages().last());
    auto *calling = f.Control<QTimer>(QStringLiteral("tmrHost"));
    auto *users = f.Control<QListWidget>(QStringLiteral("lstUsers"));
    const auto state = [&] { return std::tuple(calling->isActive(), f.Control(QStringLiteral("cmdNewGame"))->isEnabled(), users->count()); };
    const qsizetype before = ChatLines(*f.window).size();
    for (bool fresh : {false, true}) {
        emit f.link.Reconnecting(QStringLiteral("gone"));
        EXPECT_EQ(state(), std::tuple(false, false, 3));
        if (fresh) {
            emit f.link.Rejoining();
            for (const char *name : {"Bob", "Cy", "Hal"}) // Ann left meanwhile, Cy came
                f.link.Deliver(QStringLiteral("[Enter]"), QString::fromLatin1(name));
        }
        emit f.link.Reconnected();
        EXPECT_EQ(state(), std::tuple(true, true, 3)) << fresh;
    }
    EXPECT_EQ(ChatLines(*f.window).mid(before), QStringList({"2:** The link to the game was lost (gone); reconnecting\u2026", "2:** Back in the game.",
        "2:** The link to the game was lost (gone); reconnecting\u2026", "1:Cy has joined the game.", "2:Ann has left the game.", "2:** Back in the game."}));
    EXPECT_TRUE(f.SentMessages().last().startsWith(u"Comm;5|Cy|")) << "the host catches a newcomer up";
}
