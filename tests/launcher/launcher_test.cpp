// SPDX-License-Identifier: GPL-3.0-or-later
// The launcher: what it runs for each choice, the name and address it
// remembers, the words it tells the player, the running game it notes for a
// launcher opened later, and its window.

#include "launcher.h"
#include "launcherwindow.h"
#include "link/invitation.h"
#include "playerwords.h"
#include "support/fakeprocessrunner.h"

#include <QAccessible>
#include <QClipboard>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString Invitation = u"kalumo://example.org:47474/0123456789abcdef0123456789abcdef?host=Ann&fp="_s + QString(64, u'e');

class LauncherTest : public ::testing::Test
{
protected:
    LauncherTest()
    {
        QObject::connect(&launcher, &Launcher::Message, [this](const QString &text) { messages << text; });
    }
    HubRun &Run() { return *runner.started.last().run; }

    QTemporaryDir folder;
    QSettings settings{folder.filePath(u"launcher.conf"_s), QSettings::IniFormat};
    FakeProcessRunner runner;
    QSet<qint64> alive; // the processes that run, as the note's reader sees them
    RunningGameFile noted{folder.filePath(u"run/kalumo/launcher-game.json"_s), [this](qint64 id, const QString &) { return alive.contains(id); }};
    Launcher launcher{runner, settings, u"/opt/kalumo/kalumo-hub"_s, noted};
    QStringList messages;
};

TEST_F(LauncherTest, RunsTheHubWithThePlayersChoiceAndRemembersTheNameOrSaysWhyNot)
{
    const QString v6 = QString(Invitation).replace(u"example.org"_s, u"[::1]"_s);
    // The choice, the name typed, the computers, host's address and port or the pasted text; what runs after
    // the subcommand, or the message instead.
    // clang-format off
    const struct { char choice; QString name, input; quint16 port; QString arguments, message; } cases[] = {
        {'p', u" Ann "_s, u"0"_s, 0, u"play -- Ann"_s, {}},
        {'p', u"-x"_s, u"3"_s, 0, u"play --computer 3 -- -x"_s, {}},
        {'h', u"Zoë"_s, {}, HostChoice::DefaultPort, u"host -- Zoë"_s, {}},
        {'h', u"Zoë"_s, u" 10.77.0.1 "_s, 0, u"host --address 10.77.0.1 --port 0 -- Zoë"_s, {}},
        {'j', u"Bob"_s, u"  "_s + Invitation + u"\n"_s, 0, u"join -- "_s + Invitation + u" Bob"_s, {}},
        {'j', u"Bob"_s, u"Join here: "_s + v6 + u"."_s, 0, u"join -- "_s + v6 + u" Bob"_s, {}},
        {'j', u"Bob"_s, u"https://example.org/kalumo"_s, 0, {}, u"There is no invitation in the text you pasted"_s},
        {'j', u"Bob"_s, Invitation.chopped(1), 0, {}, u"The invitation's fingerprint is not 64"_s},
        {'p', u"[Exit]"_s, u"0"_s, 0, {}, u"This name cannot be used: a name cannot start with \"[\""_s},
        {'h', {}, {}, 0, {}, u"This name cannot be used: "_s},
    };
    // clang-format on
    for (const auto &c : cases) {
        runner.started.clear();
        messages.clear();
        const bool started = c.choice == 'p' ? launcher.Play(c.name, c.input.toInt())
            : c.choice == 'h'                ? launcher.Host(c.name, {c.input, c.port})
                                             : launcher.Join(c.input, c.name);
        ASSERT_EQ(runner.started.size(), started ? 1 : 0) << c.choice << c.input.toStdString();
        if (started) {
            EXPECT_EQ(runner.started[0].program + u' ' + runner.started[0].arguments.join(u' '), u"/opt/kalumo/kalumo-hub "_s + c.arguments);
            EXPECT_EQ(Launcher(runner, settings, {}, noted).Name(), c.name.trimmed());
            EXPECT_FALSE(launcher.Play(u"Cy"_s, 0)) << "one run at a time";
            emit Run().Ended(0, {});
        }
        EXPECT_TRUE(started ? c.message.isEmpty() : messages.value(0).startsWith(c.message)) << messages.join(u'\n').toStdString();
    }
    EXPECT_EQ(Launcher(runner, settings, {}, noted).Name(), u"Bob"_s) << "a refused name is not remembered";
    EXPECT_TRUE(launcher.LastHostChoice().address == u"10.77.0.1"_s && launcher.LastHostChoice().port == 0) << "the host's last choice";
    EXPECT_EQ(launcher.LastComputers(), 3) << "the computer players of the last game played here";
}

