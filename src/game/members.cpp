#include "game/members.h"

void MemberTable::AddBlankEntryIfEmpty()
{
    if (m_entries.isEmpty())
        m_entries.append(Member{});
}

qint16 MemberTable::RecordWin(const QString &name)
{
    for (Member &member : m_entries) {
        if (member.Name == name) {
            if (member.Wins < MaxWins)
                ++member.Wins;
            return member.Wins;
        }
    }
    m_entries.append(Member{name, 1});
    return 1;
}
