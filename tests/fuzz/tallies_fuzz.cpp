// The tally file from any bytes: loaded as start-up loads it, a few wins
// counted, saved as the close saves it, and loaded again: every entry comes
// back as it was, with the wins on top.
#include "fuzzsupport.h"

#include "game/members.h"
#include "game/tallyfile.h"

#include <QFile>
#include <QTemporaryDir>

// Start-up's load: the file into the list, the list into the table.
static MemberTable load(const QString &path, TallyFile &file, QList<QByteArray> &list)
{
    file.Load(path, list);
    MemberTable table;
    table.LoadTallyEntries(list);
    table.AddBlankEntryIfEmpty();
    return table;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz::Input input{data, size};
    QStringList winners;
    for (int n = input.Byte() % 4; n > 0; --n) // a name holding "@" is the one thing the file cannot carry
        if (const QString name = input.Utf8(32); !name.contains(u'@'))
            winners << name;
    const QByteArray bytes = input.Rest();
    QTemporaryDir folder;
    const QString path = folder.filePath(TallyFile::FileName);
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush());

    TallyFile tallies, next;
    QList<QByteArray> list, again;
    const MemberTable first = load(path, tallies, list);
    MemberTable played = first;
    for (const QString &name : std::as_const(winners))
        played.RecordWin(name);
    const bool wrote = tallies.Save(path, played, list);
    FUZZ_CHECK(wrote == played.ChangedThisRun());

    FUZZ_CHECK(load(path, next, again).TallyEntryBytes() == (wrote ? played : first).TallyEntryBytes());
    return 0;
}
