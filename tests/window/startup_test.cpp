#include "support/windowfixture.h"
#include "window/chatlog.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

namespace {

const QString Y = QStringLiteral("\u00FF");

struct LogLine
{
    QString text;
    QColor colour;
};

QList<LogLine> logLines(const WindowFixture &f)
{
    QList<LogLine> lines;
    const QTextDocument *doc = f.Control<ChatLog>(QStringLiteral("rtbChatIn"))->document();
    for (QTextBlock block = doc->begin(); block.isValid() && block.next().isValid(); block = block.next()) {
        QColor colour;
        if (!block.text().isEmpty())
            colour = block.begin().fragment().charFormat().foreground().color();
        lines.append({block.text(), colour});
    }
    return lines;
}

QStringList logTexts(const WindowFixture &f)
{
    QStringList texts;
    for (const LogLine &line : logLines(f))
        texts << line.text;
    return texts;
}

TEST(Startup, TheHostJoinsAnnouncesItselfAndIsGreeted)
{
    WindowFixture f(QStringLiteral("x 77 K7 Ann Ann"));
    EXPECT_EQ(f.window->Startup(), std::nullopt);

    EXPECT_EQ(f.window->GameKey(), u"K7");
    EXPECT_EQ(f.window->MyName(), u"Ann");
    EXPECT_EQ(f.window->HostName(), u"Ann");
    EXPECT_TRUE(f.window->IsHost());
    EXPECT_TRUE(f.Control<QPushButton>(QStringLiteral("cmdNewGame"))->isEnabled());
    EXPECT_EQ(f.window->MemFile(), f.folder.path() + QStringLiteral("/BingoMem.Usr"));

    const quint64 handle = f.window->winId();
    ASSERT_EQ(f.link.joinCalls.size(), 1);
    EXPECT_EQ(f.link.joinCalls[0].first, handle);
    EXPECT_EQ(f.link.joinCalls[0].second, 77);
    EXPECT_EQ(f.link.sent, QStringList({"G" + Y + "K7" + Y + "I" + Y + QString::number(handle),
                                        "G" + Y + "K7" + Y + "A" + Y + " Kalumo Bingo" + Y + "Ann Kalumo Bingo"}));
    const auto lines = logLines(f);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].text, u"Thank You For Choosing Kalumo Bingo.");
    EXPECT_EQ(lines[0].colour, QColor(0, 255, 0));
    EXPECT_TRUE(f.boxes.shown.isEmpty());
}

struct LineCase
{
    const char *line;
    const char *key, *name, *host;
    bool isHost;
    QStringList errorBoxes; // texts of the plain boxes, in order
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
    QStringList shown;
    for (const ShownBox &box : f.boxes.shown) {
        EXPECT_EQ(box.kind, ShownBox::Plain);
        EXPECT_EQ(box.title, u"Kalumo Bingo");
        shown << box.text.section(QStringLiteral("\r\n"), 0, 0);
        EXPECT_TRUE(box.text.contains(QStringLiteral("\r\n")));
    }
    EXPECT_EQ(shown, c.errorBoxes);
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
    QStringList errorNumbers;
};

class FailedJoin : public ::testing::TestWithParam<JoinFailure> {};

TEST_P(FailedJoin, ShowsTheErrorBoxRunsShutdownAndEndsWithStatusOne)
{
    WindowFixture f(QString::fromUtf8(GetParam().line));
    f.link.joinAnswer = GetParam().joinAnswer;
    QSignalSpy shutDown(f.window.get(), &frmMain::ShutDown);

    EXPECT_EQ(f.window->Startup(), 1);

    QStringList numbers;
    for (qsizetype i = 0; i + 1 < f.boxes.shown.size(); ++i)
        numbers << f.boxes.shown[i].text.section(QStringLiteral("\r\n"), 0, 0);
    EXPECT_EQ(numbers, GetParam().errorNumbers);
    ASSERT_FALSE(f.boxes.shown.isEmpty());
    const ShownBox &last = f.boxes.shown.last();
    EXPECT_EQ(last.kind, ShownBox::Information);
    EXPECT_EQ(last.title, u"ERROR!");
    EXPECT_EQ(last.text, u"Error, Please Restart The Game!");
    EXPECT_EQ(shutDown.count(), 1);
    EXPECT_TRUE(f.link.sent.isEmpty());
    EXPECT_TRUE(logTexts(f).isEmpty());
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
    EXPECT_EQ(f.link.sent, QStringList({"G" + Y + "K7" + Y + "C" + Y + "Chat;abc", "G" + Y + "K7" + Y + "C" + Y + "Chat;"}));
    EXPECT_TRUE(input->text().isEmpty());
    EXPECT_EQ(logTexts(f).size(), 1) << "only the greeting";
}

