#include "game/bingogame.h"

#include "game/commandrecord.h"
#include "game/interval.h"
#include "game/members.h"

#include <algorithm>

namespace {

// The words a refused claim travels with.
const QString Uncalled = QStringLiteral("uncalled");
const QString Over = QStringLiteral("over");
const QString Taken = QStringLiteral("taken");

// "17", "17 and 42", "17, 42 and 63".
QString listed(const QStringList &items)
{
    if (items.size() < 2)
        return items.join(QString());
    return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") + items.last();
}

} // namespace

BingoGame::BingoGame(MemberTable &members, RandomGenerator &random, QObject *parent)
    : QObject(parent)
    , m_members(members)
    , m_random(random)
{
}

void BingoGame::SetNames(const QString &myName, const QString &hostName)
{
    m_myName = myName;
    m_hostName = hostName;
    m_isHost = myName == hostName;
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
        markCalled(record->number);
        emit Speak(CallerText::Words(record->number));
        emit ViewChanged();
        break;
    case CommandRecord::NewGame:
        startRound(record->text);
        emit Log(3, QStringLiteral("** A New Game Has Been Started."));
        if (m_isHost)
            emit Log(4, Interval::Describe(record->text));
        break;
    case CommandRecord::WinConfirmed:
        emit Log(4, QStringLiteral("** ") + record->name + QStringLiteral(" Has Won The Game! ") + record->text
                     + QStringLiteral(" Total Win(s)! **"));
        if (m_isHost)
            emit Log(4, QStringLiteral("** Click 'New Game' To Begin The Next Round."));
        m_inProgress = false;
        m_winnerName = record->name;
        m_winnerTotal = record->text;
        emit RoundOver();
        emit Won(m_winnerName, m_winnerTotal);
        emit Speak(CallerText::Win(m_winnerName, m_winnerTotal));
        emit ViewChanged();
        break;
    case CommandRecord::Claim:
        // Every window now knows the called numbers, but one judge is enough:
        // the host's answer is the only one.
        if (m_isHost)
            judgeClaim(record->name, record->items);
        break;
    case CommandRecord::CatchUp:
        if (record->name == m_myName)
            catchUp(record->text, record->items);
        break;
    case CommandRecord::ClaimRefused:
        if (record->name == m_myName)
            sayClaimRefused(record->text, record->items);
        break;
    }
}

void BingoGame::startRound(const QString &seconds)
{
    m_caller.Reset();
    m_seconds = seconds;
    m_inProgress = true;
    m_claimAccepted = false;
    m_allCalledSaid = false;
    m_winnerName.clear();
    m_winnerTotal.clear();
    emit GameStarted(seconds);
    emit ViewChanged();
}

void BingoGame::markCalled(int n)
{
    m_caller.MarkCalled(n);
    if (m_autoMark)
        emit MarkOnCards(n);
    // The host's window has drawn the number before its record comes back,
    // so the count is looked at here, where every window sees each call.
    if (m_inProgress && !m_allCalledSaid && m_caller.CallCount() >= NumberCaller::Highest) {
        m_allCalledSaid = true;
        emit Log(4, QStringLiteral("** All 100 numbers have been called and nobody has won yet."));
    }
}

void BingoGame::catchUp(const QString &seconds, const QStringList &numbers)
{
    // A window already in the round keeps its cards and only adds the calls
    // it missed, so an answer to a window that is up to date changes nothing.
    // One holding a number the host's round never called is still in an
    // earlier round (it was away while that one ended and this one began),
    // and joins this one as a newcomer does.
    const bool joining = !m_inProgress || std::any_of(m_caller.Order().begin(), m_caller.Order().end(), [&](int n) {
        return !numbers.contains(QString::number(n));
    });
    if (joining)
        startRound(seconds);
    for (const QString &item : numbers) {
        const std::optional<int> n = WholeNumber(item);
        if (!n || *n < 1 || *n > NumberCaller::Highest || m_caller.Called(*n))
            continue;
        emit NumberCalled(*n);
        markCalled(*n);
    }
    emit ViewChanged();
    if (joining)
        emit Log(4, QStringLiteral("** You joined a round in progress: %1 number(s) had been called before you came.")
                        .arg(m_caller.CallCount()));
}

