// The launcher: what it runs for each choice, the name it remembers, and its
// window with what it reads from the hub and tells the player.

#include "launcher.h"
#include "launcherwindow.h"
#include "support/fakeprocessrunner.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QString Invitation = u"kalumo://example.org:47474/0123456789abcdef0123456789abcdef?host=Ann&fp=00ff"_s;

class LauncherTest : public ::testing::Test
{
protected:
    LauncherTest() { QObject::connect(&launcher, &Launcher::Message, [this](const QString &text) { messages << text; }); }
    HubRun &Run() { return *runner.started.last().run; }

    QTemporaryDir folder;
    QSettings settings{folder.filePath(u"launcher.conf"_s), QSettings::IniFormat};
    FakeProcessRunner runner;
    Launcher launcher{runner, settings, u"/opt/kalumo/kalumo-hub"_s};
    QStringList messages;
};

TEST_F(LauncherTest, RunsTheHubWithThePlayersChoiceAndRemembersTheNameOrSaysWhyNot)
{
    // The choice, the name typed, the computers or the pasted text; what runs, or the message instead.
    const struct { char choice; QString name, input; QStringList arguments; QString message; } cases[] = {
        {'p', u" Ann "_s, u"0"_s, {u"play"_s, u"Ann"_s}, {}},
        {'p', u"Ann"_s, u"3"_s, {u"play"_s, u"Ann"_s, u"--computer"_s, u"3"_s}, {}},
        {'h', u"Zoë"_s, {}, {u"host"_s, u"Zoë"_s}, {}},
        {'j', u"Bob"_s, u"  "_s + Invitation + u"\n"_s, {u"join"_s, Invitation, u"Bob"_s}, {}},
        {'j', u"Bob"_s, u"Join me: <"_s + Invitation + u"> (see you)"_s, {u"join"_s, Invitation, u"Bob"_s}, {}},
        {'j', u"Bob"_s, u"https://example.org/kalumo"_s, {}, u"There is no invitation in the text you pasted"_s},
        {'p', u"[Exit]"_s, u"0"_s, {}, u"This name cannot be used: a name cannot start with \"[\""_s},
        {'h', {}, {}, {}, u"This name cannot be used: "_s},
    };
    for (const auto &c : cases) {
        runner.started.clear();
        messages.clear();
        const bool started = c.choice == 'p' ? launcher.Play(c.name, c.input.toInt())
                             : c.choice == 'h' ? launcher.Host(c.name) : launcher.Join(c.input, c.name);
        ASSERT_EQ(runner.started.size(), started ? 1 : 0) << c.choice << c.input.toStdString();
        if (started) {
            EXPECT_EQ(runner.started[0].program + u' ' + runner.started[0].arguments.join(u' '),
                      u"/opt/kalumo/kalumo-hub "_s + c.arguments.join(u' '));
            EXPECT_EQ(Launcher(runner, settings, {}).Name(), c.name.trimmed());
            EXPECT_FALSE(launcher.Play(u"Cy"_s, 0)) << "one run at a time";
            emit Run().Ended(0, {});
        }
        EXPECT_TRUE(started ? c.message.isEmpty() : messages.value(0).startsWith(c.message)) << messages.join(u'\n').toStdString();
    }
    EXPECT_EQ(Launcher(runner, settings, {}).Name(), u"Bob"_s) << "a refused name is not remembered";
}

TEST_F(LauncherTest, TheWindowStartsAGameShowsAndCopiesTheInvitationAndShowsWhatHappened)
{
    settings.setValue(u"name"_s, u"Ann"_s);
    LauncherWindow window(launcher);
    window.show();
    const auto control = [&](const char *name) { return window.findChild<QWidget *>(QLatin1String(name)); };
    EXPECT_EQ(static_cast<QLineEdit *>(control("name"))->text(), u"Ann"_s) << "the remembered name";

    QTest::mouseClick(control("host"), Qt::LeftButton);
    const QString link = u"http://192.168.1.2:47474/#key=0123456789abcdef0123456789abcdef&host=Ann"_s;
    for (const QString &line : {Invitation + u"\n"_s, link + u"\n"_s, u"something else"_s}) // the invitation, then the link
        emit Run().OutputLine(line);
    EXPECT_EQ(static_cast<QLineEdit *>(control("invitation"))->text(), Invitation);
    EXPECT_EQ(static_cast<QLineEdit *>(control("browserLink"))->text(), link);
    QTest::mouseClick(control("copy"), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), Invitation);
    EXPECT_FALSE(control("join")->isEnabled()) << "while the game runs";
    emit Run().ErrorLine(u"kalumo-hub: <b>Bob</b> left"_s);
    emit Run().Ended(0, {});

    static_cast<QLineEdit *>(control("name"))->setText(u"Bob"_s);
    static_cast<QLineEdit *>(control("pasted"))->setText(Invitation);
    QTest::mouseClick(control("join"), Qt::LeftButton);
    ASSERT_EQ(runner.started.size(), 2);
    EXPECT_EQ(runner.started[1].arguments, (QStringList{u"join"_s, Invitation, u"Bob"_s}));
    emit Run().ErrorLine(u"kalumo-bingo: cannot join the game: the name is taken\n"_s);
    emit Run().Ended(1, {}); // the line said why: no second message
    EXPECT_EQ(static_cast<QPlainTextEdit *>(control("messages"))->toPlainText(),
              u"<b>Bob</b> left\nCannot join the game: the name is taken"_s);
}

} // namespace
