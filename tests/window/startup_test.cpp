#include "support/chatlines.h"
#include "support/windowfixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString Y = QStringLiteral("\u00FF");
const QColor Black(0, 0, 0), Green(0, 255, 0), Red(255, 0, 0), Blue(0, 0, 255);

// The first line of each box's text: the error number for a run-time error.
QStringList boxNumbers(const QList<ShownBox> &boxes)
{
    QStringList numbers;
    for (const ShownBox &box : boxes)
        numbers << box.text.section(QStringLiteral("\r\n"), 0, 0);
    return numbers;
}

TEST(Startup, TheHostJoinsAnnouncesItselfAndIsGreeted)
{
    WindowFixture f(QStringLiteral("x 77 K7 Ann Ann"));
    EXPECT_EQ(f.window->Startup(), std::nullopt);

    EXPECT_TRUE(f.window->IsHost());
    EXPECT_TRUE(f.Control<QPushButton>(QStringLiteral("cmdNewGame"))->isEnabled());
    EXPECT_EQ(f.window->MemFile(), f.folder.path() + QStringLiteral("/BingoMem.Usr"));
    const quint64 handle = f.window->winId();
    EXPECT_EQ(f.link.joinCalls, (QList<QPair<quint64, qint32>>{{handle, 77}}));
    EXPECT_EQ(f.link.sent, QStringList({"G" + Y + "K7" + Y + "I" + Y + QString::number(handle),
                                        "G" + Y + "K7" + Y + "A" + Y + " Kalumo Bingo" + Y + "Ann Kalumo Bingo"}));
    EXPECT_EQ(ChatLines(*f.window), QList<ChatLine>({{"Thank You For Choosing Kalumo Bingo.", Green}}));
    EXPECT_TRUE(f.boxes.shown.isEmpty());
}

struct LineCase
{
    const char *line;
    const char *key, *name, *host;
    bool isHost;
    QStringList errorNumbers; // of the plain boxes, in order
};

class StartupCommandLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(StartupCommandLines, SetTheFieldsAndReportEveryMissingPiece)
{
    const LineCase &c = GetParam();
    WindowFixture f(QString::fromUtf8(c.line));
    EXPECT_EQ(f.window->Startup(), std::nullopt);
    EXPECT_EQ(f.window->GameKey(), QString::fromUtf8(c.key));
    EXPECT_EQ(f.window->MyName(), QString::fromUtf8(c.name));
    EXPECT_EQ(f.window->HostName(), QString::fromUtf8(c.host));
    EXPECT_EQ(f.window->IsHost(), c.isHost);
    EXPECT_EQ(f.Control<QPushButton>(QStringLiteral("cmdNewGame"))->isEnabled(), c.isHost);
    EXPECT_EQ(boxNumbers(f.boxes.shown), c.errorNumbers);
    for (const ShownBox &box : f.boxes.shown) {
        EXPECT_EQ(box.kind, ShownBox::Plain);
        EXPECT_EQ(box.title, u"Kalumo Bingo");
    }
}

INSTANTIATE_TEST_SUITE_P(Table, StartupCommandLines, ::testing::Values(
    LineCase{"x 77 K7 Ann Bob Smith", "K7", "Ann", "Bob Smith", false, {}},
    LineCase{"x 77 K7 ann Ann", "K7", "ann", "Ann", false, {}},
    LineCase{"x 77 K7 Bob Smith Bob Smith", "K7", "Bob", "Smith Bob Smith", false, {}},
    LineCase{"x 77 K7 Ann", "K7", "Ann", "", false, {"9"}},
    LineCase{"x 77 K7", "K7", "", "", true, {"9", "9"}},
    LineCase{"x 77", "", "", "", true, {"9", "9", "9"}}));

struct JoinFailure
{
    const char *line;
    bool joinAnswer;
    QStringList errorNumbers; // of the boxes before "ERROR!"
};

class FailedJoin : public ::testing::TestWithParam<JoinFailure> {};