TEST(PlayerWords, TheEndOfARunIsToldByItsStatusWithTheReasonOfAFailureAndNeverTheLog)
{
    // clang-format off
    const struct { int status; QString lastLine, words; } table[] = {
        {0, u"kalumo-hub: Leave: game 32661657E870C179: Computer 1"_s, u"The game has ended."_s},
        {2, u"kalumo-hub: cannot listen on 0.0.0.0:47475: Address already in use"_s,
         u"Another game is already hosted on this computer on port 47475. Close it first, or choose another port under Advanced."_s},
        {2, u"kalumo-hub: --address a b cannot go into an invitation: The invitation is damaged."_s,
         u"The address \"a b\" under Advanced cannot go into an invitation: The invitation is damaged."_s},
        {2, u"kalumo-hub: cannot join the game: no answer within 5 s"_s, u"Cannot join the game: no answer within 5 s."_s},
        {2, u"No program is registered as Kalumo Bingo; starting /usr/games/kalumo-bingo instead"_s,
         u"The game stopped with an error (status 2)."_s},
        {1, u"kalumo-bingo: cannot join the game: the name \"Bob\" is already taken in this game."_s,
         u"Cannot join the game: the name \"Bob\" is already taken in this game."_s},
        {1, u"kalumo-hub: Join: game 32661657E870C179: Computer 1"_s,
         u"A game window ended with an error; it said why in a box of its own."_s},
        {9, {}, u"The game stopped with an error (status 9)."_s},
    };
    // clang-format on
    for (const auto &row : table) EXPECT_EQ(PlayerWords::ForEnd(row.status, row.lastLine), row.words) << row.lastLine.toStdString();
}

TEST_F(LauncherTest, AGameIsNotedWhileItRunsAndALauncherOpenedMeanwhileShowsItUntilItEnds)
{
    ASSERT_TRUE(launcher.Host(u"Ann"_s));
    alive << 4242;
    emit Run().Started(4242);
    emit Run().OutputLine(Invitation);
    emit Run().ErrorLine(u"kalumo-hub: Join: game 32661657E870C179: Computer 1"_s);
    EXPECT_EQ(messages.last(), u"Your game is open: pass the invitation on, and the others join with it."_s) << "no log";
    EXPECT_FALSE(QFile(noted.Path()).permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther));

    Launcher reopened{runner, settings, u"/opt/kalumo/kalumo-hub"_s, noted}, other{runner, settings, u"x"_s, noted};
    QSignalSpy invitation(&reopened, &Launcher::InvitationReady), running(&reopened, &Launcher::RunningChanged), offered(&other, &Launcher::OtherGameRunning);
    EXPECT_TRUE(reopened.ShowRunningGame() && invitation.value(0).value(0) == Invitation);
    EXPECT_FALSE(reopened.Host(u"Ann"_s) || other.Host(u"Ann"_s)) << "a second host would find the port taken";
    reopened.CheckShownGame();
    EXPECT_TRUE(offered.size() == 1 && runner.started.size() == 1 && running.size() == 1) << "still running";
    emit Run().Ended(0, {});
    reopened.CheckShownGame();
    EXPECT_TRUE(!QFile::exists(noted.Path()) && running.value(1).value(0) == false && other.Play(u"Ann"_s, 0));
}

TEST_F(LauncherTest, ANoteWhoseProcessIsGoneOrThatCannotBeReadIsRemovedAndShowsNothing)
{
    ASSERT_TRUE(launcher.Join(Invitation, u"Bob"_s));
    emit Run().Started(7);
    QFile file(noted.Path());
    const QByteArray written = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    for (const QByteArray &contents : {written, QByteArray("{\"pid\": 7, \"kind\": \"dance\"}"), QByteArray("\x01{")}) {
        file.close();
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size() && file.flush());
        alive = contents == written ? QSet<qint64>() : QSet<qint64>{7};
        EXPECT_FALSE(noted.Read()) << contents.toStdString();
        EXPECT_FALSE(QFile::exists(noted.Path())) << contents.toStdString();
    }
    // Its run's end removes no note but its own.
    ASSERT_TRUE(noted.Write({8, u"hub"_s, RunningGame::Host, u"Ann"_s, {}}, nullptr));
    emit Run().Ended(1, {});
    alive = {8};
    EXPECT_TRUE(noted.Read());
}

TEST(RunningGameFile, TellsARunningProcessByItsIdAndTheProgramItWasStartedAs)
{
    QProcess ended;
    ended.start(u"true"_s, {});
    ASSERT_TRUE(ended.waitForFinished());
    EXPECT_TRUE(RunningGameFile::Running(::getpid(), QCoreApplication::arguments().value(0)));
    EXPECT_FALSE(RunningGameFile::Running(::getpid(), u"/usr/bin/kalumo-hub"_s) || RunningGameFile::Running(ended.processId(), u"true"_s))
        << "an id reused by another program, or a process that has ended";
}

