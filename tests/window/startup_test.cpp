#include "support/chatlines.h"
#include "support/windowfixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString Y = QStringLiteral("\u00FF");
const QString Greeting = QStringLiteral("1:Thank You For Choosing Kalumo Bingo.");

// Every box shown, as "<kind> <title>: <first line of its text>"; the first
// line of a run-time error's box is its error number.
QStringList shownBoxes(const RecordingMessageBoxes &boxes)
{
    QStringList shown;
    for (const ShownBox &box : boxes.shown)
        shown << QStringLiteral("%1 %2: %3").arg(box.kind).arg(box.title, box.text.section(QStringLiteral("\r\n"), 0, 0));
    return shown;
}

TEST(Startup, JoinsAnnouncesAndGreetsOrShowsEveryErrorInOrderAndEnds)
{
    const QString missing = QStringLiteral("1 Kalumo Bingo: 9"), notANumber = QStringLiteral("1 Kalumo Bingo: 13");
    const QString failed = QStringLiteral("0 ERROR!: Error, Please Restart The Game!");
    const struct {
        const char *line;
        bool joinAnswer;
        std::optional<int> status;
        QStringList boxes;
        const char *key = "", *name = "", *host = ""; // as the records and the host's rights show them
    } cases[] = {
        {"x 77 K7 Ann Ann", true, {}, {}, "K7", "Ann", "Ann"},
        {"x 77 K7 Ann Bob Smith", true, {}, {}, "K7", "Ann", "Bob Smith"},
        {"x 77 K7 ann Ann", true, {}, {}, "K7", "ann", "Ann"},
        {"x 77 K7 Ann", true, {}, {missing}, "K7", "Ann", ""},
        {"x 77", true, {}, {missing, missing, missing}, "", "", ""},
        {"x 77 K7 Ann Ann", false, 1, {failed}},
        {"x", true, 1, {missing, missing, missing, missing, failed}},
        {"x seven K7 Ann Ann", true, 1, {notANumber, failed}},
        {"x 99999999999 K7 Ann Ann", true, 1, {notANumber, failed}},
    };
    for (const auto &c : cases) {
        WindowFixture f(QString::fromUtf8(c.line));
        f.link.joinAnswer = c.joinAnswer;
        QSignalSpy shutDown(f.window.get(), &frmMain::ShutdownFinished);
        EXPECT_EQ(f.window->Startup(), c.status) << c.line;
        EXPECT_EQ(shownBoxes(f.boxes), c.boxes) << c.line;
        EXPECT_EQ(shutDown.count(), c.status ? 1 : 0) << c.line;
        if (c.status) {
            EXPECT_TRUE(f.link.sent.isEmpty() && ChatLines(*f.window).isEmpty()) << c.line;
            continue;
        }
        const QString key = QString::fromUtf8(c.key), name = QString::fromUtf8(c.name), host = QString::fromUtf8(c.host);
        const quint64 handle = f.window->winId();
        EXPECT_EQ(f.link.joinCalls, (QList<QPair<quint64, qint32>>{{handle, 77}})) << c.line;
        EXPECT_EQ(f.link.sent, QStringList({"G" + Y + key + Y + "I" + Y + QString::number(handle),
                                            "G" + Y + key + Y + "A" + Y + " Kalumo Bingo" + Y + name + " Kalumo Bingo"}));
        EXPECT_EQ(f.Control(QStringLiteral("cmdNewGame"))->isEnabled(), name == host) << c.line;
        f.link.Deliver(host, QStringLiteral("Comm;1|7"));
        EXPECT_EQ(ChatLines(*f.window), QStringList({Greeting, "4:** The Number (7) Has Been Called."}))
            << c.line << ": only the host calls numbers";
    }
}

TEST(JoinedWindow, SendsTypedLinesKeepsThePlayerListAndShowsEveryDeliveryAsPlainTextInItsColour)
{
    WindowFixture f(QStringLiteral("x 77 K7 Ann Ann"));
    ASSERT_EQ(f.window->Startup(), std::nullopt);
    auto *input = f.Control<QLineEdit>(QStringLiteral("txtChatOut"));
    QTest::keyClicks(input, QStringLiteral("a;b;c"));
    QTest::keyClick(input, Qt::Key_Return);
    QTest::keyClick(input, Qt::Key_Enter);
    EXPECT_EQ(f.SentMessages(), QStringList({"Chat;abc", "Chat;"})) << "without semicolons, not echoed";
    EXPECT_TRUE(input->text().isEmpty());

    const QList<QPair<QString, QString>> deliveries = {
        {"[Enter]", "Bob"}, {"[Enter]", "Bob"}, {"[Enter]", "Cy"}, {"[Exit]", "Bob"}, {"[Exit]", "Nobody"},
        {"Bob", "Chat;<b>hi</b>"}, {"Bob", "Chat;\\waves"}, {"Bob", "Chat;/call 7"}, {"Bob", "Chat;two\nlines"}};
    for (const auto &[sender, data] : deliveries)
        f.link.Deliver(sender, data);
    f.link.Lose(QStringLiteral("gone"));
    f.window->AddText(4, QString());

    auto *users = f.Control<QListWidget>(QStringLiteral("lstUsers"));
    ASSERT_EQ(users->count(), 2);
    EXPECT_EQ(users->item(0)->text(), u"Bob") << "the first of two Bobs left";
    EXPECT_EQ(users->item(1)->text(), u"Cy");
    EXPECT_EQ(ChatLines(*f.window), QStringList({Greeting,
        "1:Bob has joined the game.", "1:Bob has joined the game.", "1:Cy has joined the game.", "2:Bob has left the game.",
        "3:Bob:           <b>hi</b>", "5:*Bob waves",
        "3:Bob:           two lines", // a peer cannot start a line of its own
        "2:** The link to the game was lost (gone). You may close the window."}));
    // An empty line is a line too, and the log always ends with a line break.
    EXPECT_TRUE(f.Control<ChatLog>(QStringLiteral("rtbChatIn"))->toPlainText().endsWith(u"window.\n\n"));
}

TEST(ChatLogClipboard, ALeftReleaseCopiesTheSelectionAndARightReleaseDoesNot)
{
    ChatLog log;
    log.resize(200, 100);
    log.AddText(3, QStringLiteral("hello"));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::mouseClick(log.viewport(), Qt::RightButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"before");
    QTest::mouseClick(log.viewport(), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString()) << "a click selects nothing";
    log.selectAll();
    QTest::mouseRelease(log.viewport(), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"hello\n");
}

} // namespace
