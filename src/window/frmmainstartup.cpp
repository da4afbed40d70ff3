// The window's start-up and shutdown: reading the command line, joining the
// game, the registration run, and saving the tallies at close.
#include "window/frmmain.h"

#include "game/bingogame.h"
#include "link/gamelink.h"
#include "link/linkrecord.h"
#include "support/commandline.h"
#include "support/customregistry.h"
#include "support/fileregistry.h"
#include "support/messageboxes.h"
#include "support/playername.h"
#include "support/registration.h"
#include "support/runtimeerror.h"
#include "support/textnum.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QTextStream>
#include <QTimer>

template <typename Step>
bool frmMain::runStep(Step step)
{
    // A run-time error in a start-up step is shown, and start-up goes on.
    try {
        step();
        return true;
    } catch (const RunTimeError &error) {
        m_boxes.Plain(Caption, error.BoxText());
        return false;
    }
}

std::optional<int> frmMain::Startup()
{
    runStep([&] { m_memFile = TallyFile::Locate(m_programFolder, m_dataFolder); });
    runStep([&] { m_tallyFile.Load(m_memFile.read, m_lstMem); });
    runStep([&] { LoadMembers(); });
    runStep([&] { BuildNumberBoard(); });
    runStep([&] { m_members.AddBlankEntryIfEmpty(); });

    const CommandLine line(m_commandLine);
    if (line.IsEmpty())
        return RegistrationRun();

    auto piece = [&](int index) {
        const auto text = line.Piece(index);
        if (!text)
            throw RunTimeError::MissingPiece(index);
        return *text;
    };
    runStep([&] { m_gameKey = piece(2); });
    runStep([&] { m_myName = piece(3); });
    runStep([&] { m_hostName = piece(4); });
    runStep([&] {
        m_game->SetNames(m_myName, m_hostName);
        m_cmdNewGame->setEnabled(m_game->IsHost());
    });

    // Refused before any connection: the hub would turn such a name or key
    // away, or never see the join at all, and the window would wait for
    // nothing. A missing name piece has had its box already.
    const QString nameRefusal = line.Piece(3) ? PlayerName::Refusal(m_myName) : QString();
    if (!nameRefusal.isEmpty() || !LinkRecord::CanJoinWith(m_gameKey, Caption, m_myName)) {
        m_boxes.Error(Caption, nameRefusal.isEmpty()
                                   ? QStringLiteral("This game key cannot be used: it holds \"\u00FF\" or is too long.")
                                   : QStringLiteral("This name cannot be used: %1.").arg(nameRefusal));
        Shutdown();
        return 1;
    }

    bool joined = false;
    QString failure;
    runStep([&] {
        const QString number = piece(1);
        const auto linkNumber = TextNum::ToInt32(number);
        if (!linkNumber)
            throw RunTimeError::NotANumber(number);
        joined = m_link.JoinGame(quint64(winId()), *linkNumber);
        if (!joined)
            failure = m_link.ErrorString();
    });
    if (joined) {
        runStep([&] { m_link.SendText(LinkRecord::Identify(m_gameKey, quint64(winId()))); });
        runStep([&] { m_link.SendText(LinkRecord::Announce(m_gameKey, Caption, m_myName)); });
        runStep([&] { AddText(1, QStringLiteral("Thank You For Choosing ") + Caption + QLatin1Char('.')); });
        // A hub that took the connection may still refuse the name, or
        // never answer: the window is not shown without a game behind it.
        const std::optional<QString> notJoined = m_link.WaitUntilJoined(m_gameKey, m_myName, JoinAnswerMs);
        if (m_shutDown)
            return 1; // closed while waiting (a logout, or kalumo-hub closing its windows)
        joined = !notJoined;
        failure = notJoined.value_or(QString());
    }
    if (!joined) {
        QString text = QStringLiteral("Error, Please Restart The Game!");
        if (!failure.isEmpty()) {
            text += QStringLiteral("\n\n") + failure.left(1).toUpper() + failure.mid(1);
            QTextStream(stderr) << "kalumo-bingo: cannot join the game: " << failure << Qt::endl;
        }
        m_boxes.Information(QStringLiteral("ERROR!"), text);
        Shutdown();
        return 1;
    }
    return std::nullopt;
}

std::optional<int> frmMain::RegistrationRun()
{
    // The chat host offers every game registered under its games key and
    // starts the program the value names. The window is never shown.
    const FileRegistry registry(m_registryFolder);
    const CustomRegistry customRegistry(registry, m_boxes, Caption);
    RegistryOutcome outcome;
    customRegistry.SetStringValue(Registration::GamesKey, Caption, Registration::Data(m_programFile, Caption), &outcome);

    // Only a value that was written is reported as a registration.
    if (outcome.Ok())
        m_boxes.Information(QStringLiteral("Done."),
                            QStringLiteral("Game has been registered with Kalumo Chat, You may now call it from the games list."));
    else
        m_boxes.Error(Caption, Registration::FailureText(Registration::GamesKey, outcome, registry.Folder()));
    Shutdown();
    return outcome.Ok() ? 0 : 1;
}

void frmMain::Shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    SaveTallies();
    emit ShutdownFinished();
}

void frmMain::LoadMembers()
{
    m_members.LoadTallyEntries(m_lstMem);
}

void frmMain::SaveTallies()
{
    // A failed save never stops the close; the player is told, and the file
    // keeps what it held before.
    try {
        m_tallyFile.Save(m_memFile.write, m_members, m_lstMem);
    } catch (const RunTimeError &error) {
        m_boxes.Error(Caption, QStringLiteral("The wins could not be saved.\n") + error.description);
    }
}

void frmMain::closeEvent(QCloseEvent *event)
{
    Shutdown();
    event->accept();
}
