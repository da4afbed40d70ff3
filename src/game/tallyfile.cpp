#include "game/tallyfile.h"

#include "game/members.h"
#include "support/ridmod.h"
#include "support/runtimeerror.h"

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
    // Another window on this folder (the host of another game) may have
    // saved its wins since this one loaded the file: start from what the
    // file holds now and count this run's wins on top, so neither is lost.
    QStringList current;
    if (QFileInfo(path).isFile())
        RidMod::LoadListFromFile(current, path);
    if (current.isEmpty()) {
        lstMem = members.TallyEntries();
    } else {
        MemberTable merged;
        merged.LoadTallyEntries(current);
        for (const QString &name : members.WinsThisRun())
            merged.RecordWin(name);
        lstMem = merged.TallyEntries();
    }
    RidMod::SaveListToFile(lstMem, path);
    return true;
}