TEST_F(JoinedWindow, KeepsThePlayerListAndLogsComingsAndGoings)
{
    f.link.Deliver(QStringLiteral("[Enter]"), QStringLiteral("Bob"));
    f.link.Deliver(QStringLiteral("[Enter]"), QStringLiteral("Bob"));
    f.link.Deliver(QStringLiteral("[Enter]"), QStringLiteral("Cy"));
    f.link.Deliver(QStringLiteral("[Exit]"), QStringLiteral("Bob"));
    f.link.Deliver(QStringLiteral("[Exit]"), QStringLiteral("Nobody"));

    auto *users = f.Control<QListWidget>(QStringLiteral("lstUsers"));
    QStringList listed;
    for (int i = 0; i < users->count(); ++i)
        listed << users->item(i)->text();
    EXPECT_EQ(listed, QStringList({"Bob", "Cy"})) << "the first of two Bobs left";
    const auto lines = logLines(f);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[1].text, u"Bob has joined the game.");
    EXPECT_EQ(lines[1].colour, QColor(0, 255, 0));
    EXPECT_EQ(lines[4].text, u"Bob has left the game.");
    EXPECT_EQ(lines[4].colour, QColor(255, 0, 0));
}

TEST_F(JoinedWindow, ShowsChatAsPlainTextInTheColourOfItsKind)
{
    f.link.Deliver(QStringLiteral("Bob"), QStringLiteral("Chat;<b>hi</b>"));
    f.link.Deliver(QStringLiteral("Bob"), QStringLiteral("Chat;\\waves"));
    f.link.Deliver(QStringLiteral("Bob"), QStringLiteral("Chat;/call 7"));
    f.link.Deliver(QStringLiteral("Bob"), QStringLiteral("Chat;two\nlines"));
    f.window->AddText(7, QStringLiteral("seven"));
    f.window->AddText(4, QString());

    const auto lines = logLines(f);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[1].text, u"Bob:           <b>hi</b>");
    EXPECT_EQ(lines[1].colour, QColor(0, 0, 0));
    EXPECT_EQ(lines[2].text, u"*Bob waves");
    EXPECT_EQ(lines[2].colour, QColor(0, 0, 255));
    EXPECT_EQ(lines[3].text, u"Bob:           two lines") << "a peer cannot start a line of its own";
    EXPECT_EQ(lines[4].text, u"seven");
    EXPECT_EQ(lines[4].colour, QColor(0, 0, 0));
    EXPECT_EQ(lines[5].text, QString());
    EXPECT_TRUE(f.Control<ChatLog>(QStringLiteral("rtbChatIn"))->toPlainText().endsWith(u'\n'));
}

TEST_F(JoinedWindow, SaysSoWhenTheLinkIsLostAndStaysOpen)
{
    f.link.Lose(QStringLiteral("the game host closed the connection"));
    const auto lines = logLines(f);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[1].text.contains(u"lost"));
    EXPECT_EQ(lines[1].colour, QColor(255, 0, 0));
    EXPECT_TRUE(f.window->close());
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
                           Place{"lblItm1", {1, 1, 33, 17}}, Place{"lblItm2", {34, 1, 33, 17}},
                           Place{"lblItm11", {1, 18, 33, 17}}, Place{"lblItm100", {298, 154, 33, 17}},
                           Place{"Card0", {8, 192, 217, 249}}, Place{"Card1", {344, 0, 217, 249}}}) {
        auto *widget = f.Control<QWidget>(QString::fromUtf8(p.name));
        ASSERT_NE(widget, nullptr) << p.name;
        EXPECT_EQ(widget->geometry(), p.rect) << p.name;
    }
}

} // namespace

namespace {

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
