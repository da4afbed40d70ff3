// The launcher: what it runs for each choice, what it reads from the hub and
// tells the player, the name it remembers, and its window.

#include "launcher.h"
#include "launcherwindow.h"
#include "support/fakeprocessrunner.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString Invitation = u"kalumo://example.org:47474/0123456789abcdef0123456789abcdef?host=Ann&fp=00ff"_s;

class LauncherTest : public ::testing::Test
{
protected:
    QStringList Messages() const
    {
        QStringList texts;
        for (const QList<QVariant> &message : messages)
            texts << message[0].toString();
        return texts;
    }

    QTemporaryDir folder;
    QSettings settings{folder.filePath(u"launcher.conf"_s), QSettings::IniFormat};
    FakeProcessRunner runner;
    Launcher launcher{runner, settings, u"/opt/kalumo/kalumo-hub"_s};
    QSignalSpy messages{&launcher, &Launcher::Message};
};

TEST_F(LauncherTest, RunsTheHubWithThePlayersChoiceOrSaysWhyNot)
{
    // The choice, the name typed, the computers or the pasted text; what runs, or the message instead.
    const struct { const char *choice; QString name, input; QStringList arguments; QString message; } cases[] = {
        {"play", u" Ann "_s, u"0"_s, {u"play"_s, u"Ann"_s}, {}},
        {"play", u"Ann"_s, u"3"_s, {u"play"_s, u"Ann"_s, u"--computer"_s, u"3"_s}, {}},
        {"host", u"Zoë"_s, {}, {u"host"_s, u"Zoë"_s}, {}},
        {"join", u"Bob"_s, u"  "_s + Invitation + u"\n"_s, {u"join"_s, Invitation, u"Bob"_s}, {}},
        {"join", u"Bob"_s, u"Join me: <"_s + Invitation + u"> (see you)"_s, {u"join"_s, Invitation, u"Bob"_s}, {}},
        {"join", u"Bob"_s, u"https://example.org/kalumo"_s, {},
         u"There is no invitation in the text you pasted: it starts with kalumo://."_s},
        {"play", u"[Exit]"_s, u"0"_s, {}, u"This name cannot be used: a name cannot start with \"[\""_s},
        {"host", {}, {}, {}, u"This name cannot be used: "_s},
    };
    for (const auto &c : cases) {
        runner.started.clear();
        messages.clear();
        const QString choice = QString::fromLatin1(c.choice);
        const bool started = choice == u"play" ? launcher.Play(c.name, c.input.toInt())
                             : choice == u"host" ? launcher.Host(c.name)
                                                 : launcher.Join(c.input, c.name);
        EXPECT_EQ(started, c.message.isEmpty()) << c.choice << " " << c.input.toStdString();
        EXPECT_EQ(runner.started.size(), started ? 1 : 0);
        if (started) {
            EXPECT_EQ(runner.started[0].program, u"/opt/kalumo/kalumo-hub"_s);
            EXPECT_EQ(runner.started[0].arguments, c.arguments);
            EXPECT_EQ(Launcher(runner, settings, {}).Name(), c.name.trimmed()) << "remembered";
            EXPECT_FALSE(launcher.Play(u"Cy"_s, 0)) << "one run at a time";
            emit runner.started[0].run->Ended(0, {});
        } else {
            EXPECT_TRUE(Messages().value(0).startsWith(c.message)) << Messages().join(u'\n').toStdString();
        }
    }
    EXPECT_EQ(Launcher(runner, settings, {}).Name(), u"Bob"_s) << "a refused name is not remembered";
}

TEST_F(LauncherTest, TakesTheInvitationFromTheFirstLineAndTellsWhatTheHubSaysInPlainWords)
{
    QSignalSpy invitations(&launcher, &Launcher::InvitationReady);
    QSignalSpy running(&launcher, &Launcher::RunningChanged);
    // How each run ends, and the message it leaves last.
    const struct { int exitCode; QString failure, errorLine, last; } cases[] = {
        {0, {}, {}, u"The game is over."_s},
        {1, {}, u"kalumo-hub: cannot listen on 0.0.0.0:80: permission denied"_s, u"Cannot listen on 0.0.0.0:80: permission denied"_s},
        {1, {}, u"kalumo-bingo: cannot join the game: the name is taken\n"_s, u"Cannot join the game: the name is taken"_s},
        {3, {}, {}, u"The game stopped with an error (status 3)."_s},
        {-1, u"kalumo-hub could not be started (no such file)"_s, {}, u"The game could not go on: kalumo-hub could not be started (no such file)."_s},
    };
    for (const auto &c : cases) {
        invitations.clear();
        running.clear();
        ASSERT_TRUE(launcher.Host(u"Ann"_s));
        HubRun *run = runner.started.last().run;
        emit run->OutputLine(Invitation + u"\n"_s);
        emit run->OutputLine(u"something else"_s);
        if (!c.errorLine.isEmpty())
            emit run->ErrorLine(c.errorLine);
        emit run->Ended(c.exitCode, c.failure);
        EXPECT_EQ(invitations.size(), 1);
        EXPECT_EQ(invitations.value(0).value(0).toString(), Invitation);
        EXPECT_EQ(Messages().last(), c.last);
        EXPECT_EQ(running.size(), 2);
        EXPECT_FALSE(launcher.Running());
    }
}

TEST_F(LauncherTest, TheWindowStartsAGameShowsAndCopiesTheInvitationAndShowsTheErrors)
{
    settings.setValue(u"name"_s, u"Ann"_s);
    LauncherWindow window(launcher);
    window.show();
    auto *name = window.findChild<QLineEdit *>(u"name"_s);
    auto *join = window.findChild<QPushButton *>(u"join"_s);
    EXPECT_EQ(name->text(), u"Ann"_s) << "the remembered name";

    QTest::mouseClick(window.findChild<QPushButton *>(u"host"_s), Qt::LeftButton);
    ASSERT_EQ(runner.started.size(), 1);
    emit runner.started[0].run->OutputLine(Invitation);
    EXPECT_EQ(window.findChild<QLineEdit *>(u"invitation"_s)->text(), Invitation);
    QTest::mouseClick(window.findChild<QPushButton *>(u"copy"_s), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), Invitation);
    EXPECT_FALSE(join->isEnabled()) << "while the game runs";
    emit runner.started[0].run->ErrorLine(u"kalumo-hub: <b>Bob</b> left"_s);
    emit runner.started[0].run->Ended(0, {});

    name->setText(u"Bob"_s);
    window.findChild<QLineEdit *>(u"pasted"_s)->setText(Invitation);
    QTest::mouseClick(join, Qt::LeftButton);
    ASSERT_EQ(runner.started.size(), 2);
    EXPECT_EQ(runner.started[1].arguments, (QStringList{u"join"_s, Invitation, u"Bob"_s}));
    EXPECT_EQ(window.findChild<QPlainTextEdit *>(u"messages"_s)->toPlainText(), u"<b>Bob</b> left\nThe game is over."_s);
}

} // namespace
