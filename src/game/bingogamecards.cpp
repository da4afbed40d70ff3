// SPDX-License-Identifier: GPL-3.0-or-later
// BingoGame's cards the host can check: the seeds of a round, who deals
// from them, and the check of a claim on the claimant's cards.
//
// Nobody may choose a card. Whoever is listed when a round starts deals
// from the round's seed; whoever joins during it gets a seed of the host's
// own choosing, which the host keeps for that name until the player leaves.
// A seat the hub resumes never left, so it keeps its cards; a player who
// left and comes back, under any name, is dealt anew. Since a latecomer could
// come again and again until a card holds a line of the calls already made,
// a latecomer's line wins only with a number called after its seed was given.
#include "game/bingogame.h"

#include "card/seededdeal.h"
#include "game/claimcheck.h"
#include "game/commandrecord.h"
#include "support/playername.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QList<int> claimedNumbers(const QStringList &items)
{
    // Only called whole numbers get this far (NumberCaller::ClaimHolds).
    QList<int> numbers;
    for (const QString &item : items)
        numbers << WholeNumber(item).value_or(0);
    return numbers;
}

} // namespace

void BingoGame::takeSeed(const QString &seed)
{
    m_dealSeed = seed;
    if (m_isHost)
        seedRound();
    if (seed.isEmpty())
        return; // a host of an earlier release: the cards deal themselves
    emit CardsDealt(SeededDeal::PlayerCards(seed, m_myName));
    if (m_autoMark) {
        for (int n : m_caller.Order())
            emit MarkOnCards(n);
    }
}

void BingoGame::seedRound()
{
    m_seedOf.clear();
    m_seededAt.clear();
    if (m_dealSeed.isEmpty())
        return; // no card of this round can be checked
    for (const QString &player : std::as_const(m_players))
        m_seedOf.insert(PlayerName::SameNameKey(player), m_dealSeed);
    m_seedOf.insert(PlayerName::SameNameKey(m_myName), m_dealSeed);
}

QString BingoGame::seedFor(const QString &latecomer)
{
    if (m_dealSeed.isEmpty())
        return {};
    const QString key = PlayerName::SameNameKey(latecomer);
    if (!m_seedOf.contains(key)) {
        m_seedOf.insert(key, SeededDeal::NewSeed());
        m_seededAt.insert(key, int(m_caller.CallCount()));
    }
    return m_seedOf.value(key);
}

void BingoGame::declared(const QString &name)
{
    const QString key = PlayerName::SameNameKey(name);
    m_declared.insert(key);
    m_uncheckedSeen.remove(key);
    keepRound();
}

void BingoGame::forgetSeat(const QString &name)
{
    if (!m_isHost)
        return;
    const QString key = PlayerName::SameNameKey(name);
    m_seedOf.remove(key);
    m_seededAt.remove(key);
    m_declared.remove(key);
    m_uncheckedSeen.remove(key);
}

bool BingoGame::cardChecked(const QString &claimant) const
{
    const QString key = PlayerName::SameNameKey(claimant);
    return m_seedOf.contains(key) && (claimant == m_myName || m_declared.contains(key));
}

std::optional<std::pair<QString, QStringList>> BingoGame::refuseOnCard(const QString &claimant,
                                                                       const QStringList &items, int stage) const
{
    if (!cardChecked(claimant)) {
        // A round begun without a seed (kept by an earlier release) can check
        // nobody's card: it is judged as it always was.
        if (m_onlyChecked && !m_dealSeed.isEmpty())
            return std::pair{u"unchecked"_s, QStringList()};
        return std::nullopt;
    }
    const QString key = PlayerName::SameNameKey(claimant);
    const QList<int> claimed = claimedNumbers(items);
    const std::optional<CardRefusal> refusal
        = CheckOnCards(SeededDeal::PlayerCards(m_seedOf.value(key), claimant), claimed, m_judge.Shapes(stage));
    if (!refusal) {
        const qsizetype seededAt = m_seededAt.value(key, 0);
        const bool calledSince = std::any_of(claimed.begin(), claimed.end(),
                                             [&](int n) { return m_caller.Order().indexOf(n) >= seededAt; });
        if (calledSince)
            return std::nullopt;
        return std::pair{u"early"_s, QStringList()};
    }
    if (refusal->why == CardRefusal::NotOnCard)
        return std::pair{u"notoncard"_s, refusal->detail};
    return std::pair{u"noline"_s, QStringList()};
}

void BingoGame::sayUncheckedPlayers()
{
    if (!m_isHost)
        return;
    // A window of this release says so right after its join; one still
    // silent at the second look since it came never will.
    for (const QString &player : std::as_const(m_players)) {
        const QString key = PlayerName::SameNameKey(player);
        if (player == m_myName || m_declared.contains(key))
            continue;
        int &seen = m_uncheckedSeen[key];
        if (++seen != 2)
            continue;
        const QString allow = m_onlyChecked
            ? u"its claims cannot win while \"Only checked cards can win\" is on in the "
              u"Game menu; switch it off to let them win unchecked."_s
            : u"a win of theirs will say \"card not checked\"."_s;
        emit Log(LogKind::Announcement,
                 u"** %1 plays with a window that deals its own cards, which the host cannot check: "_s.arg(PlayerName::Shown(player))
                     + allow);
        EarlierReleasePresent(player);
    }
}

QString BingoGame::PaperSeed()
{
    if (m_inProgress)
        return m_dealSeed;
    if (m_preparedSeed.isEmpty())
        m_preparedSeed = SeededDeal::NewSeed();
    return m_preparedSeed;
}

std::optional<QList<int>> BingoGame::PaperCardLine(int number) const
{
    if (m_dealSeed.isEmpty() || number < 1)
        return std::nullopt;
    CardModel card;
    card.SetNumbers(SeededDeal::Card(m_dealSeed, SeededDeal::PaperName(number), 0));
    for (int n : m_caller.Order())
        card.MarkNumber(n);
    const QList<CardCells::Set> held = card.Complete(m_judge.Shapes(m_stage));
    if (held.isEmpty())
        return std::nullopt;
    return card.NumbersIn(held.first());
}

void BingoGame::ConfirmPaperWin(int number)
{
    const std::optional<QList<int>> line = PaperCardLine(number);
    if (!m_isHost || !line)
        return;
    // Judged as anybody's claim, so a round already won stays won.
    QStringList items;
    for (int n : *line)
        items << QString::number(n);
    // A paper card is index 0 of its name, dealt from the round's seed.
    const QString name = SeededDeal::PaperName(number);
    m_seedOf.insert(PlayerName::SameNameKey(name), m_dealSeed);
    m_declared.insert(PlayerName::SameNameKey(name));
    judgeClaim(name, items, m_stage);
}
