#include "game/bingogame.h"

#include "game/commandrecord.h"
#include "game/members.h"

BingoGame::BingoGame(MemberTable &members, RandomGenerator &random, QObject *parent)
    : QObject(parent)
    , m_members(members)
    , m_random(random)
{
}

void BingoGame::EvalCommand(const QString &Data)
{
    const std::optional<CommandRecord> record = CommandRecord::Read(Data);
    if (!record)
        return;

    switch (record->kind) {
    case CommandRecord::NumberCalled:
        emit Log(4, QStringLiteral("** The Number (") + record->text + QStringLiteral(") Has Been Called."));
        emit NumberCalled(record->number);
        // Only the host keeps the called numbers; the others could never
        // judge a claim anyway.
        if (m_isHost)
            m_caller.MarkCalled(record->number);
        break;
    case CommandRecord::NewGame:
        m_caller.Reset();
        m_inProgress = true;
        m_claimAccepted = false;
        emit GameStarted(record->text);
        emit Log(3, QStringLiteral("** A New Game Has Been Started."));
        break;
    case CommandRecord::WinConfirmed:
        emit Log(4, QStringLiteral("** ") + record->name + QStringLiteral(" Has Won The Game! ") + record->text
                     + QStringLiteral(" Total Win(s)! **"));
        if (m_isHost)
            emit Log(4, QStringLiteral("** Click 'New Game' To Begin The Next Round."));
        m_inProgress = false;
        emit GameWon();
        break;
    case CommandRecord::Claim:
        judgeClaim(record->name, record->items);
        break;
    }
}

void BingoGame::judgeClaim(const QString &claimant, const QStringList &items)
{
    // A window other than the host's has no called numbers, so its judgement
    // always fails: the host's answer is the only one.
    if (m_claimAccepted || !m_caller.ClaimHolds(items))
        return;
    m_claimAccepted = true;
    emit Send(CommandRecord::Won(claimant, m_members.RecordWin(claimant)));
}

void BingoGame::RunChatCommand(const QString &Data)
{
    m_caller.RunChatCommand(Data);
}

void BingoGame::CallNext()
{
    const std::optional<int> n = m_caller.Draw(m_random);
    if (n)
        emit Send(CommandRecord::Called(*n));
    // After the 100th call no tick could find a number: calling ends here
    // until the next game.
    if (!n || m_caller.CallCount() >= NumberCaller::Highest)
        emit CallingDone();
}
