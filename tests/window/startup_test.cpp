// SPDX-License-Identifier: GPL-3.0-or-later
// The window's start-up from its command line, its chat log, and the window
// while its link is away.

#include "support/windowfixture.h"
#include "window/chatlog.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString Greeting = u"1:Thank You For Choosing Kalumo Bingo."_s;

TEST(Startup, JoinsAndGreetsOrShowsEveryErrorInOrderAndEnds)
{
    const QString missing = u"1 Kalumo Bingo: 9"_s, notANumber = u"1 Kalumo Bingo: 13"_s;
    const QString failed = u"0 ERROR!: Error, Please Restart The Game!"_s;
    const QString refused = u"2 Kalumo Bingo: This "_s;
    // clang-format off
    const struct {
        const char *line;
        const char *joinFailure; // none, "" for a connection refused, or why the hub did not confirm
        std::optional<int> status; QStringList boxes;
        QString key = {}, name = {}, host = {}; // as the join and the host's rights show them
        QString hostSecret = {};                // the host's window has one
        QString hubHost = {};                   // the host as the hub spells it, when it says
    } cases[] = {
        {"x 77 K7 Ann Ann", nullptr, {}, {}, u"K7"_s, u"Ann"_s, u"Ann"_s},
        {"x 77 K7 Hal Hal", nullptr, {}, {}, u"K7"_s, u"Hal"_s, u"Hal"_s, u"s3cret"_s},
        {"x 77 K7 Ann Bob Smith", nullptr, {}, {}, u"K7"_s, u"Ann"_s, u"Bob Smith"_s},
        {"x 77 K7 ann Ann", nullptr, {}, {}, u"K7"_s, u"ann"_s, u"Ann"_s},
        {"x 77 K7 Bob hal", nullptr, {}, {}, u"K7"_s, u"Bob"_s, u"Hal"_s, {}, u"Hal"_s},
        {"x 77 K7 Ann", nullptr, {}, {missing}, u"K7"_s, u"Ann"_s, u""_s},
        {"x 77", nullptr, {}, {missing, missing, missing}, u""_s, u""_s, u""_s},
        {"x 77 K7 Ann Ann", "", 1, {failed}},
        {"x", nullptr, 1, {missing, missing, missing, missing, failed}},
        {"x seven K7 Ann Ann", nullptr, 1, {notANumber, failed}},
        {"x 99999999999 K7 Ann Ann", nullptr, 1, {notANumber, failed}},
        {"x 77 K7 Ann Ann", "the game did not answer within 10 s.", 1, {failed + "\n\nThe game did not answer within 10 s."}},
        {"x 77 K7 [Exit] Ann", nullptr, 1, {refused + "name cannot be used: a name cannot start with \"[\" or \"*\"."}},
        {"x 77 K7  Ann", nullptr, 1, {refused + "name cannot be used: a name cannot be empty."}},
        {"x 77 K\u00FF7 Ann Ann", nullptr, 1, {refused + "game key cannot be used: it holds \"\u00FF\" or is too long."}},
        // No command line: the chat host's registration run, here into a registry without the games key.
        {"", nullptr, 1, {u"2 Kalumo Bingo: The game could not be registered with Kalumo Chat."_s}},
    };
    // clang-format on
    for (const auto &c : cases) {
        WindowFixture f(QString::fromUtf8(c.line), {}, {}, c.hostSecret);
        f.link.connectAnswer = !c.joinFailure || *c.joinFailure;
        f.link.joinRefusal = c.joinFailure && *c.joinFailure ? std::optional<QString>(c.joinFailure) : std::nullopt;
        f.link.hostName = c.hubHost;
        QSignalSpy shutDown(f.window.get(), &frmMain::ShutdownFinished);
        testing::internal::CaptureStderr();
        EXPECT_EQ(f.window->Startup(), c.status) << c.line;
        const QString error = QString::fromStdString(testing::internal::GetCapturedStderr());
        EXPECT_EQ(error.contains(u"kalumo-bingo: cannot join the game: the game did not"), c.joinFailure && *c.joinFailure) << c.line;
        const QStringList boxes = f.boxes.Lines(true);
        EXPECT_TRUE(boxes.size() == c.boxes.size()
                    && std::equal(c.boxes.begin(), c.boxes.end(), boxes.begin(), [](auto &expected, auto &shown) { return shown.startsWith(expected); }))
            << c.line << boxes.join(u'|').toStdString();
        EXPECT_EQ(shutDown.count(), c.status ? 1 : 0) << c.line;
        if (c.status) {
            EXPECT_EQ(f.link.joins.isEmpty() && ChatLines(*f.window).isEmpty(), !c.joinFailure || !*c.joinFailure) << c.line;
            EXPECT_TRUE(!c.boxes.value(0).startsWith(u"2 ") || f.link.connects.isEmpty()) << c.line << ": refused before joining";
            continue;
        }
        EXPECT_EQ(f.link.connects, QList<qint32>{77}) << c.line;
        ASSERT_EQ(f.link.joins.size(), 1) << c.line;
        const GameLink::JoinRequest &join = f.link.joins[0];
        EXPECT_TRUE(join.key == c.key && join.name == c.name && join.hostSecret == c.hostSecret && join.windowHandle == f.window->winId()
                    && join.hostName == QString::fromUtf8(c.line).section(u' ', 4))
            << c.line;
        EXPECT_EQ(f.Control(u"cmdNewGame"_s)->isEnabled(), c.name == c.host) << c.line;
        f.link.Deliver(c.host, u"Comm;1|7"_s);
        EXPECT_EQ(ChatLines(*f.window), QStringList({Greeting, "4:** The Number (7) Has Been Called."})) << c.line;
    }
}