TEST_F(LauncherTest, TheWindowHostsWithTheAdvancedChoiceShowsCopiesAndShowsARunningGameAgain)
{
    settings.setValue(u"name"_s, u"Ann"_s);
    settings.setValue(u"play/computers"_s, 7);
    LauncherWindow window(launcher);
    window.SetClock([] { return QTime(21, 7, 5); });
    window.show();
    const auto control = [&](const char *name) { return window.findChild<QWidget *>(QLatin1String(name)); };
    EXPECT_EQ(static_cast<QLineEdit *>(control("name"))->text(), u"Ann"_s) << "the remembered name";
    EXPECT_EQ(static_cast<QSpinBox *>(control("computers"))->value(), 7) << "the remembered computer players";
    EXPECT_FALSE(control("copy")->isEnabled()) << "no invitation to copy yet";
    EXPECT_FALSE(control("address")->isVisible()) << "Advanced is closed at first";
    QTest::mouseClick(control("advanced"), Qt::LeftButton);
    static_cast<QLineEdit *>(control("address"))->setText(u"10.77.0.1"_s);
    static_cast<QSpinBox *>(control("port"))->setValue(47475);

    QTest::mouseClick(control("host"), Qt::LeftButton);
    ASSERT_EQ(runner.started.size(), 1);
    EXPECT_EQ(runner.started[0].arguments, (QStringList{u"host"_s, u"--address"_s, u"10.77.0.1"_s, u"--port"_s, u"47475"_s, u"--"_s, u"Ann"_s}));
    alive << 99;
    emit Run().Started(99);
    const QString link = u"http://192.168.1.2:47474/#key=0123456789abcdef0123456789abcdef&host=Ann"_s;
    for (const QString &line : {Invitation + u"\n"_s, link + u"\n"_s, u"something else"_s}) // the invitation, then the link
        emit Run().OutputLine(line);
    EXPECT_EQ(static_cast<QLineEdit *>(control("invitation"))->text(), Invitation);
    EXPECT_EQ(static_cast<QLineEdit *>(control("browserLink"))->text(), link);
    auto *copy = static_cast<QPushButton *>(control("copy"));
    QTest::mouseClick(copy, Qt::LeftButton);
    EXPECT_TRUE(QGuiApplication::clipboard()->text() == Invitation && copy->text() == u"Copied"_s);
    QMetaObject::invokeMethod(window.findChild<QTimer *>(u"copyCopied"_s), "timeout");
    EXPECT_EQ(copy->text(), u"&Copy"_s) << "for a moment";
    EXPECT_FALSE(control("join")->isEnabled()) << "while the game runs";

    // Opened again while the game runs.
    Launcher again{runner, settings, u"/opt/kalumo/kalumo-hub"_s, noted};
    LauncherWindow reopened(again);
    EXPECT_EQ(reopened.findChild<QLineEdit *>(u"invitation"_s)->text(), Invitation);
    EXPECT_TRUE(!reopened.findChild<QWidget *>(u"host"_s)->isEnabled() && reopened.findChild<QWidget *>(u"address"_s)->isVisibleTo(&reopened))
        << "Advanced opens when it holds a choice";
    emit Run().ErrorLine(u"kalumo-hub: cannot listen on 0.0.0.0:47475: Address already in use"_s);
    emit Run().Ended(2, {});
    const QStringList each = static_cast<QPlainTextEdit *>(control("messages"))->toPlainText().split(u"\n\n"_s); // one a paragraph, each timed
    EXPECT_TRUE(each.last().endsWith(u"port 47475. Close it first, or choose another port under Advanced."_s) && each.size() > 1
                && std::ranges::all_of(each, [](const QString &m) { return m.startsWith(u"21:07:05  "_s); }));
}

TEST_F(LauncherTest, NamesEachFieldByItsLabelAnnouncesEachMessageAndReturnPressesTheButtonOfItsPart)
{
    settings.setValue(u"name"_s, u"Ann"_s);
    const struct { const char *focus, *accessibleName, *runs; } cases[] = {
        {"name", nullptr, "play"}, {"computers", "Computer players", "play"}, {"address", "Address", "host"},
        {"invitation", "Invitation to pass on", "host"}, {"pasted", "Invitation you were sent", "join"}, {"join", nullptr, "join"},
    };
    for (const auto &c : cases) {
        runner.started.clear();
        LauncherWindow window(launcher);
        window.show();
        window.findChild<QLineEdit *>(u"pasted"_s)->setText(Invitation);
        window.findChild<QWidget *>(u"advanced"_s)->setProperty("checked", true);
        QWidget *focus = window.findChild<QWidget *>(QLatin1String(c.focus));
        EXPECT_TRUE(!c.accessibleName || QAccessible::queryAccessibleInterface(focus)->text(QAccessible::Name) == QLatin1String(c.accessibleName)) << c.focus;
        window.activateWindow();
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Return);
        ASSERT_EQ(runner.started.size(), 1) << c.focus;
        EXPECT_EQ(runner.started[0].arguments.first(), QLatin1String(c.runs)) << c.focus;
        emit Run().Ended(0, {});
    }
    LauncherWindow window(launcher);
    emit launcher.Message(u"The game could not start."_s);
    const QList<QWidget *> told = window.findChild<QWidget *>(u"announcements"_s)->findChildren<QWidget *>();
    EXPECT_EQ(QAccessible::queryAccessibleInterface(window.findChild<QWidget *>(u"messages"_s))->text(QAccessible::Name), u"Messages"_s);
    ASSERT_FALSE(told.isEmpty());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(told.last())->role(), QAccessible::Notification);
    EXPECT_EQ(told.last()->accessibleName(), u"The game could not start."_s);
}

} // namespace
