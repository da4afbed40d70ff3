// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every file, folder and link below a folder, links not followed, with a
// file's bytes or a link's target: two snapshots tell whether anything at
// all was written; only the links when `linksOnly`.

#include <QDirIterator>
#include <QFile>
#include <QMap>

inline QMap<QString, QByteArray> FolderSnapshot(const QString &top, bool linksOnly = false)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(top, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        QFile file(info.filePath());
        if (info.isSymLink())
            entries.insert(info.filePath(), "-> " + info.symLinkTarget().toUtf8());
        else if (info.isDir() && !linksOnly)
            entries.insert(info.filePath(), "<folder>");
        else if (!linksOnly)
            entries.insert(info.filePath(), file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>");
    }
    return entries;
}
