// SPDX-License-Identifier: GPL-3.0-or-later
// The window's start-up and shutdown: reading the command line, joining the
// game, the registration run, and saving the tallies at close.
#include "window/frmmain.h"

#include "game/bingogame.h"
#include "game/roundstore.h"
#include "link/gamelink.h"
#include "link/linkrecord.h"
#include "support/commandline.h"
#include "support/messageboxes.h"
#include "support/playername.h"
#include "support/registration.h"
#include "support/runtimeerror.h"
#include "support/textnum.h"
#include "window/ctlcard.h"
#include "window/hostcards.h"
#include "window/numberboard.h"
#include "window/windowoptions.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTextStream>

std::optional<int> frmMain::Startup()
{
    // A tally file that cannot be read is shown, and the game goes on
    // without its counts (and never writes over it).
    if (const std::optional<RunTimeError> error = m_tallies.Load())
        m_boxes.Plain(Caption, error->BoxText());
    // The host's window counts the wins, and saves each as it comes, so a
    // window that is killed loses none. It waits only a moment for another
    // window's save: what it cannot save now is saved with the next win or
    // at the close, which says so when it fails.
    connect(m_game, &BingoGame::Won, this, [this] {
        if (m_game->IsHost())
            m_tallies.Save(WinSaveWaitMs);
    });
    m_board->Build();
    m_board->SetToolTip(QStringLiteral("Right-click for the options; F2 opens the caller's display."));

    const CommandLine line(m_commandLine);
    if (line.IsEmpty()) {
        // The chat host's registration run: the window is never shown.
        const int status = Registration::Register(m_registryFolder, m_programFile, Caption, m_boxes);
        Shutdown();
        return status;
    }
    // Each missing piece is shown, and start-up goes on without it.
    m_gameKey = piece(line, 2);
    m_myName = piece(line, 3);
    m_hostName = piece(line, 4);
    m_game->SetNames(m_myName, m_hostName);
    m_newGameButton->setEnabled(m_game->IsHost());
    if (m_game->IsHost())
        new HostCards(*m_game, m_boxes, m_options->Settings(), *m_options->Menu(), *this);
    describePlayer();
    resumeRound();
    const std::optional<int> status = join(line);
    if (!status && m_resumeCalling)
        startCalling(m_secondsBox->text());
    return status;
}

void frmMain::resumeRound()
{
    // Only the host's window keeps its round, one per game.
    if (!m_game->IsHost() || m_stateFolder.isEmpty())
        return;
    m_roundStore = std::make_unique<RoundStore>(m_stateFolder, m_gameKey);
    m_game->KeepRoundIn(m_roundStore.get());
    const std::optional<RoundState> round = m_game->ResumeRound();
    if (!round)
        return;
    for (int n : round->called)
        m_board->SetCalled(n, true);
    m_secondsBox->setText(round->seconds);
    const bool keptCards = round->cards.size() == int(m_cards.size());
    for (size_t i = 0; i < m_cards.size(); ++i) {
        if (keptCards)
            m_cards[i]->ShowNumbers(round->cards[qsizetype(i)]);
        m_cards[i]->MyWin(round->inProgress);
        for (int n : round->called)
            m_cards[i]->SetCalled(n);
    }
    if (!keptCards)
        keepCards();
    m_resumeCalling = round->inProgress && !round->claimAccepted;
}

void frmMain::CloseKeepingGame()
{
    m_keepGame = true;
    close();
}

QString frmMain::piece(const CommandLine &line, int index)
{
    const std::optional<QString> text = line.Piece(index);
    if (!text)
        m_boxes.Plain(Caption, RunTimeError::MissingPiece(index).BoxText());
    return text.value_or(QString());
}

std::optional<int> frmMain::join(const CommandLine &line)
{
    // Refused before any connection: the hub would turn such a name or key
    // away, or never see the join at all, and the window would wait for
    // nothing. A missing name piece has had its box already.
    const QString nameRefusal = line.Piece(3) ? PlayerName::Refusal(m_myName) : QString();
    if (!nameRefusal.isEmpty() || !LinkRecord::CanJoinWith(m_gameKey, LinkRecord::Caption, m_myName)) {
        m_boxes.Error(Caption,
                      nameRefusal.isEmpty()
                          ? QStringLiteral("This game key cannot be used: it holds \"\u00FF\" or is too long.")
                          : QStringLiteral("This name cannot be used: %1.").arg(nameRefusal));
        Shutdown();
        return 1;
    }

    const std::optional<QString> failure = joinProblem(line);
    if (m_shutDown)
        return 1; // closed while waiting (a logout, or kalumo-hub closing its windows)
    if (!failure) {
        // The host's records carry the hub's spelling of the name ("Ann"
        // where the invitation says "ann"); only that one counts as the host.
        if (const QString host = m_link.HostName(); !host.isEmpty() && host != m_hostName) {
            m_hostName = host;
            m_game->SetNames(m_myName, m_hostName);
            m_newGameButton->setEnabled(m_game->IsHost());
            describePlayer();
        }
        return std::nullopt;
    }

    QString text = QStringLiteral("Error, Please Restart The Game!");
    if (!failure->isEmpty()) {
        text += QStringLiteral("\n\n") + failure->left(1).toUpper() + failure->mid(1);
        QTextStream(stderr) << "kalumo-bingo: cannot join the game: " << *failure << Qt::endl;
    }
    m_boxes.Information(QStringLiteral("ERROR!"), text);
    Shutdown();
    return 1;
}

std::optional<QString> frmMain::joinProblem(const CommandLine &line)
{
    const QString number = piece(line, 1);
    if (!line.Piece(1))
        return QString();
    const std::optional<qint32> linkNumber = TextNum::ToInt32(number);
    if (!linkNumber) {
        m_boxes.Plain(Caption, RunTimeError::NotANumber(number).BoxText());
        return QString();
    }
    if (!m_link.Connect(*linkNumber))
        return m_link.ErrorString();
    AddText(LogKind::Welcome, QStringLiteral("Thank You For Choosing ") + Caption + QLatin1Char('.'));
    // A hub that took the connection may still refuse the name, or never
    // answer: the window is not shown without a game behind it.
    return m_link.Join({m_gameKey, m_myName, m_hostSecret, quint64(winId()), m_hostName}, JoinAnswerMs);
}

void frmMain::Shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    if (isVisible())
        m_options->RememberPlace(pos());
    // A failed save never stops the close; the player is told, and the file
    // keeps what it held before.
    if (const std::optional<RunTimeError> error = m_tallies.Save())
        m_boxes.Error(Caption, QStringLiteral("The wins could not be saved.\n") + error->description);
    emit ShutdownFinished();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    // The host's window is the game: closing it on purpose ends the game
    // for everyone, so during a round the host is asked first.
    if (m_game->IsHost() && !m_keepGame && !m_shutDown) {
        if (m_game->InProgress()
            && !m_boxes.QuestionNoByDefault(
                Caption, QStringLiteral("You host this game: closing ends it for everyone. Close anyway?"))) {
            event->ignore();
            return;
        }
        m_game->EndGame();
    }
    Shutdown();
    event->accept();
}
