#include "game/members.h"

#include "support/textnum.h"

void MemberTable::Append(const Member &member)
{
    m_entries.append(member);
    m_changed = true;
}

void MemberTable::AddBlankEntryIfEmpty()
{
    // Not a change: a run that only adds the blank entry has nothing new to
    // save over a tally file that another window may have updated.
    if (m_entries.isEmpty())
        m_entries.append(Member{});
}

qint16 MemberTable::RecordWin(const QString &name)
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        Member &member = m_entries[i];
        if (member.Name == name && !IsKept(i)) {
            if (member.Wins < MaxWins) {
                ++member.Wins;
                m_changed = true;
                m_winsThisRun.append(name);
            }
            return member.Wins;
        }
    }
    Append(Member{name, 1});
    m_winsThisRun.append(name);
    return 1;
}

void MemberTable::LoadTallyEntries(const QStringList &entries)
{
    if (entries.isEmpty())
        return;
    m_entries.clear();
    m_kept.clear();
    m_changed = false;
    m_winsThisRun.clear();
    for (const QString &entry : entries) {
        // Name before the first "@", count up to the second; anything after
        // a second "@" is not part of the count.
        const QStringList pieces = entry.split(QLatin1Char('@'));
        const std::optional<qint16> wins = pieces.size() >= 2 ? TextNum::ToInt16(pieces.at(1)) : std::nullopt;
        if (!wins)
            m_kept.insert(m_entries.size(), entry);
        m_entries.append(wins ? Member{pieces.at(0), *wins} : Member{});
    }
}

QStringList MemberTable::TallyEntries() const
{
    QStringList entries;
    entries.reserve(m_entries.size());
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const Member &member = m_entries.at(i);
        entries.append(IsKept(i) ? m_kept.value(i) : member.Name + QLatin1Char('@') + QString::number(member.Wins));
    }
    return entries;
}
