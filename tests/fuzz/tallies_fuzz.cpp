// The tally file from any bytes: loaded as start-up loads it, a few wins
// counted, saved as the close saves it, and loaded again. Every entry comes
// back as it was (one that does not read as a member, word for word), with
// the wins on top; a run without a win leaves the file's bytes alone. A
// winner's name holding "@" is the one thing the file cannot carry.
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
    Fuzz::Input input(data, size);
    QStringList winners;
    for (int n = input.Byte() % 4; n > 0; --n)
        winners << input.Utf8(32);
    const QByteArray bytes = input.Rest();
    QTemporaryDir folder;
    const QString path = folder.filePath(TallyFile::FileName);
    QFile file(path), after(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();

    TallyFile tallies, next;
    QList<QByteArray> list, again;
    const MemberTable first = load(path, tallies, list);
    // An entry the program cannot read keeps its bytes.
    for (qsizetype i = 0; i < list.size(); ++i)
        FUZZ_CHECK(!first.IsKept(i) || first.TallyEntryBytes().at(i) == list.at(i));

    MemberTable played = first;
    for (const QString &name : std::as_const(winners))
        played.RecordWin(name);
    const bool wrote = tallies.Save(path, played, list);
    FUZZ_CHECK(wrote == played.ChangedThisRun());
    FUZZ_CHECK(wrote || (after.open(QIODevice::ReadOnly) && after.readAll() == bytes));

    const MemberTable second = load(path, next, again), &expected = wrote ? played : first;
    // An entry a win appended under a name with "@" reads back as another.
    qsizetype comparable = first.Size();
    while (comparable < expected.Size() && !expected.At(comparable).Name.contains(QLatin1Char('@')))
        ++comparable;
    FUZZ_CHECK(second.TallyEntries().mid(0, comparable) == expected.TallyEntries().mid(0, comparable));
    FUZZ_CHECK(second.Size() >= comparable && (comparable < expected.Size() || second.Size() == expected.Size()));
    return 0;
}