CallerText::View BingoGame::View() const
{
    return CallerText::ViewOf(m_caller.Order(), m_winnerName, m_winnerTotal);
}

void BingoGame::SetAutoMark(bool on)
{
    const bool switchedOn = on && !m_autoMark;
    m_autoMark = on;
    if (!switchedOn)
        return;
    for (int n : m_caller.Order())
        emit MarkOnCards(n);
}

void BingoGame::judgeClaim(const QString &claimant, const QStringList &items)
{
    if (m_claimAccepted)
        emit Send(CommandRecord::RefuseClaim(claimant, Taken));
    else if (!m_inProgress)
        emit Send(CommandRecord::RefuseClaim(claimant, Over));
    else if (!m_caller.ClaimHolds(items))
        emit Send(CommandRecord::RefuseClaim(claimant, Uncalled, m_caller.Uncalled(items)));
    else {
        m_claimAccepted = true;
        emit Send(CommandRecord::Won(claimant, m_members.RecordWin(claimant)));
    }
}

void BingoGame::sayClaimRefused(const QString &why, const QStringList &detail)
{
    QString reason;
    if (why == Over)
        reason = QStringLiteral("the round is over.");
    else if (why == Taken)
        reason = QStringLiteral("this round has already been won.");
    else if (why == Uncalled && detail.size() == 1)
        reason = detail.first() + QStringLiteral(" has not been called.");
    else if (why == Uncalled && !detail.isEmpty())
        reason = listed(detail) + QStringLiteral(" have not been called.");
    else
        reason = QStringLiteral("its line does not hold five called numbers.");
    emit Log(4, QStringLiteral("** Your claim did not win: ") + reason);
}

void BingoGame::RunChatCommand(const QString &Data)
{
    m_caller.RunChatCommand(Data);
}

std::optional<QString> BingoGame::RefuseChatCommand(const QString &typed) const
{
    if (!typed.startsWith(QLatin1Char('/')))
        return std::nullopt;
    if (!m_isHost)
        return QStringLiteral("** %1 was not run: only the host, %2, can give commands.").arg(typed, m_hostName);
    // "call N" is the one command there is; anything else would do nothing.
    if (!NumberCaller::CallCommandNumber(typed.mid(1)))
        return QStringLiteral("** %1 was not run: the one command is /call followed by a number.").arg(typed);
    return std::nullopt;
}

QStringList BingoGame::ClaimLine(const QList<QStringList> &complete, const QStringList &lastReported) const
{
    auto allCalled = [this](const QStringList &line) {
        return std::all_of(line.begin(), line.end(), [this](const QString &item) {
            const std::optional<int> n = WholeNumber(item);
            return n && m_caller.Called(*n);
        });
    };
    if (allCalled(lastReported) && complete.contains(lastReported))
        return lastReported;
    for (const QStringList &line : complete) {
        if (allCalled(line))
            return line;
    }
    return lastReported;
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

void BingoGame::PlayerJoined(const QString &name)
{
    m_players << name;
    if (name == m_myName && !m_joined) {
        // Our own arrival ends the list of those who were here before us.
        m_joined = true;
        if (m_isHost || m_players.contains(m_hostName))
            return;
        QString line = QStringLiteral("** %1, who hosts this game, is not here: no numbers will be called until %1 joins.")
                           .arg(m_hostName);
        for (const QString &player : std::as_const(m_players)) {
            if (player.compare(m_hostName, Qt::CaseInsensitive) == 0)
                line += QStringLiteral(" %1 is here: did you mean %1?").arg(player);
        }
        emit Log(4, line);
    } else if (m_isHost && m_inProgress && name != m_myName) {
        emit Send(CommandRecord::MakeCatchUp(name, m_seconds, m_caller.Order()));
    }
}

void BingoGame::PlayerLeft(const QString &name)
{
    m_players.removeOne(name);
    if (name != m_hostName || m_isHost || !m_inProgress)
        return;
    m_inProgress = false;
    emit Log(4, QStringLiteral("** The round is over: %1, who hosts this game, has left.").arg(name));
    emit RoundOver();
}
