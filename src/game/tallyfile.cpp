#include "game/tallyfile.h"

#include "game/members.h"
#include "support/ridmod.h"
#include "window/runtimeerror.h"

#include <QFileInfo>
#include <QStringList>

void TallyFile::Load(const QString &path, QStringList &lstMem)
{
    lstMem.clear();
    if (!QFileInfo(path).isFile())
        return;
    try {
        RidMod::LoadListFromFile(lstMem, path);
    } catch (const RunTimeError &) {
        m_unreadable = true;
        throw;
    }
}

bool TallyFile::Save(const QString &path, const MemberTable &members, QStringList &lstMem) const
{
    if (m_unreadable) {
        if (!members.ChangedThisRun())
            return false;
        throw RunTimeError::FileAccess(
            path, QStringLiteral("the file could not be read when the game started, so it was left as it was"));
    }
    // Checked now, not at start-up: a window started alongside the first
    // one sees no file either, but must not write over the one the first
    // window left behind at its close.
    if (!members.ChangedThisRun() && QFileInfo::exists(path))
        return false;
    lstMem = members.TallyEntries();
    RidMod::SaveListToFile(lstMem, path);
    return true;
}
