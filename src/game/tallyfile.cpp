// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/tallyfile.h"

#include "game/members.h"
#include "support/listfile.h"
#include "support/runtimeerror.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

TallyFile::Paths TallyFile::Locate(const QString &programFolder, const QString &dataFolder)
{
    const QString beside = QDir(programFolder).filePath(FileName);
    if (dataFolder.isEmpty() || QFileInfo(programFolder).isWritable())
        return {beside, beside};
    // Once the data folder holds a file it has the counts from beside as
    // well; reading both would count them twice.
    const QString own = QDir(dataFolder).filePath(FileName);
    return {QFileInfo::exists(own) || !QFileInfo::exists(beside) ? own : beside, own};
}

QString TallyFile::DataFolder()
{
    // GenericDataLocation honours XDG_DATA_HOME and falls back to ~/.local/share.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("kalumo"));
}

void TallyFile::Load(const QString &path, QList<QByteArray> &lstMem)
{
    lstMem.clear();
    if (!QFileInfo(path).isFile())
        return;
    try {
        lstMem = ListFile::EntriesFromFile(path);
    } catch (const RunTimeError &) {
        m_unreadable = true;
        throw;
    }
}

bool TallyFile::Save(const QString &path, const MemberTable &members, QList<QByteArray> &lstMem, int lockWaitMs) const
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
    try {
        saveLocked(path, members, lstMem, lockWaitMs);
        return true;
    } catch (const RunTimeError &) {
        // Without a win there is only the blank entry to lose: a folder that
        // cannot be written is no news at every close.
        if (members.ChangedThisRun())
            throw;
        return false;
    }
}

void TallyFile::saveLocked(const QString &path, const MemberTable &members, QList<QByteArray> &lstMem,
                           int lockWaitMs) const
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        throw RunTimeError::FileAccess(path, QStringLiteral("its folder could not be made"));
    QLockFile lock(path + QStringLiteral(".lock"));
    lock.setStaleLockTime(StaleLockMs);
    if (!lock.tryLock(lockWaitMs)) {
        const QString reason = lock.error() == QLockFile::LockFailedError
            ? QStringLiteral("another window kept the file locked")
            : QStringLiteral("the lock file beside it could not be made");
        throw RunTimeError::FileAccess(path, reason);
    }
    // Another window on this folder (the host of another game) may have
    // saved its wins since this one loaded the file: start from what the
    // file holds now and count this run's wins on top, so neither is lost.
    QList<QByteArray> current;
    if (QFileInfo(path).isFile())
        current = ListFile::EntriesFromFile(path);
    if (current.isEmpty()) {
        lstMem = members.TallyEntryBytes();
    } else {
        MemberTable merged;
        merged.LoadTallyEntries(current);
        for (const QString &name : members.WinsThisRun())
            merged.RecordWin(name);
        lstMem = merged.TallyEntryBytes();
    }
    ListFile::SaveEntriesToFile(lstMem, path);
}