TEST_P(FailedJoin, ShowsTheErrorBoxRunsShutdownAndEndsWithStatusOne)
{
    WindowFixture f(QString::fromUtf8(GetParam().line));
    f.link.joinAnswer = GetParam().joinAnswer;
    QSignalSpy shutDown(f.window.get(), &frmMain::ShutdownFinished);

    EXPECT_EQ(f.window->Startup(), 1);

    ASSERT_FALSE(f.boxes.shown.isEmpty());
    const ShownBox last = f.boxes.shown.takeLast();
    EXPECT_EQ(boxNumbers(f.boxes.shown), GetParam().errorNumbers);
    EXPECT_EQ(last.kind, ShownBox::Information);
    EXPECT_EQ(last.title, u"ERROR!");
    EXPECT_EQ(last.text, u"Error, Please Restart The Game!");
    EXPECT_EQ(shutDown.count(), 1);
    EXPECT_TRUE(f.link.sent.isEmpty());
    EXPECT_TRUE(ChatLines(*f.window).isEmpty());
    EXPECT_FALSE(f.window->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Table, FailedJoin, ::testing::Values(
    JoinFailure{"x 77 K7 Ann Ann", false, {}},
    JoinFailure{"x", true, {"9", "9", "9", "9"}},
    JoinFailure{"x seven K7 Ann Ann", true, {"13"}},
    JoinFailure{"x 99999999999 K7 Ann Ann", true, {"13"}}));

class JoinedWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(f.window->Startup(), std::nullopt);
        f.link.sent.clear();
    }
    WindowFixture f{QStringLiteral("x 77 K7 Ann Ann")};
};

TEST_F(JoinedWindow, SendsATypedLineWithoutSemicolonsAndDoesNotEchoIt)
{
    auto *input = f.Control<QLineEdit>(QStringLiteral("txtChatOut"));
    QTest::keyClicks(input, QStringLiteral("a;b;c"));
    QTest::keyClick(input, Qt::Key_Return);
    QTest::keyClick(input, Qt::Key_Enter);
    EXPECT_EQ(f.SentMessages(), QStringList({"Chat;abc", "Chat;"}));
    EXPECT_TRUE(input->text().isEmpty());
    EXPECT_EQ(ChatLines(*f.window).size(), 1) << "only the greeting";
}

TEST_F(JoinedWindow, KeepsThePlayerListAndShowsEveryDeliveryAsPlainTextInItsColour)
{
    const QList<QPair<QString, QString>> deliveries = {
        {"[Enter]", "Bob"}, {"[Enter]", "Bob"}, {"[Enter]", "Cy"}, {"[Exit]", "Bob"}, {"[Exit]", "Nobody"},
        {"Bob", "Chat;<b>hi</b>"}, {"Bob", "Chat;\\waves"}, {"Bob", "Chat;/call 7"}, {"Bob", "Chat;two\nlines"}};
    for (const auto &[sender, data] : deliveries)
        f.link.Deliver(sender, data);
    f.window->AddText(7, QStringLiteral("seven"));

    auto *users = f.Control<QListWidget>(QStringLiteral("lstUsers"));
    ASSERT_EQ(users->count(), 2);
    EXPECT_EQ(users->item(0)->text(), u"Bob") << "the first of two Bobs left";
    EXPECT_EQ(users->item(1)->text(), u"Cy");
    EXPECT_EQ(ChatLines(*f.window).mid(1), QList<ChatLine>({
        {"Bob has joined the game.", Green}, {"Bob has joined the game.", Green}, {"Cy has joined the game.", Green},
        {"Bob has left the game.", Red},
        {"Bob:           <b>hi</b>", Black},
        {"*Bob waves", Blue},
        {"Bob:           two lines", Black}, // a peer cannot start a line of its own
        {"seven", Black}}));
}

TEST_F(JoinedWindow, AddsAnEmptyLineAndAlwaysEndsTheLogWithALineBreak)
{
    f.window->AddText(4, QString());
    EXPECT_EQ(f.Control<ChatLog>(QStringLiteral("rtbChatIn"))->toPlainText(),
              QStringLiteral("Thank You For Choosing Kalumo Bingo.\n\n"));
}

TEST(WindowLayout, PlacesControlsAtFifteenTwipsToAPixel)
{
    WindowFixture f(QStringLiteral("x 77 K7 Ann Ann"));
    f.window->Startup();
    EXPECT_EQ(f.window->size(), QSize(567, 445));
    EXPECT_EQ(f.window->windowTitle(), u"Kalumo Bingo");
    struct Place { const char *name; QRect rect; };
    for (const Place &p : {Place{"cmdNewGame", {232, 192, 97, 17}}, Place{"cmdBingo", {232, 208, 97, 21}},
                           Place{"txtSec", {272, 232, 17, 19}}, Place{"lstUsers", {232, 256, 81, 180}},
                           Place{"rtbChatIn", {312, 256, 249, 161}}, Place{"txtChatOut", {312, 416, 249, 19}},
                           Place{"Card0", {8, 192, 217, 249}}, Place{"Card1", {344, 0, 217, 249}}}) {
        auto *widget = f.Control<QWidget>(QString::fromUtf8(p.name));
        ASSERT_NE(widget, nullptr) << p.name;
        EXPECT_EQ(widget->geometry(), p.rect) << p.name;
    }
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