TEST(ChatLog, ShowsEachLineAsPlainTextOnOneLineInTheColourOfItsKind)
{
    WindowFixture f(u"x 77 K7 Ann Ann"_s);
    ASSERT_EQ(f.window->Startup(), std::nullopt);
    for (const auto &[sender, data] :
         {std::pair{"[Enter]", "Bob"}, {"[Enter]", "Bob"}, {"[Exit]", "Bob"}, {"Bob", "Chat;<b>two\nlines</b>"}, {"Bob", "Chat;\\waves"}})
        f.link.Deliver(QString::fromUtf8(sender), QString::fromUtf8(data));
    emit f.link.Refused(u"the name \"Ann\" is already taken."_s);
    f.window->AddText(LogKind::Announcement, QString());
    const auto *users = f.Control<QListWidget>(u"lstUsers"_s);
    EXPECT_TRUE(users->count() == 1 && users->item(0)->text() == u"Bob") << "one of two Bobs left";
    EXPECT_EQ(ChatLines(*f.window),
              QStringList({Greeting, "1:Bob has joined the game.", "1:Bob has joined the game.", "2:Bob has left the game.",
                           "3:Bob:           <b>two lines</b>", "5:*Bob waves", "2:** The game refused this window: the name \"Ann\" is already taken."}));
    EXPECT_TRUE(f.Control<ChatLog>(u"rtbChatIn"_s)->toPlainText().endsWith(u"taken.\n\n")) << "an empty line is a line too";
}

TEST(ChatLog, KeepsTheNewestLinesInViewAfterAResizeUnlessScrolledUpAndCopiesTheSelectionOnALeftRelease)
{
    WindowFixture f(u"x 77 K7 Ann Ann"_s);
    ASSERT_EQ(f.window->Startup(), std::nullopt);
    for (int n = 1; n <= ChatLog::MaxLines; ++n) f.window->AddText(LogKind::Chat, QString::number(n));
    const QStringList lines = ChatLines(*f.window);
    EXPECT_TRUE(lines.size() == ChatLog::MaxLines && lines.first() == u"3:1");

    auto *log = f.Control<ChatLog>(u"rtbChatIn"_s);
    f.Show();
    for (const int scrolledTo : {-1, 10}) { // -1: the newest line in view
        if (scrolledTo >= 0) log->verticalScrollBar()->setValue(scrolledTo);
        f.window->resize(f.window->minimumSize() * 2);
        f.window->resize(f.window->minimumSize());
        EXPECT_EQ(log->verticalScrollBar()->value(), scrolledTo < 0 ? log->verticalScrollBar()->maximum() : scrolledTo);
    }
    log->selectAll();
    QGuiApplication::clipboard()->setText(u"before"_s);
    QTest::mouseRelease(log->viewport(), Qt::RightButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"before");
    QTest::mouseRelease(log->viewport(), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), log->toPlainText());
}

TEST(JoinedWindow, WaitsWhileItsLinkIsAwayAndComesBackAsItWas)
{
    WindowFixture f(u"x 77 K7 Hal Hal"_s);
    ASSERT_EQ(f.window->Startup(), std::nullopt);
    for (const char *name : {"Hal", "Ann", "Bob"}) f.link.Deliver(u"[Enter]"_s, QString::fromLatin1(name));
    f.Control<QPushButton>(u"cmdNewGame"_s)->click();
    f.link.Deliver(u"Hal"_s, f.link.sent.last());
    auto *calling = f.Control<QTimer>(u"tmrHost"_s);
    auto *users = f.Control<QListWidget>(u"lstUsers"_s);
    const auto state = [&] { return std::tuple(calling->isActive(), f.Control(u"cmdNewGame"_s)->isEnabled(), users->count()); };
    for (bool fresh : {false, true}) {
        emit f.link.Reconnecting(u"gone"_s);
        EXPECT_EQ(state(), std::tuple(false, false, 3));
        if (fresh) {
            emit f.link.Rejoining();
            for (const char *name : {"Bob", "Cy", "Hal"}) // Ann left meanwhile, Cy came
                f.link.Deliver(u"[Enter]"_s, QString::fromLatin1(name));
        }
        emit f.link.Reconnected();
        EXPECT_EQ(state(), std::tuple(true, true, 3)) << fresh;
    }
    EXPECT_TRUE(f.link.sent.last().startsWith(u"Comm;5|Cy|")) << "the host catches a newcomer up";
}

} // namespace
